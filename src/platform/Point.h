#pragma once

#include <cstdint>

namespace virlo {

// A position in drawing units.
struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;

  friend bool operator==(const Point&, const Point&) = default;
};

}  // namespace virlo
