#pragma once

#include "tools/DrawTool.h"

namespace virlo {

// Draws a rectangle with the rubber band; the release makes it a box.
class BoxTool : public DrawTool {
 public:
  using DrawTool::DrawTool;

  bool LButtonDown(std::uint32_t flags, std::int32_t x, std::int32_t y) override;
  bool MouseMove(std::uint32_t flags, std::int32_t x, std::int32_t y) override;
  bool LButtonUp(std::uint32_t flags, std::int32_t x, std::int32_t y) override;
  std::int32_t GetKind() const override { return BoxKind; }
};

}  // namespace virlo
