#include "tools/SelectTool.h"

#include <vector>

#include "model/Sheet.h"
#include "objects/DrawObj.h"
#include "platform/Window.h"

namespace virlo {
namespace {
constexpr std::uint32_t HighlightAndFreeMove = DrawObj::Highlighted | DrawObj::FreeMove;
}

SelectTool::~SelectTool() { Deselect(nullptr); }

std::int32_t SelectTool::LButtonDown(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  DrawTool::LButtonDown(flags, x, y);
  Deselect(sheet->current);
  DrawObj* obj = PickAt(x, y);
  if (obj != nullptr) {
    if ((flags & MouseKeys::Shift) != 0) obj = obj->Root();
    obj->SetFlag(DrawObj::Highlighted, 1);
    obj->SelectAndRedraw(selection);
    selection.Clear();
  }
  sheet->current = obj;
  DragRect(0);
  return 1;
}

std::int32_t SelectTool::MouseMove(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  if (buttonDown == 0) return 0;
  if (TrackPoint(flags, x, y) == 0) {
    CommitPoint();
    return 0;
  }
  const Point delta = GetDelta();
  if (!sheet->selected.Empty()) {
    if (DragBy(delta.x, delta.y) != 0 && view != nullptr) view->UpdateWindow();
  } else if (sheet->current != nullptr) {
    if (DrawTool::DragBy(delta.x, delta.y) != 0 && view != nullptr) view->UpdateWindow();
  } else {
    DragRect(1);
    if (view != nullptr) view->UpdateWindow();
  }
  CommitPoint();
  return 1;
}

std::int32_t SelectTool::LButtonUp(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  const std::int32_t result = DrawTool::LButtonUp(flags, x, y);
  if (sheet->current != nullptr) {
    SettleCurrent();
    if (view != nullptr) view->UpdateWindow();
    return result;
  }
  if (sheet->selected.Empty() && anchorPoint != curPoint) {
    SelectInRect(dragRect);
    DragRect(2);
  }
  return result;
}

std::int32_t SelectTool::DragBy(std::int32_t dx, std::int32_t dy) {
  List<DrawObj*>::Cursor cursor(sheet->selected);
  std::vector<DrawObj*> members;
  for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) members.push_back(obj);
  const Point delta = CollectMove(members, {dx, dy});
  selection.Clear();
  selection.moving = 1;
  for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) obj->SelectAndRedraw(selection);
  selection.Clear();
  // One Selection for all members, so a part two members reach moves once.
  std::int32_t sum = 0;
  for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) sum += obj->Move(selection, delta.x, delta.y);
  selection.Clear();
  for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) obj->SelectAndRedraw(selection);
  selection.Clear();
  return sum;
}

DrawObj* SelectTool::PickAt(std::int32_t x, std::int32_t y) {
  DrawObj* hit = sheet->PickObject(x, y, nullptr);
  DrawObj* top = hit != nullptr ? hit->Root() : nullptr;
  if (top != nullptr && sheet->selected.Contains(top) != 0) return nullptr;
  while (DrawObj* obj = sheet->selected.PopFront()) {
    obj->SelectAndRedraw(selection);
    obj->SetFlag(HighlightAndFreeMove, 0);
  }
  selection.Clear();
  if (top != nullptr) {
    sheet->RemoveObject(top);
    sheet->PlaceInFront(top);
  }
  return hit;
}

void SelectTool::Deselect(DrawObj* obj) {
  DrawObj* root = nullptr;
  if (obj != nullptr) {
    root = obj->Root();
    if (sheet->selected.Contains(obj) != 0 || sheet->selected.Contains(root) != 0) return;
    root->SelectAndRedraw(selection);
    root->SetFlag(HighlightAndFreeMove, 0);
  }
  if (sheet->current != nullptr && sheet->current != root) {
    sheet->current->SelectAndRedraw(selection);
    sheet->current->SetFlag(HighlightAndFreeMove, 0);
  }
  sheet->current = nullptr;
  selection.Clear();
}

void SelectTool::SelectInRect(const Rect& rect) {
  sheet->CollectInRect(rect.Normalized());
  List<DrawObj*>::Cursor cursor(sheet->selected);
  for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
    obj->SetFlag(HighlightAndFreeMove, 1);
    obj->SelectAndRedraw(selection);
  }
  selection.Clear();
}

void SelectTool::SettleCurrent() {
  sheet->current->Select(selection);
  selection.Clear();
}

}  // namespace virlo
