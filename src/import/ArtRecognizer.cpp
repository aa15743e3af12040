#include "import/ArtRecognizer.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>

#include "objects/MarkerTable.h"
#include "platform/Utf8.h"

namespace virlo {
namespace {

using Marker = ArtPlan::Marker;
using Way = ArtCharacter::Way;

// Beyond this many candidate corners one top-left corner gives up: only
// hostile art gets there, and it stays text.
constexpr std::int32_t MaxBoxTries = 1 << 12;
// A label inside a run is at most this long.
constexpr std::int32_t MaxLabel = 64;
// Shorter runs standing against a word are part of the text ("a-b", "--all", "p->next").
constexpr std::int32_t ShortestWordedRun = 3;

Marker Table(std::int32_t type) { return Marker{type, 0}; }

bool IsRunMarker(const Marker& marker) {
  return marker.type == MarkerTable::HorizontalLine || marker.type == MarkerTable::VerticalLine;
}

// Letters that are markers of the table, and "v", the arrowhead down.
bool IsMarkerLetter(char32_t code) {
  return code == U'O' || code == U'V' || code == U'A' || code == U'U' || code == U'v';
}

// Symbols a marker may be where the table has none of its own: bullets,
// circles, diamonds, squares and stars.
bool IsMarkerSymbol(char32_t code) {
  return std::u32string_view(U"●○◆◇■□★☆•◦◉◎×✕").find(code) != std::u32string_view::npos;
}

}  // namespace

ArtRecognizer::ArtRecognizer(const ArtGrid& grid, const std::vector<std::uint8_t>& forcedText)
    : grid_(grid), forcedText_(forcedText), columns_(grid.Columns()), rows_(grid.Rows()), unicode_(grid.HasGlyphs()) {
  cells_.resize(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_));
  for (std::int32_t r = 0; r < rows_; ++r) {
    for (std::int32_t c = 0; c < columns_; ++c) {
      const ArtGrid::Cell& source = grid.At(c, r);
      Cell& cell = At(c, r);
      cell.code = source.code;
      const std::size_t index =
          static_cast<std::size_t>(r) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(c);
      const bool forced = !forcedText_.empty() && forcedText_[index] != 0;
      // Two-cell characters are text whatever their bytes look like.
      const bool twoCells = source.held == ArtGrid::Held::Wide || source.code == 0 ||
                            (source.held == ArtGrid::Held::Character && grid.Code(c + 1, r) == 0 &&
                             grid.At(c + 1, r).held == ArtGrid::Held::Character && c + 1 < columns_);
      cell.text = forced || twoCells;
    }
  }
}

const ArtRecognizer::Cell& ArtRecognizer::At(std::int32_t c, std::int32_t r) const {
  static const Cell outside{};
  if (!Inside(c, r)) return outside;
  return cells_[static_cast<std::size_t>(r) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(c)];
}

char32_t ArtRecognizer::Shape(std::int32_t c, std::int32_t r) const {
  if (!Inside(c, r)) return U' ';
  const Cell& cell = At(c, r);
  return cell.text ? 0 : cell.code;
}

bool ArtRecognizer::IsFree(std::int32_t c, std::int32_t r) const {
  return Inside(c, r) && At(c, r).use == Use::Free && !At(c, r).text;
}

std::optional<Stroke> ArtRecognizer::RunAt(std::int32_t c, std::int32_t r, bool across) const {
  return ArtCharacter::Run(Shape(c, r), across);
}

std::optional<Marker> ArtRecognizer::MarkerAt(std::int32_t c, std::int32_t r) const {
  const char32_t code = Shape(c, r);
  if (code == 0 || code == U' ') return std::nullopt;
  // "<>" is one marker in two cells: at its "<" the aggregation, at its ">" none.
  if (code == U'<' && Shape(c + 1, r) == U'>') return Table(MarkerTable::Aggregation);
  if (code == U'>' && Shape(c - 1, r) == U'<') return std::nullopt;
  if (ArtCharacter::IsLetter(code)) {
    // A capital letter with letters or brackets beside it is a word's.
    if (!IsMarkerLetter(code)) return std::nullopt;
    if (ArtCharacter::IsWordCharacter(Shape(c - 1, r)) || ArtCharacter::IsWordCharacter(Shape(c + 1, r))) {
      return std::nullopt;
    }
    return ArtCharacter::MarkerOf(code);
  }
  const bool known = ArtCharacter::IsTableMarker(code) || ArtCharacter::IsCorner(code) ||
                     ArtCharacter::HeadOf(code).has_value() || ArtCharacter::IsBoxDrawing(code) || IsMarkerSymbol(code);
  if (!known) return std::nullopt;
  return ArtCharacter::MarkerOf(code);
}

std::int32_t ArtRecognizer::MarkerCells(std::int32_t c, std::int32_t r) const {
  const std::optional<Marker> marker = MarkerAt(c, r);
  return marker ? marker->Width() : 1;
}

bool ArtRecognizer::IsCorner(std::int32_t c, std::int32_t r) const {
  const char32_t code = Shape(c, r);
  if (ArtCharacter::IsCorner(code)) return true;
  if (ArtCharacter::Run(code, true) || ArtCharacter::Run(code, false)) return false;
  // An arrowhead ends a run; it is no corner where two meet (nor a box's).
  if (ArtCharacter::HeadOf(code)) return false;
  const std::optional<Marker> marker = MarkerAt(c, r);
  return marker && marker->Width() == 1 && marker->type != MarkerTable::Character;
}

bool ArtRecognizer::SideCell(std::int32_t c, std::int32_t r, bool across) const {
  if (!Inside(c, r)) return false;
  if (across && At(c, r).labelled) return true;
  const char32_t code = Shape(c, r);
  if (code == U' ') {
    // A dashed side: a blank between a run's cell and a cell of the side.
    const std::int32_t dc = across ? 1 : 0;
    const std::int32_t dr = across ? 0 : 1;
    const bool before = RunAt(c - dc, r - dr, across) || IsCorner(c - dc, r - dr);
    const bool after = RunAt(c + dc, r + dr, across) || IsCorner(c + dc, r + dr);
    return before && after && (RunAt(c - dc, r - dr, across) || RunAt(c + dc, r + dr, across));
  }
  if (code == 0) return false;
  // The side's own run, a line crossing it or ending on it, a corner or tee,
  // a marker on it.
  return RunAt(c, r, across) || RunAt(c, r, !across) || IsCorner(c, r) || MarkerAt(c, r).has_value();
}

ArtPlan ArtRecognizer::Recognize() {
  FindLabels();
  FindBoxes();
  FindLines(true);
  FindLines(false);
  FindSteps();
  LinkEnds();
  FindDots();
  if (unicode_) CoverAscii();
  Stack();
  MakeFramedText();
  FindText();
  KeepCharacters();
  FindLeftovers();
  return std::move(plan_);
}

