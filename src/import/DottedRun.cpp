#include "import/DottedRun.h"

namespace virlo {

bool DottedRun::Dotted(const RecognizerGrid& cells, std::int32_t c, std::int32_t r) {
  if (cells.Shape(c, r) != U'.') return false;
  std::int32_t first = c;
  std::int32_t last = c;
  while (cells.Shape(first - 1, r) == U'.') --first;
  while (cells.Shape(last + 1, r) == U'.') ++last;
  return last - first + 1 >= Shortest;
}

std::optional<Stroke> DottedRun::Across(const RecognizerGrid& cells, std::int32_t c, std::int32_t r) {
  if (const std::optional<Stroke> own = cells.RunAt(c, r, true)) return own;
  return Dotted(cells, c, r) ? std::optional(Stroke::Dotted) : std::nullopt;
}

}  // namespace virlo
