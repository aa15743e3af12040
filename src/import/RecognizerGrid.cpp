#include "import/RecognizerGrid.h"

#include <string_view>

#include "objects/MarkerTable.h"

namespace virlo {
namespace {

using Marker = ArtPlan::Marker;

// Letters that are markers of the table, "v", the arrowhead down, and "X",
// the end of a lost message ("+----X").
bool IsMarkerLetter(char32_t code) {
  return code == U'O' || code == U'V' || code == U'A' || code == U'U' || code == U'v' || code == U'X';
}

// Symbols a marker may be where the table has none of its own: bullets,
// circles, diamonds, squares and stars.
bool IsMarkerSymbol(char32_t code) {
  return std::u32string_view(U"●○◆◇■□★☆•◦◉◎×✕").find(code) != std::u32string_view::npos;
}

}  // namespace

RecognizerGrid::RecognizerGrid(const ArtGrid& grid, const std::vector<std::uint8_t>& forcedText)
    : grid_(grid), columns_(grid.Columns()), rows_(grid.Rows()), unicode_(grid.HasGlyphs()) {
  cells_.resize(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_));
  for (std::int32_t r = 0; r < rows_; ++r) {
    for (std::int32_t c = 0; c < columns_; ++c) {
      const ArtGrid::Cell& source = grid.At(c, r);
      Cell& cell = At(c, r);
      cell.code = source.code;
      const bool forced = !forcedText.empty() && forcedText[Index(c, r)] != 0;
      // Two-cell characters are text whatever their bytes look like.
      const bool twoCells = source.held == ArtGrid::Held::Wide || source.code == 0 ||
                            (source.held == ArtGrid::Held::Character && grid.Code(c + 1, r) == 0 &&
                             grid.At(c + 1, r).held == ArtGrid::Held::Character && c + 1 < columns_);
      cell.text = forced || twoCells;
    }
  }
}

const RecognizerGrid::Cell& RecognizerGrid::At(std::int32_t c, std::int32_t r) const {
  static const Cell outside{};
  if (!Inside(c, r)) return outside;
  return cells_[Index(c, r)];
}

char32_t RecognizerGrid::Shape(std::int32_t c, std::int32_t r) const {
  if (!Inside(c, r)) return U' ';
  const Cell& cell = At(c, r);
  return cell.text ? 0 : cell.code;
}

bool RecognizerGrid::RulerTick(std::int32_t c, std::int32_t r) const {
  auto bar = [&](std::int32_t k) {
    return Shape(k, r) == U'|' && Shape(k, r - 1) == U' ' && RunAt(k, r + 1, false).has_value();
  };
  if (!bar(c)) return false;
  std::int32_t numbered = 0;
  for (std::int32_t k = 0; k < columns_ && numbered < ShortestRuler; ++k) {
    const char32_t after = Shape(k + 1, r);
    numbered += bar(k) && after >= U'0' && after <= U'9' ? 1 : 0;
  }
  return numbered >= ShortestRuler;
}

bool RecognizerGrid::IsFree(std::int32_t c, std::int32_t r) const {
  return Inside(c, r) && At(c, r).use == Use::Free && !At(c, r).text;
}

