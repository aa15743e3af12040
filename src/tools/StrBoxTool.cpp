#include "tools/StrBoxTool.h"

#include "model/Sheet.h"
#include "objects/StrBox.h"
#include "platform/Dialog.h"
#include "store/Store.h"

namespace virlo {

bool StrBoxTool::LButtonUp(std::uint32_t flags, std::int32_t x, std::int32_t y) {
  const bool result = DrawTool::LButtonUp(flags, x, y);
  EndSelection();
  const std::int32_t cw = sheet->cellWidth;
  const std::int32_t ch = sheet->cellHeight;
  const Point p = curPoint;
  StrBox* box =
      store::New<StrBox>(store::Database::Of(sheet), sheet, p.x - cw, p.y - ch, p.x + cw, p.y + ch, String(), nullptr);
  if (box == nullptr) return result;
  sheet->current = box;
  box->SetFlag(DrawObj::Visible, true);
  if (std::unique_ptr<Dialog> dialog = box->Edit()) {
    dialog->OfferInPlace(box->TextRect());
    const DialogResult answer = dialog->DoModal();
    // Typing in place and giving up leaves no box behind, unlike the dialog.
    const bool discard = answer == DialogResult::Cancel && dialog->ShownInPlace();
    dialog.reset();
    if (discard) {
      sheet->current = nullptr;
      store::Delete(box);
    }
    Redraw();
  }
  return result;
}

}  // namespace virlo
