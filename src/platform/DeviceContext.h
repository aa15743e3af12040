#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <string_view>

#include "platform/Brush.h"
#include "platform/Color.h"
#include "platform/Font.h"
#include "platform/Pen.h"
#include "platform/Point.h"
#include "platform/Rect.h"

namespace virlo {

enum class BackgroundMode { Opaque, Transparent };
enum class PolygonFillMode { Alternate, Winding };

// Format bits of DrawText. Bits 8 to 15 hold the characters per tab stop when
// TabStop is given.
namespace TextFormat {
inline constexpr unsigned Center = 0x01;
inline constexpr unsigned Right = 0x02;
inline constexpr unsigned WordBreak = 0x10;
inline constexpr unsigned TabStop = 0x80;
}  // namespace TextFormat

// Where objects paint themselves, in drawing units. The conventions are those
// of the classic Windows GDI: rectangles exclude their right and bottom edges
// and LineTo excludes its last point. Text is in UTF-8, each character in
// the cells of the character grid that CharacterCell gives it.
class DeviceContext {
 public:
  virtual ~DeviceContext() = default;

  // Each Select returns what was selected before, so callers can restore it.
  virtual Pen SelectPen(const Pen& pen) = 0;
  virtual Brush SelectBrush(const Brush& brush) = 0;
  // A null font keeps the current one; the result is the font selected before (or null).
  virtual const Font* SelectFont(const Font* font) = 0;

  virtual void MoveTo(Point p) = 0;
  virtual void LineTo(Point p) = 0;
  // A quarter circle about centre from one point to another (as far from
  // it, one beside it, one above or below it), the short way round; both
  // ends are drawn, so a LineTo to from (which leaves from out), the arc and
  // a line on from to make one stroke. The current position is then to. By
  // default: short lines through points of the circle.
  virtual void Arc(Point from, Point centre, Point to);
  virtual void Ellipse(const Rect& bounds) = 0;
  virtual void Polygon(std::span<const Point> points) = 0;
  virtual PolygonFillMode SetPolygonFillMode(PolygonFillMode mode) = 0;
  virtual void FillRect(const Rect& rect, Color color) = 0;

  virtual Color SetTextColor(Color color) = 0;
  virtual BackgroundMode SetBackgroundMode(BackgroundMode mode) = 0;
  // Text at a reference point (its top-left corner), unclipped.
  virtual void TextOut(Point p, std::string_view text) = 0;
  // The same for a marker's character, taking the cells it takes there as
  // a marker.
  virtual void TextOutUtf8(Point p, std::string_view utf8) = 0;
  // Text laid out in a rectangle with the TextFormat bits.
  virtual void DrawText(std::string_view text, const Rect& rect, unsigned format) = 0;

  // The area that painting can still change, in drawing units; anything drawn
  // wholly outside it is lost anyway. Without a clip: everything.
  virtual Rect ClipBox() const { return Everywhere(); }
  static constexpr Rect Everywhere() {
    return {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::min(),
            std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::max()};
  }
};

}  // namespace virlo
