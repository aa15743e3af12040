#pragma once

#include "import/ArtPlan.h"
#include "import/RecognizerGrid.h"

namespace virlo {

// Finds steps: a corner right over a corner, each the end of a run across
// ("──╮" over "╰──", "--." over "`--"), where the run steps down a row. A
// line down of two cells joins the two runs there.
class StepFinder {
 public:
  StepFinder(RecognizerGrid& cells, ArtPlan& plan) : cells_(cells), plan_(plan) {}
  void Run();

 private:
  RecognizerGrid& cells_;
  ArtPlan& plan_;
};

}  // namespace virlo
