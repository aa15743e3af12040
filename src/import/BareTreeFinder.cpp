#include "import/BareTreeFinder.h"

#include <utility>

#include "import/ArtCharacter.h"
#include "objects/MarkerTable.h"

namespace virlo {
namespace {

using Use = RecognizerGrid::Use;

constexpr char32_t Tee = U'├';
constexpr char32_t Last = U'└';
constexpr char32_t Stem = U'│';

ArtPlan::Marker Shown(char32_t mark) { return ArtPlan::Marker{MarkerTable::Character, mark}; }

}  // namespace

void BareTreeFinder::Run() {
  for (std::int32_t c = 0; c < cells_.Columns(); ++c) {
    for (std::int32_t r = 1; r < cells_.Rows(); ++r) {
      if (BareMark(c, r, Tee) || BareMark(c, r, Last)) Trunk(c, r);
    }
  }
}

bool BareTreeFinder::BareMark(std::int32_t c, std::int32_t r, char32_t mark) const {
  if (!cells_.IsFree(c, r) || cells_.Shape(c, r) != mark || cells_.Shape(c + 1, r) != U' ') return false;
  // The name: text, not line art.
  const char32_t name = cells_.At(c + 2, r).code;
  return name != U' ' && (cells_.At(c + 2, r).text || !ArtCharacter::IsBoxDrawing(name)) && cells_.IsFree(c + 2, r);
}

bool BareTreeFinder::Trunk(std::int32_t c, std::int32_t r) {
  // It hangs under its parent's name, and starts there.
  const char32_t parent = cells_.At(c, r - 1).code;
  if (parent == U' ' || !cells_.IsFree(c, r - 1) || ArtCharacter::IsBoxDrawing(parent)) return false;
  std::int32_t last = r;
  while (!BareMark(c, last, Last)) {
    ++last;
    const bool goesOn =
        cells_.IsFree(c, last) && (cells_.Shape(c, last) == Stem || BareMark(c, last, Tee) || BareMark(c, last, Last));
    if (!goesOn) return false;
  }
  if (last == r) {
    // An entry alone under its parent.
    Branch(c, r, Last, -1);
    return true;
  }
  const auto index = static_cast<std::int32_t>(plan_.lines.size());
  ArtPlan::Line trunk;
  trunk.horizontal = false;
  trunk.start.cell = {c, r};
  trunk.start.marker = Shown(Tee);
  trunk.end.cell = {c, last};
  trunk.end.marker = Shown(Last);
  plan_.lines.push_back(std::move(trunk));
  for (std::int32_t k = r; k <= last; ++k) {
    RecognizerGrid::Cell& cell = cells_.At(c, k);
    cell.use = k == r || k == last ? Use::End : Use::Line;
    cell.down = ArtPlan::Element::Line(index);
  }
  // The first entry's mark starts the trunk too: each rests on the other.
  const auto first = static_cast<std::int32_t>(plan_.lines.size());
  for (std::int32_t k = r; k < last; ++k) {
    if (cells_.At(c, k).code == Tee) Branch(c, k, Tee, index);
  }
  plan_.lines[static_cast<std::size_t>(index)].start.host =
      ArtPlan::Host{ArtPlan::Element::Line(first), ArtPlan::Side::Top};
  return true;
}

void BareTreeFinder::Branch(std::int32_t c, std::int32_t r, char32_t mark, std::int32_t trunk) {
  ArtPlan::Line branch;
  branch.start.cell = {c, r};
  branch.start.marker = Shown(mark);
  if (trunk >= 0) branch.start.host = ArtPlan::Host{ArtPlan::Element::Line(trunk), ArtPlan::Side::Top};
  branch.end = branch.start;
  plan_.lines.push_back(std::move(branch));
  cells_.At(c, r).use = Use::End;
}

}  // namespace virlo
