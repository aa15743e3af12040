#include "tools/DrawTool.h"

#include <algorithm>
#include <unordered_set>

#include "dialogs/FormatDialog.h"
#include "dialogs/ObjectDialogs.h"
#include "objects/Box.h"
#include "objects/ClipboardSheet.h"
#include "objects/Dot.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "platform/Dialog.h"
#include "platform/Window.h"
#include "store/Store.h"

namespace virlo {
namespace {

constexpr unsigned RedrawNow = Redraw::Invalidate | Redraw::Erase | Redraw::UpdateNow;
constexpr std::uint32_t HighlightAndFreeMove = DrawObj::Highlighted | DrawObj::FreeMove;

// Lists obj at the front of a sheet; false when the store had no memory for it.
bool PlaceInFront(Sheet* sheet, DrawObj* obj) {
  sheet->PlaceInFront(obj);
  return sheet->objects.Front() == obj;
}

}  // namespace

DrawTool::DrawTool(Sheet* sheet, Window* view) : sheet(sheet), view(view), selection(view) {}

DrawTool::~DrawTool() {
  // A tool replaced in the middle of a gesture takes its rubber band along.
  CancelBand();
  if (sheet->current != nullptr) {
    sheet->current->SelectAndRedraw(selection);
    sheet->current = nullptr;
  }
  selection.Clear();
  if (view != nullptr) view->UpdateWindow();
}

bool DrawTool::LButtonDown(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  buttonDown = 1;
  anchorPoint = lastPoint = curPoint = sheet->SnapToGrid(x, y);
  BeginGesture((flags & MouseKeys::Control) != 0);
  return false;
}

bool DrawTool::MouseMove(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  if (!TrackPoint(flags, x, y)) {
    CommitPoint();
    return false;
  }
  const Point delta = GetDelta();
  DragBy(delta.x, delta.y);
  CommitPoint();
  return true;
}

bool DrawTool::LButtonUp(std::uint32_t, std::int32_t x, std::int32_t y) {
  buttonDown = 0;
  curPoint = sheet->SnapToGrid(x, y);
  EndGesture();
  return false;
}

bool DrawTool::LButtonDblClk(std::uint32_t, std::int32_t, std::int32_t) { return false; }

bool DrawTool::RButtonDown(std::uint32_t, std::int32_t x, std::int32_t y) {
  DrawObj* obj = sheet->PickObject(x, y, nullptr);
  if (obj == nullptr) return false;
  return RunDialog(obj, nullptr);
}

bool DrawTool::RunDialog(DrawObj* obj, const Rect* inPlace) {
  std::unique_ptr<Dialog> dialog = ObjectDialogs::For(*obj);
  if (dialog == nullptr) return false;
  if (inPlace != nullptr) dialog->OfferInPlace(*inPlace);
  const DialogResult result = dialog->DoModal();
  dialog.reset();
  if (auto* box = dynamic_cast<StrBox*>(obj)) {
    // A text made or changed beside a line rests on it; framed, or moved
    // off its line by a longer text, it rests on none.
    if (box->IsEmpty()) {
      DeleteEmptyText(box);
    } else {
      box->SettleRest();
    }
  }
  Redraw();
  return result == DialogResult::Ok;
}

void DrawTool::DeleteEmptyText(StrBox* box) {
  if (sheet->current != nullptr && sheet->current->Root() == box) sheet->current = nullptr;
  sheet->selected.RemoveWhere([box](const void* item) { return item == box; });
  box->SetFlag(HighlightAndFreeMove, false);
  store::Delete(box);
}

bool DrawTool::RButtonUp(std::uint32_t, std::int32_t, std::int32_t) { return false; }

bool DrawTool::TrackPoint(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  curPoint = sheet->SnapToGrid(x, y);
  if (curPoint == lastPoint) return false;
  return (flags & MouseKeys::LeftButton) != 0;
}

bool DrawTool::DragBy(std::int32_t dx, std::int32_t dy) {
  DrawObj* current = sheet->current;
  if (current == nullptr) return false;
  DrawObj* const dragged[] = {current};
  return MoveStep(dragged, {dx, dy}, false);
}

void DrawTool::BeginGesture(bool frameAlone) {
  contents_.Clear();
  elbows_.Clear();
  inGesture_ = true;
  frameAlone_ = frameAlone;
}

void DrawTool::EndGesture() {
  contents_.Clear();
  elbows_.Clear();
  inGesture_ = false;
  frameAlone_ = false;
}

bool DrawTool::MoveStep(std::span<DrawObj* const> moved, Point delta, bool repaintMembers) {
  // A move outside any gesture is a gesture of its own.
  const bool alone = !inGesture_;
  if (alone) BeginGesture(false);
  // A box carrying what lies inside it moves along one axis at a time, as
  // the arrow keys move it: along both at once, a divider resting on its
  // sides would be reached through its ends as well as whole, and stretch.
  auto carries = [](const DrawObj* obj) {
    const auto* box = dynamic_cast<const Box*>(obj);
    return box != nullptr && box->CarriesContents();
  };
  if (!frameAlone_ && delta.x != 0 && delta.y != 0 && std::any_of(moved.begin(), moved.end(), carries)) {
    const bool across = MoveStep(moved, {delta.x, 0}, repaintMembers);
    const bool down = MoveStep(moved, {0, delta.y}, repaintMembers);
    if (alone) EndGesture();
    return across || down;
  }
  selection.contents = frameAlone_ ? nullptr : &contents_;
  // First every object the move reaches repaints where it is, then they move.
  delta = CollectMove(moved, delta);
  elbows_.Before(selection.list, moved);
  selection.Clear();
  selection.moving = Selection::Moving::Shift;
  if (repaintMembers) {
    for (DrawObj* obj : moved) obj->SelectAndRedraw(selection);
    selection.Clear();
  }
  // One Selection for all members, so a part two members reach moves once.
  bool any = false;
  for (DrawObj* obj : moved) {
    if (obj->Move(selection, delta.x, delta.y)) any = true;
  }
  selection.Clear();
  selection.contents = nullptr;
  elbows_.After(selection);
  if (repaintMembers) {
    for (DrawObj* obj : moved) obj->SelectAndRedraw(selection);
    selection.Clear();
  }
  if (alone) EndGesture();
  return any;
}

Point DrawTool::CollectMove(std::span<DrawObj* const> moved, Point delta) {
  // Which objects a move reaches depends on which of its two parts are zero,
  // never on positions; a smaller delta may reach fewer, so collect again
  // until the delta holds for what it reaches.
  while (true) {
    selection.Clear();
    selection.moving = Selection::Moving::CollectOnly;
    for (DrawObj* obj : moved) obj->Move(selection, delta.x, delta.y);
    // How far the points may go to either side, never against the move.
    std::int64_t left = -2 * std::int64_t{Sheet::MaxCoordinate};
    std::int64_t right = 2 * std::int64_t{Sheet::MaxCoordinate};
    std::int64_t up = left;
    std::int64_t down = right;
    List<DrawObj*>::Cursor cursor(selection.list);
    for (const DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
      if (const auto* dot = dynamic_cast<const Dot*>(obj)) {
        left = std::max(left, std::min<std::int64_t>(0, -Sheet::MaxCoordinate - std::int64_t{dot->x}));
        right = std::min(right, std::max<std::int64_t>(0, Sheet::MaxCoordinate - std::int64_t{dot->x}));
        up = std::max(up, std::min<std::int64_t>(0, -Sheet::MaxCoordinate - std::int64_t{dot->y}));
        down = std::min(down, std::max<std::int64_t>(0, Sheet::MaxCoordinate - std::int64_t{dot->y}));
      }
    }
    const Point limited{static_cast<std::int32_t>(std::clamp<std::int64_t>(delta.x, left, right)),
                        static_cast<std::int32_t>(std::clamp<std::int64_t>(delta.y, up, down))};
    if (limited == delta) return delta;
    delta = limited;
  }
}

void DrawTool::CommitPoint() { lastPoint = curPoint; }

std::int32_t DrawTool::DeleteSelected() {
  // Flags spread through joins; clear them while the links still stand, so
  // nothing left behind stays highlighted or moving freely.
  if (sheet->current != nullptr) sheet->current->SetFlag(HighlightAndFreeMove, false);
  {
    List<DrawObj*>::Cursor cursor(sheet->selected);
    for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) obj->SetFlag(HighlightAndFreeMove, false);
  }
  std::int32_t count = 0;
  if (!sheet->selected.Empty()) {
    // Each deletion takes its object out of the sheet's list, walking it; take
    // them all out first in one walk, so those walks pass only what stays.
    std::unordered_set<const void*> doomed;
    List<DrawObj*>::Cursor cursor(sheet->selected);
    for (const DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) doomed.insert(obj);
    sheet->objects.RemoveWhere([&](const void* item) { return doomed.contains(item); });
    // Out of the list now: their destructors need not look for them there.
    const Sheet::Unlisted unlisted(doomed);
    std::unordered_set<const void*> deleted;
    while (DrawObj* obj = sheet->selected.PopFront()) {
      // An object listed twice must not be deleted twice.
      if (!deleted.insert(obj).second) continue;
      store::Delete(obj);
      ++count;
    }
  } else {
    if (sheet->current != nullptr) store::Delete(sheet->current->Root());
    count = 1;
  }
  sheet->current = nullptr;
  Redraw();
  return count;
}

