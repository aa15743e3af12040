#include "store/Delta.h"

#include <cstring>

#include "store/TypeDescription.h"
#include "store/TypeLayout.h"

namespace virlo::store {
namespace {

bool SameFields(const char* a, const char* b, const TypeLayout& layout) {
  for (const TypeLayout::Field& field : layout.Fields()) {
    switch (field.kind) {
      case TypeLayout::FieldKind::Int32:
      case TypeLayout::FieldKind::UInt32:
        if (std::memcmp(a + field.offset, b + field.offset, 4) != 0) return false;
        break;
      case TypeLayout::FieldKind::Reference:
        if (std::memcmp(a + field.offset, b + field.offset, sizeof(void*)) != 0) return false;
        break;
      case TypeLayout::FieldKind::Transient:
        break;
    }
  }
  return true;
}

}  // namespace

const RecordRef& Record::Absent() {
  static const RecordRef absent = std::make_shared<const Record>();
  return absent;
}

Delta::Delta(Delta&& other) noexcept
    : holds_(other.holds_), records_(std::move(other.records_)), roots_(std::move(other.roots_)) {
  other.records_.Clear();
  other.roots_.reset();
}

Delta& Delta::operator=(Delta&& other) noexcept {
  if (this != &other) {
    Clear();
    holds_ = other.holds_;
    records_ = std::move(other.records_);
    roots_ = std::move(other.roots_);
    other.records_.Clear();
    other.roots_.reset();
  }
  return *this;
}

const Record* Delta::Find(std::uintptr_t address) const {
  const RecordRef* record = records_.Find(address);
  return record != nullptr ? record->get() : nullptr;
}

void Delta::Hold(std::uintptr_t address, const RecordRef& record) {
  if (holds_ != nullptr && record->Present()) holds_->Add(address);
}

void Delta::Release(std::uintptr_t address, const RecordRef& record) {
  if (holds_ != nullptr && record->Present()) holds_->Drop(address);
}

void Delta::Set(std::uintptr_t address, RecordRef record) {
  if (RecordRef* kept = records_.Find(address)) {
    Release(address, *kept);
    Hold(address, record);
    *kept = std::move(record);
    return;
  }
  Hold(address, record);
  records_.Insert(address, std::move(record));
}

void Delta::Erase(std::uintptr_t address) {
  const RecordRef* kept = records_.Find(address);
  if (kept == nullptr) return;
  Release(address, *kept);
  records_.Erase(address);
}

void Delta::Clear() {
  for (const auto& [address, record] : records_) Release(address, record);
  records_.Clear();
  roots_.reset();
}

void Delta::Follow(const Delta& change, const Database& db) {
  for (const auto& [address, before] : change.records_) {
    const RecordRef* kept = records_.Find(address);
    if (kept == nullptr) {
      // This state had what the present had before the change.
      Set(address, before);
    } else if (SameAsPresent(**kept, db, address)) {
      Erase(address);
    }
  }
  if (change.roots_.has_value()) {
    if (!roots_.has_value()) {
      roots_ = change.roots_;
    } else if (SameRoots(*roots_, db)) {
      roots_.reset();
    }
  }
}

bool SameAsPresent(const Record& record, const Database& db, std::uintptr_t address) {
  auto it = db.Allocations().find(address);
  if (it == db.Allocations().end()) return !record.Present();
  const Allocation& now = it->second;
  if (!record.Present()) return false;
  if (now.type != record.allocation.type || now.size != record.allocation.size ||
      now.count != record.allocation.count) {
    return false;
  }
  const char* present = reinterpret_cast<const char*>(address);
  if (now.type == &TypeDescription::Char()) return std::memcmp(present, record.bytes.data(), now.count) == 0;
  const TypeLayout& layout = TypeLayout::Of(*now.type);
  for (std::size_t i = 0; i < now.count; ++i) {
    if (!SameFields(present + i * now.size, record.bytes.data() + i * now.size, layout)) return false;
  }
  return true;
}

RootValues RootsOf(const Database& db) {
  RootValues roots;
  for (const auto& root : db.Roots()) roots.emplace_back(root->Name(), root->GetValue());
  return roots;
}

bool SameRoots(const RootValues& roots, const Database& db) {
  if (roots.size() != db.Roots().size()) return false;
  for (std::size_t i = 0; i < roots.size(); ++i) {
    if (roots[i].first != db.Roots()[i]->Name() || roots[i].second != db.Roots()[i]->GetValue()) return false;
  }
  return true;
}

}  // namespace virlo::store
