#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace virlo {

// The sixteen endpoint markers: each entry is the marker characters, blanks and
// a description, in code page 932 bytes, as the marker picker lists them; the
// descriptions are written once, in UTF-8, as the texts the picker translates.
class MarkerTable {
 public:
  static constexpr std::int32_t Count = 16;

  // Marker types with a meaning of their own in the code.
  enum Type : std::int32_t {
    Join = 0,
    HorizontalLine = 1,
    VerticalLine = 2,
    BlackCircle = 7,
    WhiteCircle = 8,
    LeftArrow = 9,
    RightArrow = 10,
    UpArrow = 11,
    DownArrow = 12,
    Derivation = 13,
    Aggregation = 14,
    // Not a table entry: the dot's own character is its marker.
    Character = 16,
  };

  // The whole entry of a type (0 to 15).
  static std::string_view Entry(std::int32_t type);
  // The picker's last entry, for a marker that is any character: blanks and its description.
  static std::string_view CharacterEntry();
  // The marker characters of a type: the entry up to its first blank.
  static std::string_view MarkerText(std::int32_t type);
  static bool IsValid(std::int32_t type) { return type >= 0 && type < Count; }
  // The arrow a character marker stands for on screen (LeftArrow, RightArrow,
  // UpArrow, DownArrow: "<", "v", "\u25BC" and the like), or Character for one
  // drawn as text.
  static std::int32_t ArrowOf(char32_t code);
};

}  // namespace virlo
