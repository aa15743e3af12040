#include "objects/Contents.h"

#include <unordered_set>

#include "objects/Box.h"
#include "objects/HitIndex.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"

namespace virlo {

const std::vector<DrawObj*>& Contents::Of(const Box& box) {
  auto [it, added] = found_.try_emplace(&box);
  std::vector<DrawObj*>& contents = it->second;
  if (!added) return contents;
  const Sheet* sheet = box.sheet;
  const Rect frame = box.Frame();
  auto inside = [&frame](Point p) {
    return frame.left <= p.x && p.x <= frame.right && frame.top <= p.y && p.y <= frame.bottom;
  };
  const Point firstCell = sheet->CellOf(frame.left, frame.top);
  const Point lastCell = sheet->CellOf(frame.right, frame.bottom);
  auto liesInside = [&](const DrawObj* obj) {
    // Text without a frame is as large as its text: its blank frame may
    // reach over the box's sides.
    if (const auto* text = dynamic_cast<const StrBox*>(obj); text != nullptr && text->frame == 0) {
      const Rect cells = text->TextCells();
      const bool within = cells.left >= firstCell.x && cells.right - 1 <= lastCell.x && cells.top >= firstCell.y &&
                          cells.bottom - 1 <= lastCell.y;
      return within || box.WrittenOverSide(*text);
    }
    if (const auto* other = dynamic_cast<const Box*>(obj)) {
      return inside(other->FirstCorner()) && inside(other->OppositeCorner());
    }
    if (const auto* line = dynamic_cast<const Line*>(obj))
      return inside(line->start.GetPos()) && inside(line->end.GetPos());
    return inside(obj->GetPos());
  };
  std::vector<DrawObj*> candidates;
  std::unordered_set<const DrawObj*> carried;
  for (DrawObj* obj : sheet->Index().Near({frame.left, frame.top, frame.right + 1, frame.bottom + 1})) {
    if (obj == &box || !liesInside(obj)) continue;
    candidates.push_back(obj);
    carried.insert(obj);
  }
  // What rests on a line stays with that line: a line of the box itself or
  // one carried with it.
  auto goesAlong = [&](const DrawObj* line) {
    return line == nullptr || line->parent == &box || carried.count(const_cast<DrawObj*>(line)->Root()) != 0;
  };
  for (DrawObj* obj : candidates) {
    if (const auto* text = dynamic_cast<const StrBox*>(obj); text != nullptr && !goesAlong(text->restLine)) continue;
    if (const auto* dot = dynamic_cast<const Dot*>(obj); dot != nullptr && !goesAlong(dot->GetLine())) continue;
    contents.push_back(obj);
  }
  return contents;
}

}  // namespace virlo
