#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace virlo {

// Conversion between the code page 932 bytes the diagrams hold and UTF-8:
// whole texts, and one character at a time as character art places it in
// a document's cells.
class TextCodec {
 public:
  // How a character stands in a document's cells.
  enum class Held : std::uint8_t {
    // As itself, in one cell.
    Byte,
    // As itself, a double-byte character in two cells.
    Wide,
    // Only as a character of its own, its substitute in the text.
    Character,
  };
  // One character as code page 932 text holds it: one byte a cell.
  struct Cells {
    // The character's own bytes, or its substitute ("?" for one a document
    // cannot hold at all).
    std::string bytes;
    Held held = Held::Byte;
    // Code page 932 holds it only as another like it ("¥" as "\\", "‾" as "~").
    bool lookalike = false;
    // A character that takes no cell (a control, a combining mark): "?".
    bool unknown = false;
  };

  // Bytes that are no valid code page 932 (a double-byte character cut at the
  // canvas edge, say) become '?', one per byte, so columns stay aligned.
  static std::string Cp932ToUtf8(std::string_view bytes);
  // Nothing when the bytes hold anything that is no code page 932 character.
  static std::optional<std::string> Cp932TextToUtf8(std::string_view bytes);
  // The same, taking the cells the bytes took: a character of two bytes that
  // a UTF-8 terminal shows in one cell ("→", "○", "α") is followed by a
  // blank, so text written in the code page keeps its columns.
  static std::optional<std::string> Cp932TextToUtf8InCells(std::string_view bytes);
  // Nothing when the text holds a character code page 932 cannot hold or is
  // not valid UTF-8.
  static std::optional<std::string> Utf8ToCp932(std::string_view text);
  // One character's code page 932 bytes; nothing when the code page has no
  // such character. One converter serves every call of a thread.
  static std::optional<std::string> CharacterToCp932(char32_t code);
  // How a character of character art stands in cells. Art read in code
  // page 932 (fromCp932) gives every character as many cells as bytes;
  // UTF-8 art as many as a UTF-8 terminal shows it in (CharacterCell). A
  // character the code page holds in as many bytes as it takes cells is held
  // as itself; any other only as a character of its own over its substitute.
  static Cells CellsOf(char32_t code, bool fromCp932);
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
