#include "dialogs/FormatDialog.h"

#include "objects/Box.h"

namespace virlo {
namespace {

// A box's sides, or the line itself; nothing for other objects.
std::vector<Line*> LinesOf(DrawObj* obj) {
  if (auto* box = dynamic_cast<Box*>(obj)) return {&box->top, &box->right, &box->bottom, &box->left};
  if (auto* line = dynamic_cast<Line*>(obj)) return {line};
  return {};
}

}  // namespace

FormatDialog::FormatDialog(std::vector<DrawObj*> objects)
    : Dialog(TemplateId, UiText(VIRLO_UI_TEXT("FormatDialog", "書式"))), objects_(std::move(objects)) {
  // The choice the objects share, or none.
  auto shared = [](std::int32_t& choice, std::int32_t value, bool& first) {
    if (first) choice = value;
    if (!first && choice != value) choice = -1;
    first = false;
  };
  bool firstLine = true;
  bool firstBox = true;
  for (DrawObj* obj : objects_) {
    for (const Line* line : LinesOf(obj)) shared(stroke_, static_cast<std::int32_t>(line->GetStroke()), firstLine);
    if (const auto* box = dynamic_cast<const Box*>(obj)) shared(corners_, box->corners, firstBox);
  }
  boxes_ = !firstBox;
}

void FormatDialog::DoDataExchange(DataExchange& dx) {
  dx.Control(CornersButton).enabled = boxes_;
  dx.Radio(StrokeButton, stroke_);
  dx.Radio(CornersButton, corners_);
  std::optional<Stroke> stroke;
  std::optional<std::int32_t> corners;
  if (stroke_ >= 0 && stroke_ < StrokeCount) stroke = static_cast<Stroke>(stroke_);
  if (corners_ == Box::Square || corners_ == Box::Rounded) corners = corners_;
  Apply(objects_, stroke, corners);
}

bool FormatDialog::Apply(const std::vector<DrawObj*>& objects, std::optional<Stroke> stroke,
                         std::optional<std::int32_t> corners) {
  bool changed = false;
  for (DrawObj* obj : objects) {
    for (Line* line : LinesOf(obj)) {
      if (!stroke || line->stroke == static_cast<std::int32_t>(*stroke)) continue;
      line->stroke = static_cast<std::int32_t>(*stroke);
      changed = true;
    }
    auto* box = dynamic_cast<Box*>(obj);
    if (box == nullptr || !corners || box->corners == *corners) continue;
    box->corners = *corners;
    changed = true;
  }
  return changed;
}

}  // namespace virlo
