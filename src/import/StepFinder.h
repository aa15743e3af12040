#pragma once

#include <cstdint>
#include <optional>

#include "import/ArtCharacter.h"
#include "import/ArtPlan.h"
#include "import/RecognizerGrid.h"

namespace virlo {

// Finds steps: a corner right over a corner, each the end of a run across
// ("──╮" over "╰──", "--." over "`--"), where the run steps down a row. A
// line down of two cells joins the two runs there; so does one from a
// corner to an arrowhead right under or over it.
class StepFinder {
 public:
  StepFinder(RecognizerGrid& cells, ArtPlan& plan) : cells_(cells), plan_(plan) {}
  void Run();

 private:
  // A head right under or over a junction inside a run across ("═╪═" over
  // "▼"): a line of two cells from the junction, resting on the run, to the head.
  void HeadsAtJunctions();
  // A head against the corner its line turns at ("◀┐" beside a box's
  // side, a callout): a line of two cells from the corner to the head.
  void HeadsAgainstCorners();
  // An arrowhead right under or over the corner a run across ends at, with
  // no run between (".----." with "v" under a "."): a line down of two
  // cells from the corner to the head; and one onto a box's side right
  // under or over it, where the side shows the line arriving (a loop back
  // into the box: "┐" over "▼", "┌" over "┴" or over a corner "├").
  void HeadAtCorner(const ArtPlan::Cell& corner, const ArtPlan::Marker& marker);
  // The cell the given way (dr) from a corner is a box's side facing it,
  // showing a head into the box or a tee with its arm towards the corner.
  bool InSide(const ArtPlan::Cell& at, std::int32_t dr, std::optional<ArtCharacter::Way> head) const;
  // An arrowhead with no run (a "⇓" over a box, "^" under a mark on a side,
  // "│⇒ DONE"), next to a side or a line it points at or leaves: a line of
  // one cell, its ends docked on what lies before and after it; two heads
  // back to back ("▲" over "▼"), one line of two cells.
  void LoneHeads();
  // Calls visit(cell, way, marker) for every arrowhead still free, in
  // reading order, each asked for when the cells before it are done.
  template <typename Visit>
  void ForEachFreeHead(Visit visit);

  RecognizerGrid& cells_;
  ArtPlan& plan_;
};

}  // namespace virlo
