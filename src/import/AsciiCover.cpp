#include "import/AsciiCover.h"

#include <string_view>

namespace virlo {
namespace {

using Use = RecognizerGrid::Use;

bool IsAsciiLineArt(char32_t code) { return std::u32string_view(U"-|+=:.'").find(code) != std::u32string_view::npos; }

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

}  // namespace virlo
