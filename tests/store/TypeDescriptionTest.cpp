#include "store/TypeDescription.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "model/List.h"
#include "model/ListG.h"
#include "model/Sheet.h"
#include "model/String.h"
#include "objects/Box.h"
#include "objects/Dot.h"
#include "objects/Line.h"
#include "objects/LinkPoint.h"
#include "objects/PersistentTypes.h"
#include "objects/StrBox.h"
#include "store/FieldVisitor.h"
#include "store/TypeRegistry.h"
#include "support/SheetFixture.h"

namespace virlo {
namespace {

// Writes down every field as "path:kind", where kind is int32, uint32,
// transient, ref->ExpectedType (any when unchecked) or the embedded type's
// name. With recurse it also walks embedded members, giving paths like
// "top.start.partner".
class FieldRecorder : public store::FieldVisitor {
 public:
  explicit FieldRecorder(bool recurse = false) : recurse_(recurse) {}

  void Int32(const char* name, std::int32_t& value) override { Add(name, "int32", value != 0); }
  void UInt32(const char* name, std::uint32_t& value) override { Add(name, "uint32", value != 0); }
  void Reference(const char* name, void*& target, const store::TypeDescription* expected) override {
    Add(name, "ref->" + (expected != nullptr ? expected->Name() : std::string("any")), target != nullptr);
    addresses[prefix_ + name] = target;
  }
  void TransientReference(const char* name, void*& target) override { Add(name, "transient", target != nullptr); }
  void Embedded(const char* name, void* member, const store::TypeDescription& type) override {
    Add(name, type.Name(), false);
    addresses[prefix_ + name] = member;
    if (!recurse_) return;
    const std::string outer = prefix_;
    prefix_ += std::string(name) + ".";
    type.DescribeFields(member, *this);
    prefix_ = outer;
  }

  std::vector<std::string> fields;
  // Fields holding something other than zero or null.
  std::vector<std::string> set;
  std::map<std::string, void*> addresses;

 private:
  void Add(const char* name, const std::string& kind, bool isSet) {
    fields.push_back(prefix_ + name + ":" + kind);
    if (isSet) set.push_back(prefix_ + name);
  }

