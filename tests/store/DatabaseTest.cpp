#include <gtest/gtest.h>

#include <memory>

#include "model/Sheet.h"
#include "objects/Box.h"
#include "store/Database.h"
#include "store/Store.h"

namespace virlo {
namespace {

TEST(DatabaseTest, OfAnswersForInteriorAddressesAndElseTransient) {
  store::Database db("/tmp/a.vrl");
  Sheet* sheet = store::New<Sheet>(&db, 624, 1024, 8, 16);
  Box* box = store::New<Box>(&db, sheet, 8, 16, 40, 48, nullptr);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(store::Database::Of(&box->bottom.end.y), &db);  // a point in a line in a box

  int local = 0;
  auto heap = std::make_unique<int>(0);
  EXPECT_TRUE(store::Database::Of(&local)->IsTransient());
  EXPECT_TRUE(store::Database::Of(heap.get())->IsTransient());

  store::Delete(sheet);
  EXPECT_EQ(db.AllocationCount(), 0U);  // the sheet took its box along
}

}  // namespace
}  // namespace virlo
