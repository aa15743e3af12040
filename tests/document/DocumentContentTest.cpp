// The content judge against the content itself: every number a document
// stores, changed alone, is judged as comparing the contents tells.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "document/CPlenkoDoc.h"
#include "document/DocumentContent.h"
#include "model/Sheet.h"
#include "objects/Box.h"
#include "objects/Dot.h"
#include "objects/Line.h"
#include "objects/PersistentTypes.h"
#include "objects/StrBox.h"
#include "store/Database.h"
#include "store/Store.h"
#include "store/TypeLayout.h"

namespace virlo {
namespace {

// A new document, whose judge of "modified" the tests hold to the contents.
class DocumentContentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterPersistentTypes();
    store::SetMaximumUndoOperations(32);
    ASSERT_TRUE(doc.OnNewDocument());
    s = doc.sheet;
    db = doc.GetDatabase();
  }

  CPlenkoDoc doc;
  Sheet* s = nullptr;
  store::Database* db = nullptr;
};

TEST_F(DocumentContentTest, EveryStoredNumberChangedAloneIsJudgedAsTheContentsCompare) {
  // One of each kind, joined and resting as a user makes them.
  Line* a = store::New<Line>(db, s, 20, 24, 100, 24, nullptr, nullptr);
  store::New<Line>(db, s, 60, 24, 60, 88, nullptr, a);
  Dot* dot = store::New<Dot>(db, s, 36, 24, 7, nullptr);
  dot->LinkToLine();
  store::New<Box>(db, s, 140, 24, 180, 56, nullptr);
  auto* text = store::New<StrBox>(db, s, 20, 120, 0, 0, String("ab"), nullptr);
  text->frame = 1;
  store::New<Dot>(db, s, 200, 120, 14, nullptr);
  s->current = dot;
  ASSERT_TRUE(doc.OnSaveDocument(testing::TempDir() + "content-judge.vrl"));
  const std::string saved = DocumentContent::Of(*s);
  ASSERT_EQ(db->CompareWithSaved(), store::Sameness::Same);

  int judged = 0;
  for (const auto& [address, allocation] : db->Allocations()) {
    if (allocation.type == &store::TypeDescription::Char()) continue;
    for (const auto& field : store::TypeLayout::Of(*allocation.type).Fields()) {
      if (field.kind != store::TypeLayout::FieldKind::Int32 && field.kind != store::TypeLayout::FieldKind::UInt32) {
        continue;
      }
      // A list's count is its nodes', a text's length its characters':
      // changed alone they make no sound state.
      if (field.name.ends_with("count") || field.name.ends_with("length")) continue;
      auto* place = reinterpret_cast<char*>(address) + field.offset;
      std::uint32_t original;
      std::memcpy(&original, place, sizeof original);
      for (const std::uint32_t change : {1u, 2u, 4u, 8u, 16u}) {
        const std::uint32_t value = original ^ change;
        std::memcpy(place, &value, sizeof value);
        const bool differs = DocumentContent::Of(*s) != saved;
        const store::Sameness verdict = db->CompareWithSaved();
        EXPECT_NE(verdict, store::Sameness::Unknown) << allocation.type->Name() << " " << field.name;
        EXPECT_EQ(verdict == store::Sameness::Different, differs)
            << allocation.type->Name() << " " << field.name << " ^ " << change;
        std::memcpy(place, &original, sizeof original);
        ++judged;
      }
    }
  }
  EXPECT_GT(judged, 200);
  EXPECT_EQ(db->CompareWithSaved(), store::Sameness::Same);
}

TEST_F(DocumentContentTest, PicksSelectionsAndRestackingBackAreNoChangeButRestackingIs) {
  Dot* back = store::New<Dot>(db, s, 20, 24, 7, nullptr);
  for (int i = 1; i < 50; ++i) store::New<Dot>(db, s, 20 + 16 * i, 24, 7, nullptr);
  Dot* front = store::New<Dot>(db, s, 20, 56, 7, nullptr);
  ASSERT_TRUE(doc.OnSaveDocument(testing::TempDir() + "content-order.vrl"));

  // Selecting and picking: no change.
  s->CollectInRect({0, 0, 400, 40});
  s->current = front;
  front->SetFlag(DrawObj::Highlighted, true);
  EXPECT_EQ(db->CompareWithSaved(), store::Sameness::Same);
  s->ClearSelection();
  EXPECT_EQ(db->CompareWithSaved(), store::Sameness::Same);

  // The front object taken out and put in front again: new list nodes, the same order.
  s->RemoveObject(front);
  s->PlaceInFront(front);
  EXPECT_EQ(db->CompareWithSaved(), store::Sameness::Same);

  // The back one brought to the front: a different order.
  s->RemoveObject(back);
  s->PlaceInFront(back);
  EXPECT_EQ(db->CompareWithSaved(), store::Sameness::Different);
  EXPECT_NE(DocumentContent::Of(*s), std::string());

  // And back where it was: the same order again, in other nodes.
  s->RemoveObject(back);
  s->PlaceAtBack(back);
  EXPECT_EQ(db->CompareWithSaved(), store::Sameness::Same);
}

}  // namespace
}  // namespace virlo
