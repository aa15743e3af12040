#include <gtest/gtest.h>

#include <filesystem>

#include "control/PrintDialog.h"
#include "control/TextOutput.h"
#include "model/Sheet.h"
#include "objects/Box.h"
#include "objects/StrBox.h"
#include "platform/Clipboard.h"
#include "platform/QueuedDialogRunner.h"
#include "platform/TextCodec.h"
#include "store/Store.h"
#include "support/ViewFixture.h"

// Text print through the print dialog, and clipboard print, on a new document.
namespace virlo {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
const std::string kCaption = "ファイルオープン エラー";
std::string OpenError(const std::string& name) { return "出力ファイル \"" + name + "\"が開けませんでした。"; }

// Keeps what it is given, or refuses it.
struct FakeClipboard : Clipboard {
  bool SetText(const std::string& text, std::string& error) override {
    texts.push_back(text);
    error = "no";
    return !refuse;
  }
  Strings texts;
  bool refuse = false;
};

class TextOutputTest : public test::ViewFixture {
 protected:
  void SetUp() override {
    test::ViewFixture::SetUp();
    runner.SetNoteHandler([this](const std::string& note) { notes.push_back(note); });
    previousClipboard = Clipboard::Install(nullptr);
  }
  void TearDown() override {
    Clipboard::Install(previousClipboard);
    test::ViewFixture::TearDown();
  }
  // Text print answered by typing the entries and OK; an empty cols or rows keeps what the dialog shows.
  bool PrintAs(const std::string& cols, const std::string& rows, const std::string& name) {
    runner.Confirm(
        [=, this](Dialog& d) {
          std::string& c = d.Control(PrintDialog::ColumnsEdit).text;
          std::string& r = d.Control(PrintDialog::RowsEdit).text;
          offered = {c, r, d.Control(PrintDialog::FileNameEdit).text};
          if (!cols.empty()) c = cols;
          if (!rows.empty()) r = rows;
          d.Control(PrintDialog::FileNameEdit).text = name;
        },
        PrintDialog::TemplateId);
    return Print();
  }
  bool Print() { return view->OnCommand(CommandId::FilePrint); }
  // n lines as the text print ends them.
  static std::string Lines(std::size_t n, const std::string& line) {
    std::string lines;
    for (std::size_t i = 0; i < n; ++i) lines += line + "\r\n";
    return lines;
  }
  std::string Path(const char* name) const { return folder.Path(name); }
  bool SheetIs(std::int32_t width, std::int32_t height) const {
    return doc.sheet->width == width && doc.sheet->height == height;
  }

