#include "tools/SelectTool.h"

#include <vector>

#include "objects/DrawObj.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "platform/Dialog.h"
#include "platform/Window.h"

namespace virlo {
namespace {
constexpr std::uint32_t HighlightAndFreeMove = DrawObj::Highlighted | DrawObj::FreeMove;
}

SelectTool::~SelectTool() { Deselect(nullptr); }

bool SelectTool::LButtonDown(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  DrawTool::LButtonDown(flags, x, y);
  Deselect(sheet->current);
  DrawObj* obj = PickAt(x, y);
  if (obj != nullptr) {
    if ((flags & MouseKeys::Shift) != 0) obj = obj->Root();
    obj->SetFlag(DrawObj::Highlighted, true);
    obj->SelectAndRedraw(selection);
    selection.Clear();
  }
  sheet->current = obj;
  DragRect(BandPhase::Begin);
  return true;
}

bool SelectTool::MouseMove(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  if (buttonDown == 0) return false;
  if (!TrackPoint(flags, x, y)) {
    CommitPoint();
    return false;
  }
  const Point delta = GetDelta();
  if (!sheet->selected.Empty()) {
    if (DragBy(delta.x, delta.y) && view != nullptr) view->UpdateWindow();
  } else if (sheet->current != nullptr) {
    if (DrawTool::DragBy(delta.x, delta.y) && view != nullptr) view->UpdateWindow();
  } else {
    DragRect(BandPhase::Follow);
    if (view != nullptr) view->UpdateWindow();
  }
  CommitPoint();
  return true;
}

bool SelectTool::LButtonDblClk(std::uint32_t, std::int32_t x, std::int32_t y) {
  auto* box = dynamic_cast<StrBox*>(sheet->PickObject(x, y, nullptr));
  if (box == nullptr) return false;
  const Rect area = box->TextRect();
  RunDialog(box, &area);
  return true;
}

bool SelectTool::LButtonUp(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  const bool result = DrawTool::LButtonUp(flags, x, y);
  if (sheet->current != nullptr) {
    SettleCurrent();
    if (view != nullptr) view->UpdateWindow();
    return result;
  }
  if (sheet->selected.Empty() && anchorPoint != curPoint) {
    SelectInRect(dragRect);
    DragRect(BandPhase::End);
  }
  return result;
}

bool SelectTool::DragBy(std::int32_t dx, std::int32_t dy) {
  List<DrawObj*>::Cursor cursor(sheet->selected);
  std::vector<DrawObj*> members;
  for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) members.push_back(obj);
  return MoveStep(members, {dx, dy}, true);
}

DrawObj* SelectTool::PickAt(std::int32_t x, std::int32_t y) {
  DrawObj* hit = sheet->PickObject(x, y, nullptr);
  DrawObj* top = hit != nullptr ? hit->Root() : nullptr;
  if (top != nullptr && sheet->selected.Contains(top)) return nullptr;
  EndSelection();
  if (top != nullptr) sheet->Raise(top);
  return hit;
}

void SelectTool::Deselect(DrawObj* obj) {
  DrawObj* root = nullptr;
  if (obj != nullptr) {
    root = obj->Root();
    if (sheet->selected.Contains(obj) || sheet->selected.Contains(root)) return;
    root->SelectAndRedraw(selection);
    root->SetFlag(HighlightAndFreeMove, false);
  }
  if (sheet->current != nullptr && sheet->current != root) {
    sheet->current->SelectAndRedraw(selection);
    sheet->current->SetFlag(HighlightAndFreeMove, false);
  }
  sheet->current = nullptr;
  selection.Clear();
}

void SelectTool::SelectInRect(const Rect& rect) {
  sheet->CollectInRect(rect.Normalized());
  List<DrawObj*>::Cursor cursor(sheet->selected);
  for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
    obj->SetFlag(HighlightAndFreeMove, true);
    obj->SelectAndRedraw(selection);
  }
  selection.Clear();
}

bool SelectTool::MoveSelectionBy(std::int32_t dx, std::int32_t dy, bool frameAlone) {
  BeginGesture(frameAlone);
  bool moved = false;
  if (!sheet->selected.Empty()) {
    moved = DragBy(dx, dy);
  } else if (sheet->current != nullptr) {
    moved = DrawTool::DragBy(dx, dy);
    SettleCurrent();
  }
  EndGesture();
  if (view != nullptr) view->UpdateWindow();
  return moved;
}

void SelectTool::SettleCurrent() {
  sheet->current->Select(selection);
  selection.Clear();
}

}  // namespace virlo
