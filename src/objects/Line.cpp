#include "objects/Line.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "model/Canvas.h"
#include "objects/Box.h"
#include "objects/MarkerTable.h"
#include "objects/Selection.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "platform/DeviceContext.h"
#include "store/FormatVersion.h"
#include "store/Store.h"

namespace virlo {
namespace {

// Writes ch into the cells of one row (or column) from index `from` towards
// `to`, `to` excluded, where they hold a blank or a line character. Only the
// cells inside the canvas are visited.
template <class PutAt>
void Run(std::int32_t from, std::int32_t to, std::int32_t limit, PutAt put) {
  if (from == to) return;
  const std::int64_t step = from < to ? 1 : -1;
  std::int64_t first = from;
  std::int64_t last = std::int64_t{to} - step;
  if (step < 0) std::swap(first, last);
  first = std::max<std::int64_t>(first, 0);
  last = std::min<std::int64_t>(last, std::int64_t{limit} - 1);
  for (std::int64_t i = first; i <= last; ++i) put(static_cast<std::int32_t>(i));
}

// A blank or a line's character; half of a double-byte character is text,
// whatever its byte.
bool IsLineCell(const Canvas& canvas, std::int32_t column, std::int32_t row) {
  const char ch = canvas.At(column, row);
  return (ch == ' ' || ch == '-' || ch == '|' || canvas.IsLineByte(column, row)) && !canvas.IsHalf(column, row);
}

// Records in the canvas's line layer the directions this line leaves its cells
// in: both ways between its ends, one way at each end.
void AddArms(Canvas& canvas, bool horizontal, std::int32_t fixed, std::int32_t from, std::int32_t to, Stroke stroke) {
  if (from == to) return;
  const bool forward = from < to;
  const std::uint8_t towardsTo =
      horizontal ? (forward ? Canvas::ArmRight : Canvas::ArmLeft) : (forward ? Canvas::ArmDown : Canvas::ArmUp);
  const std::uint8_t towardsFrom =
      horizontal ? (forward ? Canvas::ArmLeft : Canvas::ArmRight) : (forward ? Canvas::ArmUp : Canvas::ArmDown);
  auto add = [&](std::int32_t i, std::uint8_t arms) {
    if (horizontal) {
      canvas.AddArms(i, fixed, arms, stroke);
    } else {
      canvas.AddArms(fixed, i, arms, stroke);
    }
  };
  const std::int32_t limit = horizontal ? canvas.Columns() : canvas.Rows();
  Run(from, to, limit,
      [&](std::int32_t i) { add(i, i == from ? towardsTo : static_cast<std::uint8_t>(towardsTo | towardsFrom)); });
  add(to, towardsFrom);
}

}  // namespace

const store::TypeDescription& Line::Type() {
  static const auto type = store::TypeDescription::Concrete<Line>("Line", &DrawObj::Type());
  return type;
}

void Line::DescribeFields(store::FieldVisitor& visitor) {
  DrawObj::DescribeFields(visitor);
  visitor.Member("start", start);
  visitor.Member("end", end);
  visitor.Member("attached", attached);
  visitor.Int32("orientation", orientation);
  visitor.Since(store::StrokesFormat);
  visitor.Int32("stroke", stroke);
}

Line::Line(Sheet* sheet, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, DrawObj* parent,
           DrawObj* target)
    : DrawObj(sheet, parent), start(sheet, x0, y0, this), end(sheet, x1, y1, this) {
  if (target != nullptr) {
    start.Join(dynamic_cast<LinkPoint*>(target));
    start.SetLine(dynamic_cast<Line*>(target));
  }
  const std::int64_t dx = std::int64_t{x1} - x0;
  const std::int64_t dy = std::int64_t{y1} - y0;
  orientation = std::llabs(dy) > std::llabs(dx) ? Vertical : Horizontal;
}

Line::Line(const Line& source, Sheet* sheet, DrawObj* parent)
    : DrawObj(source, sheet, parent),
      start(source.start, sheet, this),
      end(source.end, sheet, this),
      orientation(source.orientation),
      stroke(source.stroke) {}

Line::Line(store::Blank b) : DrawObj(b), start(b), end(b), attached(b) {}

Line::~Line() {
  // Everything resting here is taken off first, then told it rests nowhere:
  // telling it looks through this list for it, and the list is empty by
  // then, not a walk per object through a long one.
  std::vector<DrawObj*> resting;
  resting.reserve(static_cast<std::size_t>(std::max(attached.Count(), 0)));
  while (DrawObj* obj = attached.PopFront()) resting.push_back(obj);
  for (DrawObj* obj : resting) {
    if (auto* dot = dynamic_cast<Dot*>(obj)) dot->SetLine(nullptr);
    // A label stays where it is, resting on nothing.
    if (auto* text = dynamic_cast<StrBox*>(obj)) text->restLine = nullptr;
  }
  // The ends are members and die after this body, when the line's own lists
  // are gone; unlink them now, end first, and leave them nothing to touch.
  end.Unlink();
  start.Unlink();
  end.parent = nullptr;
  start.parent = nullptr;
}

Rect Line::GetRect(Area area) const {
  std::int32_t hx = sheet->cellWidth / 2;
  std::int32_t hy = sheet->cellHeight / 2;
  if (area != Area::Hit) {
    // What is painted reaches a unit beyond the segment; a heavy or double
    // line one more, and a rounded corner's arc as far as its radius.
    hx = GetStroke() == Stroke::Heavy || GetStroke() == Stroke::Double ? 2 : 1;
    hy = hx;
    if (const auto* box = dynamic_cast<const Box*>(parent); box != nullptr && box->corners == Box::Rounded) {
      hx = std::max(hx, sheet->cellWidth / 2 + 1);
      hy = std::max(hy, sheet->cellHeight / 2 + 1);
    }
  }
  Point p = start.GetPos();
  Point q = end.GetPos();
  if ((orientation == Horizontal && p.x > q.x) || (orientation == Vertical && p.y > q.y)) std::swap(p, q);
  return {p.x - hx, p.y - hy, q.x + hx, q.y + hy};
}

bool Line::Move(Selection& s, std::int32_t dx, std::int32_t dy) {
  std::int32_t mx = dx;
  std::int32_t my = dy;
  if (!Has(FreeMove)) {
    if (orientation == Horizontal) {
      mx = 0;
    } else if (orientation == Vertical) {
      my = 0;
    }
  }
  if (mx == 0 && my == 0) {
    InvalidateRedrawArea(s);
    return true;
  }
  // Box sides carry what rests on them by the full delta.
  const std::int32_t ax = parent != nullptr ? dx : mx;
  const std::int32_t ay = parent != nullptr ? dy : my;
  List<DrawObj*>::Cursor cursor(attached);
  for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) obj->Move(s, ax, ay);
  if (!DrawObj::Move(s, mx, my)) return false;
  start.Move(s, mx, my);
  end.Move(s, mx, my);
  InvalidateRedrawArea(s);
  if (parent != nullptr && parent->Has(Filled)) s.Invalidate(parent->GetRect(Area::Redraw), true);
  return true;
}

