#pragma once

#include "tools/BoxTool.h"

namespace virlo {

// Places a text box at the release and opens its text dialog at once. A
// click puts the text's first character in the released cell; a drag draws a
// band, which becomes the box's frame and the room its text is typed in.
class StrBoxTool : public BoxTool {
 public:
  using BoxTool::BoxTool;

  bool LButtonUp(std::uint32_t flags, std::int32_t x, std::int32_t y) override;
  std::int32_t GetKind() const override { return StrBoxKind; }
};

}  // namespace virlo
