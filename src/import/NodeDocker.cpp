#include "import/NodeDocker.h"

#include <utility>

#include "import/ArtCharacter.h"
#include "objects/Line.h"
#include "objects/LinkPoint.h"
#include "objects/MarkerTable.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"

namespace virlo {
namespace {

// How far an end may stop before the text it leads to: the next cell, or
// past one blank.
constexpr std::int32_t MostBlanks = 1;

}  // namespace

NodeDocker::NodeDocker(const Sheet& sheet, const std::vector<StrBox*>& texts) : sheet_(sheet) {
  for (StrBox* text : texts) {
    if (text->frame != 0) continue;
    const Rect cells = text->TextCells();
    for (std::int32_t r = cells.top; r < cells.bottom; ++r) {
      for (std::int32_t c = cells.left; c < cells.right; ++c) textAt_.emplace(Key(c, r), text);
    }
  }
}

std::uint64_t NodeDocker::Key(std::int32_t column, std::int32_t row) {
  return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(row)) << 32) | static_cast<std::uint32_t>(column);
}

void NodeDocker::Dock(const std::vector<Line*>& lines) const {
  if (textAt_.empty()) return;
  for (Line* line : lines) {
    if (line == nullptr || line->parent != nullptr) continue;
    Line* atStart = FacingSide(*line, line->start, line->end);
    Line* atEnd = FacingSide(*line, line->end, line->start);
    // A plain run across beside text that leads nowhere at its other end
    // is a rule or an underline ("Timeout=2MSL ----------"), no edge.
    if (line->orientation == Line::Horizontal && !HasHead(line->start) && !HasHead(line->end)) {
      // An end shows a corner or a marker, or is attached, or leads to text.
      auto held = [](const LinkPoint& end, const Line* side) {
        const bool plain = end.marker == MarkerTable::HorizontalLine || end.marker == MarkerTable::VerticalLine;
        return !plain || side != nullptr || end.partner != nullptr || end.hostLine != nullptr;
      };
      if (!held(line->start, atStart) || !held(line->end, atEnd)) continue;
    }
    for (const auto& [end, side] : {std::pair{&line->start, atStart}, std::pair{&line->end, atEnd}}) {
      if (side == nullptr) continue;
      end->SetLine(side);
      end->gap = 0;
    }
  }
}

bool NodeDocker::HasHead(const LinkPoint& end) {
  if (end.marker >= MarkerTable::LeftArrow && end.marker <= MarkerTable::DownArrow) return true;
  return end.marker == MarkerTable::Character && ArtCharacter::HeadOf(static_cast<char32_t>(end.character));
}

Line* NodeDocker::FacingSide(const Line& line, const LinkPoint& end, const LinkPoint& other) const {
  if (end.partner != nullptr || end.hostLine != nullptr) return nullptr;
  const Point at = sheet_.CellOf(end.x, end.y);
  const Point from = sheet_.CellOf(other.x, other.y);
  const bool horizontal = line.orientation == Line::Horizontal;
  // The way the line leads out of this end; a line of one cell (a head
  // alone, "⇓" under START) leads back from its start and on from its end.
  const std::int32_t alone = &end == &line.start ? -1 : 1;
  std::int32_t dc = horizontal ? (at.x > from.x) - (at.x < from.x) : 0;
  std::int32_t dr = horizontal ? 0 : (at.y > from.y) - (at.y < from.y);
  if (dc == 0 && dr == 0) {
    dc = horizontal ? alone : 0;
    dr = horizontal ? 0 : alone;
  }
  // An end shown by a corner or a tee of its own ("└" ending a tree's
  // trunk) leads only where that has an arm, not on past it.
  if (end.marker == MarkerTable::Character) {
    const ArtCharacter::Arms arms = ArtCharacter::ArmsOf(static_cast<char32_t>(end.character));
    using Way = ArtCharacter::Way;
    const Way way = dc > 0 ? Way::Right : dc < 0 ? Way::Left : dr > 0 ? Way::Down : Way::Up;
    if (arms.Any() && arms[way] == 0) return nullptr;
  }
  // The text in the next cell, or past one blank.
  for (std::int32_t k = 1; k <= MostBlanks + 1; ++k) {
    const auto found = textAt_.find(Key(at.x + dc * k, at.y + dr * k));
    if (found == textAt_.end()) continue;
    StrBox* text = found->second;
    // The side of its frame that faces the end: in the end's own cell, or
    // in the blank before the text, where the end is docked.
    return dc > 0 ? &text->left : dc < 0 ? &text->right : dr > 0 ? &text->top : &text->bottom;
  }
  return nullptr;
}

}  // namespace virlo
