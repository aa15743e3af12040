#pragma once

#include "import/ArtPlan.h"
#include "import/RecognizerGrid.h"

namespace virlo {

// What the art shows where a line or a side cannot draw it is kept in front
// of it as text. For art given back in box drawing, a line or a side shows
// box drawing where it runs, so the art's own ASCII there ("-|+=:.'") is
// kept in front, and both styles come back. A dashed side whose dashes
// stand where the box leaves its gaps ("+- - -+") is kept in front as the
// art shows it: across, its dashes and gaps; down, a blank over each gap.
class AsciiCover {
 public:
  AsciiCover(RecognizerGrid& cells, const ArtPlan& plan) : cells_(cells), plan_(plan) {}
  // The ASCII of art given back in box drawing, after the dots are found.
  void Run();
  // The sides the art shows in front, before the dots are found: what they
  // show is no dot.
  void CoverSides();

 private:
  RecognizerGrid& cells_;
  const ArtPlan& plan_;
};

}  // namespace virlo
