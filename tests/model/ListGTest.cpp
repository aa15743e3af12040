#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "model/ListCursor.h"
#include "model/ListG.h"
#include "store/Store.h"

namespace virlo {
namespace {

class ListGTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (void* item : {A, B, C, D}) list.PushBack(item);
  }
  // The items front to back; walking back to front and Count must agree.
  std::vector<void*> Items() {
    std::vector<void*> items;
    std::vector<void*> backwards;
    ListCursor cursor(list);
    for (void* item = cursor.First(); item != nullptr; item = cursor.Next()) items.push_back(item);
    for (void* item = cursor.Last(); item != nullptr; item = cursor.Prev()) backwards.insert(backwards.begin(), item);
    EXPECT_EQ(items, backwards);
    EXPECT_EQ(list.Count(), static_cast<std::int32_t>(items.size()));
    return items;
  }

  int values[4] = {};
  void* A = &values[0];
  void* B = &values[1];
  void* C = &values[2];
  void* D = &values[3];
  ListG list;
};

TEST_F(ListGTest, RemoveTakesOneOccurrenceAtATimeAndKeepsBothEnds) {
  list.PushFront(A);  // A A B C D
  EXPECT_EQ(list.Remove(A), 1);
  EXPECT_EQ(list.Remove(A), 1);
  EXPECT_EQ(list.Remove(A), 0);
  EXPECT_EQ(list.Remove(D), 1);
  EXPECT_EQ(Items(), (std::vector<void*>{B, C}));
  {
    store::AllocationFailure failure;  // a refused node leaves the list as it was
    list.PushBack(A);
    list.PushFront(D);
  }
  EXPECT_EQ(Items(), (std::vector<void*>{B, C}));
}

TEST_F(ListGTest, RegisteredCursorsMoveOnWhenTheirNodeIsRemoved) {
  auto cursor = std::make_unique<ListCursor>(list, true);
  auto other = std::make_unique<ListCursor>(list, true);
  EXPECT_EQ(cursor->Next(), B);
  other->Next();
  EXPECT_EQ(list.Remove(B), 1);
  EXPECT_EQ(cursor->Get(), C);
  EXPECT_EQ(other->Get(), C);
  EXPECT_EQ(list.Remove(A), 1);  // another node: the cursor stays
  other.reset();                 // leaves the chain without cutting off the rest
  EXPECT_EQ(list.PopFront(), C);
  EXPECT_EQ(cursor->Get(), D);
  EXPECT_EQ(list.Remove(D), 1);
  EXPECT_EQ(cursor->Get(), nullptr);
}

TEST_F(ListGTest, RemoveWhereTakesEveryChosenNodeInOneWalk) {
  list.PushBack(B);  // A B C D B
  auto cursor = std::make_unique<ListCursor>(list, true);
  cursor->Next();  // on the first B
  EXPECT_EQ(list.RemoveWhere([&](const void* item) { return item == B || item == D; }), 3);
  EXPECT_EQ(Items(), (std::vector<void*>{A, C}));
  EXPECT_EQ(cursor->Get(), C);
  EXPECT_EQ(list.RemoveWhere([](const void*) { return false; }), 0);
  EXPECT_EQ(list.RemoveWhere([](const void*) { return true; }), 2);
  EXPECT_EQ(Items(), (std::vector<void*>{}));
  EXPECT_EQ(cursor->Get(), nullptr);
}

TEST_F(ListGTest, CursorOutlivingItsListIsLeftWithoutOne) {
  auto doomed = std::make_unique<ListG>();
  doomed->PushBack(A);
  auto cursor = std::make_unique<ListCursor>(*doomed, true);
  doomed.reset();
  EXPECT_EQ(cursor->GetList(), nullptr);
  EXPECT_EQ(cursor->Get(), nullptr);
  cursor.reset();  // must not reach into the freed list
}

}  // namespace
}  // namespace virlo
