#pragma once

#include <cstdint>

#include "model/List.h"
#include "platform/Rect.h"

namespace virlo {

class Contents;
class DrawObj;
class Window;

// The transient collector of an operation that spreads over linked objects:
// every object reached joins once, reports its areas to repaint, and moves
// only while moving says so.
class Selection {
 public:
  // What a Move through the Selection does: collect the objects it reaches
  // and repaint where they are (the first pass of a drag), or shift them too.
  enum class Moving : std::int32_t { CollectOnly = 0, Shift = 1 };

  explicit Selection(Window* window = nullptr, Moving moving = Moving::Shift) : window(window), moving(moving) {}
  ~Selection() { Clear(); }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

  // Repaints a rectangle of drawing units in the window, if there is one.
  void Invalidate(const Rect& rect, bool erase) const;
  // Takes every object off the list, resetting its back-reference.
  void Clear();

  List<DrawObj*> list;
  Window* window;
  Moving moving;
  // What a box moved whole carries along, when it carries anything: a move
  // of the frame alone has none.
  Contents* contents = nullptr;
};

}  // namespace virlo
