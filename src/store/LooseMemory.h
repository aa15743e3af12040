#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "store/AddressTable.h"
#include "store/Database.h"

namespace virlo::store {

// The transient database's memory: ordinary memory, never watched or saved.
// Small blocks come from chunks of its own, each block with its record just
// in front of it and a bit per 16 bytes telling where blocks begin, so that
// making, finding and freeing one touches the block's own cache lines and
// not a table as large as every block made (a selection of many objects
// makes and frees its list nodes by the hundred thousand). Larger blocks come
// from the heap, their records in a table.
class LooseMemory {
 public:
  LooseMemory();
  ~LooseMemory();
  LooseMemory(const LooseMemory&) = delete;
  LooseMemory& operator=(const LooseMemory&) = delete;

  // A block for the allocation, aligned to 16; null when the system refuses.
  void* Allocate(const Allocation& allocation);
  // Gives back a block that Allocate made; false when none begins there.
  bool Release(void* memory);
  // The record of the block that begins at the address, or null.
  const Allocation* Find(const void* address) const;
  std::size_t Count() const { return count_; }

 private:
  struct Chunk;
  Chunk* ChunkAt(std::uintptr_t address) const;
  Chunk* NewChunk();

  std::vector<std::unique_ptr<Chunk>> chunks_;  // by address
  Chunk* current_ = nullptr;                    // where new blocks are carved
  // Free blocks by their size in 16-byte steps, record included.
  std::vector<std::vector<std::uintptr_t>> free_;
  AddressTable<Allocation> large_;
  std::size_t count_ = 0;
};

}  // namespace virlo::store
