#pragma once

#include <cstdint>

#include "platform/Color.h"

namespace virlo {

// A solid pen.
struct Pen {
  std::int32_t width = 1;
  Color color;

  friend bool operator==(const Pen&, const Pen&) = default;
};

}  // namespace virlo
