#include "store/Store.h"

#include <cassert>
#include <new>

#include "store/Arena.h"
#include "store/LooseMemory.h"
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
  const Allocation allocation{type.Size(), count, &type};
  if (db->loose_ != nullptr) return db->loose_->Allocate(allocation);
  void* memory = db->arena_->Allocate(type.Size() * count);
  if (memory == nullptr) return nullptr;
  const auto address = reinterpret_cast<std::uintptr_t>(memory);
  db->allocations_.Insert(address, allocation, allocation.size * allocation.count);
  if (db->history_ != nullptr) db->history_->Made(address);
  return memory;
}

char* AllocateChars(Database* db, std::size_t n) {
  return static_cast<char*>(Allocate(db, TypeDescription::Char(), n));
}

void Free(void* memory) {
  if (memory == nullptr) return;
  Database* db = Database::Of(memory);
  if (db->loose_ != nullptr) {
    [[maybe_unused]] const bool released = db->loose_->Release(memory);
    assert(released && "released memory the store did not allocate");
    return;
  }
  const void* begin = nullptr;
  const bool owned = db->Find(memory, &begin) != nullptr && begin == memory;
  assert(owned && "released memory the store did not allocate");
  if (!owned) return;
  const auto address = reinterpret_cast<std::uintptr_t>(memory);
  // While the history watches, freed memory keeps its address until the
  // history knows whether some state may bring it back.
  if (db->history_ != nullptr) {
    db->Bury(address);
    db->history_->Freed(address);
    return;
  }
  const Allocation allocation = db->allocations_.Find(address)->second;
  db->allocations_.Erase(address);
  db->ReleaseMemory(address, allocation);
}

}  // namespace virlo::store
