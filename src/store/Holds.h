#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "store/AddressTable.h"

namespace virlo::store {

// Which addresses some state may still bring back, so that freed memory at
// them is kept: a count per address of the records that hold it.
class Holds {
 public:
  void Add(std::uintptr_t address) { ++counts_.FindOrInsert(address, 0); }
  void Drop(std::uintptr_t address);
  bool Held(std::uintptr_t address) const { return counts_.Contains(address); }
  // Addresses whose last hold went since the last call.
  std::vector<std::uintptr_t> TakeDropped() { return std::exchange(dropped_, {}); }

 private:
  AddressTable<std::int32_t> counts_;
  std::vector<std::uintptr_t> dropped_;
};

}  // namespace virlo::store
