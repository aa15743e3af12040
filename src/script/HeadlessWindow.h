#pragma once

#include "platform/Window.h"

namespace virlo::script {

// A window that shows nothing: the script runner's view has no screen.
class HeadlessWindow : public Window {
 public:
  void InvalidateRect(const Rect&, bool) override {}
  void UpdateWindow() override {}
  void RedrawWindow(unsigned) override {}
  void DrawDragRect(const Rect&, const Rect&) override {}
  Point ScrollPosition() const override { return {}; }
};

}  // namespace virlo::script
