#include "import/CellSet.h"

#include <algorithm>

namespace virlo {

CellSet::CellSet(std::int32_t columns, std::int32_t rows)
    : columns_(columns), rows_(rows), flags_(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), 0) {}

bool CellSet::Empty() const { return std::find(flags_.begin(), flags_.end(), 1) == flags_.end(); }

void CellSet::Sum() {
  sums_.assign(static_cast<std::size_t>(columns_ + 1) * static_cast<std::size_t>(rows_ + 1), 0);
  for (std::int32_t r = 0; r < rows_; ++r) {
    for (std::int32_t c = 0; c < columns_; ++c) {
      sums_[SumIndex(c + 1, r + 1)] =
          sums_[SumIndex(c, r + 1)] + sums_[SumIndex(c + 1, r)] - sums_[SumIndex(c, r)] + flags_[Index(c, r)];
    }
  }
}

bool CellSet::Any(std::int32_t c0, std::int32_t r0, std::int32_t c1, std::int32_t r1) const {
  c0 = std::max(c0, 0);
  r0 = std::max(r0, 0);
  c1 = std::min(c1, columns_ - 1);
  r1 = std::min(r1, rows_ - 1);
  if (c0 > c1 || r0 > r1) return false;
  const std::int32_t total = sums_[SumIndex(c1 + 1, r1 + 1)] - sums_[SumIndex(c0, r1 + 1)] -
                             sums_[SumIndex(c1 + 1, r0)] + sums_[SumIndex(c0, r0)];
  return total > 0;
}

}  // namespace virlo
