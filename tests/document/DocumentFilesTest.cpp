// What a document refuses to keep (roots it does not know; the
// damaged-document corpus holds text a terminal would act on), and the document and its file on disk: whether another
// program changed the file since it was opened or saved, a recovery copy that
// changes nothing of the document and opens as it, and the note that says
// whose copy it is.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "document/DocumentCheck.h"
#include "document/RecoveryNote.h"
#include "objects/Box.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "store/Database.h"
#include "store/DocumentFile.h"
#include "store/FormatVersion.h"
#include "support/ViewFixture.h"

namespace virlo {
namespace {

namespace fs = std::filesystem;
using Change = FileIdentity::Change;

class DocumentFilesTest : public test::ViewFixture {
 protected:
  void Put(const std::string& path, const std::string& bytes) const {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  }
  // Another program writes a document of its own there.
  void WriteOther(const std::string& path) {
    Document other;
    ASSERT_TRUE(other.OnNewDocument());
    store::New<Box>(other.GetDatabase(), other.sheet, 100, 24, 180, 88, nullptr);
    ASSERT_TRUE(other.OnSaveDocument(path)) << other.LastError();
  }
};
using DocumentOnDiskTest = DocumentFilesTest;

TEST_F(DocumentFilesTest, ARootTheProgramDoesNotKnowIsLeftBehindSoLaterSavesWork) {
  Dot* dot = store::New<Dot>(doc.GetDatabase(), doc.sheet, 20, 24, 8, nullptr);
  doc.GetDatabase()->CreateRoot("Extra")->SetValue(dot);
  ASSERT_TRUE(doc.OnSaveDocument(folder.Path("extra.vrl"))) << doc.LastError();

  Document opened;
  ASSERT_TRUE(opened.OnOpenDocument(folder.Path("extra.vrl"))) << opened.LastError();
  EXPECT_EQ(opened.GetDatabase()->FindRoot("Extra"), nullptr);
  store::Delete(opened.sheet->objects.Front());  // what the root pointed at
  EXPECT_TRUE(opened.OnSaveDocument(folder.Path("extra.vrl"))) << opened.LastError();
}

// Texts of a file of format 2 or older are code page 932: checked as such and
// converted to UTF-8 once the document is sound, so nothing is converted
// twice; from format 3 on a text must be UTF-8.
TEST_F(DocumentFilesTest, TextsOfAnOlderFormatAreCheckedAsCodePage932AndConvertedOnce) {
  store::Database& db = *doc.GetDatabase();
  // "→" took two cells in the code page and takes one in UTF-8: a blank keeps its columns.
  StrBox* text =
      store::New<StrBox>(&db, doc.sheet, 20, 24, 0, 0, String("\x93\xFA\x96\x7B \xB6\x81\xA8x\r\no"), nullptr);
  Sheet* sheet = nullptr;
  std::string error;
  db.SetFileFormat(store::StrokesFormat);
  ASSERT_EQ(DocumentCheck::Check(db, sheet, error), DocumentCheck::Verdict::Sound) << error;
  EXPECT_EQ(text->GetText(), "日本 ｶ→ x\r\no");
  EXPECT_EQ(db.FileFormat(), store::CurrentFormat);
  ASSERT_EQ(DocumentCheck::Check(db, sheet, error), DocumentCheck::Verdict::Sound) << error;
  EXPECT_EQ(text->GetText(), "日本 ｶ→ x\r\no");

  const std::pair<std::string, std::string> refused[] = {
      {"\x82\xA0", "a text is not UTF-8"},
      {"\xC2\x9B", "a text holds control characters"},
  };
  for (const auto& [bytes, reason] : refused) {
    text->SetText(bytes.c_str());
    EXPECT_EQ(DocumentCheck::Check(db, sheet, error), DocumentCheck::Verdict::Refused) << bytes;
    EXPECT_EQ(error, reason);
    error.clear();
  }
  // A lead byte without its second byte, and a byte the code page leaves unused.
  for (const char* bytes : {"ab\x82", "\x80", "\xA0x"}) {
    text->SetText(bytes);
    db.SetFileFormat(store::FirstFormat);
    EXPECT_EQ(DocumentCheck::Check(db, sheet, error), DocumentCheck::Verdict::Refused) << bytes;
    EXPECT_EQ(error, "a text is not code page 932, which its file format holds");
    EXPECT_EQ(text->GetText(), bytes);
    error.clear();
  }
  text->SetText("\x1B[2J");
  EXPECT_EQ(DocumentCheck::Check(db, sheet, error), DocumentCheck::Verdict::Refused);
  EXPECT_EQ(error, "a text holds control characters");
}

// Rows kept as read print in place of the sheet's own: a file whose rows say
// more than the sheet shows is refused, and one whose rows fit opens.
TEST_F(DocumentFilesTest, RowsKeptAsReadThatSayMoreThanTheSheetShowsAreRefused) {
  store::Database& db = *doc.GetDatabase();
  Sheet* sheet = nullptr;
  std::string error;
  doc.sheet->keptRows.Assign("\n0 3\na   b\na\tb\n");
  EXPECT_EQ(DocumentCheck::Check(db, sheet, error), DocumentCheck::Verdict::Sound) << error;
  doc.sheet->keptRows.Assign("\n0 3\na   b\nrm\tb\n");
  EXPECT_EQ(DocumentCheck::Check(db, sheet, error), DocumentCheck::Verdict::Refused);
  EXPECT_EQ(error, "a row its art was read from is not the row it shows");
}

TEST_F(DocumentOnDiskTest, TheFileIsComparedWithItsStateWhenOpenedOrLastSaved) {
  EXPECT_EQ(doc.DiskChange(), Change::None);  // untitled: no file to compare
  const std::string path = folder.Path("plan.vrl");
  ASSERT_TRUE(doc.OnSaveDocument(path)) << doc.LastError();
  EXPECT_EQ(doc.DiskChange(), Change::None);
  WriteOther(path);
  EXPECT_EQ(doc.DiskChange(), Change::Changed);
  // Saving over it makes the new file the one compared.
  ASSERT_TRUE(doc.OnSaveDocument(path)) << doc.LastError();
  EXPECT_EQ(doc.DiskChange(), Change::None);
  Document opened;
  ASSERT_TRUE(opened.OnOpenDocument(path)) << opened.LastError();
  EXPECT_EQ(opened.DiskChange(), Change::None);
  WriteOther(path);
  EXPECT_EQ(opened.DiskChange(), Change::Changed);
}

TEST_F(DocumentOnDiskTest, ACopyChangesNothingOfTheDocumentAndOpensAsItModifiedUntilSaved) {
  const std::string original = folder.Path("plan.vrl");
  ASSERT_TRUE(doc.OnSaveDocument(original)) << doc.LastError();
  store::New<Box>(doc.GetDatabase(), doc.sheet, 100, 24, 180, 88, nullptr);
  doc.UpdateModifiedFlag();
  const std::string copy = folder.Path("recovery-1.vrl");
  std::string error;
  ASSERT_TRUE(store::DocumentFile::Save(*doc.GetDatabase(), copy, error)) << error;
  EXPECT_TRUE(doc.IsModified() && !doc.IsUntitled());
  EXPECT_TRUE(doc.GetPathName() == original && doc.GetTitle() == "plan");
  EXPECT_EQ(doc.GetDatabase()->PathName(), original);
  EXPECT_EQ(doc.DiskChange(), Change::None);

  const RecoveryNote note{original, "plan", doc.DiskIdentity()};
  Document recovered;
  ASSERT_TRUE(recovered.OnOpenRecoveryCopy(copy, note)) << recovered.LastError();
  EXPECT_TRUE(recovered.GetPathName() == original && recovered.GetTitle() == "plan" && !recovered.IsUntitled());
  EXPECT_EQ(recovered.GetDatabase()->PathName(), original);
  EXPECT_EQ(recovered.sheet->textFileName.View(), Sheet::TextFileNameFor(String(original.c_str())).View());
  EXPECT_EQ(recovered.sheet->MakeText(), doc.sheet->MakeText());
  recovered.UpdateModifiedFlag();
  EXPECT_TRUE(recovered.IsModified());
  // The original is compared with the file as the killed program last saw it.
  EXPECT_EQ(recovered.DiskChange(), Change::None);
  WriteOther(original);
  EXPECT_EQ(recovered.DiskChange(), Change::Changed);

  // Untitled: it keeps its title and asks for a name when saved.
  Document untitled;
  ASSERT_TRUE(untitled.OnOpenRecoveryCopy(copy, RecoveryNote{"", "Plenko7", FileIdentity()}));
  EXPECT_TRUE(untitled.IsUntitled() && untitled.IsModified() && untitled.GetTitle() == "Plenko7");
  EXPECT_EQ(fs::path(untitled.GetPathName()).filename(), "Plenko7.vrl");
  // A damaged copy changes nothing.
  Put(folder.Path("damaged.vrl"), folder.Read(copy).substr(0, 200));
  EXPECT_FALSE(untitled.OnOpenRecoveryCopy(folder.Path("damaged.vrl"), note));
  EXPECT_FALSE(untitled.LastError().empty());
  EXPECT_TRUE(untitled.IsUntitled() && untitled.GetTitle() == "Plenko7" && untitled.sheet != nullptr);
}

TEST_F(DocumentOnDiskTest, ANoteKeepsAnyNameAndRefusesWhatIsDamaged) {
  const std::string path = folder.Path("a.note");
  const RecoveryNote odd{"/home/me/odd%name\nwith\x01 bytes \xff and 日本語.vrl", "odd%name\nwith",
                         FileIdentity(4096, -12, 0x0123456789abcdefULL)};
  std::string error;
  ASSERT_TRUE(odd.Write(path, error)) << error;
  const std::string text = folder.Read(path);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6);
  RecoveryNote read;
  ASSERT_TRUE(RecoveryNote::Read(path, read, error)) << error;
  EXPECT_EQ(read, odd);
  ASSERT_TRUE((RecoveryNote{"", "Plenko2", FileIdentity()}.Write(path, error)));
  EXPECT_EQ(folder.Read(path), "VIRLO recovery note 1\noriginal=\ntitle=Plenko2\n");

