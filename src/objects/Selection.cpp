#include "objects/Selection.h"

#include "objects/DrawObj.h"
#include "platform/Window.h"

namespace virlo {

void Selection::Invalidate(const Rect& rect, bool erase) const {
  if (window == nullptr) return;
  window->InvalidateRect(rect.Normalized(), erase);
}

void Selection::Clear() {
  while (DrawObj* obj = list.PopFront()) obj->selection = nullptr;
}

}  // namespace virlo