void ArtRecognizer::FindLabels() {
  // Text between two run cells of a row, with or without blanks round it
  // ("--(1)-->", "──Else──┐", "+- backend ---+"); a run and a side take it
  // as their label. Not text an arrow points at from above or below, nor
  // one a run leaves up or down: that is a node the runs meet.
  for (std::int32_t r = 0; r < rows_; ++r) {
    std::int32_t c = 0;
    while (c < columns_) {
      if (!RunAt(c, r, true)) {
        ++c;
        continue;
      }
      std::int32_t first = c + 1;
      while (RunAt(first, r, true)) ++first;
      std::int32_t last = first;
      bool words = false;
      bool fits = true;
      // The label ends where a run of the same stroke goes on ("seq=x" is a word).
      const std::optional<Stroke> stroke = RunAt(first - 1, r, true);
      auto resumes = [&](std::int32_t k) {
        const bool inWord =
            ArtCharacter::IsWordCharacter(Shape(k - 1, r)) && ArtCharacter::IsWordCharacter(Shape(k + 1, r));
        return RunAt(k, r, true) == stroke && !inWord;
      };
      while (Inside(last, r) && !resumes(last) && fits) {
        const char32_t code = Shape(last, r);
        const bool blank = code == U' ';
        // Between two letters or digits a character is the word's ("x+1").
        const bool inWord =
            ArtCharacter::IsWordCharacter(Shape(last - 1, r)) && ArtCharacter::IsWordCharacter(Shape(last + 1, r));
        // A corner character turns only where a run leaves it up or down
        // ("rcv SYN / SYN" is words).
        // A letter beside another is a word's, "v" of "rcv" too.
        const bool word = ArtCharacter::IsLetter(code) && (ArtCharacter::IsWordCharacter(Shape(last - 1, r)) ||
                                                           ArtCharacter::IsWordCharacter(Shape(last + 1, r)));
        const bool turns = code == U'+' || RunAt(last, r - 1, false) || RunAt(last, r + 1, false);
        const bool structure = code != 0 && !blank && !inWord &&
                               (RunAt(last, r, false) || (ArtCharacter::IsCorner(code) && turns) ||
                                (ArtCharacter::HeadOf(code) && !word) || ArtCharacter::IsBoxDrawing(code));
        fits = !structure && !(blank && Shape(last + 1, r) == U' ') && last - first < MaxLabel;
        words = words || !blank;
        ++last;
      }
      --last;
      // One marker character alone between runs is a dot on the line ("--O--").
      const bool lone = last == first && MarkerAt(first, r).has_value();
      if (fits && words && !lone && resumes(last + 1)) {
        bool node = false;
        for (std::int32_t k = first; k <= last && !node; ++k) {
          for (const std::int32_t dr : {-1, 1}) {
            const char32_t near = Shape(k, r + dr);
            node = node || RunAt(k, r + dr, false) || (near != 0 && ArtCharacter::HeadOf(near).has_value());
          }
        }
        if (!node) {
          for (std::int32_t k = first; k <= last; ++k) At(k, r).labelled = true;
        }
      }
      c = std::max(first, last + 1);
    }
  }
}

void ArtRecognizer::FindBoxes() {
  std::int32_t budget = 0;
  for (std::int32_t r = 0; r < rows_; ++r) {
    for (std::int32_t c = 0; c < columns_; ++c) {
      if (At(c, r).use == Use::BoxCorner) continue;
      const bool dashCorner = RunAt(c, r, true) && RunAt(c, r + 1, false) && !RunAt(c - 1, r, true);
      if (!IsCorner(c, r) && !dashCorner) continue;
      budget = MaxBoxTries;
      TryBox(c, r, budget);
    }
  }
}

bool ArtRecognizer::TryBox(std::int32_t c0, std::int32_t r0, std::int32_t& budget) {
  // A corner of the frame: a corner character whose arms (where it has
  // any) reach along both of its sides, or a side's run going on to the
  // corner ("-" corners).
  auto corner = [&](std::int32_t c, std::int32_t r, Way along, Way down) {
    if (!Inside(c, r)) return false;
    const char32_t code = Shape(c, r);
    if (IsCorner(c, r)) {
      const ArtCharacter::Arms arms = ArtCharacter::ArmsOf(code);
      if (arms.Any()) return arms[along] != 0 && arms[down] != 0;
      // A character with no arms of its own is a corner where both of its
      // sides go on from it: a tee on one side is not.
      const std::int32_t ac = c + (along == Way::Left ? -1 : 1);
      const std::int32_t dr = r + (down == Way::Up ? -1 : 1);
      return SideCell(ac, r, true) && SideCell(c, dr, false);
    }
    return RunAt(c, r, true).has_value() && RunAt(c, r + (down == Way::Down ? 1 : -1), false).has_value();
  };
  // Two corners side by side close two frames: a side goes no further. A
  // dotted side across is a row of "." and goes on.
  auto pair = [&](std::int32_t c, std::int32_t r, std::int32_t dc, std::int32_t dr) {
    if (dr == 0 && Shape(c + dc, r) == U'.' && (Shape(c, r) == U'.' || Shape(c, r) == U'+')) return false;
    return IsCorner(c, r) && IsCorner(c + dc, r + dr);
  };
  std::vector<std::int32_t> rights;
  for (std::int32_t c = c0 + 1; SideCell(c, r0, true); ++c) {
    const bool right = c >= c0 + 2 && corner(c, r0, Way::Left, Way::Down);
    if (right) rights.push_back(c);
    const ArtCharacter::Arms arms = ArtCharacter::ArmsOf(Shape(c, r0));
    if ((right && pair(c, r0, 1, 0)) || (arms.Any() && arms[Way::Right] == 0)) break;
  }
  std::vector<std::int32_t> bottoms;
  for (std::int32_t r = r0 + 1; SideCell(c0, r, false); ++r) {
    const bool bottom = corner(c0, r, Way::Right, Way::Up);
    if (bottom) bottoms.push_back(r);
    const ArtCharacter::Arms arms = ArtCharacter::ArmsOf(Shape(c0, r));
    if ((bottom && pair(c0, r, 0, 1)) || (arms.Any() && arms[Way::Down] == 0)) break;
  }
  if (pair(c0, r0, 1, 0) || pair(c0, r0, 0, 1)) {
    // The corner itself stands beside another: at most the nearest frame.
    if (!rights.empty()) rights.resize(1);
    if (!bottoms.empty()) bottoms.resize(1);
  }
  // The largest frame first: a line across it from side to side divides it,
  // it makes no boxes of its compartments.
  for (auto r1 = bottoms.rbegin(); r1 != bottoms.rend(); ++r1) {
    for (auto c1 = rights.rbegin(); c1 != rights.rend(); ++c1) {
      if (--budget < 0) return false;
      if (!corner(*c1, *r1, Way::Left, Way::Up)) continue;
      bool sides = true;
      // A tee beside the far corner is a line leaving the side, not a second frame.
      for (std::int32_t r = r0 + 1; r < *r1 && sides; ++r) {
        sides = SideCell(*c1, r, false) && !(r + 1 < *r1 && pair(*c1, r, 0, 1));
      }
      for (std::int32_t c = c0 + 1; c < *c1 && sides; ++c) {
        sides = SideCell(c, *r1, true) && !(c + 1 < *c1 && pair(c, *r1, 1, 0));
      }
      // Each side shows a run or a junction somewhere: a column of "/" or
      // "*" (a comment's margin) frames nothing.
      auto shows = [&](bool across, std::int32_t fixed, std::int32_t from, std::int32_t to) {
        if (to - from < 2) return true;
        for (std::int32_t k = from + 1; k < to; ++k) {
          const std::int32_t c = across ? k : fixed;
          const std::int32_t r = across ? fixed : k;
          const char32_t code = Shape(c, r);
          if (RunAt(c, r, across) || code == U'+' || ArtCharacter::ArmsOf(code).Any() ||
              (across && (At(c, r).labelled || code == U'.'))) {
            return true;
          }
        }
        return false;
      };
      sides = sides && shows(true, r0, c0, *c1) && shows(true, *r1, c0, *c1) && shows(false, c0, r0, *r1) &&
              shows(false, *c1, r0, *r1);
      if (!sides) continue;
      // A frame inside another that shares one of its sides is one of its
      // compartments (a table's row, a header's field): its other sides are
      // lines dividing the box. A frame clear of the sides is a box inside.
      const bool inside = std::any_of(plan_.boxes.begin(), plan_.boxes.end(), [&](const ArtPlan::Box& other) {
        const bool within = c0 >= other.topLeft.column && r0 >= other.topLeft.row && *c1 <= other.bottomRight.column &&
                            *r1 <= other.bottomRight.row;
        const bool sharing = c0 == other.topLeft.column || r0 == other.topLeft.row || *c1 == other.bottomRight.column ||
                             *r1 == other.bottomRight.row;
        return within && sharing;
      });
      if (inside) return false;
      ArtPlan::Box box;
      box.topLeft = {c0, r0};
      box.bottomRight = {*c1, *r1};
      const ArtPlan::Cell corners[4] = {{c0, r0}, {*c1, r0}, {*c1, *r1}, {c0, *r1}};
      bool rounded = true;
      for (int k = 0; k < 4; ++k) {
        const char32_t code = Shape(corners[k].column, corners[k].row);
        const bool top = k < 2;
        // Rounded: "." above and "'" below, or the rounded box-drawing corners.
        rounded = rounded && ArtCharacter::IsRoundedCorner(code) &&
                  (ArtCharacter::ArmsOf(code).rounded || code == (top ? U'.' : U'\''));
      }
      box.rounded = rounded;
      for (int k = 0; k < 4; ++k) {
        const ArtPlan::Cell at = corners[k];
        const char32_t code = Shape(at.column, at.row);
        if (rounded || ArtCharacter::ArmsOf(code).Any() || code == U'+') {
          box.corners[k] = Table(MarkerTable::Join);
        } else if (RunAt(at.column, at.row, true)) {
          box.corners[k] =
              code == U'-' || code == U'─' ? Table(MarkerTable::HorizontalLine) : *ArtCharacter::MarkerOf(code);
        } else {
          box.corners[k] = MarkerAt(at.column, at.row).value_or(Table(MarkerTable::Join));
        }
      }
      // Each side's stroke is the one most of its run shows.
      for (const Side side : {Side::Top, Side::Left, Side::Bottom, Side::Right}) {
        const bool across = side == Side::Top || side == Side::Bottom;
        std::int32_t counts[StrokeCount] = {};
        const std::int32_t from = across ? c0 + 1 : r0 + 1;
        const std::int32_t to = across ? *c1 : *r1;
        for (std::int32_t k = from; k < to; ++k) {
          const std::int32_t c = across ? k : (side == Side::Left ? c0 : *c1);
          const std::int32_t r = across ? (side == Side::Top ? r0 : *r1) : k;
          if (const std::optional<Stroke> stroke = RunAt(c, r, across)) ++counts[static_cast<std::size_t>(*stroke)];
          // A row of "." is a dotted side.
          if (across && Shape(c, r) == U'.') ++counts[static_cast<std::size_t>(Stroke::Dotted)];
        }
        const auto most = std::max_element(std::begin(counts), std::end(counts));
        box.strokes[static_cast<std::size_t>(side)] = static_cast<Stroke>(most - std::begin(counts));
        // Blanks between its cells make a side dashed.
        for (std::int32_t k = from; k < to; ++k) {
          const std::int32_t c = across ? k : (side == Side::Left ? c0 : *c1);
          const std::int32_t r = across ? (side == Side::Top ? r0 : *r1) : k;
          if (Shape(c, r) == U' ' && !At(c, r).labelled) box.strokes[static_cast<std::size_t>(side)] = Stroke::Dashed;
        }
      }
      ClaimBox(box);
      plan_.boxes.push_back(std::move(box));
      return true;
    }
  }
  return false;
}

