#include "import/ArtImporter.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "import/ArtBuilder.h"
#include "import/ArtPlan.h"
#include "import/ArtRecognizer.h"
#include "model/Canvas.h"
#include "objects/DrawObj.h"
#include "objects/MarkerTable.h"
#include "objects/Sheet.h"
#include "store/Store.h"

namespace virlo {
namespace {

// After this many readings with more and more text, everything is text.
constexpr int MaxReadings = 8;
constexpr std::int32_t Aggregation = MarkerTable::Aggregation;

class Footprint {
 public:
  Footprint(std::int32_t columns, std::int32_t rows) : columns_(columns), rows_(rows) {}

  // Every cell an element of the plan writes, with the element's number.
  void Add(std::int32_t element, std::int32_t c, std::int32_t r) {
    if (c < 0 || r < 0 || c >= columns_ || r >= rows_) return;
    cells_.push_back({element, c, r});
  }
  void Of(const ArtPlan& plan) {
    std::int32_t element = 0;
    for (const ArtPlan::Box& box : plan.boxes) {
      for (std::int32_t c = box.topLeft.column; c <= box.bottomRight.column; ++c) {
        for (std::int32_t r = box.topLeft.row; r <= box.bottomRight.row; ++r) {
          const bool edge = c == box.topLeft.column || c == box.bottomRight.column || r == box.topLeft.row ||
                            r == box.bottomRight.row;
          if (edge || box.framedText) Add(element, c, r);
        }
      }
      ++element;
    }
    for (const ArtPlan::Line& line : plan.lines) {
      const ArtPlan::Cell a = line.start.cell;
      const ArtPlan::Cell b = line.end.cell;
      for (std::int32_t c = std::min(a.column, b.column); c <= std::max(a.column, b.column); ++c) {
        for (std::int32_t r = std::min(a.row, b.row); r <= std::max(a.row, b.row); ++r) Add(element, c, r);
      }
      for (const ArtPlan::End* end : {&line.start, &line.end}) {
        if (end->marker == Aggregation) Add(element, end->cell.column + 1, end->cell.row);
      }
      ++element;
    }
    for (const ArtPlan::Dot& dot : plan.dots) {
      Add(element, dot.cell.column, dot.cell.row);
      if (dot.marker == Aggregation) Add(element, dot.cell.column + 1, dot.cell.row);
      ++element;
    }
    for (const ArtPlan::Text& text : plan.texts) {
      std::int32_t longest = 0;
      for (const std::string& line : text.lines) longest = std::max(longest, static_cast<std::int32_t>(line.size()));
      for (std::size_t k = 0; k < text.lines.size(); ++k) {
        const auto length = static_cast<std::int32_t>(text.lines[k].size());
        std::int32_t start = text.first.column;
        if (text.alignment == ArtPlan::Alignment::Centre) start += (longest - length) / 2;
        if (text.alignment == ArtPlan::Alignment::Right) start += longest - length;
        for (std::int32_t c = start; c < start + length; ++c) {
          Add(element, c, text.first.row + static_cast<std::int32_t>(k));
        }
      }
      ++element;
    }
  }

  struct Entry {
    std::int32_t element;
    std::int32_t column;
    std::int32_t row;
  };
  const std::vector<Entry>& Cells() const { return cells_; }

