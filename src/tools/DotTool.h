#pragma once

#include "tools/DrawTool.h"

namespace virlo {

// Places a dot (white circle) at the press, drags it while the button is held,
// and rests it on a line under it at the release.
class DotTool : public DrawTool {
 public:
  using DrawTool::DrawTool;

  bool LButtonDown(std::uint32_t flags, std::int32_t x, std::int32_t y) override;
  bool MouseMove(std::uint32_t flags, std::int32_t x, std::int32_t y) override;
  bool LButtonUp(std::uint32_t flags, std::int32_t x, std::int32_t y) override;
  std::int32_t GetKind() const override { return DotKind; }
};

}  // namespace virlo