void ArtRecognizer::ClaimBox(const ArtPlan::Box& box) {
  const auto index = static_cast<std::int32_t>(plan_.boxes.size());
  const auto [c0, r0] = box.topLeft;
  const auto [c1, r1] = box.bottomRight;
  auto claim = [&](std::int32_t c, std::int32_t r, Side side) {
    Cell& cell = At(c, r);
    const bool across = side == Side::Top || side == Side::Bottom;
    Element& runner = across ? cell.across : cell.down;
    if (!runner) runner = Element::Box(index);
    // A side two boxes share belongs to the first.
    if (cell.use != Use::Free) return;
    // Text written into the top or bottom side is its label.
    cell.use = across && (cell.labelled || cell.text) ? Use::Label : Use::BoxSide;
    cell.box = index;
    cell.side = side;
  };
  for (std::int32_t c = c0 + 1; c < c1; ++c) {
    claim(c, r0, Side::Top);
    claim(c, r1, Side::Bottom);
  }
  for (std::int32_t r = r0 + 1; r < r1; ++r) {
    claim(c0, r, Side::Left);
    claim(c1, r, Side::Right);
  }
  const std::pair<ArtPlan::Cell, Side> corners[4] = {
      {{c0, r0}, Side::Left}, {{c1, r0}, Side::Right}, {{c1, r1}, Side::Right}, {{c0, r1}, Side::Left}};
  for (const auto& [at, side] : corners) {
    Cell& cell = At(at.column, at.row);
    if (cell.use != Use::Free && cell.use != Use::BoxSide) continue;
    cell.use = Use::BoxCorner;
    cell.box = index;
    cell.side = side;
  }
}

std::int32_t ArtRecognizer::Passable(const Track& track, std::int32_t along) const {
  const std::int32_t c = track.across ? along : track.fixed;
  const std::int32_t r = track.across ? track.fixed : along;
  if (!Inside(c, r)) return 0;
  const Cell& cell = At(c, r);
  const char32_t code = Shape(c, r);
  switch (cell.use) {
    case Use::BoxSide: {
      // A box's side the track crosses, showing the side or the track.
      const bool sideAcross = cell.side == Side::Top || cell.side == Side::Bottom;
      return sideAcross != track.across && (RunAt(c, r, !track.across) || RunAt(c, r, track.across)) ? 1 : 0;
    }
    case Use::End:
      // The end of a line across this one: it comes to rest on this one.
      return 1;
    case Use::Line:
      // A line across this one that shows here: they cross.
      return RunAt(c, r, !track.across) ? 1 : 0;
    case Use::Free:
      break;
    default:
      return 0;
  }
  if (track.across && cell.labelled) {
    std::int32_t last = c;
    while (Inside(last + 1, r) && At(last + 1, r).labelled && At(last + 1, r).use == Use::Free) ++last;
    return last - c + 1;
  }
  // Down a run, a word written across it ("(B)" with the run above and below it).
  if (cell.text) return track.across ? 0 : 1;
  if (code == U' ') return 0;
  if (!track.across && ArtCharacter::IsWordCharacter(code)) return 1;
  // A run across this one, a junction, a marker on the run.
  if (RunAt(c, r, !track.across) || IsCorner(c, r)) return 1;
  if (MarkerAt(c, r)) return track.across ? MarkerCells(c, r) : 1;
  return 0;
}

