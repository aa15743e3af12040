#include "tools/LineTool.h"

#include <cstdlib>

#include "model/Sheet.h"
#include "objects/Line.h"
#include "platform/Window.h"
#include "store/Store.h"

namespace virlo {

std::int32_t LineTool::LButtonDown(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  DrawTool::LButtonDown(flags, x, y);
  startTarget = sheet->PickObject(anchorPoint.x, anchorPoint.y, nullptr);
  if (DrawObj* old = sheet->current) {
    sheet->current = nullptr;
    old->SelectAndRedraw(selection);
    selection.Clear();
    if (view != nullptr) view->UpdateWindow();
  }
  return 0;
}

std::int32_t LineTool::MouseMove(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  // Nothing is drawn until the pointer leaves the press cell.
  if (TrackPoint(flags, x, y) == 0) {
    CommitPoint();
    return 0;
  }
  Line* created = nullptr;
  if (sheet->current == nullptr) {
    created = store::New<Line>(store::Database::Of(sheet), sheet, lastPoint.x, lastPoint.y, curPoint.x, curPoint.y,
                               nullptr, startTarget);
    if (created != nullptr) created->flags |= DrawObj::Visible;
  } else if (auto* line = dynamic_cast<Line*>(sheet->current)) {
    std::int32_t px = curPoint.x;
    std::int32_t py = curPoint.y;
    const Point s = line->start.GetPos();
    if (std::llabs(std::int64_t{px} - s.x) > std::llabs(std::int64_t{py} - s.y)) {
      line->orientation = Line::Horizontal;
      py = s.y;
    } else {
      line->orientation = Line::Vertical;
      px = s.x;
    }
    line->SelectAndRedraw(selection);
    selection.Clear();
    // Written directly: whatever is joined to the end must not follow.
    line->end.x = px;
    line->end.y = py;
    line->SelectAndRedraw(selection);
    selection.Clear();
  }
  if (sheet->current == nullptr) sheet->current = created;
  if (view != nullptr) view->UpdateWindow();
  CommitPoint();
  return sheet->current != nullptr ? 1 : 0;
}

std::int32_t LineTool::LButtonUp(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  DrawTool::LButtonUp(flags, x, y);
  if (sheet->current == nullptr) return 0;
  if (auto* line = dynamic_cast<Line*>(sheet->current)) line->end.LinkToLine();
  return 1;
}

}  // namespace virlo
