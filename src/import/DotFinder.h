#pragma once

#include <cstdint>
#include <vector>

#include "import/ArtPlan.h"
#include "import/RecognizerGrid.h"

namespace virlo {

// Finds dots: markers, junctions and crossings inside a line's run or on a
// box's side that no line ends at, each resting on its line or side.
class DotFinder {
 public:
  DotFinder(RecognizerGrid& cells, ArtPlan& plan) : cells_(cells), plan_(plan) {}
  void Run();

 private:
  // One a cell: a line's end (or its two-cell marker) or a dot stands there.
  std::vector<std::uint8_t> EndCells() const;
  void OnLine(std::int32_t line, std::vector<std::uint8_t>& taken);
  void OnSides(const std::vector<std::uint8_t>& taken);

  RecognizerGrid& cells_;
  ArtPlan& plan_;
};

}  // namespace virlo
