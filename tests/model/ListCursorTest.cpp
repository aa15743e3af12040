#include "model/ListCursor.h"

#include <gtest/gtest.h>

#include <memory>

#include "model/List.h"
#include "model/ListG.h"

namespace virlo {
namespace {

class ListCursorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (void* item : {A, B, C, D}) list.PushBack(item);
  }

  int a = 0, b = 0, c = 0, d = 0;
  void* A = &a;
  void* B = &b;
  void* C = &c;
  void* D = &d;
  ListG list;
};

TEST_F(ListCursorTest, StartsOnTheFrontAndWalksBothWays) {
  ListCursor cursor(list);
  EXPECT_EQ(cursor.GetList(), &list);
  EXPECT_EQ(cursor.Get(), A);
  EXPECT_EQ(cursor.Next(), B);
  EXPECT_EQ(cursor.Next(2), D);
  EXPECT_EQ(cursor.Prev(3), A);
  EXPECT_EQ(cursor.Last(), D);
  EXPECT_EQ(cursor.Prev(), C);
  EXPECT_EQ(cursor.First(), A);
  EXPECT_EQ(cursor.Next(0), A);

  // Stepping past either end leaves no node, and without a node steps do nothing.
  EXPECT_EQ(cursor.Next(4), nullptr);
  EXPECT_EQ(cursor.Prev(), nullptr);
  EXPECT_EQ(cursor.Next(), nullptr);
  EXPECT_EQ(cursor.Last(), D);
  EXPECT_EQ(cursor.Prev(9), nullptr);
  EXPECT_EQ(cursor.Next(), nullptr);
  EXPECT_EQ(cursor.Get(), nullptr);
}

TEST_F(ListCursorTest, EmptyListGivesNothing) {
  ListG empty;
  ListCursor cursor(empty, true);
  EXPECT_EQ(cursor.Get(), nullptr);
  EXPECT_EQ(cursor.First(), nullptr);
  EXPECT_EQ(cursor.Last(), nullptr);
  EXPECT_EQ(cursor.Next(), nullptr);
  EXPECT_EQ(cursor.Prev(), nullptr);
}

TEST_F(ListCursorTest, RegisteredCursorMovesOnWhenItsNodeIsRemoved) {
  ListCursor cursor(list, true);
  EXPECT_EQ(cursor.Next(), B);
  EXPECT_EQ(list.Remove(B), 1);
  EXPECT_EQ(cursor.Get(), C);
  EXPECT_EQ(cursor.Next(), D);
  EXPECT_EQ(cursor.Prev(), C);

  // Removing another node leaves the cursor where it is.
  EXPECT_EQ(list.Remove(A), 1);
  EXPECT_EQ(cursor.Get(), C);
  EXPECT_EQ(cursor.Prev(), nullptr);

  // The front taken off by PopFront.
  EXPECT_EQ(cursor.First(), C);
  EXPECT_EQ(list.PopFront(), C);
  EXPECT_EQ(cursor.Get(), D);
  EXPECT_EQ(cursor.Prev(), nullptr);

  // The last node gone: no node.
  EXPECT_EQ(cursor.First(), D);
  EXPECT_EQ(list.Remove(D), 1);
  EXPECT_EQ(cursor.Get(), nullptr);
  EXPECT_EQ(cursor.Next(), nullptr);
}

TEST_F(ListCursorTest, InsertionsKeepTheNodeACursorStandsOn) {
  ListCursor cursor(list, true);
  cursor.Next(2);
  int e = 0, f = 0;
  list.PushFront(&e);
  list.PushBack(&f);
  EXPECT_EQ(cursor.Get(), C);
  EXPECT_EQ(cursor.Next(2), &f);
  EXPECT_EQ(cursor.First(), &e);
}

TEST_F(ListCursorTest, EveryRegisteredCursorIsAdjusted) {
  auto first = std::make_unique<ListCursor>(list, true);
  auto middle = std::make_unique<ListCursor>(list, true);
  auto last = std::make_unique<ListCursor>(list, true);
  first->Next();
  middle->Next();
  last->Next();
  list.Remove(B);
  EXPECT_EQ(first->Get(), C);
  EXPECT_EQ(middle->Get(), C);
  EXPECT_EQ(last->Get(), C);

  // A destroyed cursor leaves the chain without cutting off those after it.
  middle.reset();
  list.Remove(C);
  EXPECT_EQ(first->Get(), D);
  EXPECT_EQ(last->Get(), D);
  first.reset();
  list.Remove(D);
  EXPECT_EQ(last->Get(), nullptr);
}

TEST_F(ListCursorTest, UnregisteredCursorSurvivesRemovalOfOtherNodes) {
  ListCursor registered(list, true);
  ListCursor plain(list);
  registered.Next();
  plain.Last();
  // The plain cursor stays valid as long as its own node stays.
  list.Remove(B);
  EXPECT_EQ(registered.Get(), C);
  EXPECT_EQ(plain.Get(), D);
  EXPECT_EQ(plain.Prev(), C);
}

TEST_F(ListCursorTest, CursorOutlivingItsListIsLeftWithoutOne) {
  auto doomed = std::make_unique<ListG>();
  doomed->PushBack(A);
  doomed->PushBack(B);
  auto cursor = std::make_unique<ListCursor>(*doomed, true);
  auto other = std::make_unique<ListCursor>(*doomed, true);
  EXPECT_EQ(cursor->GetList(), doomed.get());
  doomed.reset();
  EXPECT_EQ(cursor->GetList(), nullptr);
  EXPECT_EQ(other->GetList(), nullptr);
  // An orphaned cursor stands on no node and walks nowhere.
  EXPECT_EQ(cursor->Get(), nullptr);
  EXPECT_EQ(cursor->Next(), nullptr);
  EXPECT_EQ(other->First(), nullptr);
  // Destroying them now must not reach into the freed list.
  cursor.reset();
  other.reset();
}

TEST_F(ListCursorTest, TypedCursorWalksATypedList) {
  List<int*> typed;
  typed.PushBack(&a);
  typed.PushBack(&b);
  List<int*>::Cursor cursor(typed, true);
  EXPECT_EQ(cursor.First(), &a);
  EXPECT_EQ(typed.Remove(&a), 1);
  EXPECT_EQ(cursor.Get(), &b);
  EXPECT_EQ(cursor.Next(), nullptr);
  EXPECT_EQ(typed.Front(), &b);
}

}  // namespace
}  // namespace virlo
