#include "objects/Dot.h"

#include <array>

#include "model/Canvas.h"
#include "objects/Line.h"
#include "objects/MarkerTable.h"
#include "objects/Selection.h"
#include "objects/Sheet.h"
#include "platform/CharacterCell.h"
#include "platform/DeviceContext.h"
#include "platform/Utf8.h"
#include "store/FormatVersion.h"
#include "store/Store.h"

namespace virlo {

const store::TypeDescription& Dot::Type() {
  static const auto type = store::TypeDescription::Concrete<Dot>("Dot", &DrawObj::Type());
  return type;
}

void Dot::DescribeFields(store::FieldVisitor& visitor) {
  DrawObj::DescribeFields(visitor);
  visitor.Int32("x", x);
  visitor.Int32("y", y);
  visitor.Int32("marker", marker);
  visitor.Since(store::StrokesFormat);
  visitor.Int32("character", character);
}

Dot::Dot(Sheet* sheet, std::int32_t x, std::int32_t y, std::int32_t type, DrawObj* parent)
    : DrawObj(sheet, parent), x(x), y(y), marker(type < 0 ? MarkerTable::WhiteCircle : type) {}

Dot::Dot(const Dot& source, Sheet* sheet, DrawObj* parent)
    : DrawObj(source, sheet, parent), x(source.x), y(source.y), marker(source.marker), character(source.character) {}

Dot::~Dot() { SetDotLine(nullptr); }

Rect Dot::GetRect(Area area) const {
  const std::int32_t cw = sheet->cellWidth;
  const std::int32_t ch = sheet->cellHeight;
  if (area == Area::Hit) return {x - cw / 2, y - ch / 2, x + cw / 2, y + ch / 2};
  // A wide character reaches into the next cell.
  if (HasCharacter() && CharacterCell::MarkerWidth(static_cast<char32_t>(character)) > 1) {
    return {x - cw, y - ch / 2, x + 2 * cw, y + ch / 2};
  }
  if (marker != MarkerTable::Join) return {x - cw, y - ch / 2, x + cw, y + ch / 2};
  if (Has(Highlighted)) return {x - cw / 2, y - ch / 4, x + cw / 2, y + ch / 4};
  return {x - 1, y - 1, x + 1, y + 1};
}

bool Dot::Move(Selection& s, std::int32_t dx, std::int32_t dy) {
  if (!DrawObj::Move(s, dx, dy)) return false;
  if (s.moving == Selection::Moving::Shift) {
    x += dx;
    y += dy;
    sheet->Moved(this);
  }
  InvalidateRedrawArea(s);
  return true;
}

bool Dot::Select(Selection& s) {
  if (!DrawObj::Select(s)) return false;
  LinkToLine();
  return true;
}

DrawObj* Dot::Clone(Sheet* target) const {
  return store::New<Dot>(store::Database::Of(target), *this, target, nullptr);
}

bool Dot::HitTest(std::int32_t px, std::int32_t py) const { return GetRect(Area::Hit).Contains(px, py); }

bool Dot::SetFlag(std::uint32_t bits, bool on) { return UpdateFlags(bits, on); }

void Dot::Draw(DeviceContext& dc) const {
  const std::int32_t X = x + sheet->originX;
  const std::int32_t Y = y + sheet->originY;
  const std::int32_t cw = sheet->cellWidth;
  const std::int32_t e = cw - 1;
  const std::int32_t hh = sheet->cellHeight / 2;
  const Color c = sheet->current == this ? Color::Red() : Has(Highlighted) ? Color::Blue() : Color::White();
  const bool highlighted = Has(Highlighted);

  auto highlightSquare = [&] { dc.FillRect({X - cw / 2, Y - hh / 2, X + cw / 2, Y + hh / 2}, c); };
  auto stroke = [&](Point to) {
    dc.MoveTo({X, Y});
    dc.LineTo(to);
  };
  auto filledPolygon = [&](std::span<const Point> points) {
    const Pen pen = dc.SelectPen(Pen{1, Color::Black()});
    const Brush brush = dc.SelectBrush(Brush::Solid(c));
    const PolygonFillMode mode = dc.SetPolygonFillMode(PolygonFillMode::Alternate);
    dc.Polygon(points);
    dc.SetPolygonFillMode(mode);
    dc.SelectBrush(brush);
    dc.SelectPen(pen);
  };
  auto arrow = [&](Point a, Point b) {
    const Pen pen = dc.SelectPen(Pen{1, Color::Black()});
    stroke(a);
    stroke(b);
    dc.SelectPen(pen);
    if (highlighted) highlightSquare();
  };

  // A character that is an arrow is drawn as the arrow picture.
  const std::int32_t shape = HasCharacter() ? MarkerTable::ArrowOf(static_cast<char32_t>(character)) : marker;
  switch (shape) {
    case MarkerTable::BlackCircle:
    case MarkerTable::WhiteCircle: {
      const Pen pen = dc.SelectPen(Pen{1, Color::Black()});
      const Brush brush = dc.SelectBrush(Brush::Solid(marker == MarkerTable::BlackCircle ? Color::Black() : c));
      dc.Ellipse({X - e, Y - e, X + e, Y + e});
      dc.SelectBrush(brush);
      dc.SelectPen(pen);
      if (marker == MarkerTable::BlackCircle && highlighted) highlightSquare();
      break;
    }
    case MarkerTable::LeftArrow:
      arrow({X + e, Y - e}, {X + e, Y + e});
      break;
    case MarkerTable::RightArrow:
      arrow({X - e, Y - e}, {X - e, Y + e});
      break;
    case MarkerTable::UpArrow:
      arrow({X - e, Y + e}, {X + e, Y + e});
      break;
    case MarkerTable::DownArrow:
      arrow({X - e, Y - e}, {X + e, Y - e});
      break;
    case MarkerTable::Derivation: {
      const std::array<Point, 3> triangle{{{X, Y - e}, {X - e, Y + e}, {X + e, Y + e}}};
      filledPolygon(triangle);
      break;
    }
    case MarkerTable::Aggregation: {
      const std::array<Point, 4> diamond{{{X, Y - e}, {X - e, Y}, {X, Y + e}, {X + e, Y}}};
      filledPolygon(diamond);
      break;
    }
    default: {
      if (highlighted) highlightSquare();
      if (marker == MarkerTable::Join) break;
      const BackgroundMode mode = dc.SetBackgroundMode(BackgroundMode::Transparent);
      // White characters would vanish on the white sheet though they print.
      const Color text = dc.SetTextColor(c == Color::White() ? Color::Black() : c);
      if (HasCharacter()) {
        dc.TextOutUtf8({X - cw / 2, Y - hh}, Utf8::Encode(static_cast<char32_t>(character)));
      } else {
        dc.TextOut({X - cw / 2, Y - hh}, MarkerText(marker));
      }
      dc.SetTextColor(text);
      dc.SetBackgroundMode(mode);
      break;
    }
  }
}

void Dot::RenderText(Canvas& canvas) const {
  if (x < 0 || x >= sheet->width || y < 0 || y >= sheet->height) return;
  // A two-character marker in the last column keeps only its first character.
  if (HasCharacter()) {
    canvas.WriteCharacter(x / sheet->cellWidth, y / sheet->cellHeight, static_cast<char32_t>(character));
  } else {
    canvas.Write(x / sheet->cellWidth, y / sheet->cellHeight, ArtText());
  }
  // A line marker on a line is part of that line, and so is the join of a
  // line's end resting there.
  if (canvas.HasLineLayer() && GetLine() != nullptr)
    MarkAsLine(canvas, dynamic_cast<const LinkPoint*>(this) != nullptr);
}

void Dot::MarkAsLine(Canvas& canvas, bool isLineEnd) const {
  if (!canvas.HasLineLayer()) return;
  // A dot off the sheet draws nothing, so the cell is not its.
  if (x < 0 || y < 0 || x >= sheet->width || y >= sheet->height) return;
  char shown = '\0';
  if (marker == MarkerTable::Join && isLineEnd) shown = ArtText().front();
  if (marker == MarkerTable::HorizontalLine) shown = '-';
  if (marker == MarkerTable::VerticalLine) shown = '|';
  const std::int32_t column = x / sheet->cellWidth;
  const std::int32_t row = y / sheet->cellHeight;
  if (shown != '\0' && canvas.At(column, row) == shown)
    canvas.MarkLine(column, row, shown != '+' && isLineEnd && marker == MarkerTable::Join);
}

void Dot::LinkToLine() {
  // A dot still on its line stays there, whatever else lies at its cell;
  // at a line's end cell it would be that end's, so it looks again.
  const Point cell = sheet->CellOf(x, y);
  if (const Line* line = GetLine(); line != nullptr && !line->IsHiddenSide() && line->CellsAcross(cell) == 0 &&
                                    cell != sheet->CellOf(line->start.x, line->start.y) &&
                                    cell != sheet->CellOf(line->end.x, line->end.y)) {
    return;
  }
  SetLine(nullptr);
  DrawObj* hit = sheet->PickObject(x, y, Root());
  if (auto* line = dynamic_cast<Line*>(hit); line != nullptr && !line->IsHiddenSide()) SetLine(line);
}

Line* Dot::GetLine() const { return dynamic_cast<Line*>(parent); }

void Dot::SetLine(Line* line) { SetDotLine(line); }

void Dot::SetDotLine(Line* line) {
  if (auto* host = dynamic_cast<Line*>(parent)) host->attached.Remove(this);
  parent = nullptr;
  if (line == nullptr) return;
  // Without memory for the line's entry, the dot rests on nothing.
  const std::int32_t count = line->attached.Count();
  line->attached.PushBack(this);
  if (line->attached.Count() != count) parent = line;
}

bool Dot::PlaceAt(std::int32_t px, std::int32_t py, Selection& s) {
  const Point pos = GetPos();
  return Move(s, px - pos.x, py - pos.y);
}

std::string_view Dot::MarkerText(std::int32_t type) { return MarkerTable::MarkerText(type); }

bool Dot::SetCharacter(char32_t code) {
  if (CharacterCell::MarkerWidth(code) == 0) return false;
  marker = MarkerTable::Character;
  character = static_cast<std::int32_t>(code);
  return true;
}

}  // namespace virlo