bool Line::Select(Selection& s) {
  if (!DrawObj::Select(s)) return false;
  start.Select(s);
  end.Select(s);
  // A dot that settles leaves the list and may rejoin it at the back, so the
  // walk goes over what rested here when it began: every one of them settles,
  // none is skipped for the one before it having moved.
  std::vector<DrawObj*> resting;
  resting.reserve(static_cast<std::size_t>(std::max(attached.Count(), 0)));
  List<DrawObj*>::Cursor cursor(attached);
  for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) resting.push_back(obj);
  for (DrawObj* obj : resting) obj->Select(s);
  if (parent != nullptr) parent->Select(s);
  return true;
}

bool Line::SelectAndRedraw(Selection& s) {
  if (!DrawObj::SelectAndRedraw(s)) return false;
  start.SelectAndRedraw(s);
  end.SelectAndRedraw(s);
  List<DrawObj*>::Cursor cursor(attached);
  for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) obj->SelectAndRedraw(s);
  if (parent != nullptr) parent->SelectAndRedraw(s);
  return true;
}

DrawObj* Line::Clone(Sheet* target) const {
  return store::New<Line>(store::Database::Of(target), *this, target, nullptr);
}

bool Line::HitTest(std::int32_t px, std::int32_t py) const { return GetRect(Area::Hit).Contains(px, py); }

bool Line::SetFlag(std::uint32_t bits, bool on) {
  if (!UpdateFlags(bits, on)) return false;
  start.SetFlag(bits, on);
  end.SetFlag(bits, on);
  return true;
}

