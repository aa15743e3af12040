#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "store/Snapshot.h"

namespace virlo::store {

class Database;

// The undo and redo steps of one database. A marker before each edit keeps
// the state it finds; a marker that follows no change adds no step, and an
// undo always undoes something visible. A change after an undo drops the
// redo steps.
class UndoHistory {
 public:
  explicit UndoHistory(Database& db) : db_(db) {}

  void SetMarker();
  bool IsUndoable() const;
  bool IsRedoable() const;
  bool Undo();
  bool Redo();

  // True when some step may still bring back the allocation at the address.
  bool Holds(std::uintptr_t address) const;
  bool Empty() const { return undo_.empty() && redo_.empty(); }
  std::size_t UndoSteps() const { return undo_.size(); }
  std::size_t RedoSteps() const { return redo_.size(); }

 private:
  void Trim();
  // Lets the database release the memory no step can bring back any more.
  void Collect();

  Database& db_;
  std::deque<Snapshot> undo_;
  std::vector<Snapshot> redo_;
  // The state right after the last undo or redo; a redo is allowed only
  // while the present still equals it.
  std::optional<Snapshot> restored_;
};

}  // namespace virlo::store
