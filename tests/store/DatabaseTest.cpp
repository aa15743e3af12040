#include "store/Database.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "model/Sheet.h"
#include "objects/Box.h"
#include "store/Store.h"
#include "store/TypeDescription.h"

namespace virlo {
namespace {

// A persistent type that counts its constructions, to see that a refused
// allocation builds nothing.
struct Counted {
  explicit Counted(std::int32_t v) : value(v) { ++constructed; }
  explicit Counted(store::Blank) {}
  static const store::TypeDescription& Type() {
    static const auto type = store::TypeDescription::Concrete<Counted>("Counted");
    return type;
  }
  void DescribeFields(store::FieldVisitor& visitor) { visitor.Int32("value", value); }

  std::int32_t value = 0;
  static inline int constructed = 0;
};

int staticDatum = 0;

TEST(DatabaseTest, KeepsItsPathName) {
  store::Database db("/tmp/a.vrl");
  EXPECT_EQ(db.PathName(), "/tmp/a.vrl");
  EXPECT_FALSE(db.IsTransient());
  db.SetPathName("/tmp/b.vrl");
  EXPECT_EQ(db.PathName(), "/tmp/b.vrl");
}

TEST(DatabaseTest, AddressesOutsideEveryDocumentAreTransient) {
  store::Database db("/tmp/a.vrl");
  int local = 0;
  auto heap = std::make_unique<int>(0);
  store::Database* transient = store::Database::Transient();
  ASSERT_NE(transient, nullptr);
  EXPECT_TRUE(transient->IsTransient());
  EXPECT_EQ(store::Database::Of(&local), transient);
  EXPECT_EQ(store::Database::Of(heap.get()), transient);
  EXPECT_EQ(store::Database::Of(&staticDatum), transient);
  EXPECT_EQ(store::Database::Of(nullptr), transient);
}

TEST(DatabaseTest, AnswersForInteriorAddressesOfItsAllocations) {
  store::Database db("/tmp/a.vrl");
  store::Database other("/tmp/b.vrl");
  Sheet* sheet = store::New<Sheet>(&db, 624, 1024, 8, 16);
  ASSERT_NE(sheet, nullptr);
  Box* box = store::New<Box>(&db, sheet, 8, 16, 40, 48, nullptr);
  ASSERT_NE(box, nullptr);

  EXPECT_EQ(store::Database::Of(sheet), &db);
  EXPECT_EQ(store::Database::Of(&sheet->originY), &db);
  // A list embedded in a line embedded in a box.
  EXPECT_EQ(store::Database::Of(&box->right.attached), &db);
  EXPECT_EQ(store::Database::Of(&box->bottom.end.y), &db);

  const void* begin = nullptr;
  const store::Allocation* allocation = db.Find(&box->left, &begin);
  ASSERT_NE(allocation, nullptr);
  EXPECT_EQ(begin, static_cast<const void*>(box));
  EXPECT_EQ(allocation->type, &Box::Type());
  EXPECT_EQ(other.Find(&box->left), nullptr);

  // Just past the end is no longer the sheet.
  const char* pastSheet = reinterpret_cast<const char*>(sheet) + sizeof(Sheet);
  begin = nullptr;
  const store::Allocation* after = db.Find(pastSheet, &begin);
  EXPECT_TRUE(after == nullptr || begin != static_cast<const void*>(sheet));
  store::Delete(sheet);
}

TEST(DatabaseTest, AllocationsAreCountedAndReleased) {
  store::Database db("/tmp/a.vrl");
  const std::size_t before = db.AllocationCount();
  Counted* counted = store::New<Counted>(&db, 7);
  ASSERT_NE(counted, nullptr);
  EXPECT_EQ(counted->value, 7);
  char* chars = store::AllocateChars(&db, 4);
  ASSERT_NE(chars, nullptr);
  EXPECT_EQ(db.AllocationCount(), before + 2);
  const store::Allocation* charAllocation = db.Find(chars + 3);
  ASSERT_NE(charAllocation, nullptr);
  EXPECT_EQ(charAllocation->type, &store::TypeDescription::Char());
  EXPECT_EQ(charAllocation->count * charAllocation->size, 4U);

  store::Free(chars);
  store::Delete(counted);
  EXPECT_EQ(db.AllocationCount(), before);

  // Null is the transient database, and its memory is released the same way.
  store::Database* transient = store::Database::Transient();
  const std::size_t transientBefore = transient->AllocationCount();
  void* memory = store::Allocate(nullptr, Counted::Type());
  ASSERT_NE(memory, nullptr);
  EXPECT_EQ(store::Database::Of(memory), transient);
  EXPECT_EQ(transient->AllocationCount(), transientBefore + 1);
  store::Free(memory);
  EXPECT_EQ(transient->AllocationCount(), transientBefore);

  store::Free(nullptr);
  EXPECT_EQ(db.AllocationCount(), before);
}

TEST(DatabaseTest, RootsAreFoundByName) {
  store::Database db("/tmp/a.vrl");
  store::Database other("/tmp/b.vrl");
  EXPECT_EQ(db.FindRoot("Sheet"), nullptr);
  store::Database::Root* root = db.CreateRoot("Sheet");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->Name(), "Sheet");
  EXPECT_EQ(root->GetValue(), nullptr);
  int value = 0;
  root->SetValue(&value);
  EXPECT_EQ(db.FindRoot("Sheet"), root);
  EXPECT_EQ(db.FindRoot("Sheet")->GetValue(), &value);
  EXPECT_EQ(db.FindRoot("sheet"), nullptr);
  EXPECT_EQ(other.FindRoot("Sheet"), nullptr);
  EXPECT_EQ(db.Roots().size(), 1U);
}

TEST(DatabaseTest, EditionKeepsAnUndoHistory) {
  store::Initialize();
  EXPECT_EQ(store::WhichProduct(), 1);
  const int previous = store::MaximumUndoOperations();
  store::SetMaximumUndoOperations(32);
  EXPECT_EQ(store::MaximumUndoOperations(), 32);
  store::SetMaximumUndoOperations(previous);
}

TEST(DatabaseTest, RefusedAllocationGivesNullAndBuildsNothing) {
  store::Database db("/tmp/a.vrl");
  const std::size_t before = db.AllocationCount();
  const int constructedBefore = Counted::constructed;
  {
    store::AllocationFailure failure(1);
    Counted* first = store::New<Counted>(&db, 1);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(store::New<Counted>(&db, 2), nullptr);
    EXPECT_EQ(store::AllocateChars(&db, 3), nullptr);
    EXPECT_EQ(store::Allocate(nullptr, Counted::Type()), nullptr);
    EXPECT_EQ(Counted::constructed, constructedBefore + 1);
    EXPECT_EQ(db.AllocationCount(), before + 1);
    store::Delete(first);
  }
  // The hook ends with its scope.
  Counted* later = store::New<Counted>(&db, 3);
  EXPECT_NE(later, nullptr);
  store::Delete(later);
  EXPECT_EQ(db.AllocationCount(), before);
}

}  // namespace
}  // namespace virlo
