#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

#include "model/List.h"
#include "platform/Point.h"
#include "platform/Rect.h"

namespace virlo {

class DrawObj;
class Line;
class LinkPoint;
class Selection;
class Sheet;

// Keeps lines on what holds their ends while a gesture moves things. Where a
// step would take a line's end off the line it rests or is docked on (its box
// moved past the end of the side the other end stands on, a box carried
// sideways off a line), the line bends instead: it becomes lines joined end
// to end, with the fewest elbows, clear of the boxes where the sheet allows,
// and both ends stay where their hosts hold them. A line bent during the
// gesture is laid out again after every step, straight again as soon as it
// can be; undo takes the elbows away with the step. Lines the user drags
// themselves are theirs to move, and are never bent.
class Elbows {
 public:
  // Before a step: where the top-level lines among the reached objects stand
  // and what holds their ends. dragged are the objects the user moves.
  void Before(const List<DrawObj*>& reached, std::span<DrawObj* const> dragged);
  // After the step: bends the lines whose ends it took off their hosts, and
  // lays out again those bent before, repainting through repaint.
  void After(Selection& repaint);
  // Forgets the gesture.
  void Clear();

 private:
  // An end held by a line before the step.
  struct Hold {
    LinkPoint* end;
    Line* host;
    Point at;
    Point hostStart;
    Point hostEnd;
  };
  // A line bent during the gesture: the line keeps its fixed end; the
  // segments run from its other end, joined end to end, to the held end.
  struct Bent {
    Line* line = nullptr;
    LinkPoint* fixed = nullptr;
    std::vector<Line*> segments;
    std::int32_t orientation = 0;
    // Along the line's axis, the way the line leaves each end: +1 or -1.
    std::int32_t fixedWay = 1;
    std::int32_t heldWay = -1;
  };

  static LinkPoint& HeldEnd(Bent& bent);
  static LinkPoint& OtherEnd(Line& line, const LinkPoint& end);
  Bent* BentWith(const Line* line);
  // The way a line leaves an end lying at `at` along its axis: away from the
  // end's host, else towards the line's other end as both stood before.
  std::int32_t WayOut(const LinkPoint& end, Point at, Point was, Point otherWas, std::int32_t orientation) const;
  // The corners from p to q, the line leaving p the way pWay and q the way qWay.
  std::vector<Point> Route(Point p, std::int32_t pWay, Point q, std::int32_t qWay, std::int32_t orientation,
                           const std::vector<Rect>& boxes) const;
  void Lay(Bent& bent, const std::vector<Point>& corners, Selection& repaint);

  Sheet* sheet_ = nullptr;
  std::vector<Hold> holds_;
  // Where the ends of every line a step reached stood before it.
  std::unordered_map<const Line*, std::pair<Point, Point>> before_;
  std::vector<std::unique_ptr<Bent>> bent_;
};

}  // namespace virlo
