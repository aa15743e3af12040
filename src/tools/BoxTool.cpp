#include "tools/BoxTool.h"

#include "model/Sheet.h"
#include "objects/Box.h"
#include "platform/Window.h"
#include "store/Store.h"

namespace virlo {

std::int32_t BoxTool::LButtonDown(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  DrawTool::LButtonDown(flags, x, y);
  DragRect(0);
  return 0;
}

std::int32_t BoxTool::MouseMove(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  if (TrackPoint(flags, x, y) == 0) {
    CommitPoint();
    return 0;
  }
  DragRect(1);
  if (view != nullptr) view->UpdateWindow();
  CommitPoint();
  return 1;
}

std::int32_t BoxTool::LButtonUp(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  DrawTool::LButtonUp(flags, x, y);
  // A release that no press of this tool began has no band to turn into a box.
  if (dragRect == NoBand) return 0;
  const Rect rect = dragRect.Normalized();
  if (rect == Rect{}) return 0;
  Box* box = store::New<Box>(store::Database::Of(sheet), sheet, rect.left, rect.top, rect.right, rect.bottom, nullptr);
  if (box == nullptr) {
    DragRect(2);
    return 0;
  }
  sheet->current = box;
  box->SetFlag(DrawObj::Visible, 1);
  box->SelectAndRedraw(selection);
  selection.Clear();
  DragRect(2);
  return 1;
}

}  // namespace virlo
