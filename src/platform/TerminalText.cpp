#include "platform/TerminalText.h"

namespace virlo {
namespace {

constexpr char Digits[] = "0123456789abcdef";

std::string Hex(unsigned char byte) {
  std::string text = "\\x";
  text += Digits[byte >> 4];
  text += Digits[byte & 0xF];
  return text;
}

}  // namespace

std::string TerminalText::Escaped(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '\\') {
      shown += "\\\\";
    } else if (byte == '\n') {
      shown += "\\n";
    } else if (byte == '\t') {
      shown += "\\t";
    } else if (byte == '\r') {
      shown += "\\r";
    } else if (byte == 0x1B) {
      shown += "\\e";
    } else if (byte < 0x20 || byte == 0x7F) {
      shown += Hex(byte);
    } else if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      // U+0080 to U+009F: the C1 controls, which some terminals obey too.
      shown += Hex(byte);
      shown += Hex(static_cast<unsigned char>(text[++i]));
    } else {
      shown += text[i];
    }
  }
  return shown;
}

std::string TerminalText::Quoted(std::string_view path) { return "'" + Escaped(path) + "'"; }

}  // namespace virlo
