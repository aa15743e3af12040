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

  void InvalidateRect(const Rect& rect, bool erase) override { invalidations.push_back({rect, erase}); }
  void UpdateWindow() override { ++updates; }
  void RedrawWindow(unsigned flags) override { redraws.push_back(flags); }
  void DrawDragRect(const Rect& newRect, const Rect& oldRect) override { dragRects.push_back({newRect, oldRect}); }
  Point ScrollPosition() const override { return scroll; }

  void Reset();
  // True when some invalidated rectangle covers r.
  bool Covered(const Rect& r) const;

  std::vector<Invalidation> invalidations;
  int updates = 0;
  std::vector<unsigned> redraws;
  struct DragRect {
    Rect newRect;
    Rect oldRect;
  };
  std::vector<DragRect> dragRects;
  Point scroll;
};

}  // namespace virlo::test
