#include "platform/TextCodec.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

#include "platform/CharacterCell.h"
#include "platform/Utf8.h"

namespace virlo {
namespace {

// One iconv conversion; stops at the first byte it cannot convert and reports
// how far it got.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (Ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much of in as it can, appending to out; returns the bytes used.
  std::size_t Convert(std::string_view in, std::string& out) {
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    std::vector<char> buffer(in.size() * 4 + 16);
    while (srcLeft > 0) {
      char* dst = buffer.data();
      std::size_t dstLeft = buffer.size();
      const std::size_t result = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      out.append(buffer.data(), buffer.size() - dstLeft);
      if (result == static_cast<std::size_t>(-1) && errno != E2BIG) break;
    }
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    return in.size() - srcLeft;
  }

 private:
  iconv_t cd_;
};

// The characters diagrams are drawn with: arrows, box drawing, blocks and shapes.
}  // namespace

std::string TextCodec::Cp932ToUtf8(std::string_view bytes) {
  Converter converter("UTF-8", "CP932");
  std::string out;
  if (!converter.Ok()) {
    for (char ch : bytes) out.push_back((static_cast<unsigned char>(ch) < 0x80) ? ch : '?');
    return out;
  }
  while (!bytes.empty()) {
    const std::size_t used = converter.Convert(bytes, out);
    bytes.remove_prefix(used);
    if (!bytes.empty()) {
      out.push_back('?');
      bytes.remove_prefix(1);
    }
  }
  return out;
}

std::optional<std::string> TextCodec::Cp932TextToUtf8(std::string_view bytes) {
  Converter converter("UTF-8", "CP932");
  if (!converter.Ok()) return std::nullopt;
  std::string out;
  if (converter.Convert(bytes, out) != bytes.size()) return std::nullopt;
  return out;
}

std::optional<std::string> TextCodec::Cp932TextToUtf8InCells(std::string_view bytes) {
  std::optional<std::string> utf8 = Cp932TextToUtf8(bytes);
  if (!utf8) return std::nullopt;
  std::string out;
  out.reserve(utf8->size());
  for (std::size_t at = 0; at < utf8->size();) {
    const std::size_t start = at;
    const std::optional<char32_t> code = Utf8::Decode(*utf8, at);
    if (!code) return std::nullopt;
    out.append(*utf8, start, at - start);
    if (*code < 0x80 || CharacterCell::CellWidth(*code) != 1) continue;
    const std::optional<std::string> form = CharacterToCp932(*code);
    if (form && form->size() == 2) out.push_back(' ');
  }
  return out;
}

std::optional<std::string> TextCodec::Utf8ToCp932(std::string_view text) {
  Converter converter("CP932", "UTF-8");
  if (!converter.Ok()) return std::nullopt;
  std::string out;
  if (converter.Convert(text, out) != text.size()) return std::nullopt;
  return out;
}

std::optional<std::string> TextCodec::CharacterToCp932(char32_t code) {
  // Opened once a thread: character art asks for every character it holds.
  thread_local Converter converter("CP932", "UTF-8");
  if (!converter.Ok()) return std::nullopt;
  const std::string utf8 = Utf8::Encode(code);
  std::string out;
  if (converter.Convert(utf8, out) != utf8.size() || out.empty()) return std::nullopt;
  return out;
}

TextCodec::Cells TextCodec::CellsOf(char32_t code, bool fromCp932) {
  Cells cells;
  const std::optional<std::string> bytes = CharacterToCp932(code);
  const std::int32_t width =
      bytes && fromCp932 ? static_cast<std::int32_t>(bytes->size()) : CharacterCell::CellWidth(code);
  const bool fits = bytes && static_cast<std::int32_t>(bytes->size()) == width;
  // A character the code page lacks stands over its substitute, as text
  // holds it; one with no cell of its own has nothing to stand over.
  if (width == 0) {
    cells.bytes.push_back('?');
    cells.unknown = true;
  } else if (fits) {
    cells.bytes = *bytes;
    cells.held = width == 2 ? Held::Wide : Held::Byte;
    cells.lookalike = Cp932ToUtf8(*bytes) != Utf8::Encode(code);
  } else {
    const std::string utf8 = Utf8::Encode(code);
    bool exact = false;
    cells.bytes = CharacterCell::Cp932(CharacterCell::Cluster{utf8, code, width, false}, exact);
    cells.held = Held::Character;
  }
  return cells;
}

bool TextCodec::HasControlCharacters(std::string_view text) {
  constexpr char Delete = 0x7F;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (ch == '\n') continue;
    if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if ((ch >= 0 && ch < ' ') || ch == Delete) return true;
  }
  return false;
}

}  // namespace virlo