void DrawTool::DragRect(BandPhase phase) {
  if (phase == BandPhase::Begin) {
    dragRect = {anchorPoint.x, anchorPoint.y, anchorPoint.x, anchorPoint.y};
    return;
  }
  const Point scroll = view != nullptr ? view->ScrollPosition() : Point{};
  auto toClient = [&](Rect r) {
    r = r.Normalized();
    return Rect{r.left - scroll.x, r.top - scroll.y, r.right - scroll.x, r.bottom - scroll.y};
  };
  const Rect old = toClient(dragRect);
  if (phase == BandPhase::Follow) {
    dragRect.right = curPoint.x;
    dragRect.bottom = curPoint.y;
    if (view != nullptr) view->DrawDragRect(toClient(dragRect), old);
    return;
  }
  if (view != nullptr) view->DrawDragRect(NoBand, old);
  dragRect = NoBand;
}

void DrawTool::CancelBand() {
  if (buttonDown != 0 && dragRect != NoBand) DragRect(BandPhase::End);
}

bool DrawTool::BringToFront() { return Restack(true); }

bool DrawTool::SendToBack() { return Restack(false); }

bool DrawTool::Restack(bool toFront) {
  if (sheet->current == nullptr) return false;
  DrawObj* root = sheet->current->Root();
  if (toFront) {
    sheet->Raise(root);
  } else {
    sheet->RemoveObject(root);
    sheet->PlaceAtBack(root);
  }
  Redraw();
  return true;
}

