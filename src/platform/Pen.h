#pragma once

#include <cstdint>

#include "platform/Color.h"

namespace virlo {

// How a pen draws along its way: solid, or in dashes of four drawing units
// with four between, or in dots of one with two between.
enum class PenStyle : std::int32_t { Solid, Dash, Dot };

// A pen: its width in drawing units, colour and style.
struct Pen {
  std::int32_t width = 1;
  Color color;
  PenStyle style = PenStyle::Solid;

  friend bool operator==(const Pen&, const Pen&) = default;
};

}  // namespace virlo
