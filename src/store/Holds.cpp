#include "store/Holds.h"

namespace virlo::store {

void Holds::Drop(std::uintptr_t address) {
  std::int32_t* count = counts_.Find(address);
  if (count == nullptr) return;
  if (--*count == 0) {
    counts_.Erase(address);
    dropped_.push_back(address);
  }
}

}  // namespace virlo::store
