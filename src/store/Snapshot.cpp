#include "store/Snapshot.h"

#include <algorithm>
#include <cstring>

#include "store/TypeDescription.h"
#include "store/TypeLayout.h"

namespace virlo::store {
namespace {

bool IsChars(const Allocation& allocation) { return allocation.type == &TypeDescription::Char(); }

void* ElementAt(std::uintptr_t address, const Allocation& allocation, std::size_t i) {
  return reinterpret_cast<void*>(address + i * allocation.size);
}

// Fields are read and written where the type's layout says they lie, which
// the layout learned from the field descriptions; no call per field.
void CaptureFields(const char* object, const TypeLayout& layout, std::vector<std::uint64_t>& out) {
  for (const TypeLayout::Field& field : layout.Fields()) {
    switch (field.kind) {
      case TypeLayout::FieldKind::Int32:
      case TypeLayout::FieldKind::UInt32: {
        std::uint32_t value;
        std::memcpy(&value, object + field.offset, sizeof value);
        out.push_back(value);
        break;
      }
      case TypeLayout::FieldKind::Reference: {
        void* target;
        std::memcpy(&target, object + field.offset, sizeof target);
        out.push_back(reinterpret_cast<std::uintptr_t>(target));
        break;
      }
      case TypeLayout::FieldKind::Transient:
        break;
    }
  }
}

std::size_t RestoreFields(char* object, const TypeLayout& layout, const std::vector<std::uint64_t>& in,
                          std::size_t next) {
  for (const TypeLayout::Field& field : layout.Fields()) {
    switch (field.kind) {
      case TypeLayout::FieldKind::Int32:
      case TypeLayout::FieldKind::UInt32: {
        const auto value = static_cast<std::uint32_t>(in[next++]);
        std::memcpy(object + field.offset, &value, sizeof value);
        break;
      }
      case TypeLayout::FieldKind::Reference: {
        void* target = reinterpret_cast<void*>(static_cast<std::uintptr_t>(in[next++]));
        std::memcpy(object + field.offset, &target, sizeof target);
        break;
      }
      case TypeLayout::FieldKind::Transient: {
        // Transient memory is never part of a state: it comes back as null.
        void* none = nullptr;
        std::memcpy(object + field.offset, &none, sizeof none);
        break;
      }
    }
  }
  return next;
}

}  // namespace

Snapshot Snapshot::Capture(const Database& db) {
  Snapshot snapshot;
  snapshot.records_.reserve(db.allocations_.size());
  snapshot.values_.reserve(db.allocations_.size() * 16);
  for (const auto& [address, allocation] : db.allocations_) {
    Record record{address, allocation, 0};
    if (IsChars(allocation)) {
      record.first = snapshot.bytes_.size();
      snapshot.bytes_.append(reinterpret_cast<const char*>(address), allocation.count);
    } else {
      record.first = snapshot.values_.size();
      const TypeLayout& layout = TypeLayout::Of(*allocation.type);
      for (std::size_t i = 0; i < allocation.count; ++i) {
        CaptureFields(static_cast<const char*>(ElementAt(address, allocation, i)), layout, snapshot.values_);
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
    const TypeLayout& layout = TypeLayout::Of(*record.allocation.type);
    std::size_t next = record.first;
    for (std::size_t i = 0; i < record.allocation.count; ++i) {
      next = RestoreFields(static_cast<char*>(ElementAt(record.address, record.allocation, i)), layout, values_, next);
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

std::string Snapshot::Key() const {
  std::string key;
  auto put = [&key](std::uint64_t value) { key.append(reinterpret_cast<const char*>(&value), sizeof value); };
  put(records_.size());
  for (const Record& record : records_) {
    put(record.address);
    put(record.allocation.size);
    put(record.allocation.count);
    put(reinterpret_cast<std::uintptr_t>(record.allocation.type));
    put(record.first);
  }
  put(values_.size());
  for (const std::uint64_t value : values_) put(value);
  put(bytes_.size());
  key += bytes_;
  for (const auto& [name, value] : roots_) {
    put(name.size());
    key += name;
    put(reinterpret_cast<std::uintptr_t>(value));
  }
  return key;
}

bool operator==(const Snapshot& a, const Snapshot& b) {
  return a.records_ == b.records_ && a.values_ == b.values_ && a.bytes_ == b.bytes_ && a.roots_ == b.roots_;
}

}  // namespace virlo::store
