#include "store/LooseMemory.h"

#include <algorithm>
#include <new>

#include "store/Arena.h"

namespace virlo::store {
namespace {

constexpr std::size_t Step = 16;
// A block's record goes in front of it, in whole steps.
constexpr std::size_t RecordBytes = (sizeof(Allocation) + Step - 1) / Step * Step;
// Larger blocks come from the heap.
constexpr std::size_t LargestSmall = 2048;
constexpr std::size_t ChunkBytes = std::size_t{1} << 20;

std::size_t RoundUp(std::size_t n) { return (n + Step - 1) / Step * Step; }

}  // namespace

struct LooseMemory::Chunk {
  std::uintptr_t begin = 0;
  std::size_t used = 0;
  std::vector<std::uint64_t> starts;  // a bit per step: a block begins there

  bool Contains(std::uintptr_t address) const { return address >= begin && address < begin + ChunkBytes; }
  std::size_t Bit(std::uintptr_t address) const { return (address - begin) / Step; }
  bool Starts(std::uintptr_t address) const {
    const std::size_t bit = Bit(address);
    return (starts[bit / 64] >> (bit % 64) & 1U) != 0;
  }
  void SetStart(std::uintptr_t address, bool on) {
    const std::size_t bit = Bit(address);
    const std::uint64_t mask = std::uint64_t{1} << (bit % 64);
    starts[bit / 64] = on ? starts[bit / 64] | mask : starts[bit / 64] & ~mask;
  }
};

LooseMemory::LooseMemory() : free_((RecordBytes + LargestSmall) / Step + 1) {}

LooseMemory::~LooseMemory() {
  for (auto& chunk : chunks_) {
    Arena::Unpoison(reinterpret_cast<void*>(chunk->begin), ChunkBytes);
    ::operator delete (reinterpret_cast<void*>(chunk->begin), std::align_val_t{Step});
  }
  large_.ForEach(
      [](std::uintptr_t address, const Allocation&) { ::operator delete(reinterpret_cast<void*>(address)); });
}

LooseMemory::Chunk* LooseMemory::ChunkAt(std::uintptr_t address) const {
  auto it = std::upper_bound(chunks_.begin(), chunks_.end(), address,
                             [](std::uintptr_t a, const std::unique_ptr<Chunk>& c) { return a < c->begin; });
  if (it == chunks_.begin()) return nullptr;
  --it;
  return (*it)->Contains(address) ? it->get() : nullptr;
}

LooseMemory::Chunk* LooseMemory::NewChunk() {
  void* memory = ::operator new (ChunkBytes, std::align_val_t{Step}, std::nothrow);
  if (memory == nullptr) return nullptr;
  Arena::Poison(memory, ChunkBytes);
  auto chunk = std::make_unique<Chunk>();
  chunk->begin = reinterpret_cast<std::uintptr_t>(memory);
  chunk->starts.assign(ChunkBytes / Step / 64, 0);
  Chunk* made = chunk.get();
  chunks_.insert(std::upper_bound(chunks_.begin(), chunks_.end(), chunk,
                                  [](const std::unique_ptr<Chunk>& a, const std::unique_ptr<Chunk>& b) {
                                    return a->begin < b->begin;
                                  }),
                 std::move(chunk));
  return made;
}

void* LooseMemory::Allocate(const Allocation& allocation) {
  const std::size_t bytes = allocation.size * allocation.count;
  if (bytes > LargestSmall) {
    void* memory = ::operator new(bytes, std::nothrow);
    if (memory == nullptr) return nullptr;
    large_.Insert(reinterpret_cast<std::uintptr_t>(memory), allocation);
    ++count_;
    return memory;
  }
  const std::size_t size = RecordBytes + RoundUp(std::max<std::size_t>(bytes, 1));
  std::uintptr_t block = 0;
  auto& blocks = free_[size / Step];
  if (!blocks.empty()) {
    block = blocks.back();
    blocks.pop_back();
  } else {
    if (current_ == nullptr || ChunkBytes - current_->used < size) current_ = NewChunk();
    if (current_ == nullptr) return nullptr;
    block = current_->begin + current_->used;
    current_->used += size;
  }
  Arena::Unpoison(reinterpret_cast<void*>(block), size);
  ::new (reinterpret_cast<void*>(block)) Allocation(allocation);
  const std::uintptr_t memory = block + RecordBytes;
  ChunkAt(memory)->SetStart(memory, true);
  ++count_;
  return reinterpret_cast<void*>(memory);
}

bool LooseMemory::Release(void* memory) {
  const auto address = reinterpret_cast<std::uintptr_t>(memory);
  Chunk* chunk = ChunkAt(address);
  if (chunk == nullptr) {
    if (!large_.Erase(address)) return false;
    ::operator delete(memory);
    --count_;
    return true;
  }
  if (address % Step != 0 || !chunk->Starts(address)) return false;
  chunk->SetStart(address, false);
  const std::uintptr_t block = address - RecordBytes;
  const Allocation* record = reinterpret_cast<const Allocation*>(block);
  const std::size_t size = RecordBytes + RoundUp(std::max<std::size_t>(record->size * record->count, 1));
  free_[size / Step].push_back(block);
  Arena::Poison(reinterpret_cast<void*>(block), size);
  --count_;
  return true;
}

const Allocation* LooseMemory::Find(const void* address) const {
  const auto key = reinterpret_cast<std::uintptr_t>(address);
  const Chunk* chunk = ChunkAt(key);
  if (chunk == nullptr) return large_.Find(key);
  if (key % Step != 0 || !chunk->Starts(key)) return nullptr;
  return reinterpret_cast<const Allocation*>(key - RecordBytes);
}

}  // namespace virlo::store
