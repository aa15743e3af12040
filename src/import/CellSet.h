#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace virlo {

// A set of the cells of a grid, one flag each, that answers whether any
// cell of a rectangle is in it in constant time once summed (a summed-area
// table over the flags).
class CellSet {
 public:
  CellSet() = default;
  CellSet(std::int32_t columns, std::int32_t rows);
  bool Holds(std::int32_t c, std::int32_t r) const { return c >= 0 && r >= 0 && c < columns_ && r < rows_; }
  // Cells outside the grid are never in the set.
  void Set(std::int32_t c, std::int32_t r) {
    if (Holds(c, r)) flags_[Index(c, r)] = 1;
  }
  bool Has(std::int32_t c, std::int32_t r) const { return Holds(c, r) && flags_[Index(c, r)] != 0; }
  bool Empty() const;
  // Takes the sums Any reads; cells set after it are not seen by Any.
  void Sum();
  // Whether any cell of the rectangle, clipped to the grid, is in the set.
  bool Any(std::int32_t c0, std::int32_t r0, std::int32_t c1, std::int32_t r1) const;

 private:
  std::size_t Index(std::int32_t c, std::int32_t r) const {
    return static_cast<std::size_t>(r) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(c);
  }
  std::size_t SumIndex(std::int32_t c, std::int32_t r) const {
    return static_cast<std::size_t>(r) * static_cast<std::size_t>(columns_ + 1) + static_cast<std::size_t>(c);
  }

  std::int32_t columns_ = 0;
  std::int32_t rows_ = 0;
  std::vector<std::uint8_t> flags_;
  // One row and column more than the grid: the count of cells set above
  // and left of each.
  std::vector<std::int32_t> sums_;
};

}  // namespace virlo
