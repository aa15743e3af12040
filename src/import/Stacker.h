#pragma once

#include <vector>

#include "import/ArtPlan.h"
#include "import/RecognizerGrid.h"

namespace virlo {

// Orders the boxes and lines from the back to the front so that each shows
// where the art shows it: where a line or a side crosses another, the one
// whose run the art shows there lies in front, and a box's corner lies in
// front of the side or line it stands on.
class Stacker {
 public:
  Stacker(const RecognizerGrid& cells, ArtPlan& plan) : cells_(cells), plan_(plan) {}
  void Run();

 private:
  using Element = ArtPlan::Element;

  // Each element's own slot: boxes first, then lines.
  std::size_t Slot(const Element& e) const;
  // For each slot, the elements that must be drawn before it.
  std::vector<std::vector<Element>> Behind() const;

  const RecognizerGrid& cells_;
  ArtPlan& plan_;
};

}  // namespace virlo