ArtPlan::End ArtRecognizer::EndOf(const Track& track, bool atStart) const {
  const std::int32_t step = atStart ? -1 : 1;
  const std::int32_t runEnd = atStart ? track.first : track.last;
  auto cellAt = [&](std::int32_t along) {
    return track.across ? ArtPlan::Cell{along, track.fixed} : ArtPlan::Cell{track.fixed, along};
  };
  const Way outward = track.across ? (atStart ? Way::Left : Way::Right) : (atStart ? Way::Up : Way::Down);
  ArtPlan::End end;
  end.cell = cellAt(runEnd);
  // A plain end shows its run's character.
  const char32_t own = Shape(end.cell.column, end.cell.row);
  if (own == U'-' || own == U'|' || ArtCharacter::IsBoxDrawing(own)) {
    end.marker = Table(track.across ? MarkerTable::HorizontalLine : MarkerTable::VerticalLine);
  } else {
    end.marker = ArtCharacter::MarkerOf(own).value_or(Table(MarkerTable::HorizontalLine));
  }
  ArtPlan::Cell next = cellAt(runEnd + step);
  if (!Inside(next.column, next.row)) return end;
  // A dashed run leaves a gap before what it ends at, as it does between its
  // dashes.
  if (track.stroke == Stroke::Dashed && Shape(next.column, next.row) == U' ' && IsFree(next.column, next.row)) {
    const ArtPlan::Cell beyond = cellAt(runEnd + 2 * step);
    const char32_t code = Inside(beyond.column, beyond.row) ? Shape(beyond.column, beyond.row) : U' ';
    if (code != U' ' && code != 0 && !RunAt(beyond.column, beyond.row, track.across) &&
        MarkerAt(beyond.column, beyond.row)) {
      next = beyond;
    }
  }
  const Cell& cell = At(next.column, next.row);
  const char32_t code = Shape(next.column, next.row);
  if (code == 0 || code == U' ') return end;
  // A two-cell marker left of a run ("<>"): the end is its first cell.
  if (const std::optional<Marker> wide = MarkerAt(next.column - 1, next.row);
      track.across && atStart && wide && wide->Width() == 2 && cell.use == Use::Free) {
    end.cell = {next.column - 1, next.row};
    end.marker = *wide;
    return end;
  }
  // What the next cell shows as this end's marker: a join at a corner or
  // tee, an arrowhead ("v" only at a run's lower end), another marker, or a
  // run's character where another line or a side runs.
  std::optional<Marker> marker;
  if (code == U'+' ||
      (ArtCharacter::IsBoxDrawing(code) && ArtCharacter::IsCorner(code) && !ArtCharacter::ArmsOf(code).rounded)) {
    marker = Table(MarkerTable::Join);
  } else if (code != U'v' || outward == Way::Down) {
    marker = MarkerAt(next.column, next.row);
  }
  const bool run = ArtCharacter::Run(code, true) || ArtCharacter::Run(code, false);
  if (run && cell.use == Use::Free) marker.reset();
  // A marker wider than a cell ends runs across only.
  if (marker && marker->Width() > 1 && !track.across) marker.reset();
  switch (cell.use) {
    case Use::BoxSide:
    case Use::BoxCorner: {
      const bool sideAcross = cell.use == Use::BoxSide && (cell.side == Side::Top || cell.side == Side::Bottom);
      if (cell.use == Use::BoxSide && sideAcross == track.across) return end;
      // A tee or a marker on the side, or the run's own character over it:
      // the end rests on the side there.
      if (marker && !(run && RunAt(next.column, next.row, !track.across))) {
        end.cell = next;
        end.marker = *marker;
      } else if (RunAt(next.column, next.row, track.across) == track.stroke) {
        end.cell = next;
      }
      return end;
    }
    case Use::Free:
    case Use::End:
    case Use::Line:
      if (cell.text || !marker) return end;
      end.cell = next;
      end.marker = *marker;
      return end;
    default:
      return end;
  }
}

void ArtRecognizer::AddLine(const Track& track, ArtPlan::End start, ArtPlan::End end) {
  const auto index = static_cast<std::int32_t>(plan_.lines.size());
  const std::int32_t from = track.across ? start.cell.column : start.cell.row;
  const std::int32_t to = track.across ? end.cell.column : end.cell.row;
  for (std::int32_t k = from; k <= to; ++k) {
    const std::int32_t c = track.across ? k : track.fixed;
    const std::int32_t r = track.across ? track.fixed : k;
    Cell& cell = At(c, r);
    const bool atEnd = k == from || k == to;
    Element& runner = track.across ? cell.across : cell.down;
    if (!atEnd && !runner) runner = Element::Line(index);
    if (cell.use != Use::Free) continue;
    if (atEnd) {
      cell.use = Use::End;
    } else if (cell.text || (track.across && cell.labelled)) {
      cell.use = Use::Label;
    } else if (!track.across && ArtCharacter::IsWordCharacter(cell.code) &&
               !(ArtCharacter::HeadOf(cell.code) && MarkerAt(c, r))) {
      // A word written across the run: all of it is the line's label. A lone
      // "V" on the run is no word: it is the run's arrowhead, a dot on it.
      std::int32_t left = c;
      std::int32_t right = c;
      while (IsFree(left - 1, r) && Shape(left - 1, r) != U' ') --left;
      while (IsFree(right + 1, r) && Shape(right + 1, r) != U' ') ++right;
      for (std::int32_t w = left; w <= right; ++w) At(w, r).use = Use::Label;
    } else if (!RunAt(c, r, !track.across)) {
      // A crossing stays free for the run across this one.
      cell.use = Use::Line;
    }
  }
  // The further cells of a two-cell marker ("<>").
  for (const ArtPlan::End* e : {&start, &end}) {
    for (std::int32_t k = 1; k < e->marker.Width(); ++k) {
      if (IsFree(e->cell.column + k, e->cell.row)) At(e->cell.column + k, e->cell.row).use = Use::End;
    }
  }
  ArtPlan::Line line;
  line.horizontal = track.across;
  line.stroke = track.stroke;
  line.start = start;
  line.end = end;
  plan_.lines.push_back(std::move(line));
}

