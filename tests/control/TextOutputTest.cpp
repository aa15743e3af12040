#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "control/CommandIds.h"
#include "control/PrintDialog.h"
#include "control/TextOutput.h"
#include "control/ViewController.h"
#include "document/CPlenkoDoc.h"
#include "model/Sheet.h"
#include "objects/Box.h"
#include "objects/PersistentTypes.h"
#include "objects/StrBox.h"
#include "platform/Clipboard.h"
#include "platform/QueuedDialogRunner.h"
#include "platform/TextCodec.h"
#include "store/Store.h"
#include "support/RecordingWindow.h"
#include "tools/DrawTool.h"

// Text print through the print dialog, and clipboard print, on a new document.
namespace virlo {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
const std::string kCaption = "ファイルオープン エラー";
std::string OpenError(const std::string& name) { return "出力ファイル \"" + name + "\"が開けませんでした。"; }

struct FakeClipboard : Clipboard {  // keeps what it is given, or refuses it
  bool SetText(const std::string& s, std::string& e) override { return texts.push_back(s), e = "no", !refuse; }
  Strings texts;
  bool refuse = false;
};

class TextOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterPersistentTypes();
    std::string dir = (fs::temp_directory_path() / "virlo-text-XXXXXX").string();
    ASSERT_NE(::mkdtemp(dir.data()), nullptr);
    folder = dir;
    ASSERT_TRUE(doc.OnNewDocument());
    view = std::make_unique<ViewController>(&doc, &window);
    view->OnActivateView();
    runner.SetNoteHandler([this](const std::string& note) { notes.push_back(note); });
    previousClipboard = Clipboard::Install(nullptr);
  }
  void TearDown() override { Clipboard::Install(previousClipboard), view.reset(), fs::remove_all(folder); }
  // Text print answered by typing the entries and OK; an empty cols or rows keeps what the dialog shows.
  bool PrintAs(const std::string& cols, const std::string& rows, const std::string& name) {
    runner.Confirm(
        [=, this](Dialog& d) {
          std::string &c = d.Control(PrintDialog::ColumnsEdit).text, &r = d.Control(PrintDialog::RowsEdit).text;
          offered = {c, r, d.Control(PrintDialog::FileNameEdit).text};
          c = cols.empty() ? c : cols, r = rows.empty() ? r : rows;
          d.Control(PrintDialog::FileNameEdit).text = name;
        },
        PrintDialog::TemplateId);
    return Print();
  }
  bool Print() { return view->OnCommand(CommandId::FilePrint); }
  static std::string Read(const fs::path& p) {
    return (std::ostringstream() << std::ifstream(p, std::ios::binary).rdbuf()).str();
  }
  static std::string Lines(std::size_t n, const std::string& l) { return n == 0 ? "" : l + "\r\n" + Lines(n - 1, l); }
  std::string Path(const char* name) const { return (folder / name).string(); }

  fs::path folder;
  Clipboard* previousClipboard = nullptr;
  FakeClipboard clipboard;
  QueuedDialogRunner runner;
  Strings notes, offered;
  test::RecordingWindow window;
  CPlenkoDoc doc;
  std::unique_ptr<ViewController> view;
};

TEST_F(TextOutputTest, NewSheetAsIsGives64LinesOf78BlanksWithCrLfRepaintsAndChangesNothing) {
  ASSERT_TRUE(PrintAs("", "", Path("new.txt")));
  EXPECT_EQ(offered, (Strings{"78", "64", (fs::current_path() / "Plenko1.txt").string()}));
  EXPECT_TRUE(Read(Path("new.txt")) == Lines(64, std::string(78, ' ')) && Read(Path("new.txt")).size() == 5120u);
  // The same size and only another name: the document is what it was.
  EXPECT_TRUE(!doc.IsModified() && runner.Messages().empty());
  EXPECT_EQ(window.redraws, (std::vector<unsigned>{Redraw::Invalidate | Redraw::Erase | Redraw::UpdateNow}));
  ASSERT_TRUE(PrintAs("20", "20", Path("new.txt")));
  EXPECT_TRUE(doc.IsModified());
}

TEST_F(TextOutputTest, TwentyByTwentyHoldsTheBoxWhereItIsDrawnAndCutsTheRest) {
  store::New<Box>(doc.GetDatabase(), doc.sheet, 20, 40, 60, 88, nullptr);
  store::New<Box>(doc.GetDatabase(), doc.sheet, 200, 40, 260, 88, nullptr);  // columns 25 to 32: cut off
  ASSERT_TRUE(PrintAs("20", "20", Path("box.txt")));
  const std::string blank(20, ' '), edge = "  +----+" + blank.substr(8), side = "  |    |" + blank.substr(8);
  const std::string expected = Lines(2, blank) + Lines(1, edge) + Lines(2, side) + Lines(1, edge) + Lines(14, blank);
  EXPECT_TRUE(Read(Path("box.txt")) == expected && expected.size() == 440u && doc.sheet->height == 320)
      << Read(Path("box.txt"));
}

