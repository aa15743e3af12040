#include "store/Arena.h"

#include <signal.h>
#include <sys/mman.h>

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <string_view>

#if defined(__SANITIZE_ADDRESS__)
#define VIRLO_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VIRLO_ASAN 1
#endif
#endif

#if defined(VIRLO_ASAN)
#include <sanitizer/asan_interface.h>
#define VIRLO_POISON(address, bytes) ASAN_POISON_MEMORY_REGION(address, bytes)
#define VIRLO_UNPOISON(address, bytes) ASAN_UNPOISON_MEMORY_REGION(address, bytes)
#else
#define VIRLO_POISON(address, bytes) ((void)(address), (void)(bytes))
#define VIRLO_UNPOISON(address, bytes) ((void)(address), (void)(bytes))
#endif

// Whole pages are copied and compared with free blocks on them, which the
// address sanitizer keeps poisoned; these loops read them as plain memory and
// must not become calls to memcpy or memcmp, which it checks.
#if defined(__clang__)
#define VIRLO_RAW_MEMORY __attribute__((no_sanitize("address"), no_builtin))
#else
#define VIRLO_RAW_MEMORY __attribute__((no_sanitize_address, optimize("no-tree-loop-distribute-patterns")))
#endif

namespace virlo::store {

struct Arena::Chunk {
  enum class Page : std::uint8_t {
    Open,     // writable and not watched: never handed out before the mark
    Clean,    // unchanged since the mark; read-only when protected
    Written,  // written since the mark; its content at the mark is in the shadow
  };
  Arena* arena = nullptr;
  std::uintptr_t begin = 0;
  std::size_t size = 0;
  std::size_t used = 0;  // carved so far, from the beginning
  char* shadow = nullptr;
  std::vector<Page> pages;
  bool open = true;  // made since the mark: nothing in it needs watching yet