void ArtRecognizer::FindLines(bool across) {
  const std::int32_t outer = across ? rows_ : columns_;
  const std::int32_t inner = across ? columns_ : rows_;
  auto cell = [&](std::int32_t o, std::int32_t i) { return across ? ArtPlan::Cell{i, o} : ArtPlan::Cell{o, i}; };
  for (std::int32_t o = 0; o < outer; ++o) {
    std::int32_t i = 0;
    while (i < inner) {
      const ArtPlan::Cell at = cell(o, i);
      const std::optional<Stroke> stroke = IsFree(at.column, at.row) ? RunAt(at.column, at.row, across) : std::nullopt;
      if (!stroke) {
        ++i;
        continue;
      }
      Track track{across, o, i, i, *stroke, 1};
      // Runs of the same stroke, and what lies between them, one line.
      std::int32_t k = i + 1;
      std::int32_t firstPiece = 0;
      std::int32_t piece = 1;
      // A dashed run ("- - -"): its character in every other cell.
      auto dash = [&](std::int32_t along) {
        const ArtPlan::Cell gap = cell(o, along);
        const ArtPlan::Cell next = cell(o, along + 1);
        return along + 1 < inner && IsFree(gap.column, gap.row) && Shape(gap.column, gap.row) == U' ' &&
               !At(gap.column, gap.row).labelled && IsFree(next.column, next.row) &&
               RunAt(next.column, next.row, across) == *stroke;
      };
      if (*stroke == Stroke::Solid && dash(k) && dash(k + 2)) {
        track.stroke = Stroke::Dashed;
        while (dash(k)) {
          track.last = k + 1;
          ++track.runCells;
          ++piece;
          k += 2;
        }
        k = inner;
      }
      while (k < inner) {
        const ArtPlan::Cell next = cell(o, k);
        if (IsFree(next.column, next.row) && RunAt(next.column, next.row, across) == *stroke) {
          track.last = k;
          ++track.runCells;
          ++piece;
          ++k;
          continue;
        }
        const std::int32_t skip = Passable(track, k);
        const ArtPlan::Cell after = cell(o, k + skip);
        // A label just before a box side the run crosses ("(B)" over "+--|--+"):
        // the run goes through the label and ends on the side.
        if (skip > 0 && k + skip < inner && At(after.column, after.row).use == Use::BoxSide &&
            RunAt(after.column, after.row, across) == *stroke && Passable(track, k + skip) > 0) {
          track.last = k + skip - 1;
          break;
        }
        if (skip > 0 && IsFree(after.column, after.row) && RunAt(after.column, after.row, across) == *stroke) {
          if (firstPiece == 0) firstPiece = piece;
          piece = 1;
          track.last = k + skip;
          ++track.runCells;
          k += skip + 1;
          continue;
        }
        break;
      }
      if (firstPiece == 0) firstPiece = piece;
      const ArtPlan::End start = EndOf(track, true);
      const ArtPlan::End end = EndOf(track, false);
      const std::int32_t from = across ? start.cell.column : start.cell.row;
      const std::int32_t to = across ? end.cell.column : end.cell.row;
      const std::int32_t length = to - from + 1;
      const bool structural = from != track.first || to != track.last;
      // A short run against a word is the word's: "a-b", "--all", "p->next".
      auto worded = [&](const ArtPlan::End& e, std::int32_t outward) {
        const ArtPlan::Cell beyond = across ? ArtPlan::Cell{e.cell.column + outward, e.cell.row}
                                            : ArtPlan::Cell{e.cell.column, e.cell.row + outward};
        return ArtCharacter::IsWordCharacter(Shape(beyond.column, beyond.row));
      };
      // An end on a box or a line is no word's, whatever lies beyond it.
      auto onBox = [&](const ArtPlan::End& e) {
        const Use use = At(e.cell.column, e.cell.row).use;
        return use == Use::BoxSide || use == Use::BoxCorner || use == Use::Line;
      };
      // Down, a word above or below is a node the run connects.
      const bool tooShort = across && ((!onBox(start) && worded(start, -1) && firstPiece < ShortestWordedRun) ||
                                       (!onBox(end) && worded(end, end.marker.Width()) && piece < ShortestWordedRun));
      // A box side across the run just beyond an end: the run stops at the box.
      auto beside = [&](const ArtPlan::End& e, std::int32_t outward) {
        const ArtPlan::Cell beyond = across ? ArtPlan::Cell{e.cell.column + outward, e.cell.row}
                                            : ArtPlan::Cell{e.cell.column, e.cell.row + outward};
        if (!Inside(beyond.column, beyond.row)) return false;
        const Cell& there = At(beyond.column, beyond.row);
        const bool sideAcross = there.side == Side::Top || there.side == Side::Bottom;
        return there.use == Use::BoxCorner || (there.use == Use::BoxSide && sideAcross != across);
      };
      const bool touches = beside(start, -1) || beside(end, 1);
      // A run that touches nothing is a line from three cells on, either
      // way; one that reaches or stops at something, from two.
      const std::int32_t shortest = 3;
      if ((length >= shortest || ((structural || touches) && length >= 2)) && !tooShort) AddLine(track, start, end);
      i = track.last + 1;
    }
  }
}

void ArtRecognizer::FindSteps() {
  // The ends of the lines across, by their cells.
  std::unordered_map<std::size_t, Marker> endMarkers;
  auto key = [&](std::int32_t c, std::int32_t r) {
    return static_cast<std::size_t>(r) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(c);
  };
  for (const ArtPlan::Line& line : plan_.lines) {
    if (!line.horizontal) continue;
    endMarkers[key(line.start.cell.column, line.start.cell.row)] = line.start.marker;
    endMarkers[key(line.end.cell.column, line.end.cell.row)] = line.end.marker;
  }
  // A corner right over a corner, each the end of a run across ("──╮" over
  // "╰──", "--." over "`--"): the run steps down a row, a line down of two
  // cells joins them.
  auto turnsDown = [](char32_t code) {
    const ArtCharacter::Arms arms = ArtCharacter::ArmsOf(code);
    return arms.Any() ? arms[ArtCharacter::Way::Down] > 0 : code == U'.' || code == U',';
  };
  auto turnsUp = [](char32_t code) {
    const ArtCharacter::Arms arms = ArtCharacter::ArmsOf(code);
    return arms.Any() ? arms[ArtCharacter::Way::Up] > 0 : code == U'\'' || code == U'`';
  };
  for (std::int32_t r = 0; r + 1 < rows_; ++r) {
    for (std::int32_t c = 0; c < columns_; ++c) {
      const auto upper = endMarkers.find(key(c, r));
      const auto lower = endMarkers.find(key(c, r + 1));
      if (upper == endMarkers.end() || lower == endMarkers.end()) continue;
      if (At(c, r).use != Use::End || At(c, r + 1).use != Use::End || At(c, r).down || At(c, r + 1).down) continue;
      if (!turnsDown(Shape(c, r)) || !turnsUp(Shape(c, r + 1))) continue;
      ArtPlan::Line line;
      line.horizontal = false;
      // Box drawing weighs its arm down: the stroke the step shows.
      const std::uint8_t weight = ArtCharacter::ArmsOf(Shape(c, r))[ArtCharacter::Way::Down];
      line.stroke = weight == 2 ? Stroke::Heavy : weight == 3 ? Stroke::Double : Stroke::Solid;
      line.start = {{c, r}, upper->second, {}};
      line.end = {{c, r + 1}, lower->second, {}};
      plan_.lines.push_back(line);
    }
  }
}

