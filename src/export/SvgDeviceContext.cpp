#include "export/SvgDeviceContext.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <utility>

#include "platform/CharacterCell.h"
#include "platform/Utf8.h"

namespace virlo {
namespace {

// A CJK face puts its em box 22/25 (88%) above the baseline, so a line of
// text of the font's pixel height fills its grid row from top to bottom.
constexpr std::int64_t AscentPart = 22;
constexpr std::int64_t AscentWhole = 25;
// Tab stops of TextOut, and of DrawText without TextFormat::TabStop.
constexpr std::int32_t DefaultTabCells = 8;

std::string Number(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string Number(std::int64_t value) { return std::to_string(value); }
std::string Number(std::int32_t value) { return std::to_string(value); }

std::string ColorText(Color c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", c.red, c.green, c.blue);
  return text;
}

}  // namespace

SvgDeviceContext::SvgDeviceContext(const Font& defaultFont) : defaultFont_(defaultFont) {}

void SvgDeviceContext::Spill() {
  // A piece large enough that the sink is called seldom, small enough that
  // the picture never waits whole in memory.
  constexpr std::size_t Piece = std::size_t{1} << 16;
  if (!sink_ || elements_.size() < Piece) return;
  if (!failed_ && !sink_(elements_)) failed_ = true;
  elements_.clear();
}

bool SvgDeviceContext::Finish() {
  if (sink_ && !elements_.empty()) {
    if (!failed_ && !sink_(elements_)) failed_ = true;
    elements_.clear();
  }
  return !failed_;
}

Pen SvgDeviceContext::SelectPen(const Pen& pen) { return std::exchange(pen_, pen); }

Brush SvgDeviceContext::SelectBrush(const Brush& brush) { return std::exchange(brush_, brush); }

const Font* SvgDeviceContext::SelectFont(const Font* font) { return std::exchange(font_, font); }

void SvgDeviceContext::MoveTo(Point p) { position_ = p; }

void SvgDeviceContext::LineTo(Point p) {
  const Point from = position_;
  position_ = p;
  if (from == p) return;
  double x1 = from.x;
  double y1 = from.y;
  double x2 = p.x;
  double y2 = p.y;
  const char* cap = "butt";
  if (pen_.width <= 1) {
    // The view's one-pixel pen fills whole pixels up to the one before the
    // last point; from pixel centre to pixel centre with square ends covers
    // the same.
    const double dx = static_cast<double>(p.x) - from.x;
    const double dy = static_cast<double>(p.y) - from.y;
    if (std::abs(dx) >= std::abs(dy)) {
      x2 = p.x - (dx > 0 ? 1 : -1);
      y2 = from.y + dy * (std::abs(dx) - 1) / std::abs(dx);
    } else {
      y2 = p.y - (dy > 0 ? 1 : -1);
      x2 = from.x + dx * (std::abs(dy) - 1) / std::abs(dy);
    }
    x1 += 0.5;
    y1 += 0.5;
    x2 += 0.5;
    y2 += 0.5;
    cap = "square";
    if (pen_.style != PenStyle::Solid) {
      // Square caps would lengthen every dash; the line takes the half pixel
      // at either end instead.
      const double length = std::hypot(x2 - x1, y2 - y1);
      const double ux = length > 0 ? (x2 - x1) / length / 2 : 0;
      const double uy = length > 0 ? (y2 - y1) / length / 2 : 0;
      x1 -= ux;
      y1 -= uy;
      x2 += ux;
      y2 += uy;
      cap = "butt";
    }
  }
  Spill();
  elements_ += "<line x1=\"" + Number(x1) + "\" y1=\"" + Number(y1) + "\" x2=\"" + Number(x2) + "\" y2=\"" +
               Number(y2) + "\" " + StrokeAttributes() + " stroke-linecap=\"" + cap + "\"/>\n";
  const double half = std::max(pen_.width, std::int32_t{1}) / 2.0;
  Include(std::min(x1, x2) - half, std::min(y1, y2) - half, std::max(x1, x2) + half, std::max(y1, y2) + half);
}

void SvgDeviceContext::Arc(Point from, Point centre, Point to) {
  position_ = to;
  if (from == to) return;
  const double radius = std::hypot(static_cast<double>(from.x) - centre.x, static_cast<double>(from.y) - centre.y);
  // Which way it turns on the screen, whose y runs down: clockwise is SVG's sweep 1.
  const std::int64_t cross = (std::int64_t{from.x} - centre.x) * (std::int64_t{to.y} - centre.y) -
                             (std::int64_t{from.y} - centre.y) * (std::int64_t{to.x} - centre.x);
  // The direction it runs at an end: across the radius there, towards the other end.
  auto along = [&](Point end) {
    const double x = end.x == centre.x ? (to.x > from.x ? 1 : -1) : 0;
    const double y = end.y == centre.y ? (to.y > from.y ? 1 : -1) : 0;
    return std::pair{x, y};
  };
  const auto [startX, startY] = along(from);
  const auto [endX, endY] = along(to);
  // A one-pixel pen runs through pixel centres, as LineTo's does, and takes
  // the half pixel at either end: the lines it meets end at those edges.
  const bool thin = pen_.width <= 1;
  const double shift = thin ? 0.5 : 0;
  const double reach = thin ? 0.5 : 0;
  const double x1 = from.x + shift;
  const double y1 = from.y + shift;
  const double x2 = to.x + shift;
  const double y2 = to.y + shift;
  std::string path = "M" + Number(x1 - startX * reach) + " " + Number(y1 - startY * reach);
  if (thin) path += " L" + Number(x1) + " " + Number(y1);
  path += " A" + Number(radius) + " " + Number(radius) + " 0 0 " + (cross > 0 ? "1 " : "0 ") + Number(x2) + " " +
          Number(y2);
  if (thin) path += " L" + Number(x2 + endX * reach) + " " + Number(y2 + endY * reach);
  Spill();
  elements_ += "<path d=\"" + path + "\" fill=\"none\" " + StrokeAttributes() + " stroke-linecap=\"butt\"/>\n";
  const double half = std::max(pen_.width, std::int32_t{1}) / 2.0;
  Include(std::min(x1, x2) - half - reach, std::min(y1, y2) - half - reach, std::max(x1, x2) + half + reach,
          std::max(y1, y2) + half + reach);
}

void SvgDeviceContext::Ellipse(const Rect& bounds) {
  const Rect r = bounds.Normalized();
  // The outline's pixels lie inside the rectangle, right and bottom edges
  // included, as the view draws it; the pen runs through their centres.
  const double rx = std::max(0.0, (static_cast<double>(r.right) - r.left - 1) / 2);
  const double ry = std::max(0.0, (static_cast<double>(r.bottom) - r.top - 1) / 2);
  const double cx = (static_cast<double>(r.left) + r.right) / 2;
  const double cy = (static_cast<double>(r.top) + r.bottom) / 2;
  Spill();
  elements_ += "<ellipse cx=\"" + Number(cx) + "\" cy=\"" + Number(cy) + "\" rx=\"" + Number(rx) + "\" ry=\"" +
               Number(ry) + "\" " + FillAttribute() + " " + StrokeAttributes() + "/>\n";
  Include(r.left, r.top, r.right, r.bottom);
}

void SvgDeviceContext::Polygon(std::span<const Point> points) {
  if (points.empty()) return;
  std::string corners;
  double left = points.front().x;
  double top = points.front().y;
  double right = left;
  double bottom = top;
  for (const Point& p : points) {
    if (!corners.empty()) corners += ' ';
    corners += Number(p.x + 0.5) + "," + Number(p.y + 0.5);
    left = std::min<double>(left, p.x);
    top = std::min<double>(top, p.y);
    right = std::max<double>(right, p.x);
    bottom = std::max<double>(bottom, p.y);
  }
  const char* rule = fillMode_ == PolygonFillMode::Alternate ? "evenodd" : "nonzero";
  Spill();
  elements_ += "<polygon points=\"" + corners + "\" " + FillAttribute() + " fill-rule=\"" + rule + "\" " +
               StrokeAttributes() + "/>\n";
  Include(left, top, right + 1, bottom + 1);
}

PolygonFillMode SvgDeviceContext::SetPolygonFillMode(PolygonFillMode mode) { return std::exchange(fillMode_, mode); }

void SvgDeviceContext::FillRect(const Rect& rect, Color color) {
  const Rect r = rect.Normalized();
  if (r.left == r.right || r.top == r.bottom) return;
  Spill();
  elements_ += "<rect x=\"" + Number(r.left) + "\" y=\"" + Number(r.top) + "\" width=\"" +
               Number(std::int64_t{r.right} - r.left) + "\" height=\"" + Number(std::int64_t{r.bottom} - r.top) +
               "\" fill=\"" + ColorText(color) + "\"/>\n";
  Include(r.left, r.top, r.right, r.bottom);
}

Color SvgDeviceContext::SetTextColor(Color color) { return std::exchange(textColor_, color); }

BackgroundMode SvgDeviceContext::SetBackgroundMode(BackgroundMode mode) { return std::exchange(background_, mode); }

void SvgDeviceContext::TextOut(Point p, std::string_view text) { PlaceRow(GridText::Glyphs(text, DefaultTabCells), p); }

void SvgDeviceContext::TextOutUtf8(Point p, std::string_view utf8) {
  std::size_t i = 0;
  const std::optional<char32_t> code = Utf8::Decode(utf8, i);
  if (!code) return;
  const std::int32_t cells = std::max(CharacterCell::MarkerWidth(*code), std::int32_t{1});
  PlaceRow(GlyphRow{{std::string(utf8.substr(0, i)), 0, cells}}, p);
}

void SvgDeviceContext::PlaceRow(const GlyphRow& row, Point p) {
  if (row.empty()) return;
  if (background_ == BackgroundMode::Opaque) {
    const double end = std::ceil(p.x + GridText::Cells(row) * CellAdvance());
    const auto right = static_cast<std::int32_t>(std::min(end, double{std::numeric_limits<std::int32_t>::max()}));
    FillRect({p.x, p.y, right, p.y + CurrentFont().pixelHeight}, Color::White());
  }
  WriteText(row, p.x, p.y);
}

void SvgDeviceContext::DrawText(std::string_view text, const Rect& rect, unsigned format) {
  const Rect r = rect.Normalized();
  const double width = static_cast<double>(r.right) - r.left;
  const double advance = CellAdvance();
  const std::int32_t lineHeight = CurrentFont().pixelHeight;
  const unsigned tabCells = (format & TextFormat::TabStop) != 0 ? (format >> 8) & 0xFF : 0;
  const auto maxCells = static_cast<std::int32_t>(std::max(1.0, std::floor(width / advance)));
  const bool wrap = (format & TextFormat::WordBreak) != 0;

  // Rows that begin below the rectangle, or below where text is cut, show
  // nothing and are never made.
  std::int64_t bottom = r.bottom;
  if (textArea_) bottom = std::min<std::int64_t>(bottom, textArea_->bottom);
  std::size_t limit = 0;
  if (bottom > r.top) {
    limit = lineHeight > 0 ? static_cast<std::size_t>((bottom - r.top + lineHeight - 1) / lineHeight)
                           : std::numeric_limits<std::size_t>::max();
  }
  std::vector<GridText::RowSpan> rows;
  std::size_t start = 0;
  while (start <= text.size() && rows.size() < limit) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    // The text edit supplies CR LF.
    std::string_view line = text.substr(start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    const std::int32_t tab = tabCells != 0 ? static_cast<std::int32_t>(tabCells) : DefaultTabCells;
    for (const GridText::RowSpan& span : GridText::Rows(line, tab, wrap ? maxCells : 0, limit - rows.size()))
      rows.push_back(span);
    start = end + 1;
  }

  // What would stick out of the rectangle is cut off at its edges.
  bool overflow = false;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const double top = r.top + static_cast<double>(lineHeight) * static_cast<double>(i);
    overflow = overflow || top + lineHeight > r.bottom || rows[i].cells * advance > width;
  }
  if (overflow) {
    const std::string id = "clip" + std::to_string(++clipPaths_);
    Spill();
    elements_ += "<clipPath id=\"" + id + "\"><rect x=\"" + Number(r.left) + "\" y=\"" + Number(r.top) + "\" width=\"" +
                 Number(width) + "\" height=\"" + Number(static_cast<double>(r.bottom) - r.top) +
                 "\"/></clipPath>\n<g clip-path=\"url(#" + id + ")\">\n";
  }
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const double rowWidth = rows[i].cells * advance;
    double left = r.left;
    if ((format & TextFormat::Right) != 0) {
      left = r.right - rowWidth;
    } else if ((format & TextFormat::Center) != 0) {
      left = r.left + (width - rowWidth) / 2;
    }
    // The cells of the row that can show: a glyph two cells wide may begin
    // one cell before the area.
    std::int64_t from = std::numeric_limits<std::int64_t>::min();
    std::int64_t to = std::numeric_limits<std::int64_t>::max();
    if (textArea_) {
      constexpr double Reach = 1e15;
      from = static_cast<std::int64_t>(std::clamp(std::floor((textArea_->left - left) / advance) - 2, -Reach, Reach));
      to = static_cast<std::int64_t>(std::clamp(std::ceil((textArea_->right - left) / advance) + 1, -Reach, Reach));
    }
    WriteText(GridText::RowGlyphs(rows[i], from, to), left,
              r.top + std::int64_t{lineHeight} * static_cast<std::int64_t>(i));
  }
  if (overflow) elements_ += "</g>\n";
}

