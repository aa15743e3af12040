#pragma once

#include "tools/DrawTool.h"

namespace virlo {

// Draws a rectangle with the rubber band; the release makes it a box.
class BoxTool : public DrawTool {
 public:
  using DrawTool::DrawTool;

  std::int32_t LButtonDown(std::uint32_t flags, std::int32_t x, std::int32_t y) override;
  std::int32_t MouseMove(std::uint32_t flags, std::int32_t x, std::int32_t y) override;
  std::int32_t LButtonUp(std::uint32_t flags, std::int32_t x, std::int32_t y) override;
  std::int32_t GetKind() const override { return BoxKind; }
};

}  // namespace virlo
