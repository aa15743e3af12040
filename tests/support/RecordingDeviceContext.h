#pragma once

#include <string>
#include <vector>

#include "platform/DeviceContext.h"

namespace virlo::test {

// A device context that paints nothing and writes down every call, one line
// each, for example "SelectPen(1,#ff0000)" or "LineTo(52,24)". Text arrives as
// the raw bytes it was given.
class RecordingDeviceContext : public DeviceContext {
 public:
  Pen SelectPen(const Pen& pen) override;
  Brush SelectBrush(const Brush& brush) override;
  const Font* SelectFont(const Font* font) override;
  void MoveTo(Point p) override;
  void LineTo(Point p) override;
  void Ellipse(const Rect& bounds) override;
  void Polygon(std::span<const Point> points) override;
  PolygonFillMode SetPolygonFillMode(PolygonFillMode mode) override;
  void FillRect(const Rect& rect, Color color) override;
  Color SetTextColor(Color color) override;
  BackgroundMode SetBackgroundMode(BackgroundMode mode) override;
  void TextOut(Point p, std::string_view text) override;
  void DrawText(std::string_view text, const Rect& rect, unsigned format) override;

  const std::vector<std::string>& Calls() const { return calls_; }
  void Reset() { calls_.clear(); }
  // The state a painter would see now.
  const Pen& CurrentPen() const { return pen_; }
  const Brush& CurrentBrush() const { return brush_; }
  const Font* CurrentFont() const { return font_; }
  Color TextColor() const { return textColor_; }
  BackgroundMode Background() const { return background_; }
  PolygonFillMode FillMode() const { return fillMode_; }

  static std::string Format(Color c);
  static std::string Format(const Rect& r);

 private:
  std::vector<std::string> calls_;
  Pen pen_{1, Color::Black()};
  Brush brush_ = Brush::Solid(Color::White());
  const Font* font_ = nullptr;
  Color textColor_ = Color::Black();
  BackgroundMode background_ = BackgroundMode::Opaque;
  PolygonFillMode fillMode_ = PolygonFillMode::Alternate;
};

}  // namespace virlo::test
