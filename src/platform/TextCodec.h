#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace virlo {

// Conversion between the code page 932 bytes the diagrams hold and UTF-8.
class TextCodec {
 public:
  // Bytes that are no valid code page 932 (a double-byte character cut at the
  // canvas edge, say) become '?', one per byte, so columns stay aligned.
  static std::string Cp932ToUtf8(std::string_view bytes);
  // Nothing when the bytes hold anything that is no code page 932 character.
  static std::optional<std::string> Cp932TextToUtf8(std::string_view bytes);
  // Nothing when the text holds a character code page 932 cannot hold or is
  // not valid UTF-8.
  static std::optional<std::string> Utf8ToCp932(std::string_view text);
  // True when the text holds a control character a terminal would act on
  // (escape, bell, a carriage return of its own, ...). Line breaks, LF or
  // CR LF, are no such character. Code page 932 has no control byte inside a
  // double-byte character, so the test works on either code.
  static bool HasControlCharacters(std::string_view text);
  // The bytes that begin a double-byte character of code page 932, and those
  // that may follow one.
  static bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
  static bool IsTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }
};

}  // namespace virlo
