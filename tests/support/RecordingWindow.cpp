#include "support/RecordingWindow.h"

namespace virlo::test {

void RecordingWindow::Reset() {
  invalidations.clear();
  updates = 0;
  redraws.clear();
  dragRects.clear();
}

bool RecordingWindow::Covered(const Rect& r) const {
  for (const Invalidation& i : invalidations) {
    if (i.rect.left <= r.left && i.rect.top <= r.top && r.right <= i.rect.right && r.bottom <= i.rect.bottom) {
      return true;
    }
  }
  return false;
}

}  // namespace virlo::test
