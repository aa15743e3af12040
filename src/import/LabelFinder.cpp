#include "import/LabelFinder.h"

#include <algorithm>

#include "import/DottedRun.h"

namespace virlo {
namespace {

// A label inside a run is at most this long.
constexpr std::int32_t MaxLabel = 64;
// Blanks between the words of one label: more part two things.
constexpr std::int32_t MaxLabelGap = 2;
// A run of this many "." or ":" beside a word is line art, not the word's.
constexpr std::int32_t ShortestPunctuationRun = 3;

// Characters that are line art alone but punctuation inside or after a
// word: "Socket.read()", "id: String", "wss://", "don't".
bool IsWordPunctuation(char32_t code) {
  return code == U'.' || code == U':' || code == U',' || code == U'\'' || code == U'`';
}

bool IsLetterOrDigit(char32_t code) { return ArtCharacter::IsLetter(code) || (code >= U'0' && code <= U'9'); }

}  // namespace

void LabelFinder::Run() {
  MarkWordPunctuation();
  for (std::int32_t r = 0; r < cells_.Rows(); ++r) {
    std::int32_t c = 0;
    while (c < cells_.Columns()) {
      if (!DottedRun::Across(cells_, c, r)) {
        ++c;
        continue;
      }
      c = FromRun(c, r);
    }
  }
}

std::int32_t LabelFinder::FromRun(std::int32_t c, std::int32_t r) {
  std::int32_t first = c + 1;
  while (DottedRun::Across(cells_, first, r)) ++first;
  std::int32_t last = first;
  bool words = false;
  bool fits = true;
  // Blanks since the last word, and the most between two words.
  std::int32_t blanks = 0;
  std::int32_t widestGap = 0;
  // The label ends where a run of the same stroke goes on; any blanks may
  // stand round it, and a few between its words.
  const std::optional<Stroke> stroke = DottedRun::Across(cells_, first - 1, r);
  while (cells_.Inside(last, r) && !Resumes(last, r, stroke) && fits) {
    const bool blank = cells_.Shape(last, r) == U' ';
    if (!blank && words) widestGap = std::max(widestGap, blanks);
    blanks = blank ? blanks + 1 : 0;
    fits = !IsStructure(last, r) && last - first < MaxLabel && widestGap <= MaxLabelGap;
    words = words || !blank;
    ++last;
  }
  --last;
  // A label the arrow's head follows straight after, against a side or a
  // line ("--(7)- tx_remove_output >|"): the run ends in that head.
  const bool headNext = !fits && last > first &&
                        ArtCharacter::HeadOf(cells_.Shape(last, r)) == ArtCharacter::Way::Right &&
                        cells_.Shape(last - 1, r) == U' ' && cells_.RunAt(last + 1, r, false).has_value();
  bool named = false;
  for (std::int32_t k = first; k < last && headNext; ++k) named = named || cells_.Shape(k, r) != U' ';
  if (headNext && named && stroke) {
    for (std::int32_t k = first; k < last; ++k) cells_.At(k, r).labelled = true;
    return last;
  }
  // One marker character alone between runs is a dot on the line ("--O--").
  const bool lone = last == first && cells_.MarkerAt(first, r).has_value();
  // Runs that point away from the text on both sides ("<--- TIMEOUT! --->")
  // are one arrow it labels, though a run stops against it up or down (a
  // lifeline the note cuts); with a head pointing at it from above or
  // below, it is a node two arrows leave.
  std::int32_t beyond = last + 1;
  while (cells_.Inside(beyond, r) && DottedRun::Across(cells_, beyond, r) == stroke) ++beyond;
  bool pointedAt = false;
  for (std::int32_t k = first; k <= last; ++k) {
    pointedAt = pointedAt || ArtCharacter::HeadOf(cells_.Shape(k, r - 1)) == ArtCharacter::Way::Down ||
                ArtCharacter::HeadOf(cells_.Shape(k, r + 1)) == ArtCharacter::Way::Up;
  }
  const bool away = ArtCharacter::HeadOf(cells_.Shape(c - 1, r)) == ArtCharacter::Way::Left &&
                    ArtCharacter::HeadOf(cells_.Shape(beyond, r)) == ArtCharacter::Way::Right;
  const bool outward = !pointedAt && away;
  // Words set wide apart between them ("<-- top  top -->") label an arrow
  // each: no one arrow runs under both.
  const bool apart = away && widestGap >= MaxLabelGap;
  // A short run after the text that runs into a word is that word's
  // ("<- frame->argp": "->" is the name's), so the text labels nothing.
  const std::int32_t after = ArtCharacter::HeadOf(cells_.Shape(beyond, r)) ? beyond + 1 : beyond;
  const bool worded =
      beyond - (last + 1) < RecognizerGrid::ShortestWordedRun && ArtCharacter::IsWordCharacter(cells_.Shape(after, r));
  // A name set off by "+" on both sides is written into the run, though an
  // arrow points at it ("+-+SubChan1+--+" under TopChan's head).
  const bool capped = last - first >= 2 && cells_.Shape(first, r) == U'+' && cells_.Shape(last, r) == U'+';
  // A name in a frame's side ("+--- layer_three ---+" with "|" under both
  // corners): an arrow meeting it from outside meets the frame, and the name
  // stays the side's.
  const std::optional<std::int32_t> inside = FrameInside(c - 1, beyond, r);
  const bool node = inside ? Meets(first, last, r, *inside) : IsNode(first, last, r);
  // A word set off by short runs that lead nowhere ("--snip--" in a box's
  // text) is written, not drawn: no head at either end, and one end free.
  const bool shortRuns =
      first - c < RecognizerGrid::ShortestWordedRun && beyond - (last + 1) < RecognizerGrid::ShortestWordedRun;
  const bool headed = ArtCharacter::HeadOf(cells_.Shape(c - 1, r)) || ArtCharacter::HeadOf(cells_.Shape(beyond, r)) ||
                      ArtCharacter::HeadOf(cells_.Shape(c, r)) || ArtCharacter::HeadOf(cells_.Shape(beyond - 1, r));
  // Free: the end touches nothing, and past its blanks no word takes a
  // label on ("--(1)- tx_add_input -->" goes on; "-- more --  |" does not).
  auto free = [&](std::int32_t from, std::int32_t step) {
    if (!cells_.Inside(from, r)) return true;
    if (cells_.Shape(from, r) != U' ') return false;
    std::int32_t k = from;
    while (cells_.Inside(k, r) && cells_.Shape(k, r) == U' ') k += step;
    return !cells_.Inside(k, r) || !ArtCharacter::IsWordCharacter(cells_.Shape(k, r));
  };
  const bool endsFree = free(c - 1, -1) || free(beyond, 1);
  const bool decorated = shortRuns && !headed && endsFree;
  if (fits && words && !lone && !worded && !apart && !decorated && Resumes(last + 1, r, stroke) &&
      (outward || capped || !node)) {
    for (std::int32_t k = first; k <= last; ++k) cells_.At(k, r).labelled = true;
  }
  return std::max(first, last + 1);
}

void LabelFinder::MarkWordPunctuation() {
  for (std::int32_t r = 0; r < cells_.Rows(); ++r) {
    std::int32_t c = 0;
    while (c < cells_.Columns()) {
      if (!IsWordPunctuation(cells_.Shape(c, r))) {
        ++c;
        continue;
      }
      std::int32_t last = c;
      while (IsWordPunctuation(cells_.Shape(last + 1, r))) ++last;
      // One or two of them against a letter or digit are the word's; a
      // longer run ("done....>") is a dotted line the word labels.
      const bool touches = IsLetterOrDigit(cells_.Shape(c - 1, r)) || IsLetterOrDigit(cells_.Shape(last + 1, r));
      if (touches && last - c + 1 < ShortestPunctuationRun) {
        for (std::int32_t k = c; k <= last; ++k) cells_.At(k, r).text = true;
      }
      c = last + 1;
    }
  }
}

bool LabelFinder::Resumes(std::int32_t k, std::int32_t r, std::optional<Stroke> stroke) const {
  const bool inWord =
      ArtCharacter::IsWordCharacter(cells_.Shape(k - 1, r)) && ArtCharacter::IsWordCharacter(cells_.Shape(k + 1, r));
  return DottedRun::Across(cells_, k, r) == stroke && !inWord;
}

bool LabelFinder::IsStructure(std::int32_t c, std::int32_t r) const {
  const char32_t code = cells_.Shape(c, r);
  if (code == 0 || code == U' ') return false;
  const bool before = ArtCharacter::IsWordCharacter(cells_.Shape(c - 1, r));
  const bool after = ArtCharacter::IsWordCharacter(cells_.Shape(c + 1, r));
  // Between two letters or digits a character is the word's ("x+1").
  if (before && after) return false;
  // So is "++" after a word ("backoff++", "i++") where no run leaves it.
  const bool vertical = cells_.RunAt(c, r - 1, false) || cells_.RunAt(c, r + 1, false);
  const bool plusAfterWord =
      before || (cells_.Shape(c - 1, r) == U'+' && ArtCharacter::IsWordCharacter(cells_.Shape(c - 2, r)));
  if (code == U'+' && plusAfterWord && !vertical) return false;
  // A "+" between a run and a word, where no run leaves it, sets the label
  // off the run ("+--+TopChan+---+"): it is the label's.
  const bool capsLabel = after && DottedRun::Across(cells_, c - 1, r).has_value();
  if (code == U'+' && capsLabel && !vertical) return false;
  // A corner character turns only where a run leaves it up or down
  // ("rcv SYN / SYN" is words).
  const bool turns = code == U'+' || cells_.RunAt(c, r - 1, false) || cells_.RunAt(c, r + 1, false);
  // A letter beside another is a word's, "v" of "rcv" too.
  const bool word = ArtCharacter::IsLetter(code) && (before || after);
  return cells_.RunAt(c, r, false) || (ArtCharacter::IsCorner(code) && turns) ||
         (ArtCharacter::HeadOf(code) && !word) || ArtCharacter::IsBoxDrawing(code);
}

bool LabelFinder::IsNode(std::int32_t first, std::int32_t last, std::int32_t r) const {
  return Meets(first, last, r, -1) || Meets(first, last, r, 1);
}

std::optional<std::int32_t> LabelFinder::FrameInside(std::int32_t left, std::int32_t right, std::int32_t r) const {
  if (!cells_.IsCorner(left, r) || !cells_.IsCorner(right, r)) return std::nullopt;
  auto turns = [&](std::int32_t dr) {
    return cells_.RunAt(left, r + dr, false).has_value() && cells_.RunAt(right, r + dr, false).has_value();
  };
  if (turns(1) == turns(-1)) return std::nullopt;
  return turns(1) ? 1 : -1;
}

bool LabelFinder::Meets(std::int32_t first, std::int32_t last, std::int32_t r, std::int32_t dr) const {
  // A head pointing at the text; a "v" inside a word ("remove") is none.
  const ArtCharacter::Way at = dr < 0 ? ArtCharacter::Way::Down : ArtCharacter::Way::Up;
  for (std::int32_t k = first; k <= last; ++k) {
    const char32_t near = cells_.Shape(k, r + dr);
    // A "|" drawn inside a run across ("--|--", a frame's top) crosses
    // that run; it does not leave the text.
    const bool crossing = cells_.RunAt(k - 1, r + dr, true) && cells_.RunAt(k + 1, r + dr, true);
    const bool head = near != 0 && ArtCharacter::HeadOf(near) == at && cells_.MarkerAt(k, r + dr).has_value();
    // A lifeline that stops at a message's label ("|<----OnRegistered----|"
    // over the "|" that "-->|" ends on) leaves the label the message's.
    const bool lifeline = cells_.RunAt(k, r + dr, false) && IsLifeline(k, r + dr, dr);
    if ((cells_.RunAt(k, r + dr, false) && !crossing && !lifeline) || head) return true;
  }
  return false;
}

bool LabelFinder::IsLifeline(std::int32_t c, std::int32_t r, std::int32_t dr) const {
  for (std::int32_t y = r; cells_.RunAt(c, y, false); y += dr) {
    if (ArtCharacter::HeadOf(cells_.Shape(c - 1, y)) == ArtCharacter::Way::Right ||
        ArtCharacter::HeadOf(cells_.Shape(c + 1, y)) == ArtCharacter::Way::Left) {
      return true;
    }
  }
  return false;
}

}  // namespace virlo