std::optional<Marker> RecognizerGrid::MarkerAt(std::int32_t c, std::int32_t r) const {
  const char32_t code = Shape(c, r);
  if (code == 0 || code == U' ') return std::nullopt;
  // "<>" is one marker in two cells: at its "<" the aggregation, at its ">" none.
  if (code == U'<' && Shape(c + 1, r) == U'>') return TableMarker(MarkerTable::Aggregation);
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

std::int32_t RecognizerGrid::MarkerCells(std::int32_t c, std::int32_t r) const {
  const std::optional<Marker> marker = MarkerAt(c, r);
  return marker ? marker->Width() : 1;
}

bool RecognizerGrid::IsCorner(std::int32_t c, std::int32_t r) const {
  const char32_t code = Shape(c, r);
  if (ArtCharacter::IsCorner(code)) return true;
  if (ArtCharacter::Run(code, true) || ArtCharacter::Run(code, false)) return false;
  // An arrowhead ends a run; it is no corner where two meet (nor a box's).
  if (ArtCharacter::HeadOf(code)) return false;
  const std::optional<Marker> marker = MarkerAt(c, r);
  return marker && marker->Width() == 1 && marker->type != MarkerTable::Character;
}

std::optional<std::int32_t> RecognizerGrid::JogAside(std::int32_t c, std::int32_t r) const {
  for (const std::int32_t k : {-1, 1}) {
    if (RunAt(c + k, r, false) == Stroke::Solid && !RunAt(c + k, r - 1, false) && !RunAt(c + k, r + 1, false)) {
      return k;
    }
  }
  return std::nullopt;
}

bool RecognizerGrid::PortName(std::int32_t c, std::int32_t r) const {
  auto inName = [&](std::int32_t row) {
    if (!ArtCharacter::IsLetter(Shape(c, row))) return false;
    const bool first = !ArtCharacter::IsLetter(Shape(c - 1, row)) && ArtCharacter::IsLetter(Shape(c + 1, row));
    const bool last = ArtCharacter::IsLetter(Shape(c - 1, row)) && !ArtCharacter::IsLetter(Shape(c + 1, row));
    std::int32_t from = c;
    while (ArtCharacter::IsLetter(Shape(from - 1, row))) --from;
    std::int32_t to = c;
    while (ArtCharacter::IsLetter(Shape(to + 1, row))) ++to;
    return (first || last) && to - from + 1 <= LongestPortName;
  };
  if (!inName(r)) return false;
  // The side shows again above and below, past a few more names.
  auto reaches = [&](std::int32_t step) {
    for (std::int32_t k = 1; k <= MostPortRows; ++k) {
      const std::int32_t row = r + step * k;
      if (RunAt(c, row, false) || (IsCorner(c, row) && !ArtCharacter::IsLetter(Shape(c, row)))) return true;
      if (!inName(row)) return false;
    }
    return false;
  };
  return reaches(-1) && reaches(1);
}

bool RecognizerGrid::SideCell(std::int32_t c, std::int32_t r, bool across) const {
  if (!Inside(c, r)) return false;
  if (across && At(c, r).labelled) return true;
  const char32_t code = Shape(c, r);
  if (code == U' ') {
    // A dashed side: a blank between a run and a run or a corner. Between
    // two solid runs ("------ ------") it parts two frames: one of them
    // must be a dash standing alone, or a corner.
    const std::int32_t dc = across ? 1 : 0;
    const std::int32_t dr = across ? 0 : 1;
    auto dash = [&](std::int32_t k) {
      const char32_t beyond = Shape(c + 2 * k * dc, r + 2 * k * dr);
      return RunAt(c + k * dc, r + k * dr, across) && (beyond == U' ' || IsCorner(c + 2 * k * dc, r + 2 * k * dr));
    };
    auto run = [&](std::int32_t k) { return RunAt(c + k * dc, r + k * dr, across).has_value(); };
    auto corner = [&](std::int32_t k) { return IsCorner(c + k * dc, r + k * dr); };
    const bool between = (run(-1) || corner(-1)) && (run(1) || corner(1));
    // A side down that jogs one cell aside for one row ("| cd     |" under
    // "+-------+"): the side goes on, the "|" beside the blank is text.
    const bool jog = !across && between && !RunAt(c, r - 1, true) && !RunAt(c, r + 1, true) && JogAside(c, r);
    return jog || (between && (run(-1) || run(1)) && (dash(-1) || dash(1) || corner(-1) || corner(1)));
  }
  if (code == 0) return false;
  if (!across && PortName(c, r)) return true;
  // The side's own run, a line crossing it or ending on it, a corner or tee,
  // a marker on it.
  return RunAt(c, r, across) || RunAt(c, r, !across) || IsCorner(c, r) || MarkerAt(c, r).has_value();
}

}  // namespace virlo
