#include "import/LeftoverFinder.h"

#include <algorithm>
#include <string>
#include <utility>

#include "import/ArtCharacter.h"
#include "platform/Utf8.h"

namespace virlo {
namespace {

using Way = ArtCharacter::Way;

using Why = ArtPlan::Why;

// Runs of "." and "_" listed are at least this long.
constexpr std::int32_t ShortestRun = 3;

}  // namespace

const char* LeftoverFinder::Reason(Why why) {
  switch (why) {
    case Why::GivenUp:
      return "read as lines, it did not come back as drawn";
    case Why::TooShort:
      return "too short for a line";
    case Why::NoLine:
      return "no line reads it";
    case Why::LoneHead:
      return "an arrowhead at no line's end";
    case Why::DottedRun:
      return "a dotted run is no line";
    case Why::SlantedRun:
      return "slanted lines stay text";
    case Why::UnderscoreRun:
      return "a run of underscores is no line";
    case Why::RulerTick:
      return "the ticks of a ruler stay text";
    case Why::SideJog:
      return "a box's side set a cell aside stays text";
  }
  return "";
}

void LeftoverFinder::Run() {
  reported_.assign(static_cast<std::size_t>(cells_.Columns()) * static_cast<std::size_t>(cells_.Rows()), 0);
  for (const bool across : {true, false}) {
    const std::int32_t outer = across ? cells_.Rows() : cells_.Columns();
    const std::int32_t inner = across ? cells_.Columns() : cells_.Rows();
    for (std::int32_t o = 0; o < outer; ++o) {
      for (std::int32_t i = 0; i < inner; ++i) {
        const std::int32_t c = across ? i : o;
        const std::int32_t r = across ? o : i;
        if (!LineArt(c, r, across) || reported_[cells_.Index(c, r)] != 0) continue;
        i = Piece(across, o, i);
      }
    }
  }
  for (std::int32_t r = 0; r < cells_.Rows(); ++r) {
    for (std::int32_t c = 0; c < cells_.Columns(); ++c) {
      if (!Free(c, r) || reported_[cells_.Index(c, r)] != 0) continue;
      const char32_t code = cells_.At(c, r).code;
      if (code == U'.') {
        c = Dotted(c, r);
      } else if (code == U'_') {
        c = Underscores(c, r);
      } else if (code == U'/' || code == U'\\') {
        Slanted(c, r);
      }
    }
  }
  // Heads last: one that ends a dotted run is the run's.
  for (std::int32_t r = 0; r < cells_.Rows(); ++r) {
    for (std::int32_t c = 0; c < cells_.Columns(); ++c) {
      if (Free(c, r) && reported_[cells_.Index(c, r)] == 0 && Head(c, r)) {
        Add({{c, r}}, WhyOf({{c, r}}, Why::LoneHead));
      }
    }
  }
  std::sort(plan_.leftAsText.begin(), plan_.leftAsText.end(), [](const ArtPlan::Piece& a, const ArtPlan::Piece& b) {
    return a.First().row != b.First().row ? a.First().row < b.First().row : a.First().column < b.First().column;
  });
}

bool LeftoverFinder::Free(std::int32_t c, std::int32_t r) const {
  return cells_.Inside(c, r) && cells_.At(c, r).use == RecognizerGrid::Use::Free;
}

bool LeftoverFinder::Jogged(std::int32_t c, std::int32_t r) const {
  for (const std::int32_t k : {-1, 1}) {
    const RecognizerGrid::Cell& side = cells_.At(c + k, r);
    const bool down = side.side == ArtPlan::Side::Left || side.side == ArtPlan::Side::Right;
    const bool onSide = side.use == RecognizerGrid::Use::BoxSide || side.use == RecognizerGrid::Use::Gap;
    if (onSide && down && side.code == U' ') return true;
  }
  return false;
}

bool LeftoverFinder::LineArt(std::int32_t c, std::int32_t r, bool across) const {
  if (!Free(c, r)) return false;
  const char32_t code = cells_.At(c, r).code;
  return ArtCharacter::Run(code, across) || code == U'+' || ArtCharacter::IsBoxDrawing(code);
}

bool LeftoverFinder::NearWord(std::int32_t c, std::int32_t r) const {
  auto word = [&](std::int32_t k) {
    return cells_.Inside(k, r) && ArtCharacter::IsWordCharacter(cells_.At(k, r).code);
  };
  auto blank = [&](std::int32_t k) { return cells_.Inside(k, r) && cells_.At(k, r).code == U' '; };
  return word(c - 1) || word(c + 1) || (blank(c - 1) && word(c - 2)) || (blank(c + 1) && word(c + 2));
}

bool LeftoverFinder::Head(std::int32_t c, std::int32_t r) const {
  const char32_t code = cells_.At(c, r).code;
  const std::optional<Way> way = ArtCharacter::HeadOf(code);
  if (!way || NearWord(c, r)) return false;
  // A row of them ("^^^^ EXCESS ^^^^") marks text, and a column of them
  // lines quoted: they point nowhere.
  if (cells_.At(c - 1, r).code == code || cells_.At(c + 1, r).code == code || cells_.At(c, r - 1).code == code ||
      cells_.At(c, r + 1).code == code) {
    return false;
  }
  // "<>" is a marker of its own, no arrowhead.
  if ((code == U'<' && cells_.At(c + 1, r).code == U'>') || (code == U'>' && cells_.At(c - 1, r).code == U'<')) {
    return false;
  }
  // Where its line would come from: line art, or a blank for a head whose
  // line is lost. Anything else makes it a bracket ("<?>") or a sign.
  const std::int32_t tc = *way == Way::Right ? c - 1 : *way == Way::Left ? c + 1 : c;
  const std::int32_t tr = *way == Way::Down ? r - 1 : *way == Way::Up ? r + 1 : r;
  const char32_t tail = cells_.At(tc, tr).code;
  const bool art = ArtCharacter::Run(tail, true) || ArtCharacter::Run(tail, false) || ArtCharacter::IsCorner(tail) ||
                   ArtCharacter::IsBoxDrawing(tail);
  // A head and a run of one cell between words, blanks either side
  // ("0      <=      readerIndex"): an operator.
  if (tr == r && ArtCharacter::Run(tail, true)) {
    const std::int32_t first = std::min(c, tc);
    const std::int32_t last = std::max(c, tc);
    auto wordPast = [&](std::int32_t from, std::int32_t step) {
      std::int32_t k = from + step;
      std::int32_t blanks = 0;
      while (blanks < RecognizerGrid::MaxOperatorGap && cells_.Inside(k, r) && cells_.At(k, r).code == U' ') {
        ++blanks;
        k += step;
      }
      return blanks > 0 && cells_.Inside(k, r) && ArtCharacter::IsWordCharacter(cells_.At(k, r).code);
    };
    if (wordPast(first, -1) && wordPast(last, 1)) return false;
  }
  // A letter is a head only where it ends line art ("v" under a run or a
  // corner) with blanks beside it: "'V'", "V=2" and ".v" are words'.
  if (ArtCharacter::IsLetter(code)) {
    const bool across = *way == Way::Left || *way == Way::Right;
    auto blank = [&](std::int32_t k) {
      const std::int32_t bc = across ? c : c + k;
      const std::int32_t br = across ? r + k : r;
      return !cells_.Inside(bc, br) || cells_.At(bc, br).code == U' ';
    };
    return art && blank(-1) && blank(1);
  }
  return art || tail == U' ';
}

std::int32_t LeftoverFinder::Piece(bool across, std::int32_t o, std::int32_t i) {
  auto cellAt = [&](std::int32_t k) { return across ? ArtPlan::Cell{k, o} : ArtPlan::Cell{o, k}; };
  auto code = [&](std::int32_t k) {
    const ArtPlan::Cell at = cellAt(k);
    return cells_.At(at.column, at.row).code;
  };
  std::int32_t last = i;
  while (LineArt(cellAt(last + 1).column, cellAt(last + 1).row, across)) ++last;
  const std::int32_t length = last - i + 1;
  // The "|" a box's side jogs to for a row, beside the side's blank.
  if (!across && length == 1 && Jogged(o, i)) {
    Add({cellAt(i)}, Why::SideJog);
    return i;
  }
  bool glyph = false;
  for (std::int32_t k = i; k <= last; ++k) glyph = glyph || ArtCharacter::IsBoxDrawing(code(k));
  const bool word = ArtCharacter::IsWordCharacter(code(i - 1)) || ArtCharacter::IsWordCharacter(code(last + 1));
  // Between words, a blank either side ("len == 127"): an operator.
  auto wordPast = [&](std::int32_t k, std::int32_t step) {
    return across && code(k + step) == U' ' && ArtCharacter::IsWordCharacter(code(k + 2 * step));
  };
  // The same characters again past the words one blank on ("-- more --" in
  // a box's text): dashes the words are set off with.
  auto framesWords = [&](std::int32_t k, std::int32_t step) {
    if (!wordPast(k, step)) return false;
    std::int32_t at = k + 2 * step;
    while (ArtCharacter::IsWordCharacter(code(at)) ||
           (code(at) == U' ' && ArtCharacter::IsWordCharacter(code(at + step)))) {
      at += step;
    }
    return code(at) == U' ' && code(at + step) == code(i);
  };
  const bool setOff = code(i - 1) == U' ' && code(last + 1) == U' ' && (framesWords(i, -1) || framesWords(last, 1));
  const bool between = (wordPast(i, -1) && wordPast(last, 1)) || setOff;
  // A "|" alone that goes on from a line's run right above or below it (a
  // lifeline's cell the reading gave up on) is line art all the same.
  auto lineRunAt = [&](std::int32_t k) {
    const ArtPlan::Cell at = cellAt(k);
    return cells_.Inside(at.column, at.row) && !Free(at.column, at.row) && code(k) == code(i);
  };
  const bool continues =
      !across && length == 1 && ArtCharacter::Run(code(i), false) && (lineRunAt(i - 1) || lineRunAt(last + 1));
  if (!glyph && !continues && (length < 2 || ((word || between) && length < RecognizerGrid::ShortestWordedRun))) {
    return i;
  }
  // The ticks of a ruler are line art, though a number stands against each.
  if (!across && cells_.RulerTick(o, i)) {
    std::vector<ArtPlan::Cell> ticks;
    for (std::int32_t k = i; k <= last; ++k) ticks.push_back(cellAt(k));
    Add(ticks, WhyOf(ticks, Why::RulerTick));
    return last;
  }
  // A column of marks each against a word in its row: "send:" over
  // "recv:", bullets "+" before their lines.
  bool marks = !across;
  for (std::int32_t k = i; k <= last && marks; ++k) marks = NearWord(cellAt(k).column, cellAt(k).row);
  if (marks) return last;
  std::vector<ArtPlan::Cell> cells;
  // The arrowhead the run ends in, either way, is the piece's.
  const ArtPlan::Cell before = cellAt(i - 1);
  const ArtPlan::Cell after = cellAt(last + 1);
  const bool backHead =
      Free(before.column, before.row) && ArtCharacter::HeadOf(code(i - 1)) == (across ? Way::Left : Way::Up);
  const bool foreHead =
      Free(after.column, after.row) && ArtCharacter::HeadOf(code(last + 1)) == (across ? Way::Right : Way::Down);
  if (backHead) cells.push_back(before);
  for (std::int32_t k = i; k <= last; ++k) cells.push_back(cellAt(k));
  if (foreHead) cells.push_back(after);
  Add(cells, WhyOf(cells, length < ShortestRun ? Why::TooShort : Why::NoLine));
  return foreHead ? last + 1 : last;
}

std::int32_t LeftoverFinder::Dotted(std::int32_t c, std::int32_t r) {
  // Dots one after another, or a blank between each two (". . ."), with an
  // arrowhead at either end: a dotted message left as text. Dots alone are
  // an ellipsis.
  std::int32_t last = c;
  std::int32_t dots = 1;
  bool spaced = false;
  for (;;) {
    if (Free(last + 1, r) && cells_.At(last + 1, r).code == U'.') {
      ++last;
    } else if (Free(last + 2, r) && cells_.At(last + 1, r).code == U' ' && cells_.At(last + 2, r).code == U'.') {
      last += 2;
      spaced = true;
    } else {
      break;
    }
    ++dots;
  }
  if (dots < ShortestRun) return last;
  // The head, right at the run's end or a blank past it where the dots
  // stand a blank apart.
  auto head = [&](std::int32_t k, Way way) {
    return Free(k, r) && reported_[cells_.Index(k, r)] == 0 && ArtCharacter::HeadOf(cells_.At(k, r).code) == way;
  };
  auto blank = [&](std::int32_t k) { return cells_.At(k, r).code == U' '; };
  std::int32_t from = c;
  if (head(c - 1, Way::Left)) {
    from = c - 1;
  } else if (spaced && blank(c - 1) && head(c - 2, Way::Left)) {
    from = c - 2;
  }
  std::int32_t to = last;
  if (head(last + 1, Way::Right)) {
    to = last + 1;
  } else if (spaced && blank(last + 1) && head(last + 2, Way::Right)) {
    to = last + 2;
  }
  if (from == c && to == last) return last;
  std::vector<ArtPlan::Cell> cells;
  for (std::int32_t k = from; k <= to; ++k) cells.push_back({k, r});
  Add(cells, WhyOf(cells, Why::DottedRun));
  return to;
}

std::int32_t LeftoverFinder::Underscores(std::int32_t c, std::int32_t r) {
  std::int32_t last = c;
  while (Free(last + 1, r) && cells_.At(last + 1, r).code == U'_') ++last;
  // "snake_case" is a word's.
  auto word = [&](std::int32_t k) {
    return cells_.Inside(k, r) && ArtCharacter::IsWordCharacter(cells_.At(k, r).code);
  };
  if (last - c + 1 < ShortestRun || word(c - 1) || word(last + 1)) return last;
  std::vector<ArtPlan::Cell> cells;
  for (std::int32_t k = c; k <= last; ++k) cells.push_back({k, r});
  Add(cells, WhyOf(cells, Why::UnderscoreRun));
  return last;
}

void LeftoverFinder::Slanted(std::int32_t c, std::int32_t r) {
  const char32_t code = cells_.At(c, r).code;
  // "//" is a comment's marker or an address's, no slanted line.
  auto doubled = [&](std::int32_t k, std::int32_t row) {
    return cells_.At(k - 1, row).code == code || cells_.At(k + 1, row).code == code;
  };
  if (doubled(c, r)) return;
  const std::int32_t dc = code == U'/' ? -1 : 1;
  // Down a row, one column aside or two (a flatter slope).
  auto next = [&](const ArtPlan::Cell& at, std::int32_t step) {
    const ArtPlan::Cell below{at.column + step * dc, at.row + 1};
    return Free(below.column, below.row) && cells_.At(below.column, below.row).code == code &&
           !doubled(below.column, below.row);
  };
  auto previous = [&](std::int32_t step) {
    return Free(c - step * dc, r - 1) && cells_.At(c - step * dc, r - 1).code == code;
  };
  if (previous(1) || previous(2)) return;
  std::vector<ArtPlan::Cell> cells{{c, r}};
  for (;;) {
    const ArtPlan::Cell at = cells.back();
    if (next(at, 1)) {
      cells.push_back({at.column + dc, at.row + 1});
    } else if (next(at, 2)) {
      cells.push_back({at.column + 2 * dc, at.row + 1});
    } else {
      break;
    }
  }
  // A word's where each of its cells stands against a word ("and/or",
  // "TCP / IP", "send ES /" over "send R /").
  if (std::all_of(cells.begin(), cells.end(), [&](const ArtPlan::Cell& at) { return NearWord(at.column, at.row); })) {
    return;
  }
  Add(cells, WhyOf(cells, Why::SlantedRun));
}

ArtPlan::Why LeftoverFinder::WhyOf(const std::vector<ArtPlan::Cell>& cells, Why shape) const {
  const bool givenUp = std::any_of(cells.begin(), cells.end(),
                                   [&](const ArtPlan::Cell& at) { return cells_.At(at.column, at.row).text; });
  return givenUp ? Why::GivenUp : shape;
}

void LeftoverFinder::Add(const std::vector<ArtPlan::Cell>& cells, Why why) {
  std::string text;
  for (const ArtPlan::Cell& at : cells) {
    reported_[cells_.Index(at)] = 1;
    text += Utf8::Encode(cells_.At(at.column, at.row).code);
  }
  plan_.leftAsText.push_back({std::move(text), why, cells});
}

}  // namespace virlo
