#pragma once

#include <cstdint>
#include <string>

namespace virlo {

// How one character stands in the cells of the character art when it is a
// marker: how many cells it takes (East Asian wide and full-width characters
// two, every other one), and what code page 932 output writes for it.
class CharacterCell {
 public:
  // The cells the character takes as a marker, 1 or 2; 0 when it cannot be
  // one: a control, a blank, a combining mark, a character of no width, or
  // no character at all.
  static std::int32_t MarkerWidth(char32_t code);
  // The code page 932 bytes for a marker character, one a cell: its own
  // when the code page holds it in as many bytes as it takes cells, else its
  // substitute. exact tells which.
  static std::string Cp932(char32_t code, bool& exact);
  // What code page 932 output writes in place of a character it cannot hold
  // in the character's cells: an ASCII look-alike ("v" for a down arrow, "+"
  // for a box-drawing corner, ...), else "?" a cell.
  static std::string Substitute(char32_t code);
};

}  // namespace virlo
