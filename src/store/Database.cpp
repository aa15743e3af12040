#include "store/Database.h"

#include <algorithm>

#include "store/Arena.h"
#include "store/LooseMemory.h"
#include "store/Store.h"
#include "store/UndoHistory.h"

namespace virlo::store {
namespace {

// Every open database except the transient one. Never destroyed, so that
// objects released during static destruction can still be found.
std::vector<Database*>& OpenDatabases() {
  static auto* databases = new std::vector<Database*>();
  return *databases;
}

}  // namespace

Database::Database(std::string pathName) : pathName_(std::move(pathName)), arena_(std::make_unique<Arena>()) {
  OpenDatabases().push_back(this);
}

Database::Database(TransientTag) : loose_(std::make_unique<LooseMemory>()) {}

Database::~Database() {
  auto& open = OpenDatabases();
  open.erase(std::remove(open.begin(), open.end(), this), open.end());
  history_.reset();
  attachments_.clear();
  // Closing a database drops its memory without running destructors: the
  // objects' links are part of the database's own state. A document's pages
  // go with its arena, the transient database's with its loose memory.
}

std::size_t Database::AllocationCount() const {
  return allocations_.size() + (loose_ != nullptr ? loose_->Count() : 0);
}

UndoHistory& Database::StartHistory() {
  if (history_ == nullptr) {
    history_ = std::make_unique<UndoHistory>(*this);
    history_->SetContentKey(contentKey_);
    history_->SetContentJudge(contentJudge_);
  }
  return *history_;
}

void Database::SetUndoMarker() {
  ++undoMarkers_;
  if (IsTransient() || MaximumUndoOperations() <= 0) return;
  StartHistory().SetMarker();
}

void Database::SetContentKey(ContentKey key) {
  contentKey_ = std::move(key);
  if (history_ != nullptr) history_->SetContentKey(contentKey_);
}

void Database::SetContentJudge(ContentJudge judge) {
  contentJudge_ = std::move(judge);
  if (history_ != nullptr) history_->SetContentJudge(contentJudge_);
}

void Database::MarkSaved() {
  if (!IsTransient()) StartHistory().MarkSaved();
}

void Database::ForgetSaved() {
  if (history_ != nullptr) history_->ForgetSaved();
}

Sameness Database::CompareWithSaved() { return history_ != nullptr ? history_->CompareWithSaved() : Sameness::Unknown; }

bool Database::IsUndoable() const { return history_ != nullptr && history_->IsUndoable(); }

bool Database::IsRedoable() const { return history_ != nullptr && history_->IsRedoable(); }

std::size_t Database::UndoableSteps() const { return history_ != nullptr ? history_->UndoableSteps() : 0; }

std::size_t Database::RedoableSteps() const { return history_ != nullptr ? history_->RedoableSteps() : 0; }

bool Database::Undo() { return history_ != nullptr && history_->Undo(); }

bool Database::Redo() { return history_ != nullptr && history_->Redo(); }

Database::Attachment* Database::Attach(const void* key, std::unique_ptr<Attachment> attachment) {
  auto& kept = attachments_[key];
  kept = std::move(attachment);
  return kept.get();
}

Database::Attachment* Database::Attached(const void* key) const {
  auto it = attachments_.find(key);
  return it != attachments_.end() ? it->second.get() : nullptr;
}

void Database::Detach(const void* key) { attachments_.erase(key); }

void Database::TellRestored(const std::vector<std::uintptr_t>& addresses) {
  for (auto& [key, attachment] : attachments_) attachment->Restored(addresses);
}

void Database::Bury(std::uintptr_t address) {
  const auto* entry = allocations_.Find(address);
  if (entry == nullptr) return;
  const Allocation allocation = entry->second;
  allocations_.Erase(address);
  buried_.Insert(address, allocation);
}

bool Database::Revive(std::uintptr_t address) {
  const Allocation* buried = buried_.Find(address);
  if (buried == nullptr) return false;
  const Allocation allocation = *buried;
  buried_.Erase(address);
  allocations_.Insert(address, allocation, allocation.size * allocation.count);
  return true;
}

void Database::ReleaseMemory(std::uintptr_t address, const Allocation& allocation) {
  arena_->Release(reinterpret_cast<void*>(address), allocation.size * allocation.count);
}

Database* Database::Transient() {
  // Never destroyed: objects released during static destruction still need it.
  static Database* transient = new Database(TransientTag{});
  return transient;
}

Database* Database::Of(const void* address) {
  // A document's allocations lie in its arena's pages: an address in no
  // arena's pages (ordinary memory, the stack) is looked up nowhere.
  const Arena* arena = address != nullptr ? Arena::Holding(address) : nullptr;
  if (arena != nullptr) {
    for (Database* db : OpenDatabases()) {
      if (db->arena_.get() == arena) return db->Find(address) != nullptr ? db : Transient();
    }
  }
  return Transient();
}

const Allocation* Database::Find(const void* address, const void** begin) const {
  const auto key = reinterpret_cast<std::uintptr_t>(address);
  if (loose_ != nullptr) {
    const Allocation* found = loose_->Find(address);
    if (found != nullptr && begin != nullptr) *begin = address;
    return found;
  }
  const auto* entry =
      allocations_.Containing(key, [](const Allocation& allocation) { return allocation.size * allocation.count; });
  if (entry == nullptr) return nullptr;
  if (begin != nullptr) *begin = reinterpret_cast<const void*>(entry->first);
  return &entry->second;
}

Database::Root* Database::FindRoot(const std::string& name) {
  for (auto& root : roots_) {
    if (root->Name() == name) return root.get();
  }
  return nullptr;
}

Database::Root* Database::CreateRoot(const std::string& name) {
  if (Root* existing = FindRoot(name)) return existing;
  return AddRoot(name);
}

Database::Root* Database::AddRoot(std::string name) {
  roots_.push_back(std::make_unique<Root>(std::move(name)));
  return roots_.back().get();
}

void Database::KeepOnlyRoot(const std::string& name) {
  std::erase_if(roots_, [&name](const std::unique_ptr<Root>& root) { return root->Name() != name; });
}

}  // namespace virlo::store
