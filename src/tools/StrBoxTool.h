#pragma once

#include "tools/BoxTool.h"

namespace virlo {

// Places a text box at the release and opens its text dialog at once. Its
// press and drag are the plain tool's, so a drag moves the current object.
class StrBoxTool : public BoxTool {
 public:
  using BoxTool::BoxTool;

  bool LButtonDown(std::uint32_t flags, std::int32_t x, std::int32_t y) override {
    return DrawTool::LButtonDown(flags, x, y);
  }
  bool MouseMove(std::uint32_t flags, std::int32_t x, std::int32_t y) override {
    return DrawTool::MouseMove(flags, x, y);
  }
  bool LButtonUp(std::uint32_t flags, std::int32_t x, std::int32_t y) override;
  std::int32_t GetKind() const override { return StrBoxKind; }
};

}  // namespace virlo