  bool Contains(std::uintptr_t address) const { return address >= begin && address < begin + size; }
};

namespace {

std::size_t RoundUp(std::size_t n, std::size_t step) { return (n + step - 1) / step * step; }

VIRLO_RAW_MEMORY void CopyRaw(void* to, const void* from, std::size_t bytes) {
  auto* out = static_cast<volatile unsigned char*>(to);
  const auto* in = static_cast<const volatile unsigned char*>(from);
  if (bytes % 8 == 0 && reinterpret_cast<std::uintptr_t>(to) % 8 == 0 &&
      reinterpret_cast<std::uintptr_t>(from) % 8 == 0) {
    auto* out64 = static_cast<std::uint64_t*>(to);
    const auto* in64 = static_cast<const std::uint64_t*>(from);
    for (std::size_t i = 0; i < bytes / 8; ++i) out64[i] = in64[i];
    return;
  }
  for (std::size_t i = 0; i < bytes; ++i) out[i] = in[i];
}

VIRLO_RAW_MEMORY bool SamePage(const void* a, const void* b) {
  const auto* x = static_cast<const std::uint64_t*>(a);
  const auto* y = static_cast<const std::uint64_t*>(b);
  std::uint64_t difference = 0;
  for (std::size_t i = 0; i < Arena::PageSize / 8; ++i) difference |= x[i] ^ y[i];
  return difference == 0;
}

// Every chunk of every arena, by address, for the trap. Changed only outside
// it: a trap comes only from a write to a chunk, never from this code.
std::vector<Arena::Chunk*>& AllChunks() {
  static auto* chunks = new std::vector<Arena::Chunk*>();
  return *chunks;
}

Arena::Chunk* ChunkAt(std::uintptr_t address) {
  const auto& chunks = AllChunks();
  auto it = std::upper_bound(chunks.begin(), chunks.end(), address,
                             [](std::uintptr_t a, const Arena::Chunk* c) { return a < c->begin; });
  if (it == chunks.begin()) return nullptr;
  --it;
  return (*it)->Contains(address) ? *it : nullptr;
}

Arena::Watch EnvironmentMode() {
  const char* value = std::getenv("VIRLO_WATCH_WRITES");
  return value != nullptr && std::string_view(value) == "compare" ? Arena::Watch::Compare : Arena::Watch::Protect;
}

Arena::Watch& DefaultModeSetting() {
  static Arena::Watch mode = EnvironmentMode();
  return mode;
}

struct sigaction previousAction;
bool trapInstalled = false;
bool trapFailed = false;

// The page the proof of protection writes to, while it does, and whether
// that write trapped.
volatile std::uintptr_t probePage = 0;
volatile sig_atomic_t probeTrapped = 0;

enum class Proof { NotYet, Traps, Fails };
Proof proof = Proof::NotYet;
bool hollowProtection = false;

// mprotect, unless a test asks for protection that reports success and
// protects nothing.
int Protect(void* address, std::size_t bytes, int protection) {
  if (hollowProtection && protection == PROT_READ) return 0;
  return mprotect(address, bytes, protection);
}

// Hands a fault that is not ours to whoever had the signal before.
void PassOn(int signal, siginfo_t* info, void* context) {
  if ((previousAction.sa_flags & SA_SIGINFO) != 0 && previousAction.sa_sigaction != nullptr) {
    previousAction.sa_sigaction(signal, info, context);
    return;
  }
  if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN) {
    previousAction.sa_handler(signal);
    return;
  }
  // The default action: returning runs the faulting instruction again, which
  // now ends the process as it would have without us.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal, &fallback, nullptr);
}

void Trap(int signal, siginfo_t* info, void* context) {
  const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
  if (probePage != 0 && address >= probePage && address < probePage + Arena::PageSize) {
    probeTrapped = 1;
    if (mprotect(reinterpret_cast<void*>(probePage), Arena::PageSize, PROT_READ | PROT_WRITE) == 0) return;
  }
  Arena::Chunk* chunk = ChunkAt(address);
  if (chunk != nullptr && chunk->arena->Watching() && chunk->arena->Mode() == Arena::Watch::Protect) {
    const std::size_t index = (address - chunk->begin) / Arena::PageSize;
    if (chunk->pages[index] == Arena::Chunk::Page::Clean) {
      const std::uintptr_t page = chunk->begin + index * Arena::PageSize;
      CopyRaw(chunk->shadow + index * Arena::PageSize, reinterpret_cast<const void*>(page), Arena::PageSize);
      chunk->pages[index] = Arena::Chunk::Page::Written;
      chunk->arena->NoteWritten(page);
      if (mprotect(reinterpret_cast<void*>(page), Arena::PageSize, PROT_READ | PROT_WRITE) == 0) return;
      // The system keeps no more separate ranges: copy every clean page of
      // the chunk aside and open the whole chunk in one range.
      for (std::size_t i = 0; i < chunk->pages.size(); ++i) {
        if (chunk->pages[i] != Arena::Chunk::Page::Clean) continue;
        const std::uintptr_t other = chunk->begin + i * Arena::PageSize;
        CopyRaw(chunk->shadow + i * Arena::PageSize, reinterpret_cast<const void*>(other), Arena::PageSize);
        chunk->pages[i] = Arena::Chunk::Page::Written;
        chunk->arena->NoteWritten(other);
      }
      if (mprotect(reinterpret_cast<void*>(chunk->begin), chunk->size, PROT_READ | PROT_WRITE) == 0) return;
    }
  }
  PassOn(signal, info, context);
}

bool InstallTrap() {
  if (trapInstalled) return true;
  if (trapFailed) return false;
  struct sigaction action {};
  action.sa_sigaction = Trap;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  if (sigaction(SIGSEGV, &action, &previousAction) != 0) {
    trapFailed = true;
    return false;
  }
  trapInstalled = true;
  return true;
}

// Whether a write to a page made read-only traps: a system may report
// success without protecting anything (Emscripten does), and then every
// write would pass unseen and undo keep nothing. Proved once, on a page of
// its own: protected, written, and the trap expected.
bool ProtectionTraps() {
  if (proof != Proof::NotYet) return proof == Proof::Traps;
  void* page = mmap(nullptr, Arena::PageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (page == MAP_FAILED) return false;
  auto* byte = static_cast<volatile unsigned char*>(page);
  probeTrapped = 0;
  probePage = reinterpret_cast<std::uintptr_t>(page);
  bool trapped = false;
  if (Protect(page, Arena::PageSize, PROT_READ) == 0) {
    *byte = 1;
    trapped = probeTrapped != 0 && *byte == 1;
  }
  probePage = 0;
  munmap(page, Arena::PageSize);
  proof = trapped ? Proof::Traps : Proof::Fails;
  return trapped;
}

}  // namespace

Arena::Arena() : free_(LargeBlock / 16 + 1) {}

Arena::~Arena() {
  auto& all = AllChunks();
  for (auto& chunk : chunks_) {
    all.erase(std::remove(all.begin(), all.end(), chunk.get()), all.end());
    VIRLO_UNPOISON(reinterpret_cast<void*>(chunk->begin), chunk->size);
    munmap(reinterpret_cast<void*>(chunk->begin), chunk->size);
    munmap(chunk->shadow, chunk->size);
  }
}

Arena::Watch Arena::DefaultMode() { return DefaultModeSetting(); }

void Arena::SetDefaultMode(Watch mode) { DefaultModeSetting() = mode; }

void Arena::SimulateHollowProtection(bool hollow) {
  hollowProtection = hollow;
  proof = Proof::NotYet;
}

Arena::Chunk* Arena::NewChunk(std::size_t atLeast) {
  const std::size_t size = RoundUp(std::max(atLeast, nextChunkSize_), PageSize);
  void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) return nullptr;
  // The shadow takes memory only where a page is copied into it.
  void* shadow = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (shadow == MAP_FAILED) {
    munmap(memory, size);
    return nullptr;
  }
  auto chunk = std::make_unique<Chunk>();
  chunk->arena = this;
  chunk->begin = reinterpret_cast<std::uintptr_t>(memory);
  chunk->size = size;
  chunk->shadow = static_cast<char*>(shadow);
  chunk->pages.assign(size / PageSize, Chunk::Page::Open);
  chunk->open = true;
  VIRLO_POISON(memory, size);
  pageCount_ += size / PageSize;
  // The trap records written pages without allocating.
  written_.reserve(pageCount_);
  auto& all = AllChunks();
  all.insert(std::upper_bound(all.begin(), all.end(), chunk.get(),
                              [](const Chunk* a, const Chunk* b) { return a->begin < b->begin; }),
             chunk.get());
  chunks_.push_back(std::move(chunk));
  nextChunkSize_ = std::min<std::size_t>(nextChunkSize_ * 2, std::size_t{64} << 20);
  return chunks_.back().get();
}