  bool recurse_;
  std::string prefix_;
};

// The fields of a blank instance built by the type's own blank constructor.
FieldRecorder BlankFields(const store::TypeDescription& type) {
  // Blank objects own no memory, so the storage may simply go away.
  std::vector<std::max_align_t> storage(type.Size() / sizeof(std::max_align_t) + 1);
  type.ConstructBlank(storage.data());
  FieldRecorder recorder;
  type.DescribeFields(storage.data(), recorder);
  return recorder;
}

const std::vector<std::string> kStoredNames = {"ListG", "ListG::Node", "String",    "Sheet", "List<DrawObj*>",
                                               "Dot",   "LinkPoint",   "Line",      "Box",   "StrBox"};

TEST(TypeDescriptionTest, RegistryHoldsExactlyTheTenStoredTypes) {
  RegisterPersistentTypes();
  RegisterPersistentTypes();  // a second call adds nothing
  std::vector<std::string> names;
  for (const store::TypeDescription* type : store::TypeRegistry::All()) names.push_back(type->Name());
  std::sort(names.begin(), names.end());
  std::vector<std::string> expected = kStoredNames;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(names, expected);

  for (const std::string& name : kStoredNames) {
    const store::TypeDescription* type = store::TypeRegistry::Find(name);
    ASSERT_NE(type, nullptr) << name;
    EXPECT_EQ(type->Name(), name);
    EXPECT_FALSE(type->IsAbstract()) << name;
  }
  EXPECT_EQ(store::TypeRegistry::Find("Sheet"), &Sheet::Type());
  EXPECT_EQ(store::TypeRegistry::Find("List<DrawObj*>"), &List<DrawObj*>::Type());
  EXPECT_EQ(store::TypeRegistry::Find("DrawObj"), nullptr);
  EXPECT_EQ(store::TypeRegistry::Find("Selection"), nullptr);

  DeregisterPersistentTypes();
  EXPECT_EQ(store::TypeRegistry::Find("Sheet"), nullptr);
  EXPECT_TRUE(store::TypeRegistry::All().empty());
  RegisterPersistentTypes();
  EXPECT_EQ(store::TypeRegistry::Find("StrBox"), &StrBox::Type());
}

TEST(TypeDescriptionTest, SizesAndHierarchy) {
  EXPECT_EQ(Sheet::Type().Size(), sizeof(Sheet));
  EXPECT_EQ(Line::Type().Size(), sizeof(Line));
  EXPECT_EQ(StrBox::Type().Size(), sizeof(StrBox));
  EXPECT_EQ(ListG::Node::Type().Size(), sizeof(ListG::Node));
  EXPECT_TRUE(DrawObj::Type().IsAbstract());

  EXPECT_TRUE(LinkPoint::Type().IsA(Dot::Type()));
  EXPECT_TRUE(LinkPoint::Type().IsA(DrawObj::Type()));
  EXPECT_TRUE(Dot::Type().IsA(DrawObj::Type()));
  EXPECT_TRUE(StrBox::Type().IsA(Box::Type()));
  EXPECT_TRUE(StrBox::Type().IsA(DrawObj::Type()));
  EXPECT_TRUE(Line::Type().IsA(Line::Type()));
  EXPECT_FALSE(Dot::Type().IsA(LinkPoint::Type()));
  EXPECT_FALSE(Box::Type().IsA(StrBox::Type()));
  EXPECT_FALSE(Line::Type().IsA(Box::Type()));
  EXPECT_FALSE(Sheet::Type().IsA(DrawObj::Type()));
  EXPECT_FALSE(DrawObj::Type().IsA(Dot::Type()));
}

TEST(TypeDescriptionTest, FieldsFollowTheDataModelInDeclarationOrder) {
  const std::vector<std::string> drawObj = {"flags:uint32", "sheet:ref->Sheet", "parent:ref->DrawObj",
                                            "selection:transient"};
  auto withDrawObj = [&](std::vector<std::string> own) {
    std::vector<std::string> all = drawObj;
    all.insert(all.end(), own.begin(), own.end());
    return all;
  };
  const std::vector<std::string> dot = withDrawObj({"x:int32", "y:int32", "marker:int32"});
  std::vector<std::string> linkPoint = dot;
  linkPoint.push_back("partner:ref->LinkPoint");
  linkPoint.push_back("hostLine:ref->Line");
  const std::vector<std::string> box =
      withDrawObj({"top:Line", "left:Line", "bottom:Line", "right:Line"});
  std::vector<std::string> strBox = box;
  strBox.insert(strBox.end(), {"str:String", "frame:int32", "alignment:int32"});

  const std::map<std::string, std::vector<std::string>> expected = {
      {"Sheet",
       {"current:ref->DrawObj", "selected:List<DrawObj*>", "objects:List<DrawObj*>", "textFileName:String",
        "width:int32", "height:int32", "cellWidth:int32", "cellHeight:int32", "originX:int32", "originY:int32"}},
      {"ListG",
       {"head:ref->ListG::Node", "tail:ref->ListG::Node", "count:int32", "reserved:int32", "cursors:transient"}},
      {"List<DrawObj*>",
       {"head:ref->ListG::Node", "tail:ref->ListG::Node", "count:int32", "reserved:int32", "cursors:transient"}},
      {"ListG::Node", {"next:ref->ListG::Node", "prev:ref->ListG::Node", "item:ref->any"}},
      {"String", {"text:ref->char", "length:int32"}},
      {"Dot", dot},
      {"LinkPoint", linkPoint},
      {"Line", withDrawObj({"start:LinkPoint", "end:LinkPoint", "attached:List<DrawObj*>", "orientation:int32"})},
      {"Box", box},
      {"StrBox", strBox},
  };

  RegisterPersistentTypes();
  for (const auto& [name, fields] : expected) {
    const store::TypeDescription* type = store::TypeRegistry::Find(name);
    ASSERT_NE(type, nullptr) << name;
    const FieldRecorder blank = BlankFields(*type);
    EXPECT_EQ(blank.fields, fields) << name;
    // A blank object is all zeros and nulls.
    EXPECT_TRUE(blank.set.empty()) << name << ": " << (blank.set.empty() ? "" : blank.set.front());
  }

  // Built directly with the blank tag, too.
  Sheet sheet(store::blank);
  FieldRecorder direct;
  sheet.DescribeFields(direct);
  EXPECT_EQ(direct.fields, expected.at("Sheet"));
  EXPECT_TRUE(direct.set.empty());
}

class TypeDescriptionLiveTest : public test::SheetFixture {};

TEST_F(TypeDescriptionLiveTest, ReferencesMayPointIntoTheMiddleOfAnAllocation) {
  Line* first = Make<Line>(sheet, 20, 40, 60, 40, nullptr, nullptr);
  ASSERT_NE(first, nullptr);
  // The second line starts joined to the first one's end.
  Line* second = Make<Line>(sheet, 60, 40, 60, 88, nullptr, &first->end);
  ASSERT_NE(second, nullptr);
  ASSERT_EQ(second->start.partner, &first->end);

  FieldRecorder lineFields(true);
  Line::Type().DescribeFields(second, lineFields);
  EXPECT_EQ(lineFields.addresses["start"], &second->start);
  EXPECT_EQ(lineFields.addresses["end"], &second->end);
  EXPECT_EQ(lineFields.addresses["start.parent"], second);
  EXPECT_EQ(lineFields.addresses["start.partner"], &first->end);
  EXPECT_EQ(lineFields.addresses["sheet"], sheet);
  EXPECT_EQ(store::Database::Of(lineFields.addresses["start.partner"]), db.get());

  Box* box = Make<Box>(sheet, 100, 40, 140, 88, nullptr);
  ASSERT_NE(box, nullptr);
  FieldRecorder boxFields(true);
  Box::Type().DescribeFields(box, boxFields);
  EXPECT_EQ(boxFields.addresses["right"], &box->right);
  EXPECT_EQ(boxFields.addresses["top.parent"], box);
  EXPECT_EQ(boxFields.addresses["top.start.parent"], &box->top);
  EXPECT_EQ(boxFields.addresses["top.end.partner"], &box->right.start);
  EXPECT_EQ(boxFields.addresses["left.end.partner"], &box->top.start);
  // The walk reaches every level: four sides, two ends each, plus lists.
  EXPECT_NE(std::find(boxFields.fields.begin(), boxFields.fields.end(), "bottom.attached.head:ref->ListG::Node"),
            boxFields.fields.end());
  EXPECT_NE(std::find(boxFields.fields.begin(), boxFields.fields.end(), "right.end.hostLine:ref->Line"),
            boxFields.fields.end());
}

}  // namespace
}  // namespace virlo