  Clipboard* previousClipboard = nullptr;
  FakeClipboard clipboard;
  QueuedDialogRunner runner;
  Strings notes;
  Strings offered;
};

TEST_F(TextOutputTest, ANewSheetPrintsAsIsWithCrLfAndTheTypedNameIsOfferedUntilTheDocumentIsSaved) {
  ASSERT_TRUE(PrintAs("", "", Path("new.txt")));
  EXPECT_EQ(offered, (Strings{"78", "64", (fs::current_path() / "Plenko1.txt").string()}));
  EXPECT_EQ(folder.Read("new.txt"), Lines(64, std::string(78, ' ')));
  // The same size and only another name: the document is what it was.
  EXPECT_TRUE(!doc.IsModified() && runner.Messages().empty());
  EXPECT_EQ(window.redraws, (std::vector<unsigned>{Redraw::Invalidate | Redraw::Erase | Redraw::UpdateNow}));

  ASSERT_TRUE(PrintAs("20", "20", Path("new.txt")));
  EXPECT_EQ(offered, (Strings{"78", "64", Path("new.txt")}));
  EXPECT_EQ(folder.Read("new.txt"), Lines(20, std::string(20, ' ')));
  EXPECT_TRUE(doc.IsModified());
  ASSERT_TRUE(doc.OnSaveDocument(Path("dia.vrl"))) << doc.LastError();
  ASSERT_TRUE(PrintAs("", "", Path("new.txt")));
  EXPECT_EQ(offered, (Strings{"20", "20", Path("dia.txt")}));
  EXPECT_FALSE(doc.IsModified());
}

TEST_F(TextOutputTest, LimitsOfTheEntriesAreCheckedOnOk) {
  struct Case {
    std::string cols;
    std::string rows;
    std::string name;
    std::string mentions;
  };
  const std::string r = Path("r.txt");
  const std::string range = "20 256";
  const std::string long128 = r + std::string(128 - r.size(), 'n');
  const Case refused[] = {
      {"19", "20", r, range}, {"20", "257", r, range}, {"257", "20", r, range},           {"20", "19", r, range},
      {"2x", "20", r, ""},    {"20", " ", r, ""},      {"20", "20", long128 + "x", "128"}};
  for (const Case& c : refused) {
    const std::size_t before = runner.Refusals().size();
    ASSERT_TRUE(PrintAs(c.cols, c.rows, c.name));
    ASSERT_EQ(runner.Refusals().size(), before + 1) << c.cols << "x" << c.rows;
    const std::string& why = runner.Refusals().back();
    for (const char* part : {"20", "256", "128"}) {
      EXPECT_TRUE(c.mentions.find(part) == std::string::npos || why.find(part) != why.npos) << why;
    }
    EXPECT_TRUE(SheetIs(624, 1024) && !doc.IsModified()) << c.cols;
    EXPECT_FALSE(fs::exists(c.name));
  }
  EXPECT_TRUE(window.redraws.empty() && runner.Messages().empty());

  ASSERT_TRUE(PrintAs("20", "256", long128));
  EXPECT_EQ(folder.Read(long128), Lines(256, std::string(20, ' ')));
  ASSERT_TRUE(PrintAs("256", "20", Path("wide.txt")));
  EXPECT_TRUE(SheetIs(2048, 320));
  EXPECT_EQ(folder.Read("wide.txt"), Lines(20, std::string(256, ' ')));

  // The limit counts characters: fewer than 128 of them in more than 128 bytes pass.
  std::string kanji = Path("");
  ASSERT_LT(kanji.size(), 128u - 54u);
  for (int i = 0; i < 50; ++i) kanji += "\xE5\x9B\xB3";
  kanji += ".txt";
  ASSERT_TRUE(PrintAs("20", "20", kanji));
  EXPECT_EQ(runner.Refusals().size(), 7u);
  EXPECT_TRUE(fs::exists(kanji));
}

TEST_F(TextOutputTest, CancelWritesNothingButCutsTheSheetToWholeCells) {
  doc.sheet->SetTextFileName(String(Path("cancel.txt").c_str()));
  doc.sheet->width = 627;
  doc.sheet->height = 1030;
  runner.Cancel();
  ASSERT_TRUE(Print());
  EXPECT_TRUE(SheetIs(624, 1024));
  EXPECT_EQ(runner.Opened().size(), 1u);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_TRUE(window.redraws.empty());
  EXPECT_FALSE(fs::exists(Path("cancel.txt")));
}

TEST_F(TextOutputTest, UnopenableNamesShowTheOpenErrorYetKeepTheNewSize) {
  fs::create_directory(Path("dir"));
  PrintAs("20", "20", Path("dir"));
  EXPECT_EQ(runner.Messages(), (Strings{OpenError(Path("dir"))}));
  EXPECT_EQ(notes, (Strings{kCaption + ": " + OpenError(Path("dir"))}));
  EXPECT_TRUE(doc.IsModified() && SheetIs(160, 320) && window.redraws.size() == 1);
  EXPECT_TRUE(fs::is_directory(Path("dir")) && fs::is_empty(Path("dir")));
  PrintAs("", "", Path("missing/x.txt"));
  EXPECT_EQ(runner.Messages().back(), OpenError(Path("missing/x.txt")));
  EXPECT_EQ(runner.Messages().size(), 2u);
}

TEST_F(TextOutputTest, FullOrReadOnlyPlaceKeepsTheExistingFile) {
  if (!folder.MountSmall("small")) GTEST_SKIP() << "cannot mount a 64k tmpfs here (needs root and the right to mount)";
  const std::string name = Path("small/out.txt");
  const std::string first = Lines(64, std::string(78, ' '));
  ASSERT_TRUE(PrintAs("", "", name));
  ASSERT_EQ(folder.Read(name), first);
  PrintAs("256", "256", name);  // 66048 bytes do not fit
  EXPECT_EQ(runner.Messages(), (Strings{"出力ファイル \"" + name + "\"に書き込めませんでした。"}));
  EXPECT_EQ(notes.back(), kCaption + ": " + runner.Messages().back());
  EXPECT_EQ(folder.Read(name), first);
  EXPECT_EQ(folder.Contents("small").size(), 1u) << "a stray file was left";
  ASSERT_TRUE(folder.MakeSmallReadOnly());
  PrintAs("20", "20", name);
  EXPECT_EQ(runner.Messages().back(), OpenError(name));
  EXPECT_EQ(folder.Read(name), first);
}

TEST_F(TextOutputTest, TheOfferedNameFollowsTheDocumentsFileThroughUndoMovesAndRelativeNames) {
  DrawBox({20, 40}, {60, 88});
  ASSERT_TRUE(doc.OnSaveDocument(Path("dia.vrl"))) << doc.LastError();
  ASSERT_TRUE(doc.OnEditUndo());  // back before the box, and before the save
  runner.Cancel();
  Print();
  EXPECT_EQ(doc.sheet->textFileName.View(), Path("dia.txt"));
  EXPECT_TRUE(doc.IsModified());  // the file holds the box

  // Saved under a relative name: the text still goes beside the file.
  const fs::path previous = fs::current_path();
  fs::current_path(folder.Folder());
  const bool saved = doc.OnSaveDocument("relative.vrl");
  fs::current_path(previous);
  ASSERT_TRUE(saved) << doc.LastError();
  EXPECT_EQ(doc.sheet->textFileName.View(), Path("relative.txt"));

  // A file copied elsewhere prints beside its new place.
  fs::create_directory(Path("moved"));
  fs::copy_file(Path("relative.vrl"), Path("moved/copy.vrl"));
  CPlenkoDoc moved;
  ASSERT_TRUE(moved.OnOpenDocument(Path("moved/copy.vrl"))) << moved.LastError();
  EXPECT_EQ(moved.sheet->textFileName.View(), Path("moved/copy.txt"));
}

TEST_F(TextOutputTest, ClipboardGetsTheArtInUtf8WithBareLineFeedsAndDoesNotMarkModified) {
  Clipboard::Install(&clipboard);
  const std::string text = TextCodec::Utf8ToCp932("日本").value_or("");
  store::New<StrBox>(doc.GetDatabase(), doc.sheet, 4, 8, 0, 0, String(text.c_str()), nullptr);
  store::New<Box>(doc.GetDatabase(), doc.sheet, 20, 40, 60, 88, nullptr);
  ASSERT_TRUE(doc.OnSaveDocument(Path("clip.vrl"))) << doc.LastError();
  ASSERT_TRUE(view->OnCommand(CommandId::ClipboardPrint));
  ASSERT_EQ(clipboard.texts.size(), 1u);
  const std::string& got = clipboard.texts[0];
  EXPECT_EQ(got, TextCodec::Cp932ToUtf8(doc.sheet->MakeText()));
  EXPECT_NE(got.find("日本"), std::string::npos);
  EXPECT_TRUE(!doc.IsModified() && window.redraws.empty() && runner.Messages().empty());

  clipboard.refuse = true;
  view->OnCommand(CommandId::ClipboardPrint);
  EXPECT_EQ(runner.Messages(), (Strings{"クリップボードにデータをセットできません"}));
  Clipboard::Install(nullptr);
  view->OnCommand(CommandId::ClipboardPrint);
  EXPECT_EQ(runner.Messages().back(), "クリップボードが開けません");
  EXPECT_TRUE(clipboard.texts.size() == 2u && !doc.IsModified());
}

}  // namespace
}  // namespace virlo