void Line::Draw(DeviceContext& dc) const {
  if (!Has(Visible)) return;
  const Stroke kind = GetStroke();
  const PenStyle style = kind == Stroke::Dashed   ? PenStyle::Dash
                         : kind == Stroke::Dotted ? PenStyle::Dot
                                                  : PenStyle::Solid;
  const Pen previous = dc.SelectPen(
      Pen{kind == Stroke::Heavy ? HeavyWidth : 1, sheet->current == this ? Color::Red() : Color::Black(), style});
  DrawRun(dc);
  start.Draw(dc);
  end.Draw(dc);
  dc.SelectPen(previous);
  // A label paints itself where it stands among the sheet's objects: its
  // text painted twice would look heavier.
  List<DrawObj*>::Cursor cursor(attached);
  for (const DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
    if (dynamic_cast<const StrBox*>(obj) == nullptr) obj->Draw(dc);
  }
}

void Line::RenderText(Canvas& canvas) const {
  // Cells round down, as a text box's do: a line just left of or above the
  // sheet lies outside it.
  const Point from = sheet->CellOf(start.x, start.y);
  const Point to = sheet->CellOf(end.x, end.y);
  const std::int32_t c = from.x;
  const std::int32_t r = from.y;
  const Stroke kind = GetStroke();
  const char across = kind == Stroke::Double ? '=' : kind == Stroke::Dotted ? '.' : '-';
  const char down = kind == Stroke::Dotted ? ':' : '|';
  // A dashed line leaves every other cell blank, counted from its upper or
  // left end, so that the two sides of a box match.
  auto gap = [&](std::int32_t i, std::int32_t a, std::int32_t b) {
    return kind == Stroke::Dashed && (std::int64_t{i} - std::min(a, b)) % 2 != 0;
  };
  if (orientation == Horizontal && r >= 0 && r < canvas.Rows()) {
    Run(c, to.x, canvas.Columns(), [&](std::int32_t col) {
      if (!gap(col, c, to.x) && IsLineCell(canvas, col, r)) canvas.PutLine(col, r, across, kind);
    });
    if (canvas.HasLineLayer()) AddArms(canvas, true, r, c, to.x, kind);
  } else if (orientation == Vertical && c >= 0 && c < canvas.Columns()) {
    Run(r, to.y, canvas.Rows(), [&](std::int32_t row) {
      if (!gap(row, r, to.y) && IsLineCell(canvas, c, row)) canvas.PutLine(c, row, down, kind);
    });
    if (canvas.HasLineLayer()) AddArms(canvas, false, c, r, to.y, kind);
  }
  start.RenderText(canvas);
  end.RenderText(canvas);
  start.MarkAsLine(canvas, true);
  end.MarkAsLine(canvas, true);
  List<DrawObj*>::Cursor cursor(attached);
  for (const DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) obj->RenderText(canvas);
}

std::int32_t Line::CellsAcross(Point cell) const {
  const Point from = sheet->CellOf(start.x, start.y);
  const Point to = sheet->CellOf(end.x, end.y);
  const bool horizontal = orientation == Horizontal;
  const std::int32_t along = horizontal ? cell.x : cell.y;
  const std::int32_t a = horizontal ? from.x : from.y;
  const std::int32_t b = horizontal ? to.x : to.y;
  if (along < std::min(a, b) || along > std::max(a, b)) return NotBeside;
  const std::int64_t across = horizontal ? std::int64_t{cell.y} - from.y : std::int64_t{cell.x} - from.x;
  return static_cast<std::int32_t>(std::min<std::int64_t>(std::llabs(across), Sheet::MaxCoordinate));
}

bool Line::IsHiddenSide() const {
  const auto* text = dynamic_cast<const StrBox*>(parent);
  return text != nullptr && text->frame == 0;
}

Stroke Line::GetStroke() const {
  return stroke >= 0 && stroke < StrokeCount ? static_cast<Stroke>(stroke) : Stroke::Solid;
}

std::int32_t Line::CornerRadius(const LinkPoint& corner) const {
  const auto* box = dynamic_cast<const Box*>(parent);
  const LinkPoint* other = corner.partner;
  if (box == nullptr || box->corners != Box::Rounded || other == nullptr) return 0;
  // A corner with a marker of its own shows that marker.
  if (corner.marker != MarkerTable::Join || other->marker != MarkerTable::Join) return 0;
  const auto* next = dynamic_cast<const Line*>(other->parent);
  if (next == nullptr) return 0;
  auto length = [](const Line& side) -> std::int64_t {
    return std::max(std::llabs(std::int64_t{side.end.x} - side.start.x),
                    std::llabs(std::int64_t{side.end.y} - side.start.y));
  };
  const std::int64_t radius = std::min(
      {std::int64_t{sheet->cellWidth / 2}, std::int64_t{sheet->cellHeight / 2}, length(*this) / 2, length(*next) / 2});
  // Too small a corner stays square.
  return radius >= 2 ? static_cast<std::int32_t>(radius) : 0;
}

