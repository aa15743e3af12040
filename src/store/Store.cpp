#include "store/Store.h"

#include <cassert>
#include <new>

#include "store/Arena.h"
#include "store/UndoHistory.h"

namespace virlo::store {
namespace {

int maximumUndoOperations = 0;
int allocationsBeforeFailure = -1;

bool AllocationRefused() {
  if (allocationsBeforeFailure < 0) return false;
  if (allocationsBeforeFailure == 0) return true;
  --allocationsBeforeFailure;
  return false;
}

Database* Owner(const void* memory) {
  Database* db = Database::Of(memory);
  const void* begin = nullptr;
  if (db->Find(memory, &begin) != nullptr && begin == memory) return db;
  return nullptr;
}

}  // namespace

void Initialize() { Database::Transient(); }

int WhichProduct() { return 1; }

void SetMaximumUndoOperations(int steps) { maximumUndoOperations = steps; }

int MaximumUndoOperations() { return maximumUndoOperations; }

void FailAllocationsAfter(int successes) { allocationsBeforeFailure = successes; }

void* Allocate(Database* db, const TypeDescription& type, std::size_t count) {
  if (db == nullptr) db = Database::Transient();
  if (count == 0 || type.Size() == 0 || AllocationRefused()) return nullptr;
  if (count > static_cast<std::size_t>(-1) / type.Size()) return nullptr;
  const std::size_t bytes = type.Size() * count;
  void* memory = db->arena_ != nullptr ? db->arena_->Allocate(bytes) : ::operator new(bytes, std::nothrow);
  if (memory == nullptr) return nullptr;
  const auto address = reinterpret_cast<std::uintptr_t>(memory);
  if (db->arena_ == nullptr) {
    db->loose_.emplace(address, Allocation{type.Size(), count, &type});
    return memory;
  }
  db->allocations_.emplace(address, Allocation{type.Size(), count, &type});
  if (db->history_ != nullptr) db->history_->Made(address);
  return memory;
}

char* AllocateChars(Database* db, std::size_t n) {
  return static_cast<char*>(Allocate(db, TypeDescription::Char(), n));
}

void Free(void* memory) {
  if (memory == nullptr) return;
  Database* db = Owner(memory);
  assert(db != nullptr && "released memory the store did not allocate");
  if (db == nullptr) return;
  const auto address = reinterpret_cast<std::uintptr_t>(memory);
  // While the history watches, freed memory keeps its address until the
  // history knows whether some state may bring it back.
  if (db->history_ != nullptr) {
    db->Bury(address);
    db->history_->Freed(address);
    return;
  }
  if (db->arena_ == nullptr) {
    auto it = db->loose_.find(address);
    const Allocation allocation = it->second;
    db->loose_.erase(it);
    db->ReleaseMemory(address, allocation);
    return;
  }
  auto it = db->allocations_.find(address);
  const Allocation allocation = it->second;
  db->allocations_.erase(it);
  db->ReleaseMemory(address, allocation);
}

}  // namespace virlo::store
