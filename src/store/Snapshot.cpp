#include "store/Snapshot.h"

#include <algorithm>
#include <cstring>

#include "store/FieldVisitor.h"
#include "store/TypeDescription.h"

namespace virlo::store {
namespace {

bool IsChars(const Allocation& allocation) { return allocation.type == &TypeDescription::Char(); }

void* ElementAt(std::uintptr_t address, const Allocation& allocation, std::size_t i) {
  return reinterpret_cast<void*>(address + i * allocation.size);
}

class CaptureVisitor : public FieldVisitor {
 public:
  explicit CaptureVisitor(std::vector<std::uint64_t>& out) : out_(out) {}
  void Int32(const char*, std::int32_t& value) override { out_.push_back(static_cast<std::uint32_t>(value)); }
  void UInt32(const char*, std::uint32_t& value) override { out_.push_back(value); }
  void Reference(const char*, void*& target, const TypeDescription*) override {
    out_.push_back(reinterpret_cast<std::uintptr_t>(target));
  }
  void TransientReference(const char*, void*&) override {}
  void Embedded(const char*, void* member, const TypeDescription& type) override { type.DescribeFields(member, *this); }

 private:
  std::vector<std::uint64_t>& out_;
};

class RestoreVisitor : public FieldVisitor {
 public:
  RestoreVisitor(const std::vector<std::uint64_t>& in, std::size_t next) : in_(in), next_(next) {}
  void Int32(const char*, std::int32_t& value) override { value = static_cast<std::int32_t>(Next()); }
  void UInt32(const char*, std::uint32_t& value) override { value = static_cast<std::uint32_t>(Next()); }
  void Reference(const char*, void*& target, const TypeDescription*) override {
    target = reinterpret_cast<void*>(static_cast<std::uintptr_t>(Next()));
  }
  // Transient memory is never part of a state: it comes back as null.
  void TransientReference(const char*, void*& target) override { target = nullptr; }
  void Embedded(const char*, void* member, const TypeDescription& type) override { type.DescribeFields(member, *this); }

 private:
  std::uint64_t Next() { return in_[next_++]; }
  const std::vector<std::uint64_t>& in_;
  std::size_t next_;
};

}  // namespace

Snapshot Snapshot::Capture(const Database& db) {
  Snapshot snapshot;
  snapshot.records_.reserve(db.allocations_.size());
  CaptureVisitor capture(snapshot.values_);
  for (const auto& [address, allocation] : db.allocations_) {
    Record record{address, allocation, 0};
    if (IsChars(allocation)) {
      record.first = snapshot.bytes_.size();
      snapshot.bytes_.append(reinterpret_cast<const char*>(address), allocation.count);
    } else {
      record.first = snapshot.values_.size();
      for (std::size_t i = 0; i < allocation.count; ++i) {
        allocation.type->DescribeFields(ElementAt(address, allocation, i), capture);
      }
    }
    snapshot.records_.push_back(record);
  }
  for (const auto& root : db.roots_) snapshot.roots_.emplace_back(root->Name(), root->GetValue());
  return snapshot;
}

void Snapshot::Restore(Database& db) const {
  std::vector<std::uintptr_t> released;
  for (const auto& [address, allocation] : db.allocations_) {
    if (!Holds(address)) released.push_back(address);
  }
  for (std::uintptr_t address : released) db.Bury(address);

  for (const Record& record : records_) {
    if (db.allocations_.count(record.address) == 0) {
      db.Revive(record.address);
      if (!IsChars(record.allocation)) {
        for (std::size_t i = 0; i < record.allocation.count; ++i) {
          record.allocation.type->ConstructBlank(ElementAt(record.address, record.allocation, i));
        }
      }
    }
  }

  for (const Record& record : records_) {
    if (IsChars(record.allocation)) {
      std::memcpy(reinterpret_cast<void*>(record.address), bytes_.data() + record.first, record.allocation.count);
      continue;
    }
    RestoreVisitor restore(values_, record.first);
    for (std::size_t i = 0; i < record.allocation.count; ++i) {
      record.allocation.type->DescribeFields(ElementAt(record.address, record.allocation, i), restore);
    }
  }

  db.roots_.clear();
  for (const auto& [name, value] : roots_) db.CreateRoot(name)->SetValue(value);
}

bool Snapshot::Holds(std::uintptr_t address) const {
  auto it = std::lower_bound(records_.begin(), records_.end(), address,
                             [](const Record& r, std::uintptr_t a) { return r.address < a; });
  return it != records_.end() && it->address == address;
}

bool operator==(const Snapshot& a, const Snapshot& b) {
  return a.records_ == b.records_ && a.values_ == b.values_ && a.bytes_ == b.bytes_ && a.roots_ == b.roots_;
}

}  // namespace virlo::store
