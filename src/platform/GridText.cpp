#include "platform/GridText.h"

#include <optional>

#include "platform/CharacterCell.h"
#include "platform/Utf8.h"

namespace virlo {

bool GridText::Reader::Next(Glyph& glyph) {
  while (at_ < line_.size()) {
    if (line_[at_] == '\t') {
      cell_ = (cell_ / tabCells_ + 1) * tabCells_;
      ++at_;
      continue;
    }
    const CharacterCell::Cluster cluster = CharacterCell::Next(line_, at_);
    if (!Utf8::IsValid(cluster.utf8)) {
      // A byte that is no UTF-8 shows as the art shows it.
      glyph = {"?", cell_, 1};
    } else {
      // Marks with nothing to join stand on a blank, as in the art.
      glyph = {(cluster.lone ? " " : "") + std::string(cluster.utf8), cell_, cluster.cells};
    }
    cell_ += cluster.cells;
    return true;
  }
  return false;
}

GridText::GlyphRow GridText::Glyphs(std::string_view line, std::int32_t tabCells) {
  GlyphRow row;
  Reader reader(line, tabCells);
  Glyph glyph;
  while (reader.Next(glyph)) row.push_back(std::move(glyph));
  return row;
}

std::int32_t GridText::Cells(const GlyphRow& row) { return row.empty() ? 0 : row.back().cell + row.back().cells; }

std::vector<GridText::RowSpan> GridText::Rows(std::string_view line, std::int32_t tabCells, std::int32_t maxCells,
                                              std::size_t limit) {
  std::vector<RowSpan> rows;
  Glyph glyph;
  Reader end(line, tabCells);
  std::int32_t total = 0;
  while (end.Next(glyph)) total = glyph.cell + glyph.cells;
  Reader at(line, tabCells);
  if (maxCells <= 0) {
    if (limit > 0) rows.push_back({at, end, 0, total});
    return rows;
  }
  while (rows.size() < limit) {
    Reader probe = at;
    const bool any = probe.Next(glyph);
    const std::int32_t origin = any ? glyph.cell : 0;
    if (!any || total - origin <= maxCells) {
      rows.push_back({at, end, origin, any ? total - origin : 0});
      break;
    }
    // Up to the first glyph that no longer fits, then back to just after the
    // last blank before it, the row's first glyph aside.
    RowSpan span{at, at, origin, 0};
    std::optional<Reader> afterBlank;
    std::int32_t blankEnd = 0;
    std::int32_t count = 0;
    Reader reader = at;
    while (true) {
      const Reader before = reader;
      if (!reader.Next(glyph) || glyph.cell + glyph.cells - origin > maxCells) {
        span.end = before;
        break;
      }
      if (count > 0 && glyph.utf8 == " ") {
        afterBlank = reader;
        blankEnd = glyph.cell + glyph.cells;
      }
      span.cells = glyph.cell + glyph.cells - origin;
      ++count;
    }
    if (afterBlank) {
      span.end = *afterBlank;
      span.cells = blankEnd - origin;
    } else if (count == 0) {
      // Not even the first glyph fits: it has a row of its own.
      span.end = at;
      span.end.Next(glyph);
      span.cells = glyph.cells;
    }
    rows.push_back(span);
    at = span.end;
    // Blanks at a break belong to neither line.
    for (Reader next = at; next.Next(glyph) && glyph.utf8 == " ";) at = next;
  }
  return rows;
}

GridText::GlyphRow GridText::RowGlyphs(const RowSpan& span, std::int64_t from, std::int64_t to) {
  GlyphRow row;
  Reader reader = span.begin;
  Glyph glyph;
  while (!(reader == span.end) && reader.Next(glyph)) {
    const std::int64_t cell = std::int64_t{glyph.cell} - span.origin;
    if (cell >= to) break;
    if (cell + glyph.cells > from) row.push_back({std::move(glyph.utf8), static_cast<std::int32_t>(cell), glyph.cells});
  }
  return row;
}

}  // namespace virlo
