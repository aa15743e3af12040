#include "import/ArtImporter.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "export/ArtExport.h"
#include "import/ArtBuilder.h"
#include "import/ArtCharacter.h"
#include "import/ArtRecognizer.h"
#include "import/CellSet.h"
#include "model/Canvas.h"
#include "objects/DrawObj.h"
#include "objects/Line.h"
#include "objects/LinkPoint.h"
#include "objects/MarkerTable.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "platform/TextCodec.h"
#include "platform/Utf8.h"
#include "store/Store.h"

namespace virlo {
namespace {

// After this many readings with more and more text, everything is text.
constexpr int MaxReadings = 8;
// How far an object may write beyond its own rectangle, in cells: a docked
// end its line carries, a marker two cells wide.
constexpr std::int32_t Reach = 2;

// The cells where what the objects made render differs from the art read
// with its first cell at origin, in the sheet's cells: each cell compared as
// `render` shows it in the art's style, in UTF-8, the second cell of a
// two-cell character as nothing.
CellSet Differences(const std::vector<DrawObj*>& made, const Sheet& sheet, const ArtGrid& grid, ArtPlan::Cell origin) {
  const bool unicode = grid.HasGlyphs();
  // Each character of code page 932 converted once.
  std::unordered_map<std::uint16_t, std::string> decoded;
  auto decode = [&](char lead, char trail) -> const std::string& {
    const auto key =
        static_cast<std::uint16_t>((static_cast<unsigned char>(lead) << 8) | static_cast<unsigned char>(trail));
    auto found = decoded.find(key);
    if (found == decoded.end()) {
      const std::string bytes = trail == '\0' ? std::string(1, lead) : std::string{lead, trail};
      found = decoded.emplace(key, TextCodec::Cp932ToUtf8(bytes)).first;
    }
    return found->second;
  };
  Canvas canvas = sheet.NewCanvas(unicode);
  for (auto it = made.rbegin(); it != made.rend(); ++it) (*it)->RenderText(canvas);
  CellSet wrong(canvas.Columns(), canvas.Rows());
  for (std::int32_t r = 0; r < canvas.Rows(); ++r) {
    std::int32_t covered = 0;
    for (std::int32_t c = 0; c < canvas.Columns(); ++c) {
      std::string shown;
      if (covered > 0) {
        --covered;
      } else if (const std::string_view kept = canvas.Character(c, r); !kept.empty()) {
        shown = kept;
        covered = canvas.CharacterWidth(c, r) - 1;
      } else if (canvas.IsHalf(c, r)) {
        shown = decode(canvas.At(c, r), canvas.At(c + 1, r));
        covered = 1;
      } else {
        if (unicode && canvas.IsLine(c, r)) shown = ArtExport::Glyph(canvas.At(c, r), canvas.LineAt(c, r));
        const char byte = canvas.At(c, r);
        if (shown.empty()) shown = static_cast<unsigned char>(byte) < 0x80 ? std::string(1, byte) : decode(byte, '\0');
      }
      // The art's character where a document holds it only as itself,
      // else what its bytes show (a look-alike where code page 932 has one).
      const std::int32_t ac = c - origin.column;
      const std::int32_t ar = r - origin.row;
      const ArtGrid::Cell& art = grid.At(ac, ar);
      std::string expected;
      if (art.code == 0) {
      } else if (art.held == ArtGrid::Held::Character) {
        expected = grid.Utf8Of(ac, ar);
      } else if (art.held == ArtGrid::Held::Wide) {
        expected = decode(art.byte, grid.Byte(ac + 1, ar));
      } else {
        expected = static_cast<unsigned char>(art.byte) < 0x80 ? std::string(1, art.byte) : decode(art.byte, '\0');
      }
      if (shown != expected) wrong.Set(c, r);
    }
  }
  return wrong;
}

// The cells an object writes, rendered alone: every cell of a text box's
// text, the cells it leaves marked for anything else.
void Footprint(const DrawObj& obj, Canvas& scratch, std::int32_t c0, std::int32_t r0, std::int32_t c1, std::int32_t r1,
               std::vector<std::pair<std::int32_t, std::int32_t>>& cells) {
  cells.clear();
  obj.RenderText(scratch);
  const auto* text = dynamic_cast<const StrBox*>(&obj);
  const bool whole = text != nullptr && text->frame == 0;
  for (std::int32_t r = std::max(r0, 0); r <= std::min(r1, scratch.Rows() - 1); ++r) {
    for (std::int32_t c = std::max(c0, 0); c <= std::min(c1, scratch.Columns() - 1); ++c) {
      if (whole || scratch.At(c, r) != ' ' || !scratch.Character(c, r).empty()) cells.emplace_back(c, r);
      scratch.Put(c, r, ' ');
    }
  }
}

// The cells an object may write, its rectangle and what it reaches beyond.
struct CellRange {
  std::int32_t c0 = 0;
  std::int32_t r0 = 0;
  std::int32_t c1 = 0;
  std::int32_t r1 = 0;
};

CellRange RangeOf(const DrawObj& obj, const Sheet& sheet) {
  const Rect rect = obj.GetRect(DrawObj::Area::Redraw);
  const Point first = sheet.CellOf(rect.left, rect.top);
  const Point last = sheet.CellOf(rect.right, rect.bottom);
  return CellRange{first.x - Reach, first.y - Reach, last.x + Reach, last.y + Reach};
}

// Takes the objects of a reading out of the sheet in one walk (they stand
// at the front of its list) and frees them.
void Discard(std::vector<DrawObj*>& made, Sheet& sheet) {
  std::unordered_set<const void*> gone(made.begin(), made.end());
  for (std::size_t k = 0; k < made.size(); ++k) {
    DrawObj* front = sheet.objects.PopFront();
    if (gone.count(front) == 0) {
      // Not one of them: put it back and take them out one by one.
      sheet.objects.PushFront(front);
      for (DrawObj* obj : made) sheet.RemoveObject(obj);
      break;
    }
  }
  {
    const Sheet::Unlisted unlisted(gone);
    for (DrawObj* obj : made) store::Delete(obj);
  }
  made.clear();
}

void Count(const ArtPlan& plan, const std::vector<std::uint8_t>& forced, ArtImporter::Report& report) {
  report = {};
  for (const ArtPlan::Box& box : plan.boxes) ++(box.framedText ? report.framedTexts : report.boxes);
  report.lines = static_cast<std::int32_t>(plan.lines.size());
  for (const ArtPlan::Line& line : plan.lines) {
    for (const ArtPlan::End* end : {&line.start, &line.end}) {
      report.joins += end->joinLine >= 0 ? 1 : 0;
      if (end->host.element) ++(end->docked ? report.docks : report.rests);
      const std::int32_t type = end->marker.type;
      const bool head = (type >= MarkerTable::LeftArrow && type <= MarkerTable::DownArrow) ||
                        (type == MarkerTable::Character && ArtCharacter::HeadOf(end->marker.character));
      // A head alone is a line of one cell: both its ends show the one head.
      const bool shown = end == &line.start || line.end.cell != line.start.cell;
      report.arrowheads += head && shown ? 1 : 0;
    }
  }
  report.joins /= 2;
  report.dots = static_cast<std::int32_t>(plan.dots.size());
  for (const ArtPlan::Text& text : plan.texts) {
    if (text.label) {
      ++report.labels;
    } else if (!text.inFront) {
      ++report.texts;
    }
  }
  report.characters = static_cast<std::int32_t>(plan.characters.size());
  report.cellsKeptAsText = static_cast<std::int32_t>(std::count(forced.begin(), forced.end(), 1));
  report.leftAsText = plan.leftAsText;
}

// The ends the build attached to text they lead to (nodes), which the plan
// does not hold: resting on the text's frame, or docked before it.
void CountNodeEnds(const std::vector<DrawObj*>& made, const Sheet& sheet, ArtImporter::Report& report) {
  for (const DrawObj* obj : made) {
    const auto* line = dynamic_cast<const Line*>(obj);
    if (line == nullptr) continue;
    for (const LinkPoint* end : {&line->start, &line->end}) {
      if (end->hostLine == nullptr || !end->hostLine->IsHiddenSide()) continue;
      const bool resting = end->hostLine->CellsAcross(sheet.CellOf(end->x, end->y)) == 0;
      ++(resting ? report.rests : report.docks);
    }
  }
}

}  // namespace

bool ArtImporter::Import(const ArtGrid& grid, Sheet& sheet, Report& report, std::string& error) {
  std::vector<DrawObj*> made;
  return ImportAt(grid, sheet, 0, 0, made, report, error);
}

void ArtImporter::KeepRowsAsRead(const ArtGrid& grid, Sheet& sheet) {
  const std::string stored = grid.AsRead().Stored();
  sheet.keptRows.Assign(stored.c_str(), static_cast<std::int32_t>(stored.size()));
}

bool ArtImporter::ImportAt(const ArtGrid& grid, Sheet& sheet, std::int32_t column, std::int32_t row,
                           std::vector<DrawObj*>& made, Report& report, std::string& error) {
  made.clear();
  if (sheet.cellWidth <= 0 || sheet.cellHeight <= 0) {
    error = "the sheet has no grid";
    return false;
  }
  if (column < 0 || row < 0 || column > ArtGrid::MaxColumns || row > ArtGrid::MaxRows) {
    error = "the art's place is off the sheet";
    return false;
  }
  const ArtPlan::Cell origin{column, row};
  sheet.width = std::max(sheet.width / sheet.cellWidth, column + grid.Columns()) * sheet.cellWidth;
  sheet.height = std::max(sheet.height / sheet.cellHeight, row + grid.Rows()) * sheet.cellHeight;
  report = {};
  std::vector<std::uint8_t> forced(static_cast<std::size_t>(grid.Columns()) * static_cast<std::size_t>(grid.Rows()), 0);
  // Makes an art cell text; true when that is news.
  auto force = [&](std::int32_t c, std::int32_t r) {
    const std::int32_t ac = c - origin.column;
    const std::int32_t ar = r - origin.row;
    if (ac < 0 || ar < 0 || ac >= grid.Columns() || ar >= grid.Rows()) return false;
    std::uint8_t& cell =
        forced[static_cast<std::size_t>(ar) * static_cast<std::size_t>(grid.Columns()) + static_cast<std::size_t>(ac)];
    const bool fresh = cell == 0 && grid.Code(ac, ar) != U' ';
    cell = 1;
    return fresh;
  };
  for (int reading = 1; reading <= MaxReadings + 1; ++reading) {
    if (reading > MaxReadings) {
      // The last resort, which matches by construction: all of it is text.
      std::fill(forced.begin(), forced.end(), 1);
    }
    const ArtPlan plan = ArtRecognizer(grid, forced).Recognize();
    made = ArtBuilder::Build(plan, sheet, origin);
    CellSet wrong = Differences(made, sheet, grid, origin);
    if (wrong.Empty()) {
      Count(plan, forced, report);
      CountNodeEnds(made, sheet, report);
      report.unknownSubstitutes = grid.UnknownSubstitutes();
      report.lookalikeSubstitutes = grid.LookalikeSubstitutes();
      report.expandedTabs = grid.ExpandedTabs();
      return true;
    }
    if (reading > MaxReadings) {
      Discard(made, sheet);
      break;
    }
    // What wrote a wrong cell is read as text next time: every cell it
    // writes, as it renders them, but those an object that drew right
    // writes too (a lifeline a wrong message ends on stays a line).
    wrong.Sum();
    bool progress = false;
    Canvas scratch = sheet.NewCanvas();
    std::vector<std::pair<std::int32_t, std::int32_t>> cells;
    std::vector<std::pair<std::int32_t, std::int32_t>> blamedCells;
    std::vector<const DrawObj*> innocent;
    CellSet blamedSet(scratch.Columns(), scratch.Rows());
    for (const DrawObj* obj : made) {
      const CellRange range = RangeOf(*obj, sheet);
      if (!wrong.Any(range.c0, range.r0, range.c1, range.r1)) {
        innocent.push_back(obj);
        continue;
      }
      Footprint(*obj, scratch, range.c0, range.r0, range.c1, range.r1, cells);
      const bool blamed =
          std::any_of(cells.begin(), cells.end(), [&](const auto& cell) { return wrong.Has(cell.first, cell.second); });
      if (!blamed) {
        innocent.push_back(obj);
        continue;
      }
      for (const auto& [c, r] : cells) blamedSet.Set(c, r);
      blamedCells.insert(blamedCells.end(), cells.begin(), cells.end());
    }
    blamedSet.Sum();
    CellSet drawnRight(scratch.Columns(), scratch.Rows());
    for (const DrawObj* obj : innocent) {
      const CellRange range = RangeOf(*obj, sheet);
      if (!blamedSet.Any(range.c0, range.r0, range.c1, range.r1)) continue;
      Footprint(*obj, scratch, range.c0, range.r0, range.c1, range.r1, cells);
      for (const auto& [c, r] : cells) drawnRight.Set(c, r);
    }
    for (const auto& [c, r] : blamedCells) {
      if (!drawnRight.Has(c, r)) progress = force(c, r) || progress;
    }
    Discard(made, sheet);
    if (!progress) {
      // Nothing that was built wrote there: what the art shows there is text.
      for (std::int32_t r = 0; r < grid.Rows(); ++r) {
        for (std::int32_t c = 0; c < grid.Columns(); ++c) {
          if (wrong.Has(c + origin.column, r + origin.row))
            progress = force(c + origin.column, r + origin.row) || progress;
        }
      }
    }
    if (!progress) reading = MaxReadings;
  }
  error = "the art could not be read as a diagram";
  return false;
}

}  // namespace virlo