void ArtRecognizer::LinkEnds() {
  std::unordered_map<std::size_t, std::vector<std::pair<std::int32_t, bool>>> endsAt;
  auto key = [&](const ArtPlan::Cell& at) {
    return static_cast<std::size_t>(at.row) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(at.column);
  };
  const auto count = static_cast<std::int32_t>(plan_.lines.size());
  for (std::int32_t i = 0; i < count; ++i) {
    const ArtPlan::Line& line = plan_.lines[static_cast<std::size_t>(i)];
    endsAt[key(line.start.cell)].emplace_back(i, false);
    endsAt[key(line.end.cell)].emplace_back(i, true);
  }
  auto endOf = [this](std::int32_t line, bool atEnd) -> ArtPlan::End& {
    ArtPlan::Line& l = plan_.lines[static_cast<std::size_t>(line)];
    return atEnd ? l.end : l.start;
  };
  // The side or line running across the given way through a cell: what an
  // end there rests on, or docks on from the cell before.
  auto hostAt = [&](const ArtPlan::Cell& at, bool horizontal) -> std::optional<ArtPlan::Host> {
    if (!Inside(at.column, at.row)) return std::nullopt;
    const Cell& cell = At(at.column, at.row);
    if (cell.use == Use::BoxCorner) {
      // A corner: the side across the end's line.
      const ArtPlan::Box& box = plan_.boxes[static_cast<std::size_t>(cell.box)];
      if (horizontal)
        return ArtPlan::Host{Element::Box(cell.box), at.column == box.topLeft.column ? Side::Left : Side::Right};
      return ArtPlan::Host{Element::Box(cell.box), at.row == box.topLeft.row ? Side::Top : Side::Bottom};
    }
    const Element runner = horizontal ? cell.down : cell.across;
    if (!runner) return std::nullopt;
    if (runner.kind == Element::Kind::Line) return ArtPlan::Host{runner, Side::Top};
    // The box side the cell lies on, across the end's line.
    const ArtPlan::Box& box = plan_.boxes[static_cast<std::size_t>(runner.index)];
    if (horizontal) {
      return ArtPlan::Host{runner, at.column == box.topLeft.column ? Side::Left : Side::Right};
    }
    return ArtPlan::Host{runner, at.row == box.topLeft.row ? Side::Top : Side::Bottom};
  };
  for (std::int32_t i = 0; i < count; ++i) {
    for (const bool atEnd : {false, true}) {
      ArtPlan::End& end = endOf(i, atEnd);
      if (end.joinLine >= 0) continue;
      const bool horizontal = plan_.lines[static_cast<std::size_t>(i)].horizontal;
      // On a side or a line across this one: resting.
      if (const std::optional<ArtPlan::Host> host = hostAt(end.cell, horizontal)) {
        end.host = *host;
        continue;
      }
      // Two ends at a corner are joined.
      std::vector<std::pair<std::int32_t, bool>> others;
      for (const auto& [line, otherAtEnd] : endsAt[key(end.cell)]) {
        if (line == i) continue;
        const ArtPlan::End& other = endOf(line, otherAtEnd);
        if (other.joinLine < 0 && !IsRunMarker(other.marker) && !IsRunMarker(end.marker)) {
          others.emplace_back(line, otherAtEnd);
        }
      }
      if (others.size() == 1) {
        ArtPlan::End& other = endOf(others[0].first, others[0].second);
        end.joinLine = others[0].first;
        end.joinAtEnd = others[0].second;
        other.joinLine = i;
        other.joinAtEnd = atEnd;
        continue;
      }
      // Three ends at a tee, where a run changes its stroke (a divider drawn
      // solid, then dashed): the stem and one piece turn the corner joined,
      // and the other piece rests on the stem. Joining the two pieces
      // instead would carry one piece's move across into the other, and tear
      // an end off the side it rests on.
      if (others.size() == 2) {
        const std::pair<std::int32_t, bool> ends[3] = {{i, atEnd}, others[0], others[1]};
        auto across = [&](std::int32_t k) { return plan_.lines[static_cast<std::size_t>(ends[k].first)].horizontal; };
        for (std::int32_t stem = 0; stem < 3; ++stem) {
          const std::int32_t a = (stem + 1) % 3;
          const std::int32_t b = (stem + 2) % 3;
          if (across(a) != across(b) || across(stem) == across(a) || ends[a].second == ends[b].second) continue;
          ArtPlan::End& corner = endOf(ends[stem].first, ends[stem].second);
          ArtPlan::End& piece = endOf(ends[a].first, ends[a].second);
          corner.joinLine = ends[a].first;
          corner.joinAtEnd = ends[a].second;
          piece.joinLine = ends[stem].first;
          piece.joinAtEnd = ends[stem].second;
          endOf(ends[b].first, ends[b].second).host = ArtPlan::Host{Element::Line(ends[stem].first), Side::Top};
          break;
        }
        if (end.joinLine >= 0 || end.host.element) continue;
      }
      // Pointing at a side or a line across it in the next cell: docked.
      const ArtPlan::Line& line = plan_.lines[static_cast<std::size_t>(i)];
      const ArtPlan::Cell other = atEnd ? line.start.cell : line.end.cell;
      const std::int32_t dc = horizontal ? (end.cell.column >= other.column ? 1 : -1) : 0;
      const std::int32_t dr = horizontal ? 0 : (end.cell.row >= other.row ? 1 : -1);
      if (end.cell == other) continue;
      const std::int32_t reach = dc > 0 ? end.marker.Width() : 1;
      const ArtPlan::Cell target{end.cell.column + dc * reach, end.cell.row + dr};
      if (const std::optional<ArtPlan::Host> host = hostAt(target, horizontal)) {
        end.host = *host;
        end.docked = true;
        continue;
      }
      // Or at the last cell of a line across this one ("-->+" where a run turns up).
      if (!Inside(target.column, target.row)) continue;
      for (const auto& [across, unused] : endsAt[key(target)]) {
        if (plan_.lines[static_cast<std::size_t>(across)].horizontal == horizontal) continue;
        end.host = ArtPlan::Host{Element::Line(across), Side::Top};
        end.docked = true;
        break;
      }
    }
  }
  // Two pieces of one run meeting where it crosses a box side ("-+---" out
  // of a box): the author drew one connector, so the pieces are joined there,
  // each still resting on the side so that both follow the box.
  for (std::int32_t i = 0; i < count; ++i) {
    for (const bool atEnd : {false, true}) {
      ArtPlan::End& end = endOf(i, atEnd);
      if (!end.host.element || end.docked || end.joinLine >= 0) continue;
      const ArtPlan::Line& line = plan_.lines[static_cast<std::size_t>(i)];
      for (const auto& [o, otherAtEnd] : endsAt[key(end.cell)]) {
        const ArtPlan::Line& across = plan_.lines[static_cast<std::size_t>(o)];
        ArtPlan::End& other = endOf(o, otherAtEnd);
        const bool sameHost = other.host.element == end.host.element && other.host.side == end.host.side;
        const bool onBox = end.host.element.kind == Element::Kind::Box;
        if (o == i || !onBox || across.horizontal != line.horizontal || !sameHost || other.docked ||
            other.joinLine >= 0) {
          continue;
        }
        // The pieces lie on either side of the crossing.
        if (atEnd == otherAtEnd) continue;
        end.joinLine = o;
        end.joinAtEnd = otherAtEnd;
        other.joinLine = i;
        other.joinAtEnd = atEnd;
        break;
      }
    }
  }
}

void ArtRecognizer::FindDots() {
  std::vector<std::uint8_t> ends(cells_.size(), 0);
  auto index = [&](const ArtPlan::Cell& at) {
    return static_cast<std::size_t>(at.row) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(at.column);
  };
  for (const ArtPlan::Line& line : plan_.lines) {
    for (const ArtPlan::End* end : {&line.start, &line.end}) {
      for (std::int32_t k = 0; k < end->marker.Width(); ++k) {
        if (Inside(end->cell.column + k, end->cell.row)) ends[index({end->cell.column + k, end->cell.row})] = 1;
      }
    }
  }
  // Markers, junctions and crossings no line ends at, inside a line's run:
  // dots resting on the line.
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(plan_.lines.size()); ++i) {
    const ArtPlan::Line& line = plan_.lines[static_cast<std::size_t>(i)];
    const std::int32_t from = line.horizontal ? line.start.cell.column : line.start.cell.row;
    const std::int32_t to = line.horizontal ? line.end.cell.column : line.end.cell.row;
    const std::int32_t fixed = line.horizontal ? line.start.cell.row : line.start.cell.column;
    for (std::int32_t k = from + 1; k < to; ++k) {
      const ArtPlan::Cell at = line.horizontal ? ArtPlan::Cell{k, fixed} : ArtPlan::Cell{fixed, k};
      const Cell& cell = At(at.column, at.row);
      if (ends[index(at)] != 0 || cell.text || cell.use == Use::Label) continue;
      const std::optional<Stroke> run = RunAt(at.column, at.row, line.horizontal);
      if (run == line.stroke || (run && line.stroke == Stroke::Dashed)) continue;
      if (cell.use == Use::BoxSide || cell.use == Use::BoxCorner) continue;
      // A run across this one that shows here is that line's, where there is one.
      if (RunAt(at.column, at.row, !line.horizontal) && (line.horizontal ? cell.down : cell.across)) continue;
      const std::optional<Marker> marker = MarkerAt(at.column, at.row);
      const char32_t code = Shape(at.column, at.row);
      if (!marker) continue;
      const Marker shown = code == U'+' || ArtCharacter::ArmsOf(code).Any() ? Table(MarkerTable::Join) : *marker;
      plan_.dots.push_back({at, shown, {Element::Line(i), Side::Top}});
      ends[index(at)] = 1;
      k += marker->Width() - 1;
    }
  }
  // Junctions and markers on a box's side that no line ends at: dots on the side.
  for (std::int32_t r = 0; r < rows_; ++r) {
    for (std::int32_t c = 0; c < columns_; ++c) {
      const Cell& cell = At(c, r);
      if (cell.use != Use::BoxSide || ends[index({c, r})] != 0) continue;
      const ArtPlan::Box& box = plan_.boxes[static_cast<std::size_t>(cell.box)];
      const bool across = cell.side == Side::Top || cell.side == Side::Bottom;
      const Stroke stroke = box.strokes[static_cast<std::size_t>(cell.side)];
      if (RunAt(c, r, across) == stroke || (stroke == Stroke::Dashed && RunAt(c, r, across))) continue;
      if (stroke == Stroke::Dotted && across && Shape(c, r) == U'.') continue;
      // A line across the side that shows here.
      if (RunAt(c, r, !across) && (across ? cell.down : cell.across)) continue;
      const char32_t code = Shape(c, r);
      std::optional<Marker> marker = MarkerAt(c, r);
      if (!marker && code != 0 && code != U' ') marker = ArtCharacter::MarkerOf(code);
      if (!marker) continue;
      // A tee no line leaves shows as itself: a join would draw the cross.
      const Marker shown = code == U'+' ? Table(MarkerTable::Join) : *marker;
      plan_.dots.push_back({{c, r}, shown, {Element::Box(cell.box), cell.side}});
      c += marker->Width() - 1;
    }
  }
}

