#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "store/AddressTable.h"
#include "store/AllocationMap.h"

namespace virlo::store {

class Arena;
class LooseMemory;
class Delta;
class TypeDescription;
class UndoHistory;

// One allocation made by the store: where it lies, what it holds, and which
// database owns it.
struct Allocation {
  std::size_t size = 0;
  std::size_t count = 0;
  const TypeDescription* type = nullptr;
};

// How another state's content compares with the present's, as far as what
// differs between them tells (see Database::SetContentJudge).
enum class Sameness { Same, Different, Unknown };

// A database of the store: one document, or the transient database that
// stands for ordinary memory. Every allocation the store makes belongs to
// exactly one database, which answers for addresses inside it.
class Database {
 public:
  explicit Database(std::string pathName);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // The database that holds the address; interior addresses count. Any
  // address outside every document database (the stack, static data, plain
  // heap memory) belongs to the transient database.
  static Database* Of(const void* address);
  static Database* Transient();

  bool IsTransient() const { return this == Transient(); }
  const std::string& PathName() const { return pathName_; }
  void SetPathName(std::string pathName) { pathName_ = std::move(pathName); }

  // Named roots: entry points into the database's objects. A root's value is
  // stored without a type check.
  class Root {
   public:
    explicit Root(std::string name) : name_(std::move(name)) {}
    const std::string& Name() const { return name_; }
    void* GetValue() const { return value_; }
    void SetValue(void* value) { value_ = value; }

   private:
    std::string name_;
    void* value_ = nullptr;
  };
  Root* FindRoot(const std::string& name);
  Root* CreateRoot(const std::string& name);
  // A root the caller knows is not there yet, added without looking: a
  // reader of many names keeps to linear time.
  Root* AddRoot(std::string name);
  // Forgets every root but the one named.
  void KeepOnlyRoot(const std::string& name);
  const std::vector<std::unique_ptr<Root>>& Roots() const { return roots_; }

  // The undo history: a marker before each edit, then undo(1) and redo(1).
  void SetUndoMarker();
  bool IsUndoable() const;
  bool IsRedoable() const;
  // How many undos, and redos, would each change something now.
  std::size_t UndoableSteps() const;
  std::size_t RedoableSteps() const;
  bool Undo();
  bool Redo();
  // Decides what counts as a change that ends the redo steps (see UndoHistory).
  using ContentKey = std::function<std::string()>;
  void SetContentKey(ContentKey key);
  // Tells from a delta (another state, as its differences from the present)
  // whether the two have the same content key, when that follows from what
  // differs; else Unknown, and the keys are compared.
  using ContentJudge = std::function<Sameness(const Database&, const Delta&)>;
  void SetContentJudge(ContentJudge judge);

  // The state the document file holds: the present, from now on.
  void MarkSaved();
  // No state is the file's (a recovery copy opened).
  void ForgetSaved();
  // Whether the present's content is the file's, as the judge tells it from
  // what changed since MarkSaved; Unknown when it cannot tell.
  Sameness CompareWithSaved();
  // The history, for tests; null until a marker or MarkSaved.
  UndoHistory* History() const { return history_.get(); }
  // How many markers were set, for diagnostics.
  std::int32_t UndoMarkerCount() const { return undoMarkers_; }

  // Something kept beside the database for as long as it is open (an index
  // of its objects): ordinary memory, never stored or undone. An undo or
  // redo writes allocations back in place without a word to their objects,
  // so it tells every attachment which it wrote, made again or took away.
  class Attachment {
   public:
    virtual ~Attachment() = default;
    virtual void Restored(const std::vector<std::uintptr_t>& addresses) = 0;
  };
  // Keeps the attachment under a key (the object it serves), replacing one
  // kept there before; returns it.
  Attachment* Attach(const void* key, std::unique_ptr<Attachment> attachment);
  Attachment* Attached(const void* key) const;
  void Detach(const void* key);

  // The allocation that begins at or contains the address, or null; in the
  // transient database, only one that begins there.
  const Allocation* Find(const void* address, const void** begin = nullptr) const;
  std::size_t AllocationCount() const;
  const AllocationMap<Allocation>& Allocations() const { return allocations_; }

 private:
  struct TransientTag {};
  explicit Database(TransientTag);

  friend void* Allocate(Database*, const TypeDescription&, std::size_t);
  friend void Free(void*);
  friend class UndoHistory;

  // Starts the history (and watching the pages) if it has not started.
  UndoHistory& StartHistory();
  // Freed memory the history may still bring back is buried, not released.
  void Bury(std::uintptr_t address);
  bool Revive(std::uintptr_t address);
  // Gives an allocation's memory back for good.
  void ReleaseMemory(std::uintptr_t address, const Allocation& allocation);
  // Tells the attachments what an undo or redo wrote back.
  void TellRestored(const std::vector<std::uintptr_t>& addresses);

  std::string pathName_;
  std::vector<std::unique_ptr<Root>> roots_;
  AllocationMap<Allocation> allocations_;
  AddressTable<Allocation> buried_;
  // The transient database's memory and records: by their first address
  // only, since no address of ordinary memory is ever looked up inside an
  // allocation (see Of); null for a document.
  std::unique_ptr<LooseMemory> loose_;
  // A document's memory, in pages of its own; null for the transient database.
  std::unique_ptr<Arena> arena_;
  std::unique_ptr<UndoHistory> history_;
  std::map<const void*, std::unique_ptr<Attachment>> attachments_;
  ContentKey contentKey_;
  ContentJudge contentJudge_;
  std::int32_t undoMarkers_ = 0;
};

}  // namespace virlo::store
