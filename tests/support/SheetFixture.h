#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/Sheet.h"
#include "objects/PersistentTypes.h"
#include "store/Database.h"
#include "store/Store.h"

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

  // The character art as one string per row (line feeds removed).
  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    const std::string text = sheet->MakeText();
    std::size_t start = 0;
    for (std::size_t lf = text.find('\n'); lf != std::string::npos; lf = text.find('\n', start)) {
      rows.push_back(text.substr(start, lf - start));
      start = lf + 1;
    }
    return rows;
  }
  // One row of the art with its trailing blanks removed.
  std::string Row(std::size_t r) const {
    std::string row = Rows().at(r);
    row.erase(row.find_last_not_of(' ') + 1);
    return row;
  }

  std::unique_ptr<store::Database> db;
  Sheet* sheet = nullptr;
};

}  // namespace virlo::test
