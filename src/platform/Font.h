#pragma once

#include <cstdint>
#include <string>

namespace virlo {

// A font as the core names it; the desktop program maps it to a real face.
struct Font {
  std::string face;
  std::int32_t pixelHeight = 16;
  bool fixedPitch = true;

  friend bool operator==(const Font&, const Font&) = default;
};

}  // namespace virlo