TEST_F(TextOutputTest, LimitsOfTheEntriesAreCheckedOnOk) {
  struct Case {
    std::string cols, rows, name, mentions;
  };
  const std::string r = Path("r.txt"), range = "20 256", long128 = r + std::string(128 - r.size(), 'n');
  const Case refused[] = {
      {"19", "20", r, range}, {"20", "257", r, range}, {"257", "20", r, range},           {"20", "19", r, range},
      {"2x", "20", r, ""},    {"20", " ", r, ""},      {"20", "20", long128 + "x", "128"}};
  for (const Case& c : refused) {
    const std::size_t before = runner.Refusals().size();
    ASSERT_TRUE(PrintAs(c.cols, c.rows, c.name));
    ASSERT_EQ(runner.Refusals().size(), before + 1) << c.cols << "x" << c.rows;
    const std::string& why = runner.Refusals().back();
    for (const char* part : {"20", "256", "128"})
      EXPECT_TRUE(c.mentions.find(part) == std::string::npos || why.find(part) != why.npos) << why;
    EXPECT_TRUE(doc.sheet->width == 624 && doc.sheet->height == 1024 && !doc.IsModified()) << c.cols;
    EXPECT_FALSE(fs::exists(c.name));
  }
  EXPECT_TRUE(window.redraws.empty() && runner.Messages().empty());
  ASSERT_TRUE(PrintAs("20", "256", long128));
  EXPECT_EQ(Read(long128), Lines(256, std::string(20, ' ')));
  ASSERT_TRUE(PrintAs("256", "20", Path("wide.txt")));
  EXPECT_TRUE(doc.sheet->width == 2048 && doc.sheet->height == 320 && runner.Refusals().size() == 7u);
  EXPECT_EQ(Read(Path("wide.txt")), Lines(20, std::string(256, ' ')));

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
  doc.sheet->width = 627, doc.sheet->height = 1030;
  runner.Cancel();
  ASSERT_TRUE(Print());
  EXPECT_TRUE(doc.sheet->width == 624 && doc.sheet->height == 1024 && runner.Opened().size() == 1u);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_TRUE(window.redraws.empty());
  EXPECT_FALSE(fs::exists(Path("cancel.txt")));
}

TEST_F(TextOutputTest, UnopenableNamesShowTheOpenErrorYetKeepTheNewSize) {
  ASSERT_TRUE(PrintAs("20", "20", ""));
  EXPECT_EQ(runner.Messages(), (Strings{"出力ファイル \"\"が開けませんでした。"}));
  EXPECT_EQ(notes, (Strings{kCaption + ": " + OpenError("")}));
  EXPECT_TRUE(doc.IsModified() && doc.sheet->width == 160 && window.redraws.size() == 1);
  fs::create_directory(Path("dir"));
  PrintAs("", "", Path("dir"));
  EXPECT_EQ(runner.Messages().back(), OpenError(Path("dir")));
  EXPECT_TRUE(fs::is_directory(Path("dir")) && fs::is_empty(Path("dir")));
  PrintAs("", "", Path("missing/x.txt"));
  EXPECT_TRUE(runner.Messages().back() == OpenError(Path("missing/x.txt")) && runner.Messages().size() == 3u);
}

TEST_F(TextOutputTest, FullOrReadOnlyPlaceKeepsTheExistingFile) {
  const fs::path small = folder / "small";
  fs::create_directory(small);
  if (std::system(("mount -t tmpfs -o size=64k tmpfs " + small.string() + " 2>/dev/null").c_str()) != 0) {
    GTEST_SKIP() << "cannot mount a 64k tmpfs here (needs root and the right to mount)";
  }
  const auto umount = [&](const void*) { EXPECT_EQ(std::system(("umount " + small.string()).c_str()), 0); };
  const std::unique_ptr<const void, decltype(umount)> unmount(&small, umount);
  const std::string name = (small / "out.txt").string(), first = Lines(64, std::string(78, ' '));
  ASSERT_TRUE(PrintAs("", "", name));
  ASSERT_EQ(Read(name), first);
  PrintAs("256", "256", name);  // 66048 bytes do not fit
  EXPECT_EQ(runner.Messages(), (Strings{"出力ファイル \"" + name + "\"に書き込めませんでした。"}));
  EXPECT_EQ(notes.back(), kCaption + ": " + runner.Messages().back());
  EXPECT_EQ(Read(name), first);
  EXPECT_EQ(std::distance(fs::directory_iterator(small), {}), 1);  // no stray file left
  ASSERT_EQ(std::system(("mount -o remount,ro " + small.string()).c_str()), 0);
  PrintAs("20", "20", name);
  EXPECT_TRUE(runner.Messages().back() == OpenError(name) && Read(name) == first) << runner.Messages().back();
}