void ArtRecognizer::CoverAscii() {
  // Given back in box drawing, a line or a side shows box drawing where it
  // runs; the art's own ASCII there lies in front of it as text.
  for (Cell& cell : cells_) {
    const bool structure = cell.use == Use::BoxCorner || cell.use == Use::BoxSide || cell.use == Use::Line;
    if (!structure || cell.text) continue;
    if (std::u32string_view(U"-|+=:.'").find(cell.code) != std::u32string_view::npos) cell.use = Use::Cover;
  }
  for (const ArtPlan::Line& line : plan_.lines) {
    for (const ArtPlan::End* end : {&line.start, &line.end}) {
      Cell& cell = At(end->cell.column, end->cell.row);
      if (!cell.text && std::u32string_view(U"-|+=:.'").find(cell.code) != std::u32string_view::npos) {
        cell.use = Use::Cover;
      }
    }
  }
}

void ArtRecognizer::Stack() {
  // behind[box or line] holds the elements that must be drawn before it.
  const std::size_t boxes = plan_.boxes.size();
  auto slot = [&](const Element& e) {
    return e.kind == Element::Kind::Box ? static_cast<std::size_t>(e.index) : boxes + static_cast<std::size_t>(e.index);
  };
  std::vector<std::vector<Element>> behind(boxes + plan_.lines.size());
  for (std::int32_t r = 0; r < rows_; ++r) {
    for (std::int32_t c = 0; c < columns_; ++c) {
      const Cell& cell = At(c, r);
      if (!cell.across || !cell.down || cell.across == cell.down) continue;
      if (RunAt(c, r, true)) behind[slot(cell.across)].push_back(cell.down);
      if (RunAt(c, r, false)) behind[slot(cell.down)].push_back(cell.across);
    }
  }
  // A box's corner over another's side or a line shows the corner.
  for (std::int32_t b = 0; b < static_cast<std::int32_t>(boxes); ++b) {
    const ArtPlan::Box& box = plan_.boxes[static_cast<std::size_t>(b)];
    for (const ArtPlan::Cell at : {box.topLeft, box.bottomRight, ArtPlan::Cell{box.bottomRight.column, box.topLeft.row},
                                   ArtPlan::Cell{box.topLeft.column, box.bottomRight.row}}) {
      const Cell& cell = At(at.column, at.row);
      for (const Element& runner : {cell.across, cell.down}) {
        if (runner && runner != Element::Box(b)) behind[static_cast<std::size_t>(b)].push_back(runner);
      }
    }
  }
  // Depth first: what must lie behind an element goes in before it. A cycle
  // cannot be drawn as the art shows; the check after building finds it.
  std::vector<std::uint8_t> state(behind.size(), 0);
  std::vector<std::pair<Element, std::size_t>> stack;
  auto visit = [&](Element root) {
    if (state[slot(root)] != 0) return;
    state[slot(root)] = 1;
    stack.emplace_back(root, 0);
    while (!stack.empty()) {
      auto& [element, next] = stack.back();
      const std::vector<Element>& before = behind[slot(element)];
      if (next < before.size()) {
        const Element other = before[next++];
        if (state[slot(other)] == 0) {
          state[slot(other)] = 1;
          stack.emplace_back(other, 0);
        }
        continue;
      }
      plan_.order.push_back(element);
      stack.pop_back();
    }
  };
  for (std::int32_t b = 0; b < static_cast<std::int32_t>(boxes); ++b) visit(Element::Box(b));
  for (std::int32_t l = 0; l < static_cast<std::int32_t>(plan_.lines.size()); ++l) visit(Element::Line(l));
}

void ArtRecognizer::MakeFramedText() {
  for (std::size_t b = 0; b < plan_.boxes.size(); ++b) {
    ArtPlan::Box& box = plan_.boxes[b];
    const auto [c0, r0] = box.topLeft;
    const auto [c1, r1] = box.bottomRight;
    const std::int32_t width = c1 - c0 - 1;
    std::vector<std::string> lines;
    std::vector<std::int32_t> starts;
    bool text = true;
    bool any = false;
    for (std::int32_t r = r0 + 1; r < r1 && text; ++r) {
      std::string row;
      std::int32_t first = -1;
      std::int32_t last = -1;
      for (std::int32_t c = c0 + 1; c < c1; ++c) {
        if (At(c, r).use != Use::Free) {
          text = false;
          break;
        }
        if (grid_.Byte(c, r) != ' ') {
          if (first < 0) first = c - c0 - 1;
          last = c - c0 - 1;
        }
      }
      if (!text) break;
      if (first >= 0) {
        any = true;
        for (std::int32_t c = c0 + 1 + first; c <= c0 + 1 + last; ++c) row += grid_.Byte(c, r);
      }
      lines.push_back(row);
      starts.push_back(first);
    }
    if (!text || !any) continue;
    while (!lines.empty() && lines.back().empty()) {
      lines.pop_back();
      starts.pop_back();
    }
    // How the text sits: from the first inner column, centred, or against the right side.
    bool left = true;
    bool centre = true;
    bool right = true;
    for (std::size_t k = 0; k < lines.size(); ++k) {
      if (lines[k].empty()) continue;
      const auto length = static_cast<std::int32_t>(lines[k].size());
      left = left && starts[k] == 0;
      centre = centre && starts[k] == (width - length) / 2;
      right = right && starts[k] == width - length;
    }
    if (!left && !centre && !right) continue;
    box.framedText = true;
    box.lines = std::move(lines);
    box.alignment = left ? ArtPlan::Alignment::Left : centre ? ArtPlan::Alignment::Centre : ArtPlan::Alignment::Right;
    for (std::int32_t r = r0 + 1; r < r1; ++r) {
      for (std::int32_t c = c0 + 1; c < c1; ++c) At(c, r).use = Use::FramedText;
    }
  }
}

