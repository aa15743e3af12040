#pragma once

#include <unordered_map>
#include <vector>

namespace virlo {

class Box;
class DrawObj;

// What lies wholly inside the frames of boxes, which a box moved whole
// carries along: text boxes, boxes with what lies in them, dots and lines. A
// dot or a label resting on a line goes only where its line goes. Found from
// the sheet's hit index the first time a box asks, which is before anything
// moves, and kept for the gesture: a box dragged across other objects does
// not gather them up on its way.
class Contents {
 public:
  // The objects inside the box's frame, front to back.
  const std::vector<DrawObj*>& Of(const Box& box);
  // Forgets what was found, for the next gesture.
  void Clear() { found_.clear(); }

 private:
  std::unordered_map<const Box*, std::vector<DrawObj*>> found_;
};

}  // namespace virlo
