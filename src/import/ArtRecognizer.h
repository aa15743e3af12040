#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "import/ArtCharacter.h"
#include "import/ArtGrid.h"
#include "import/ArtPlan.h"

namespace virlo {

// Reads the structure of character art into a plan (docs/import.md gives
// the stages): rectangles become boxes, runs become lines whose ends join
// at corners, rest on what they meet in a T and dock on what they point at
// one cell away, arrowheads and marker characters at a run's end become its
// markers and those inside a run dots resting on it, text written over a
// run or a side becomes its label, and everything else text. Cells marked
// as text are read as text whatever they hold.
class ArtRecognizer {
 public:
  ArtRecognizer(const ArtGrid& grid, const std::vector<std::uint8_t>& forcedText);
  ArtPlan Recognize();

 private:
  using Element = ArtPlan::Element;
  using Side = ArtPlan::Side;
  using Way = ArtCharacter::Way;

  // What the reading made of a cell.
  enum class Use : std::uint8_t {
    Free,
    BoxCorner,
    BoxSide,
    // Text over a line or a side: a label, or what a line shows in the
    // art's ASCII where the art is given back in box drawing.
    Label,
    Cover,
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

  // A run of a line found in a row (across) or a column (down): its run
  // cells from first to last along the way, and what lies between them.
  struct Track {
    bool across = true;
    std::int32_t fixed = 0;
    std::int32_t first = 0;
    std::int32_t last = 0;
    Stroke stroke = Stroke::Solid;
    std::int32_t runCells = 0;
  };

  bool Inside(std::int32_t c, std::int32_t r) const { return c >= 0 && r >= 0 && c < columns_ && r < rows_; }
  // A cell to write; outside the art a blank scratch cell, so a step past
  // the edge reads nothing and writes nowhere that matters.
  Cell& At(std::int32_t c, std::int32_t r) {
    if (!Inside(c, r)) {
      scratch_ = Cell{};
      return scratch_;
    }
    return cells_[static_cast<std::size_t>(r) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(c)];
  }
  const Cell& At(std::int32_t c, std::int32_t r) const;
  // The character of a cell that may be structure: a blank outside the art,
  // 0 for text.
  char32_t Shape(std::int32_t c, std::int32_t r) const;
  bool IsFree(std::int32_t c, std::int32_t r) const;
  // A cell of the given way's run, and its stroke.
  std::optional<Stroke> RunAt(std::int32_t c, std::int32_t r, bool across) const;
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
  // A character that may stand in a box's top or bottom side, or its left
  // or right side.
  bool SideCell(std::int32_t c, std::int32_t r, bool across) const;

  void FindLabels();
  void FindBoxes();
  bool TryBox(std::int32_t c0, std::int32_t r0, std::int32_t& budget);
  void ClaimBox(const ArtPlan::Box& box);
  void FindLines(bool across);
  // How many cells at (c, r) a track may pass over before its run goes on
  // at the cell after them: a junction, a crossing, a side, a dot or a
  // label; 0 for none.
  std::int32_t Passable(const Track& track, std::int32_t along) const;
  ArtPlan::End EndOf(const Track& track, bool atStart) const;
  void AddLine(const Track& track, ArtPlan::End start, ArtPlan::End end);
  // Two-cell lines down between a corner and the corner right under it.
  void FindSteps();
  void LinkEnds();
  void FindDots();
  void CoverAscii();
  // Stacks boxes and lines so that each shows where the art shows it.
  void Stack();
  void MakeFramedText();
  void FindText();
  void KeepCharacters();
  void FindLeftovers();

  const ArtGrid& grid_;
  const std::vector<std::uint8_t>& forcedText_;
  std::int32_t columns_ = 0;
  std::int32_t rows_ = 0;
  // The art is given back in box drawing.
  bool unicode_ = false;
  std::vector<Cell> cells_;
  Cell scratch_;
  ArtPlan plan_;
};

}  // namespace virlo
