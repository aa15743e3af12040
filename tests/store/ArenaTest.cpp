// Which pages of a document's memory were written since the mark, in every
// way of watching: undo keeps only what these answers name.
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

// The ways of watching: traps, comparing, and traps asked for where
// protecting a page reports success and protects nothing, which the arena
// must find out and compare instead.
enum class Way { Traps, Compares, HollowProtection };

class ArenaTest : public ::testing::TestWithParam<Way> {
 protected:
  void SetUp() override {
    previous_ = Arena::DefaultMode();
    Arena::SetDefaultMode(GetParam() == Way::Compares ? Arena::Watch::Compare : Arena::Watch::Protect);
    Arena::SimulateHollowProtection(GetParam() == Way::HollowProtection);
  }
  void TearDown() override {
    Arena::SetDefaultMode(previous_);
    Arena::SimulateHollowProtection(false);
  }
  static Arena::Watch Expected() { return GetParam() == Way::Traps ? Arena::Watch::Protect : Arena::Watch::Compare; }

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
  ASSERT_EQ(arena.Mode(), Expected());
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

std::string WayName(const ::testing::TestParamInfo<Way>& way) {
  switch (way.param) {
    case Way::Traps:
      return "Traps";
    case Way::Compares:
      return "Compares";
    case Way::HollowProtection:
      return "HollowProtection";
  }
  return "";
}

INSTANTIATE_TEST_SUITE_P(EveryWay, ArenaTest, ::testing::Values(Way::Traps, Way::Compares, Way::HollowProtection),
                         WayName);

}  // namespace
}  // namespace virlo::store
