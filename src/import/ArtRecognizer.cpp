#include "import/ArtRecognizer.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>

#include "objects/MarkerTable.h"

namespace virlo {
namespace {

// Stands for a cell that is text whatever its byte: never part of a line.
constexpr char TextCell = '\x01';
// Beyond this many candidate corners one top-left corner gives up: only
// hostile art gets there, and it stays text.
constexpr std::int32_t MaxBoxTries = 1 << 14;
// Shorter runs of "-" standing against a word are part of the text ("a-b", "--all").
constexpr std::int32_t ShortestWordedRun = 3;

bool IsAlnum(char ch) { return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'); }

// The marker a character stands for at a line's end, or -1: the types whose
// marker is that one character.
std::int32_t MarkerOfByte(char ch) {
  static const std::array<std::int8_t, 256> types = [] {
    std::array<std::int8_t, 256> table{};
    table.fill(-1);
    for (std::int32_t type = MarkerTable::Count - 1; type >= 0; --type) {
      const std::string_view text = MarkerTable::MarkerText(type);
      if (text.size() == 1) table[static_cast<unsigned char>(text[0])] = static_cast<std::int8_t>(type);
    }
    return table;
  }();
  return types[static_cast<unsigned char>(ch)];
}

constexpr std::int32_t Aggregation = MarkerTable::Aggregation;

}  // namespace

ArtRecognizer::ArtRecognizer(const ArtGrid& grid, const std::vector<std::uint8_t>& forcedText)
    : grid_(grid), forcedText_(forcedText), columns_(grid.Columns()), rows_(grid.Rows()) {
  const std::size_t cells = static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_);
  owner_.assign(cells, Owner::Free);
  edge_.assign(cells, EdgeRef{});
  labelCell_.assign(cells, 0);
  covered_.assign(cells, 0);
  horizontalAt_.assign(cells, -1);
  acrossRunner_.assign(cells, Runners{-1, -1});
  downRunner_.assign(cells, Runners{-1, -1});
  verticalAt_.assign(cells, -1);
}

bool ArtRecognizer::IsText(std::int32_t c, std::int32_t r) const {
  if (!Inside(c, r)) return false;
  return grid_.IsWide(c, r) || IsForced(c, r);
}

bool ArtRecognizer::IsForced(std::int32_t c, std::int32_t r) const {
  return Inside(c, r) && !forcedText_.empty() && forcedText_[Index(c, r)] != 0;
}

char ArtRecognizer::Structural(std::int32_t c, std::int32_t r) const {
  if (!Inside(c, r)) return ' ';
  if (IsText(c, r)) return TextCell;
  return grid_.At(c, r);
}

ArtRecognizer::Owner ArtRecognizer::OwnerOf(std::int32_t c, std::int32_t r) const {
  return Inside(c, r) ? owner_[Index(c, r)] : Owner::Free;
}

bool ArtRecognizer::IsFree(std::int32_t c, std::int32_t r) const {
  return Inside(c, r) && owner_[Index(c, r)] == Owner::Free && !IsText(c, r);
}

std::int32_t ArtRecognizer::MarkerAt(std::int32_t c, std::int32_t r) const {
  const char ch = Structural(c, r);
  if (ch == '<' && Structural(c + 1, r) == '>') return Aggregation;
  const std::int32_t marker = MarkerOfByte(ch);
  if (marker < 0) return -1;
  // A capital letter inside a word is the word's.
  const bool letter = IsAlnum(ch);
  if (letter && (IsAlnum(Structural(c - 1, r)) || IsAlnum(Structural(c + 1, r)))) return -1;
  return marker;
}

std::int32_t ArtRecognizer::SideMarkerAt(std::int32_t c, std::int32_t r, std::int32_t outward) const {
  const char ch = Structural(c, r);
  const std::int32_t marker = MarkerOfByte(ch);
  if (marker < 0 || ch == '<') return MarkerAt(c, r);
  const bool letter = IsAlnum(ch);
  if (letter && IsAlnum(Structural(c + outward, r))) return -1;
  return marker;
}

ArtPlan ArtRecognizer::Recognize() {
  FindLabels();
  FindBoxes();
  FindLines(true);
  FindLines(false);
  LinkEnds();
  Stack();
  MakeFramedText();
  FindText();
  return std::move(plan_);
}

void ArtRecognizer::FindLabels() {
  // A label sits in a run of "-" between two blanks: "+- backend ---+".
  // A "-" between letters or digits and a "+" with no "-" beside it are the
  // label's own: "TCP-IP", "ack=x+1".
  auto bounds = [&](std::int32_t c, std::int32_t r) {
    const char before = Structural(c - 1, r);
    const char after = Structural(c + 1, r);
    switch (Structural(c, r)) {
      case '-':
        return !(IsAlnum(before) && IsAlnum(after));
      case '+':
        return before == '-' || after == '-';
      default:
        return false;
    }
  };
  for (std::int32_t r = 0; r < rows_; ++r) {
    std::int32_t previous = -1;
    for (std::int32_t c = 0; c <= columns_; ++c) {
      if (c < columns_ && !bounds(c, r)) continue;
      const std::int32_t first = previous + 1;
      const std::int32_t last = c - 1;
      if (previous >= 0 && c < columns_ && last - first >= 2 && Structural(first, r) == ' ' &&
          Structural(last, r) == ' ') {
        bool label = true;
        bool words = false;
        for (std::int32_t k = first + 1; k < last && label; ++k) {
          const char inner = Structural(k, r);
          if (inner == ' ' && Structural(k + 1, r) == ' ') label = false;
          if (inner == '|') label = false;
          words = words || inner != ' ';
        }
        if (label && words) {
          for (std::int32_t k = first; k <= last; ++k) labelCell_[Index(k, r)] = 1;
        }
      }
      previous = c;
    }
  }
}

void ArtRecognizer::FindBoxes() {
  for (std::int32_t r = 0; r < rows_; ++r) {
    for (std::int32_t c = 0; c < columns_; ++c) {
      const char ch = Structural(c, r);
      if (ch != '-' && ch != '|' && MarkerAt(c, r) >= 0 && MarkerAt(c, r) != Aggregation) TryBox(c, r);
    }
  }
}

bool ArtRecognizer::TryBox(std::int32_t c0, std::int32_t r0) {
  // A cell of a top or bottom side: "-", a junction, a marker or a label.
  auto acrossOk = [&](std::int32_t c, std::int32_t r) {
    if (!Inside(c, r)) return false;
    if (labelCell_[Index(c, r)] != 0) return true;
    const char ch = Structural(c, r);
    return ch == '-' || ch == '+' || MarkerAt(c, r) >= 0;
  };
  // A cell of a left or right side: "|", a junction or a marker.
  auto downOk = [&](std::int32_t c, std::int32_t r, std::int32_t outward) {
    if (!Inside(c, r)) return false;
    const char ch = Structural(c, r);
    return ch == '|' || ch == '+' || SideMarkerAt(c, r, outward) >= 0;
  };
  // A corner is "+" or a marker the user gave it, never a line character.
  auto corner = [&](std::int32_t c, std::int32_t r) {
    const char ch = Structural(c, r);
    return ch != '-' && ch != '|' && MarkerAt(c, r) >= 0 && MarkerAt(c, r) != Aggregation;
  };
  std::int32_t tries = 0;
  for (std::int32_t c1 = c0 + 1; c1 < columns_ && acrossOk(c1, r0); ++c1) {
    if (!corner(c1, r0) || c1 < c0 + 2) continue;
    for (std::int32_t r1 = r0 + 1; r1 < rows_ && downOk(c0, r1, -1); ++r1) {
      if (++tries > MaxBoxTries) return false;
      if (!corner(c0, r1) || !corner(c1, r1)) continue;
      bool sides = true;
      for (std::int32_t r = r0 + 1; r < r1 && sides; ++r) sides = downOk(c1, r, 1);
      for (std::int32_t c = c0 + 1; c < c1 && sides; ++c) sides = acrossOk(c, r1);
      if (!sides) continue;
      ArtPlan::Box box;
      box.topLeft = {c0, r0};
      box.bottomRight = {c1, r1};
      box.corners[0] = MarkerAt(c0, r0);
      box.corners[1] = MarkerAt(c1, r0);
      box.corners[2] = MarkerAt(c1, r1);
      box.corners[3] = MarkerAt(c0, r1);
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
  using Side = ArtPlan::Side;
  auto claim = [&](std::int32_t c, std::int32_t r, Side side) {
    const std::size_t i = Index(c, r);
    // A side two boxes share belongs to the first.
    if (owner_[i] == Owner::BoxEdge || owner_[i] == Owner::BoxCorner || owner_[i] == Owner::Label) return;
    owner_[i] = labelCell_[i] != 0 && (side == Side::Top || side == Side::Bottom) ? Owner::Label : Owner::BoxEdge;
    edge_[i] = {index, side};
  };
  auto runs = [&](std::vector<Runners>& runners, std::int32_t c, std::int32_t r) {
    Runners& at = runners[Index(c, r)];
    (at[0] < 0 ? at[0] : at[1]) = 2 * index;
  };
  for (std::int32_t c = c0 + 1; c < c1; ++c) {
    claim(c, r0, Side::Top);
    claim(c, r1, Side::Bottom);
    runs(acrossRunner_, c, r0);
    runs(acrossRunner_, c, r1);
  }
  for (std::int32_t r = r0 + 1; r < r1; ++r) {
    claim(c0, r, Side::Left);
    claim(c1, r, Side::Right);
    runs(downRunner_, c0, r);
    runs(downRunner_, c1, r);
  }
  for (const auto& [c, r] : {box.topLeft, box.bottomRight, ArtPlan::Cell{c1, r0}, ArtPlan::Cell{c0, r1}}) {
    owner_[Index(c, r)] = Owner::BoxCorner;
  }
}

void ArtRecognizer::FindLines(bool horizontal) {
  // Steps along the line and across it.
  const std::int32_t ac = horizontal ? 1 : 0;
  const std::int32_t ar = horizontal ? 0 : 1;
  const std::int32_t xc = horizontal ? 0 : 1;
  const std::int32_t xr = horizontal ? 1 : 0;
  const char along = horizontal ? '-' : '|';
  const char across = horizontal ? '|' : '-';
  auto isAlong = [&](std::int32_t c, std::int32_t r) { return IsFree(c, r) && Structural(c, r) == along; };
  auto isAcross = [&](std::int32_t c, std::int32_t r) { return IsFree(c, r) && Structural(c, r) == across; };
  // A junction the line runs through: it goes on both ways and something meets it.
  auto passes = [&](std::int32_t c, std::int32_t r) {
    if (!IsFree(c, r) || Structural(c, r) != '+') return false;
    if (!isAlong(c - ac, r - ar) || !isAlong(c + ac, r + ar)) return false;
    const bool before = isAcross(c - xc, r - xr);
    const bool after = isAcross(c + xc, r + xr);
    // Where lines meet from all four sides, the horizontal one runs through.
    if (horizontal) return before || after;
    return (before || after) && !(isAcross(c - 1, r) && isAcross(c + 1, r));
  };
  // A cell where a line across this one runs over it and shows.
  auto crossing = [&](std::int32_t c, std::int32_t r) {
    return isAcross(c, r) && isAlong(c - ac, r - ar) && isAlong(c + ac, r + ar) &&
           (Structural(c - xc, r - xr) == across || Structural(c + xc, r + xr) == across ||
            Structural(c - xc, r - xr) == '+' || Structural(c + xc, r + xr) == '+');
  };
  // A marker on the line, between two of its cells: a dot resting on it.
  auto dot = [&](std::int32_t c, std::int32_t r) {
    if (!IsFree(c, r) || !isAlong(c - ac, r - ar) || !isAlong(c + ac, r + ar)) return false;
    const char ch = Structural(c, r);
    return ch != along && ch != '+' && !crossing(c, r) && MarkerAt(c, r) >= 0 && MarkerAt(c, r) != Aggregation;
  };
  // A box side across the line's way that the line runs over and shows on.
  auto overSide = [&](std::int32_t c, std::int32_t r) {
    if (OwnerOf(c, r) != Owner::BoxEdge || IsText(c, r) || Structural(c, r) != along) return false;
    const ArtPlan::Side side = edge_[Index(c, r)].side;
    const bool sideDown = side == ArtPlan::Side::Left || side == ArtPlan::Side::Right;
    return sideDown == horizontal && isAlong(c - ac, r - ar) && isAlong(c + ac, r + ar);
  };
  // Text written over a horizontal line, with a blank either side and the
  // line's run beyond: "--- SYN seq=x --->".
  auto overLabel = [&](std::int32_t c, std::int32_t r) {
    // Wide characters are text, and may well be a label's.
    if (!horizontal || labelCell_[Index(c, r)] == 0 || OwnerOf(c, r) != Owner::Free || IsForced(c, r)) return false;
    std::int32_t first = c;
    std::int32_t last = c;
    while (Inside(first - 1, r) && labelCell_[Index(first - 1, r)] != 0) --first;
    while (Inside(last + 1, r) && labelCell_[Index(last + 1, r)] != 0) ++last;
    return isAlong(first - 1, r) && isAlong(last + 1, r);
  };
  auto inTrack = [&](std::int32_t c, std::int32_t r) {
    return isAlong(c, r) || passes(c, r) || crossing(c, r) || dot(c, r) || overSide(c, r) || overLabel(c, r);
  };
  // The end of a track beyond its last cell.
  auto endAt = [&](std::int32_t c, std::int32_t r, std::int32_t step, ArtPlan::End& end) {
    const std::int32_t nc = c + step * ac;
    const std::int32_t nr = r + step * ar;
    const char ch = Structural(nc, nr);
    if (ch == '+') {
      end.cell = {nc, nr};
      end.marker = MarkerTable::Join;
      return true;
    }
    // "<>" stands in two cells from its own; leftwards its first is one further.
    if (horizontal && step < 0 && ch == '>' && Structural(nc - 1, nr) == '<') {
      end.cell = {nc - 1, nr};
      end.marker = Aggregation;
      return true;
    }
    const std::int32_t marker = MarkerAt(nc, nr);
    if (marker >= 0 && (marker != Aggregation || (horizontal && step > 0))) {
      end.cell = {nc, nr};
      end.marker = marker;
      return true;
    }
    end.cell = {c, r};
    end.marker = horizontal ? MarkerTable::HorizontalLine : MarkerTable::VerticalLine;
    return false;
  };

  const std::int32_t outer = horizontal ? rows_ : columns_;
  const std::int32_t inner = horizontal ? columns_ : rows_;
  for (std::int32_t o = 0; o < outer; ++o) {
    std::int32_t i = 0;
    while (i < inner) {
      const std::int32_t c = horizontal ? i : o;
      const std::int32_t r = horizontal ? o : i;
      if (!inTrack(c, r)) {
        ++i;
        continue;
      }
      std::int32_t last = i;
      std::int32_t alongCells = 0;
      while (last < inner && inTrack(horizontal ? last : o, horizontal ? o : last)) {
        alongCells += isAlong(horizontal ? last : o, horizontal ? o : last) ? 1 : 0;
        ++last;
      }
      --last;
      const std::int32_t lc = horizontal ? last : o;
      const std::int32_t lr = horizontal ? o : last;
      ArtPlan::Line line;
      line.horizontal = horizontal;
      const bool startJoint = endAt(c, r, -1, line.start);
      const bool endJoint = endAt(lc, lr, +1, line.end);
      const std::int32_t from = horizontal ? line.start.cell.column : line.start.cell.row;
      const std::int32_t to = horizontal ? line.end.cell.column : line.end.cell.row;
      const std::int32_t length = to - from + 1;
      const bool worded = IsAlnum(Structural(line.start.cell.column - ac, line.start.cell.row - ar)) ||
                          IsAlnum(Structural(line.end.cell.column + ac, line.end.cell.row + ar));
      const bool structural =
          (startJoint && line.start.marker == MarkerTable::Join) || (endJoint && line.end.marker == MarkerTable::Join);
      const std::int32_t shortest = horizontal ? 3 : 2;
      const bool accepted = alongCells > 0 && (length >= shortest || (structural && length >= 2)) &&
                            !(worded && alongCells < ShortestWordedRun && !structural);
      if (accepted) {
        const auto index = static_cast<std::int32_t>(plan_.lines.size());
        std::vector<std::int32_t>& at = horizontal ? horizontalAt_ : verticalAt_;
        for (std::int32_t k = from + 1; k < to; ++k) {
          const std::int32_t kc = horizontal ? k : o;
          const std::int32_t kr = horizontal ? o : k;
          at[Index(kc, kr)] = index;
          Runners& runners = (horizontal ? acrossRunner_ : downRunner_)[Index(kc, kr)];
          if (runners[0] < 0) runners[0] = 2 * index + 1;
          if (overLabel(kc, kr)) {
            owner_[Index(kc, kr)] = Owner::Label;
          } else if (dot(kc, kr)) {
            plan_.dots.push_back({{kc, kr}, MarkerAt(kc, kr), {ArtPlan::Host::Kind::Line, index}});
          }
        }
        for (std::int32_t k = from; k <= to; ++k) covered_[Index(horizontal ? k : o, horizontal ? o : k)] = 1;
        // A two-cell marker takes the cell after its own as well.
        for (const ArtPlan::End* end : {&line.start, &line.end}) {
          if (end->marker == Aggregation) covered_[Index(end->cell.column + 1, end->cell.row)] = 1;
        }
        plan_.lines.push_back(std::move(line));
      }
      i = last + 1;
    }
  }
}

void ArtRecognizer::LinkEnds() {
  std::unordered_map<std::size_t, std::vector<std::pair<std::int32_t, bool>>> endsAt;
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(plan_.lines.size()); ++i) {
    const ArtPlan::Line& line = plan_.lines[static_cast<std::size_t>(i)];
    endsAt[Index(line.start.cell.column, line.start.cell.row)].emplace_back(i, false);
    endsAt[Index(line.end.cell.column, line.end.cell.row)].emplace_back(i, true);
  }
  auto endOf = [this](std::int32_t line, bool atEnd) -> ArtPlan::End& {
    ArtPlan::Line& l = plan_.lines[static_cast<std::size_t>(line)];
    return atEnd ? l.end : l.start;
  };
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(plan_.lines.size()); ++i) {
    for (const bool atEnd : {false, true}) {
      ArtPlan::End& end = endOf(i, atEnd);
      if (end.joinLine >= 0) continue;
      const std::size_t cell = Index(end.cell.column, end.cell.row);
      if (owner_[cell] == Owner::BoxEdge) {
        end.host = {ArtPlan::Host::Kind::BoxSide, edge_[cell].box, edge_[cell].side};
        continue;
      }
      // An end in a line that runs across this one rests on it.
      const bool horizontal = plan_.lines[static_cast<std::size_t>(i)].horizontal;
      if (const std::int32_t host = (horizontal ? verticalAt_ : horizontalAt_)[cell]; host >= 0) {
        end.host = {ArtPlan::Host::Kind::Line, host};
        continue;
      }
      // Two ends that meet in a "+" are joined.
      if (end.marker != 0) continue;
      std::vector<std::pair<std::int32_t, bool>> others;
      for (const auto& [line, otherAtEnd] : endsAt[cell]) {
        if (line == i) continue;
        const ArtPlan::End& other = endOf(line, otherAtEnd);
        if (other.joinLine < 0 && other.marker == MarkerTable::Join) others.emplace_back(line, otherAtEnd);
      }
      if (others.size() != 1) continue;
      ArtPlan::End& other = endOf(others[0].first, others[0].second);
      end.joinLine = others[0].first;
      end.joinAtEnd = others[0].second;
      other.joinLine = i;
      other.joinAtEnd = atEnd;
    }
  }
  // A marker in a line where another line ends is that end's, not a dot.
  std::erase_if(plan_.dots, [&](const ArtPlan::Dot& dot) {
    const bool hostHorizontal = plan_.lines[static_cast<std::size_t>(dot.host.index)].horizontal;
    for (const auto& [line, atEnd] : endsAt[Index(dot.cell.column, dot.cell.row)]) {
      if (plan_.lines[static_cast<std::size_t>(line)].horizontal != hostHorizontal) return true;
    }
    return false;
  });
  for (const ArtPlan::Dot& dot : plan_.dots) covered_[Index(dot.cell.column, dot.cell.row)] = 1;
  // Junctions and markers in a box's side that no line ends at are dots on the side.
  for (std::int32_t r = 0; r < rows_; ++r) {
    for (std::int32_t c = 0; c < columns_; ++c) {
      const std::size_t cell = Index(c, r);
      if (owner_[cell] != Owner::BoxEdge || endsAt.count(cell) != 0 || covered_[cell] != 0) continue;
      const ArtPlan::Side side = edge_[cell].side;
      const bool across = side == ArtPlan::Side::Top || side == ArtPlan::Side::Bottom;
      const char ch = Structural(c, r);
      if (ch == (across ? '-' : '|')) continue;
      const std::int32_t outward = side == ArtPlan::Side::Left ? -1 : 1;
      const std::int32_t marker = across ? MarkerAt(c, r) : SideMarkerAt(c, r, outward);
      if (marker < 0) continue;
      plan_.dots.push_back({{c, r}, marker, {ArtPlan::Host::Kind::BoxSide, edge_[cell].box, edge_[cell].side}});
      // The second character of "<>" is the dot's too.
      if (marker == Aggregation) ++c;
    }
  }
}

void ArtRecognizer::MakeFramedText() {
  for (ArtPlan::Box& box : plan_.boxes) {
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
        const std::size_t cell = Index(c, r);
        if (owner_[cell] != Owner::Free || covered_[cell] != 0 || labelCell_[cell] != 0) {
          text = false;
          break;
        }
        if (grid_.At(c, r) != ' ') {
          if (first < 0) first = c - c0 - 1;
          last = c - c0 - 1;
        }
      }
      if (!text) break;
      if (first >= 0) {
        any = true;
        for (std::int32_t c = c0 + 1 + first; c <= c0 + 1 + last; ++c) row += grid_.At(c, r);
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
      for (std::int32_t c = c0 + 1; c < c1; ++c) owner_[Index(c, r)] = Owner::FramedText;
    }
  }
}

