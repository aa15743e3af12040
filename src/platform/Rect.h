#pragma once

#include <cstdint>

#include "platform/Point.h"

namespace virlo {

// A rectangle in drawing units. It holds a point when left <= x < right and
// top <= y < bottom: the right and bottom edges lie outside.
struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  friend bool operator==(const Rect&, const Rect&) = default;

  bool Contains(Point p) const { return left <= p.x && p.x < right && top <= p.y && p.y < bottom; }
  bool Contains(std::int32_t x, std::int32_t y) const { return Contains(Point{x, y}); }

  // The same rectangle with left <= right and top <= bottom.
  Rect Normalized() const {
    Rect r = *this;
    if (r.left > r.right) {
      r.left = right;
      r.right = left;
    }
    if (r.top > r.bottom) {
      r.top = bottom;
      r.bottom = top;
    }
    return r;
  }
};

}  // namespace virlo
