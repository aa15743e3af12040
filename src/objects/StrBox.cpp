#include "objects/StrBox.h"

#include <algorithm>

#include "model/Canvas.h"
#include "objects/HitIndex.h"
#include "objects/Sheet.h"
#include "platform/AppServices.h"
#include "platform/CharacterCell.h"
#include "platform/DeviceContext.h"
#include "store/FormatVersion.h"
#include "store/Store.h"

namespace virlo {
const store::TypeDescription& StrBox::Type() {
  static const auto type = store::TypeDescription::Concrete<StrBox>("StrBox", &Box::Type());
  return type;
}

void StrBox::DescribeFields(store::FieldVisitor& visitor) {
  Box::DescribeFields(visitor);
  visitor.Member("str", str);
  visitor.Int32("frame", frame);
  visitor.Int32("alignment", alignment);
  visitor.Since(store::HoldsTogetherFormat);
  visitor.Ref("restLine", restLine);
}

StrBox::StrBox(Sheet* sheet, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, const String& text,
               DrawObj* parent)
    : Box(sheet, x1, y1, x2, y2, parent), str(text) {
  FitToText();
}

StrBox::StrBox(const StrBox& source, Sheet* sheet, DrawObj* parent)
    : Box(source, sheet, parent), str(source.str), frame(source.frame), alignment(source.alignment) {}

StrBox::~StrBox() {
  SetRest(nullptr);
  str.Clear();
}

void StrBox::SyncFilled() {
  if (frame != 0) {
    flags |= Filled;
  } else {
    flags &= ~std::uint32_t{Filled};
  }
}

bool StrBox::Select(Selection& s) {
  if (!Box::Select(s)) return false;
  SettleRest();
  return true;
}

void StrBox::SetRest(Line* line) {
  if (restLine == line) return;
  if (restLine != nullptr) restLine->attached.Remove(this);
  restLine = nullptr;
  if (line == nullptr) return;
  // Without memory for the line's entry, the text rests on nothing.
  const std::int32_t count = line->attached.Count();
  line->attached.PushBack(this);
  if (line->attached.Count() != count) restLine = line;
}

Rect StrBox::TextCells() const {
  const Point a = sheet->CellOf(FirstCorner().x, FirstCorner().y);
  const Point b = sheet->CellOf(OppositeCorner().x, OppositeCorner().y);
  return Rect{std::min(a.x, b.x) + 1, std::min(a.y, b.y) + 1, std::max(a.x, b.x), std::max(a.y, b.y)};
}

std::int32_t StrBox::Touching(const Line& line) const {
  const Rect cells = TextCells();
  const Point from = sheet->CellOf(line.start.x, line.start.y);
  const Point to = sheet->CellOf(line.end.x, line.end.y);
  const bool horizontal = line.orientation == Line::Horizontal;
  // Along the line: its span must meet the text's.
  const std::int32_t first = horizontal ? std::min(from.x, to.x) : std::min(from.y, to.y);
  const std::int32_t last = horizontal ? std::max(from.x, to.x) : std::max(from.y, to.y);
  const std::int32_t textFirst = horizontal ? cells.left : cells.top;
  const std::int32_t textLast = (horizontal ? cells.right : cells.bottom) - 1;
  if (last < textFirst || first > textLast) return Line::NotBeside;
  // Across it: through the text, or in the row or column beside it.
  const std::int64_t at = horizontal ? from.y : from.x;
  const std::int64_t low = horizontal ? cells.top : cells.left;
  const std::int64_t high = (horizontal ? cells.bottom : cells.right) - 1;
  if (at >= low && at <= high) return 0;
  if (at == low - 1 || at == high + 1) return 1;
  return Line::NotBeside;
}

void StrBox::SettleRest(const std::function<bool(const Line&)>& allowed) {
  auto restsHere = [this, &allowed](const Line* line) {
    return line->parent == nullptr && Touching(*line) != Line::NotBeside && (!allowed || allowed(*line));
  };
  if (frame != 0) {
    SetRest(nullptr);
    return;
  }
  if (restLine != nullptr && restsHere(restLine)) return;
  // The lines near the text, front first: one running through it before one beside it.
  const Rect cells = TextCells();
  const std::int64_t cw = sheet->cellWidth;
  const std::int64_t ch = sheet->cellHeight;
  auto clamp = [](std::int64_t v) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(v, -2 * std::int64_t{Sheet::MaxCoordinate}, 2 * std::int64_t{Sheet::MaxCoordinate}));
  };
  const Rect near{clamp((cells.left - 1) * cw), clamp((cells.top - 1) * ch), clamp((cells.right + 1) * cw),
                  clamp((cells.bottom + 1) * ch)};
  Line* best = nullptr;
  std::int32_t bestTouch = 2;
  for (DrawObj* obj : sheet->Index().Near(near)) {
    auto* line = dynamic_cast<Line*>(obj);
    if (line == nullptr || !restsHere(line)) continue;
    const std::int32_t touch = Touching(*line);
    if (touch < bestTouch) {
      best = line;
      bestTouch = touch;
    }
  }
  SetRest(best);
}

