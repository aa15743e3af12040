#pragma once

#include <vector>

#include "platform/Window.h"

namespace virlo::test {

// A window that shows nothing and remembers what it was asked to repaint.
class RecordingWindow : public Window {
 public:
  struct Invalidation {
    Rect rect;
    bool erase;
  };
  struct DragRect {
    Rect newRect;
    Rect oldRect;
  };

  void InvalidateRect(const Rect& rect, bool erase) override { invalidations.push_back({rect, erase}); }
  void UpdateWindow() override {}
  void RedrawWindow(unsigned flags) override { redraws.push_back(flags); }
  void DrawDragRect(const Rect& newRect, const Rect& oldRect) override { dragRects.push_back({newRect, oldRect}); }
  Point ScrollPosition() const override { return scroll; }

  // True when some invalidated rectangle covers r.
  bool Covered(const Rect& r) const {
    for (const Invalidation& i : invalidations) {
      if (i.rect.left <= r.left && i.rect.top <= r.top && r.right <= i.rect.right && r.bottom <= i.rect.bottom) {
        return true;
      }
    }
    return false;
  }

  std::vector<Invalidation> invalidations;
  std::vector<unsigned> redraws;
  std::vector<DragRect> dragRects;
  // Where the window is scrolled to.
  Point scroll;
};

}  // namespace virlo::test
