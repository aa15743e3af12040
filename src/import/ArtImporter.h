#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "import/ArtGrid.h"

namespace virlo {

class DrawObj;
class Sheet;

// Brings character art into a sheet as live objects. The art wins: whatever
// is built renders to exactly the art's characters, and a part that cannot be
// read as objects that do so is kept as text.
class ArtImporter {
 public:
  struct Report {
    std::int32_t boxes = 0;
    std::int32_t framedTexts = 0;
    std::int32_t lines = 0;
    std::int32_t joins = 0;
    std::int32_t rests = 0;
    std::int32_t dots = 0;
    std::int32_t texts = 0;
    // Cells first read as structure that had to become text.
    std::int32_t cellsKeptAsText = 0;
  };

  // Sizes the sheet to hold the art (at least its size now) and builds the
  // art's objects on it, in front of what it holds; false with the reason
  // when that cannot be done.
  static bool Import(const ArtGrid& grid, Sheet& sheet, Report& report, std::string& error);
  // The same with the art's first cell at the sheet's cell (column, row);
  // made receives the top-level objects built, front first.
  static bool ImportAt(const ArtGrid& grid, Sheet& sheet, std::int32_t column, std::int32_t row,
                       std::vector<DrawObj*>& made, Report& report, std::string& error);
};

}  // namespace virlo
