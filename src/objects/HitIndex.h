#pragma once

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "model/ListG.h"
#include "objects/DrawObj.h"
#include "platform/Rect.h"
#include "store/Database.h"

namespace virlo {

class Sheet;

// Where the objects of a sheet's list can be hit, so that a hit search looks
// at the few objects near a point instead of walking the whole list. It
// gives exactly what the walk gives: the front-most listed object whose
// HitTest holds, every candidate still asked through HitTest.
//
// Transient, never stored: it is attached to the sheet's database and goes
// with it. It follows the list through the list's watcher, moves through
// Sheet::Moved (Dot::Move tells it), and undo and redo through the store,
// which tells it every allocation they wrote back. Objects that changed are
// only marked; the next search places them again.
//
// Each hit area lies in a grid whose cells suit its size: the smallest
// power-of-two multiple of 32 units, across and down separately, for which
// it spans at most two cells each way. A search looks in the one cell of
// each grid in use. The stacking order is a rank per list node: nodes are
// only ever added at either end and never move, so ranks taken from a
// counter that falls at the front and rises at the back keep the order;
// nodes an undo brings back take ranks between their neighbours'.
//
// In a cell, objects with one same hit area form a stack kept in stacking
// order, so that objects pasted on top of each other cost a search no more
// than one: an area without the point is passed over whole, and in one with
// it the search stops at the front-most object that answers. An area only
// one object has in the cell is kept as a single entry, without a stack.
class HitIndex : public ListG::Watcher, public store::Database::Attachment {
 public:
  explicit HitIndex(Sheet& sheet);
  ~HitIndex() override;
  HitIndex(const HitIndex&) = delete;
  HitIndex& operator=(const HitIndex&) = delete;

  // The front-most listed object, other than exclude and allowed by the
  // sheet's PickOnly, whose HitTest holds at the point; null if none.
  DrawObj* Hit(std::int32_t x, std::int32_t y, const DrawObj* exclude);
  // The listed objects, allowed by the sheet's PickOnly, with a hit area
  // reaching into the rectangle, front to back, each once: what lies near
  // a place, for the few exact tests the caller makes.
  std::vector<DrawObj*> Near(const Rect& area);
  bool Lists(const DrawObj* obj) const { return objects_.count(obj) != 0; }
  // The list's nodes that hold obj.
  std::vector<ListG::Node*> NodesOf(const DrawObj* obj) const;
  // The object, listed, may have moved or changed its hit areas.
  void Moved(const DrawObj* obj);
  // True when the index holds exactly the list's nodes and objects, in its
  // order, and every object where it stands now; for tests.
  bool Agrees();

  void Added(ListG::Node* node, bool atFront) override;
  void Removed(ListG::Node* node) override;
  void Restored(const std::vector<std::uintptr_t>& addresses) override;

 private:
  // A listed object: its nodes (the same object may be listed twice), the
  // rank of the front-most one, and the hit areas it was placed with.
  struct Placed {
    DrawObj* obj = nullptr;
    std::vector<ListG::Node*> nodes;
    std::int64_t front = 0;
    DrawObj::HitAreaList areas{};
    std::size_t areaCount = 0;
    std::int64_t rank = 0;  // front as it was when placed
    bool dirty = true;
  };
  // One object in a stack; placed null for one taken out (a hole).
  struct Entry {
    Placed* placed;
    std::int64_t rank;
  };
  // The entries of one cell with one hit area, from the back to the front.
  // One taken out from the middle leaves a hole, until holes are half of it.
  struct Stack {
    Rect area;
    std::vector<Entry> entries;
    std::size_t holes = 0;
    // Where entries placed out of order begin, to be merged in; NoMerge if none.
    std::size_t mergeFrom = NoMerge;
  };
  static constexpr std::size_t NoMerge = static_cast<std::size_t>(-1);
  // An object whose area no other object in the cell has.
  struct Single {
    Rect area;
    Entry entry;
  };
  struct Cell {
    std::vector<Single> singles;
    std::vector<Stack> stacks;
  };
  struct NodeRank {
    Placed* placed;
    std::int64_t rank;
  };
  struct CellHash {
    std::size_t operator()(std::uint64_t key) const;
  };
  // The grids, by level across and down.
  static constexpr int Levels = 28;

  void Build();
  void Add(ListG::Node* node, std::int64_t rank);
  void MarkDirty(Placed& placed);
  // Places again everything marked.
  void Flush();
  // Places every area in its stacks; entries out of order are merged by
  // Flush, whose keys of cells to merge are kept in mergeCells_.
  void Place(Placed& placed);
  void PlaceIn(Cell& cell, std::uint64_t key, const Rect& area, Placed& placed);
  void Unplace(Placed& placed);
  static void TakeOut(Cell& cell, const Rect& area, const Placed& placed);
  static void TakeOut(Stack& stack, const Placed& placed);
  void MergePlaced();
  // The front-most object of the cell, in front of bestRank, that answers.
  DrawObj* HitIn(const Cell& cell, std::int32_t x, std::int32_t y, const DrawObj* exclude,
                 std::int64_t& bestRank) const;
  // How many entries the cell gives the object for the area: 1 where all is well.
  static std::size_t CountIn(const Cell& cell, const Rect& area, const Placed& placed);
  // Every area of the object that is not empty and not one of its earlier areas.
  template <class Visit>
  static void ForEachArea(const Placed& placed, Visit visit);
  // Calls visit(key) for every cell of its grid the area spans.
  template <class Visit>
  static void ForEachCell(const Rect& area, Visit visit);
  void CountLevel(std::size_t level, int change);
  // Fresh ranks for the whole list, front to back.
  void Renumber();

  Sheet& sheet_;
  store::Database& db_;
  std::unordered_map<const void*, Placed> objects_;
  std::unordered_map<const ListG::Node*, NodeRank> nodes_;
  std::unordered_map<std::uint64_t, Cell, CellHash> cells_;
  std::vector<std::uint64_t> mergeCells_;
  std::array<std::int32_t, Levels * Levels> levelCounts_{};
  std::vector<std::size_t> levelsInUse_;
  std::vector<DrawObj*> dirty_;
  std::int64_t frontRank_ = 0;
  std::int64_t backRank_ = 0;
  std::int32_t cellWidth_ = 0;
  std::int32_t cellHeight_ = 0;
};

}  // namespace virlo
