// Document files on disk: what a save leaves beside the file, and what
// reading reads and leaves there: the file alone, nothing; and the longest
// text a file holds.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "document/Document.h"
#include "import/ArtGrid.h"
#include "import/ArtImporter.h"
#include "objects/Dot.h"
#include "objects/PersistentTypes.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "store/Database.h"
#include "store/DocumentFile.h"
#include "store/Store.h"
#include "support/OtherUser.h"
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

// A log beside the file (garbage, empty, a pipe, or a valid one that
// another program left, which would change what is read) is neither read
// nor made nor waited for, even where the reader may not write.
TEST_F(DocumentFileTest, ReadingReadsTheFileAloneAndLeavesNothingBesideIt) {
  std::string error;
  ASSERT_TRUE(store::DocumentFile::Save(*db, path, error)) << error;
  const std::string saved = folder.Read("doc.vrl");
  // Another program switched the file to a write-ahead log and removed the
  // sheet's root there; its log is kept as a killed program leaves it.
  sqlite3* handle = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &handle), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(handle, "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0; DELETE FROM root", nullptr,
                         nullptr, nullptr),
            SQLITE_OK);
  const std::string main = folder.Read("doc.vrl");
  const std::string log = folder.Read("doc.vrl-wal");
  sqlite3_close(handle);
  ASSERT_NE(main, saved);  // the header says: a log
  ASSERT_FALSE(log.empty());
  const auto put = [&](const std::string& name, const std::string& bytes) {
    std::ofstream(folder.Path(name), std::ios::binary | std::ios::trunc) << bytes;
  };
  put("doc.vrl", main);
  const auto readsTheFileAlone = [&](const char* what) {
    const std::map<std::string, std::string> before = folder.Contents();
    const std::unique_ptr<store::Database> read = store::DocumentFile::Open(path, error);
    EXPECT_TRUE(read != nullptr && read->FindRoot("Sheet") != nullptr) << what << ": " << error;
    EXPECT_EQ(folder.Contents(), before) << what;
  };
  put("doc.vrl-wal", log);
  readsTheFileAlone("a valid log");
  put("doc.vrl-wal", "garbage, not a log");
  readsTheFileAlone("garbage");
  put("doc.vrl-wal", "");
  readsTheFileAlone("an empty log");
  fs::remove(path + "-wal");
  ASSERT_EQ(::mkfifo((path + "-wal").c_str(), 0600), 0);
  readsTheFileAlone("a pipe");
  fs::remove(path + "-wal");
  put("doc.vrl-wal", log);
  ::chmod(folder.Folder().c_str(), 0555);
  ::chmod(path.c_str(), 0644);
  ::chmod((path + "-wal").c_str(), 0644);
  EXPECT_EQ(test::RunAs(test::OrdinaryUser(),
                        [&] {
                          std::string why;
                          const std::unique_ptr<store::Database> read = store::DocumentFile::Open(path, why);
                          return read != nullptr && read->FindRoot("Sheet") != nullptr ? 0 : 1;
                        }),
            0)
      << "in a folder the reader may not write";
  ::chmod(folder.Folder().c_str(), 0755);
  EXPECT_EQ(Entries(), 2u);
}

// A file may hold the longest text a box holds (what an import makes of the
// largest art it reads), and no more: the damaged-file corpus holds one a
// byte longer.
TEST(TextLimitTest, TheLargestArtAnImportReadsMakesTheLongestTextAFileHolds) {
  StartStore();
  Document doc;
  ASSERT_TRUE(doc.OnNewDocument());
  std::string art;
  for (int row = 0; row < ArtGrid::MaxRows; ++row) art += std::string(ArtGrid::MaxColumns, 'x') + "\n";
  ArtGrid grid;
  ArtImporter::Report report;
  std::string error;
  ASSERT_TRUE(grid.Read(art, {}, error) && ArtImporter::Import(grid, *doc.sheet, report, error)) << error;
  const auto* text = dynamic_cast<const StrBox*>(doc.sheet->objects.Front());
  ASSERT_TRUE(text != nullptr && doc.sheet->objects.Count() == 1);
  EXPECT_EQ(text->str.Length(), StrBox::MaxText);

  const test::TempFolder folder;
  ASSERT_TRUE(doc.OnSaveDocument(folder.Path("art.vrl"))) << doc.LastError();
  Document opened;
  EXPECT_TRUE(opened.OnOpenDocument(folder.Path("art.vrl"))) << opened.LastError();
}

}  // namespace
}  // namespace virlo
