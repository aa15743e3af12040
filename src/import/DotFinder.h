#pragma once

#include <cstdint>
#include <vector>

#include "import/ArtPlan.h"
#include "import/RecognizerGrid.h"

namespace virlo {

// Finds dots: markers, junctions and crossings inside a line's run or on a
// box's side that no line ends at, each resting on its line or side, and
// the slanted sides of a head drawn in three characters beside a run's end.
class DotFinder {
 public:
  DotFinder(RecognizerGrid& cells, ArtPlan& plan) : cells_(cells), plan_(plan) {}
  void Run();

 private:
  // One a cell: a line's end (or its two-cell marker) or a dot stands there.
  std::vector<std::uint8_t> EndCells() const;
  void OnLine(std::int32_t line, std::vector<std::uint8_t>& taken);
  void OnSides(const std::vector<std::uint8_t>& taken);
  // The slanted sides of a head of three characters at a run's end down
  // ("\|/" under a run, "/|\" over one): dots on the line beside its
  // end, which shows the "|" between them.
  void SlantedSides(std::int32_t line);

  RecognizerGrid& cells_;
  ArtPlan& plan_;
};

}  // namespace virlo
