// The undo history's limit; the random sessions check the rest of undo and redo.
#include <gtest/gtest.h>

#include <vector>

#include "document/CPlenkoDoc.h"
#include "model/Sheet.h"
#include "objects/Dot.h"
#include "objects/PersistentTypes.h"
#include "store/Store.h"
#include "support/DocumentState.h"

namespace virlo {
namespace {

using test::DocumentState;

TEST(UndoTest, AtMostThirtyTwoStepsBackThenUndoIsRefused) {
  RegisterPersistentTypes();
  store::SetMaximumUndoOperations(32);
  CPlenkoDoc doc;
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

}  // namespace
}  // namespace virlo
