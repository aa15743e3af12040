#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "store/Database.h"

namespace virlo::store {

// The state of a database at one moment, taken through the field descriptions:
// every allocation with its fields, and the roots. Restoring it puts every
// value back at the same address.
class Snapshot {
 public:
  static Snapshot Capture(const Database& db);
  // Allocations made since are released without running destructors (their
  // links belong to the state being discarded); allocations freed since come
  // back at their old addresses, which the database has kept for them.
  void Restore(Database& db) const;

  // True when the snapshot holds an allocation beginning at the address.
  bool Holds(std::uintptr_t address) const;
  std::size_t Records() const { return records_.size(); }

  // The whole state as bytes: equal keys exactly when the snapshots are equal.
  std::string Key() const;

  friend bool operator==(const Snapshot& a, const Snapshot& b);

 private:
  struct Record {
    std::uintptr_t address = 0;
    Allocation allocation;
    std::size_t first = 0;  // index into values_, or into bytes_ for characters

    friend bool operator==(const Record& a, const Record& b) {
      return a.address == b.address && a.allocation.size == b.allocation.size &&
             a.allocation.count == b.allocation.count && a.allocation.type == b.allocation.type && a.first == b.first;
    }
  };

  std::vector<Record> records_;
  std::vector<std::uint64_t> values_;
  std::string bytes_;
  std::vector<std::pair<std::string, void*>> roots_;
};

}  // namespace virlo::store
