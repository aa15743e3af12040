#include "import/AsciiCover.h"

#include <string_view>

namespace virlo {
namespace {

using Side = ArtPlan::Side;
using Use = RecognizerGrid::Use;

// Line art no line draws as the art has it: ASCII, and the en dash.
bool IsAsciiLineArt(char32_t code) { return std::u32string_view(U"-|+=:.'–").find(code) != std::u32string_view::npos; }

}  // namespace

void AsciiCover::Run() {
  for (RecognizerGrid::Cell& cell : cells_.Cells()) {
    const bool structure = cell.use == Use::BoxCorner || cell.use == Use::BoxSide || cell.use == Use::Line;
    if (!structure || cell.text) continue;
    if (IsAsciiLineArt(cell.code)) cell.use = Use::Cover;
  }
  for (const ArtPlan::Line& line : plan_.lines) {
    for (const ArtPlan::End* end : {&line.start, &line.end}) {
      RecognizerGrid::Cell& cell = cells_.At(end->cell.column, end->cell.row);
      if (!cell.text && IsAsciiLineArt(cell.code)) cell.use = Use::Cover;
    }
  }
}

void AsciiCover::CoverSides() {
  for (std::int32_t b = 0; b < static_cast<std::int32_t>(plan_.boxes.size()); ++b) {
    const ArtPlan::Box& box = plan_.boxes[static_cast<std::size_t>(b)];
    const auto [c0, r0] = box.topLeft;
    const auto [c1, r1] = box.bottomRight;
    for (const Side side : {Side::Top, Side::Left, Side::Bottom, Side::Right}) {
      if (!box.shownInFront[static_cast<std::size_t>(side)]) continue;
      const bool across = side == Side::Top || side == Side::Bottom;
      for (std::int32_t k = (across ? c0 : r0) + 1; k < (across ? c1 : r1); ++k) {
        const std::int32_t c = across ? k : (side == Side::Left ? c0 : c1);
        const std::int32_t r = across ? (side == Side::Top ? r0 : r1) : k;
        RecognizerGrid::Cell& cell = cells_.At(c, r);
        // Only the side's own dashes and gaps: what a line or a dot draws
        // there stays theirs.
        if (cell.use != Use::BoxSide || cell.box != b) continue;
        const char32_t code = cells_.Shape(c, r);
        const bool blank = code == U' ';
        // A solid side's gap is a blank in front of it; a dashed side the
        // box cannot draw in phase is its art in front.
        const bool dashed = box.strokes[static_cast<std::size_t>(side)] == Stroke::Dashed;
        if (across && !dashed && blank) cell.use = Use::Gap;
        if (across && dashed && (blank || cells_.RunAt(c, r, true))) cell.use = Use::Cover;
        if (!across && blank) cell.use = Use::Gap;
        if (!across && code == U'#') cell.use = Use::Cover;
      }
    }
  }
}

}  // namespace virlo
