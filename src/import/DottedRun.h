#pragma once

#include <cstdint>
#include <optional>

#include "import/RecognizerGrid.h"
#include "model/Stroke.h"

namespace virlo {

// A run of "." across read as a dotted line ("|....done....>|", a dotted
// reply in a sequence diagram): three or more in a row. Fewer are
// punctuation ("e.g.", "..") or corners; a run of them is a line only where
// it reaches something (LineFinder), so "Loading..." stays text.
class DottedRun {
 public:
  static constexpr std::int32_t Shortest = 3;
  // The stroke of a run across at a cell: the cell's own, or dotted on a
  // "." of such a run.
  static std::optional<Stroke> Across(const RecognizerGrid& cells, std::int32_t c, std::int32_t r);
  // The cell is a "." of such a run.
  static bool Dotted(const RecognizerGrid& cells, std::int32_t c, std::int32_t r);
};

}  // namespace virlo
