#include "tools/StrBoxTool.h"

#include <algorithm>

#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "store/Store.h"

namespace virlo {

bool StrBoxTool::LButtonUp(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  const bool result = DrawTool::LButtonUp(flags, x, y);
  EndSelection();
  const std::int32_t cw = sheet->cellWidth;
  const std::int32_t ch = sheet->cellHeight;
  const Point p = curPoint;
  const Rect band = dragRect == NoBand ? Rect{p.x, p.y, p.x, p.y} : dragRect.Normalized();
  if (dragRect != NoBand) DragRect(BandPhase::End);
  const bool dragged = band.left != band.right || band.top != band.bottom;
  // A click: one cell up and left of the released cell, so the text starts there.
  const Rect area = dragged ? band : Rect{p.x - cw, p.y - ch, p.x + cw, p.y + ch};
  StrBox* box = store::New<StrBox>(store::Database::Of(sheet), sheet, area.left, area.top, area.right, area.bottom,
                                   String(), nullptr);
  if (box == nullptr) return result;
  sheet->current = box;
  box->SetFlag(DrawObj::Visible, true);
  // The text is typed inside the band, half a cell in from its edges as the
  // box keeps it; a click's box is fitted to its empty text already.
  Rect room = box->TextRect();
  if (dragged) {
    room.right = std::max(room.right, area.right - cw / 2 + 1);
    room.bottom = std::max(room.bottom, area.bottom - ch / 2 + 1);
  }
  // A text box given no text is not kept, whichever way the dialog ended.
  RunDialog(box, &room);
  return result;
}

}  // namespace virlo