std::string SvgDeviceContext::Escape(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (char ch : utf8) {
    switch (ch) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += static_cast<unsigned char>(ch) < 0x20 ? '?' : ch;
        break;
    }
  }
  return out;
}

std::string SvgDeviceContext::FontAttributes(const Font& font) {
  std::string family = "'Noto Sans Mono CJK JP', 'Noto Sans CJK JP', monospace";
  if (!font.fixedPitch) {
    std::string face;
    for (char ch : font.face) {
      if (ch != '\'' && ch != '\\') face += ch;
    }
    family = "'" + face + "', sans-serif";
  }
  return "font-family=\"" + Escape(family) + "\" font-size=\"" + Number(font.pixelHeight) + "\"";
}

double SvgDeviceContext::CellAdvance() const {
  // A single-byte character of a fixed-pitch Japanese face is half as wide
  // as the face is high, which is the grid's cell: 8 by 16.
  return std::max(1, CurrentFont().pixelHeight) / 2.0;
}

void SvgDeviceContext::WriteText(const GlyphRow& row, double left, std::int64_t top) {
  // Blanks at either end show nothing.
  std::size_t first = 0;
  std::size_t last = row.size();
  while (first < last && row[first].utf8 == " ") ++first;
  while (last > first && row[last - 1].utf8 == " ") --last;
  if (first == last) return;
  // Viewers place the positions of a list one a character, and count the
  // characters of a glyph with marks, a joiner or outside the first plane
  // differently: such a glyph is a text of its own, at its one position.
  std::size_t start = first;
  for (std::size_t i = first; i < last; ++i) {
    if (IsSimple(row[i].utf8)) continue;
    WriteRun(row, start, i, left, top);
    WriteRun(row, i, i + 1, left, top);
    start = i + 1;
  }
  WriteRun(row, start, last, left, top);
  const Font& font = CurrentFont();
  const double advance = CellAdvance();
  Include(left + row[first].cell * advance, static_cast<double>(top),
          left + (row[last - 1].cell + row[last - 1].cells) * advance, static_cast<double>(top + font.pixelHeight));
}

