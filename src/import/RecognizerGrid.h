#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "import/ArtCharacter.h"
#include "import/ArtGrid.h"
#include "import/ArtPlan.h"
#include "model/Stroke.h"

namespace virlo {

// The cells the recogniser's stages read and write, one record a cell, and
// what a cell's character may be as structure. Each stage marks what it
// made of a cell (`Cell::use`) and which box side or line runs through it,
// so the stages after it read the art as the ones before it left it.
class RecognizerGrid {
 public:
  using Element = ArtPlan::Element;
  using Side = ArtPlan::Side;

  // Shorter runs standing against a word are part of the text ("a-b", "--all", "p->next").
  static constexpr std::int32_t ShortestWordedRun = 3;
  // The most blanks between an operator ("<=") and the words either side.
  static constexpr std::int32_t MaxOperatorGap = 8;
  // A ruler over a header has at least this many numbered ticks.
  static constexpr std::int32_t ShortestRuler = 3;
  // A port's name written across a side down has at most this many letters,
  // and at most this many rows of them stand one over another.
  static constexpr std::int32_t LongestPortName = 4;
  static constexpr std::int32_t MostPortRows = 3;

  // What the reading made of a cell.
  enum class Use : std::uint8_t {
    Free,
    BoxCorner,
    BoxSide,
    // Text over a line or a side: a label, or what the art shows where a
    // line or a side cannot (its ASCII where the art is given back in box
    // drawing, a dashed side's dashes off the box's own).
    Label,
    Cover,
    // A blank in front of a side down where the art leaves a dashed side's gap.
    Gap,
    FramedText,
    // A line's run, or a dot on it.
    Line,
    // A line's end.
    End,
  };
  // One record a cell.
  struct Cell {
    char32_t code = U' ';
    // Never structure: a double-byte character, or one a former reading gave up on.
    bool text = false;
    Use use = Use::Free;
    // The box whose corner or side the cell is, and which side.
    std::int32_t box = -1;
    Side side = Side::Top;
    // The box side or line that runs across, and down, through the cell.
    Element across;
    Element down;
    // Text between two run cells in the row: a label if a run or a side takes it.
    bool labelled = false;
  };

  // Cells marked in forcedText (one a cell, row by row) are text whatever they hold.
  RecognizerGrid(const ArtGrid& grid, const std::vector<std::uint8_t>& forcedText);

  const ArtGrid& Source() const { return grid_; }
  std::int32_t Columns() const { return columns_; }
  std::int32_t Rows() const { return rows_; }
  // The art is given back in box drawing.
  bool Unicode() const { return unicode_; }
  std::vector<Cell>& Cells() { return cells_; }
  std::size_t Index(std::int32_t c, std::int32_t r) const {
    return static_cast<std::size_t>(r) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(c);
  }
  std::size_t Index(const ArtPlan::Cell& at) const { return Index(at.column, at.row); }

  bool Inside(std::int32_t c, std::int32_t r) const { return c >= 0 && r >= 0 && c < columns_ && r < rows_; }
  // A cell to write; outside the art a blank scratch cell, so a step past
  // the edge reads nothing and writes nowhere that matters.
  Cell& At(std::int32_t c, std::int32_t r) {
    if (!Inside(c, r)) {
      scratch_ = Cell{};
      return scratch_;
    }
    return cells_[Index(c, r)];
  }
  const Cell& At(std::int32_t c, std::int32_t r) const;
  // The character of a cell that may be structure: a blank outside the art,
  // 0 for text.
  char32_t Shape(std::int32_t c, std::int32_t r) const;
  bool IsFree(std::int32_t c, std::int32_t r) const;
  // A cell of the given way's run, and its stroke.
  std::optional<Stroke> RunAt(std::int32_t c, std::int32_t r, bool across) const {
    return ArtCharacter::Run(Shape(c, r), across);
  }
  // The marker a cell shows as a line's end or a dot: any arrowhead, a
  // corner character, a marker of the table or "v" under a run; a letter
  // only with no letter, digit or bracket beside it in its row. "<>" is
  // read here alone: at its "<" it is the aggregation marker, at its ">"
  // nothing.
  std::optional<ArtPlan::Marker> MarkerAt(std::int32_t c, std::int32_t r) const;
  // The cells the marker at a cell takes: 2 for "<>".
  std::int32_t MarkerCells(std::int32_t c, std::int32_t r) const;
  // Where a horizontal and a vertical run may meet at a right angle (a box's
  // corner, two ends joined): the corner characters, and a marker the user
  // gave a corner.
  bool IsCorner(std::int32_t c, std::int32_t r) const;
  // The top of a tick of a ruler over a header ("|0       |1" over
  // "+---+---+"): a "|" with nothing over it and a run under it, in a row
  // where at least ShortestRuler such ticks have a number after them.
  bool RulerTick(std::int32_t c, std::int32_t r) const;
  // A character that may stand in a box's top or bottom side, or its left
  // or right side.
  bool SideCell(std::int32_t c, std::int32_t r, bool across) const;
  // A short name written across a side down at (c, r), its first or last
  // letter in the side's column ("FL" over "|", a port), with the side
  // showing again above and below it.
  bool PortName(std::int32_t c, std::int32_t r) const;
  // Beside a blank in a side down, a "|" alone in its column, the side
  // jogged to for one row: -1 on the left, 1 on the right.
  std::optional<std::int32_t> JogAside(std::int32_t c, std::int32_t r) const;

 private:
  const ArtGrid& grid_;
  std::int32_t columns_ = 0;
  std::int32_t rows_ = 0;
  bool unicode_ = false;
  std::vector<Cell> cells_;
  Cell scratch_;
};

// A marker of the marker table, by its type.
inline ArtPlan::Marker TableMarker(std::int32_t type) { return ArtPlan::Marker{type, 0}; }

}  // namespace virlo
