#include "import/StepFinder.h"

#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "import/ArtCharacter.h"

namespace virlo {
namespace {

using Use = RecognizerGrid::Use;
using Way = ArtCharacter::Way;

// The cell one step the way points: columns and rows.
ArtPlan::Cell StepOf(Way way) {
  return {way == Way::Right ? 1 : way == Way::Left ? -1 : 0, way == Way::Down ? 1 : way == Way::Up ? -1 : 0};
}

bool TurnsDown(char32_t code) {
  const ArtCharacter::Arms arms = ArtCharacter::ArmsOf(code);
  return arms.Any() ? arms[Way::Down] > 0 : code == U'.' || code == U',';
}

bool TurnsUp(char32_t code) {
  const ArtCharacter::Arms arms = ArtCharacter::ArmsOf(code);
  return arms.Any() ? arms[Way::Up] > 0 : code == U'\'' || code == U'`';
}

}  // namespace

template <typename Visit>
void StepFinder::ForEachFreeHead(Visit visit) {
  for (std::int32_t r = 0; r < cells_.Rows(); ++r) {
    for (std::int32_t c = 0; c < cells_.Columns(); ++c) {
      const char32_t code = cells_.Shape(c, r);
      if (code == 0 || ArtCharacter::IsLetter(code) || !cells_.IsFree(c, r)) continue;
      const std::optional<Way> way = ArtCharacter::HeadOf(code);
      const std::optional<ArtPlan::Marker> marker = cells_.MarkerAt(c, r);
      if (way && marker) visit(ArtPlan::Cell{c, r}, *way, *marker);
    }
  }
}

void StepFinder::Run() {
  HeadsAgainstCorners();
  // The ends of the lines across, by their cells.
  std::unordered_map<std::size_t, ArtPlan::Marker> endMarkers;
  // The cells a line down already starts or stops at (a tree's stem).
  std::unordered_set<std::size_t> stems;
  for (const ArtPlan::Line& line : plan_.lines) {
    if (!line.horizontal) {
      stems.insert(cells_.Index(line.start.cell));
      stems.insert(cells_.Index(line.end.cell));
      continue;
    }
    endMarkers[cells_.Index(line.start.cell)] = line.start.marker;
    endMarkers[cells_.Index(line.end.cell)] = line.end.marker;
  }
  for (std::int32_t r = 0; r + 1 < cells_.Rows(); ++r) {
    for (std::int32_t c = 0; c < cells_.Columns(); ++c) {
      const auto upper = endMarkers.find(cells_.Index(c, r));
      const auto lower = endMarkers.find(cells_.Index(c, r + 1));
      if (upper == endMarkers.end() || lower == endMarkers.end()) continue;
      const RecognizerGrid::Cell& above = cells_.At(c, r);
      const RecognizerGrid::Cell& below = cells_.At(c, r + 1);
      if (above.use != Use::End || below.use != Use::End || above.down || below.down) continue;
      if (stems.count(cells_.Index(c, r)) != 0) continue;
      if (!TurnsDown(cells_.Shape(c, r)) || !TurnsUp(cells_.Shape(c, r + 1))) continue;
      ArtPlan::Line line;
      line.horizontal = false;
      // Box drawing weighs its arm down: the stroke the step shows.
      const std::uint8_t weight = ArtCharacter::ArmsOf(cells_.Shape(c, r))[Way::Down];
      line.stroke = weight == 2 ? Stroke::Heavy : weight == 3 ? Stroke::Double : Stroke::Solid;
      line.start = {{c, r}, upper->second, {}};
      line.end = {{c, r + 1}, lower->second, {}};
      plan_.lines.push_back(line);
    }
  }
  for (const auto& [index, marker] : endMarkers) {
    const auto c = static_cast<std::int32_t>(index % static_cast<std::size_t>(cells_.Columns()));
    const auto r = static_cast<std::int32_t>(index / static_cast<std::size_t>(cells_.Columns()));
    if (stems.count(index) == 0 && !cells_.At(c, r).down) HeadAtCorner({c, r}, marker);
  }
  HeadsAtJunctions();
  LoneHeads();
}

void StepFinder::LoneHeads() {
  auto structure = [&](std::int32_t c, std::int32_t r) {
    const Use use = cells_.At(c, r).use;
    return cells_.Inside(c, r) && (use == Use::BoxSide || use == Use::BoxCorner || use == Use::Line || use == Use::End);
  };
  ForEachFreeHead([&](const ArtPlan::Cell& at, Way way, const ArtPlan::Marker& marker) {
    if (marker.Width() != 1) return;
    const std::int32_t c = at.column;
    const std::int32_t r = at.row;
    const bool horizontal = way == Way::Left || way == Way::Right;
    const std::int32_t dc = StepOf(way).column;
    const std::int32_t dr = StepOf(way).row;
    // It points at a side or a line next to it; a head of its own
    // (not ASCII "<" or ">", which stand in text) may also leave one.
    const bool ahead = structure(c + dc, r + dr);
    const bool behind = cells_.Shape(c, r) >= 0x80 && structure(c - dc, r - dr);
    // Beside it, across its way, no other head and no word: a row of
    // them ("^^^^ EXCESS ^^^^") marks a span, no arrow.
    auto clear = [&](std::int32_t k) {
      const char32_t beside = cells_.Shape(c + dr * k, r + dc * k);
      return beside != 0 && !ArtCharacter::HeadOf(beside) && !ArtCharacter::IsWordCharacter(beside);
    };
    if ((!ahead && !behind) || !clear(-1) || !clear(1)) return;
    ArtPlan::Line line;
    line.horizontal = horizontal;
    line.start = {at, marker, {}};
    line.end = line.start;
    // Two heads back to back ("▲" over "▼" between two boxes), each
    // pointing at what lies beyond it: one line of two cells.
    const ArtPlan::Cell back{c - dc, r - dr};
    const char32_t other = cells_.Shape(back.column, back.row);
    const std::optional<Way> otherWay = other != 0 ? ArtCharacter::HeadOf(other) : std::nullopt;
    const std::optional<ArtPlan::Marker> otherMarker = cells_.MarkerAt(back.column, back.row);
    if (otherWay && otherMarker && otherMarker->Width() == 1 && cells_.IsFree(back.column, back.row) &&
        !ArtCharacter::IsLetter(other) && structure(back.column - dc, back.row - dr) &&
        (otherWay == Way::Left || otherWay == Way::Right) == horizontal && *otherWay != way) {
      const ArtPlan::End there{back, *otherMarker, {}};
      const bool forward = dc + dr > 0;
      line.start = forward ? there : line.start;
      line.end = forward ? line.end : there;
      cells_.At(back.column, back.row).use = Use::End;
    }
    plan_.lines.push_back(line);
    cells_.At(c, r).use = Use::End;
  });
}

void StepFinder::HeadsAtJunctions() {
  ForEachFreeHead([this](const ArtPlan::Cell& at, Way way, const ArtPlan::Marker& marker) {
    if (way != Way::Up && way != Way::Down) return;
    const std::int32_t dr = way == Way::Down ? 1 : -1;
    // Behind the head, a junction inside a run across ("═╪═", "─┬─")
    // whose arm reaches the head.
    const ArtPlan::Cell junction{at.column, at.row - dr};
    if (!cells_.Inside(junction.column, junction.row)) return;
    const RecognizerGrid::Cell& there = cells_.At(junction.column, junction.row);
    const ArtCharacter::Arms arms = ArtCharacter::ArmsOf(cells_.Shape(junction.column, junction.row));
    const bool line = there.use == Use::Line && there.across.kind == ArtPlan::Element::Kind::Line;
    if (!line || arms[way] == 0 || arms[Way::Left] == 0 || arms[Way::Right] == 0 || there.down) return;
    ArtPlan::Line drop;
    drop.horizontal = false;
    const ArtPlan::End atJunction{junction, TableMarker(MarkerTable::Join), {}};
    const ArtPlan::End atHead{at, marker, {}};
    drop.start = dr > 0 ? atJunction : atHead;
    drop.end = dr > 0 ? atHead : atJunction;
    plan_.lines.push_back(drop);
    cells_.At(at.column, at.row).use = Use::End;
    cells_.At(junction.column, junction.row).use = Use::End;
  });
}

void StepFinder::HeadsAgainstCorners() {
  // The markers of the lines' ends, by their cells.
  std::unordered_map<std::size_t, ArtPlan::Marker> endMarkers;
  for (const ArtPlan::Line& line : plan_.lines) {
    endMarkers[cells_.Index(line.start.cell)] = line.start.marker;
    endMarkers[cells_.Index(line.end.cell)] = line.end.marker;
  }
  ForEachFreeHead([&](const ArtPlan::Cell& at, Way way, const ArtPlan::Marker& marker) {
    if (marker.Width() != 1) return;
    const bool horizontal = way == Way::Left || way == Way::Right;
    const ArtPlan::Cell d = StepOf(way);
    const ArtPlan::Cell corner{at.column - d.column, at.row - d.row};
    if (!cells_.Inside(corner.column, corner.row)) return;
    const RecognizerGrid::Cell& there = cells_.At(corner.column, corner.row);
    // The corner's arm reaches the head, and another turns off the head's
    // way; an ASCII "+" where a run ends against it that way ("|" over "+>").
    const char32_t code = cells_.Shape(corner.column, corner.row);
    ArtCharacter::Arms arms = ArtCharacter::ArmsOf(code);
    if (code == U'+') {
      for (const Way arm : {Way::Left, Way::Right, Way::Up, Way::Down}) {
        const ArtPlan::Cell step = StepOf(arm);
        const bool across = arm == Way::Left || arm == Way::Right;
        const bool run = cells_.RunAt(corner.column + step.column, corner.row + step.row, across).has_value();
        arms.weight[static_cast<std::size_t>(arm)] = run || arm == way ? 1 : 0;
      }
    }
    const bool turns =
        horizontal ? (arms[Way::Up] != 0) != (arms[Way::Down] != 0) : (arms[Way::Left] != 0) != (arms[Way::Right] != 0);
    const Way back = way == Way::Left    ? Way::Right
                     : way == Way::Right ? Way::Left
                     : way == Way::Up    ? Way::Down
                                         : Way::Up;
    // A "+" with a run behind it too is a junction in a straight run.
    const bool straight = arms[back] != 0;
    const bool free = there.use == Use::Free || (there.use == Use::End && !(horizontal ? there.across : there.down));
    if (!arms.Any() || arms[way] == 0 || !turns || !free || there.text || (code == U'+' && straight)) return;
    // It points at a side or a line ("◀┐" against a box's side), or at a
    // name next to it or past one blank ("+> WAIT_FINISHED <+").
    const ArtPlan::Cell ahead{at.column + d.column, at.row + d.row};
    const Use aheadUse = cells_.Inside(ahead.column, ahead.row) ? cells_.At(ahead.column, ahead.row).use : Use::Free;
    auto name = [&](const ArtPlan::Cell& c) {
      if (!cells_.IsFree(c.column, c.row) && !cells_.At(c.column, c.row).text) return false;
      const char32_t letter = cells_.At(c.column, c.row).code;
      return ArtCharacter::IsWordCharacter(letter) || letter == U'_';
    };
    const ArtPlan::Cell beyond{ahead.column + d.column, ahead.row + d.row};
    const bool toName = name(ahead) || (cells_.Shape(ahead.column, ahead.row) == U' ' && name(beyond));
    if (aheadUse != Use::BoxSide && aheadUse != Use::BoxCorner && aheadUse != Use::Line && !toName) return;
    ArtPlan::Line line;
    line.horizontal = horizontal;
    const ArtPlan::End atHead{at, marker, {}};
    // The corner shows what the line already ending there shows ("╭").
    const auto ending = endMarkers.find(cells_.Index(corner));
    const ArtPlan::Marker shown = ending != endMarkers.end() ? ending->second : TableMarker(MarkerTable::Join);
    const ArtPlan::End atCorner{corner, shown, {}};
    const bool forward = d.column + d.row > 0;
    line.start = forward ? atCorner : atHead;
    line.end = forward ? atHead : atCorner;
    plan_.lines.push_back(line);
    cells_.At(at.column, at.row).use = Use::End;
    cells_.At(corner.column, corner.row).use = Use::End;
  });
}

bool StepFinder::InSide(const ArtPlan::Cell& at, std::int32_t dr, std::optional<ArtCharacter::Way> head) const {
  if (!cells_.Inside(at.column, at.row)) return false;
  const RecognizerGrid::Cell& cell = cells_.At(at.column, at.row);
  const ArtPlan::Side facing = dr > 0 ? ArtPlan::Side::Top : ArtPlan::Side::Bottom;
  const ArtCharacter::Arms arms = ArtCharacter::ArmsOf(cells_.Shape(at.column, at.row));
  const bool toward = arms[dr > 0 ? Way::Up : Way::Down] != 0;
  // A box's corner drawn as a tee ("├" under "┌").
  if (cell.use == Use::BoxCorner) return !head.has_value() && toward;
  if (cell.use != Use::BoxSide || cell.side != facing) return false;
  if (head.has_value()) return *head == (dr > 0 ? Way::Down : Way::Up) && cells_.MarkerAt(at.column, at.row);
  // A tee in the side with its arm towards the corner.
  return toward && arms[Way::Left] != 0 && arms[Way::Right] != 0;
}

void StepFinder::HeadAtCorner(const ArtPlan::Cell& corner, const ArtPlan::Marker& marker) {
  const char32_t code = cells_.Shape(corner.column, corner.row);
  if (cells_.At(corner.column, corner.row).use != Use::End) return;
  for (const std::int32_t dr : {1, -1}) {
    const bool turns = code == U'+' || (dr > 0 ? TurnsDown(code) : TurnsUp(code));
    const ArtPlan::Cell at{corner.column, corner.row + dr};
    const char32_t head = cells_.Shape(at.column, at.row);
    const std::optional<ArtCharacter::Way> way = head != 0 ? ArtCharacter::HeadOf(head) : std::nullopt;
    const bool upright = way.has_value() && (*way == Way::Up || *way == Way::Down);
    if (turns && InSide(at, dr, way)) {
      // A loop back into a box: the corner turns onto the box's side, where
      // the art shows its head ("▼" in the top) or a tee ("┴").
      // Where the side is crossed ("┼") and a box inside it lies right
      // beyond, showing the line arriving there too, the line goes on to
      // that box's side.
      ArtPlan::Cell end = at;
      std::optional<ArtCharacter::Way> endWay = way;
      const ArtPlan::Cell beyond{at.column, at.row + dr};
      const char32_t far = cells_.Shape(beyond.column, beyond.row);
      const std::optional<ArtCharacter::Way> farWay = far != 0 ? ArtCharacter::HeadOf(far) : std::nullopt;
      const bool crossed = ArtCharacter::ArmsOf(head)[dr > 0 ? Way::Down : Way::Up] != 0;
      if (!way.has_value() && crossed && InSide(beyond, dr, farWay)) {
        end = beyond;
        endWay = farWay;
      }
      ArtPlan::Line line;
      line.horizontal = false;
      const ArtPlan::Marker shown =
          endWay.has_value() ? *cells_.MarkerAt(end.column, end.row) : TableMarker(MarkerTable::Join);
      const ArtPlan::End atCorner{corner, marker, {}};
      const ArtPlan::End atSide{end, shown, {}};
      line.start = dr > 0 ? atCorner : atSide;
      line.end = dr > 0 ? atSide : atCorner;
      plan_.lines.push_back(line);
      return;
    }
    if (!turns || !upright || !cells_.IsFree(at.column, at.row)) continue;
    const std::optional<ArtPlan::Marker> shown = cells_.MarkerAt(at.column, at.row);
    // A head that starts a run of its own ("v" over "|") is that run's.
    if (!shown || cells_.RunAt(at.column, at.row + dr, false)) continue;
    ArtPlan::Line line;
    line.horizontal = false;
    const ArtPlan::End atCorner{corner, marker, {}};
    const ArtPlan::End atHead{at, *shown, {}};
    line.start = dr > 0 ? atCorner : atHead;
    line.end = dr > 0 ? atHead : atCorner;
    plan_.lines.push_back(line);
    cells_.At(at.column, at.row).use = Use::End;
    return;
  }
}

}  // namespace virlo
