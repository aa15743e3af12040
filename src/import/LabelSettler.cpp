#include "import/LabelSettler.h"

#include <algorithm>
#include <optional>
#include <tuple>

#include "objects/Box.h"
#include "objects/Line.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"

namespace virlo {
namespace {

// How far a line's free end may stop before the text it leads to: `──  name`
// along a row, the row just above or below, or one between, down a column.
constexpr std::int32_t NodeReachAcross = 3;
constexpr std::int32_t NodeReachDown = 2;

}  // namespace

LabelSettler::LabelSettler(const Sheet& sheet, const std::vector<Box*>& boxes, const std::vector<Line*>& lines)
    : sheet_(sheet), lines_(lines) {
  for (const Box* box : boxes) {
    if (box == nullptr) continue;
    const Rect frame = box->Frame();
    const Point first = sheet.CellOf(frame.left, frame.top);
    const Point last = sheet.CellOf(frame.right, frame.bottom);
    frames_.push_back({first.x, first.y, last.x + 1, last.y + 1});
  }
}

LabelSettler::Cells LabelSettler::CellsOfLine(const Line& line) const {
  const Point a = sheet_.CellOf(line.start.x, line.start.y);
  const Point b = sheet_.CellOf(line.end.x, line.end.y);
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1, std::max(a.y, b.y) + 1};
}

bool LabelSettler::IsNode(const Cells& text) const {
  for (const Line* line : lines_) {
    if (line == nullptr) continue;
    const Point a = sheet_.CellOf(line->start.x, line->start.y);
    const Point b = sheet_.CellOf(line->end.x, line->end.y);
    // An end that turns a corner or rests on something leads nowhere.
    const bool aFree = line->start.partner == nullptr && line->start.hostLine == nullptr;
    const bool bFree = line->end.partner == nullptr && line->end.hostLine == nullptr;
    for (const auto& [end, other, free] : {std::tuple{a, b, aFree}, std::tuple{b, a, bFree}}) {
      if (!free) continue;
      if (line->orientation == Line::Horizontal) {
        if (end.y < text.top || end.y >= text.bottom) continue;
        // Towards the text: the end lies before it and the line runs that way.
        const bool before = end.x < text.left && text.left - end.x <= NodeReachAcross && other.x <= end.x;
        const bool after = end.x >= text.right && end.x - text.right < NodeReachAcross && other.x >= end.x;
        if (before || after) return true;
      } else {
        if (end.x < text.left || end.x >= text.right) continue;
        const bool above = end.y < text.top && text.top - end.y <= NodeReachDown && other.y <= end.y;
        const bool below = end.y >= text.bottom && end.y - text.bottom < NodeReachDown && other.y >= end.y;
        if (above || below) return true;
      }
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
      // A node rests only on a line running through it, never beside it.
      if (node && text->Touching(line) != 0) return false;
      return !within || holds(*within, CellsOfLine(line));
    });
  }
}

}  // namespace virlo
