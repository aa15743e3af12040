#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace virlo {

// Text laid out on the character grid, as the device contexts draw it:
// every character (with the marks that join it) at its own cell, in the
// cells CharacterCell gives it, tabs advancing to their stops, and lines
// broken into rows of a given width after a blank where one fits. So text
// keeps its cells whatever face draws it, and stands where the art puts it.
class GridText {
 public:
  // One character of a line of text and the cell it starts in.
  struct Glyph {
    std::string utf8;
    std::int32_t cell = 0;
    std::int32_t cells = 1;
  };
  using GlyphRow = std::vector<Glyph>;

  // Reads the glyphs of one line of UTF-8 text one at a time, as Glyphs
  // lists them; a copy remembers where it stood.
  class Reader {
   public:
    Reader(std::string_view line, std::int32_t tabCells) : line_(line), tabCells_(tabCells) {}
    // False at the end of the line.
    bool Next(Glyph& glyph);
    bool operator==(const Reader& other) const { return at_ == other.at_; }

   private:
    std::string_view line_;
    std::int32_t tabCells_;
    std::size_t at_ = 0;
    std::int32_t cell_ = 0;
  };
  // One row of a broken line: where its glyphs begin and end in the line,
  // the cell of its first glyph, and how many cells it spans.
  struct RowSpan {
    Reader begin;
    Reader end;
    std::int32_t origin = 0;
    std::int32_t cells = 0;
  };

  // The glyphs of one line of text; tabs advance to the next multiple of
  // tabCells. A byte that is no UTF-8 is "?", and marks with no character to
  // join stand on a blank, as the art shows them.
  static GlyphRow Glyphs(std::string_view line, std::int32_t tabCells);
  static std::int32_t Cells(const GlyphRow& row);
  // The rows of a line, broken when maxCells is positive into rows of at
  // most that many cells, after a blank where one fits; at most limit rows.
  // The glyphs are read again for each row rather than kept: a line may be
  // far longer than what shows of it.
  static std::vector<RowSpan> Rows(std::string_view line, std::int32_t tabCells, std::int32_t maxCells,
                                   std::size_t limit);
  // The glyphs of a row whose cells, counted from its first, fall within
  // [from, to).
  static GlyphRow RowGlyphs(const RowSpan& span, std::int64_t from, std::int64_t to);
};

}  // namespace virlo