void ArtRecognizer::FindText() {
  struct Segment {
    std::int32_t start = 0;
    std::string bytes;
  };
  struct Group {
    std::int32_t row = 0;
    std::vector<Segment> segments;
    bool left = true;
    bool centre = true;
    bool right = true;
  };
  auto fits = [](const std::vector<Segment>& segments, const Segment& added, bool& left, bool& centre, bool& right) {
    auto length = [](const Segment& s) { return static_cast<std::int32_t>(s.bytes.size()); };
    const Segment* longest = &added;
    for (const Segment& s : segments) {
      if (length(s) > length(*longest)) longest = &s;
    }
    const Segment& first = segments.front();
    auto sits = [&](const Segment& s) {
      left = left && s.start == first.start;
      right = right && s.start + length(s) == first.start + length(first);
      centre = centre && s.start == longest->start + (length(*longest) - length(s)) / 2 &&
               (length(s) != length(*longest) || s.start == longest->start);
    };
    // A new longest line moves the centre: every line is held to it again.
    if (longest == &added) {
      for (const Segment& s : segments) sits(s);
    }
    sits(added);
    return left || centre || right;
  };
  // Text of one kind (free, or in front of lines and sides), grouped into
  // text boxes: segments of a row that overlap one above and sit with it
  // as a text box aligns its lines.
  auto group = [&](auto isText, bool inFront) {
    auto isGap = [&](std::int32_t c, std::int32_t r) {
      return Inside(c, r) && At(c, r).use == Use::Free && grid_.Byte(c, r) == ' ';
    };
    std::vector<Group> groups;
    // The groups still open, by the row they reach: only those of the row above can grow.
    std::vector<std::size_t> open;
    for (std::int32_t r = 0; r < rows_; ++r) {
      std::vector<std::size_t> extended;
      std::size_t candidate = 0;
      for (std::int32_t c = 0; c < columns_; ++c) {
        if (!isText(c, r)) continue;
        Segment segment{c, {}};
        std::int32_t k = c;
        while (k < columns_ && (isText(k, r) || (!inFront && isGap(k, r) && isText(k + 1, r)))) {
          segment.bytes += grid_.Byte(k, r);
          ++k;
        }
        c = k;
        const std::int32_t end = segment.start + static_cast<std::int32_t>(segment.bytes.size());
        bool joined = false;
        // The open groups are in column order: step past those left of the segment.
        while (candidate < open.size()) {
          const Segment& above = groups[open[candidate]].segments.back();
          if (above.start + static_cast<std::int32_t>(above.bytes.size()) > segment.start) break;
          ++candidate;
        }
        for (std::size_t o = candidate; o < open.size() && !joined; ++o) {
          Group& g = groups[open[o]];
          const Segment& above = g.segments.back();
          if (above.start >= end) break;
          if (std::find(extended.begin(), extended.end(), open[o]) != extended.end()) continue;
          bool left = g.left;
          bool centre = g.centre;
          bool right = g.right;
          if (!fits(g.segments, segment, left, centre, right)) continue;
          g.segments.push_back(segment);
          g.left = left;
          g.centre = centre;
          g.right = right;
          extended.push_back(open[o]);
          joined = true;
        }
        if (!joined) {
          Group g;
          g.row = r;
          g.segments.push_back(std::move(segment));
          groups.push_back(std::move(g));
          extended.push_back(groups.size() - 1);
        }
      }
      std::sort(extended.begin(), extended.end(), [&](std::size_t a, std::size_t b) {
        return groups[a].segments.back().start < groups[b].segments.back().start;
      });
      open = std::move(extended);
    }
    for (const Group& g : groups) {
      ArtPlan::Text text;
      text.inFront = inFront;
      std::int32_t longest = 0;
      std::int32_t longestStart = 0;
      for (const Segment& s : g.segments) {
        if (static_cast<std::int32_t>(s.bytes.size()) > longest) {
          longest = static_cast<std::int32_t>(s.bytes.size());
          longestStart = s.start;
        }
        text.lines.push_back(s.bytes);
      }
      const Segment& first = g.segments.front();
      if (g.left) {
        text.alignment = ArtPlan::Alignment::Left;
        text.first = {first.start, g.row};
      } else if (g.centre) {
        text.alignment = ArtPlan::Alignment::Centre;
        text.first = {longestStart, g.row};
      } else {
        text.alignment = ArtPlan::Alignment::Right;
        text.first = {first.start + static_cast<std::int32_t>(first.bytes.size()) - longest, g.row};
      }
      text.label = inFront && At(first.start, g.row).use == Use::Label;
      plan_.texts.push_back(std::move(text));
    }
  };
  group([&](std::int32_t c,
            std::int32_t r) { return Inside(c, r) && At(c, r).use == Use::Free && grid_.Byte(c, r) != ' '; },
        false);
  group([&](std::int32_t c,
            std::int32_t r) { return Inside(c, r) && (At(c, r).use == Use::Label || At(c, r).use == Use::Cover); },
        true);
}

void ArtRecognizer::KeepCharacters() {
  // What a text box holds only as a substitute stands in front of it as itself.
  for (std::int32_t r = 0; r < rows_; ++r) {
    for (std::int32_t c = 0; c < columns_; ++c) {
      const ArtGrid::Cell& source = grid_.At(c, r);
      if (source.held != ArtGrid::Held::Character || source.code == 0) continue;
      const Use use = At(c, r).use;
      if (use != Use::Free && use != Use::Label && use != Use::Cover && use != Use::FramedText) continue;
      plan_.characters.push_back({{c, r}, Marker{MarkerTable::Character, source.code}, {}});
    }
  }
}

void ArtRecognizer::FindLeftovers() {
  // Line art read as text: two or more line characters in a row or a
  // column (a hyphen inside a word is no line art), or one box-drawing
  // character.
  // Only a run of the way looked along counts: "==" over "--" in two lines
  // of text is no line down.
  auto lineArt = [&](std::int32_t c, std::int32_t r, bool across) {
    if (!Inside(c, r) || At(c, r).use != Use::Free) return false;
    const char32_t code = At(c, r).code;
    return ArtCharacter::Run(code, across) || code == U'+' || ArtCharacter::IsBoxDrawing(code);
  };
  std::vector<std::uint8_t> reported(cells_.size(), 0);
  auto index = [&](std::int32_t c, std::int32_t r) {
    return static_cast<std::size_t>(r) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(c);
  };
  for (const bool across : {true, false}) {
    const std::int32_t outer = across ? rows_ : columns_;
    const std::int32_t inner = across ? columns_ : rows_;
    for (std::int32_t o = 0; o < outer; ++o) {
      for (std::int32_t i = 0; i < inner; ++i) {
        const std::int32_t c = across ? i : o;
        const std::int32_t r = across ? o : i;
        if (!lineArt(c, r, across) || reported[index(c, r)] != 0) continue;
        std::int32_t last = i;
        while (lineArt(across ? last + 1 : o, across ? o : last + 1, across)) ++last;
        const std::int32_t length = last - i + 1;
        bool glyph = false;
        std::string text;
        for (std::int32_t k = i; k <= last; ++k) {
          const char32_t code = At(across ? k : o, across ? o : k).code;
          glyph = glyph || ArtCharacter::IsBoxDrawing(code);
          text += Utf8::Encode(code);
        }
        const bool word = ArtCharacter::IsWordCharacter(Shape(across ? i - 1 : o, across ? o : i - 1)) ||
                          ArtCharacter::IsWordCharacter(Shape(across ? last + 1 : o, across ? o : last + 1));
        // Between words, a blank either side ("len == 127"): an operator.
        auto wordPast = [&](std::int32_t k, std::int32_t step) {
          return across && Shape(k + step, o) == U' ' && ArtCharacter::IsWordCharacter(Shape(k + 2 * step, o));
        };
        const bool between = wordPast(i, -1) && wordPast(last, 1);
        if (!glyph && (length < 2 || ((word || between) && length < ShortestWordedRun))) continue;
        for (std::int32_t k = i; k <= last; ++k) reported[index(across ? k : o, across ? o : k)] = 1;
        plan_.leftAsText.push_back({{c, r}, std::move(text)});
        i = last;
      }
    }
  }
  std::sort(plan_.leftAsText.begin(), plan_.leftAsText.end(), [](const ArtPlan::Piece& a, const ArtPlan::Piece& b) {
    return a.cell.row != b.cell.row ? a.cell.row < b.cell.row : a.cell.column < b.cell.column;
  });
}

}  // namespace virlo
