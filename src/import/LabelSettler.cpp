#include "import/LabelSettler.h"

#include <algorithm>
#include <optional>

#include "objects/Box.h"
#include "objects/Line.h"
#include "objects/LinkPoint.h"
#include "objects/MarkerTable.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"

namespace virlo {
namespace {

// How far a line's free end may stop before the text it leads to: `──  name`
// along a row, the row just above or below, or one between, down a column.
constexpr std::int32_t NodeReachAcross = 3;
constexpr std::int32_t NodeReachDown = 2;

// A rule: a line that touches nothing, its ends showing its own run. It
// names nothing, so text above or below it is no label of it.
bool IsRule(const Line& line) {
  for (const LinkPoint* end : {&line.start, &line.end}) {
    if (end->partner != nullptr || end->hostLine != nullptr) return false;
    if (end->marker != MarkerTable::HorizontalLine && end->marker != MarkerTable::VerticalLine) return false;
  }
  return true;
}

}  // namespace

LabelSettler::LabelSettler(const Sheet& sheet, const std::vector<Box*>& boxes, const std::vector<Line*>& lines)
    : sheet_(sheet) {
  for (const Box* box : boxes) {
    if (box == nullptr) continue;
    const Rect frame = box->Frame();
    const Point first = sheet.CellOf(frame.left, frame.top);
    const Point last = sheet.CellOf(frame.right, frame.bottom);
    frames_.push_back({first.x, first.y, last.x + 1, last.y + 1});
  }
  for (const Line* line : lines) {
    if (line == nullptr) continue;
    const Point a = sheet.CellOf(line->start.x, line->start.y);
    const Point b = sheet.CellOf(line->end.x, line->end.y);
    const bool horizontal = line->orientation == Line::Horizontal;
    // An end that turns a corner or rests on something leads nowhere.
    if (line->start.partner == nullptr && line->start.hostLine == nullptr) {
      freeEnds_[Key(a.x, a.y)].push_back({b, horizontal});
    }
    if (line->end.partner == nullptr && line->end.hostLine == nullptr) {
      freeEnds_[Key(b.x, b.y)].push_back({a, horizontal});
    }
  }
}

std::uint64_t LabelSettler::Key(std::int32_t column, std::int32_t row) {
  return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(row)) << 32) | static_cast<std::uint32_t>(column);
}

LabelSettler::Cells LabelSettler::CellsOfLine(const Line& line) const {
  const Point a = sheet_.CellOf(line.start.x, line.start.y);
  const Point b = sheet_.CellOf(line.end.x, line.end.y);
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1, std::max(a.y, b.y) + 1};
}

bool LabelSettler::LeadsTo(std::int32_t column, std::int32_t row, bool horizontal, Point towards) const {
  const auto found = freeEnds_.find(Key(column, row));
  if (found == freeEnds_.end()) return false;
  for (const FreeEnd& end : found->second) {
    if (end.horizontal != horizontal) continue;
    // The line runs from its other end through this one towards the text.
    const std::int64_t ahead = horizontal ? std::int64_t{towards.x} - column : std::int64_t{towards.y} - row;
    const std::int64_t behind = horizontal ? std::int64_t{end.other.x} - column : std::int64_t{end.other.y} - row;
    if (ahead * behind <= 0) return true;
  }
  return false;
}

bool LabelSettler::IsNode(const Cells& text) const {
  if (freeEnds_.empty()) return false;
  // Along its rows: an end up to NodeReachAcross cells before or after it.
  for (std::int32_t r = text.top; r < text.bottom; ++r) {
    for (std::int32_t k = 1; k <= NodeReachAcross; ++k) {
      if (LeadsTo(text.left - k, r, true, {text.left, r})) return true;
      if (LeadsTo(text.right - 1 + k, r, true, {text.right - 1, r})) return true;
    }
  }
  // Down its columns: an end up to NodeReachDown rows above or below it.
  for (std::int32_t c = text.left; c < text.right; ++c) {
    for (std::int32_t k = 1; k <= NodeReachDown; ++k) {
      if (LeadsTo(c, text.top - k, false, {c, text.top})) return true;
      if (LeadsTo(c, text.bottom - 1 + k, false, {c, text.bottom - 1})) return true;
    }
  }
  return false;
}

void LabelSettler::Settle(const std::vector<StrBox*>& texts) const {
  auto holds = [](const Cells& outer, const Cells& inner) {
    return outer.left <= inner.left && inner.right <= outer.right && outer.top <= inner.top &&
           inner.bottom <= outer.bottom;
  };
  for (StrBox* text : texts) {
    const Rect rect = text->TextCells();
    const Cells cells{rect.left, rect.top, rect.right, rect.bottom};
    std::optional<Cells> within;
    for (const Cells& frame : frames_) {
      if (holds(frame, cells) && (!within || holds(*within, frame))) within = frame;
    }
    const bool node = IsNode(cells);
    text->SettleRest([&](const Line& line) {
      // A node rests only on a line running through it, never beside it;
      // so does any text by a rule.
      if ((node || IsRule(line)) && text->Touching(line) != 0) return false;
      return !within || holds(*within, CellsOfLine(line));
    });
  }
}

}  // namespace virlo