void* Arena::Carve(std::size_t size) {
  if (current_ == nullptr || current_->size - current_->used < size) {
    current_ = NewChunk(size);
    if (current_ == nullptr) return nullptr;
  }
  void* block = reinterpret_cast<void*>(current_->begin + current_->used);
  current_->used += size;
  return block;
}

void* Arena::Allocate(std::size_t bytes) {
  const std::size_t size = RoundUp(std::max<std::size_t>(bytes, 1), 16);
  void* block = nullptr;
  if (size <= LargeBlock) {
    auto& blocks = free_[size / 16];
    if (!blocks.empty()) {
      block = reinterpret_cast<void*>(blocks.back());
      blocks.pop_back();
    }
  } else if (auto it = freeLarge_.find(size); it != freeLarge_.end()) {
    block = reinterpret_cast<void*>(it->second);
    freeLarge_.erase(it);
  }
  if (block == nullptr) block = Carve(size);
  if (block != nullptr) VIRLO_UNPOISON(block, bytes);
  return block;
}

void Arena::Release(void* memory, std::size_t bytes) {
  if (memory == nullptr) return;
  const std::size_t size = RoundUp(std::max<std::size_t>(bytes, 1), 16);
  VIRLO_POISON(memory, size);
  const auto address = reinterpret_cast<std::uintptr_t>(memory);
  if (size <= LargeBlock) {
    free_[size / 16].push_back(address);
  } else {
    freeLarge_.emplace(size, address);
  }
}

const Arena* Arena::Holding(const void* address) {
  const Chunk* chunk = ChunkAt(reinterpret_cast<std::uintptr_t>(address));
  return chunk != nullptr ? chunk->arena : nullptr;
}

void Arena::Poison(void* memory, std::size_t bytes) { VIRLO_POISON(memory, bytes); }

void Arena::Unpoison(void* memory, std::size_t bytes) { VIRLO_UNPOISON(memory, bytes); }

