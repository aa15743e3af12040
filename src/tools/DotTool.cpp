#include "tools/DotTool.h"

#include "objects/Dot.h"
#include "objects/Sheet.h"
#include "platform/Window.h"
#include "store/Store.h"

namespace virlo {

bool DotTool::LButtonDown(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  DrawTool::LButtonDown(flags, x, y);
  if (DrawObj* old = sheet->current) {
    sheet->current = nullptr;
    old->SelectAndRedraw(selection);
    selection.Clear();
  }
  Dot* dot = store::New<Dot>(store::Database::Of(sheet), sheet, curPoint.x, curPoint.y, -1, nullptr);
  if (dot == nullptr) return false;
  EndSelection();
  dot->flags |= DrawObj::Visible;
  sheet->current = dot;
  dot->SelectAndRedraw(selection);
  selection.Clear();
  if (view != nullptr) view->UpdateWindow();
  return true;
}

bool DotTool::MouseMove(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  if (TrackPoint(flags, x, y) && sheet->current != nullptr) {
    const Point delta = GetDelta();
    if (DragBy(delta.x, delta.y) && view != nullptr) view->UpdateWindow();
  }
  CommitPoint();
  return false;
}

bool DotTool::LButtonUp(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  DrawTool::LButtonUp(flags, x, y);
  if (sheet->current == nullptr) return false;
  if (auto* dot = dynamic_cast<Dot*>(sheet->current)) dot->LinkToLine();
  return true;
}

}  // namespace virlo
