#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "store/AddressTable.h"
#include "store/Database.h"
#include "store/Holds.h"

namespace virlo::store {

// One allocation as another state has it: what it is and its bytes, or that
// the state has none at that address. Records are never changed once made,
// so steps share them.
struct Record {
  Allocation allocation;  // type null: no allocation there
  std::string bytes;      // size * count bytes, as they lay in memory

  bool Present() const { return allocation.type != nullptr; }
  // The record of no allocation, shared by all.
  static const std::shared_ptr<const Record>& Absent();
};
using RecordRef = std::shared_ptr<const Record>;

// Roots as a state has them, by name.
using RootValues = std::vector<std::pair<std::string, void*>>;

// Another state of a database, told as its differences from the present:
// for each address where it differs, its record there; its roots when they
// differ. An empty delta is a state equal to the present. The present's own
// side is the memory itself, so a delta is valid only while the present is
// the one it was made against (the history moves every delta it keeps along
// with each change it takes in).
class Delta {
 public:
  // holds: where the records of this delta keep memory; null when they do not.
  explicit Delta(Holds* holds = nullptr) : holds_(holds) {}
  ~Delta() { Clear(); }
  Delta(Delta&& other) noexcept;
  Delta& operator=(Delta&& other) noexcept;
  Delta(const Delta&) = delete;
  Delta& operator=(const Delta&) = delete;

  bool Empty() const { return records_.Empty() && !roots_.has_value(); }
  std::size_t Size() const { return records_.Size(); }
  const AddressTable<RecordRef>& Records() const { return records_; }
  const std::optional<RootValues>& Roots() const { return roots_; }
  // The record at the address, or null when the state has what the present has.
  const Record* Find(std::uintptr_t address) const;

  void Set(std::uintptr_t address, RecordRef record);
  void Erase(std::uintptr_t address);
  void SetRoots(std::optional<RootValues> roots) { roots_ = std::move(roots); }
  void Clear();

  // Takes in a change of the present: `change` tells the present before it
  // (as a delta from the present after). Afterwards this delta tells the same
  // state as before, from the new present. Records equal to the new present
  // are dropped.
  void Follow(const Delta& change, const Database& db);

 private:
  void Hold(std::uintptr_t address, const RecordRef& record);
  void Release(std::uintptr_t address, const RecordRef& record);

  Holds* holds_;
  AddressTable<RecordRef> records_;
  std::optional<RootValues> roots_;
};

// Comparisons between records and the present, field by field through the
// type descriptions: transient references never count, as in a file.
bool SameAsPresent(const Record& record, const Database& db, std::uintptr_t address);
bool SameRoots(const RootValues& roots, const Database& db);
RootValues RootsOf(const Database& db);

}  // namespace virlo::store