std::int32_t DrawTool::Copy() { return CopyToClipboard().copied; }

DrawTool::CopyResult DrawTool::CopyToClipboard() {
  Sheet* clipboard = clipboardSheet;
  clipboard->DeleteObjects();
  CopyResult result;
  auto copyOne = [&](const DrawObj* obj) {
    DrawObj* clone = obj->Clone(clipboard);
    if (clone != nullptr && PlaceInFront(clipboard, clone)) {
      ++result.copied;
    } else {
      store::Delete(clone);
      result.complete = false;
    }
  };
  if (sheet->current != nullptr) {
    copyOne(sheet->current);
    return result;
  }
  List<DrawObj*>::Cursor cursor(sheet->selected);
  for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) copyOne(obj);
  return result;
}

std::int32_t DrawTool::Cut() {
  const CopyResult result = CopyToClipboard();
  // Out of memory: keep what could not be put aside rather than lose it.
  if (result.complete) DeleteSelected();
  return result.copied;
}

std::int32_t DrawTool::Paste() {
  EndSelection();

  std::int32_t count = 0;
  List<DrawObj*>::Cursor cursor(clipboardSheet->objects);
  for (const DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
    DrawObj* clone = obj->Clone(sheet);
    if (clone == nullptr) continue;
    if (!PlaceInFront(sheet, clone)) {
      store::Delete(clone);
      continue;
    }
    sheet->selected.PushBack(clone);
    ++count;
  }

  List<DrawObj*>::Cursor pasted(sheet->selected);
  {
    // Settling joins pasted ends and dots to what lies under them, among the
    // copies only: pasted where the originals stand, a copy joined to an
    // original would drag it along.
    std::unordered_set<const void*> copies;
    for (const DrawObj* obj = pasted.First(); obj != nullptr; obj = pasted.Next()) copies.insert(obj);
    const Sheet::PickOnly among(*sheet, copies);
    for (DrawObj* obj = pasted.First(); obj != nullptr; obj = pasted.Next()) obj->Select(selection);
    selection.Clear();
  }
  for (DrawObj* obj = pasted.First(); obj != nullptr; obj = pasted.Next()) obj->SelectAndRedraw(selection);
  selection.Clear();
  return count;
}

void DrawTool::SelectOnly(const std::vector<DrawObj*>& objects) {
  if (sheet->current != nullptr) {
    sheet->current->SelectAndRedraw(selection);
    sheet->current->SetFlag(HighlightAndFreeMove, false);
    sheet->current = nullptr;
  }
  EndSelection();
  // As a rubber band selects: the set moves freely, links and all.
  for (DrawObj* obj : objects) {
    sheet->selected.PushBack(obj);
    obj->SetFlag(HighlightAndFreeMove, true);
    obj->SelectAndRedraw(selection);
  }
  selection.Clear();
}

std::vector<DrawObj*> DrawTool::FormatTargets() const {
  std::vector<DrawObj*> targets;
  auto take = [&](DrawObj* obj) {
    if (dynamic_cast<Line*>(obj) != nullptr || dynamic_cast<Box*>(obj) != nullptr) targets.push_back(obj);
  };
  if (sheet->current != nullptr) {
    take(sheet->current->Root());
    return targets;
  }
  List<DrawObj*>::Cursor cursor(sheet->selected);
  for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) take(obj);
  return targets;
}

bool DrawTool::Format() {
  const std::vector<DrawObj*> targets = FormatTargets();
  if (targets.empty()) return false;
  FormatDialog dialog(targets);
  const bool ok = dialog.DoModal() == DialogResult::Ok;
  Redraw();
  return ok;
}

void DrawTool::EndSelection() {
  while (DrawObj* obj = sheet->selected.PopFront()) {
    obj->SelectAndRedraw(selection);
    obj->SetFlag(HighlightAndFreeMove, false);
  }
  selection.Clear();
}

void DrawTool::Redraw() {
  if (view != nullptr) view->RedrawWindow(RedrawNow);
}

}  // namespace virlo
