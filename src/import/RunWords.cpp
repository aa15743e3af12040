#include "import/RunWords.h"

#include "import/ArtCharacter.h"
#include "import/DottedRun.h"

namespace virlo {
namespace {

using Use = RecognizerGrid::Use;
using Way = ArtCharacter::Way;

}  // namespace

bool RunWords::Word(std::int32_t c, std::int32_t r) const {
  if (!cells_.IsFree(c, r)) return false;
  const char32_t code = cells_.Shape(c, r);
  // A lone "V" on the run is no word: it is the run's arrowhead.
  const bool head = code != 0 && ArtCharacter::HeadOf(code) && cells_.MarkerAt(c, r);
  // Between two letters or digits any character is the word's ("into_next").
  const bool inWord = ArtCharacter::IsWordCharacter(cells_.Shape(c - 1, r)) &&
                      ArtCharacter::IsWordCharacter(cells_.Shape(c + 1, r)) && !ArtCharacter::IsBoxDrawing(code) &&
                      !cells_.RunAt(c, r, false) && !ArtCharacter::IsCorner(code);
  return cells_.At(c, r).text || (code != 0 && ArtCharacter::IsWordCharacter(code) && !head) || (code != 0 && inWord);
}

void RunWords::Extent(std::int32_t c, std::int32_t r, std::int32_t& left, std::int32_t& right) const {
  left = c;
  right = c;
  while (cells_.Inside(left - 1, r) && cells_.At(left - 1, r).code != U' ') --left;
  while (cells_.Inside(right + 1, r) && cells_.At(right + 1, r).code != U' ') ++right;
}

std::int32_t RunWords::Length(std::int32_t c, std::int32_t r) const {
  std::int32_t left = 0;
  std::int32_t right = 0;
  Extent(c, r, left, right);
  return right - left + 1;
}

bool RunWords::Node(std::int32_t c, std::int32_t r) const {
  std::int32_t left = 0;
  std::int32_t right = 0;
  Extent(c, r, left, right);
  // What stands before the word, or past one blank: a head pointing at it,
  // or a run across leaving it.
  auto arrives = [&](std::int32_t edge, std::int32_t step) {
    std::int32_t k = edge + step;
    if (cells_.Shape(k, r) == U' ') k += step;
    const char32_t code = cells_.Shape(k, r);
    const Way toward = step < 0 ? Way::Right : Way::Left;
    return code != 0 && (ArtCharacter::HeadOf(code) == toward || DottedRun::Across(cells_, k, r).has_value());
  };
  return arrives(left, -1) || arrives(right, 1);
}

bool RunWords::Note(std::int32_t c, std::int32_t r) const {
  return Word(c, r) && MessageAlong(c, r, -1) && MessageAlong(c, r, 1);
}

bool RunWords::MessageAlong(std::int32_t c, std::int32_t r, std::int32_t way) const {
  auto onLifeline = [&](std::int32_t k) {
    const Use use = cells_.At(c, k).use;
    return cells_.Inside(c, k) && cells_.Shape(c, k) != U' ' && use != Use::BoxSide && use != Use::BoxCorner;
  };
  for (std::int32_t k = r + way; onLifeline(k); k += way) {
    if (MessageEndsAt(c, k)) return true;
  }
  return false;
}

bool RunWords::MessageEndsAt(std::int32_t c, std::int32_t r) const {
  // A corner the run turns at is no lifeline's: a tee on one is.
  const char32_t here = cells_.Shape(c, r);
  const bool through = cells_.RunAt(c, r - 1, false) && cells_.RunAt(c, r + 1, false);
  if (here == 0 || (ArtCharacter::IsCorner(here) && !through)) return false;
  if (cells_.At(c, r).use == Use::End) return true;
  // Beside the run, a message's end, or its art where a former reading
  // gave the message up as text (a dashed reply it could not draw); a run
  // across that goes on past the lifeline crosses it.
  for (const std::int32_t dc : {-1, 1}) {
    const RecognizerGrid::Cell& near = cells_.At(c + dc, r);
    if (near.use == Use::BoxSide || near.use == Use::BoxCorner) continue;
    const bool run = ArtCharacter::Run(near.code, true).has_value() && !ArtCharacter::Run(near.code, false) &&
                     !ArtCharacter::Run(cells_.At(c - dc, r).code, true);
    const bool head = ArtCharacter::HeadOf(near.code) == (dc < 0 ? Way::Right : Way::Left);
    if (near.use == Use::End || run || head) return true;
  }
  return false;
}

}  // namespace virlo
