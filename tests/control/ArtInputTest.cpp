#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "control/ArtInput.h"
#include "import/ArtGrid.h"
#include "model/Sheet.h"
#include "platform/Clipboard.h"
#include "platform/QueuedDialogRunner.h"
#include "platform/TextCodec.h"
#include "support/ViewFixture.h"

// Character art from files and the clipboard: read in either encoding, made a
// new document, or pasted on the shown one as selected objects.
namespace virlo {
namespace {

using Strings = std::vector<std::string>;

// Holds text for pasting.
struct TextClipboard : Clipboard {
  bool SetText(const std::string& utf8, std::string&) override {
    text = utf8;
    return true;
  }
  bool HasText() const override { return !text.empty(); }
  std::string Text() const override { return text; }
  std::string text;
};

// The art of a sheet's rows, trailing blanks dropped, in UTF-8.
Strings Rows(const Sheet& sheet) {
  Strings rows;
  const std::string art = TextCodec::Cp932ToUtf8(sheet.MakeText());
  std::size_t begin = 0;
  for (std::size_t end = art.find('\n'); end != std::string::npos; end = art.find('\n', begin)) {
    std::string row = art.substr(begin, end - begin);
    row.erase(row.find_last_not_of(' ') + 1);
    rows.push_back(row);
    begin = end + 1;
  }
  return rows;
}

class PasteArtTest : public test::ViewFixture {
 protected:
  void SetUp() override {
    test::ViewFixture::SetUp();
    runner.SetNoteHandler([this](const std::string& note) { notes.push_back(note); });
    previous = Clipboard::Install(&clipboard);
  }
  void TearDown() override {
    Clipboard::Install(previous);
    test::ViewFixture::TearDown();
  }
  // True when the command was taken; what it did shows on the sheet and in the notes.
  bool Paste(const std::string& art) {
    clipboard.text = art;
    return view->OnCommand(CommandId::EditPasteArt);
  }

  TextClipboard clipboard;
  Clipboard* previous = nullptr;
  QueuedDialogRunner runner;
  Strings notes;
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

class ArtInputTest : public test::ViewFixture {
 protected:
  std::string Write(const char* name, const std::string& bytes) {
    std::ofstream(folder.Path(name), std::ios::binary) << bytes;
    return folder.Path(name);
  }
  std::string bytes;
  std::string error;
};

TEST_F(ArtInputTest, FilesAreReadWholeInEitherEncodingAndBecomeAModifiedDocument) {
  ASSERT_TRUE(ArtInput::ReadFile(Write("a.txt", "+-+\n|\x83\x41|\n+-+\n"), bytes, error)) << error;
  ArtGrid grid;
  // Not UTF-8: code page 932, where 0x83 0x41 is one double-width character.
  ASSERT_TRUE(ArtInput::ReadAnyEncoding(bytes, grid, error)) << error;
  EXPECT_TRUE(grid.IsWide(1, 1) && grid.IsWide(2, 1));
  ASSERT_TRUE(ArtInput::ReadAnyEncoding("\xE3\x82\xA2|", grid, error)) << error;
  EXPECT_EQ(grid.Row(0), "\x83\x41|");

  ASSERT_TRUE(ArtInput::ReadAnyEncoding("+--+\n|ab|\n+--+\n", grid, error));
  ASSERT_TRUE(ArtInput::IntoNewDocument(grid, doc, error)) << error;
  EXPECT_TRUE(doc.IsModified());
  const Strings rows = Rows(*doc.sheet);
  ASSERT_GE(rows.size(), 3u);
  EXPECT_EQ(Strings(rows.begin(), rows.begin() + 3), (Strings{"+--+", "|ab|", "+--+"}));

  EXPECT_FALSE(ArtInput::ReadFile(folder.Path("missing.txt"), bytes, error));
  EXPECT_FALSE(ArtInput::ReadFile(folder.Folder().string(), bytes, error));
  EXPECT_EQ(error, "it is not a regular file");
  EXPECT_FALSE(ArtInput::ReadFile(Write("big.txt", std::string(ArtInput::MaxBytes + 1, 'x')), bytes, error));
  EXPECT_NE(error.find("longer than"), std::string::npos) << error;
}

}  // namespace
}  // namespace virlo
