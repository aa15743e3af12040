#pragma once

#include <cstdint>

#include "platform/Window.h"

namespace virlo::script {

// A window that shows nothing: the script runner's view has no screen, so it
// only counts what it is asked to repaint.
class HeadlessWindow : public Window {
 public:
  void InvalidateRect(const Rect&, bool) override { ++invalidations_; }
  void UpdateWindow() override {}
  void RedrawWindow(unsigned) override { ++invalidations_; }
  void DrawDragRect(const Rect&, const Rect&) override {}
  Point ScrollPosition() const override { return {}; }

  std::int64_t Invalidations() const { return invalidations_; }

 private:
  std::int64_t invalidations_ = 0;
};

}  // namespace virlo::script
