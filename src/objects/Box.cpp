#include "objects/Box.h"

#include "objects/Contents.h"
#include "objects/Selection.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "platform/DeviceContext.h"
#include "store/FormatVersion.h"
#include "store/Store.h"

namespace virlo {

const store::TypeDescription& Box::Type() {
  static const auto type = store::TypeDescription::Concrete<Box>("Box", &DrawObj::Type());
  return type;
}

void Box::DescribeFields(store::FieldVisitor& visitor) {
  DrawObj::DescribeFields(visitor);
  visitor.Member("top", top);
  visitor.Member("left", left);
  visitor.Member("bottom", bottom);
  visitor.Member("right", right);
  visitor.Since(store::StrokesFormat);
  visitor.Int32("corners", corners);
}

Box::Box(Sheet* sheet, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, DrawObj* parent)
    : DrawObj(sheet, parent),
      top(sheet, x1, y1, x2, y1, this, nullptr),
      left(sheet, x1, y2, x1, y1, this, nullptr),
      bottom(sheet, x2, y2, x1, y2, this, nullptr),
      right(sheet, x2, y1, x2, y2, this, nullptr) {
  // Zero-length sides keep the orientation of their place in the frame.
  top.orientation = Line::Horizontal;
  left.orientation = Line::Vertical;
  bottom.orientation = Line::Horizontal;
  right.orientation = Line::Vertical;
  JoinCorners();
}

Box::Box(const Box& source, Sheet* sheet, DrawObj* parent)
    : DrawObj(source, sheet, parent),
      top(source.top, sheet, this),
      left(source.left, sheet, this),
      bottom(source.bottom, sheet, this),
      right(source.right, sheet, this),
      corners(source.corners) {
  JoinCorners();
}

Box::Box(store::Blank b) : DrawObj(b), top(b), left(b), bottom(b), right(b) {}

void Box::JoinCorners() {
  top.end.Join(&right.start);
  right.end.Join(&bottom.start);
  bottom.end.Join(&left.start);
  left.end.Join(&top.start);
}

Rect Box::Frame() const {
  const Point a = FirstCorner();
  const Point b = OppositeCorner();
  return Rect{a.x, a.y, b.x, b.y}.Normalized();
}

bool Box::WrittenOverSide(const StrBox& text) const {
  if (text.frame != 0 || &text == this) return false;
  const Rect frame = Frame();
  const Point first = sheet->CellOf(frame.left, frame.top);
  const Point last = sheet->CellOf(frame.right, frame.bottom);
  const Rect cells = text.TextCells();
  auto spans = [](std::int32_t from, std::int32_t to, std::int32_t at) { return from <= at && at <= to; };
  const bool rowsWithin = cells.top >= first.y && cells.bottom - 1 <= last.y;
  const bool columnsWithin = cells.left >= first.x && cells.right - 1 <= last.x;
  // Across a side down, the side passes through the text's first or last
  // column: a text the side runs through the middle of is only in the way.
  const auto edge = [&](std::int32_t column) { return column == cells.left || column == cells.right - 1; };
  const bool acrossSideDown = edge(first.x) || edge(last.x);
  const bool onSideAcross = spans(cells.top, cells.bottom - 1, first.y) || spans(cells.top, cells.bottom - 1, last.y);
  return (rowsWithin && acrossSideDown) || (columnsWithin && onSideAcross);
}

Rect Box::GetRect(Area area) const {
  const std::int32_t hx = area == Area::Hit ? sheet->cellWidth / 2 : 1;
  const std::int32_t hy = area == Area::Hit ? sheet->cellHeight / 2 : 1;
  const Rect r = Frame();
  return {r.left - hx, r.top - hy, r.right + hx, r.bottom + hy};
}

bool Box::Move(Selection& s, std::int32_t dx, std::int32_t dy) {
  if (!DrawObj::Move(s, dx, dy)) return false;
  const bool wasFree = Has(FreeMove);
  SetFlag(FreeMove, true);
  for (Line* side : Clockwise()) side->Move(s, dx, dy);
  if (!wasFree) SetFlag(FreeMove, false);
  if (s.contents != nullptr && CarriesContents()) {
    for (DrawObj* obj : s.contents->Of(*this)) {
      // A line inside moves whole, as the box does. The flag is set on it
      // alone, not spread through its joins: a line outside joined to it
      // follows across itself, as joined lines do.
      const bool line = dynamic_cast<Line*>(obj) != nullptr && !obj->Has(FreeMove);
      if (line) obj->flags |= FreeMove;
      obj->Move(s, dx, dy);
      if (line) obj->flags &= ~std::uint32_t{FreeMove};
    }
  }
  InvalidateRedrawArea(s);
  return true;
}

bool Box::Select(Selection& s) {
  if (!DrawObj::Select(s)) return false;
  for (Line* side : Clockwise()) side->Select(s);
  if (parent != nullptr) parent->Select(s);
  return true;
}

bool Box::SelectAndRedraw(Selection& s) {
  if (!DrawObj::SelectAndRedraw(s)) return false;
  for (Line* side : Clockwise()) side->SelectAndRedraw(s);
  return true;
}

DrawObj* Box::Clone(Sheet* target) const {
  return store::New<Box>(store::Database::Of(target), *this, target, nullptr);
}

Point Box::GetPos() const { return {top.GetPos().x, left.GetPos().y}; }

bool Box::HitTest(std::int32_t x, std::int32_t y) const {
  if (Has(Filled)) return GetRect(Area::Hit).Contains(x, y);
  bool hit = false;
  for (const Line* side : Clockwise()) hit = side->HitTest(x, y) || hit;
  return hit;
}

std::size_t Box::HitAreas(HitAreaList& areas) const {
  if (Has(Filled)) return DrawObj::HitAreas(areas);
  std::size_t count = 0;
  for (const Line* side : Clockwise()) areas[count++] = side->GetRect(Area::Hit);
  return count;
}

bool Box::SetFlag(std::uint32_t bits, bool on) {
  if (!UpdateFlags(bits, on)) return false;
  top.SetFlag(bits, on);
  bottom.SetFlag(bits, on);
  left.SetFlag(bits, on);
  right.SetFlag(bits, on);
  return true;
}

void Box::Draw(DeviceContext& dc) const {
  if (Has(Filled)) dc.FillRect(Frame(), Color::White());
  for (const Line* side : Clockwise()) side->Draw(dc);
}

void Box::RenderText(Canvas& canvas) const {
  for (const Line* side : Clockwise()) side->RenderText(canvas);
}

DrawObj* Box::FindTarget(std::int32_t x, std::int32_t y, const DrawObj* exclude) {
  if (!HitTest(x, y)) return nullptr;
  for (Line* side : Clockwise()) {
    DrawObj* target = side->FindTarget(x, y, exclude);
    if (target != nullptr && target != exclude) return target;
  }
  return this;
}

void Box::Resize(const Rect& rect) {
  const Rect r = rect.Normalized();
  // A box that moves freely (a member of a rubber-band selection) would
  // carry its whole frame along with the corner; a resize keeps the first corner.
  const bool wasFree = Has(FreeMove);
  if (wasFree) SetFlag(FreeMove, false);
  Selection s;
  top.start.PlaceAt(r.left, r.top, s);
  bottom.start.PlaceAt(r.right, r.bottom, s);
  s.Clear();
  if (wasFree) SetFlag(FreeMove, true);
}

}  // namespace virlo