  const std::string good = "VIRLO recovery note 1\noriginal=/a.vrl\ntitle=a\n";
  const std::string identity = "size=1\nmodified=2\nhash=0123456789abcdef\n";
  const std::string head = "VIRLO recovery note 1\noriginal=";
  const std::pair<std::string, std::string> damaged[] = {
      {"VIRLO recovery note 2\n", "not a VIRLO recovery note"},
      {good.substr(0, good.size() - 1), "middle of a line"},
      {good + "colour=red\n", "unknown line"},
      {good + "title=b\n", "twice"},
      {head + "/a%zz.vrl\ntitle=a\n", "original is damaged"},
      {head + "/a%00.vrl\ntitle=a\n", "original is damaged"},
      {head + "/a.vrl%2\ntitle=a\n", "original is damaged"},
      {head + "a.vrl\ntitle=a\n", "no absolute path"},
      {head + "/a.vrl\ntitle=a/b\n", "title"},
      {"VIRLO recovery note 1\ntitle=a\n", "does not name"},
      {good + "size=1\n", "record of the original"},
      {good + "size=-1\nmodified=2\nhash=0123456789abcdef\n", "record of the original"},
      {head + "\ntitle=a\n" + identity, "record of the original"},
      {good + std::string(70 * 1024, 'x') + "\n", "too large"},
  };
  for (const auto& [bytes, reason] : damaged) {
    Put(path, bytes);
    RecoveryNote kept = odd;
    error.clear();
    EXPECT_FALSE(RecoveryNote::Read(path, kept, error)) << bytes.substr(0, 80);
    EXPECT_NE(error.find(reason), std::string::npos) << error;
    EXPECT_EQ(kept, odd);
    EXPECT_EQ(folder.Read(path), bytes);
  }
  Put(path, good + identity);
  ASSERT_TRUE(RecoveryNote::Read(path, read, error)) << error;
  EXPECT_EQ(read.identity, FileIdentity(1, 2, 0x0123456789abcdefULL));
}

}  // namespace
}  // namespace virlo
