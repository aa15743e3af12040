#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "store/AddressTable.h"

namespace virlo::store {

// A document's allocations by their first address. Looking one up by its
// address is one probe of a table; the address order, which only looks for
// what contains an address and walks over a page, comes from a bit per 16
// bytes of every page saying where allocations begin (blocks are aligned to
// 16), and from a short list of the few allocations longer than a page. An
// edit of many objects enters and drops records by the hundred thousand,
// each in a tree of them all before.
template <class Value>
class AllocationMap {
 public:
  using Entry = std::pair<std::uintptr_t, Value>;
  static constexpr std::size_t PageSize = 4096;
  static constexpr std::size_t Step = 16;

  // Reads like a std::map's iterator: find gives one, or end(); from
  // begin() it walks every entry in address order.
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = Entry;
    using difference_type = std::ptrdiff_t;
    using pointer = const Entry*;
    using reference = const Entry&;

    Iterator() = default;
    Iterator(const Entry* at, const Entry* last, std::shared_ptr<const std::vector<Entry>> walk = nullptr)
        : at_(at), last_(last), walk_(std::move(walk)) {}
    reference operator*() const { return *at_; }
    pointer operator->() const { return at_; }
    Iterator& operator++() {
      at_ = at_ + 1 == last_ ? nullptr : at_ + 1;
      return *this;
    }
    bool operator==(const Iterator& other) const { return at_ == other.at_; }

   private:
    const Entry* at_ = nullptr;
    const Entry* last_ = nullptr;
    // The copy a walk goes over, for as long as the walk lasts.
    std::shared_ptr<const std::vector<Entry>> walk_;
  };

  std::size_t size() const { return table_.Size(); }
  bool empty() const { return table_.Empty(); }
  std::size_t count(std::uintptr_t address) const { return table_.FindEntry(address) != nullptr ? 1 : 0; }
  Iterator find(std::uintptr_t address) const { return Iterator(table_.FindEntry(address), nullptr); }
  Iterator end() const { return Iterator(); }
  // Every entry in address order, from a copy made now and kept by the walk.
  Iterator begin() const {
    auto ordered = std::make_shared<std::vector<Entry>>();
    ordered->reserve(table_.Size());
    table_.ForEach([&ordered](std::uintptr_t address, const Value& value) { ordered->emplace_back(address, value); });
    std::sort(ordered->begin(), ordered->end(), [](const Entry& a, const Entry& b) { return a.first < b.first; });
    if (ordered->empty()) return end();
    const Entry* first = ordered->data();
    const Entry* last = first + ordered->size();
    return Iterator(first, last, std::move(ordered));
  }

  const Entry* Find(std::uintptr_t address) const { return table_.FindEntry(address); }

  // Enters an allocation of `bytes` bytes at the address; false when one is there.
  bool Insert(std::uintptr_t address, const Value& value, std::size_t bytes) {
    if (!table_.Insert(address, value)) return false;
    Mark(address, true);
    if (bytes > PageSize) long_.emplace(address, bytes);
    return true;
  }
  bool Erase(std::uintptr_t address) {
    if (!table_.Erase(address)) return false;
    Mark(address, false);
    long_.erase(address);
    return true;
  }

  // The entry that begins at or contains the address, or null; bytes(value)
  // tells how long an allocation is.
  template <class Bytes>
  const Entry* Containing(std::uintptr_t address, Bytes bytes) const {
    const std::uintptr_t page = address / PageSize * PageSize;
    std::uintptr_t begin = Last(page, (address - page) / Step);
    if (begin == 0 && page >= PageSize) begin = Last(page - PageSize, Bits - 1);
    if (begin != 0) {
      const Entry* entry = table_.FindEntry(begin);
      if (entry != nullptr && address < begin + std::max<std::size_t>(bytes(entry->second), 1)) return entry;
    }
    auto it = long_.upper_bound(address);
    if (it == long_.begin()) return nullptr;
    --it;
    return address < it->first + it->second ? table_.FindEntry(it->first) : nullptr;
  }

  // Calls visit(entry) for every entry that lies at least partly in the
  // page, in address order.
  template <class Bytes, class Visit>
  void ForEachOnPage(std::uintptr_t page, Bytes bytes, Visit visit) const {
    if (const Entry* before = Containing(page, bytes); before != nullptr && before->first < page) visit(*before);
    const Bitmap* bits = pages_.Find(page);
    if (bits == nullptr) return;
    for (std::size_t word = 0; word < bits->size(); ++word) {
      for (std::uint64_t rest = (*bits)[word]; rest != 0; rest &= rest - 1) {
        const auto bit = static_cast<std::size_t>(std::countr_zero(rest));
        if (const Entry* entry = table_.FindEntry(page + (word * 64 + bit) * Step)) visit(*entry);
      }
    }
  }

 private:
  static constexpr std::size_t Bits = PageSize / Step;
  using Bitmap = std::array<std::uint64_t, Bits / 64>;

  void Mark(std::uintptr_t address, bool on) {
    const std::uintptr_t page = address / PageSize * PageSize;
    const std::size_t bit = (address - page) / Step;
    Bitmap* bits = pages_.Find(page);
    if (bits == nullptr) {
      if (!on) return;
      pages_.Insert(page, Bitmap{});
      bits = pages_.Find(page);
    }
    const std::uint64_t mask = std::uint64_t{1} << (bit % 64);
    (*bits)[bit / 64] = on ? (*bits)[bit / 64] | mask : (*bits)[bit / 64] & ~mask;
  }

  // The last allocation beginning on the page at or before the bit, or 0.
  std::uintptr_t Last(std::uintptr_t page, std::size_t bit) const {
    const Bitmap* bits = pages_.Find(page);
    if (bits == nullptr) return 0;
    for (std::size_t word = bit / 64 + 1; word-- > 0;) {
      std::uint64_t set = (*bits)[word];
      if (word == bit / 64 && bit % 64 != 63) set &= (std::uint64_t{1} << (bit % 64 + 1)) - 1;
      if (set != 0) return page + (word * 64 + 63 - static_cast<std::size_t>(std::countl_zero(set))) * Step;
    }
    return 0;
  }

  AddressTable<Value> table_;
  AddressTable<Bitmap> pages_;
  std::map<std::uintptr_t, std::size_t> long_;  // allocations longer than a page: bytes
};

}  // namespace virlo::store
