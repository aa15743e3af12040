#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/Sheet.h"
#include "objects/Box.h"
#include "objects/PersistentTypes.h"
#include "store/Database.h"
#include "store/FieldVisitor.h"
#include "store/Store.h"
#include "store/TypeRegistry.h"

namespace virlo {
namespace {

// Writes down every field as "name:kind".
struct FieldRecorder : store::FieldVisitor {
  void Add(const char* name, const std::string& kind) { fields += name + (":" + kind + " "); }
  void Int32(const char* name, std::int32_t&) override { Add(name, "int32"); }
  void UInt32(const char* name, std::uint32_t&) override { Add(name, "uint32"); }
  void Reference(const char* name, void*&, const store::TypeDescription* type) override {
    Add(name, "ref->" + (type != nullptr ? type->Name() : "any"));
  }
  void TransientReference(const char* name, void*&) override { Add(name, "transient"); }
  void Embedded(const char* name, void*, const store::TypeDescription& type) override { Add(name, type.Name()); }
  std::string fields;
};

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

TEST(DatabaseTest, RefusedAllocationGivesNullUntilTheHookEnds) {
  store::Database db("/tmp/a.vrl");
  {
    store::AllocationFailure failure(1);
    char* chars = store::AllocateChars(&db, 3);
    EXPECT_NE(chars, nullptr);
    EXPECT_EQ(store::New<Sheet>(&db, 624, 1024, 8, 16), nullptr);
    EXPECT_EQ(db.AllocationCount(), 1U);
    store::Free(chars);
  }
  char* later = store::AllocateChars(&db, 3);
  EXPECT_NE(later, nullptr);
  store::Free(later);
}

TEST(TypeDescriptionTest, RegistryHoldsTheTenTypesWithTheirFieldsInOrder) {
  RegisterPersistentTypes();
  RegisterPersistentTypes();  // a second call adds nothing
  std::vector<std::string> names;
  for (const store::TypeDescription* type : store::TypeRegistry::All()) names.push_back(type->Name());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Box", "Dot", "Line", "LinkPoint", "List<DrawObj*>", "ListG",
                                             "ListG::Node", "Sheet", "StrBox", "String"}));

  const std::string drawObj = "flags:uint32 sheet:ref->Sheet parent:ref->DrawObj selection:transient ";
  const std::map<std::string, std::string> expected = {
      {"Sheet",
       "current:ref->DrawObj selected:List<DrawObj*> objects:List<DrawObj*> textFileName:String "
       "width:int32 height:int32 cellWidth:int32 cellHeight:int32 originX:int32 originY:int32 "},
      {"LinkPoint", drawObj + "x:int32 y:int32 marker:int32 partner:ref->LinkPoint hostLine:ref->Line "},
      {"StrBox", drawObj + "top:Line left:Line bottom:Line right:Line str:String frame:int32 alignment:int32 "},
  };
  for (const auto& [name, fields] : expected) {
    const store::TypeDescription* type = store::TypeRegistry::Find(name);
    ASSERT_NE(type, nullptr) << name;
    // Blank objects own no memory, so the storage may simply go away.
    std::vector<std::max_align_t> storage(type->Size() / sizeof(std::max_align_t) + 1);
    type->ConstructBlank(storage.data());
    FieldRecorder recorder;
    type->DescribeFields(storage.data(), recorder);
    EXPECT_EQ(recorder.fields, fields) << name;
  }
}

}  // namespace
}  // namespace virlo