TEST_F(TextOutputTest, ReprintOverwritesAndOffersTheTypedNameUntilTheDocumentIsSaved) {
  store::New<Box>(doc.GetDatabase(), doc.sheet, 20, 40, 60, 88, nullptr);
  ASSERT_TRUE(PrintAs("", "", Path("t.txt")));
  EXPECT_EQ(Read(Path("t.txt")), TextOutput::FileBytes(doc.sheet->MakeText()));
  ASSERT_TRUE(PrintAs("20", "20", Path("t.txt")));
  EXPECT_EQ(offered, (Strings{"78", "64", Path("t.txt")}));
  EXPECT_TRUE(Read(Path("t.txt")) == TextOutput::FileBytes(doc.sheet->MakeText()) && Read(Path("t.txt")).size() == 440);
  ASSERT_TRUE(doc.OnSaveDocument(Path("dia.vrl"))) << doc.LastError();
  ASSERT_TRUE(PrintAs("", "", Path("t.txt")));
  EXPECT_TRUE(offered == (Strings{"20", "20", Path("dia.txt")}) && !doc.IsModified());
}

TEST_F(TextOutputTest, TheOfferedNameFollowsTheDocumentsFileThroughUndoMovesAndRelativeNames) {
  store::SetMaximumUndoOperations(32);
  ASSERT_TRUE(view->OnCommand(CommandId::ToolBox));
  view->OnLButtonDown(MouseKeys::LeftButton, {20, 40});
  view->OnMouseMove(MouseKeys::LeftButton, {60, 88});
  view->OnLButtonUp(0, {60, 88});
  ASSERT_TRUE(doc.OnSaveDocument(Path("dia.vrl"))) << doc.LastError();
  ASSERT_TRUE(doc.OnEditUndo());  // back before the box, and before the save
  runner.Cancel();
  Print();
  EXPECT_EQ(doc.sheet->textFileName.View(), Path("dia.txt"));
  EXPECT_TRUE(doc.IsModified());  // the file holds the box

  // Saved under a relative name: the text still goes beside the file.
  const fs::path previous = fs::current_path();
  fs::current_path(folder);
  const bool saved = doc.OnSaveDocument("relative.vrl");
  fs::current_path(previous);
  ASSERT_TRUE(saved) << doc.LastError();
  EXPECT_EQ(doc.sheet->textFileName.View(), Path("relative.txt"));

  // A file copied elsewhere prints beside its new place.
  fs::create_directory(folder / "moved");
  fs::copy_file(Path("relative.vrl"), folder / "moved" / "copy.vrl");
  CPlenkoDoc moved;
  ASSERT_TRUE(moved.OnOpenDocument((folder / "moved" / "copy.vrl").string())) << moved.LastError();
  EXPECT_EQ(moved.sheet->textFileName.View(), (folder / "moved" / "copy.txt").string());
}

TEST_F(TextOutputTest, ClipboardGetsTheArtInUtf8WithBareLineFeedsAndDoesNotMarkModified) {
  Clipboard::Install(&clipboard);
  const std::string text = TextCodec::Utf8ToCp932("日本").value_or("");
  store::New<StrBox>(doc.GetDatabase(), doc.sheet, 4, 8, 0, 0, String(text.c_str()), nullptr);
  store::New<Box>(doc.GetDatabase(), doc.sheet, 20, 40, 60, 88, nullptr);
  ASSERT_TRUE(doc.OnSaveDocument(Path("clip.vrl"))) << doc.LastError();
  ASSERT_TRUE(view->OnCommand(CommandId::ClipboardPrint));
  const std::string got = clipboard.texts.empty() ? "" : clipboard.texts[0];
  EXPECT_EQ(got, TextCodec::Cp932ToUtf8(doc.sheet->MakeText()));
  EXPECT_TRUE(got.find("日本") != got.npos && got.find("\n  +----+") != got.npos && got.find('\r') == got.npos);
  EXPECT_EQ(std::count(got.begin(), got.end(), '\n'), 64);
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
