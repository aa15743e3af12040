#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace virlo::store {

// The memory of one document database: pages of its own, handed out in
// small blocks, so that the store can tell which pages were written since a
// moment it chooses (the mark) and what they held then.
//
// Two ways of watching, with the same answers:
// - Protect (the default): at the mark every page becomes read-only; the
//   first write to a page traps, the trap copies the page aside and lets the
//   write through. Watching costs what is written, not what is kept.
// - Compare: a full copy of the pages is kept and compared at each mark.
//   No traps, twice the memory and a pass over all of it; for systems or
//   debuggers where the traps are unwelcome (VIRLO_WATCH_WRITES=compare).
// Protecting is proved before it is trusted: the first arena to watch
// protects a page of its own, writes to it and expects the trap; where none
// comes (a system whose mprotect reports success without protecting), every
// arena compares.
class Arena {
 public:
  enum class Watch { Protect, Compare };

  Arena();
  ~Arena();
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;

  // A block of at least `bytes`, aligned to 16; null when the system refuses.
  void* Allocate(std::size_t bytes);
  // Gives back a block; `bytes` as it was asked for.
  void Release(void* memory, std::size_t bytes);

  // Starts watching writes; the mark is now.
  void StartWatching();
  bool Watching() const { return watching_; }
  Watch Mode() const { return mode_; }

  // The pages written since the mark, in address order, each as its first
  // byte. Blocks made since the mark in memory that was never handed out
  // before may lie on pages not listed.
  const std::vector<std::uintptr_t>& WrittenPages();
  // Copies `bytes` from `address` as they were at the mark (for memory that
  // was handed out at the mark).
  void ReadAtMark(std::uintptr_t address, std::size_t bytes, char* out) const;
  // A new mark: what is there now is what the pages held at it.
  void Mark();

  // How writes are watched in arenas that start watching from now on: the
  // environment's VIRLO_WATCH_WRITES (protect or compare) until set here.
  static Watch DefaultMode();
  static void SetDefaultMode(Watch mode);
  // For tests: protecting reports success and protects nothing, as on a
  // system without page protection; the proof is made again at the next
  // start of watching.
  static void SimulateHollowProtection(bool hollow);

  static constexpr std::size_t PageSize = 4096;

  // The address sanitizer's marks on blocks that may not be touched (no-ops
  // in other builds): free blocks, and memory kept for undo.
  // The arena whose pages hold the address, or null.
  static const Arena* Holding(const void* address);
  static void Poison(void* memory, std::size_t bytes);
  static void Unpoison(void* memory, std::size_t bytes);

  // For the trap only: a chunk of pages, and a page it let through.
  struct Chunk;
  void NoteWritten(std::uintptr_t page);

 private:
  Chunk* NewChunk(std::size_t atLeast);
  void* Carve(std::size_t size);
  // Starts watching a chunk; false when the system refuses to protect it.
  bool ProtectChunk(Chunk& chunk);
  // Watches by comparing from now on, in every chunk.
  void SwitchToCompare();

  std::vector<std::unique_ptr<Chunk>> chunks_;
  Chunk* current_ = nullptr;  // where new blocks are carved
  std::size_t nextChunkSize_ = 1 << 20;
  // Free blocks by size class (16-byte steps up to LargeBlock), and larger
  // blocks by size.
  static constexpr std::size_t LargeBlock = 4096;
  std::vector<std::vector<std::uintptr_t>> free_;
  std::multimap<std::size_t, std::uintptr_t> freeLarge_;

  bool watching_ = false;
  Watch mode_ = Watch::Protect;
  std::vector<std::uintptr_t> written_;  // pages written since the mark (Protect: filled by the trap)
  std::size_t pageCount_ = 0;
};

}  // namespace virlo::store