void ArtRecognizer::FindText() {
  auto isText = [&](std::int32_t c, std::int32_t r) {
    if (!Inside(c, r)) return false;
    const std::size_t cell = Index(c, r);
    return owner_[cell] == Owner::Free && covered_[cell] == 0 && Structural(c, r) != ' ';
  };
  auto isGap = [&](std::int32_t c, std::int32_t r) {
    if (!Inside(c, r)) return false;
    const std::size_t cell = Index(c, r);
    return owner_[cell] == Owner::Free && covered_[cell] == 0 && Structural(c, r) == ' ';
  };
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
    bool open = true;
  };
  auto fits = [](const std::vector<Segment>& segments, bool& left, bool& centre, bool& right) {
    std::int32_t longest = 0;
    std::int32_t longestStart = 0;
    for (const Segment& s : segments) {
      const auto length = static_cast<std::int32_t>(s.bytes.size());
      if (length > longest) {
        longest = length;
        longestStart = s.start;
      }
    }
    for (const Segment& s : segments) {
      const auto length = static_cast<std::int32_t>(s.bytes.size());
      left = left && s.start == segments.front().start;
      right = right &&
              s.start + length == segments.front().start + static_cast<std::int32_t>(segments.front().bytes.size());
      centre =
          centre && s.start == longestStart + (longest - length) / 2 && (length != longest || s.start == longestStart);
    }
    return left || centre || right;
  };
  std::vector<Group> groups;
  for (std::int32_t r = 0; r < rows_; ++r) {
    std::vector<Segment> row;
    for (std::int32_t c = 0; c < columns_; ++c) {
      if (!isText(c, r)) continue;
      Segment segment{c, {}};
      std::int32_t k = c;
      while (isText(k, r) || (isGap(k, r) && isText(k + 1, r))) {
        segment.bytes += grid_.At(k, r);
        ++k;
      }
      row.push_back(std::move(segment));
      c = k;
    }
    std::vector<std::size_t> extended;
    for (Segment& segment : row) {
      const std::int32_t end = segment.start + static_cast<std::int32_t>(segment.bytes.size());
      bool joined = false;
      for (std::size_t g = 0; g < groups.size() && !joined; ++g) {
        Group& group = groups[g];
        if (!group.open || std::find(extended.begin(), extended.end(), g) != extended.end()) continue;
        const Segment& above = group.segments.back();
        const std::int32_t aboveEnd = above.start + static_cast<std::int32_t>(above.bytes.size());
        if (group.row + static_cast<std::int32_t>(group.segments.size()) != r) continue;
        if (segment.start >= aboveEnd || above.start >= end) continue;
        std::vector<Segment> trial = group.segments;
        trial.push_back(segment);
        bool left = group.left;
        bool centre = group.centre;
        bool right = group.right;
        if (!fits(trial, left, centre, right)) continue;
        group.segments = std::move(trial);
        group.left = left;
        group.centre = centre;
        group.right = right;
        extended.push_back(g);
        joined = true;
      }
      if (!joined) {
        Group group;
        group.row = r;
        group.segments.push_back(std::move(segment));
        groups.push_back(std::move(group));
        extended.push_back(groups.size() - 1);
      }
    }
    for (std::size_t g = 0; g < groups.size(); ++g) {
      if (std::find(extended.begin(), extended.end(), g) == extended.end()) groups[g].open = false;
    }
  }
  for (const Group& group : groups) {
    ArtPlan::Text text;
    std::int32_t longest = 0;
    std::int32_t longestStart = 0;
    for (const Segment& s : group.segments) {
      if (static_cast<std::int32_t>(s.bytes.size()) > longest) {
        longest = static_cast<std::int32_t>(s.bytes.size());
        longestStart = s.start;
      }
      text.lines.push_back(s.bytes);
    }
    const Segment& first = group.segments.front();
    if (group.left) {
      text.alignment = ArtPlan::Alignment::Left;
      text.first = {first.start, group.row};
    } else if (group.centre) {
      text.alignment = ArtPlan::Alignment::Centre;
      text.first = {longestStart, group.row};
    } else {
      text.alignment = ArtPlan::Alignment::Right;
      text.first = {first.start + static_cast<std::int32_t>(first.bytes.size()) - longest, group.row};
    }
    plan_.texts.push_back(std::move(text));
  }
  // Labels written into a box's side or over a line, in front of it.
  for (std::int32_t r = 0; r < rows_; ++r) {
    for (std::int32_t c = 0; c < columns_; ++c) {
      if (owner_[Index(c, r)] != Owner::Label) continue;
      ArtPlan::Text label;
      label.first = {c, r};
      label.inFront = true;
      std::string bytes;
      while (c < columns_ && owner_[Index(c, r)] == Owner::Label) {
        bytes += grid_.At(c, r);
        ++c;
      }
      label.lines.push_back(std::move(bytes));
      plan_.texts.push_back(std::move(label));
    }
  }
}

