#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "import/ArtPlan.h"

namespace virlo {

// The boxes a plan holds, found by their top left corner and by the column
// or row of each side, so that asking about a frame costs the boxes that
// share a side with it, not a walk over every box. It follows the plan's
// list as boxes are added to it.
class BoxIndex {
 public:
  explicit BoxIndex(const std::vector<ArtPlan::Box>& boxes) : boxes_(boxes) {}
  // A box has its top left corner there.
  bool Starts(ArtPlan::Cell cell) const;
  // The boxes with a side on the frame's left or right column or its top
  // or bottom row (one may come more than once).
  std::vector<std::size_t> Sharing(std::int32_t c0, std::int32_t r0, std::int32_t c1, std::int32_t r1) const;

 private:
  static std::uint64_t Key(std::int32_t column, std::int32_t row);
  // Takes in the boxes added since it last looked; from the start when the
  // list was cut.
  void Sync() const;

  const std::vector<ArtPlan::Box>& boxes_;
  mutable std::size_t indexed_ = 0;
  mutable std::unordered_set<std::uint64_t> starts_;
  mutable std::unordered_map<std::int32_t, std::vector<std::size_t>> byLeft_;
  mutable std::unordered_map<std::int32_t, std::vector<std::size_t>> byTop_;
  mutable std::unordered_map<std::int32_t, std::vector<std::size_t>> byRight_;
  mutable std::unordered_map<std::int32_t, std::vector<std::size_t>> byBottom_;
};

}  // namespace virlo
