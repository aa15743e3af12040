#pragma once

#include <cstdint>
#include <vector>

#include "import/ArtGrid.h"
#include "import/ArtPlan.h"
#include "import/RecognizerGrid.h"

namespace virlo {

// Reads the structure of character art into a plan (docs/import.md gives
// the stages): rectangles become boxes, runs become lines whose ends join
// at corners, rest on what they meet in a T and dock on what they point at
// one cell away, arrowheads and marker characters at a run's end become its
// markers and those inside a run dots resting on it, text written over a
// run or a side becomes its label, and everything else text. Cells marked
// as text are read as text whatever they hold. Each stage is a class of its
// own over the shared cell records (RecognizerGrid); this runs them in order.
class ArtRecognizer {
 public:
  ArtRecognizer(const ArtGrid& grid, const std::vector<std::uint8_t>& forcedText);
  ArtPlan Recognize();

 private:
  RecognizerGrid cells_;
  ArtPlan plan_;
};

}  // namespace virlo
