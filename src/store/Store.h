#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

#include "store/Database.h"
#include "store/TypeDescription.h"

namespace virlo::store {

// Start-up and the edition of the store. Edition 1 keeps an undo history.
void Initialize();
int WhichProduct();
void SetMaximumUndoOperations(int steps);
int MaximumUndoOperations();

// Typed allocation in a database: count objects of the type, uninitialised.
// A null database means the transient one. Returns null when memory is
// refused (see FailAllocationsAfter).
void* Allocate(Database* db, const TypeDescription& type, std::size_t count = 1);
// The one release call, for persistent and transient memory alike; null does nothing.
void Free(void* memory);

// Characters for a string: n bytes in the database, uninitialised.
char* AllocateChars(Database* db, std::size_t n);

// Builds a T in db. A refused allocation gives null and constructs nothing.
template <class T, class... Args>
T* New(Database* db, Args&&... args) {
  void* memory = Allocate(db, TypeOf<T>());
  if (memory == nullptr) return nullptr;
  return ::new (memory) T(std::forward<Args>(args)...);
}

// Runs the (virtual) destructor and releases the memory.
template <class T>
void Delete(T* object) {
  if (object == nullptr) return;
  void* memory;
  if constexpr (std::is_polymorphic_v<T>) {
    memory = dynamic_cast<void*>(object);
  } else {
    memory = object;
  }
  object->~T();
  Free(memory);
}

// Test hook: after `successes` more allocations, every allocation fails until
// the hook is reset with a negative value.
void FailAllocationsAfter(int successes);

// Scoped form of the hook, reset when it ends.
class AllocationFailure {
 public:
  explicit AllocationFailure(int successes = 0) { FailAllocationsAfter(successes); }
  ~AllocationFailure() { FailAllocationsAfter(-1); }
  AllocationFailure(const AllocationFailure&) = delete;
  AllocationFailure& operator=(const AllocationFailure&) = delete;
};

}  // namespace virlo::store
