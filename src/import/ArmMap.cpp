#include "import/ArmMap.h"

#include <algorithm>
#include <utility>

namespace virlo {
namespace {

using Way = ArtCharacter::Way;

// As Canvas::WeightOf: dashed and dotted lines join as light ones.
std::uint8_t WeightOf(Stroke stroke) {
  constexpr std::uint8_t Light = 1;
  constexpr std::uint8_t Heavy = 2;
  constexpr std::uint8_t Double = 3;
  return stroke == Stroke::Heavy ? Heavy : stroke == Stroke::Double ? Double : Light;
}

}  // namespace

ArmMap::ArmMap(const RecognizerGrid& cells, const ArtPlan& plan)
    : cells_(cells), arms_(static_cast<std::size_t>(cells.Columns()) * static_cast<std::size_t>(cells.Rows())) {
  for (const ArtPlan::Line& line : plan.lines) {
    const std::int32_t fixed = line.horizontal ? line.start.cell.row : line.start.cell.column;
    const std::int32_t from = line.horizontal ? line.start.cell.column : line.start.cell.row;
    const std::int32_t to = line.horizontal ? line.end.cell.column : line.end.cell.row;
    AddRun(line.horizontal, fixed, std::min(from, to), std::max(from, to), line.stroke);
  }
  for (const ArtPlan::Box& box : plan.boxes) {
    const auto [c0, r0] = box.topLeft;
    const auto [c1, r1] = box.bottomRight;
    auto stroke = [&](ArtPlan::Side side) { return box.strokes[static_cast<std::size_t>(side)]; };
    AddRun(true, r0, c0, c1, stroke(ArtPlan::Side::Top));
    AddRun(true, r1, c0, c1, stroke(ArtPlan::Side::Bottom));
    AddRun(false, c0, r0, r1, stroke(ArtPlan::Side::Left));
    AddRun(false, c1, r0, r1, stroke(ArtPlan::Side::Right));
  }
}

void ArmMap::AddRun(bool horizontal, std::int32_t fixed, std::int32_t from, std::int32_t to, Stroke stroke) {
  const Way back = horizontal ? Way::Left : Way::Up;
  const Way on = horizontal ? Way::Right : Way::Down;
  for (std::int32_t k = from; k <= to; ++k) {
    const std::int32_t c = horizontal ? k : fixed;
    const std::int32_t r = horizontal ? fixed : k;
    if (k > from) Add(c, r, back, stroke);
    if (k < to) Add(c, r, on, stroke);
  }
}

void ArmMap::Add(std::int32_t c, std::int32_t r, Way way, Stroke stroke) {
  if (!cells_.Inside(c, r)) return;
  std::uint8_t& weight = arms_[cells_.Index(c, r)].weight[static_cast<std::size_t>(way)];
  weight = std::max(weight, WeightOf(stroke));
}

bool ArmMap::Shows(const ArtPlan::Cell& at) const {
  if (!cells_.Inside(at.column, at.row)) return true;
  const char32_t code = cells_.Shape(at.column, at.row);
  const ArtCharacter::Arms shown = ArtCharacter::ArmsOf(code);
  if (!shown.Any()) return true;
  const ArtCharacter::Arms& drawn = arms_[cells_.Index(at)];
  return std::equal(std::begin(shown.weight), std::end(shown.weight), std::begin(drawn.weight));
}

}  // namespace virlo
