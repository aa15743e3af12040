#include "tools/BoxTool.h"

#include "objects/Box.h"
#include "objects/Sheet.h"
#include "platform/Window.h"
#include "store/Store.h"

namespace virlo {

bool BoxTool::LButtonDown(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  DrawTool::LButtonDown(flags, x, y);
  DragRect(BandPhase::Begin);
  return false;
}

bool BoxTool::MouseMove(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  if (!TrackPoint(flags, x, y)) {
    CommitPoint();
    return false;
  }
  DragRect(BandPhase::Follow);
  if (view != nullptr) view->UpdateWindow();
  CommitPoint();
  return true;
}

bool BoxTool::LButtonUp(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  DrawTool::LButtonUp(flags, x, y);
  // A release that no press of this tool began has no band to turn into a box.
  if (dragRect == NoBand) return false;
  const Rect rect = dragRect.Normalized();
  if (rect == Rect{}) return false;
  Box* box = store::New<Box>(store::Database::Of(sheet), sheet, rect.left, rect.top, rect.right, rect.bottom, nullptr);
  if (box == nullptr) {
    DragRect(BandPhase::End);
    return false;
  }
  EndSelection();
  sheet->current = box;
  box->SetFlag(DrawObj::Visible, true);
  box->SelectAndRedraw(selection);
  selection.Clear();
  DragRect(BandPhase::End);
  return true;
}

}  // namespace virlo
