#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "objects/Dot.h"
#include "objects/Line.h"
#include "objects/PersistentTypes.h"
#include "objects/Selection.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "store/Database.h"
#include "store/Store.h"
#include "support/ArtRows.h"

namespace virlo::test {

// A document-like setting: a database named "dia.vrl" holding a 624 x 1024
// sheet with 8 x 16 cells (78 x 64 characters), as a new document has.
class SheetFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterPersistentTypes();
    db = std::make_unique<store::Database>("/tmp/dia.vrl");
    sheet = store::New<Sheet>(db.get(), 624, 1024, 8, 16);
    ASSERT_NE(sheet, nullptr);
  }
  void TearDown() override {
    store::Delete(sheet);
    db.reset();
  }

  // Builds T in the sheet's database with the given constructor arguments.
  template <class T, class... Args>
  T* Make(Args&&... args) {
    return store::New<T>(db.get(), std::forward<Args>(args)...);
  }
  // A horizontal line whose start joins, or rests on, link when there is one.
  Line* HLine(std::int32_t x0, std::int32_t x1, std::int32_t y, DrawObj* link = nullptr) {
    return Make<Line>(sheet, x0, y, x1, y, nullptr, link);
  }
  // A dot that settles on the line under it, as the dot tool leaves it.
  Dot* DotOn(std::int32_t x, std::int32_t y) {
    Dot* dot = Make<Dot>(sheet, x, y, 1, nullptr);
    dot->LinkToLine();
    return dot;
  }
  // A text box from the corner (x, y), fitted to its text.
  StrBox* Text(std::int32_t x, std::int32_t y, const char* text) {
    return Make<StrBox>(sheet, x, y, 0, 0, String(text), nullptr);
  }
  // A drag step as the tools make it: collect and repaint, shift, then settle.
  static void Drag(DrawObj* obj, std::int32_t dx, std::int32_t dy) {
    for (const Selection::Moving moving : {Selection::Moving::CollectOnly, Selection::Moving::Shift}) {
      Selection pass(nullptr, moving);
      obj->Move(pass, dx, dy);
    }
    Selection settle;
    obj->Select(settle);
  }

  // The items of a list, front to back.
  static std::vector<DrawObj*> Items(const List<DrawObj*>& list) {
    std::vector<DrawObj*> items;
    List<DrawObj*>::Cursor cursor(list);
    for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) items.push_back(obj);
    return items;
  }
  // One row of the art with its trailing blanks removed.
  std::string Row(std::size_t r) const { return ArtRows(sheet->MakeText()).at(r); }
  // Rows from..to as Row gives them, joined by '/'.
  std::string Art(std::size_t from, std::size_t to) const {
    const std::vector<std::string> rows = ArtRows(sheet->MakeText());
    std::string art = rows.at(from);
    for (std::size_t r = from + 1; r <= to; ++r) art += "/" + rows.at(r);
    return art;
  }

  std::unique_ptr<store::Database> db;
  Sheet* sheet = nullptr;
};

}  // namespace virlo::test