 private:
  std::int32_t columns_;
  std::int32_t rows_;
  std::vector<Entry> cells_;
};

// The cells where what the objects made render differs from the art read
// with its first cell at origin.
std::vector<std::pair<std::int32_t, std::int32_t>> Differences(const std::vector<DrawObj*>& made, const Sheet& sheet,
                                                               const ArtGrid& grid, ArtPlan::Cell origin) {
  std::vector<std::pair<std::int32_t, std::int32_t>> cells;
  Canvas canvas = sheet.NewCanvas();
  for (auto it = made.rbegin(); it != made.rend(); ++it) (*it)->RenderText(canvas);
  for (std::int32_t r = 0; r < canvas.Rows(); ++r) {
    const std::string_view row = canvas.Row(r);
    for (std::int32_t c = 0; c < canvas.Columns(); ++c) {
      const char expected = grid.At(c - origin.column, r - origin.row);
      if (row[static_cast<std::size_t>(c)] != expected) cells.emplace_back(c - origin.column, r - origin.row);
    }
  }
  return cells;
}

}  // namespace

bool ArtImporter::Import(const ArtGrid& grid, Sheet& sheet, Report& report, std::string& error) {
  std::vector<DrawObj*> made;
  return ImportAt(grid, sheet, 0, 0, made, report, error);
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
  std::vector<std::uint8_t> forced;
  if (grid.Columns() > 0 && grid.Rows() > 0) {
    forced.assign(static_cast<std::size_t>(grid.Columns()) * static_cast<std::size_t>(grid.Rows()), 0);
  }
  auto force = [&](std::int32_t c, std::int32_t r) {
    std::uint8_t& cell =
        forced[static_cast<std::size_t>(r) * static_cast<std::size_t>(grid.Columns()) + static_cast<std::size_t>(c)];
    const bool fresh = cell == 0 && grid.At(c, r) != ' ';
    cell = 1;
    return fresh;
  };
  for (int reading = 1; reading <= MaxReadings + 1; ++reading) {
    if (reading > MaxReadings) {
      // The last resort, which matches by construction: all of it is text.
      for (std::int32_t r = 0; r < grid.Rows(); ++r) {
        for (std::int32_t c = 0; c < grid.Columns(); ++c) force(c, r);
      }
    }
    const ArtPlan plan = ArtRecognizer(grid, forced).Recognize();
    made = ArtBuilder::Build(plan, sheet, origin);
    const auto differences = Differences(made, sheet, grid, origin);
    if (differences.empty()) {
      for (const ArtPlan::Box& box : plan.boxes) ++(box.framedText ? report.framedTexts : report.boxes);
      report.lines = static_cast<std::int32_t>(plan.lines.size());
      for (const ArtPlan::Line& line : plan.lines) {
        for (const ArtPlan::End* end : {&line.start, &line.end}) {
          report.joins += end->joinLine >= 0 ? 1 : 0;
          report.rests += end->host.kind != ArtPlan::Host::Kind::None ? 1 : 0;
        }
      }
      report.joins /= 2;
      report.dots = static_cast<std::int32_t>(plan.dots.size());
      report.texts = static_cast<std::int32_t>(plan.texts.size());
      report.cellsKeptAsText = static_cast<std::int32_t>(std::count(forced.begin(), forced.end(), 1));
      return true;
    }
    for (DrawObj* obj : made) store::Delete(obj);
    made.clear();
    if (reading > MaxReadings) break;
    // What drew a wrong cell is read as text next time.
    Footprint footprint(grid.Columns(), grid.Rows());
    footprint.Of(plan);
    std::vector<std::uint8_t> wrong(forced.size(), 0);
    for (const auto& [c, r] : differences) {
      if (c >= 0 && r >= 0 && c < grid.Columns() && r < grid.Rows()) {
        wrong[static_cast<std::size_t>(r) * static_cast<std::size_t>(grid.Columns()) + static_cast<std::size_t>(c)] = 1;
      }
    }
    std::vector<std::uint8_t> blamed;
    for (const Footprint::Entry& entry : footprint.Cells()) {
      const std::size_t cell = static_cast<std::size_t>(entry.row) * static_cast<std::size_t>(grid.Columns()) +
                               static_cast<std::size_t>(entry.column);
      if (wrong[cell] == 0) continue;
      if (blamed.size() <= static_cast<std::size_t>(entry.element))
        blamed.resize(static_cast<std::size_t>(entry.element) + 1, 0);
      blamed[static_cast<std::size_t>(entry.element)] = 1;
    }
    bool progress = false;
    for (const Footprint::Entry& entry : footprint.Cells()) {
      const auto element = static_cast<std::size_t>(entry.element);
      if (element < blamed.size() && blamed[element] != 0) progress = force(entry.column, entry.row) || progress;
    }
    if (!progress) reading = MaxReadings;
  }
  error = "the art could not be read as a diagram";
  return false;
}

}  // namespace virlo
