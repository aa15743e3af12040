// The undo history's limit (the random sessions check the rest of undo and
// redo), and which database an address belongs to.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "document/Document.h"
#include "objects/Box.h"
#include "objects/Dot.h"
#include "objects/PersistentTypes.h"
#include "objects/Selection.h"
#include "objects/Sheet.h"
#include "store/Arena.h"
#include "store/Store.h"
#include "support/DocumentState.h"

namespace virlo {
namespace {

using test::DocumentState;

// Forty steps, each adding a dot and moving the first one down a row: every
// state on the way back and forth is the one the step left.
void PlayFortySteps() {
  RegisterPersistentTypes();
  store::SetMaximumUndoOperations(32);
  Document doc;
  ASSERT_TRUE(doc.OnNewDocument());
  store::Database* db = doc.GetDatabase();
  Dot* first = store::New<Dot>(db, doc.sheet, 4, 8, 1, nullptr);
  std::vector<DocumentState> states{DocumentState::Of(doc)};
  for (std::int32_t i = 0; i < 40; ++i) {
    db->SetUndoMarker();
    store::New<Dot>(db, doc.sheet, 12 + i * 8, 8, 1, nullptr);
    Selection selection;
    first->Move(selection, 0, 16);
    states.push_back(DocumentState::Of(doc));
  }
  for (std::size_t i = 0; i < 32; ++i) {
    ASSERT_TRUE(db->Undo()) << "undo " << i + 1;
    ASSERT_EQ(DocumentState::Of(doc), states[39 - i]) << "undo " << i + 1;
  }
  EXPECT_FALSE(db->IsUndoable() || db->Undo());

  for (std::size_t i = 0; i < 32; ++i) {
    ASSERT_TRUE(db->IsRedoable() && db->Redo()) << "redo " << i + 1;
    ASSERT_EQ(DocumentState::Of(doc), states[9 + i]) << "redo " << i + 1;
  }
  EXPECT_FALSE(db->IsRedoable());
}

TEST(UndoTest, AtMostThirtyTwoStepsBackThenUndoIsRefused) { PlayFortySteps(); }

// Where protecting a page reports success and protects nothing (as under
// Emscripten), writes never trap: the watcher proves protection at its
// start, finds it hollow and compares pages instead.
TEST(UndoTest, WhereProtectingProtectsNothingUndoComparesPagesAndStillWorks) {
  store::Arena::SimulateHollowProtection(true);
  PlayFortySteps();
  store::Arena::SimulateHollowProtection(false);
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
