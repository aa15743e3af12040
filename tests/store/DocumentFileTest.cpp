// Document files on disk: what a save leaves beside the file, and what
// reading leaves there (nothing).
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "model/Sheet.h"
#include "objects/Dot.h"
#include "objects/PersistentTypes.h"
#include "store/Database.h"
#include "store/DocumentFile.h"
#include "store/Store.h"
#include "support/TempFolder.h"

namespace virlo {
namespace {

namespace fs = std::filesystem;

class DocumentFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterPersistentTypes();
    db = std::make_unique<store::Database>(path);
    Sheet* sheet = store::New<Sheet>(db.get(), 624, 1024, 8, 16);
    db->CreateRoot("Sheet")->SetValue(sheet);
    store::New<Dot>(db.get(), sheet, 20, 24, 8, nullptr);
  }
  std::size_t Entries() const { return folder.Contents().size(); }

  test::TempFolder folder;
  const std::string path = folder.Path("doc.vrl");
  std::unique_ptr<store::Database> db;
};

TEST_F(DocumentFileTest, ASaveOverAStaleJournalLeavesADocumentThatReadsBack) {
  std::ofstream(path + "-journal", std::ios::binary) << std::string(4096, '\x55');
  std::string error;
  ASSERT_TRUE(store::DocumentFile::Save(*db, path, error)) << error;
  EXPECT_FALSE(fs::exists(path + "-journal"));
  EXPECT_NE(store::DocumentFile::Open(path, error), nullptr) << error;
  EXPECT_EQ(Entries(), 1u);
}

TEST_F(DocumentFileTest, ReadingLeavesNothingBesideTheFileEvenInLogMode) {
  std::string error;
  ASSERT_TRUE(store::DocumentFile::Save(*db, path, error)) << error;
  // Another program switched the file to a write-ahead log.
  sqlite3* handle = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &handle), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(handle, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(handle);
  ASSERT_EQ(Entries(), 1u);
  EXPECT_NE(store::DocumentFile::Open(path, error), nullptr) << error;
  EXPECT_EQ(Entries(), 1u);
}

}  // namespace
}  // namespace virlo
