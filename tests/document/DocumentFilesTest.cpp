// What a document refuses to read or write: roots it does not know, text a
// terminal would act on, and a text print in place of the document itself.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "control/CommandIds.h"
#include "control/PrintDialog.h"
#include "control/ViewController.h"
#include "document/CPlenkoDoc.h"
#include "model/Sheet.h"
#include "objects/CTextDialog.h"
#include "objects/Dot.h"
#include "objects/PersistentTypes.h"
#include "objects/StrBox.h"
#include "platform/QueuedDialogRunner.h"
#include "store/Database.h"
#include "store/DocumentFile.h"
#include "store/Store.h"
#include "support/RecordingWindow.h"

namespace virlo {
namespace {

namespace fs = std::filesystem;

class DocumentFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterPersistentTypes();
    std::string pattern = (fs::temp_directory_path() / "virlo-files-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder = pattern;
    ASSERT_TRUE(doc.OnNewDocument());
  }
  void TearDown() override { fs::remove_all(folder); }
  std::string Path(const std::string& name) const { return (folder / name).string(); }

  fs::path folder;
  CPlenkoDoc doc;
};

TEST_F(DocumentFilesTest, ARootTheProgramDoesNotKnowIsLeftBehindSoLaterSavesWork) {
  Dot* dot = store::New<Dot>(doc.GetDatabase(), doc.sheet, 20, 24, 8, nullptr);
  doc.GetDatabase()->CreateRoot("Extra")->SetValue(dot);
  ASSERT_TRUE(doc.OnSaveDocument(Path("extra.vrl"))) << doc.LastError();

  CPlenkoDoc opened;
  ASSERT_TRUE(opened.OnOpenDocument(Path("extra.vrl"))) << opened.LastError();
  EXPECT_EQ(opened.GetDatabase()->FindRoot("Extra"), nullptr);
  store::Delete(opened.sheet->objects.Front());  // what the root pointed at
  EXPECT_TRUE(opened.OnSaveDocument(Path("extra.vrl"))) << opened.LastError();
}

TEST_F(DocumentFilesTest, TextThatATerminalWouldActOnIsRefusedInTheDialogAndInFiles) {
  StrBox* box = store::New<StrBox>(doc.GetDatabase(), doc.sheet, 20, 24, 0, 0, String("ok"), nullptr);
  QueuedDialogRunner dialogs;
  for (const char* text : {"bell\a", "escape\x1B[2J", "bare\rcarriage", "one\r\ntwo\nthree"}) {
    dialogs.Confirm([text](Dialog& dialog) { dialog.Control(CTextDialog::TextEdit).text = text; },
                    CTextDialog::TemplateId);
    const std::size_t refused = dialogs.Refusals().size();
    box->Edit()->DoModal();
    const bool lineBreaksOnly = std::string(text).find("three") != std::string::npos;
    EXPECT_EQ(dialogs.Refusals().size(), refused + (lineBreaksOnly ? 0u : 1u)) << text;
    EXPECT_EQ(box->GetText(), lineBreaksOnly ? text : "ok") << text;
  }

  box->SetText("\x1B]0;title\a");
  ASSERT_TRUE(doc.OnSaveDocument(Path("control.vrl"))) << doc.LastError();
  CPlenkoDoc opened;
  EXPECT_FALSE(opened.OnOpenDocument(Path("control.vrl")));
  EXPECT_NE(opened.LastError().find("control characters"), std::string::npos) << opened.LastError();
}

TEST_F(DocumentFilesTest, TheTextPrintNeverTakesTheDocumentsPlace) {
  ASSERT_TRUE(doc.OnSaveDocument(Path("notes.txt"))) << doc.LastError();
  EXPECT_EQ(doc.sheet->textFileName.View(), Path("notes.txt.txt"));

  test::RecordingWindow window;
  ViewController view(&doc, &window);
  view.OnActivateView();
  QueuedDialogRunner dialogs;
  for (const std::string& name : {Path("notes.txt"), Path("./notes.txt")}) {
    dialogs.Confirm([name](Dialog& dialog) { dialog.Control(PrintDialog::FileNameEdit).text = name; },
                    PrintDialog::TemplateId);
    const std::size_t refused = dialogs.Refusals().size();
    ASSERT_TRUE(view.OnCommand(CommandId::FilePrint));
    EXPECT_EQ(dialogs.Refusals().size(), refused + 1) << name;
  }
  CPlenkoDoc reopened;
  EXPECT_TRUE(reopened.OnOpenDocument(Path("notes.txt"))) << "the document was overwritten";
}

}  // namespace
}  // namespace virlo
