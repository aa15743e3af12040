#include "view/QtDeviceContext.h"

#include <QFontMetrics>
#include <QPainterPath>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>
#include <optional>
#include <vector>

#include "platform/CharacterCell.h"
#include "platform/GridText.h"
#include "platform/TextCodec.h"
#include "platform/Utf8.h"

namespace virlo {
namespace {

QColor ToQColor(Color c) { return QColor(c.red, c.green, c.blue); }

}  // namespace

QtDeviceContext::QtDeviceContext(QPainter& painter) : painter_(painter), defaultFont_(painter.font()) {
  painter_.setRenderHint(QPainter::Antialiasing, false);
  ApplyPen();
  ApplyBrush();
}

QFont QtDeviceContext::ToQFont(const Font& font) {
  QFont qfont(font.fixedPitch ? QStringLiteral("Noto Sans Mono CJK JP") : QString::fromStdString(font.face));
  qfont.setPixelSize(font.pixelHeight);
  qfont.setFixedPitch(font.fixedPitch);
  qfont.setStyleHint(font.fixedPitch ? QFont::Monospace : QFont::AnyStyle);
  return qfont;
}

QString QtDeviceContext::ToQString(std::string_view cp932) {
  const std::string utf8 = TextCodec::Cp932ToUtf8(cp932);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

void QtDeviceContext::ApplyPen() {
  QPen pen(ToQColor(pen_.color));
  // A thin pen is one pixel wide, or one drawing unit when they are magnified.
  const bool magnified = painter_.worldTransform().m11() > 1.0;
  pen.setWidth(pen_.width <= 1 ? (magnified ? 1 : 0) : pen_.width);
  pen.setCapStyle(Qt::FlatCap);
  // Dashes are measured in pen widths; a thin pen's width is one unit.
  const qreal width = std::max(1, pen_.width);
  if (pen_.style == PenStyle::Dash) pen.setDashPattern({4 / width, 4 / width});
  if (pen_.style == PenStyle::Dot) pen.setDashPattern({1 / width, 2 / width});
  painter_.setPen(pen);
}

void QtDeviceContext::ApplyBrush() {
  painter_.setBrush(brush_.null ? QBrush(Qt::NoBrush) : QBrush(ToQColor(brush_.color)));
}

Pen QtDeviceContext::SelectPen(const Pen& pen) {
  const Pen previous = pen_;
  pen_ = pen;
  ApplyPen();
  return previous;
}

Brush QtDeviceContext::SelectBrush(const Brush& brush) {
  const Brush previous = brush_;
  brush_ = brush;
  ApplyBrush();
  return previous;
}

const Font* QtDeviceContext::SelectFont(const Font* font) {
  const Font* previous = font_;
  font_ = font;
  painter_.setFont(font != nullptr ? ToQFont(*font) : defaultFont_);
  return previous;
}

void QtDeviceContext::MoveTo(Point p) { position_ = p; }

void QtDeviceContext::LineTo(Point p) {
  const Point from = position_;
  position_ = p;
  if (from == p) return;
  // The last point is not drawn: stop one pixel short along the major axis.
  const int dx = p.x - from.x;
  const int dy = p.y - from.y;
  QPointF end(p.x, p.y);
  if (std::abs(dx) >= std::abs(dy)) {
    end.setX(p.x - (dx > 0 ? 1 : -1));
    end.setY(from.y + (dy * (std::abs(dx) - 1.0)) / std::abs(dx));
  } else {
    end.setY(p.y - (dy > 0 ? 1 : -1));
    end.setX(from.x + (dx * (std::abs(dy) - 1.0)) / std::abs(dy));
  }
  painter_.drawLine(QPointF(from.x, from.y), end);
}

void QtDeviceContext::Arc(Point from, Point centre, Point to) {
  position_ = to;
  const double radius = std::hypot(static_cast<double>(from.x) - centre.x, static_cast<double>(from.y) - centre.y);
  if (from == to || radius == 0) return;
  // Qt's angles are in degrees, counter-clockwise from three o'clock.
  constexpr double Degrees = 180 / std::numbers::pi;
  const double first =
      std::atan2(static_cast<double>(centre.y) - from.y, static_cast<double>(from.x) - centre.x) * Degrees;
  double turn =
      std::atan2(static_cast<double>(centre.y) - to.y, static_cast<double>(to.x) - centre.x) * Degrees - first;
  if (turn > 180) turn -= 360;
  if (turn < -180) turn += 360;
  // The line that led here stopped one unit short of from: the arc starts
  // there, along its tangent, so the two meet at every zoom.
  QPointF start(from.x, from.y);
  if (from.y == centre.y) start.ry() -= to.y > from.y ? 1 : -1;
  if (from.x == centre.x) start.rx() -= to.x > from.x ? 1 : -1;
  QPainterPath path(start);
  path.lineTo(from.x, from.y);
  path.arcTo(QRectF(centre.x - radius, centre.y - radius, 2 * radius, 2 * radius), first, turn);
  painter_.strokePath(path, painter_.pen());
}

void QtDeviceContext::Ellipse(const Rect& bounds) {
  const Rect r = bounds.Normalized();
  painter_.drawEllipse(QRect(r.left, r.top, r.right - r.left - 1, r.bottom - r.top - 1));
}

void QtDeviceContext::Polygon(std::span<const Point> points) {
  std::vector<QPoint> qpoints;
  qpoints.reserve(points.size());
  for (const Point& p : points) qpoints.emplace_back(p.x, p.y);
  painter_.drawPolygon(qpoints.data(), static_cast<int>(qpoints.size()),
                       fillMode_ == PolygonFillMode::Alternate ? Qt::OddEvenFill : Qt::WindingFill);
}

PolygonFillMode QtDeviceContext::SetPolygonFillMode(PolygonFillMode mode) {
  const PolygonFillMode previous = fillMode_;
  fillMode_ = mode;
  return previous;
}

void QtDeviceContext::FillRect(const Rect& rect, Color color) {
  const Rect r = rect.Normalized();
  painter_.fillRect(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), ToQColor(color));
}

Color QtDeviceContext::SetTextColor(Color color) {
  const Color previous = textColor_;
  textColor_ = color;
  return previous;
}

BackgroundMode QtDeviceContext::SetBackgroundMode(BackgroundMode mode) {
  const BackgroundMode previous = background_;
  background_ = mode;
  return previous;
}

void QtDeviceContext::TextOut(Point p, std::string_view text) {
  DrawString(p, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void QtDeviceContext::TextOutUtf8(Point p, std::string_view utf8) {
  const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  std::size_t at = 0;
  const std::optional<char32_t> code = Utf8::Decode(utf8, at);
  const QFont font = painter_.font();
  const QFontMetricsF metrics(font);
  // The marker's cells, each half as wide as the font is high.
  const qreal cell = font.pixelSize() > 0 ? font.pixelSize() / 2.0 : metrics.averageCharWidth();
  const qreal width = std::max(CharacterCell::MarkerWidth(code.value_or(0)), std::int32_t{1}) * cell;
  if (background_ == BackgroundMode::Opaque) painter_.fillRect(QRectF(p.x, p.y, width, metrics.height()), Qt::white);
  painter_.save();
  painter_.setPen(ToQColor(textColor_));
  DrawInCells(painter_, metrics, QPointF(p.x, p.y + metrics.ascent()), text, width);
  painter_.restore();
}

void QtDeviceContext::DrawString(Point p, const QString& qtext) {
  const QFontMetrics metrics(painter_.font());
  const QRect box(p.x, p.y, metrics.horizontalAdvance(qtext), metrics.height());
  if (background_ == BackgroundMode::Opaque) painter_.fillRect(box, Qt::white);
  painter_.save();
  painter_.setPen(ToQColor(textColor_));
  painter_.drawText(QPointF(p.x, p.y + metrics.ascent()), qtext);
  painter_.restore();
}

void QtDeviceContext::DrawInCells(QPainter& painter, const QFontMetricsF& metrics, QPointF baseline,
                                  const QString& text, qreal width) {
  const qreal drawn = metrics.horizontalAdvance(text);
  // Half a pixel of rounding is no reason to narrow it.
  if (drawn <= width + 0.5) {
    painter.drawText(baseline, text);
    return;
  }
  painter.save();
  painter.translate(baseline);
  painter.scale(width / drawn, 1);
  painter.drawText(QPointF(0, 0), text);
  painter.restore();
}

void QtDeviceContext::DrawText(std::string_view text, const Rect& rect, unsigned format) {
  const Rect r = rect.Normalized();
  const QRectF box(r.left, r.top, r.right - r.left, r.bottom - r.top);
  const QFont font = painter_.font();
  const QFontMetricsF metrics(font);
  // Lines stand one font height apart, as the grid the boxes are fitted to
  // expects; a font's own line spacing may be larger. Every character stands
  // at its own cell, half as wide as the font is high (a single-byte
  // character of the fixed-pitch Japanese face), in the cells the art gives
  // it, whatever advance the face or a fallback face has for it.
  const qreal lineHeight = font.pixelSize() > 0 ? font.pixelSize() : metrics.height();
  const qreal advance = std::max<qreal>(1, lineHeight / 2);
  constexpr std::int32_t DefaultTabCells = 8;
  const unsigned tabStop = (format & TextFormat::TabStop) != 0 ? (format >> 8) & 0xFF : 0;
  const std::int32_t tabCells = tabStop != 0 ? static_cast<std::int32_t>(tabStop) : DefaultTabCells;
  const bool wrap = (format & TextFormat::WordBreak) != 0;
  const auto maxCells = static_cast<std::int32_t>(std::max<qreal>(1, std::floor(box.width() / advance)));
  const auto limit = static_cast<std::size_t>(std::max<qreal>(0, std::ceil(box.height() / lineHeight)));
  // Only the cells the painting can change are drawn.
  const Rect clip = ClipBox();
  painter_.save();
  painter_.setClipRect(box, Qt::IntersectClip);
  painter_.setPen(ToQColor(textColor_));
  std::size_t rows = 0;
  std::size_t start = 0;
  while (start <= text.size() && rows < limit) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    // The text edit supplies CR LF; each line is laid out on its own.
    std::string_view line = text.substr(start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    for (const GridText::RowSpan& span : GridText::Rows(line, tabCells, wrap ? maxCells : 0, limit - rows)) {
      const qreal top = box.top() + lineHeight * static_cast<qreal>(rows++);
      const qreal width = span.cells * advance;
      qreal left = box.left();
      if ((format & TextFormat::Right) != 0) {
        left = box.right() - width;
      } else if ((format & TextFormat::Center) != 0) {
        left = box.left() + (box.width() - width) / 2;
      }
      constexpr qreal Reach = 1e15;
      const auto from =
          static_cast<std::int64_t>(std::clamp(std::floor((clip.left - left) / advance) - 2, -Reach, Reach));
      const auto to =
          static_cast<std::int64_t>(std::clamp(std::ceil((clip.right - left) / advance) + 1, -Reach, Reach));
      const qreal baseline = top + (lineHeight - metrics.height()) / 2 + metrics.ascent();
      for (const GridText::Glyph& glyph : GridText::RowGlyphs(span, from, to)) {
        if (glyph.utf8 == " ") continue;
        DrawInCells(painter_, metrics, QPointF(left + glyph.cell * advance, baseline),
                    QString::fromUtf8(glyph.utf8.data(), static_cast<qsizetype>(glyph.utf8.size())),
                    glyph.cells * advance);
      }
    }
    start = end + 1;
  }
  painter_.restore();
}

Rect QtDeviceContext::ClipBox() const {
  if (!painter_.hasClipping()) return Everywhere();
  // The bounding rectangle of the clip, in drawing units, widened to whole units.
  const QRectF area = painter_.clipBoundingRect();
  auto clamp = [](double v) {
    return static_cast<std::int32_t>(std::clamp(v, double{std::numeric_limits<std::int32_t>::min()},
                                                double{std::numeric_limits<std::int32_t>::max()}));
  };
  return {clamp(std::floor(area.left())), clamp(std::floor(area.top())), clamp(std::ceil(area.right())),
          clamp(std::ceil(area.bottom()))};
}

}  // namespace virlo
