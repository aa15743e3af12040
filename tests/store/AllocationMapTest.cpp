#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

#include "store/AllocationMap.h"

namespace virlo::store {
namespace {

using Bytes = std::size_t;

// Random blocks entered and dropped over a few pages (none touched: only
// addresses), some longer than a page; every look-up is held to an ordered
// map of the same blocks.
TEST(AllocationMapTest, AnswersAsAnOrderedMapOfTheSameBlocks) {
  constexpr std::uintptr_t Base = std::uintptr_t{1} << 32;
  constexpr std::size_t Steps = 16 * AllocationMap<Bytes>::PageSize / 16;
  std::mt19937 random(29);
  AllocationMap<Bytes> blocks;
  std::map<std::uintptr_t, Bytes> model;
  auto length = [](Bytes bytes) { return bytes; };
  auto modelContaining = [&](std::uintptr_t address) -> const std::pair<const std::uintptr_t, Bytes>* {
    auto it = model.upper_bound(address);
    if (it == model.begin()) return nullptr;
    --it;
    return address < it->first + it->second ? &*it : nullptr;
  };
  for (int round = 0; round < 4000; ++round) {
    const std::uintptr_t at = Base + random() % Steps * 16;
    const Bytes bytes = random() % 8 == 0 ? 16 + random() % 12000 : 16 + random() % 300;
    auto next = model.lower_bound(at);
    const bool room = (next == model.end() || at + bytes <= next->first) && modelContaining(at) == nullptr;
    if (room && random() % 3 != 0) {
      ASSERT_TRUE(blocks.Insert(at, bytes, bytes));
      model.emplace(at, bytes);
    } else if (!model.empty()) {
      auto victim = model.lower_bound(at);
      if (victim == model.end()) victim = model.begin();
      ASSERT_TRUE(blocks.Erase(victim->first));
      ASSERT_FALSE(blocks.Erase(victim->first));
      model.erase(victim);
    }
    ASSERT_EQ(blocks.size(), model.size());
    const std::uintptr_t probe = Base + random() % (Steps * 16 + 16384);
    const auto* expected = modelContaining(probe);
    const auto* found = blocks.Containing(probe, length);
    ASSERT_EQ(found != nullptr, expected != nullptr) << round << " " << probe - Base;
    if (found != nullptr) {
      ASSERT_EQ(found->first, expected->first) << round;
    }
    const std::uintptr_t page = probe / AllocationMap<Bytes>::PageSize * AllocationMap<Bytes>::PageSize;
    std::vector<std::uintptr_t> onPage;
    blocks.ForEachOnPage(page, length, [&](const auto& entry) { onPage.push_back(entry.first); });
    std::vector<std::uintptr_t> expectedOnPage;
    if (const auto* first = modelContaining(page); first != nullptr && first->first < page) {
      expectedOnPage.push_back(first->first);
    }
    for (auto it = model.lower_bound(page); it != model.end() && it->first < page + 4096; ++it) {
      expectedOnPage.push_back(it->first);
    }
    ASSERT_EQ(onPage, expectedOnPage) << round;
  }
  using Entries = std::vector<std::pair<std::uintptr_t, Bytes>>;
  EXPECT_EQ(Entries(blocks.begin(), blocks.end()), Entries(model.begin(), model.end()));
}

}  // namespace
}  // namespace virlo::store
