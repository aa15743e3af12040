#pragma once

#include <QFont>
#include <QPainter>

#include "platform/DeviceContext.h"

namespace virlo {

// Paints what the objects ask through a QPainter, keeping the classic GDI
// conventions the objects are written for: LineTo leaves out its last point,
// rectangles leave out their right and bottom edges, text comes in code page
// 932 bytes.
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