bool SvgDeviceContext::IsSimple(std::string_view utf8) {
  std::size_t at = 0;
  const std::optional<char32_t> code = Utf8::Decode(utf8, at);
  return code && *code < 0x10000 && at == utf8.size();
}

void SvgDeviceContext::WriteRun(const GlyphRow& row, std::size_t from, std::size_t to, double left, std::int64_t top) {
  while (from < to && row[from].utf8 == " ") ++from;
  while (to > from && row[to - 1].utf8 == " ") --to;
  if (from == to) return;
  const Font& font = CurrentFont();
  const double advance = CellAdvance();
  std::string xs;
  std::string content;
  for (std::size_t i = from; i < to; ++i) {
    if (!xs.empty()) xs += ' ';
    xs += Number(left + row[i].cell * advance);
    content += Escape(row[i].utf8);
  }
  // One division, so the baseline prints as short as it is.
  const double baseline =
      static_cast<double>(top * AscentWhole + AscentPart * font.pixelHeight) / static_cast<double>(AscentWhole);
  // The default font is the document's, given once on its root.
  const std::string fontAttributes = font == defaultFont_ ? "" : " " + FontAttributes(font);
  Spill();
  elements_ += "<text xml:space=\"preserve\" x=\"" + xs + "\" y=\"" + Number(baseline) + "\"" + fontAttributes +
               " fill=\"" + ColorText(textColor_) + "\">" + content + "</text>\n";
}

