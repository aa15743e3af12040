#include "import/BoxIndex.h"

namespace virlo {

std::uint64_t BoxIndex::Key(std::int32_t column, std::int32_t row) {
  return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(row)) << 32) | static_cast<std::uint32_t>(column);
}

void BoxIndex::Sync() const {
  if (boxes_.size() < indexed_) {
    indexed_ = 0;
    starts_.clear();
    byLeft_.clear();
    byTop_.clear();
    byRight_.clear();
    byBottom_.clear();
  }
  for (; indexed_ < boxes_.size(); ++indexed_) {
    const ArtPlan::Box& box = boxes_[indexed_];
    starts_.insert(Key(box.topLeft.column, box.topLeft.row));
    byLeft_[box.topLeft.column].push_back(indexed_);
    byTop_[box.topLeft.row].push_back(indexed_);
    byRight_[box.bottomRight.column].push_back(indexed_);
    byBottom_[box.bottomRight.row].push_back(indexed_);
  }
}

bool BoxIndex::Starts(ArtPlan::Cell cell) const {
  Sync();
  return starts_.contains(Key(cell.column, cell.row));
}

std::vector<std::size_t> BoxIndex::Sharing(std::int32_t c0, std::int32_t r0, std::int32_t c1, std::int32_t r1) const {
  Sync();
  std::vector<std::size_t> found;
  auto add = [&found](const std::unordered_map<std::int32_t, std::vector<std::size_t>>& by, std::int32_t at) {
    const auto it = by.find(at);
    if (it != by.end()) found.insert(found.end(), it->second.begin(), it->second.end());
  };
  add(byLeft_, c0);
  add(byTop_, r0);
  add(byRight_, c1);
  add(byBottom_, r1);
  return found;
}

}  // namespace virlo
