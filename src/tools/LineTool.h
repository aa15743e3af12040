#pragma once

#include "tools/DrawTool.h"

namespace virlo {

// Draws a line by dragging: it starts joined to, or resting on, what lies under
// the press; its far end follows the pointer along the start's row or column,
// the axis chosen anew on every move; the release links the far end.
class LineTool : public DrawTool {
 public:
  using DrawTool::DrawTool;

  bool LButtonDown(std::uint32_t flags, std::int32_t x, std::int32_t y) override;
  bool MouseMove(std::uint32_t flags, std::int32_t x, std::int32_t y) override;
  bool LButtonUp(std::uint32_t flags, std::int32_t x, std::int32_t y) override;
  std::int32_t GetKind() const override { return LineKind; }

 private:
  struct Axis {
    std::int32_t orientation;
    Point end;
  };
  // The end a pointer gives a line from start: on the start's row or column.
  static Axis OnAxis(Point start, Point pointer);

  DrawObj* startTarget = nullptr;
};

}  // namespace virlo