void Line::DrawRun(DeviceContext& dc) const {
  const Point a{start.x + sheet->originX, start.y + sheet->originY};
  const Point b{end.x + sheet->originX, end.y + sheet->originY};
  const bool straight = a.x == b.x || a.y == b.y;
  const auto* box = dynamic_cast<const Box*>(parent);
  const Stroke kind = GetStroke();
  if (!straight || a == b || (kind != Stroke::Double && box == nullptr)) {
    // A slanted line, a point, or a plain line on its own.
    dc.MoveTo(a);
    dc.LineTo(b);
    if (kind == Stroke::Double && a != b) {
      // Two lines one unit either side across its main direction.
      const bool flat = std::llabs(std::int64_t{b.x} - a.x) >= std::llabs(std::int64_t{b.y} - a.y);
      for (const std::int32_t o : {-1, 1}) {
        dc.MoveTo({a.x + (flat ? 0 : o), a.y + (flat ? o : 0)});
        dc.LineTo({b.x + (flat ? 0 : o), b.y + (flat ? o : 0)});
      }
    }
    return;
  }
  auto sign = [](std::int64_t v) { return static_cast<std::int32_t>(v > 0 ? 1 : (v < 0 ? -1 : 0)); };
  // Along the line, and across it towards the inside of its box.
  const Point along{sign(std::int64_t{b.x} - a.x), sign(std::int64_t{b.y} - a.y)};
  Point inside{0, 0};
  if (box != nullptr) {
    const Rect frame = box->Frame();
    const std::int64_t cx = (std::int64_t{frame.left} + frame.right) / 2 + sheet->originX;
    const std::int64_t cy = (std::int64_t{frame.top} + frame.bottom) / 2 + sheet->originY;
    inside = along.x != 0 ? Point{0, sign(cy - a.y)} : Point{sign(cx - a.x), 0};
  }
  if (inside == Point{0, 0}) inside = along.x != 0 ? Point{0, 1} : Point{1, 0};
  const std::int32_t radiusStart = CornerRadius(start);
  const std::int32_t radiusEnd = CornerRadius(end);
  const std::vector<std::int32_t> offsets =
      kind == Stroke::Double ? std::vector<std::int32_t>{-1, 1} : std::vector<std::int32_t>{0};
  for (const std::int32_t o : offsets) {
    // At a square corner of a box the inner line of a double side stops
    // short and the outer one reaches out, so the two frames close; a heavy
    // side reaches out by half its width.
    std::int32_t square = o;
    if (kind == Stroke::Heavy) square = -HeavyWidth / 2;
    const std::int32_t fromStart = radiusStart > 0 ? radiusStart : (box != nullptr ? square : 0);
    const std::int32_t fromEnd = radiusEnd > 0 ? radiusEnd : (box != nullptr ? square : 0);
    const Point p{a.x + along.x * fromStart + inside.x * o, a.y + along.y * fromStart + inside.y * o};
    const Point q{b.x - along.x * fromEnd + inside.x * o, b.y - along.y * fromEnd + inside.y * o};
    dc.MoveTo(p);
    dc.LineTo(q);
    if (radiusEnd == 0) continue;
    // The quarter circle to the next side, whose line leaves the corner
    // towards the inside of this one.
    const std::int32_t r = radiusEnd - o;
    const Point centre{b.x - along.x * radiusEnd + inside.x * radiusEnd,
                       b.y - along.y * radiusEnd + inside.y * radiusEnd};
    dc.Arc(q, centre, {centre.x + along.x * r, centre.y + along.y * r});
  }
}

DrawObj* Line::FindTarget(std::int32_t x, std::int32_t y, const DrawObj* exclude) {
  if (!GetRect(Area::Hit).Contains(x, y)) return nullptr;
  if (&start != exclude && start.HitTest(x, y)) return &start;
  if (&end != exclude && end.HitTest(x, y)) return &end;
  List<DrawObj*>::Cursor cursor(attached);
  for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
    if (obj == exclude) continue;
    // A label is found on its text, not on the blank frame round it.
    if (const auto* text = dynamic_cast<const StrBox*>(obj)) {
      if (text->TextCells().Contains(sheet->CellOf(x, y))) return obj;
      continue;
    }
    if (obj->HitTest(x, y)) return obj;
  }
  return this;
}

}  // namespace virlo
