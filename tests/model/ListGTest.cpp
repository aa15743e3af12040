#include "model/ListG.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "model/ListCursor.h"
#include "model/Sheet.h"
#include "store/Database.h"
#include "store/Store.h"

namespace virlo {
namespace {

// The items front to back, walked with a plain cursor.
std::vector<void*> Items(ListG& list) {
  std::vector<void*> items;
  ListCursor cursor(list);
  for (void* item = cursor.First(); item != nullptr; item = cursor.Next()) items.push_back(item);
  return items;
}

// The items back to front.
std::vector<void*> ItemsBackwards(ListG& list) {
  std::vector<void*> items;
  ListCursor cursor(list);
  for (void* item = cursor.Last(); item != nullptr; item = cursor.Prev()) items.push_back(item);
  return items;
}

std::size_t NodesIn(const store::Database& db) {
  std::size_t nodes = 0;
  for (const auto& [address, allocation] : db.Allocations()) {
    if (allocation.type == &ListG::Node::Type()) ++nodes;
  }
  return nodes;
}

class ListGTest : public ::testing::Test {
 protected:
  int a = 0, b = 0, c = 0;
  void* A = &a;
  void* B = &b;
  void* C = &c;
};

TEST_F(ListGTest, EmptyListHasNothingToGive) {
  ListG list;
  EXPECT_TRUE(list.Empty());
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Front(), nullptr);
  EXPECT_EQ(list.PopFront(), nullptr);
  EXPECT_EQ(list.Remove(A), 0);
  EXPECT_EQ(list.Contains(A), 0);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_TRUE(Items(list).empty());
}

TEST_F(ListGTest, PushFrontThenPushBackSetsBothEnds) {
  ListG list;
  list.PushFront(A);
  list.PushBack(B);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Front(), A);
  EXPECT_EQ(Items(list), (std::vector<void*>{A, B}));
  EXPECT_EQ(ItemsBackwards(list), (std::vector<void*>{B, A}));
  EXPECT_EQ(list.PopFront(), A);
  EXPECT_EQ(list.Front(), B);
  EXPECT_EQ(ItemsBackwards(list), (std::vector<void*>{B}));
  EXPECT_EQ(list.PopFront(), B);
  EXPECT_TRUE(list.Empty());
  EXPECT_EQ(list.Count(), 0);

  // Either end works on an empty list.
  list.PushBack(C);
  EXPECT_EQ(Items(list), (std::vector<void*>{C}));
  EXPECT_EQ(ItemsBackwards(list), (std::vector<void*>{C}));
  list.PushFront(B);
  list.PushFront(A);
  EXPECT_EQ(Items(list), (std::vector<void*>{A, B, C}));
  EXPECT_EQ(ItemsBackwards(list), (std::vector<void*>{C, B, A}));
}

TEST_F(ListGTest, RemoveTakesOneOccurrenceFromTheFront) {
  ListG list;
  list.PushBack(A);
  list.PushBack(B);
  list.PushBack(A);
  EXPECT_EQ(list.Contains(A), 1);
  EXPECT_EQ(list.Remove(A), 1);
  EXPECT_EQ(Items(list), (std::vector<void*>{B, A}));
  EXPECT_EQ(list.Contains(A), 1);
  EXPECT_EQ(list.Remove(A), 1);
  EXPECT_EQ(Items(list), (std::vector<void*>{B}));
  EXPECT_EQ(ItemsBackwards(list), (std::vector<void*>{B}));
  EXPECT_EQ(list.Remove(A), 0);
  EXPECT_EQ(list.Contains(A), 0);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Contains(C), 0);
}

TEST_F(ListGTest, RemoveKeepsBothEndsRight) {
  ListG list;
  list.PushBack(A);
  list.PushBack(B);
  list.PushBack(C);
  EXPECT_EQ(list.Remove(C), 1);  // the back
  EXPECT_EQ(ItemsBackwards(list), (std::vector<void*>{B, A}));
  EXPECT_EQ(list.Remove(A), 1);  // the front
  EXPECT_EQ(list.Front(), B);
  EXPECT_EQ(Items(list), (std::vector<void*>{B}));
  EXPECT_EQ(ItemsBackwards(list), (std::vector<void*>{B}));
  EXPECT_EQ(list.Remove(B), 1);  // the only one
  EXPECT_TRUE(list.Empty());
  EXPECT_EQ(list.Count(), 0);
  list.PushBack(C);
  EXPECT_EQ(Items(list), (std::vector<void*>{C}));
}

TEST_F(ListGTest, RefusedNodeLeavesTheListUnchanged) {
  ListG list;
  list.PushBack(A);
  const std::size_t nodes = NodesIn(*store::Database::Transient());
  {
    store::AllocationFailure failure;
    list.PushBack(B);
    list.PushFront(C);
  }
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(Items(list), (std::vector<void*>{A}));
  EXPECT_EQ(ItemsBackwards(list), (std::vector<void*>{A}));
  EXPECT_EQ(NodesIn(*store::Database::Transient()), nodes);
}

TEST_F(ListGTest, NodesLiveWhereTheListLives) {
  store::Database db("/tmp/lists.vrl");
  Sheet* sheet = store::New<Sheet>(&db, 624, 1024, 8, 16);
  ASSERT_NE(sheet, nullptr);
  store::Database* transient = store::Database::Transient();

  const std::size_t persistentNodes = NodesIn(db);
  const std::size_t transientNodes = NodesIn(*transient);
  // A list embedded in a persistent object.
  ListG& embedded = sheet->selected;
  embedded.PushBack(A);
  embedded.PushFront(B);
  EXPECT_EQ(NodesIn(db), persistentNodes + 2);
  EXPECT_EQ(NodesIn(*transient), transientNodes);

  {
    ListG local;
    local.PushBack(A);
    EXPECT_EQ(NodesIn(*transient), transientNodes + 1);
    EXPECT_EQ(NodesIn(db), persistentNodes + 2);
  }
  // Destroying the list released its node.
  EXPECT_EQ(NodesIn(*transient), transientNodes);

  EXPECT_EQ(embedded.PopFront(), B);
  EXPECT_EQ(NodesIn(db), persistentNodes + 1);
  store::Delete(sheet);
  EXPECT_EQ(NodesIn(db), persistentNodes);
}

}  // namespace
}  // namespace virlo
