#pragma once

#include <cstdint>

namespace virlo {

// How a line is drawn, in the art, on screen and in pictures. Stored as a
// line's `stroke`; the numbers are those of the file.
enum class Stroke : std::int32_t { Solid = 0, Heavy = 1, Double = 2, Dashed = 3, Dotted = 4 };

inline constexpr std::int32_t StrokeCount = 5;

}  // namespace virlo
