#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace virlo {

// How characters stand in the cells of the character art, as a UTF-8
// terminal shows them: East Asian wide and full-width characters take two
// cells, characters that join the one before them (combining marks,
// joiners, variation selectors) none, every other one; and what code page
// 932 output writes for them. Every measure of text in cells asks here.
class CharacterCell {
 public:
  // One character of text with the marks that join it: what stands in one
  // or two cells and is printed whole or not at all.
  struct Cluster {
    // As written.
    std::string_view utf8;
    // Its first character; U+FFFD for a byte that is no UTF-8.
    char32_t base = 0;
    // 1 or 2.
    std::int32_t cells = 1;
    // The cluster is marks alone, with no character before them to join.
    bool lone = false;
  };

  // The cells a character takes in text: 2, 1, or 0 for one that joins the
  // character before it. Text holds no control character; one counts 0.
  static std::int32_t CellWidth(char32_t code);
  // The cluster at text[at], moving at past it. A byte that is no UTF-8 is
  // a cluster of its own, one cell wide; so are marks that begin the text.
  static Cluster Next(std::string_view text, std::size_t& at);
  // The cells a line of text takes.
  static std::int32_t Cells(std::string_view line);
  // Whether the text shows nothing: only blanks, line breaks and characters
  // of no width.
  static bool IsBlank(std::string_view text);

  // The cells the character takes as a marker, 1 or 2; 0 when it cannot be
  // one: a control, a blank, a combining mark, a character of no width, or
  // no character at all.
  static std::int32_t MarkerWidth(char32_t code);
  // The code page 932 bytes for a marker character, one a cell: its own
  // when the code page holds it in as many bytes as it takes cells, else its
  // substitute. exact tells which; a character the code page holds only as
  // another like it ("\u301C" as "\uFF5E") has that one's bytes and is not
  // exact, since they read back as the other.
  static std::string Cp932(char32_t code, bool& exact);
  // The same for a cluster of text: its own bytes only for a single
  // character; the substitute of a character with marks is the character's
  // own bytes where they fit, so "é" written as "e" and a mark is "e".
  static std::string Cp932(const Cluster& cluster, bool& exact);
  // What code page 932 output writes in place of a character it cannot hold
  // in the character's cells: an ASCII look-alike ("v" for a down arrow, "+"
  // for a box-drawing corner, "e" for "é", a blank for a no-break space,
  // ...), else "?" a cell.
  static std::string Substitute(char32_t code);
};

}  // namespace virlo
