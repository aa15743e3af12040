#include "objects/HitIndex.h"

#include <algorithm>
#include <limits>
#include <unordered_set>

#include "objects/Sheet.h"

namespace virlo {
namespace {

// The finest grid's cells are 2^5 = 32 units a side (four cells of 8 x 16
// across, two down), so that a search among small objects packed close
// looks at few; finer still, the index of a large diagram grows more than
// its searches gain. Level l doubles that l times. At the top level any
// area of 32-bit coordinates spans two cells at most. Cells far apart may
// share a key: a search asks every candidate's area, so that costs only time.
constexpr int BaseShift = 5;
// Room between the ranks of nodes added at either end, for nodes an undo
// brings back between two of them.
constexpr std::int64_t RankGap = std::int64_t{1} << 20;

int LevelFor(std::int64_t from, std::int64_t to) {
  int level = 0;
  while (((to - 1) >> (BaseShift + level)) - (from >> (BaseShift + level)) > 1) ++level;
  return level;
}

std::uint64_t CellKey(int levelX, int levelY, std::int64_t cellX, std::int64_t cellY) {
  constexpr std::uint64_t Mask = (std::uint64_t{1} << 27) - 1;
  return (static_cast<std::uint64_t>(levelX) << 59) | (static_cast<std::uint64_t>(levelY) << 54) |
         ((static_cast<std::uint64_t>(cellX) & Mask) << 27) | (static_cast<std::uint64_t>(cellY) & Mask);
}

bool Empty(const Rect& area) { return area.left >= area.right || area.top >= area.bottom; }

}  // namespace

std::size_t HitIndex::CellHash::operator()(std::uint64_t key) const {
  // splitmix64's finish: the keys' bits are far from random.
  key ^= key >> 30;
  key *= 0xbf58476d1ce4e5b9ULL;
  key ^= key >> 27;
  key *= 0x94d049bb133111ebULL;
  key ^= key >> 31;
  return static_cast<std::size_t>(key);
}

HitIndex::HitIndex(Sheet& sheet) : sheet_(sheet), db_(*store::Database::Of(&sheet)) { Build(); }

HitIndex::~HitIndex() = default;

void HitIndex::Build() {
  objects_.clear();
  nodes_.clear();
  cells_.clear();
  mergeCells_.clear();
  levelCounts_.fill(0);
  levelsInUse_.clear();
  dirty_.clear();
  cellWidth_ = sheet_.cellWidth;
  cellHeight_ = sheet_.cellHeight;
  frontRank_ = 0;
  backRank_ = -RankGap;
  for (ListG::Node* node = sheet_.objects.FirstNode(); node != nullptr; node = node->Next()) {
    backRank_ += RankGap;
    Add(node, backRank_);
  }
}

void HitIndex::Add(ListG::Node* node, std::int64_t rank) {
  // A walk of the list stops at a null item, so nothing behind one is ever
  // hit; the document check refuses such a list unless the null is last.
  auto* obj = static_cast<DrawObj*>(node->Item());
  if (obj == nullptr) return;
  auto [it, added] = objects_.try_emplace(obj);
  Placed& placed = it->second;
  if (added) {
    placed.obj = obj;
    placed.front = rank;
    dirty_.push_back(obj);
  }
  placed.nodes.push_back(node);
  if (rank < placed.front) {
    placed.front = rank;
    MarkDirty(placed);
  }
  nodes_[node] = {&placed, rank};
}

void HitIndex::Added(ListG::Node* node, bool atFront) {
  std::int64_t rank = 0;
  if (nodes_.empty()) {
    frontRank_ = backRank_ = 0;
  } else if (atFront) {
    rank = frontRank_ -= RankGap;
  } else {
    rank = backRank_ += RankGap;
  }
  Add(node, rank);
}

void HitIndex::Removed(ListG::Node* node) {
  auto it = nodes_.find(node);
  if (it == nodes_.end()) return;
  Placed& placed = *it->second.placed;
  nodes_.erase(it);
  placed.nodes.erase(std::find(placed.nodes.begin(), placed.nodes.end(), node));
  if (placed.nodes.empty()) {
    Unplace(placed);
    objects_.erase(static_cast<const void*>(placed.obj));
    return;
  }
  placed.front = std::numeric_limits<std::int64_t>::max();
  for (const ListG::Node* other : placed.nodes) placed.front = std::min(placed.front, nodes_.at(other).rank);
  MarkDirty(placed);
}

std::vector<ListG::Node*> HitIndex::NodesOf(const DrawObj* obj) const {
  auto it = objects_.find(obj);
  return it != objects_.end() ? it->second.nodes : std::vector<ListG::Node*>{};
}

void HitIndex::Moved(const DrawObj* obj) {
  auto it = objects_.find(obj);
  if (it != objects_.end()) MarkDirty(it->second);
}

void HitIndex::MarkDirty(Placed& placed) {
  if (placed.dirty) return;
  placed.dirty = true;
  dirty_.push_back(placed.obj);
}

void HitIndex::Flush() {
  if (sheet_.cellWidth != cellWidth_ || sheet_.cellHeight != cellHeight_) {
    // Every hit area is measured in cells.
    cellWidth_ = sheet_.cellWidth;
    cellHeight_ = sheet_.cellHeight;
    for (auto& [key, placed] : objects_) MarkDirty(placed);
  }
  if (dirty_.empty()) return;
  // What changed leaves its stacks first, so that no stack is searched while
  // entries wait to be merged into it. An object that stays where it was,
  // at the same rank (a pasted end joined where it lies), stays placed.
  std::vector<Placed*> changed;
  for (const DrawObj* obj : dirty_) {
    auto it = objects_.find(obj);
    if (it == objects_.end() || !it->second.dirty) continue;
    Placed& placed = it->second;
    placed.dirty = false;
    DrawObj::HitAreaList areas{};
    const std::size_t count = placed.obj->HitAreas(areas);
    if (placed.rank == placed.front && count == placed.areaCount &&
        std::equal(areas.begin(), areas.begin() + count, placed.areas.begin())) {
      continue;
    }
    Unplace(placed);
    placed.areas = areas;
    placed.areaCount = count;
    placed.rank = placed.front;
    changed.push_back(&placed);
  }
  dirty_.clear();
  // From the back to the front: what comes in front (a paste) goes on the
  // ends of its stacks, and whatever else is merged in once.
  // A whole list placed at once comes in order, or front first: kept or
  // turned, not sorted.
  const auto behind = [](const Placed* a, const Placed* b) { return a->rank > b->rank; };
  if (std::is_sorted(changed.rbegin(), changed.rend(), behind)) {
    std::reverse(changed.begin(), changed.end());
  } else if (!std::is_sorted(changed.begin(), changed.end(), behind)) {
    std::sort(changed.begin(), changed.end(), behind);
  }
  for (Placed* placed : changed) Place(*placed);
  MergePlaced();
}

template <class Visit>
void HitIndex::ForEachCell(const Rect& area, Visit visit) {
  const int levelX = LevelFor(area.left, area.right);
  const int levelY = LevelFor(area.top, area.bottom);
  const int shiftX = BaseShift + levelX;
  const int shiftY = BaseShift + levelY;
  for (std::int64_t cx = std::int64_t{area.left} >> shiftX; cx <= (std::int64_t{area.right} - 1) >> shiftX; ++cx) {
    for (std::int64_t cy = std::int64_t{area.top} >> shiftY; cy <= (std::int64_t{area.bottom} - 1) >> shiftY; ++cy) {
      visit(static_cast<std::size_t>(levelX * Levels + levelY), CellKey(levelX, levelY, cx, cy));
    }
  }
}

template <class Visit>
void HitIndex::ForEachArea(const Placed& placed, Visit visit) {
  const auto begin = placed.areas.begin();
  for (std::size_t i = 0; i < placed.areaCount; ++i) {
    const Rect& area = placed.areas[i];
    // Two equal areas of one object are one entry.
    if (!Empty(area) && std::find(begin, begin + static_cast<std::ptrdiff_t>(i), area) == begin + i) visit(area);
  }
}

void HitIndex::Place(Placed& placed) {
  ForEachArea(placed, [&](const Rect& area) {
    bool counted = false;
    ForEachCell(area, [&](std::size_t level, std::uint64_t key) {
      PlaceIn(cells_[key], key, area, placed);
      if (!counted) CountLevel(level, 1);
      counted = true;
    });
  });
}

void HitIndex::PlaceIn(Cell& cell, std::uint64_t key, const Rect& area, Placed& placed) {
  const Entry entry{&placed, placed.rank};
  auto stack = std::find_if(cell.stacks.begin(), cell.stacks.end(), [&](const Stack& s) { return s.area == area; });
  if (stack == cell.stacks.end()) {
    auto single =
        std::find_if(cell.singles.begin(), cell.singles.end(), [&](const Single& s) { return s.area == area; });
    if (single == cell.singles.end()) {
      cell.singles.push_back({area, entry});
      return;
    }
    // A second object on the area: the two become a stack.
    Stack made{area, {single->entry, entry}, 0, NoMerge};
    if (made.entries[1].rank > made.entries[0].rank) std::swap(made.entries[0], made.entries[1]);
    if (single + 1 != cell.singles.end()) *single = cell.singles.back();
    cell.singles.pop_back();
    cell.stacks.push_back(std::move(made));
    return;
  }
  std::vector<Entry>& entries = stack->entries;
  // Behind the last entry: the flush merges it in.
  if (!entries.empty() && placed.rank > entries.back().rank && stack->mergeFrom == NoMerge) {
    stack->mergeFrom = entries.size();
    mergeCells_.push_back(key);
  }
  entries.push_back(entry);
}

void HitIndex::MergePlaced() {
  for (const std::uint64_t key : mergeCells_) {
    auto it = cells_.find(key);
    if (it == cells_.end()) continue;
    for (Stack& stack : it->second.stacks) {
      if (stack.mergeFrom == NoMerge) continue;
      // Both runs fall in rank: the old entries, then those placed in this flush.
      const auto middle = stack.entries.begin() + static_cast<std::ptrdiff_t>(stack.mergeFrom);
      std::inplace_merge(stack.entries.begin(), middle, stack.entries.end(),
                         [](const Entry& a, const Entry& b) { return a.rank > b.rank; });
      stack.mergeFrom = NoMerge;
    }
  }
  mergeCells_.clear();
}

void HitIndex::TakeOut(Stack& stack, const Placed& placed) {
  std::vector<Entry>& entries = stack.entries;
  auto it = std::lower_bound(entries.begin(), entries.end(), placed.rank,
                             [](const Entry& entry, std::int64_t rank) { return entry.rank > rank; });
  while (it != entries.end() && it->rank == placed.rank && it->placed != &placed) ++it;
  if (it == entries.end() || it->placed != &placed) return;
  if (it + 1 == entries.end()) {
    // The front one goes, and the holes it leaves in front.
    entries.pop_back();
    while (!entries.empty() && entries.back().placed == nullptr) {
      entries.pop_back();
      --stack.holes;
    }
    return;
  }
  it->placed = nullptr;
  ++stack.holes;
  if (2 * stack.holes > entries.size()) {
    std::erase_if(entries, [](const Entry& entry) { return entry.placed == nullptr; });
    stack.holes = 0;
  }
}

void HitIndex::TakeOut(Cell& cell, const Rect& area, const Placed& placed) {
  auto single = std::find_if(cell.singles.begin(), cell.singles.end(),
                             [&](const Single& s) { return s.area == area && s.entry.placed == &placed; });
  if (single != cell.singles.end()) {
    if (single + 1 != cell.singles.end()) *single = cell.singles.back();
    cell.singles.pop_back();
    return;
  }
  auto stack = std::find_if(cell.stacks.begin(), cell.stacks.end(), [&](const Stack& s) { return s.area == area; });
  if (stack == cell.stacks.end()) return;
  TakeOut(*stack, placed);
  if (stack->entries.size() - stack->holes > 1) return;
  // One object left on the area: a single again.
  for (const Entry& entry : stack->entries) {
    if (entry.placed != nullptr) cell.singles.push_back({area, entry});
  }
  if (stack + 1 != cell.stacks.end()) *stack = std::move(cell.stacks.back());
  cell.stacks.pop_back();
}

void HitIndex::Unplace(Placed& placed) {
  ForEachArea(placed, [&](const Rect& area) {
    bool counted = false;
    ForEachCell(area, [&](std::size_t level, std::uint64_t key) {
      auto it = cells_.find(key);
      if (it != cells_.end()) {
        TakeOut(it->second, area, placed);
        if (it->second.singles.empty() && it->second.stacks.empty()) cells_.erase(it);
      }
      if (!counted) CountLevel(level, -1);
      counted = true;
    });
  });
  placed.areaCount = 0;
}

void HitIndex::CountLevel(std::size_t level, int change) {
  std::int32_t& count = levelCounts_[level];
  if (count == 0 && change > 0) levelsInUse_.push_back(level);
  count += change;
  if (count == 0) levelsInUse_.erase(std::find(levelsInUse_.begin(), levelsInUse_.end(), level));
}

DrawObj* HitIndex::Hit(std::int32_t x, std::int32_t y, const DrawObj* exclude) {
  Flush();
  DrawObj* best = nullptr;
  std::int64_t bestRank = std::numeric_limits<std::int64_t>::max();
  for (const std::size_t level : levelsInUse_) {
    const int levelX = static_cast<int>(level) / Levels;
    const int levelY = static_cast<int>(level) % Levels;
    auto it = cells_.find(
        CellKey(levelX, levelY, std::int64_t{x} >> (BaseShift + levelX), std::int64_t{y} >> (BaseShift + levelY)));
    if (it == cells_.end()) continue;
    if (DrawObj* hit = HitIn(it->second, x, y, exclude, bestRank)) best = hit;
  }
  return best;
}

DrawObj* HitIndex::HitIn(const Cell& cell, std::int32_t x, std::int32_t y, const DrawObj* exclude,
                         std::int64_t& bestRank) const {
  DrawObj* best = nullptr;
  const auto answers = [&](const Entry& entry) {
    DrawObj* obj = entry.placed->obj;
    if (obj == exclude || !Sheet::PickOnly::Allows(sheet_, obj) || !obj->HitTest(x, y)) return false;
    best = obj;
    bestRank = entry.rank;
    return true;
  };
  // The area lies in the entry itself: asked first, it spares most
  // candidates a look at their object.
  for (const Single& single : cell.singles) {
    if (single.area.Contains(x, y) && single.entry.rank < bestRank) answers(single.entry);
  }
  for (const Stack& stack : cell.stacks) {
    if (!stack.area.Contains(x, y)) continue;
    // From the front: the first that answers is the stack's answer, and one
    // behind the best so far ends the look.
    for (auto entry = stack.entries.rbegin(); entry != stack.entries.rend() && entry->rank < bestRank; ++entry) {
      if (entry->placed != nullptr && answers(*entry)) break;
    }
  }
  return best;
}

std::vector<DrawObj*> HitIndex::Near(const Rect& area) {
  Flush();
  if (Empty(area)) return {};
  std::vector<const Placed*> found;
  std::unordered_set<const Placed*> seen;
  auto meets = [&area](const Rect& r) {
    return r.left < area.right && area.left < r.right && r.top < area.bottom && area.top < r.bottom;
  };
  auto take = [&](const Placed& placed, const Rect& placedArea) {
    if (meets(placedArea) && Sheet::PickOnly::Allows(sheet_, placed.obj) && seen.insert(&placed).second)
      found.push_back(&placed);
  };
  // The cells the area spans in every grid in use, unless there are more of
  // them than objects: then every object is looked at once.
  std::int64_t cellCount = 0;
  for (const std::size_t level : levelsInUse_) {
    const int shiftX = BaseShift + static_cast<int>(level) / Levels;
    const int shiftY = BaseShift + static_cast<int>(level) % Levels;
    cellCount += (((std::int64_t{area.right} - 1) >> shiftX) - (std::int64_t{area.left} >> shiftX) + 1) *
                 (((std::int64_t{area.bottom} - 1) >> shiftY) - (std::int64_t{area.top} >> shiftY) + 1);
  }
  if (cellCount > static_cast<std::int64_t>(objects_.size())) {
    for (const auto& [key, placed] : objects_) {
      for (std::size_t i = 0; i < placed.areaCount; ++i) take(placed, placed.areas[i]);
    }
  } else {
    for (const std::size_t level : levelsInUse_) {
      const int levelX = static_cast<int>(level) / Levels;
      const int levelY = static_cast<int>(level) % Levels;
      const int shiftX = BaseShift + levelX;
      const int shiftY = BaseShift + levelY;
      for (std::int64_t cx = std::int64_t{area.left} >> shiftX; cx <= (std::int64_t{area.right} - 1) >> shiftX; ++cx) {
        for (std::int64_t cy = std::int64_t{area.top} >> shiftY; cy <= (std::int64_t{area.bottom} - 1) >> shiftY;
             ++cy) {
          auto it = cells_.find(CellKey(levelX, levelY, cx, cy));
          if (it == cells_.end()) continue;
          for (const Single& single : it->second.singles) take(*single.entry.placed, single.area);
          for (const Stack& stack : it->second.stacks) {
            for (const Entry& entry : stack.entries) {
              // A hole left by an object taken out of the middle.
              if (entry.placed != nullptr) take(*entry.placed, stack.area);
            }
          }
        }
      }
    }
  }
  std::sort(found.begin(), found.end(), [](const Placed* a, const Placed* b) { return a->front < b->front; });
  std::vector<DrawObj*> objects;
  objects.reserve(found.size());
  for (const Placed* placed : found) objects.push_back(placed->obj);
  return objects;
}

void HitIndex::Restored(const std::vector<std::uintptr_t>& addresses) {
  // Nodes that are gone leave first; their objects' places are known here,
  // so nothing taken away is read.
  std::unordered_set<ListG::Node*> back;
  std::vector<const void*> rewritten;
  for (const std::uintptr_t address : addresses) {
    const void* begin = nullptr;
    const store::Allocation* allocation = db_.Find(reinterpret_cast<const void*>(address), &begin);
    const bool present = allocation != nullptr && begin == reinterpret_cast<const void*>(address);
    auto* node = reinterpret_cast<ListG::Node*>(address);
    if (!present) {
      Removed(node);
    } else if (allocation->type == &ListG::Node::Type()) {
      // A node keeps its place in its list; one that is new here came back.
      if (nodes_.count(node) == 0) back.insert(node);
    } else {
      rewritten.push_back(begin);
    }
  }
  // Nodes that came back lie in runs; a run belongs to the sheet's list when
  // a node beside it does, or when it begins the list.
  bool renumber = false;
  std::unordered_set<ListG::Node*> seen;
  for (ListG::Node* start : back) {
    if (!seen.insert(start).second) continue;
    ListG::Node* first = start;
    while (first->Prev() != nullptr && back.count(first->Prev()) != 0) first = first->Prev();
    std::vector<ListG::Node*> run;
    for (ListG::Node* node = first; node != nullptr && back.count(node) != 0; node = node->Next()) {
      run.push_back(node);
      seen.insert(node);
    }
    ListG::Node* before = first->Prev();
    ListG::Node* after = run.back()->Next();
    auto beforeRank = before != nullptr ? nodes_.find(before) : nodes_.end();
    auto afterRank = after != nullptr ? nodes_.find(after) : nodes_.end();
    const bool listed = beforeRank != nodes_.end() || afterRank != nodes_.end() ||
                        (before == nullptr && sheet_.objects.FirstNode() == first);
    if (!listed) continue;
    const auto count = static_cast<std::int64_t>(run.size());
    std::int64_t low = 0;
    std::int64_t step = RankGap;
    if (beforeRank != nodes_.end() && afterRank != nodes_.end()) {
      low = beforeRank->second.rank;
      step = (afterRank->second.rank - low) / (count + 1);
      if (step == 0) renumber = true;
    } else if (beforeRank != nodes_.end()) {
      low = beforeRank->second.rank;
      backRank_ = std::max(backRank_, low + count * step);
    } else if (afterRank != nodes_.end()) {
      low = afterRank->second.rank - (count + 1) * step;
      frontRank_ = std::min(frontRank_, low + step);
    } else {
      low = -step;
      frontRank_ = 0;
      backRank_ = (count - 1) * step;
    }
    for (std::int64_t i = 0; i < count; ++i) Add(run[static_cast<std::size_t>(i)], low + (i + 1) * step);
  }
  if (renumber) Renumber();
  for (const void* address : rewritten) {
    auto it = objects_.find(address);
    if (it != objects_.end()) MarkDirty(it->second);
  }
}

void HitIndex::Renumber() {
  std::int64_t rank = 0;
  for (ListG::Node* node = sheet_.objects.FirstNode(); node != nullptr; node = node->Next()) {
    auto it = nodes_.find(node);
    if (it != nodes_.end()) it->second.rank = rank;
    rank += RankGap;
  }
  frontRank_ = 0;
  backRank_ = rank - RankGap;
  for (auto& [key, placed] : objects_) {
    placed.front = std::numeric_limits<std::int64_t>::max();
    for (const ListG::Node* node : placed.nodes) placed.front = std::min(placed.front, nodes_.at(node).rank);
    // Placed again at its new rank.
    MarkDirty(placed);
  }
}

bool HitIndex::Agrees() {
  Flush();
  std::size_t listed = 0;
  std::int64_t previous = std::numeric_limits<std::int64_t>::min();
  for (ListG::Node* node = sheet_.objects.FirstNode(); node != nullptr; node = node->Next()) {
    if (node->Item() == nullptr) continue;
    auto it = nodes_.find(node);
    if (it == nodes_.end() || it->second.placed->obj != node->Item() || it->second.rank <= previous) return false;
    previous = it->second.rank;
    ++listed;
  }
  if (listed != nodes_.size()) return false;
  std::size_t expected = 0;
  bool placedOnce = true;
  for (auto& entry : objects_) {
    // Named apart from a structured binding: clang 14, which builds the
    // fuzzers, lets no lambda capture one.
    Placed& placed = entry.second;
    DrawObj::HitAreaList areas{};
    const std::size_t count = placed.obj->HitAreas(areas);
    if (count != placed.areaCount || !std::equal(areas.begin(), areas.begin() + count, placed.areas.begin()) ||
        placed.rank != placed.front) {
      return false;
    }
    // Each area once in every cell it spans.
    ForEachArea(placed, [&](const Rect& area) {
      ForEachCell(area, [&](std::size_t, std::uint64_t cell) {
        ++expected;
        auto it = cells_.find(cell);
        placedOnce = placedOnce && it != cells_.end() && CountIn(it->second, area, placed) == 1;
      });
    });
  }
  // Nothing else in the cells; singles alone on their areas, stacks from
  // the back to the front.
  std::size_t entries = 0;
  for (const auto& [key, cell] : cells_) {
    for (const Single& single : cell.singles) {
      const auto same = [&](const Single& other) { return other.area == single.area; };
      const auto stacked = [&](const Stack& stack) { return stack.area == single.area; };
      if (std::count_if(cell.singles.begin(), cell.singles.end(), same) != 1 ||
          std::any_of(cell.stacks.begin(), cell.stacks.end(), stacked) ||
          single.entry.rank != single.entry.placed->rank) {
        return false;
      }
    }
    entries += cell.singles.size();
    for (const Stack& stack : cell.stacks) {
      std::size_t holes = 0;
      for (std::size_t i = 0; i < stack.entries.size(); ++i) {
        const Entry& entry = stack.entries[i];
        // A node an undo brings back may take the rank of a hole.
        const Entry* behind = i > 0 ? &stack.entries[i - 1] : nullptr;
        if (behind != nullptr && (entry.rank > behind->rank || (entry.rank == behind->rank && entry.placed != nullptr &&
                                                                behind->placed != nullptr))) {
          return false;
        }
        if (entry.placed == nullptr) {
          ++holes;
        } else if (entry.rank != entry.placed->rank) {
          return false;
        }
      }
      if (holes != stack.holes || stack.entries.size() - holes < 2 || stack.entries.back().placed == nullptr) {
        return false;
      }
      entries += stack.entries.size() - holes;
    }
  }
  return placedOnce && entries == expected;
}

std::size_t HitIndex::CountIn(const Cell& cell, const Rect& area, const Placed& placed) {
  const auto own = [&](const Entry& entry) { return entry.placed == &placed; };
  std::size_t count = 0;
  for (const Single& single : cell.singles) {
    if (single.area == area && own(single.entry)) ++count;
  }
  for (const Stack& stack : cell.stacks) {
    if (stack.area == area)
      count += static_cast<std::size_t>(std::count_if(stack.entries.begin(), stack.entries.end(), own));
  }
  return count;
}

}  // namespace virlo