std::string SvgDeviceContext::StrokeAttributes() const {
  std::string dashes;
  if (pen_.style == PenStyle::Dash) dashes = " stroke-dasharray=\"4 4\"";
  if (pen_.style == PenStyle::Dot) dashes = " stroke-dasharray=\"1 2\"";
  return "stroke=\"" + ColorText(pen_.color) + "\" stroke-width=\"" + Number(std::max(pen_.width, std::int32_t{1})) +
         "\"" + dashes;
}

std::string SvgDeviceContext::FillAttribute() const {
  return brush_.null ? "fill=\"none\"" : "fill=\"" + ColorText(brush_.color) + "\"";
}

void SvgDeviceContext::Include(double left, double top, double right, double bottom) {
  auto clamp = [](double v) {
    return static_cast<std::int32_t>(std::clamp(v, double{std::numeric_limits<std::int32_t>::min()},
                                                double{std::numeric_limits<std::int32_t>::max()}));
  };
  const Rect r{clamp(std::floor(left)), clamp(std::floor(top)), clamp(std::ceil(right)), clamp(std::ceil(bottom))};
  if (!painted_) {
    bounds_ = r;
    painted_ = true;
    return;
  }
  bounds_.left = std::min(bounds_.left, r.left);
  bounds_.top = std::min(bounds_.top, r.top);
  bounds_.right = std::max(bounds_.right, r.right);
  bounds_.bottom = std::max(bounds_.bottom, r.bottom);
}

}  // namespace virlo
