#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "import/ArtGrid.h"
#include "import/ArtPlan.h"

namespace virlo {

class DrawObj;
class Sheet;

// Brings character art into a sheet as live objects. The art wins: whatever
// is built renders to exactly the art's characters (in box drawing where the
// art has it), and a part that cannot be read as objects that do so is kept
// as text.
class ArtImporter {
 public:
  // What an import made.
  struct Report {
    std::int32_t boxes = 0;
    std::int32_t framedTexts = 0;
    std::int32_t lines = 0;
    // Pairs of line ends joined at a corner.
    std::int32_t joins = 0;
    // Line ends resting on a line or a side, and docked one cell before one.
    std::int32_t rests = 0;
    std::int32_t docks = 0;
    // Line ends whose marker is an arrowhead.
    std::int32_t arrowheads = 0;
    // Markers resting on lines and sides.
    std::int32_t dots = 0;
    // Text over a line or a side.
    std::int32_t labels = 0;
    // Text boxes of their own, and the characters kept in front of them.
    std::int32_t texts = 0;
    std::int32_t characters = 0;
    // Cells first read as structure that had to become text.
    std::int32_t cellsKeptAsText = 0;
    // Pieces of line art that stayed text.
    std::vector<ArtPlan::Piece> leftAsText;
    // Characters a document cannot hold: become "?", or others like them.
    std::int32_t unknownSubstitutes = 0;
    std::int32_t lookalikeSubstitutes = 0;
    // Tabs inside the art that came in as blanks.
    std::int32_t expandedTabs = 0;
  };

  // Sizes the sheet to hold the art (at least its size now) and builds the
  // art's objects on it, in front of what it holds; false with the reason
  // when that cannot be done.
  static bool Import(const ArtGrid& grid, Sheet& sheet, Report& report, std::string& error);
  // The same with the art's first cell at the sheet's cell (column, row);
  // made receives the top-level objects built, front first.
  static bool ImportAt(const ArtGrid& grid, Sheet& sheet, std::int32_t column, std::int32_t row,
                       std::vector<DrawObj*>& made, Report& report, std::string& error);
  // Gives a sheet that holds the art where its file has it (its first cell
  // at the sheet's) the rows read with tabs or blanks at their end, so an
  // unchanged row prints back as it was read.
  static void KeepRowsAsRead(const ArtGrid& grid, Sheet& sheet);
};

}  // namespace virlo
