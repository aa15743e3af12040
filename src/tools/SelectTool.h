#pragma once

#include "tools/DrawTool.h"

namespace virlo {

// Picks, moves and resizes what is drawn: a press picks an object or one of
// its parts (Shift: the whole object), a drag moves it or the selected set, a
// drag on empty paper selects what the rubber band encloses.
class SelectTool : public DrawTool {
 public:
  using DrawTool::DrawTool;
  ~SelectTool() override;

  bool LButtonDown(std::uint32_t flags, std::int32_t x, std::int32_t y) override;
  bool MouseMove(std::uint32_t flags, std::int32_t x, std::int32_t y) override;
  bool LButtonUp(std::uint32_t flags, std::int32_t x, std::int32_t y) override;
  // Edits a text box's text where it stands.
  bool LButtonDblClk(std::uint32_t flags, std::int32_t x, std::int32_t y) override;
  std::int32_t GetKind() const override { return SelectKind; }
  // Moves the selected set; true when any member moved.
  bool DragBy(std::int32_t dx, std::int32_t dy) override;

  // The object hit, or null when nothing or a member of the selected set was hit.
  DrawObj* PickAt(std::int32_t x, std::int32_t y);
  void Deselect(DrawObj* obj);
  void SelectInRect(const Rect& rect);
  // Lets the current object and everything linked to it settle where they are.
  void SettleCurrent();
  // Moves by a whole delta what a drag from the selection moves: the selected
  // set, or else the current object, which then settles as at a release; one
  // gesture, a box carrying what lies inside it unless frameAlone. True when
  // anything moved.
  bool MoveSelectionBy(std::int32_t dx, std::int32_t dy, bool frameAlone = false);
};

}  // namespace virlo