void ArtRecognizer::Stack() {
  // behind[e] holds the elements that must be drawn before e.
  const std::size_t elements = 2 * std::max(plan_.boxes.size(), plan_.lines.size()) + 2;
  std::vector<std::vector<std::int32_t>> behind(elements);
  for (std::int32_t r = 0; r < rows_; ++r) {
    for (std::int32_t c = 0; c < columns_; ++c) {
      const char ch = Structural(c, r);
      for (const std::int32_t across : acrossRunner_[Index(c, r)]) {
        for (const std::int32_t down : downRunner_[Index(c, r)]) {
          if (across < 0 || down < 0 || across == down) continue;
          if (ch == '-') behind[static_cast<std::size_t>(across)].push_back(down);
          if (ch == '|') behind[static_cast<std::size_t>(down)].push_back(across);
        }
      }
    }
  }
  // Depth first: what must lie behind an element goes in before it. A cycle
  // cannot be drawn as the art shows; the check after building finds it.
  std::vector<std::uint8_t> state(elements, 0);
  auto visit = [&](auto& self, std::int32_t element) -> void {
    if (state[static_cast<std::size_t>(element)] != 0) return;
    state[static_cast<std::size_t>(element)] = 1;
    for (const std::int32_t before : behind[static_cast<std::size_t>(element)]) self(self, before);
    const bool box = element % 2 == 0;
    plan_.order.push_back({box ? ArtPlan::Element::Kind::Box : ArtPlan::Element::Kind::Line, element / 2});
  };
  for (std::int32_t b = 0; b < static_cast<std::int32_t>(plan_.boxes.size()); ++b) visit(visit, 2 * b);
  for (std::int32_t l = 0; l < static_cast<std::int32_t>(plan_.lines.size()); ++l) visit(visit, 2 * l + 1);
}

}  // namespace virlo
