#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "import/ArtGrid.h"
#include "import/ArtPlan.h"

namespace virlo {

// Reads the structure of character art: rectangles become boxes (framed
// text boxes where their text sits as a text box places it), runs of "-"
// and "|" become lines whose ends join at corners and rest on what they meet
// in a T, marker characters at a line's end become its markers and those
// inside a line dots resting on it, and everything else becomes text boxes.
// Cells marked as text are read as text whatever they hold.
class ArtRecognizer {
 public:
  ArtRecognizer(const ArtGrid& grid, const std::vector<std::uint8_t>& forcedText);
  ArtPlan Recognize();

 private:
  // Label: text written into a box's top or bottom side, or over a line.
  enum class Owner : std::uint8_t { Free, BoxCorner, BoxEdge, Label, FramedText };
  struct EdgeRef {
    std::int32_t box = -1;
    ArtPlan::Side side = ArtPlan::Side::Top;
  };

  std::size_t Index(std::int32_t c, std::int32_t r) const {
    return static_cast<std::size_t>(r) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(c);
  }
  bool Inside(std::int32_t c, std::int32_t r) const { return c >= 0 && r >= 0 && c < columns_ && r < rows_; }
  // The byte of a cell, or a blank outside the art or where it is text only.
  char Structural(std::int32_t c, std::int32_t r) const;
  // Text: a wide character's cell, or one a former reading gave up on.
  bool IsText(std::int32_t c, std::int32_t r) const;
  bool IsForced(std::int32_t c, std::int32_t r) const;
  bool IsFree(std::int32_t c, std::int32_t r) const;
  Owner OwnerOf(std::int32_t c, std::int32_t r) const;
  // The marker a cell shows at a line's end, or -1; a letter counts only where
  // no letter or digit stands beside it.
  std::int32_t MarkerAt(std::int32_t c, std::int32_t r) const;
  // The same for a cell of a box's left or right side, where text inside the
  // box may touch it: only the cell outside, a step of outward, must not be a
  // letter or digit.
  std::int32_t SideMarkerAt(std::int32_t c, std::int32_t r, std::int32_t outward) const;

  void FindLabels();
  void FindBoxes();
  bool TryBox(std::int32_t c0, std::int32_t r0);
  void ClaimBox(const ArtPlan::Box& box);
  void FindLines(bool horizontal);
  void LinkEnds();
  // Stacks boxes and lines so that each shows where the art shows it.
  void Stack();
  void FindText();
  void MakeFramedText();

  const ArtGrid& grid_;
  const std::vector<std::uint8_t>& forcedText_;
  std::int32_t columns_ = 0;
  std::int32_t rows_ = 0;
  std::vector<Owner> owner_;
  std::vector<EdgeRef> edge_;
  std::vector<std::uint8_t> labelCell_;
  // Cells a line or dot writes; the rest, where not blank, is text.
  std::vector<std::uint8_t> covered_;
  // The line that runs through a cell (its ends excluded), across and down.
  std::vector<std::int32_t> horizontalAt_;
  std::vector<std::int32_t> verticalAt_;
  // The box sides and lines that run across, and down, through each cell:
  // a box as 2 * index, a line as 2 * index + 1; -1 for none. Two where
  // boxes share a side.
  using Runners = std::array<std::int32_t, 2>;
  std::vector<Runners> acrossRunner_;
  std::vector<Runners> downRunner_;
  ArtPlan plan_;
};

}  // namespace virlo
