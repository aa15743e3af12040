#include "store/Holds.h"

namespace virlo::store {

void Holds::Drop(std::uintptr_t address) {
  auto it = counts_.find(address);
  if (it == counts_.end()) return;
  if (--it->second == 0) {
    counts_.erase(it);
    dropped_.push_back(address);
  }
}

}  // namespace virlo::store
