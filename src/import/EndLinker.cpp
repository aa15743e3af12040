#include "import/EndLinker.h"

#include "import/ArmMap.h"
#include "import/ArtCharacter.h"
#include "objects/MarkerTable.h"

namespace virlo {
namespace {

using Element = ArtPlan::Element;
using Side = ArtPlan::Side;
using Use = RecognizerGrid::Use;

bool IsRunMarker(const ArtPlan::Marker& marker) {
  return marker.type == MarkerTable::HorizontalLine || marker.type == MarkerTable::VerticalLine;
}

}  // namespace

EndLinker::EndLinker(RecognizerGrid& cells, ArtPlan& plan) : cells_(cells), plan_(plan) {
  const auto count = static_cast<std::int32_t>(plan_.lines.size());
  for (std::int32_t i = 0; i < count; ++i) {
    const ArtPlan::Line& line = plan_.lines[static_cast<std::size_t>(i)];
    endsAt_[cells_.Index(line.start.cell)].emplace_back(i, false);
    endsAt_[cells_.Index(line.end.cell)].emplace_back(i, true);
  }
  // The insides of the boxes, marked by a sum over a table of differences.
  const auto width = static_cast<std::size_t>(cells_.Columns()) + 1;
  std::vector<std::int32_t> marks(width * (static_cast<std::size_t>(cells_.Rows()) + 1), 0);
  auto at = [&](std::int32_t c, std::int32_t r) -> std::int32_t& {
    return marks[static_cast<std::size_t>(r) * width + static_cast<std::size_t>(c)];
  };
  for (const ArtPlan::Box& box : plan_.boxes) {
    const std::int32_t c0 = box.topLeft.column + 1;
    const std::int32_t r0 = box.topLeft.row + 1;
    const std::int32_t c1 = box.bottomRight.column;
    const std::int32_t r1 = box.bottomRight.row;
    if (c0 >= c1 || r0 >= r1) continue;
    ++at(c0, r0);
    --at(c1, r0);
    --at(c0, r1);
    ++at(c1, r1);
  }
  insideBox_.assign(static_cast<std::size_t>(cells_.Columns()) * static_cast<std::size_t>(cells_.Rows()), false);
  for (std::int32_t r = 0; r < cells_.Rows(); ++r) {
    for (std::int32_t c = 0; c < cells_.Columns(); ++c) {
      if (c > 0) at(c, r) += at(c - 1, r);
      if (r > 0) at(c, r) += at(c, r - 1);
      if (c > 0 && r > 0) at(c, r) -= at(c - 1, r - 1);
      insideBox_[cells_.Index(c, r)] = at(c, r) > 0;
    }
  }
}

void EndLinker::Run() {
  const auto count = static_cast<std::int32_t>(plan_.lines.size());
  for (std::int32_t i = 0; i < count; ++i) {
    for (const bool atEnd : {false, true}) Link({i, atEnd});
  }
  // Two pieces of one run meeting where it crosses a box side ("-+---" out
  // of a box): the author drew one connector, so the pieces are joined there,
  // each still resting on the side so that both follow the box.
  for (std::int32_t i = 0; i < count; ++i) {
    for (const bool atEnd : {false, true}) JoinAcrossSides({i, atEnd});
  }
  ShowCharacters();
}

void EndLinker::ShowCharacters() {
  const ArmMap arms(cells_, plan_);
  for (ArtPlan::Line& line : plan_.lines) {
    for (ArtPlan::End* end : {&line.start, &line.end}) {
      if (end->marker.type != MarkerTable::Join || arms.Shows(end->cell)) continue;
      end->marker = ArtPlan::Marker{MarkerTable::Character, cells_.Shape(end->cell.column, end->cell.row)};
    }
  }
}

ArtPlan::End& EndLinker::EndOf(EndId id) {
  ArtPlan::Line& line = plan_.lines[static_cast<std::size_t>(id.first)];
  return id.second ? line.end : line.start;
}

std::optional<ArtPlan::Host> EndLinker::HostAt(const ArtPlan::Cell& at, bool horizontal) const {
  if (!cells_.Inside(at.column, at.row)) return std::nullopt;
  const RecognizerGrid::Cell& cell = cells_.At(at.column, at.row);
  // A corner: the side across the end's line.
  if (cell.use == Use::BoxCorner) return BoxHost(cell.box, at, horizontal);
  const Element runner = horizontal ? cell.down : cell.across;
  if (!runner) return std::nullopt;
  if (runner.kind == Element::Kind::Line) return ArtPlan::Host{runner, Side::Top};
  // The box side the cell lies on, across the end's line.
  return BoxHost(runner.index, at, horizontal);
}

ArtPlan::Host EndLinker::BoxHost(std::int32_t box, const ArtPlan::Cell& at, bool horizontal) const {
  const ArtPlan::Box& frame = plan_.boxes[static_cast<std::size_t>(box)];
  if (horizontal) return ArtPlan::Host{Element::Box(box), at.column == frame.topLeft.column ? Side::Left : Side::Right};
  return ArtPlan::Host{Element::Box(box), at.row == frame.topLeft.row ? Side::Top : Side::Bottom};
}

void EndLinker::Link(EndId id) {
  ArtPlan::End& end = EndOf(id);
  // Linked already, at a tee linked as a whole.
  if (end.joinLine >= 0 || end.host.element) return;
  // On a side or a line across this one: resting.
  if (const std::optional<ArtPlan::Host> host = HostAt(end.cell, Horizontal(id.first))) {
    end.host = *host;
    return;
  }
  // Two ends at a corner are joined.
  std::vector<EndId> others;
  for (const EndId& other : endsAt_[cells_.Index(end.cell)]) {
    if (other.first == id.first) continue;
    const ArtPlan::End& there = EndOf(other);
    // A run's own character joins only a run across it there ("|--" at
    // the top of a tree).
    const bool plain = IsRunMarker(there.marker) || IsRunMarker(end.marker);
    if (there.joinLine < 0 && (!plain || Horizontal(other.first) != Horizontal(id.first))) others.push_back(other);
  }
  if (others.size() == 1 && Horizontal(others[0].first) != Horizontal(id.first)) {
    // A tee a run starts at ("├" atop a tree's stem, the "|" a branch or a
    // message leaves): each rests on the other, so either carries the
    // other's end, and neither run goes on into the other as a join would.
    if (ThroughAcross(end.cell)) {
      end.host = ArtPlan::Host{Element::Line(others[0].first), Side::Top};
      return;
    }
  }
  if (others.size() == 1) {
    ArtPlan::End& other = EndOf(others[0]);
    end.joinLine = others[0].first;
    end.joinAtEnd = others[0].second;
    other.joinLine = id.first;
    other.joinAtEnd = id.second;
    DockFork(id);
    DockFork(others[0]);
    return;
  }
  if (others.size() == 2) {
    const EndId ends[3] = {id, others[0], others[1]};
    LinkTee(ends);
    if (end.joinLine >= 0 || end.host.element) return;
  }
  Dock(id);
}

std::optional<bool> EndLinker::ThroughAcross(const ArtPlan::Cell& at) const {
  const char32_t code = cells_.Shape(at.column, at.row);
  if (code == U'|') return false;
  const ArtCharacter::Arms arms = ArtCharacter::ArmsOf(code);
  const bool across = arms[ArtCharacter::Way::Left] != 0 && arms[ArtCharacter::Way::Right] != 0;
  const bool down = arms[ArtCharacter::Way::Up] != 0 && arms[ArtCharacter::Way::Down] != 0;
  if (across == down) return std::nullopt;
  return across;
}

void EndLinker::LinkTee(const EndId (&ends)[3]) {
  // Three ends at a tee, where a run changes its stroke (a divider drawn
  // solid, then dashed): the run goes on through the tee, so its two
  // pieces are joined and the stem rests on them.
  auto across = [&](std::int32_t k) { return Horizontal(ends[k].first); };
  for (std::int32_t stem = 0; stem < 3; ++stem) {
    const std::int32_t a = (stem + 1) % 3;
    const std::int32_t b = (stem + 2) % 3;
    if (across(a) != across(b) || across(stem) == across(a) || ends[a].second == ends[b].second) continue;
    ArtPlan::End& first = EndOf(ends[a]);
    ArtPlan::End& second = EndOf(ends[b]);
    first.joinLine = ends[b].first;
    first.joinAtEnd = ends[b].second;
    second.joinLine = ends[a].first;
    second.joinAtEnd = ends[a].second;
    EndOf(ends[stem]).host = ArtPlan::Host{Element::Line(ends[a].first), Side::Top};
    return;
  }
}

void EndLinker::Dock(EndId id) {
  ArtPlan::End& end = EndOf(id);
  const bool horizontal = Horizontal(id.first);
  const ArtPlan::Line& line = plan_.lines[static_cast<std::size_t>(id.first)];
  const ArtPlan::Cell other = id.second ? line.start.cell : line.end.cell;
  // A line of one cell (a head alone) docks its start before it and its
  // end after it, left to right or top to bottom.
  const std::int32_t sign = end.cell == other ? (id.second ? 1 : -1) : 0;
  const std::int32_t dc = horizontal ? (sign != 0 ? sign : end.cell.column >= other.column ? 1 : -1) : 0;
  const std::int32_t dr = horizontal ? 0 : (sign != 0 ? sign : end.cell.row >= other.row ? 1 : -1);
  const std::int32_t reach = dc > 0 ? end.marker.Width() : 1;
  const ArtPlan::Cell target{end.cell.column + dc * reach, end.cell.row + dr};
  if (const std::optional<ArtPlan::Host> host = HostAt(target, horizontal)) {
    end.host = *host;
    end.docked = true;
    return;
  }
  // Or at the last cell of a line across this one ("-->+" where a run turns up).
  if (!cells_.Inside(target.column, target.row)) return;
  for (const EndId& across : endsAt_[cells_.Index(target)]) {
    if (Horizontal(across.first) == horizontal) continue;
    end.host = ArtPlan::Host{Element::Line(across.first), Side::Top};
    end.docked = true;
    return;
  }
  // Past one blank: a box side ("| New | -----> | Active |", both ends),
  // or a line an arrowhead points at. A joined end turns there instead.
  if (end.joinLine >= 0 || cells_.Shape(target.column, target.row) != U' ' ||
      !cells_.IsFree(target.column, target.row)) {
    return;
  }
  const ArtPlan::Cell beyond{target.column + dc, target.row + dr};
  std::optional<ArtPlan::Host> far = HostAt(beyond, horizontal);
  if (!far && cells_.Inside(beyond.column, beyond.row)) {
    for (const EndId& across : endsAt_[cells_.Index(beyond)]) {
      if (Horizontal(across.first) != horizontal) far = ArtPlan::Host{Element::Line(across.first), Side::Top};
    }
  }
  if (!far) return;
  const std::optional<ArtCharacter::Way> way = ArtCharacter::HeadOf(cells_.Shape(end.cell.column, end.cell.row));
  const ArtCharacter::Way out = horizontal ? (dc > 0 ? ArtCharacter::Way::Right : ArtCharacter::Way::Left)
                                           : (dr > 0 ? ArtCharacter::Way::Down : ArtCharacter::Way::Up);
  const bool points = way.has_value() && *way == out;
  if (far->element.kind != Element::Kind::Box && !points) return;
  // A plain end inside a box does not reach for that box's own side past a
  // blank (a column's "---" under its name in a table).
  if (far->element.kind == Element::Kind::Box && !points) {
    const ArtPlan::Box& box = plan_.boxes[static_cast<std::size_t>(far->element.index)];
    const bool inside = end.cell.column > box.topLeft.column && end.cell.column < box.bottomRight.column &&
                        end.cell.row > box.topLeft.row && end.cell.row < box.bottomRight.row;
    if (inside) return;
  }
  end.host = *far;
  end.docked = true;
  end.gap = 1;
}

void EndLinker::DockFork(EndId id) {
  ArtPlan::End& end = EndOf(id);
  if (end.host.element) return;
  Dock(id);
  if (end.host.element && end.host.element.kind != Element::Kind::Box) {
    end.host = {};
    end.docked = false;
  }
}

void EndLinker::JoinAcrossSides(EndId id) {
  ArtPlan::End& end = EndOf(id);
  if (!end.host.element || end.docked || end.joinLine >= 0) return;
  // A run through a box side, or through a line where the art shows a
  // crossing ("┼"): at a cross both runs go on.
  const char32_t code = cells_.Shape(end.cell.column, end.cell.row);
  const bool crossing = (code == U'+' || ArtCharacter::ArmsOf(code).Crossing()) && !insideBox_[cells_.Index(end.cell)];
  const bool through = end.host.element.kind == Element::Kind::Box || crossing;
  for (const EndId& o : endsAt_[cells_.Index(end.cell)]) {
    ArtPlan::End& other = EndOf(o);
    const bool sameHost = other.host.element == end.host.element && other.host.side == end.host.side;
    if (o.first == id.first || !through || Horizontal(o.first) != Horizontal(id.first) || !sameHost || other.docked ||
        other.joinLine >= 0) {
      continue;
    }
    // The pieces lie on either side of the crossing.
    if (id.second == o.second) continue;
    end.joinLine = o.first;
    end.joinAtEnd = o.second;
    other.joinLine = id.first;
    other.joinAtEnd = id.second;
    return;
  }
}

}  // namespace virlo
