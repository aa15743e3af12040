#include "support/RecordingDeviceContext.h"

#include <cstdio>

namespace virlo::test {

std::string RecordingDeviceContext::Format(Color c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", c.red, c.green, c.blue);
  return text;
}

std::string RecordingDeviceContext::Format(const Rect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

namespace {
std::string FormatPoint(Point p) { return std::to_string(p.x) + "," + std::to_string(p.y); }
}  // namespace

Pen RecordingDeviceContext::SelectPen(const Pen& pen) {
  calls_.push_back("SelectPen(" + std::to_string(pen.width) + "," + Format(pen.color) + ")");
  Pen previous = pen_;
  pen_ = pen;
  return previous;
}

Brush RecordingDeviceContext::SelectBrush(const Brush& brush) {
  calls_.push_back(brush.null ? std::string("SelectBrush(null)") : "SelectBrush(" + Format(brush.color) + ")");
  Brush previous = brush_;
  brush_ = brush;
  return previous;
}

const Font* RecordingDeviceContext::SelectFont(const Font* font) {
  calls_.push_back(font != nullptr ? "SelectFont(" + font->face + ")" : std::string("SelectFont(null)"));
  const Font* previous = font_;
  font_ = font;
  return previous;
}

void RecordingDeviceContext::MoveTo(Point p) { calls_.push_back("MoveTo(" + FormatPoint(p) + ")"); }

void RecordingDeviceContext::LineTo(Point p) { calls_.push_back("LineTo(" + FormatPoint(p) + ")"); }

void RecordingDeviceContext::Ellipse(const Rect& bounds) { calls_.push_back("Ellipse(" + Format(bounds) + ")"); }

void RecordingDeviceContext::Polygon(std::span<const Point> points) {
  std::string call = "Polygon(";
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (i != 0) call += ";";
    call += FormatPoint(points[i]);
  }
  calls_.push_back(call + ")");
}

PolygonFillMode RecordingDeviceContext::SetPolygonFillMode(PolygonFillMode mode) {
  calls_.push_back(mode == PolygonFillMode::Alternate ? "SetPolygonFillMode(alternate)"
                                                      : "SetPolygonFillMode(winding)");
  PolygonFillMode previous = fillMode_;
  fillMode_ = mode;
  return previous;
}

void RecordingDeviceContext::FillRect(const Rect& rect, Color color) {
  calls_.push_back("FillRect(" + Format(rect) + "," + Format(color) + ")");
}

Color RecordingDeviceContext::SetTextColor(Color color) {
  calls_.push_back("SetTextColor(" + Format(color) + ")");
  Color previous = textColor_;
  textColor_ = color;
  return previous;
}

BackgroundMode RecordingDeviceContext::SetBackgroundMode(BackgroundMode mode) {
  calls_.push_back(mode == BackgroundMode::Transparent ? "SetBackgroundMode(transparent)"
                                                       : "SetBackgroundMode(opaque)");
  BackgroundMode previous = background_;
  background_ = mode;
  return previous;
}

void RecordingDeviceContext::TextOut(Point p, std::string_view text) {
  calls_.push_back("TextOut(" + FormatPoint(p) + "," + std::string(text) + ")");
}

void RecordingDeviceContext::DrawText(std::string_view text, const Rect& rect, unsigned format) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%04X", format);
  calls_.push_back("DrawText(" + std::string(text) + "," + Format(rect) + "," + hex + ")");
}

}  // namespace virlo::test
