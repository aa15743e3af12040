#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include "platform/DeviceContext.h"

namespace virlo {

// Paints what the objects ask through a QPainter, keeping the classic GDI
// conventions the objects are written for: LineTo leaves out its last point,
// rectangles leave out their right and bottom edges, text stands on the
// character grid as the art puts it.
class QtDeviceContext : public DeviceContext {
 public:
  explicit QtDeviceContext(QPainter& painter);

  Pen SelectPen(const Pen& pen) override;
  Brush SelectBrush(const Brush& brush) override;
  const Font* SelectFont(const Font* font) override;
  void MoveTo(Point p) override;
  void LineTo(Point p) override;
  void Arc(Point from, Point centre, Point to) override;
  void Ellipse(const Rect& bounds) override;
  void Polygon(std::span<const Point> points) override;
  PolygonFillMode SetPolygonFillMode(PolygonFillMode mode) override;
  void FillRect(const Rect& rect, Color color) override;
  Rect ClipBox() const override;
  Color SetTextColor(Color color) override;
  BackgroundMode SetBackgroundMode(BackgroundMode mode) override;
  void TextOut(Point p, std::string_view text) override;
  void TextOutUtf8(Point p, std::string_view utf8) override;
  void DrawText(std::string_view text, const Rect& rect, unsigned format) override;

  // The Qt font that stands for a core font: fixed-pitch faces become a
  // fixed-pitch Japanese face.
  static QFont ToQFont(const Font& font);
  // Draws text from a point on its baseline within the width of its cells:
  // a face whose glyph is wider than the cells the art gives it (a Japanese
  // face's full-width circle, where a UTF-8 terminal gives one cell) draws
  // it narrowed to them, so it covers none of its neighbours.
  static void DrawInCells(QPainter& painter, const QFontMetricsF& metrics, QPointF baseline, const QString& text,
                          qreal width);
  // Code page 932 bytes (the marker picker's entries) as text.
  static QString ToQString(std::string_view cp932);

 private:
  void ApplyPen();
  void ApplyBrush();
  // Text at a reference point, on a white box unless the background is transparent.
  void DrawString(Point p, const QString& text);

  QPainter& painter_;
  Pen pen_{1, Color::Black()};
  Brush brush_ = Brush::Solid(Color::White());
  const Font* font_ = nullptr;
  QFont defaultFont_;
  Point position_;
  PolygonFillMode fillMode_ = PolygonFillMode::Alternate;
  Color textColor_ = Color::Black();
  BackgroundMode background_ = BackgroundMode::Opaque;
};

}  // namespace virlo
