#pragma once

#include "platform/Color.h"

namespace virlo {

// A solid brush, or the null brush that fills nothing.
struct Brush {
  bool null = true;
  Color color;

  friend bool operator==(const Brush&, const Brush&) = default;

  static Brush Solid(Color c) { return Brush{false, c}; }
  static Brush Null() { return Brush{}; }
};

}  // namespace virlo
