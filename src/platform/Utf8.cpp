#include "platform/Utf8.h"

#include <cstdio>

namespace virlo {

std::optional<char32_t> Utf8::Decode(std::string_view text, std::size_t& i) {
  if (i >= text.size()) return std::nullopt;
  const auto lead = static_cast<unsigned char>(text[i]);
  std::size_t length = 0;
  char32_t code = 0;
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    code = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    code = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    code = lead & 0x07;
  } else {
    return std::nullopt;
  }
  if (i + length > text.size()) return std::nullopt;
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    code = (code << 6) | (next & 0x3F);
  }
  const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
  i += length;
  return code;
}

std::string Utf8::Encode(char32_t code) {
  std::string out;
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
  return out;
}

std::optional<char32_t> Utf8::Single(std::string_view text) {
  std::size_t i = 0;
  const std::optional<char32_t> code = Decode(text, i);
  if (!code || i != text.size()) return std::nullopt;
  return code;
}

bool Utf8::IsValid(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    if (!Decode(text, i)) return false;
  }
  return true;
}

std::optional<char32_t> Utf8::FirstControl(std::string_view text) {
  constexpr char32_t Delete = 0x7F;
  constexpr char32_t LastC1 = 0x9F;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t at = i;
    const std::optional<char32_t> code = Decode(text, i);
    // A byte that is no UTF-8 is no control character; others judge it.
    if (!code) {
      ++i;
      continue;
    }
    if (*code == '\n') continue;
    if (*code == '\r' && at + 1 < text.size() && text[at + 1] == '\n') continue;
    if (*code < 0x20 || (*code >= Delete && *code <= LastC1)) return code;
  }
  return std::nullopt;
}

std::string Utf8::CodeName(char32_t code) {
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
  return name;
}

}  // namespace virlo