bool StrBox::SelectAndRedraw(Selection& s) {
  SyncFilled();
  return Box::SelectAndRedraw(s);
}

DrawObj* StrBox::Clone(Sheet* target) const {
  return store::New<StrBox>(store::Database::Of(target), *this, target, nullptr);
}

bool StrBox::HitTest(std::int32_t x, std::int32_t y) const { return GetRect(Area::Hit).Contains(x, y); }

String StrBox::GetTextLine(std::int32_t& pos) const {
  const std::string_view line = TextLineAt(pos);
  return String(line.data(), static_cast<std::int32_t>(line.size()));
}

std::string_view StrBox::TextLineAt(std::int32_t& pos) const {
  const std::int32_t k = str.FindChar('\n', pos);
  const std::int32_t start = pos;
  std::int32_t length;
  if (k >= 0) {
    // The CR of a CR LF pair is dropped; a bare LF ends the line just the same.
    length = k - pos;
    if (length > 0 && str.Text()[k - 1] == '\r') --length;
    pos = k + 1;
  } else {
    length = str.Length() - pos;
    pos = str.Length() + 1;
  }
  // A start at or past the end gives an empty line.
  if (start < 0 || start >= str.Length() || length <= 0) return {};
  return str.View().substr(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
}

void StrBox::FitToText() {
  std::int32_t count = 0;
  std::int32_t maxLen = 0;
  std::int32_t pos = 0;
  do {
    const std::string_view line = TextLineAt(pos);
    ++count;
    maxLen = std::max(maxLen, CharacterCell::Cells(line));
  } while (pos < str.Length());
  const Point corner = FirstCorner();
  // A long text from a file must not carry the frame past the sheet's limits.
  auto farEdge = [](std::int32_t from, std::int32_t cell, std::int32_t cells) {
    const std::int64_t edge = std::int64_t{from} + std::int64_t{cell} * (std::int64_t{cells} + 1);
    return static_cast<std::int32_t>(std::min<std::int64_t>(edge, Sheet::MaxCoordinate));
  };
  Resize(
      {corner.x, corner.y, farEdge(corner.x, sheet->cellWidth, maxLen), farEdge(corner.y, sheet->cellHeight, count)});
}

void StrBox::SetText(const char* chars) {
  str.Assign(chars);
  FitToText();
}

bool StrBox::IsEmpty() const { return CharacterCell::IsBlank(str.View()); }

Rect StrBox::TextRect() const {
  const std::int32_t cw = sheet->cellWidth;
  const std::int32_t ch = sheet->cellHeight;
  const Point a = FirstCorner();
  const Point b = OppositeCorner();
  return {a.x + cw / 2, a.y + ch / 2, b.x - cw / 2 + 1, b.y - ch / 2 + 1};
}

void StrBox::Draw(DeviceContext& dc) const {
  unsigned format = TextFormat::WordBreak | TextFormat::TabStop | (12u << 8);
  if (alignment == AlignCentre) format |= TextFormat::Center;
  if (alignment == AlignRight) format |= TextFormat::Right;
  const Rect textRect = TextRect();
  // Unframed, the outline shows while the text is picked, or the line it
  // rests on is: the mark of a label.
  if (frame != 0 || Has(Highlighted) || (restLine != nullptr && restLine->Has(Highlighted))) Box::Draw(dc);
  const AppServices* app = AppServices::Instance();
  const Font* font = app != nullptr ? app->GetTextFont() : nullptr;
  const Font* previous = font != nullptr ? dc.SelectFont(font) : nullptr;
  dc.DrawText(str.View(), textRect, format);
  if (font != nullptr) dc.SelectFont(previous);
}

void StrBox::RenderText(Canvas& canvas) const {
  // Cells are found by rounding down, so a corner just left of or above the
  // sheet (a text box placed in its first column or row) still puts its text
  // where it was placed and where the screen shows it.
  const Point a = sheet->CellOf(FirstCorner().x, FirstCorner().y);
  const Point b = sheet->CellOf(OppositeCorner().x, OppositeCorner().y);
  const std::int32_t firstCol = a.x + 1;
  const std::int32_t lastCol = b.x - 1;
  const std::int32_t w = lastCol - firstCol + 1;
  const std::int32_t firstRow = a.y + 1;
  std::int32_t lastRow = b.y - 1;
  if (lastRow >= canvas.Rows() - 1) lastRow = canvas.Rows() - 1;

  std::int32_t pos = 0;
  for (std::int32_t r = firstRow; r <= lastRow; ++r) {
    // Once the text is used up every further row gets an empty line.
    if (pos > str.Length()) break;
    const std::string_view line = TextLineAt(pos);
    if (r < 0) continue;
    const std::int32_t len = CharacterCell::Cells(line);
    std::int32_t c = firstCol;
    if (alignment == AlignCentre && len <= w) c = firstCol + (w - len) / 2;
    // A centred line wider than the box starts at the first inner column.
    if (alignment == AlignRight) c = firstCol + (w - len);
    // What falls left of the sheet is dropped; a character cut there or at
    // the right edge leaves a blank.
    canvas.WriteText(c, r, line);
  }
  if (frame != 0) Box::RenderText(canvas);
}

}  // namespace virlo
