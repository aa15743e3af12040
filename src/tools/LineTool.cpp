#include "tools/LineTool.h"

#include <cstdlib>

#include "objects/Line.h"
#include "objects/Sheet.h"
#include "platform/Window.h"
#include "store/Store.h"

namespace virlo {

LineTool::Axis LineTool::OnAxis(Point start, Point pointer) {
  // The larger distance decides; a tie goes vertical.
  if (std::llabs(std::int64_t{pointer.x} - start.x) > std::llabs(std::int64_t{pointer.y} - start.y)) {
    return {Line::Horizontal, {pointer.x, start.y}};
  }
  return {Line::Vertical, {start.x, pointer.y}};
}

bool LineTool::LButtonDown(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  DrawTool::LButtonDown(flags, x, y);
  startTarget = sheet->PickObject(anchorPoint.x, anchorPoint.y, nullptr);
  if (DrawObj* old = sheet->current) {
    sheet->current = nullptr;
    old->SelectAndRedraw(selection);
    selection.Clear();
    if (view != nullptr) view->UpdateWindow();
  }
  return false;
}

bool LineTool::MouseMove(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  // Nothing is drawn until the pointer leaves the press cell.
  if (!TrackPoint(flags, x, y)) {
    CommitPoint();
    return false;
  }
  Line* created = nullptr;
  if (sheet->current == nullptr) {
    // Even the first step keeps to the start's row or column: a line is
    // always horizontal or vertical.
    const Point end = OnAxis(lastPoint, curPoint).end;
    created = store::New<Line>(store::Database::Of(sheet), sheet, lastPoint.x, lastPoint.y, end.x, end.y, nullptr,
                               startTarget);
    if (created != nullptr) {
      created->flags |= DrawObj::Visible;
      EndSelection();
    }
  } else if (auto* line = dynamic_cast<Line*>(sheet->current)) {
    const Axis axis = OnAxis(line->start.GetPos(), curPoint);
    line->orientation = axis.orientation;
    line->SelectAndRedraw(selection);
    selection.Clear();
    // Written directly: whatever is joined to the end must not follow.
    line->end.x = axis.end.x;
    line->end.y = axis.end.y;
    sheet->Moved(line);
    line->SelectAndRedraw(selection);
    selection.Clear();
  }
  if (sheet->current == nullptr) sheet->current = created;
  if (view != nullptr) view->UpdateWindow();
  CommitPoint();
  return sheet->current != nullptr ? 1 : 0;
}

bool LineTool::LButtonUp(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  DrawTool::LButtonUp(flags, x, y);
  if (sheet->current == nullptr) return false;
  if (auto* line = dynamic_cast<Line*>(sheet->current)) {
    line->end.LinkToLine();
    // A start left free next to a side it points at docks as the end does.
    line->start.Dock();
  }
  return true;
}

}  // namespace virlo
