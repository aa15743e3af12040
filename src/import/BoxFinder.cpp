#include "import/BoxFinder.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <utility>

#include "objects/MarkerTable.h"

namespace virlo {
namespace {

using Use = RecognizerGrid::Use;

// Beyond this many candidate corners one top-left corner gives up: only
// hostile art gets there, and it stays text.
constexpr std::int32_t MaxBoxTries = 1 << 12;
// A side this long or longer may have one gap and still be solid.
constexpr std::int32_t ShortestGappedSide = 6;

// Calls visit(column, row, side) for every cell of a frame's sides between
// its corners.
template <typename Visit>
void ForEachSideCell(std::int32_t c0, std::int32_t r0, std::int32_t c1, std::int32_t r1, Visit visit) {
  using Side = ArtPlan::Side;
  for (std::int32_t c = c0 + 1; c < c1; ++c) {
    visit(c, r0, Side::Top);
    visit(c, r1, Side::Bottom);
  }
  for (std::int32_t r = r0 + 1; r < r1; ++r) {
    visit(c0, r, Side::Left);
    visit(c1, r, Side::Right);
  }
}

// Calls visit(along, cell) for every cell of one side of a box between its
// corners, along counted from the side's first corner.
template <typename Visit>
void ForEachCellOfSide(const ArtPlan::Box& box, ArtPlan::Side side, Visit visit) {
  using Side = ArtPlan::Side;
  const bool across = side == Side::Top || side == Side::Bottom;
  const std::int32_t from = across ? box.topLeft.column : box.topLeft.row;
  const std::int32_t to = across ? box.bottomRight.column : box.bottomRight.row;
  const std::int32_t fixed = across ? (side == Side::Top ? box.topLeft.row : box.bottomRight.row)
                                    : (side == Side::Left ? box.topLeft.column : box.bottomRight.column);
  for (std::int32_t k = from + 1; k < to; ++k) {
    visit(k - from, across ? ArtPlan::Cell{k, fixed} : ArtPlan::Cell{fixed, k});
  }
}

}  // namespace

void BoxFinder::Run() {
  std::int32_t budget = 0;
  for (std::int32_t r = 0; r < cells_.Rows(); ++r) {
    for (std::int32_t c = 0; c < cells_.Columns(); ++c) {
      // A box's corner may be another's too (a port under its bottom left
      // corner), but only one box starts at a corner.
      if (cells_.At(c, r).use == Use::BoxCorner && StartsBox(c, r)) continue;
      if (TryQuoted(c, r)) continue;
      const bool dashCorner =
          cells_.RunAt(c, r, true) && cells_.RunAt(c, r + 1, false) && !cells_.RunAt(c - 1, r, true);
      if (!cells_.IsCorner(c, r) && !dashCorner) continue;
      budget = MaxBoxTries;
      TryBox(c, r, budget);
    }
  }
  const std::size_t found = plan_.boxes.size();
  for (std::size_t f = 0; f < found; ++f) {
    if (!TryBehind(f, 1)) TryBehind(f, -1);
  }
}

bool BoxFinder::TryBehind(std::size_t front, std::int32_t dx) {
  const ArtPlan::Box& shown = plan_.boxes[front];
  // Named, not bound: clang 14, which builds the fuzzers, lets no lambda
  // capture a structured binding.
  const std::int32_t a = shown.topLeft.column;
  const std::int32_t b = shown.topLeft.row;
  const std::int32_t c = shown.bottomRight.column;
  const std::int32_t d = shown.bottomRight.row;
  const std::int32_t c0 = a + dx;
  const std::int32_t r0 = b + 1;
  const std::int32_t c1 = c + dx;
  const std::int32_t r1 = d + 1;
  // The side that shows beside the front box, and the one behind it.
  const std::int32_t outer = dx > 0 ? c1 : c0;
  const std::int32_t inner = dx > 0 ? c0 : c1;
  const Way outward = dx > 0 ? Way::Left : Way::Right;
  const Way inward = dx > 0 ? Way::Right : Way::Left;
  auto free = [&](std::int32_t cc, std::int32_t rr) {
    return cells_.Inside(cc, rr) && cells_.At(cc, rr).use == Use::Free && !cells_.At(cc, rr).text;
  };
  if (r1 >= cells_.Rows() || !free(outer, r0) || !free(outer, r1) || !free(inner, r1)) return false;
  // An arrow may end where the top corner that shows would be, pointing
  // at the front box ("-->|" over a box behind it): the arrow shows there.
  const std::optional<Way> head = ArtCharacter::HeadOf(cells_.Shape(outer, r0));
  const bool arrowAtCorner = head.has_value() && *head == outward && cells_.RunAt(outer - (dx > 0 ? -1 : 1), r0, true);
  if ((!arrowAtCorner && !Corner(outer, r0, outward, Way::Down)) || !Corner(outer, r1, outward, Way::Up) ||
      !Corner(inner, r1, inward, Way::Up)) {
    return false;
  }
  for (std::int32_t r = r0 + 1; r < r1; ++r) {
    if (!free(outer, r) || !cells_.SideCell(outer, r, false)) return false;
  }
  for (std::int32_t k = c0 + 1; k < c1; ++k) {
    if (!free(k, r1) || !cells_.SideCell(k, r1, true)) return false;
  }
  // The front box hides the rest of the frame: inside it, text alone.
  bool text = false;
  for (std::int32_t r = b + 1; r < d; ++r) {
    for (std::int32_t k = a + 1; k < c; ++k) {
      const char32_t code = cells_.Shape(k, r);
      if (!free(k, r)) return false;
      if (code == U' ') continue;
      text = true;
      if (cells_.RunAt(k, r, true) || cells_.RunAt(k, r, false) || ArtCharacter::IsBoxDrawing(code)) return false;
    }
  }
  if (!text) return false;
  ArtPlan::Box box = MakeBox(c0, r0, c1, r1);
  // Its hidden corner and sides are as those that show.
  const std::size_t hiddenCorner = dx > 0 ? 0 : 1;
  const ArtPlan::Cell showing[3] = {{outer, r0}, {outer, r1}, {inner, r1}};
  bool rounded = true;
  for (const ArtPlan::Cell& at : showing) {
    const char32_t code = cells_.Shape(at.column, at.row);
    const bool top = at.row == r0;
    rounded = rounded && ArtCharacter::IsRoundedCorner(code) &&
              (ArtCharacter::ArmsOf(code).rounded || code == (top ? U'.' : U'\''));
  }
  box.rounded = rounded;
  if (rounded) {
    for (ArtPlan::Marker& corner : box.corners) corner = TableMarker(MarkerTable::Join);
  }
  box.corners[hiddenCorner] = TableMarker(MarkerTable::Join);
  const auto top = static_cast<std::size_t>(Side::Top);
  const auto bottom = static_cast<std::size_t>(Side::Bottom);
  const auto hiddenSide = static_cast<std::size_t>(dx > 0 ? Side::Left : Side::Right);
  const auto outerSide = static_cast<std::size_t>(dx > 0 ? Side::Right : Side::Left);
  box.strokes[top] = box.strokes[bottom];
  box.strokes[hiddenSide] = box.strokes[outerSide];
  box.shownInFront[top] = false;
  box.shownInFront[hiddenSide] = false;
  // Claim what shows; where its frame passes behind the front box's sides
  // it lies behind them, and inside the front box it claims nothing.
  const auto index = static_cast<std::int32_t>(plan_.boxes.size());
  auto claim = [&](std::int32_t k, std::int32_t r, Side side) {
    RecognizerGrid::Cell& cell = cells_.At(k, r);
    const bool across = side == Side::Top || side == Side::Bottom;
    const bool within = k >= a && k <= c && r >= b && r <= d;
    const bool onFront = within && (k == a || k == c || r == b || r == d);
    if (within && !onFront) return;
    ArtPlan::Element& runner = across ? cell.across : cell.down;
    if (!runner) runner = ArtPlan::Element::Box(index);
    if (onFront || cell.use != Use::Free) return;
    cell.use = Use::BoxSide;
    cell.box = index;
    cell.side = side;
  };
  ForEachSideCell(c0, r0, c1, r1, claim);
  for (const ArtPlan::Cell& at : showing) {
    if (arrowAtCorner && at.row == r0) continue;
    RecognizerGrid::Cell& cell = cells_.At(at.column, at.row);
    cell.use = Use::BoxCorner;
    cell.box = index;
    cell.side = at.column == c0 ? Side::Left : Side::Right;
  }
  plan_.boxes[front].hides = true;
  plan_.boxes.push_back(std::move(box));
  return true;
}

bool BoxFinder::TryBox(std::int32_t c0, std::int32_t r0, std::int32_t& budget) {
  std::vector<std::int32_t> rights = Rights(c0, r0);
  std::vector<std::int32_t> bottoms = Bottoms(c0, r0);
  if (Pair(c0, r0, 1, 0) || Pair(c0, r0, 0, 1)) {
    // The corner itself stands beside another: at most the nearest frame.
    if (!rights.empty()) rights.resize(1);
    if (!bottoms.empty()) bottoms.resize(1);
  }
  // The largest frame first: a line across it from side to side divides it,
  // it makes no boxes of its compartments.
  for (auto r1 = bottoms.rbegin(); r1 != bottoms.rend(); ++r1) {
    for (auto c1 = rights.rbegin(); c1 != rights.rend(); ++c1) {
      if (--budget < 0) return false;
      if (!Corner(*c1, *r1, Way::Left, Way::Up)) continue;
      if (!Closes(c0, r0, *c1, *r1)) continue;
      if (InsideAnother(c0, r0, *c1, *r1)) return false;
      if (CrossedEdge(c0, r0, *c1, *r1)) continue;
      // Two boxes one over the other close no third between them.
      if (cells_.At(c0, r0).use == Use::BoxCorner && *r1 < r0 + 2) continue;
      ArtPlan::Box box = MakeBox(c0, r0, *c1, *r1);
      Claim(box);
      plan_.boxes.push_back(std::move(box));
      return true;
    }
  }
  return false;
}

bool BoxFinder::TryQuoted(std::int32_t c0, std::int32_t r0) {
  auto is = [&](std::int32_t c, std::int32_t r, char32_t code) { return cells_.Shape(c, r) == code; };
  // Across, "=" or a label written into the side; down, "#".
  auto across = [&](std::int32_t c, std::int32_t r) { return is(c, r, U'=') || cells_.At(c, r).labelled; };
  if (!is(c0, r0, U'"') || !is(c0 + 1, r0, U'=') || !is(c0, r0 + 1, U'#')) return false;
  std::int32_t c1 = c0 + 1;
  while (across(c1, r0)) ++c1;
  std::int32_t r1 = r0 + 1;
  while (is(c0, r1, U'#')) ++r1;
  if (!is(c1, r0, U'"') || !is(c0, r1, U'"') || !is(c1, r1, U'"')) return false;
  for (std::int32_t c = c0 + 1; c < c1; ++c) {
    if (!across(c, r1)) return false;
  }
  for (std::int32_t r = r0 + 1; r < r1; ++r) {
    if (!is(c1, r, U'#')) return false;
  }
  if (InsideAnother(c0, r0, c1, r1)) return false;
  ArtPlan::Box box;
  box.topLeft = {c0, r0};
  box.bottomRight = {c1, r1};
  for (ArtPlan::Marker& corner : box.corners) corner = *ArtCharacter::MarkerOf(U'"');
  for (Stroke& stroke : box.strokes) stroke = Stroke::Double;
  // A double side down shows "|": the art's "#" stands in front of it.
  box.shownInFront[static_cast<std::size_t>(Side::Left)] = true;
  box.shownInFront[static_cast<std::size_t>(Side::Right)] = true;
  Claim(box);
  plan_.boxes.push_back(std::move(box));
  return true;
}

bool BoxFinder::Corner(std::int32_t c, std::int32_t r, Way along, Way down) const {
  if (!cells_.Inside(c, r)) return false;
  if (cells_.IsCorner(c, r)) {
    const ArtCharacter::Arms arms = ArtCharacter::ArmsOf(cells_.Shape(c, r));
    if (arms.Any()) return arms[along] != 0 && arms[down] != 0;
    // A character with no arms of its own is a corner where both of its
    // sides go on from it: a tee on one side is not.
    const std::int32_t ac = c + (along == Way::Left ? -1 : 1);
    const std::int32_t dr = r + (down == Way::Up ? -1 : 1);
    return cells_.SideCell(ac, r, true) && cells_.SideCell(c, dr, false);
  }
  return cells_.RunAt(c, r, true).has_value() && cells_.RunAt(c, r + (down == Way::Down ? 1 : -1), false).has_value();
}

bool BoxFinder::Pair(std::int32_t c, std::int32_t r, std::int32_t dc, std::int32_t dr) const {
  const char32_t code = cells_.Shape(c, r);
  if (dr == 0 && cells_.Shape(c + dc, r) == U'.' && (code == U'.' || code == U'+')) return false;
  return cells_.IsCorner(c, r) && cells_.IsCorner(c + dc, r + dr);
}

std::vector<std::int32_t> BoxFinder::Rights(std::int32_t c0, std::int32_t r0) const {
  std::vector<std::int32_t> rights;
  for (std::int32_t c = c0 + 1; cells_.SideCell(c, r0, true); ++c) {
    const bool right = c >= c0 + 2 && Corner(c, r0, Way::Left, Way::Down);
    if (right) rights.push_back(c);
    const ArtCharacter::Arms arms = ArtCharacter::ArmsOf(cells_.Shape(c, r0));
    // A box-drawing character that does not go on stops the side, but a line
    // crossing it ("│" in a dashed side's gap).
    if ((right && Pair(c, r0, 1, 0)) || (arms.Any() && arms[Way::Right] == 0 && !cells_.RunAt(c, r0, false))) break;
  }
  return rights;
}

std::vector<std::int32_t> BoxFinder::Bottoms(std::int32_t c0, std::int32_t r0) const {
  std::vector<std::int32_t> bottoms;
  for (std::int32_t r = r0 + 1; cells_.SideCell(c0, r, false); ++r) {
    const bool bottom = Corner(c0, r, Way::Right, Way::Up);
    if (bottom) bottoms.push_back(r);
    const ArtCharacter::Arms arms = ArtCharacter::ArmsOf(cells_.Shape(c0, r));
    if ((bottom && Pair(c0, r, 0, 1)) || (arms.Any() && arms[Way::Down] == 0 && !cells_.RunAt(c0, r, true))) break;
  }
  return bottoms;
}

bool BoxFinder::Closes(std::int32_t c0, std::int32_t r0, std::int32_t c1, std::int32_t r1) const {
  // A tee beside the far corner is a line leaving the side, not a second frame.
  for (std::int32_t r = r0 + 1; r < r1; ++r) {
    if (!cells_.SideCell(c1, r, false) || (r + 1 < r1 && Pair(c1, r, 0, 1))) return false;
  }
  for (std::int32_t c = c0 + 1; c < c1; ++c) {
    if (!cells_.SideCell(c, r1, true) || (c + 1 < c1 && Pair(c, r1, 1, 0))) return false;
  }
  // Two dotted runs one over the other (stacked dotted messages) are no
  // frame: a box with no row inside needs more than "." to show it.
  if (r1 == r0 + 1) {
    bool dots = true;
    auto dotted = [&](std::int32_t c, std::int32_t r) {
      return cells_.Shape(c, r) == U'.' || cells_.At(c, r).labelled;
    };
    for (std::int32_t c = c0; c <= c1 && dots; ++c) dots = dotted(c, r0) && dotted(c, r1);
    if (dots) return false;
  }
  return Shows(true, r0, c0, c1) && Shows(true, r1, c0, c1) && Shows(false, c0, r0, r1) && Shows(false, c1, r0, r1);
}

bool BoxFinder::Shows(bool across, std::int32_t fixed, std::int32_t from, std::int32_t to) const {
  if (to - from < 2) return true;
  for (std::int32_t k = from + 1; k < to; ++k) {
    const std::int32_t c = across ? k : fixed;
    const std::int32_t r = across ? fixed : k;
    const char32_t code = cells_.Shape(c, r);
    if (cells_.RunAt(c, r, across) || code == U'+' || ArtCharacter::ArmsOf(code).Any() ||
        (across && (cells_.At(c, r).labelled || code == U'.'))) {
      return true;
    }
  }
  return false;
}

bool BoxFinder::StartsBox(std::int32_t c, std::int32_t r) const { return found_.Starts({c, r}); }

bool BoxFinder::InsideAnother(std::int32_t c0, std::int32_t r0, std::int32_t c1, std::int32_t r1) const {
  // A frame inside another that shares one of its sides is one of its
  // compartments (a table's row, a header's field): its other sides are
  // lines dividing the box, going on beyond its corners inside the box. A
  // frame clear of the sides is a box inside, and so is one whose corners
  // inside the box end its sides (a port on the box's edge).
  // Only a box with a side on the frame's can share one.
  const std::vector<std::size_t> candidates = found_.Sharing(c0, r0, c1, r1);
  return std::any_of(candidates.begin(), candidates.end(), [&](std::size_t index) {
    const ArtPlan::Box& other = plan_.boxes[index];
    const bool within = c0 >= other.topLeft.column && r0 >= other.topLeft.row && c1 <= other.bottomRight.column &&
                        r1 <= other.bottomRight.row;
    const bool sharing = c0 == other.topLeft.column || r0 == other.topLeft.row || c1 == other.bottomRight.column ||
                         r1 == other.bottomRight.row;
    if (!within || !sharing) return false;
    auto onFrame = [&](std::int32_t c, std::int32_t r) {
      return c == other.topLeft.column || c == other.bottomRight.column || r == other.topLeft.row ||
             r == other.bottomRight.row;
    };
    // A corner inside the box whose runs go on out of the frame divides the box.
    auto divides = [&](std::int32_t c, std::int32_t r, std::int32_t outward, std::int32_t upward) {
      return !onFrame(c, r) && (cells_.RunAt(c + outward, r, true) || cells_.RunAt(c, r + upward, false));
    };
    // A standing frame has a corner inside the box, and room inside itself.
    const bool standing =
        (!onFrame(c0, r0) || !onFrame(c1, r0) || !onFrame(c1, r1) || !onFrame(c0, r1)) && r1 >= r0 + 2;
    return !standing || divides(c0, r0, -1, -1) || divides(c1, r0, 1, -1) || divides(c1, r1, 1, 1) ||
           divides(c0, r1, -1, 1);
  });
}

bool BoxFinder::CrossedEdge(std::int32_t c0, std::int32_t r0, std::int32_t c1, std::int32_t r1) const {
  auto crossing = [&](std::int32_t c, std::int32_t r, std::int32_t outward, std::int32_t upward) {
    return cells_.IsCorner(c, r) && cells_.RunAt(c + outward, r, true) && cells_.RunAt(c, r + upward, false);
  };
  const bool topLeft = crossing(c0, r0, -1, -1);
  const bool topRight = crossing(c1, r0, 1, -1);
  const bool bottomRight = crossing(c1, r1, 1, 1);
  const bool bottomLeft = crossing(c0, r1, -1, 1);
  return (topLeft && bottomLeft) || (topRight && bottomRight) || (topLeft && topRight) || (bottomLeft && bottomRight);
}

ArtPlan::Box BoxFinder::MakeBox(std::int32_t c0, std::int32_t r0, std::int32_t c1, std::int32_t r1) const {
  ArtPlan::Box box;
  box.topLeft = {c0, r0};
  box.bottomRight = {c1, r1};
  const ArtPlan::Cell corners[4] = {{c0, r0}, {c1, r0}, {c1, r1}, {c0, r1}};
  bool rounded = true;
  for (int k = 0; k < 4; ++k) {
    const char32_t code = cells_.Shape(corners[k].column, corners[k].row);
    const bool top = k < 2;
    // Rounded: "." above and "'" below, or the rounded box-drawing corners.
    rounded = rounded && ArtCharacter::IsRoundedCorner(code) &&
              (ArtCharacter::ArmsOf(code).rounded || code == (top ? U'.' : U'\''));
  }
  box.rounded = rounded;
  for (int k = 0; k < 4; ++k) {
    const ArtPlan::Cell at = corners[k];
    const char32_t code = cells_.Shape(at.column, at.row);
    if (rounded || ArtCharacter::ArmsOf(code).Any() || code == U'+') {
      box.corners[k] = TableMarker(MarkerTable::Join);
    } else if (cells_.RunAt(at.column, at.row, true)) {
      box.corners[k] =
          code == U'-' || code == U'─' ? TableMarker(MarkerTable::HorizontalLine) : *ArtCharacter::MarkerOf(code);
    } else {
      box.corners[k] = cells_.MarkerAt(at.column, at.row).value_or(TableMarker(MarkerTable::Join));
    }
  }
  for (const Side side : {Side::Top, Side::Left, Side::Bottom, Side::Right}) {
    const auto k = static_cast<std::size_t>(side);
    box.strokes[k] = SideStroke(box, side);
    // A solid side with a gap: a blank kept in front of it there.
    if (box.strokes[k] != Stroke::Dashed && HasGap(box, side)) {
      box.shownInFront[k] = true;
      continue;
    }
    if (box.strokes[k] != Stroke::Dashed || !OffPhase(box, side)) continue;
    // Dashes the box cannot draw where the art has them are kept in front:
    // across, the side's cells as text; down, a blank over each gap of a
    // solid side, which is one text box a side, not a character each.
    box.shownInFront[k] = true;
    if (side == Side::Left || side == Side::Right) box.strokes[k] = Stroke::Solid;
  }
  return box;
}

bool BoxFinder::HasGap(const ArtPlan::Box& box, Side side) const {
  bool gap = false;
  ForEachCellOfSide(box, side, [&](std::int32_t, const ArtPlan::Cell& at) {
    gap = gap || (cells_.Shape(at.column, at.row) == U' ' && !cells_.At(at.column, at.row).labelled);
  });
  return gap;
}

bool BoxFinder::OffPhase(const ArtPlan::Box& box, Side side) const {
  const bool across = side == Side::Top || side == Side::Bottom;
  bool off = false;
  ForEachCellOfSide(box, side, [&](std::int32_t along, const ArtPlan::Cell& at) {
    const bool dashHere = along % 2 == 0;
    const bool blank = cells_.Shape(at.column, at.row) == U' ' && !cells_.At(at.column, at.row).labelled;
    off = off || (blank && dashHere) || (cells_.RunAt(at.column, at.row, across) && !dashHere);
  });
  return off;
}

Stroke BoxFinder::SideStroke(const ArtPlan::Box& box, Side side) const {
  const auto [c0, r0] = box.topLeft;
  const auto [c1, r1] = box.bottomRight;
  const bool across = side == Side::Top || side == Side::Bottom;
  std::int32_t counts[StrokeCount] = {};
  const std::int32_t from = across ? c0 + 1 : r0 + 1;
  const std::int32_t to = across ? c1 : r1;
  // The side's column or row, named apart: clang before 16 lets no lambda
  // capture a structured binding.
  const std::int32_t fixed = across ? (side == Side::Top ? r0 : r1) : (side == Side::Left ? c0 : c1);
  auto cellAt = [&](std::int32_t k) { return across ? ArtPlan::Cell{k, fixed} : ArtPlan::Cell{fixed, k}; };
  for (std::int32_t k = from; k < to; ++k) {
    const auto [c, r] = cellAt(k);
    if (const std::optional<Stroke> stroke = cells_.RunAt(c, r, across)) ++counts[static_cast<std::size_t>(*stroke)];
    // A row of "." is a dotted side.
    if (across && cells_.Shape(c, r) == U'.') ++counts[static_cast<std::size_t>(Stroke::Dotted)];
  }
  const auto most = std::max_element(std::begin(counts), std::end(counts));
  // Blanks between its cells make a side dashed; one blank in a long run
  // is a gap the author left in a solid side ("------ +").
  std::int32_t blanks = 0;
  for (std::int32_t k = from; k < to; ++k) {
    const auto [c, r] = cellAt(k);
    if (cells_.Shape(c, r) == U' ' && !cells_.At(c, r).labelled) ++blanks;
  }
  if (blanks == 1 && to - from >= ShortestGappedSide) return static_cast<Stroke>(most - std::begin(counts));
  return blanks > 0 ? Stroke::Dashed : static_cast<Stroke>(most - std::begin(counts));
}

void BoxFinder::Claim(const ArtPlan::Box& box) {
  const auto index = static_cast<std::int32_t>(plan_.boxes.size());
  const auto [c0, r0] = box.topLeft;
  const auto [c1, r1] = box.bottomRight;
  auto claim = [&](std::int32_t c, std::int32_t r, Side side) {
    RecognizerGrid::Cell& cell = cells_.At(c, r);
    const bool across = side == Side::Top || side == Side::Bottom;
    ArtPlan::Element& runner = across ? cell.across : cell.down;
    if (!runner) runner = ArtPlan::Element::Box(index);
    // A side two boxes share belongs to the first.
    if (cell.use != Use::Free) return;
    // Where a solid side down jogs aside for a row, the "|" it jogs to is text.
    const bool solidDown = !across && box.strokes[static_cast<std::size_t>(side)] != Stroke::Dashed;
    const std::optional<std::int32_t> jog = solidDown && cell.code == U' ' ? cells_.JogAside(c, r) : std::nullopt;
    if (jog && cells_.IsFree(c + *jog, r)) cells_.At(c + *jog, r).text = true;
    // Text written into the top or bottom side is its label, and so is a
    // port's name across a side down.
    const bool port = !across && cells_.PortName(c, r);
    cell.use = (across && (cell.labelled || cell.text)) || port ? Use::Label : Use::BoxSide;
    // The whole name is one text in front of the side.
    for (const std::int32_t step : {-1, 1}) {
      if (!port) break;
      for (std::int32_t k = c + step; cells_.IsFree(k, r) && ArtCharacter::IsLetter(cells_.Shape(k, r)); k += step) {
        cells_.At(k, r).use = Use::Label;
      }
    }
    cell.box = index;
    cell.side = side;
  };
  ForEachSideCell(c0, r0, c1, r1, claim);
  const std::pair<ArtPlan::Cell, Side> corners[4] = {
      {{c0, r0}, Side::Left}, {{c1, r0}, Side::Right}, {{c1, r1}, Side::Right}, {{c0, r1}, Side::Left}};
  for (const auto& [at, side] : corners) {
    RecognizerGrid::Cell& cell = cells_.At(at.column, at.row);
    if (cell.use != Use::Free && cell.use != Use::BoxSide) continue;
    cell.use = Use::BoxCorner;
    cell.box = index;
    cell.side = side;
  }
}

}  // namespace virlo
