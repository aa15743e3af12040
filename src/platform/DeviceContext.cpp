#include "platform/DeviceContext.h"

#include <cmath>
#include <numbers>

namespace virlo {

void DeviceContext::Arc(Point from, Point centre, Point to) {
  constexpr int Steps = 4;
  const double radius = std::hypot(static_cast<double>(from.x) - centre.x, static_cast<double>(from.y) - centre.y);
  const double first = std::atan2(static_cast<double>(from.y) - centre.y, static_cast<double>(from.x) - centre.x);
  double turn = std::atan2(static_cast<double>(to.y) - centre.y, static_cast<double>(to.x) - centre.x) - first;
  if (turn > std::numbers::pi) turn -= 2 * std::numbers::pi;
  if (turn < -std::numbers::pi) turn += 2 * std::numbers::pi;
  MoveTo(from);
  for (int k = 1; k < Steps; ++k) {
    const double angle = first + turn * k / Steps;
    LineTo({static_cast<std::int32_t>(std::lround(centre.x + radius * std::cos(angle))),
            static_cast<std::int32_t>(std::lround(centre.y + radius * std::sin(angle)))});
  }
  LineTo(to);
}

}  // namespace virlo
