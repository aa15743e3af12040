#include "import/LeftoverFinder.h"

#include <algorithm>
#include <string>
#include <utility>

#include "import/ArtCharacter.h"
#include "platform/Utf8.h"

namespace virlo {

void LeftoverFinder::Run() {
  std::vector<std::uint8_t> reported(
      static_cast<std::size_t>(cells_.Columns()) * static_cast<std::size_t>(cells_.Rows()), 0);
  for (const bool across : {true, false}) {
    const std::int32_t outer = across ? cells_.Rows() : cells_.Columns();
    const std::int32_t inner = across ? cells_.Columns() : cells_.Rows();
    for (std::int32_t o = 0; o < outer; ++o) {
      for (std::int32_t i = 0; i < inner; ++i) {
        const std::int32_t c = across ? i : o;
        const std::int32_t r = across ? o : i;
        if (!LineArt(c, r, across) || reported[cells_.Index(c, r)] != 0) continue;
        i = Piece(across, o, i, reported);
      }
    }
  }
  std::sort(plan_.leftAsText.begin(), plan_.leftAsText.end(), [](const ArtPlan::Piece& a, const ArtPlan::Piece& b) {
    return a.cell.row != b.cell.row ? a.cell.row < b.cell.row : a.cell.column < b.cell.column;
  });
}

bool LeftoverFinder::LineArt(std::int32_t c, std::int32_t r, bool across) const {
  if (!cells_.Inside(c, r) || cells_.At(c, r).use != RecognizerGrid::Use::Free) return false;
  const char32_t code = cells_.At(c, r).code;
  return ArtCharacter::Run(code, across) || code == U'+' || ArtCharacter::IsBoxDrawing(code);
}

std::int32_t LeftoverFinder::Piece(bool across, std::int32_t o, std::int32_t i, std::vector<std::uint8_t>& reported) {
  auto cellAt = [&](std::int32_t k) { return across ? ArtPlan::Cell{k, o} : ArtPlan::Cell{o, k}; };
  auto shape = [&](std::int32_t k) {
    const ArtPlan::Cell at = cellAt(k);
    return cells_.Shape(at.column, at.row);
  };
  std::int32_t last = i;
  while (LineArt(cellAt(last + 1).column, cellAt(last + 1).row, across)) ++last;
  const std::int32_t length = last - i + 1;
  bool glyph = false;
  std::string text;
  for (std::int32_t k = i; k <= last; ++k) {
    const char32_t code = cells_.At(cellAt(k).column, cellAt(k).row).code;
    glyph = glyph || ArtCharacter::IsBoxDrawing(code);
    text += Utf8::Encode(code);
  }
  const bool word = ArtCharacter::IsWordCharacter(shape(i - 1)) || ArtCharacter::IsWordCharacter(shape(last + 1));
  // Between words, a blank either side ("len == 127"): an operator.
  auto wordPast = [&](std::int32_t k, std::int32_t step) {
    return across && cells_.Shape(k + step, o) == U' ' && ArtCharacter::IsWordCharacter(cells_.Shape(k + 2 * step, o));
  };
  const bool between = wordPast(i, -1) && wordPast(last, 1);
  if (!glyph && (length < 2 || ((word || between) && length < RecognizerGrid::ShortestWordedRun))) return i;
  for (std::int32_t k = i; k <= last; ++k) reported[cells_.Index(cellAt(k))] = 1;
  plan_.leftAsText.push_back({cellAt(i), std::move(text)});
  return last;
}

}  // namespace virlo
