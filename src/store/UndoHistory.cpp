#include "store/UndoHistory.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "store/Arena.h"
#include "store/Store.h"
#include "store/TypeDescription.h"
#include "store/TypeLayout.h"

namespace virlo::store {
namespace {

bool IsChars(const Allocation& allocation) { return allocation.type == &TypeDescription::Char(); }

std::size_t Bytes(const Allocation& allocation) { return allocation.size * allocation.count; }

// Writes the stored fields of one object back from a record's bytes; a
// transient reference comes back as null, as from a file.
void WriteFields(char* object, const char* from, const TypeLayout& layout) {
  for (const TypeLayout::Field& field : layout.Fields()) {
    switch (field.kind) {
      case TypeLayout::FieldKind::Int32:
      case TypeLayout::FieldKind::UInt32:
        std::memcpy(object + field.offset, from + field.offset, 4);
        break;
      case TypeLayout::FieldKind::Reference:
        std::memcpy(object + field.offset, from + field.offset, sizeof(void*));
        break;
      case TypeLayout::FieldKind::Transient: {
        void* none = nullptr;
        std::memcpy(object + field.offset, &none, sizeof none);
        break;
      }
    }
  }
}

bool SameFields(const char* a, const char* b, const Allocation& allocation) {
  if (IsChars(allocation)) return std::memcmp(a, b, allocation.count) == 0;
  const TypeLayout& layout = TypeLayout::Of(*allocation.type);
  for (std::size_t i = 0; i < allocation.count; ++i) {
    const char* x = a + i * allocation.size;
    const char* y = b + i * allocation.size;
    for (const TypeLayout::Field& field : layout.Fields()) {
      const std::size_t bytes = field.kind == TypeLayout::FieldKind::Reference   ? sizeof(void*)
                                : field.kind == TypeLayout::FieldKind::Transient ? 0
                                                                                 : 4;
      if (bytes != 0 && std::memcmp(x + field.offset, y + field.offset, bytes) != 0) return false;
    }
  }
  return true;
}

}  // namespace

UndoHistory::UndoHistory(Database& db) : db_(db) {
  if (db_.arena_ != nullptr) db_.arena_->StartWatching();
  rootsAtMark_ = RootsOf(db_);
}

UndoHistory::~UndoHistory() = default;

void UndoHistory::Freed(std::uintptr_t address) {
  // Made and freed since the mark: nothing at the mark had it.
  if (!born_.Erase(address)) died_.Insert(address, true);
  buried_.push_back(address);
}

void UndoHistory::Revived(std::uintptr_t address) {
  if (!died_.Erase(address)) born_.Insert(address, true);
}

Delta UndoHistory::Changes() {
  Delta changes;
  born_.ForEach([&](std::uintptr_t address, bool) {
    if (db_.allocations_.count(address) != 0) changes.Set(address, Record::Absent());
  });
  auto readAtMark = [this](std::uintptr_t address, const Allocation& allocation) {
    auto record = std::make_shared<Record>();
    record->allocation = allocation;
    record->bytes.resize(Bytes(allocation));
    if (db_.arena_ != nullptr) {
      db_.arena_->ReadAtMark(address, record->bytes.size(), record->bytes.data());
    } else {
      std::memcpy(record->bytes.data(), reinterpret_cast<const void*>(address), record->bytes.size());
    }
    return RecordRef(std::move(record));
  };
  died_.ForEach([&](std::uintptr_t address, bool) {
    const Allocation* buried = db_.buried_.Find(address);
    assert(buried != nullptr);
    if (buried != nullptr) changes.Set(address, readAtMark(address, *buried));
  });
  if (db_.arena_ != nullptr) {
    std::string scratch;
    std::uintptr_t visited = 0;  // the last allocation looked at, which may span pages
    for (const std::uintptr_t page : db_.arena_->WrittenPages()) {
      db_.allocations_.ForEachOnPage(page, Bytes, [&](const std::pair<std::uintptr_t, Allocation>& entry) {
        const std::uintptr_t address = entry.first;
        if ((visited != 0 && address <= visited) || born_.Contains(address)) return;
        visited = address;
        const Allocation& allocation = entry.second;
        scratch.resize(Bytes(allocation));
        db_.arena_->ReadAtMark(address, scratch.size(), scratch.data());
        if (SameFields(scratch.data(), reinterpret_cast<const char*>(address), allocation)) return;
        auto record = std::make_shared<Record>();
        record->allocation = allocation;
        record->bytes = scratch;
        changes.Set(address, std::move(record));
      });
    }
  }
  if (!SameRoots(rootsAtMark_, db_)) changes.SetRoots(rootsAtMark_);
  return changes;
}

void UndoHistory::Mark() {
  if (db_.arena_ != nullptr) db_.arena_->Mark();
  // Memory buried since the last mark is read no more until it comes back.
  for (std::uintptr_t address : buried_) {
    const Allocation* buried = db_.buried_.Find(address);
    if (buried != nullptr) Arena::Poison(reinterpret_cast<void*>(address), Bytes(*buried));
  }
  born_.Clear();
  died_.Clear();
  rootsAtMark_ = RootsOf(db_);
}

void UndoHistory::ReleaseUnheld() {
  std::vector<std::uintptr_t> candidates = std::exchange(buried_, {});
  for (std::uintptr_t address : holds_.TakeDropped()) candidates.push_back(address);
  for (std::uintptr_t address : candidates) {
    if (holds_.Held(address)) continue;
    const Allocation* buried = db_.buried_.Find(address);
    if (buried == nullptr) continue;
    db_.ReleaseMemory(address, *buried);
    db_.buried_.Erase(address);
  }
}

void UndoHistory::Sync() {
  Delta changes = Changes();
  if (!changes.Empty()) {
    ++epoch_;
    if (!undo_.empty()) undo_.back().Follow(changes, db_);
    if (!redo_.empty()) redo_.back().Follow(changes, db_);
    if (restored_.has_value()) restored_->Follow(changes, db_);
    if (saved_.has_value()) saved_->Follow(changes, db_);
  }
  Mark();
  ReleaseUnheld();
}

RecordRef UndoHistory::PresentRecord(std::uintptr_t address) const {
  auto it = db_.allocations_.find(address);
  if (it == db_.allocations_.end()) return Record::Absent();
  auto record = std::make_shared<Record>();
  record->allocation = it->second;
  record->bytes.assign(reinterpret_cast<const char*>(address), Bytes(it->second));
  return record;
}

void UndoHistory::Apply(const Delta& state) {
  ++epoch_;
  // What the state does not have is buried; what it has that is gone comes
  // back at its address (memory any kept state may bring back stays there);
  // then every field of the state is written back in place.
  for (const auto& [address, record] : state.Records()) {
    if (record->Present() || db_.allocations_.count(address) == 0) continue;
    db_.Bury(address);
    Freed(address);
  }
  for (const auto& [address, record] : state.Records()) {
    if (!record->Present() || db_.allocations_.count(address) != 0) continue;
    [[maybe_unused]] const bool revived = db_.Revive(address);
    assert(revived && "a kept state lost its memory");
    Revived(address);
    Arena::Unpoison(reinterpret_cast<void*>(address), Bytes(record->allocation));
    if (!IsChars(record->allocation)) {
      for (std::size_t i = 0; i < record->allocation.count; ++i) {
        record->allocation.type->ConstructBlank(reinterpret_cast<char*>(address) + i * record->allocation.size);
      }
    }
  }
  for (const auto& [address, record] : state.Records()) {
    if (!record->Present()) continue;
    char* object = reinterpret_cast<char*>(address);
    if (IsChars(record->allocation)) {
      std::memcpy(object, record->bytes.data(), record->allocation.count);
      continue;
    }
    const TypeLayout& layout = TypeLayout::Of(*record->allocation.type);
    for (std::size_t i = 0; i < record->allocation.count; ++i) {
      const std::size_t offset = i * record->allocation.size;
      WriteFields(object + offset, record->bytes.data() + offset, layout);
    }
  }
  if (state.Roots().has_value()) {
    db_.roots_.clear();
    for (const auto& [name, value] : *state.Roots()) db_.CreateRoot(name)->SetValue(value);
  }
  if (!db_.attachments_.empty()) {
    std::vector<std::uintptr_t> written;
    written.reserve(state.Records().Size());
    for (const auto& [address, record] : state.Records()) written.push_back(address);
    db_.TellRestored(written);
  }
}

std::string UndoHistory::KeyOf(const Delta& state) {
  Sync();
  Delta back(&holds_);
  for (const auto& [address, record] : state.Records()) back.Set(address, PresentRecord(address));
  if (state.Roots().has_value()) back.SetRoots(RootsOf(db_));
  Apply(state);
  std::string key = contentKey_();
  Apply(back);
  // There and back: nothing changed, but the mark moves past the writes.
  Sync();
  return key;
}

bool UndoHistory::Unchanged() {
  if (!restored_.has_value()) return false;
  if (restored_->Empty()) return true;
  if (judgedEpoch_ == epoch_) return judgedUnchanged_;
  bool same = false;
  if (contentKey_) {
    const Sameness verdict = judge_ ? judge_(db_, *restored_) : Sameness::Unknown;
    same = verdict == Sameness::Unknown ? KeyOf(*restored_) == contentKey_() : verdict == Sameness::Same;
  }
  // Without a content key any difference is a change.
  judgedEpoch_ = epoch_;
  judgedUnchanged_ = same;
  return same;
}

void UndoHistory::DropRedo() {
  redo_.clear();
  // Only a redo asks whether the present is still what was restored.
  restored_.reset();
}

void UndoHistory::SetMarker() {
  Sync();
  if (!redo_.empty() && !Unchanged()) DropRedo();
  if (undo_.empty() || !undo_.back().Empty()) undo_.emplace_back(&holds_);
  Trim();
  ReleaseUnheld();
}

bool UndoHistory::IsUndoable() {
  Sync();
  if (undo_.size() >= 2) return true;
  // One step undoes something only when the present has moved away from it.
  return undo_.size() == 1 && !undo_.back().Empty();
}

std::size_t UndoHistory::UndoableSteps() {
  Sync();
  // A step with nothing in it is the present itself; undo skips it.
  return static_cast<std::size_t>(
      std::count_if(undo_.begin(), undo_.end(), [](const Delta& step) { return !step.Empty(); }));
}

std::size_t UndoHistory::RedoableSteps() {
  Sync();
  return Unchanged() ? redo_.size() : 0;
}

bool UndoHistory::IsRedoable() {
  Sync();
  return !redo_.empty() && Unchanged();
}

bool UndoHistory::Undo() {
  Sync();
  // A change since the last undo or redo ends the redo steps.
  if (!redo_.empty() && !Unchanged()) DropRedo();
  while (!undo_.empty() && undo_.back().Empty()) {
    undo_.pop_back();
  }
  if (undo_.empty()) {
    ReleaseUnheld();
    return false;
  }
  Delta step = std::move(undo_.back());
  undo_.pop_back();
  Apply(step);
  // What the undo changed tells the state it left: the first redo step.
  Delta left = Changes();
  Delta redo(&holds_);
  for (const auto& [address, record] : left.Records()) redo.Set(address, record);
  redo.SetRoots(left.Roots());
  // The other steps each tell their state from the next one: they stay.
  if (saved_.has_value()) saved_->Follow(left, db_);
  redo_.push_back(std::move(redo));
  restored_.emplace(&holds_);
  Mark();
  step.Clear();
  ReleaseUnheld();
  return true;
}

bool UndoHistory::Redo() {
  if (redo_.empty()) return false;
  Sync();
  if (!Unchanged()) {
    DropRedo();
    ReleaseUnheld();
    return false;
  }
  if (undo_.empty() || !undo_.back().Empty()) undo_.emplace_back(&holds_);
  Trim();
  Delta step = std::move(redo_.back());
  redo_.pop_back();
  Apply(step);
  Delta left = Changes();
  for (const auto& [address, record] : left.Records()) undo_.back().Set(address, record);
  undo_.back().SetRoots(left.Roots());
  if (saved_.has_value()) saved_->Follow(left, db_);
  if (redo_.empty()) {
    restored_.reset();
  } else {
    restored_.emplace(&holds_);
  }
  Mark();
  step.Clear();
  ReleaseUnheld();
  return true;
}

void UndoHistory::Trim() {
  const auto limit = static_cast<std::size_t>(MaximumUndoOperations() > 0 ? MaximumUndoOperations() : 0);
  while (undo_.size() > limit) undo_.pop_front();
}

void UndoHistory::MarkSaved() {
  Sync();
  saved_.emplace(nullptr);
}

void UndoHistory::ForgetSaved() { saved_.reset(); }

Sameness UndoHistory::CompareWithSaved() {
  Sync();
  if (!saved_.has_value()) return Sameness::Unknown;
  if (saved_->Empty()) return Sameness::Same;
  return judge_ ? judge_(db_, *saved_) : Sameness::Unknown;
}

bool UndoHistory::VisitStep(int steps, const std::function<void()>& visit) {
  Sync();
  // The state kept `steps` steps back (negative: forward), each delta of the
  // chain telling its state from the one before it.
  std::vector<const Delta*> path;
  if (steps > 0) {
    if (static_cast<std::size_t>(steps) > undo_.size()) return false;
    for (int i = 0; i < steps; ++i) path.push_back(&undo_[undo_.size() - 1 - static_cast<std::size_t>(i)]);
  } else if (steps < 0) {
    if (static_cast<std::size_t>(-steps) > redo_.size()) return false;
    for (int i = 0; i < -steps; ++i) path.push_back(&redo_[redo_.size() - 1 - static_cast<std::size_t>(i)]);
  }
  // Each delta of the chain tells its state from the one before it; going
  // there one by one, the way back is recorded from the present each time.
  std::vector<Delta> back;
  for (const Delta* state : path) {
    Delta here(&holds_);
    for (const auto& [address, record] : state->Records()) here.Set(address, PresentRecord(address));
    if (state->Roots().has_value()) here.SetRoots(RootsOf(db_));
    Apply(*state);
    back.push_back(std::move(here));
  }
  visit();
  for (auto it = back.rbegin(); it != back.rend(); ++it) Apply(*it);
  Sync();
  return true;
}

}  // namespace virlo::store
