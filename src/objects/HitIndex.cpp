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
  placed.front = std::min(placed.front, rank);
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
  for (const DrawObj* obj : dirty_) {
    auto it = objects_.find(obj);
    if (it == objects_.end() || !it->second.dirty) continue;
    Placed& placed = it->second;
    Unplace(placed);
    placed.areaCount = placed.obj->HitAreas(placed.areas);
    Place(placed);
    placed.dirty = false;
  }
  dirty_.clear();
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

void HitIndex::Place(Placed& placed) {
  for (std::size_t i = 0; i < placed.areaCount; ++i) {
    const Rect& area = placed.areas[i];
    if (Empty(area)) continue;
    bool counted = false;
    ForEachCell(area, [&](std::size_t level, std::uint64_t key) {
      cells_[key].push_back({&placed, area});
      if (!counted) CountLevel(level, 1);
      counted = true;
    });
  }
}

void HitIndex::Unplace(Placed& placed) {
  for (std::size_t i = 0; i < placed.areaCount; ++i) {
    const Rect& area = placed.areas[i];
    if (Empty(area)) continue;
    bool counted = false;
    ForEachCell(area, [&](std::size_t level, std::uint64_t key) {
      auto it = cells_.find(key);
      if (it != cells_.end()) {
        std::vector<Entry>& entries = it->second;
        // Two areas of one object may share a cell: all of its entries go
        // with the first.
        std::erase_if(entries, [&](const Entry& entry) { return entry.placed == &placed; });
        if (entries.empty()) cells_.erase(it);
      }
      if (!counted) CountLevel(level, -1);
      counted = true;
    });
  }
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
    // Newest first: what was placed last tends to lie in front, and once
    // the best is found the rest fail on their rank.
    for (auto entryIt = it->second.rbegin(); entryIt != it->second.rend(); ++entryIt) {
      const Entry& entry = *entryIt;
      // The area lies in the entry itself: asked first, it spares most
      // candidates a look at their object.
      if (!entry.area.Contains(x, y) || entry.placed->front >= bestRank) continue;
      DrawObj* obj = entry.placed->obj;
      if (obj == exclude) continue;
      if (!Sheet::PickOnly::Allows(sheet_, obj) || !obj->HitTest(x, y)) continue;
      best = obj;
      bestRank = entry.placed->front;
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
          for (const Entry& entry : it->second) take(*entry.placed, entry.area);
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
  for (auto& [key, placed] : objects_) {
    DrawObj::HitAreaList areas{};
    const std::size_t count = placed.obj->HitAreas(areas);
    if (count != placed.areaCount || !std::equal(areas.begin(), areas.begin() + count, placed.areas.begin()))
      return false;
  }
  return true;
}

}  // namespace virlo
