#include "import/Stacker.h"

#include <cstdint>
#include <utility>

#include "import/DottedRun.h"

namespace virlo {

std::size_t Stacker::Slot(const Element& e) const {
  return e.kind == Element::Kind::Box ? static_cast<std::size_t>(e.index)
                                      : plan_.boxes.size() + static_cast<std::size_t>(e.index);
}

std::vector<std::vector<Stacker::Element>> Stacker::Behind() const {
  const std::size_t boxes = plan_.boxes.size();
  std::vector<std::vector<Element>> behind(boxes + plan_.lines.size());
  for (std::int32_t r = 0; r < cells_.Rows(); ++r) {
    for (std::int32_t c = 0; c < cells_.Columns(); ++c) {
      const RecognizerGrid::Cell& cell = cells_.At(c, r);
      if (!cell.across || !cell.down || cell.across == cell.down) continue;
      if (DottedRun::Across(cells_, c, r)) behind[Slot(cell.across)].push_back(cell.down);
      if (cells_.RunAt(c, r, false)) behind[Slot(cell.down)].push_back(cell.across);
    }
  }
  // A box's corner over another's side or a line shows the corner.
  for (std::int32_t b = 0; b < static_cast<std::int32_t>(boxes); ++b) {
    const ArtPlan::Box& box = plan_.boxes[static_cast<std::size_t>(b)];
    for (const ArtPlan::Cell at : {box.topLeft, box.bottomRight, ArtPlan::Cell{box.bottomRight.column, box.topLeft.row},
                                   ArtPlan::Cell{box.topLeft.column, box.bottomRight.row}}) {
      const RecognizerGrid::Cell& cell = cells_.At(at.column, at.row);
      for (const Element& runner : {cell.across, cell.down}) {
        if (runner && runner != Element::Box(b)) behind[static_cast<std::size_t>(b)].push_back(runner);
      }
    }
  }
  return behind;
}

void Stacker::Run() {
  const std::vector<std::vector<Element>> behind = Behind();
  // Depth first: what must lie behind an element goes in before it. A cycle
  // cannot be drawn as the art shows; the check after building finds it.
  std::vector<std::uint8_t> state(behind.size(), 0);
  std::vector<std::pair<Element, std::size_t>> stack;
  auto visit = [&](Element root) {
    if (state[Slot(root)] != 0) return;
    state[Slot(root)] = 1;
    stack.emplace_back(root, 0);
    while (!stack.empty()) {
      auto& [element, next] = stack.back();
      const std::vector<Element>& before = behind[Slot(element)];
      if (next < before.size()) {
        const Element other = before[next++];
        if (state[Slot(other)] == 0) {
          state[Slot(other)] = 1;
          stack.emplace_back(other, 0);
        }
        continue;
      }
      plan_.order.push_back(element);
      stack.pop_back();
    }
  };
  for (std::int32_t b = 0; b < static_cast<std::int32_t>(plan_.boxes.size()); ++b) visit(Element::Box(b));
  for (std::int32_t l = 0; l < static_cast<std::int32_t>(plan_.lines.size()); ++l) visit(Element::Line(l));
}

}  // namespace virlo
