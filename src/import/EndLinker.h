#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "import/ArtPlan.h"
#include "import/RecognizerGrid.h"

namespace virlo {

// Links the lines' ends: an end on a side or a line rests on it; two ends
// at one corner are joined; an end one cell before a side or a line,
// pointing at it, is docked on it (and one a blank before a box side, or
// an arrowhead a blank before a line, with that gap). Where a run changes
// its stroke at a tee the stem and one piece are joined and the other
// piece rests on the stem, and the two pieces of a run crossing a box side
// are joined where they meet, each resting on the side. Ends at a
// box-drawing character whose arms the lines do not draw show the
// character.
class EndLinker {
 public:
  EndLinker(RecognizerGrid& cells, ArtPlan& plan);
  void Run();

 private:
  // A line's end: its line's index, and true for its end (false for its start).
  using EndId = std::pair<std::int32_t, bool>;

  ArtPlan::End& EndOf(EndId id);
  bool Horizontal(std::int32_t line) const { return plan_.lines[static_cast<std::size_t>(line)].horizontal; }
  // The side or line running across the given way through a cell: what an
  // end there rests on, or docks on from the cell before.
  std::optional<ArtPlan::Host> HostAt(const ArtPlan::Cell& at, bool horizontal) const;
  // The host a cell of a box's corner or side gives an end of the given way.
  ArtPlan::Host BoxHost(std::int32_t box, const ArtPlan::Cell& at, bool horizontal) const;
  void Link(EndId id);
  // At a tee one run goes through, whether it is the run across (true) or
  // the run down (false): "├" and "|" the run down, "┬" the run across;
  // nothing at a corner or a crossing.
  std::optional<bool> ThroughAcross(const ArtPlan::Cell& at) const;
  // Three ends at a tee where a run changes its stroke.
  void LinkTee(const EndId (&ends)[3]);
  // Pointing at a side or a line in the next cell: docked; past one blank,
  // docked with a gap on a box side, or on a line its arrowhead points at.
  void Dock(EndId id);
  // A joined end at a corner right beside a box side, its line leaving the
  // side (a fork "+" beside it): docked on the side as well, so the fork
  // follows the box.
  void DockFork(EndId id);
  // Joins the two pieces of a run that crosses a box side where they meet.
  void JoinAcrossSides(EndId id);
  // Where the ends at a box-drawing character leave it by other arms than
  // it shows (a tree's "├" whose arm up reaches the name above), the ends
  // show the character itself.
  void ShowCharacters();

  RecognizerGrid& cells_;
  ArtPlan& plan_;
  // The ends of the lines, by their cells.
  std::unordered_map<std::size_t, std::vector<EndId>> endsAt_;
  // Whether a cell lies inside a box's frame, by cell: a crossing there is
  // a table's or a header's, where the runs above and below are two.
  std::vector<bool> insideBox_;
};

}  // namespace virlo
