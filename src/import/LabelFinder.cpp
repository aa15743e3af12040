#include "import/LabelFinder.h"

#include <algorithm>

namespace virlo {
namespace {

// A label inside a run is at most this long.
constexpr std::int32_t MaxLabel = 64;

}  // namespace

void LabelFinder::Run() {
  for (std::int32_t r = 0; r < cells_.Rows(); ++r) {
    std::int32_t c = 0;
    while (c < cells_.Columns()) {
      if (!cells_.RunAt(c, r, true)) {
        ++c;
        continue;
      }
      c = FromRun(c, r);
    }
  }
}

std::int32_t LabelFinder::FromRun(std::int32_t c, std::int32_t r) {
  std::int32_t first = c + 1;
  while (cells_.RunAt(first, r, true)) ++first;
  std::int32_t last = first;
  bool words = false;
  bool fits = true;
  // The label ends where a run of the same stroke goes on.
  const std::optional<Stroke> stroke = cells_.RunAt(first - 1, r, true);
  while (cells_.Inside(last, r) && !Resumes(last, r, stroke) && fits) {
    const bool blank = cells_.Shape(last, r) == U' ';
    fits = !IsStructure(last, r) && !(blank && cells_.Shape(last + 1, r) == U' ') && last - first < MaxLabel;
    words = words || !blank;
    ++last;
  }
  --last;
  // One marker character alone between runs is a dot on the line ("--O--").
  const bool lone = last == first && cells_.MarkerAt(first, r).has_value();
  if (fits && words && !lone && Resumes(last + 1, r, stroke) && !IsNode(first, last, r)) {
    for (std::int32_t k = first; k <= last; ++k) cells_.At(k, r).labelled = true;
  }
  return std::max(first, last + 1);
}

bool LabelFinder::Resumes(std::int32_t k, std::int32_t r, std::optional<Stroke> stroke) const {
  const bool inWord =
      ArtCharacter::IsWordCharacter(cells_.Shape(k - 1, r)) && ArtCharacter::IsWordCharacter(cells_.Shape(k + 1, r));
  return cells_.RunAt(k, r, true) == stroke && !inWord;
}

bool LabelFinder::IsStructure(std::int32_t c, std::int32_t r) const {
  const char32_t code = cells_.Shape(c, r);
  if (code == 0 || code == U' ') return false;
  const bool before = ArtCharacter::IsWordCharacter(cells_.Shape(c - 1, r));
  const bool after = ArtCharacter::IsWordCharacter(cells_.Shape(c + 1, r));
  // Between two letters or digits a character is the word's ("x+1").
  if (before && after) return false;
  // A corner character turns only where a run leaves it up or down
  // ("rcv SYN / SYN" is words).
  const bool turns = code == U'+' || cells_.RunAt(c, r - 1, false) || cells_.RunAt(c, r + 1, false);
  // A letter beside another is a word's, "v" of "rcv" too.
  const bool word = ArtCharacter::IsLetter(code) && (before || after);
  return cells_.RunAt(c, r, false) || (ArtCharacter::IsCorner(code) && turns) ||
         (ArtCharacter::HeadOf(code) && !word) || ArtCharacter::IsBoxDrawing(code);
}

bool LabelFinder::IsNode(std::int32_t first, std::int32_t last, std::int32_t r) const {
  for (std::int32_t k = first; k <= last; ++k) {
    for (const std::int32_t dr : {-1, 1}) {
      const char32_t near = cells_.Shape(k, r + dr);
      if (cells_.RunAt(k, r + dr, false) || (near != 0 && ArtCharacter::HeadOf(near).has_value())) return true;
    }
  }
  return false;
}

}  // namespace virlo
