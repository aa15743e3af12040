#pragma once

#include <cstdint>

namespace virlo {

struct Color {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;

  friend bool operator==(const Color&, const Color&) = default;

  static constexpr Color Black() { return {0, 0, 0}; }
  static constexpr Color White() { return {255, 255, 255}; }
  static constexpr Color Red() { return {255, 0, 0}; }
  static constexpr Color Green() { return {0, 255, 0}; }
  static constexpr Color Blue() { return {0, 0, 255}; }
};

}  // namespace virlo
