#pragma once

#include <cstdint>
#include <vector>

#include "import/ArtCharacter.h"
#include "import/ArtPlan.h"
#include "import/BoxIndex.h"
#include "import/RecognizerGrid.h"

namespace virlo {

// Finds boxes: from every corner, the largest frame whose four corners and
// sides the art shows. A tee beside a corner is a line leaving the side,
// two corners side by side close two frames (a row of "." is a dotted
// side, not corners), and a frame inside another sharing one of its sides
// is a compartment of it, no box. Reads rounded corners and each side's
// stroke, and claims the frame's cells for the box.
class BoxFinder {
 public:
  BoxFinder(RecognizerGrid& cells, ArtPlan& plan) : cells_(cells), plan_(plan), found_(plan.boxes) {}
  void Run();

 private:
  using Way = ArtCharacter::Way;
  using Side = ArtPlan::Side;

  // A double frame drawn with "=" across, "#" down and '"' corners.
  bool TryQuoted(std::int32_t c0, std::int32_t r0);
  // The largest box with its top left corner at (c0, r0); budget counts
  // down the frames tried.
  bool TryBox(std::int32_t c0, std::int32_t r0, std::int32_t& budget);
  // A box drawn behind the given one, a cell down and dx aside ("║╗" over
  // "╚═══╝║"): three corners and two sides show, the rest lies behind the
  // front box, which holds only text.
  bool TryBehind(std::size_t front, std::int32_t dx);
  // A corner of the frame: a corner character whose arms (where it has
  // any) reach along both of its sides, or a side's run going on to the
  // corner ("-" corners).
  bool Corner(std::int32_t c, std::int32_t r, Way along, Way down) const;
  // Two corners side by side close two frames: a side goes no further. A
  // dotted side across is a row of "." and goes on.
  bool Pair(std::int32_t c, std::int32_t r, std::int32_t dc, std::int32_t dr) const;
  // The columns of the top side that may be its right corner.
  std::vector<std::int32_t> Rights(std::int32_t c0, std::int32_t r0) const;
  // The rows of the left side that may be its bottom corner.
  std::vector<std::int32_t> Bottoms(std::int32_t c0, std::int32_t r0) const;
  // The right and bottom sides close the frame, and every side shows line art.
  bool Closes(std::int32_t c0, std::int32_t r0, std::int32_t c1, std::int32_t r1) const;
  // A side shows a run or a junction somewhere between from and to: a
  // column of "/" or "*" (a comment's margin) frames nothing.
  bool Shows(bool across, std::int32_t fixed, std::int32_t from, std::int32_t to) const;
  // A box found before has its top left corner there.
  bool StartsBox(std::int32_t c, std::int32_t r) const;
  // The frame lies inside a box found before and shares one of its sides,
  // and is one of its compartments.
  bool InsideAnother(std::int32_t c0, std::int32_t r0, std::int32_t c1, std::int32_t r1) const;
  // Both corners of one side are crossings whose runs go on out of the
  // frame: two runs crossing a frame's edge, no box of their own.
  bool CrossedEdge(std::int32_t c0, std::int32_t r0, std::int32_t c1, std::int32_t r1) const;
  ArtPlan::Box MakeBox(std::int32_t c0, std::int32_t r0, std::int32_t c1, std::int32_t r1) const;
  // The stroke most of a side's run shows; dashed where blanks part it.
  Stroke SideStroke(const ArtPlan::Box& box, Side side) const;
  // A dashed side shows a dash where the box leaves a gap, or a gap where
  // it draws a dash: the box draws a dashed side with a gap beside each
  // corner ("+ - - +").
  // A side not dashed has a blank cell the author left in it.
  bool HasGap(const ArtPlan::Box& box, Side side) const;
  bool OffPhase(const ArtPlan::Box& box, Side side) const;
  // Marks the frame's cells as the box's corners and sides.
  void Claim(const ArtPlan::Box& box);

  RecognizerGrid& cells_;
  ArtPlan& plan_;
  BoxIndex found_;
};

}  // namespace virlo