void Arena::StartWatching() {
  if (watching_) return;
  mode_ = DefaultMode();
  if (mode_ == Watch::Protect && (!InstallTrap() || !ProtectionTraps())) mode_ = Watch::Compare;
  watching_ = true;
  written_.clear();
  for (auto& chunk : chunks_) chunk->open = true;
  Mark();
}

bool Arena::ProtectChunk(Chunk& chunk) {
  if (mode_ == Watch::Protect) {
    if (Protect(reinterpret_cast<void*>(chunk.begin), chunk.size, PROT_READ) != 0) return false;
  } else {
    CopyRaw(chunk.shadow, reinterpret_cast<const void*>(chunk.begin), RoundUp(chunk.used, PageSize));
  }
  std::fill(chunk.pages.begin(), chunk.pages.end(), Chunk::Page::Clean);
  chunk.open = false;
  return true;
}

void Arena::SwitchToCompare() {
  // Called at a mark: what is there now is the content to keep.
  mode_ = Watch::Compare;
  for (auto& chunk : chunks_) {
    mprotect(reinterpret_cast<void*>(chunk->begin), chunk->size, PROT_READ | PROT_WRITE);
    chunk->open = true;
    ProtectChunk(*chunk);
  }
  written_.clear();
}

void Arena::NoteWritten(std::uintptr_t page) { written_.push_back(page); }

const std::vector<std::uintptr_t>& Arena::WrittenPages() {
  if (mode_ == Watch::Compare && watching_) {
    written_.clear();
    for (auto& chunk : chunks_) {
      if (chunk->open) continue;
      const std::size_t pages = RoundUp(chunk->used, PageSize) / PageSize;
      for (std::size_t i = 0; i < pages; ++i) {
        const std::uintptr_t page = chunk->begin + i * PageSize;
        if (!SamePage(reinterpret_cast<const void*>(page), chunk->shadow + i * PageSize)) written_.push_back(page);
      }
    }
  }
  std::sort(written_.begin(), written_.end());
  return written_;
}

void Arena::ReadAtMark(std::uintptr_t address, std::size_t bytes, char* out) const {
  while (bytes > 0) {
    const std::uintptr_t pageEnd = (address / PageSize + 1) * PageSize;
    const std::size_t piece = std::min<std::size_t>(bytes, pageEnd - address);
    const Chunk* chunk = ChunkAt(address);
    const void* from = reinterpret_cast<const void*>(address);
    if (chunk != nullptr && !chunk->open) {
      const std::size_t index = (address - chunk->begin) / PageSize;
      if (mode_ == Watch::Compare || chunk->pages[index] == Chunk::Page::Written) {
        from = chunk->shadow + (address - chunk->begin);
      }
    }
    CopyRaw(out, from, piece);
    out += piece;
    address += piece;
    bytes -= piece;
  }
}

void Arena::Mark() {
  if (!watching_) return;
  std::sort(written_.begin(), written_.end());
  bool failed = false;
  if (mode_ == Watch::Protect) {
    // Runs of neighbouring pages in one chunk go read-only in one call.
    for (std::size_t i = 0; i < written_.size();) {
      Chunk* chunk = ChunkAt(written_[i]);
      std::size_t j = i + 1;
      while (j < written_.size() && written_[j] == written_[j - 1] + PageSize && chunk->Contains(written_[j])) ++j;
      const std::uintptr_t begin = written_[i];
      const std::uintptr_t end = written_[j - 1] + PageSize;
      failed = failed || Protect(reinterpret_cast<void*>(begin), end - begin, PROT_READ) != 0;
      for (std::size_t k = i; k < j; ++k) chunk->pages[(written_[k] - chunk->begin) / PageSize] = Chunk::Page::Clean;
      // Many copies at once: give their memory back.
      if (written_.size() > 256) madvise(chunk->shadow + (begin - chunk->begin), end - begin, MADV_DONTNEED);
      i = j;
    }
  } else {
    for (std::uintptr_t page : written_) {
      Chunk* chunk = ChunkAt(page);
      CopyRaw(chunk->shadow + (page - chunk->begin), reinterpret_cast<const void*>(page), PageSize);
    }
  }
  written_.clear();
  for (auto& chunk : chunks_) {
    if (chunk->open && !ProtectChunk(*chunk)) failed = true;
  }
  if (failed) SwitchToCompare();
}

}  // namespace virlo::store
