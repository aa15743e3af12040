#include "objects/Elbows.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_set>

#include "objects/Box.h"
#include "objects/MarkerTable.h"
#include "objects/Selection.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "store/Store.h"

namespace virlo {
namespace {

std::int32_t Sign(std::int64_t v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

bool Horizontal(std::int32_t orientation) { return orientation == Line::Horizontal; }
std::int32_t Along(Point p, std::int32_t orientation) { return Horizontal(orientation) ? p.x : p.y; }
std::int32_t Across(Point p, std::int32_t orientation) { return Horizontal(orientation) ? p.y : p.x; }
Point Make(std::int64_t along, std::int64_t across, std::int32_t orientation) {
  const auto a =
      static_cast<std::int32_t>(std::clamp<std::int64_t>(along, -Sheet::MaxCoordinate, Sheet::MaxCoordinate));
  const auto b =
      static_cast<std::int32_t>(std::clamp<std::int64_t>(across, -Sheet::MaxCoordinate, Sheet::MaxCoordinate));
  return Horizontal(orientation) ? Point{a, b} : Point{b, a};
}

Point Shift(Point from, Point to) { return {to.x - from.x, to.y - from.y}; }
Point Add(Point p, Point shift) { return {p.x + shift.x, p.y + shift.y}; }

void PlacePoint(LinkPoint& point, Point at) {
  if (point.GetPos() == at) return;
  point.x = at.x;
  point.y = at.y;
  point.sheet->Moved(&point);
}

// Hands what makes a line's end the end of the whole bent line (its marker,
// what it rests or is docked on, its partner) from one end to another. The
// new end joins its host's list before the old one leaves it: false, with
// nothing changed, when there was no memory for that.
bool HandOver(LinkPoint& from, LinkPoint& to) {
  if (Line* host = from.hostLine) {
    to.SetLine(host);
    if (to.hostLine != host) return false;
    from.SetLine(nullptr);
  }
  to.gap = from.gap;
  from.gap = 0;
  to.marker = from.marker;
  to.character = from.character;
  from.marker = MarkerTable::Join;
  from.character = 0;
  if (LinkPoint* partner = from.partner) {
    from.Join(nullptr);
    to.Join(nullptr);
    to.Join(partner);
  }
  return true;
}

}  // namespace

LinkPoint& Elbows::HeldEnd(Bent& bent) {
  if (bent.segments.empty()) return OtherEnd(*bent.line, *bent.fixed);
  return bent.segments.back()->end;
}

LinkPoint& Elbows::OtherEnd(Line& line, const LinkPoint& end) { return &end == &line.start ? line.end : line.start; }

Elbows::Bent* Elbows::BentWith(const Line* line) {
  for (const auto& bent : bent_) {
    if (bent->line == line) return bent.get();
    if (std::find(bent->segments.begin(), bent->segments.end(), line) != bent->segments.end()) return bent.get();
  }
  return nullptr;
}

void Elbows::Clear() {
  holds_.clear();
  before_.clear();
  bent_.clear();
}

void Elbows::Before(const List<DrawObj*>& reached, std::span<DrawObj* const> dragged) {
  holds_.clear();
  before_.clear();
  std::unordered_set<const DrawObj*> own;
  for (DrawObj* obj : dragged) own.insert(obj->Root());
  std::vector<Line*> lines;
  auto note = [&](Line* line) {
    // A box's sides keep to their box; a line the user drags goes where it is dragged.
    if (line == nullptr || line->parent != nullptr || own.count(line) != 0 || before_.count(line) != 0) return;
    before_[line] = {line->start.GetPos(), line->end.GetPos()};
    lines.push_back(line);
  };
  List<DrawObj*>::Cursor cursor(reached);
  for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
    if (sheet_ == nullptr) sheet_ = obj->sheet;
    if (auto* point = dynamic_cast<LinkPoint*>(obj)) {
      note(dynamic_cast<Line*>(point->parent));
    } else {
      note(dynamic_cast<Line*>(obj));
    }
  }
  for (const auto& bent : bent_) {
    note(bent->line);
    for (Line* segment : bent->segments) note(segment);
  }
  for (Line* line : lines) {
    for (LinkPoint* end : {&line->start, &line->end}) {
      if (end->hostLine != nullptr && end->Holds()) {
        holds_.push_back(
            {end, end->hostLine, end->GetPos(), end->hostLine->start.GetPos(), end->hostLine->end.GetPos()});
      }
    }
  }
}

std::int32_t Elbows::WayOut(const LinkPoint& end, Point at, Point was, Point otherWas, std::int32_t orientation) const {
  if (const Line* host = end.hostLine; host != nullptr && host->orientation != orientation) {
    const std::int32_t hostAt = Across(host->start.GetPos(), host->orientation);
    const std::int32_t way = Sign(std::int64_t{Along(at, orientation)} - hostAt);
    if (way != 0) return way;
    // Resting on a box's side: away from the inside of the box.
    if (const auto* box = dynamic_cast<const Box*>(host->parent)) {
      const Rect frame = box->Frame();
      const std::int64_t middle = Horizontal(orientation) ? (std::int64_t{frame.left} + frame.right) / 2
                                                          : (std::int64_t{frame.top} + frame.bottom) / 2;
      const std::int32_t outward = Sign(std::int64_t{Along(at, orientation)} - middle);
      if (outward != 0) return outward;
    }
  }
  const std::int32_t way = Sign(std::int64_t{Along(otherWas, orientation)} - Along(was, orientation));
  return way != 0 ? way : 1;
}

std::vector<Point> Elbows::Route(Point p, std::int32_t pWay, Point q, std::int32_t qWay, std::int32_t orientation,
                                 const std::vector<Rect>& boxes) const {
  const bool horizontal = Horizontal(orientation);
  const std::int64_t step = horizontal ? sheet_->cellWidth : sheet_->cellHeight;
  const std::int64_t stepAcross = horizontal ? sheet_->cellHeight : sheet_->cellWidth;
  const std::int64_t pa = Along(p, orientation);
  const std::int64_t pb = Across(p, orientation);
  const std::int64_t qa = Along(q, orientation);
  const std::int64_t qb = Across(q, orientation);
  // The centre of the cell holding a coordinate, along or across.
  auto centre = [](std::int64_t v, std::int64_t size) {
    const std::int64_t cell = v >= 0 ? v / size : -((-v + size - 1) / size);
    return cell * size + size / 2;
  };
  // Straight, when both ends lie on one row (or column) facing each other.
  if (pb == qb && (qa - pa) * pWay >= 0 && (pa - qa) * qWay >= 0) return {p, q};
  // One jog across, half way between the ends, when there is room for it;
  // with the ends a cell apart, in the fixed end's own cell, where its
  // marker (an arrowhead) turns the corner.
  if (pWay == -qWay && (qa - pa) * pWay >= step) {
    const std::int64_t middle = (qa - pa) * pWay >= 2 * step ? centre((pa + qa) / 2, step) : pa;
    return {p, Make(middle, pb, orientation), Make(middle, qb, orientation), q};
  }
  // Both leaving the same way: round past the farther one.
  if (pWay == qWay) {
    const std::int64_t beyond = (pWay > 0 ? std::max(pa, qa) : std::min(pa, qa)) + pWay * step;
    return {p, Make(beyond, pb, orientation), Make(beyond, qb, orientation), q};
  }
  // Facing away, or too close: out of each end, and across between them,
  // clear of the boxes where there is room, else past them.
  const std::int64_t pOut = pa + pWay * step;
  const std::int64_t qOut = qa + qWay * step;
  std::int64_t middle = centre((pb + qb) / 2, stepAcross);
  auto inBox = [&](std::int64_t b) {
    for (const Rect& r : boxes) {
      const std::int64_t low = horizontal ? r.top : r.left;
      const std::int64_t high = horizontal ? r.bottom : r.right;
      if (b >= low && b <= high) return true;
    }
    return false;
  };
  if (middle == pb || middle == qb || inBox(middle)) {
    std::int64_t high = std::max(pb, qb);
    for (const Rect& r : boxes) high = std::max<std::int64_t>(high, horizontal ? r.bottom : r.right);
    middle = centre(high + stepAcross, stepAcross);
    const std::int64_t limit = horizontal ? sheet_->height : sheet_->width;
    if (middle >= limit) {
      std::int64_t low = std::min(pb, qb);
      for (const Rect& r : boxes) low = std::min<std::int64_t>(low, horizontal ? r.top : r.left);
      middle = centre(low - stepAcross, stepAcross);
    }
  }
  return {p,
          Make(pOut, pb, orientation),
          Make(pOut, middle, orientation),
          Make(qOut, middle, orientation),
          Make(qOut, qb, orientation),
          q};
}

void Elbows::After(Selection& repaint) {
  // The ends the step took off their hosts, and where their hosts hold them now.
  std::unordered_map<const LinkPoint*, Point> torn;
  std::vector<LinkPoint*> tornInOrder;
  for (const Hold& hold : holds_) {
    if (hold.end->hostLine != hold.host || hold.end->Holds()) continue;
    const Point startShift = Shift(hold.hostStart, hold.host->start.GetPos());
    const Point endShift = Shift(hold.hostEnd, hold.host->end.GetPos());
    Point shift = startShift;
    if (startShift != endShift) {
      // A host that grew or shrank: only what both its ends moved across it counts.
      if (Horizontal(hold.host->orientation) && startShift.y == endShift.y) {
        shift = {0, startShift.y};
      } else if (!Horizontal(hold.host->orientation) && startShift.x == endShift.x) {
        shift = {startShift.x, 0};
      } else {
        continue;
      }
    }
    const Point target = Add(hold.at, shift);
    // Where the host no longer reaches, the end lets go when it settles.
    if (!hold.end->HoldsAt(target) || torn.count(hold.end) != 0) continue;
    torn[hold.end] = target;
    tornInOrder.push_back(hold.end);
  }
  for (LinkPoint* end : tornInOrder) {
    const Point target = torn.at(end);
    auto* line = static_cast<Line*>(end->parent);
    if (BentWith(line) != nullptr) continue;
    auto bent = std::make_unique<Bent>();
    bent->line = line;
    bent->fixed = &OtherEnd(*line, *end);
    bent->orientation = line->orientation;
    // The ways out: away from what holds each end where it stands now, or
    // else as the line ran before the step.
    const auto [startWas, endWas] = before_.at(line);
    const Point heldWas = end == &line->start ? startWas : endWas;
    const Point fixedWas = end == &line->start ? endWas : startWas;
    auto fixedTarget = torn.find(bent->fixed);
    const Point fixedAt = fixedTarget != torn.end() ? fixedTarget->second : bent->fixed->GetPos();
    bent->heldWay = WayOut(*end, target, heldWas, fixedWas, line->orientation);
    bent->fixedWay = WayOut(*bent->fixed, fixedAt, fixedWas, heldWas, line->orientation);
    bent_.push_back(std::move(bent));
  }
  for (const auto& bent : bent_) {
    LinkPoint& held = HeldEnd(*bent);
    auto heldTarget = torn.find(&held);
    auto fixedTarget = torn.find(bent->fixed);
    const Point q = heldTarget != torn.end() ? heldTarget->second : held.GetPos();
    const Point p = fixedTarget != torn.end() ? fixedTarget->second : bent->fixed->GetPos();
    std::vector<Rect> boxes;
    for (const LinkPoint* end : {static_cast<const LinkPoint*>(&held), static_cast<const LinkPoint*>(bent->fixed)}) {
      if (end->hostLine == nullptr) continue;
      if (const auto* box = dynamic_cast<const Box*>(end->hostLine->parent)) boxes.push_back(box->Frame());
    }
    Lay(*bent, Route(p, bent->fixedWay, q, bent->heldWay, bent->orientation, boxes), repaint);
  }
}

void Elbows::Lay(Bent& bent, const std::vector<Point>& corners, Selection& repaint) {
  Line& line = *bent.line;
  const std::size_t wanted = corners.size() - 2;
  auto repaintChain = [&] {
    repaint.Invalidate(line.GetRect(DrawObj::Area::Redraw), true);
    for (const Line* segment : bent.segments) repaint.Invalidate(segment->GetRect(DrawObj::Area::Redraw), true);
  };
  // The segments wanted are made first, and the held end handed on: short of
  // memory for either, what was made goes and the line stays as the step
  // left it.
  const std::size_t had = bent.segments.size();
  LinkPoint& oldHeld = HeldEnd(bent);
  bool made = true;
  while (made && bent.segments.size() < wanted) {
    auto* segment = store::New<Line>(store::Database::Of(sheet_), sheet_, 0, 0, 0, 0, nullptr, nullptr);
    // A line the sheet could not list (no memory for the entry) goes again.
    if (segment != nullptr && sheet_->objects.Front() != segment) {
      store::Delete(segment);
      segment = nullptr;
    }
    made = segment != nullptr;
    if (!made) break;
    segment->flags |= DrawObj::Visible;
    segment->stroke = line.stroke;
    segment->start.x = oldHeld.x;
    segment->start.y = oldHeld.y;
    segment->end.x = oldHeld.x;
    segment->end.y = oldHeld.y;
    bent.segments.push_back(segment);
  }
  if (made) {
    LinkPoint& newHeld = wanted == 0 ? OtherEnd(line, *bent.fixed) : bent.segments[wanted - 1]->end;
    if (&newHeld != &oldHeld) made = HandOver(oldHeld, newHeld);
  }
  if (!made) {
    while (bent.segments.size() > had) {
      store::Delete(bent.segments.back());
      bent.segments.pop_back();
    }
    return;
  }
  repaintChain();
  // What rests on the segments that go comes off them first, to rest again
  // where it lies once the line is laid.
  std::vector<DrawObj*> resting;
  while (bent.segments.size() > wanted) {
    Line* segment = bent.segments.back();
    while (DrawObj* obj = segment->attached.Front()) {
      resting.push_back(obj);
      if (auto* text = dynamic_cast<StrBox*>(obj)) {
        text->SetRest(nullptr);
      } else if (auto* dot = dynamic_cast<Dot*>(obj)) {
        dot->SetLine(nullptr);
      } else {
        segment->attached.Remove(obj);
      }
    }
    bent.segments.pop_back();
    store::Delete(segment);
  }
  // The line from its fixed end to the first corner, then each segment on.
  PlacePoint(*bent.fixed, corners[0]);
  LinkPoint& lineOther = OtherEnd(line, *bent.fixed);
  PlacePoint(lineOther, corners[1]);
  line.orientation = bent.orientation;
  LinkPoint* previous = &lineOther;
  for (std::size_t i = 0; i < bent.segments.size(); ++i) {
    Line& segment = *bent.segments[i];
    PlacePoint(segment.start, corners[i + 1]);
    PlacePoint(segment.end, corners[i + 2]);
    segment.orientation = corners[i + 1].y == corners[i + 2].y ? Line::Horizontal : Line::Vertical;
    if (previous->partner != &segment.start) {
      previous->Join(nullptr);
      segment.start.Join(nullptr);
      previous->Join(&segment.start);
    }
    previous = &segment.end;
  }
  // A fixed end laid in the first corner's cell turns the corner there, and
  // the corner shows its marker, not a join.
  if (!bent.segments.empty()) {
    LinkPoint& corner = bent.segments.front()->start;
    const bool turnsAtFixed = corners[0] == corners[1];
    corner.marker = turnsAtFixed ? bent.fixed->marker : std::int32_t{MarkerTable::Join};
    corner.character = turnsAtFixed ? bent.fixed->character : 0;
  }
  repaintChain();
  // Dots, labels and line ends that rested on a segment gone rest where
  // the line now runs through them, or on nothing.
  std::vector<Line*> chain{&line};
  chain.insert(chain.end(), bent.segments.begin(), bent.segments.end());
  for (DrawObj* obj : resting) {
    for (Line* segment : chain) {
      if (auto* text = dynamic_cast<StrBox*>(obj)) {
        if (text->Touching(*segment) == Line::NotBeside) continue;
        text->SetRest(segment);
      } else if (auto* dot = dynamic_cast<Dot*>(obj)) {
        if (segment->CellsAcross(sheet_->CellOf(dot->x, dot->y)) != 0) continue;
        dot->SetLine(segment);
      }
      break;
    }
  }
}

}  // namespace virlo
