#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/DeviceContext.h"

namespace virlo::test {

// A device context that paints nothing and writes down every call, one line
// each, for example "SelectPen(1,#ff0000)" or "LineTo(52,24)". Text arrives as
// the raw bytes it was given.
class RecordingDeviceContext : public DeviceContext {
 public:
  Pen SelectPen(const Pen& pen) override {
    const char* style = pen.style == PenStyle::Dash ? ",dash" : pen.style == PenStyle::Dot ? ",dot" : "";
    Record("SelectPen(" + std::to_string(pen.width) + "," + Text(pen.color) + style + ")");
    return std::exchange(pen_, pen);
  }
  Brush SelectBrush(const Brush& brush) override {
    Record(brush.null ? "SelectBrush(null)" : "SelectBrush(" + Text(brush.color) + ")");
    return std::exchange(brush_, brush);
  }
  const Font* SelectFont(const Font* font) override {
    Record(font != nullptr ? "SelectFont(" + font->face + ")" : "SelectFont(null)");
    return std::exchange(font_, font);
  }
  void MoveTo(Point p) override { Record("MoveTo(" + Text(p) + ")"); }
  void LineTo(Point p) override { Record("LineTo(" + Text(p) + ")"); }
  void Arc(Point from, Point centre, Point to) override {
    Record("Arc(" + Text(from) + "," + Text(centre) + "," + Text(to) + ")");
  }
  void Ellipse(const Rect& bounds) override { Record("Ellipse(" + Text(bounds) + ")"); }
  void Polygon(std::span<const Point> points) override {
    std::string corners;
    for (const Point& p : points) corners += (corners.empty() ? "" : ";") + Text(p);
    Record("Polygon(" + corners + ")");
  }
  PolygonFillMode SetPolygonFillMode(PolygonFillMode mode) override {
    Record(mode == PolygonFillMode::Alternate ? "SetPolygonFillMode(alternate)" : "SetPolygonFillMode(winding)");
    return std::exchange(fillMode_, mode);
  }
  void FillRect(const Rect& rect, Color color) override { Record("FillRect(" + Text(rect) + "," + Text(color) + ")"); }
  Color SetTextColor(Color color) override {
    Record("SetTextColor(" + Text(color) + ")");
    return std::exchange(textColor_, color);
  }
  BackgroundMode SetBackgroundMode(BackgroundMode mode) override {
    Record(mode == BackgroundMode::Transparent ? "SetBackgroundMode(transparent)" : "SetBackgroundMode(opaque)");
    return std::exchange(background_, mode);
  }
  void TextOut(Point p, std::string_view text) override {
    Record("TextOut(" + Text(p) + "," + std::string(text) + ")");
  }
  void TextOutUtf8(Point p, std::string_view utf8) override {
    Record("TextOutUtf8(" + Text(p) + "," + std::string(utf8) + ")");
  }
  void DrawText(std::string_view text, const Rect& rect, unsigned format) override {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%04X", format);
    Record("DrawText(" + std::string(text) + "," + Text(rect) + "," + hex + ")");
  }

  const std::vector<std::string>& Calls() const { return calls_; }
  void Reset() { calls_.clear(); }
  // The state a painter would see now.
  const Pen& CurrentPen() const { return pen_; }
  const Brush& CurrentBrush() const { return brush_; }
  const Font* CurrentFont() const { return font_; }
  Color TextColor() const { return textColor_; }
  BackgroundMode Background() const { return background_; }
  PolygonFillMode FillMode() const { return fillMode_; }

 private:
  void Record(const std::string& call) { calls_.push_back(call); }
  static std::string Text(Point p) { return std::to_string(p.x) + "," + std::to_string(p.y); }
  static std::string Text(const Rect& r) { return Text(Point{r.left, r.top}) + "," + Text(Point{r.right, r.bottom}); }
  static std::string Text(Color c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.red, c.green, c.blue);
    return text;
  }

  std::vector<std::string> calls_;
  Pen pen_{1, Color::Black()};
  Brush brush_ = Brush::Solid(Color::White());
  const Font* font_ = nullptr;
  Color textColor_ = Color::Black();
  BackgroundMode background_ = BackgroundMode::Opaque;
  PolygonFillMode fillMode_ = PolygonFillMode::Alternate;
};

}  // namespace virlo::test
