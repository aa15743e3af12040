// Which pages of a document's memory were written since the mark, in both
// ways of watching: undo keeps only what these answers name.
#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "objects/DrawObj.h"
#include "store/Arena.h"
#include "store/FieldVisitor.h"

namespace virlo::store {
namespace {

std::uintptr_t PageOf(const void* address) {
  return reinterpret_cast<std::uintptr_t>(address) & ~std::uintptr_t{Arena::PageSize - 1};
}

// A visitor that only looks, as saving and checking do.
class LookingVisitor : public FieldVisitor {
 public:
  void Int32(const char*, std::int32_t&) override {}
  void UInt32(const char*, std::uint32_t&) override {}
  void Reference(const char*, void*&, const TypeDescription*) override { ++references; }
  void TransientReference(const char*, void*&) override { ++references; }
  void Embedded(const char*, void*, const TypeDescription&) override {}

  int references = 0;
};

class ArenaTest : public ::testing::TestWithParam<Arena::Watch> {
 protected:
  void SetUp() override {
    previous_ = Arena::DefaultMode();
    Arena::SetDefaultMode(GetParam());
  }
  void TearDown() override { Arena::SetDefaultMode(previous_); }

 private:
  Arena::Watch previous_ = Arena::Watch::Protect;
};

TEST_P(ArenaTest, OnlyWrittenPagesAreNamedWithWhatTheyHeldAtTheMark) {
  Arena arena;
  constexpr std::size_t words = 2 * Arena::PageSize / sizeof(std::uint64_t);
  auto* small = static_cast<std::uint64_t*>(arena.Allocate(64));
  auto* large = static_cast<std::uint64_t*>(arena.Allocate(words * sizeof(std::uint64_t)));
  ASSERT_NE(small, nullptr);
  ASSERT_NE(large, nullptr);
  small[0] = 1;
  large[words - 1] = 2;
  arena.StartWatching();
  ASSERT_EQ(arena.Mode(), GetParam());
  EXPECT_EQ(small[0] + large[words - 1], 3U);
  EXPECT_TRUE(arena.WrittenPages().empty()) << "reading wrote a page";

  large[words - 1] = 5;
  ASSERT_NE(PageOf(&large[words - 1]), PageOf(small));
  EXPECT_EQ(arena.WrittenPages(), std::vector<std::uintptr_t>{PageOf(&large[words - 1])});
  std::uint64_t atMark = 0;
  arena.ReadAtMark(reinterpret_cast<std::uintptr_t>(&large[words - 1]), sizeof atMark,
                   reinterpret_cast<char*>(&atMark));
  EXPECT_EQ(atMark, 2U);
  EXPECT_EQ(large[words - 1], 5U);

  arena.Mark();
  EXPECT_TRUE(arena.WrittenPages().empty());
  arena.ReadAtMark(reinterpret_cast<std::uintptr_t>(&large[words - 1]), sizeof atMark,
                   reinterpret_cast<char*>(&atMark));
  EXPECT_EQ(atMark, 5U);
}

TEST_P(ArenaTest, AVisitorThatOnlyLooksWritesNoPage) {
  struct Fields {
    DrawObj* stored;
    DrawObj* transient;
  };
  Arena arena;
  auto* fields = new (arena.Allocate(sizeof(Fields))) Fields{nullptr, nullptr};
  arena.StartWatching();
  LookingVisitor visitor;
  visitor.Ref("stored", fields->stored);
  visitor.Transient("transient", fields->transient);
  EXPECT_EQ(visitor.references, 2);
  EXPECT_TRUE(arena.WrittenPages().empty());
}

INSTANTIATE_TEST_SUITE_P(BothWays, ArenaTest, ::testing::Values(Arena::Watch::Protect, Arena::Watch::Compare),
                         [](const ::testing::TestParamInfo<Arena::Watch>& watched) {
                           return watched.param == Arena::Watch::Protect ? std::string("Traps")
                                                                         : std::string("Compares");
                         });

}  // namespace
}  // namespace virlo::store
