#pragma once

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

namespace virlo::store {

// Which addresses some state may still bring back, so that freed memory at
// them is kept: a count per address of the records that hold it.
class Holds {
 public:
  void Add(std::uintptr_t address) { ++counts_[address]; }
  void Drop(std::uintptr_t address);
  bool Held(std::uintptr_t address) const { return counts_.count(address) != 0; }
  // Addresses whose last hold went since the last call.
  std::vector<std::uintptr_t> TakeDropped() { return std::exchange(dropped_, {}); }

 private:
  std::unordered_map<std::uintptr_t, std::int32_t> counts_;
  std::vector<std::uintptr_t> dropped_;
};

}  // namespace virlo::store
