#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "store/AddressTable.h"
#include "store/Database.h"
#include "store/Delta.h"

namespace virlo::store {

// The undo and redo steps of one database, and the states it compares the
// present with (the file as last saved, the state an undo or redo left).
//
// A marker before each edit keeps the state it finds; a marker that follows
// no change adds no step, and an undo always undoes something visible. A
// change after an undo drops the redo steps; what counts as a change there is
// up to the content key, when one is set (a new pick is no change to the
// diagram), else any difference.
//
// Nothing is copied whole. The database's pages tell which of them were
// written since the last look (the mark); only the allocations on those
// pages are compared, and only those that differ are kept, as they were.
// Every state the history keeps is a Delta from the present, and each look
// moves them all along with what changed, so a step costs what it changed.
class UndoHistory {
 public:
  using ContentKey = Database::ContentKey;
  using ContentJudge = Database::ContentJudge;

  explicit UndoHistory(Database& db);
  ~UndoHistory();
  UndoHistory(const UndoHistory&) = delete;
  UndoHistory& operator=(const UndoHistory&) = delete;

  void SetContentKey(ContentKey key) { contentKey_ = std::move(key); }
  void SetContentJudge(ContentJudge judge) { judge_ = std::move(judge); }

  void SetMarker();
  bool IsUndoable();
  bool IsRedoable();
  // How many undos, and redos, would each change something now.
  std::size_t UndoableSteps();
  std::size_t RedoableSteps();
  bool Undo();
  bool Redo();

  // The file as last saved or opened: the present is that state.
  void MarkSaved();
  void ForgetSaved();
  // Whether the present's content is the saved state's, as far as the judge
  // can tell from what differs; Unknown when there is no saved state.
  Sameness CompareWithSaved();

  std::size_t UndoSteps() const { return undo_.size(); }
  std::size_t RedoSteps() const { return redo_.size(); }

  // Visits the state kept `steps` steps back (negative: forward, on the redo
  // side), restored in place, then comes back to the present; false when
  // there is no such step. The newest undo step may be the present itself
  // (a marker that no change followed yet). Only for tests, which compare
  // each kept state with a full copy taken when it was the present.
  bool VisitStep(int steps, const std::function<void()>& visit);

  // The store's calls: an allocation made, and one freed (already buried).
  void Made(std::uintptr_t address) { born_.Insert(address, true); }
  void Freed(std::uintptr_t address);

 private:
  // Takes in what changed since the mark and moves every kept state along
  // with it; then marks again and lets go of memory nothing holds.
  void Sync();
  // What changed since the mark: each allocation that differs, as it was.
  Delta Changes();
  void Mark();
  void ReleaseUnheld();
  // Puts the state a delta tells in place of the present, in place.
  void Apply(const Delta& state);
  void Revived(std::uintptr_t address);
  // The present's record at an address (absent or what is there).
  RecordRef PresentRecord(std::uintptr_t address) const;
  // The content key of another state: restored for the moment, then back.
  std::string KeyOf(const Delta& state);
  // True while the present is still what the last undo or redo left.
  bool Unchanged();
  void DropRedo();
  void Trim();

  Database& db_;
  Holds holds_;              // before the deltas, which hold through it
  std::deque<Delta> undo_;   // back(): the state of the last step, from the present; the others each from the next
  std::vector<Delta> redo_;  // the same, back() nearest
  // The state right after the last undo or redo, while redo steps exist; a
  // redo is allowed only while the present's content is still its content.
  std::optional<Delta> restored_;
  std::optional<Delta> saved_;  // holds no memory: it is only compared with
  ContentKey contentKey_;
  ContentJudge judge_;

  // Since the mark: allocations made (and still there), allocations freed
  // that were there at the mark, memory buried.
  AddressTable<bool> born_;
  AddressTable<bool> died_;
  std::vector<std::uintptr_t> buried_;
  RootValues rootsAtMark_;

  // Counts changes taken in, so that Unchanged is not judged twice.
  std::uint64_t epoch_ = 0;
  std::uint64_t judgedEpoch_ = ~std::uint64_t{0};
  bool judgedUnchanged_ = false;
};

}  // namespace virlo::store
