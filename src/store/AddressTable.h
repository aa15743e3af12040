#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace virlo::store {

// Values by address, in one array probed in line: no node per entry and no
// division per look-up, since the store enters and drops addresses by the
// hundred thousand in one edit. Address 0 is never a key.
template <class Value>
class AddressTable {
 public:
  using Entry = std::pair<std::uintptr_t, Value>;

  std::size_t Size() const { return size_; }
  bool Empty() const { return size_ == 0; }

  // The entry of the key, valid until the table next changes; or null.
  Entry* FindEntry(std::uintptr_t key) {
    if (size_ == 0) return nullptr;
    for (std::size_t i = Home(key);; i = (i + 1) & mask_) {
      if (slots_[i].first == key) return &slots_[i];
      if (slots_[i].first == 0) return nullptr;
    }
  }
  const Entry* FindEntry(std::uintptr_t key) const { return const_cast<AddressTable*>(this)->FindEntry(key); }
  Value* Find(std::uintptr_t key) {
    Entry* entry = FindEntry(key);
    return entry != nullptr ? &entry->second : nullptr;
  }
  const Value* Find(std::uintptr_t key) const { return const_cast<AddressTable*>(this)->Find(key); }
  bool Contains(std::uintptr_t key) const { return Find(key) != nullptr; }

  // Enters the value unless the key is there; true when it was entered.
  bool Insert(std::uintptr_t key, Value value) { return Slot(key, std::move(value)).second; }
  // The value of the key, entered as `value` when the key was not there.
  Value& FindOrInsert(std::uintptr_t key, Value value) { return *Slot(key, std::move(value)).first; }

  // Takes the key out; false when it was not there.
  bool Erase(std::uintptr_t key) {
    if (size_ == 0) return false;
    std::size_t i = Home(key);
    for (; slots_[i].first != key; i = (i + 1) & mask_) {
      if (slots_[i].first == 0) return false;
    }
    // Entries after the gap that would not be found past it move into it.
    for (std::size_t j = (i + 1) & mask_; slots_[j].first != 0; j = (j + 1) & mask_) {
      const std::size_t home = Home(slots_[j].first);
      const bool between = i <= j ? (i < home && home <= j) : (i < home || home <= j);
      if (between) continue;
      slots_[i] = std::move(slots_[j]);
      i = j;
    }
    slots_[i] = Entry{};
    --size_;
    // A table emptied by most of its keys shrinks: its memory, and every
    // walk of it, follow what it holds.
    if (slots_.size() > MinCapacity && size_ * 8 < slots_.size()) Rehash(slots_.size() / 4);
    return true;
  }

  void Clear() {
    std::vector<Entry>().swap(slots_);
    mask_ = 0;
    size_ = 0;
  }

  // Walks every entry, in no particular order; entries are pairs of key and
  // value.
  class Iterator {
   public:
    Iterator(const Entry* at, const Entry* end) : at_(at), end_(end) { Skip(); }
    const Entry& operator*() const { return *at_; }
    const Entry* operator->() const { return at_; }
    Iterator& operator++() {
      ++at_;
      Skip();
      return *this;
    }
    bool operator==(const Iterator& other) const { return at_ == other.at_; }

   private:
    void Skip() {
      while (at_ != end_ && at_->first == 0) ++at_;
    }
    const Entry* at_;
    const Entry* end_;
  };
  Iterator begin() const { return Iterator(slots_.data(), slots_.data() + slots_.size()); }
  Iterator end() const { return Iterator(slots_.data() + slots_.size(), slots_.data() + slots_.size()); }

  // Visits every entry, in no particular order, as (key, value).
  template <class Visit>
  void ForEach(Visit&& visit) const {
    for (const Entry& slot : slots_) {
      if (slot.first != 0) visit(slot.first, slot.second);
    }
  }

 private:
  // The slot of the key, filled with `value` if the key was not there; and
  // whether it was filled.
  std::pair<Value*, bool> Slot(std::uintptr_t key, Value&& value) {
    if ((size_ + 1) * 2 > slots_.size()) Grow();
    std::size_t i = Home(key);
    for (; slots_[i].first != 0; i = (i + 1) & mask_) {
      if (slots_[i].first == key) return {&slots_[i].second, false};
    }
    slots_[i].first = key;
    slots_[i].second = std::move(value);
    ++size_;
    return {&slots_[i].second, true};
  }

  std::size_t Home(std::uintptr_t key) const {
    // Every bit of the key stirred into the low ones, which choose the slot.
    // Not the high bits of one product: one table filled from a walk of
    // another would then get its keys in the order of their slots, and
    // they would pile up in one run.
    std::uint64_t h = key;
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDULL;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ULL;
    h ^= h >> 33;
    return static_cast<std::size_t>(h) & mask_;
  }

  static constexpr std::size_t MinCapacity = 64;

  void Grow() { Rehash(slots_.empty() ? MinCapacity : slots_.size() * 2); }

  void Rehash(std::size_t capacity) {
    std::vector<Entry> old = std::exchange(slots_, std::vector<Entry>(capacity));
    mask_ = capacity - 1;
    size_ = 0;
    for (Entry& slot : old) {
      if (slot.first != 0) Insert(slot.first, std::move(slot.second));
    }
  }

  std::vector<Entry> slots_;
  std::size_t mask_ = 0;
  std::size_t size_ = 0;
};

}  // namespace virlo::store
