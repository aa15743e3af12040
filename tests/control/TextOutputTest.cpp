#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "control/TextOutput.h"
#include "dialogs/PrintDialog.h"
#include "import/ArtGrid.h"
#include "objects/Box.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "platform/Clipboard.h"
#include "platform/QueuedDialogRunner.h"
#include "platform/TextCodec.h"
#include "store/Store.h"
#include "support/ArtRows.h"
#include "support/ViewFixture.h"

// Text print through the print dialog, and clipboard print, on a new document;
// character art from the clipboard pasted on the shown one as selected
// objects (ArtInputTest reads the art itself).
namespace virlo {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
const std::string kCaption = "ファイルオープン エラー";
// The messages name the file and say why.
std::string OpenError(const std::string& name, const std::string& why) {
  return "出力ファイル \"" + name + "\"が開けませんでした。(" + why + ")";
}

// Keeps what it is given, or refuses it, and holds text for pasting.
struct FakeClipboard : Clipboard {
  bool SetText(const std::string& utf8, std::string& error) override {
    texts.push_back(utf8);
    error = "no";
    return !refuse;
  }
  bool HasText() const override { return !text.empty(); }
  std::string Text() const override { return text; }
  Strings texts;
  std::string text;
  bool refuse = false;
};

// The art of a sheet's rows, trailing blanks dropped, in UTF-8.
Strings Rows(const Sheet& sheet) { return test::ArtRows(TextCodec::Cp932ToUtf8(sheet.MakeText())); }

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

TEST_F(TextOutputTest, AFolderShowsTheOpenErrorYetKeepsTheNewSize) {
  fs::create_directory(Path("dir"));
  PrintAs("20", "20", Path("dir"));
  EXPECT_EQ(runner.Messages(), (Strings{OpenError(Path("dir"), "it is a folder")}));
  EXPECT_EQ(notes, (Strings{kCaption + ": " + OpenError(Path("dir"), "it is a folder")}));
  EXPECT_TRUE(doc.IsModified() && SheetIs(160, 320) && window.redraws.size() == 1);
  EXPECT_TRUE(fs::is_directory(Path("dir")) && fs::is_empty(Path("dir")));
}

TEST_F(TextOutputTest, FullOrReadOnlyPlaceKeepsTheExistingFile) {
  if (!folder.MountSmall("small")) GTEST_SKIP() << "cannot mount a 64k tmpfs here (needs root and the right to mount)";
  const std::string name = Path("small/out.txt");
  const std::string first = Lines(64, std::string(78, ' '));
  ASSERT_TRUE(PrintAs("", "", name));
  ASSERT_EQ(folder.Read(name), first);
  PrintAs("256", "256", name);  // 66048 bytes do not fit
  EXPECT_EQ(runner.Messages(), (Strings{"出力ファイル \"" + name +
                                        "\"に書き込めませんでした。(cannot write it: No space left on device)"}));
  EXPECT_EQ(notes.back(), kCaption + ": " + runner.Messages().back());
  EXPECT_EQ(folder.Read(name), first);
  EXPECT_EQ(folder.Contents("small").size(), 1u) << "a stray file was left";
  ASSERT_TRUE(folder.MakeSmallReadOnly());
  PrintAs("20", "20", name);
  EXPECT_EQ(runner.Messages().back(), OpenError(name, "it lies on a read-only file system"));
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
  Document moved;
  ASSERT_TRUE(moved.OnOpenDocument(Path("moved/copy.vrl"))) << moved.LastError();
  EXPECT_EQ(moved.sheet->textFileName.View(), Path("moved/copy.txt"));
}

TEST_F(TextOutputTest, ClipboardGetsTheArtInUtf8WithBareLineFeedsAndDoesNotMarkModified) {
  Clipboard::Install(&clipboard);
  store::New<StrBox>(doc.GetDatabase(), doc.sheet, 4, 8, 0, 0, String("日本"), nullptr);
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

// The clipboard holds the art to paste.
class PasteArtTest : public TextOutputTest {
 protected:
  void SetUp() override {
    TextOutputTest::SetUp();
    Clipboard::Install(&clipboard);
  }
  // True when the command was taken; what it did shows on the sheet and in the notes.
  bool Paste(const std::string& art) {
    clipboard.text = art;
    return view->OnCommand(CommandId::EditPasteArt);
  }
};

TEST_F(PasteArtTest, ArtLandsAtTheFirstWholeCellInViewSelectedAndOneUndoTakesItAway) {
  DrawBox({4, 8}, {36, 40});  // cells (0, 0) to (4, 2)
  const Strings before = Rows(*doc.sheet);
  const bool modifiedBefore = doc.IsModified();
  // Scrolled to the middle of column 10 and the top of row 4.
  window.scroll = {8 * 10 + 3, 16 * 4};
  ASSERT_TRUE(Paste("+--+\n|ab+--->\n+--+\n"));

  const Strings after = Rows(*doc.sheet);
  ASSERT_GE(after.size(), 7u);
  EXPECT_EQ(after[4], "           +--+");
  EXPECT_EQ(after[5], "           |ab+--->");
  EXPECT_EQ(after[6], "           +--+");
  EXPECT_EQ(Strings(after.begin(), after.begin() + 3), Strings(before.begin(), before.begin() + 3));
  // The framed text and its arrow are the selection, the box drawn before is not.
  EXPECT_EQ(doc.sheet->selected.Count(), 2);
  EXPECT_EQ(doc.sheet->current, nullptr);
  EXPECT_TRUE(doc.IsModified());

  ASSERT_TRUE(doc.OnEditUndo());
  EXPECT_EQ(Rows(*doc.sheet), before);
  EXPECT_EQ(doc.IsModified(), modifiedBefore);
  EXPECT_TRUE(notes.empty());
}

TEST_F(PasteArtTest, ArtThatWouldPassTheLargestSheetMovesBackAndWhatCannotBeReadChangesNothing) {
  window.scroll = {1'000'000, 1'000'000};
  ASSERT_TRUE(Paste(std::string(20, '-') + "\n|\n"));
  const Strings rows = Rows(*doc.sheet);
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(ArtGrid::MaxRows));
  EXPECT_EQ(rows[ArtGrid::MaxRows - 2], std::string(ArtGrid::MaxColumns - 20, ' ') + std::string(20, '-'));

  const Strings before = Rows(*doc.sheet);
  const bool undoable = doc.CanUndo();
  EXPECT_TRUE(Paste(std::string(ArtGrid::MaxColumns + 1, '-')));
  EXPECT_TRUE(Paste("\n\n"));
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_NE(notes[0].find("257"), std::string::npos) << notes[0];
  EXPECT_EQ(notes[1], "図として貼り付け: クリップボードに図がありません");
  EXPECT_EQ(Rows(*doc.sheet), before);
  EXPECT_EQ(doc.CanUndo(), undoable);

  // Nothing to paste, or a drag under way: the command is off.
  clipboard.text.clear();
  EXPECT_FALSE(view->UpdateCommand(CommandId::EditPasteArt).enabled);
  clipboard.text = "x";
  view->OnLButtonDown(MouseKeys::LeftButton, {100, 100});
  EXPECT_FALSE(view->UpdateCommand(CommandId::EditPasteArt).enabled);
  view->OnLButtonUp(0, {100, 100});
  EXPECT_TRUE(view->UpdateCommand(CommandId::EditPasteArt).enabled);
}

// Art copied out of source code goes back in as it came: the comment prefix
// and indentation stripped on the way in and given back by clipboard print,
// cropped, in the style the art was drawn in; the program is told once. The
// blanks after the marker every line shares are the prefix's, so the art's
// own indentation survives the crop; a comment's opening and closing lines
// stay out of the art, and the print gives back what lay between them.
TEST_F(PasteArtTest, ArtFromACommentComesBackIntoItByClipboardPrint) {
  const std::string indented = " *     +--+\n *     |ab+--->\n *     +--+\n *\n *     note\n";
  for (const std::string& art :
       {std::string("/// +--+\n///    |\n/// +--+--->\n"), std::string("    ┌──┐\n    │ab├──>\n    └──┘\n"), indented,
        "/**\n" + indented + " */\n"}) {
    SCOPED_TRACE(art);
    ASSERT_TRUE(Paste(art));
    EXPECT_EQ(Rows(*doc.sheet).front().substr(0, 1), "+");
    const std::optional<ArtOptions> kept = view->TakePastedOptions();
    ASSERT_TRUE(kept.has_value());
    EXPECT_FALSE(view->TakePastedOptions().has_value());
    EXPECT_TRUE(kept->crop);
    ASSERT_TRUE(view->OnCommand(CommandId::ClipboardPrint));
    ASSERT_FALSE(clipboard.texts.empty());
    EXPECT_EQ(clipboard.texts.back(), art.starts_with("/**") ? indented : art);
    ASSERT_TRUE(doc.OnEditUndo());
  }
}

}  // namespace
}  // namespace virlo
