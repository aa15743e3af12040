#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "store/Snapshot.h"

namespace virlo::store {

class Database;

// The undo and redo steps of one database. A marker before each edit keeps
// the state it finds; a marker that follows no change adds no step, and an
// undo always undoes something visible. A change after an undo drops the
// redo steps; what counts as a change there is up to the content key, when
// one is set (a new pick is no change to the diagram), else any difference.
class UndoHistory {
 public:
  using ContentKey = std::function<std::string()>;

  explicit UndoHistory(Database& db) : db_(db) {}
  void SetContentKey(ContentKey key) { contentKey_ = std::move(key); }

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
  // What the present is, for telling whether it changed since an undo or redo.
  std::string PresentKey() const;
  // True while the present is still what the last undo or redo left.
  bool Unchanged() const { return restored_.has_value() && *restored_ == PresentKey(); }

  Database& db_;
  std::deque<Snapshot> undo_;
  std::vector<Snapshot> redo_;
  // The key of the state right after the last undo or redo; a redo is
  // allowed only while the present still has it.
  std::optional<std::string> restored_;
  ContentKey contentKey_;
};

}  // namespace virlo::store
