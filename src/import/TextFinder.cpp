#include "import/TextFinder.h"

#include <algorithm>
#include <utility>

#include "import/ArtCharacter.h"
#include "objects/MarkerTable.h"
#include "platform/TextCodec.h"
#include "platform/Utf8.h"

namespace virlo {
namespace {

using Use = RecognizerGrid::Use;

}  // namespace

void TextFinder::Run() {
  MakeFramedText();
  CountDrawn();
  AddTexts(Groups(false), false);
  AddTexts(Groups(true), true);
  AddGaps();
  KeepCharacters();
}

void TextFinder::AddGaps() {
  // The gaps of one side down, a dash between each two, are one text box
  // of blank lines with empty lines between them.
  for (std::int32_t c = 0; c < cells_.Columns(); ++c) {
    std::int32_t r = 0;
    while (r < cells_.Rows()) {
      if (cells_.At(c, r).use != Use::Gap) {
        ++r;
        continue;
      }
      ArtPlan::Text text;
      text.first = {c, r};
      text.inFront = true;
      std::int32_t last = r;
      for (std::int32_t k = r; k < cells_.Rows() && k <= last + 2; ++k) {
        if (cells_.At(c, k).use == Use::Gap) last = k;
      }
      for (std::int32_t k = r; k <= last; ++k) text.lines.emplace_back(cells_.At(c, k).use == Use::Gap ? " " : "");
      plan_.texts.push_back(std::move(text));
      r = last + 1;
    }
  }
}

void TextFinder::MakeFramedText() {
  for (ArtPlan::Box& box : plan_.boxes) {
    const std::int32_t width = box.bottomRight.column - box.topLeft.column - 1;
    std::vector<std::string> lines;
    std::vector<std::int32_t> starts;
    if (!FramedLines(box, lines, starts)) continue;
    if (std::all_of(starts.begin(), starts.end(), [](std::int32_t s) { return s < 0; })) continue;
    // A box with another behind it holds its text from its first column,
    // blanks and all, every row as wide as its inside: its blanks hide
    // the frame behind it, as the art does.
    if (box.hides) {
      for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::int32_t start = std::max(starts[k], 0);
        const auto before = static_cast<std::size_t>(start);
        const std::int32_t after = width - start - static_cast<std::int32_t>(lines[k].size());
        lines[k] = std::string(before, ' ') + lines[k] + std::string(static_cast<std::size_t>(std::max(after, 0)), ' ');
        starts[k] = 0;
      }
    }
    while (!box.hides && !lines.empty() && lines.back().empty()) {
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
    box.lines.clear();
    for (std::size_t k = 0; k < lines.size(); ++k) {
      box.lines.push_back(
          TakeText(box.topLeft.column + 1 + starts[k], box.topLeft.row + 1 + static_cast<std::int32_t>(k), lines[k]));
    }
    box.alignment = left ? ArtPlan::Alignment::Left : centre ? ArtPlan::Alignment::Centre : ArtPlan::Alignment::Right;
    for (std::int32_t r = box.topLeft.row + 1; r < box.bottomRight.row; ++r) {
      for (std::int32_t c = box.topLeft.column + 1; c < box.bottomRight.column; ++c) {
        cells_.At(c, r).use = Use::FramedText;
      }
    }
  }
}

bool TextFinder::FramedLines(const ArtPlan::Box& box, std::vector<std::string>& lines,
                             std::vector<std::int32_t>& starts) const {
  const auto [c0, r0] = box.topLeft;
  const auto [c1, r1] = box.bottomRight;
  const ArtGrid& grid = cells_.Source();
  for (std::int32_t r = r0 + 1; r < r1; ++r) {
    std::int32_t first = -1;
    std::int32_t last = -1;
    for (std::int32_t c = c0 + 1; c < c1; ++c) {
      if (cells_.At(c, r).use != Use::Free) return false;
      if (grid.Byte(c, r) != ' ') {
        if (first < 0) first = c - c0 - 1;
        last = c - c0 - 1;
      }
    }
    std::string row;
    if (first >= 0) {
      for (std::int32_t c = c0 + 1 + first; c <= c0 + 1 + last; ++c) row += grid.Byte(c, r);
    }
    lines.push_back(row);
    starts.push_back(first);
  }
  return true;
}

bool TextFinder::IsText(std::int32_t c, std::int32_t r, bool inFront) const {
  if (!cells_.Inside(c, r)) return false;
  const Use use = cells_.At(c, r).use;
  if (inFront) return use == Use::Label || use == Use::Cover;
  return use == Use::Free && cells_.Source().Byte(c, r) != ' ';
}

bool TextFinder::ArtToken(std::int32_t first, std::int32_t last, std::int32_t r) const {
  std::int32_t art = 0;
  bool glyph = false;
  for (std::int32_t c = first; c <= last; ++c) {
    const char32_t code = cells_.At(c, r).code;
    if (code == 0) continue;
    if (ArtCharacter::IsWordCharacter(code) || ArtCharacter::IsLetter(code)) return false;
    glyph = glyph || ArtCharacter::IsBoxDrawing(code);
    const bool shape = ArtCharacter::Run(code, true) || ArtCharacter::Run(code, false) || code == U'+' ||
                       ArtCharacter::HeadOf(code).has_value() || ArtCharacter::IsBoxDrawing(code);
    if (!shape) return false;
    ++art;
  }
  const char32_t alone = cells_.At(first, r).code;
  return glyph || art >= RecognizerGrid::ShortestWordedRun ||
         (first == last && ArtCharacter::Run(alone, false) && alone != U':');
}

bool TextFinder::Fits(const std::vector<Segment>& segments, const Segment& added, bool& left, bool& centre,
                      bool& right) {
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
}

void TextFinder::CountDrawn() {
  drawn_ = CellSet(cells_.Columns(), cells_.Rows());
  for (std::int32_t r = 0; r < cells_.Rows(); ++r) {
    for (std::int32_t c = 0; c < cells_.Columns(); ++c) {
      if (cells_.At(c, r).use != Use::Free) drawn_.Set(c, r);
    }
  }
  drawn_.Sum();
}

std::vector<TextFinder::Group> TextFinder::Groups(bool inFront) const {
  // Segments of a row that overlap one above and sit with it as a text box
  // aligns its lines join its group.
  std::vector<Group> groups;
  // The groups still open, by the row they reach: only those of the row above can grow.
  std::vector<std::size_t> open;
  for (std::int32_t r = 0; r < cells_.Rows(); ++r) open = GroupRow(r, inFront, groups, open);
  return groups;
}

std::vector<std::size_t> TextFinder::GroupRow(std::int32_t r, bool inFront, std::vector<Group>& groups,
                                              const std::vector<std::size_t>& open) const {
  auto isGap = [&](std::int32_t c) {
    return cells_.Inside(c, r) && cells_.At(c, r).use == Use::Free && cells_.Source().Byte(c, r) == ' ';
  };
  std::vector<std::size_t> extended;
  std::size_t candidate = 0;
  for (std::int32_t c = 0; c < cells_.Columns(); ++c) {
    if (!IsText(c, r, inFront)) continue;
    Segment segment{c, {}, false};
    std::int32_t k = c;
    // Word by word ("token"): line art and words are not one segment.
    auto token = [&](std::int32_t from) {
      std::int32_t end = from;
      while (end < cells_.Columns() && IsText(end, r, inFront)) ++end;
      return end;
    };
    std::int32_t tokenEnd = token(k);
    segment.art = !inFront && ArtToken(k, tokenEnd - 1, r);
    for (;;) {
      for (; k < tokenEnd; ++k) segment.bytes += cells_.Source().Byte(k, r);
      if (inFront || !isGap(k) || !IsText(k + 1, r, inFront)) break;
      const std::int32_t next = token(k + 1);
      if (ArtToken(k + 1, next - 1, r) != segment.art) break;
      segment.bytes += cells_.Source().Byte(k, r);
      ++k;
      tokenEnd = next;
    }
    c = k;
    const std::int32_t end = segment.start + static_cast<std::int32_t>(segment.bytes.size());
    // The open groups are in column order: step past those left of the segment.
    while (candidate < open.size()) {
      const Segment& above = groups[open[candidate]].segments.back();
      if (above.start + static_cast<std::int32_t>(above.bytes.size()) > segment.start) break;
      ++candidate;
    }
    bool joined = false;
    for (std::size_t o = candidate; o < open.size() && !joined; ++o) {
      Group& g = groups[open[o]];
      if (g.segments.back().start >= end) break;
      if (std::find(extended.begin(), extended.end(), open[o]) != extended.end()) continue;
      // Labels of two lines are two text boxes, however they stack.
      if (inFront && LabelOwner(g.segments.back().start, r - 1) != LabelOwner(segment.start, r)) continue;
      // Line art left as text is held with the same column's only, one cell a row (a run down).
      const Segment& above = g.segments.back();
      if (above.art != segment.art) continue;
      if (segment.art && (segment.bytes.size() != 1 || above.bytes.size() != 1 || above.start != segment.start)) {
        continue;
      }
      bool left = g.left;
      bool centre = g.centre;
      bool right = g.right;
      if (!Fits(g.segments, segment, left, centre, right)) continue;
      // A text box laid over line art would hold it (a lifeline between
      // the lines of a note that crosses it higher up).
      if (!inFront) {
        std::int32_t first = segment.start;
        std::int32_t last = end - 1;
        for (const Segment& s : g.segments) {
          first = std::min(first, s.start);
          last = std::max(last, s.start + static_cast<std::int32_t>(s.bytes.size()) - 1);
        }
        if (drawn_.Any(first, g.row, last, r)) continue;
      }
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
  return extended;
}

ArtPlan::Element TextFinder::LabelOwner(std::int32_t c, std::int32_t r) const {
  const RecognizerGrid::Cell& cell = cells_.At(c, r);
  if (cell.use != Use::Label) return {};
  return cell.across ? cell.across : cell.down;
}

void TextFinder::AddTexts(const std::vector<Group>& groups, bool inFront) {
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
      text.lines.push_back(TakeText(s.start, g.row + static_cast<std::int32_t>(text.lines.size()), s.bytes));
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
    text.label = inFront && cells_.At(first.start, g.row).use == Use::Label;
    plan_.texts.push_back(std::move(text));
  }
}

std::string TextFinder::TakeText(std::int32_t column, std::int32_t row, const std::string& bytes) {
  const ArtGrid& grid = cells_.Source();
  if (taken_.empty()) taken_.assign(static_cast<std::size_t>(cells_.Rows() * cells_.Columns()), false);
  const auto end = column + static_cast<std::int32_t>(bytes.size());
  std::string text;
  std::string held;
  for (std::int32_t c = column; c < end; ++c) {
    const ArtGrid::Cell& source = grid.At(c, row);
    taken_[static_cast<std::size_t>(row * cells_.Columns() + c)] = true;
    if (source.held != ArtGrid::Held::Character) {
      held += bytes[static_cast<std::size_t>(c - column)];
      continue;
    }
    if (source.code == 0) continue;
    text += TextCodec::Cp932ToUtf8(held);
    held.clear();
    text += grid.Utf8Of(c, row);
  }
  return text + TextCodec::Cp932ToUtf8(held);
}

void TextFinder::KeepCharacters() {
  // A character the code page lacks outside any text (over a line, say)
  // stands in front as itself; in a text, the text holds it.
  const ArtGrid& grid = cells_.Source();
  for (std::int32_t r = 0; r < cells_.Rows(); ++r) {
    for (std::int32_t c = 0; c < cells_.Columns(); ++c) {
      const ArtGrid::Cell& source = grid.At(c, r);
      if (source.held != ArtGrid::Held::Character || source.code == 0) continue;
      if (!taken_.empty() && taken_[static_cast<std::size_t>(r * cells_.Columns() + c)]) continue;
      const Use use = cells_.At(c, r).use;
      if (use != Use::Free && use != Use::Label && use != Use::Cover && use != Use::FramedText) continue;
      plan_.characters.push_back({{c, r}, ArtPlan::Marker{MarkerTable::Character, source.code}, {}});
    }
  }
}

}  // namespace virlo
