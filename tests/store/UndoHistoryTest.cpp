// The undo history's limit (the random sessions check the rest of undo and
// redo), and which database an address belongs to.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "document/Document.h"
#include "objects/Box.h"
#include "objects/Dot.h"
#include "objects/PersistentTypes.h"
#include "objects/Sheet.h"
#include "store/Store.h"
#include "support/DocumentState.h"

namespace virlo {
namespace {

using test::DocumentState;

TEST(UndoTest, AtMostThirtyTwoStepsBackThenUndoIsRefused) {
  RegisterPersistentTypes();
  store::SetMaximumUndoOperations(32);
  Document doc;
  ASSERT_TRUE(doc.OnNewDocument());
  store::Database* db = doc.GetDatabase();
  std::vector<DocumentState> states{DocumentState::Of(doc)};
  for (std::int32_t i = 0; i < 40; ++i) {
    db->SetUndoMarker();
    store::New<Dot>(db, doc.sheet, 4 + i * 8, 8, 1, nullptr);
    states.push_back(DocumentState::Of(doc));
  }
  for (int i = 0; i < 32; ++i) ASSERT_TRUE(db->Undo()) << "undo " << i + 1;
  EXPECT_EQ(DocumentState::Of(doc), states[40 - 32]);
  EXPECT_FALSE(db->IsUndoable() || db->Undo());

  for (int i = 0; i < 32; ++i) ASSERT_TRUE(db->IsRedoable() && db->Redo()) << "redo " << i + 1;
  EXPECT_FALSE(db->IsRedoable());
  EXPECT_EQ(DocumentState::Of(doc), states[40]);
}

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
