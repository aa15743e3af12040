#include "store/UndoHistory.h"

#include "store/Database.h"
#include "store/Store.h"

namespace virlo::store {

std::string UndoHistory::PresentKey() const {
  if (contentKey_) return contentKey_();
  return Snapshot::Capture(db_).Key();
}

void UndoHistory::SetMarker() {
  if (!redo_.empty() && !Unchanged()) redo_.clear();
  Snapshot now = Snapshot::Capture(db_);
  if (undo_.empty() || undo_.back() != now) undo_.push_back(std::move(now));
  Trim();
  Collect();
}

bool UndoHistory::IsUndoable() const {
  if (undo_.size() >= 2) return true;
  // One step undoes something only when the present has moved away from it.
  return undo_.size() == 1 && undo_.back() != Snapshot::Capture(db_);
}

bool UndoHistory::IsRedoable() const { return !redo_.empty() && Unchanged(); }

bool UndoHistory::Undo() {
  // A change since the last undo or redo ends the redo steps.
  if (!redo_.empty() && !Unchanged()) redo_.clear();
  Snapshot now = Snapshot::Capture(db_);
  while (!undo_.empty() && undo_.back() == now) undo_.pop_back();
  if (undo_.empty()) {
    Collect();
    return false;
  }
  redo_.push_back(std::move(now));
  undo_.back().Restore(db_);
  undo_.pop_back();
  restored_ = PresentKey();
  Collect();
  return true;
}

bool UndoHistory::Redo() {
  if (redo_.empty()) return false;
  if (!Unchanged()) {
    redo_.clear();
    Collect();
    return false;
  }
  Snapshot now = Snapshot::Capture(db_);
  if (undo_.empty() || undo_.back() != now) undo_.push_back(std::move(now));
  Trim();
  redo_.back().Restore(db_);
  redo_.pop_back();
  restored_ = PresentKey();
  Collect();
  return true;
}

void UndoHistory::Trim() {
  const auto limit = static_cast<std::size_t>(MaximumUndoOperations() > 0 ? MaximumUndoOperations() : 0);
  while (undo_.size() > limit) undo_.pop_front();
}

bool UndoHistory::Holds(std::uintptr_t address) const {
  for (const Snapshot& s : undo_) {
    if (s.Holds(address)) return true;
  }
  for (const Snapshot& s : redo_) {
    if (s.Holds(address)) return true;
  }
  return false;
}

void UndoHistory::Collect() { db_.ReleaseBuried(); }

}  // namespace virlo::store
