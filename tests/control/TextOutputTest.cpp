#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "control/ArtInput.h"
#include "control/TextOutput.h"
#include "dialogs/PrintDialog.h"
#include "import/ArtGrid.h"
#include "import/CommentPrefix.h"
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
// character art from files and the clipboard: read in either encoding, made a
// new document, or pasted on the shown one as selected objects.
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

  ArtInput::Art art;
  ArtImporter::Report report;
  ASSERT_TRUE(ArtInput::Read("+--+\n|ab|\n+--+\n", {}, art, error));
  ASSERT_TRUE(ArtInput::Build(art, *doc.sheet, 0, 0, report, error)) << error;
  doc.UpdateModifiedFlag();
  EXPECT_TRUE(doc.IsModified());
  const Strings rows = Rows(*doc.sheet);
  ASSERT_GE(rows.size(), 3u);
  EXPECT_EQ(Strings(rows.begin(), rows.begin() + 3), (Strings{"+--+", "|ab|", "+--+"}));

  EXPECT_FALSE(ArtInput::ReadFile(folder.Path("missing.txt"), bytes, error));
  EXPECT_FALSE(ArtInput::ReadFile(folder.Folder().string(), bytes, error));
  EXPECT_EQ(error, "it is not a regular file");
  EXPECT_FALSE(ArtInput::ReadFile(Write("big.txt", std::string(ArtInput::MaxBytes + 1, '\n')), bytes, error));
  EXPECT_NE(error.find("longer than"), std::string::npos) << error;
}

// A file is read only up to a line that every reading of the art refuses,
// when none before it may be refused: the art then reads as from the whole
// file, with the prefix the text shows or the one given.
TEST_F(ArtInputTest, AFileIsReadUpToTheLineThatDecidesAndReadsAsTheWholeFile) {
  const std::string wide(2000, 'w');
  const std::string hash = "# ";
  // Whether reading stops early, with the prefix the text shows and with "# " given.
  const struct {
    std::string text;
    bool cut;
    bool cutGiven;
  } cases[] = {
      {wide + std::string(ArtInput::MaxBytes, 'x'), true, true},
      {"+-+\n" + std::string(300, '\n') + "x\n" + wide, true, true},
      {std::string(1100, ' ') + "\n" + wide + "\ntail", true, true},
      // "#" may be a prefix alone, a blank line; the second line is too wide
      // only without the prefix; the mark goes in one encoding only.
      {"# a\n" + std::string(300, '\n') + "#\nx\n" + wide, false, true},
      {"# a\n# " + std::string(1023, 'b') + "\n" + wide + "\ntail", false, true},
      {"\xEF\xBB\xBF" + std::string(1023, 'c') + "\n" + wide, false, false},
  };
  for (const auto& [text, cut, cutGiven] : cases) {
    const std::string path = Write("art.txt", text);
    for (const std::string* given : {static_cast<const std::string*>(nullptr), &hash}) {
      ASSERT_TRUE(ArtInput::ReadFile(path, bytes, error, given)) << error;
      EXPECT_EQ(bytes.size() < text.size(), given != nullptr ? cutGiven : cut) << text.substr(0, 20);
      EXPECT_TRUE(text.starts_with(bytes));
      // As the programs read it: the prefix given, or the one the text shows.
      auto read = [given](std::string_view art, ArtGrid& grid, std::string& why) {
        ArtGrid::Options options;
        const CommentPrefix::Found found = CommentPrefix::Find(art);
        options.commentPrefix = given != nullptr ? *given : found.marker ? found.prefix : "";
        return ArtInput::ReadAnyEncoding(art, grid, why, options);
      };
      ArtGrid fromFile;
      ArtGrid fromWhole;
      std::string wholeError;
      ASSERT_EQ(read(bytes, fromFile, error), read(text, fromWhole, wholeError));
      EXPECT_EQ(error, wholeError);
    }
  }
}

// Whatever reaches the grid reads as the whole text would: blanks at the
// ends of lines, CRs, the comment prefix, a byte order mark, blank lines
// past the last row. What no sheet holds is refused where it shows.
TEST_F(ArtInputTest, OnlyWhatASheetHoldsReachesTheGridAndItReadsAsTheWholeText) {
  const std::string texts[] = {
      "+-+\n| |   \t \n+-+",
      "x\r\r\ny \r\n\r\n \r",
      "# a\n#\n#   \n#x  \n # b\n#\t\tc\t\n",
      "\xEF\xBB\xBF  +\t\t\n\n\xEF\xBB\xBF\n",
      std::string(255, '\n') + "z \n  \n\t\n" + std::string(1000, '\n'),
      "a" + std::string(5000, ' ') + "b\n",
      "a" + std::string(5000, ' ') + "\n# " + std::string(1020, 'c') + std::string(9000, '\t') + "\n",
      std::string(300, '\n') + "x",
      std::string(200, 'w') + "\n" + std::string(257, 'w'),
  };
  ArtGrid::Options prefixed;
  prefixed.commentPrefix = "# ";
  for (const std::string& text : texts) {
    for (const ArtGrid::Options& options : {ArtGrid::Options{}, prefixed}) {
      ArtGrid whole;
      std::string wholeError;
      ArtGrid bounded;
      const bool read = whole.Read(text, options, wholeError);
      ASSERT_EQ(ArtInput::ReadArt(text, bounded, error, options), read) << text.substr(0, 40) << ": " << error;
      if (!read) continue;
      ASSERT_EQ(bounded.Rows(), whole.Rows()) << text.substr(0, 40);
      EXPECT_EQ(bounded.Columns(), whole.Columns());
      for (std::int32_t row = 0; row < whole.Rows(); ++row) EXPECT_EQ(bounded.Row(row), whole.Row(row)) << row;
      EXPECT_EQ(bounded.UnknownSubstitutes(), whole.UnknownSubstitutes());
    }
  }
  ArtGrid grid;
  EXPECT_FALSE(ArtInput::ReadAnyEncoding(std::string(ArtInput::MaxBytes - 1, '\n') + "x", grid, error));
  EXPECT_EQ(error,
            "the art is at least " + std::to_string(ArtInput::MaxBytes) + " rows high; a sheet holds at most 256");
  EXPECT_FALSE(ArtInput::ReadAnyEncoding("ab\n" + std::string(ArtInput::MaxBytes - 4, 'x'), grid, error));
  EXPECT_EQ(error, "line 2 of the art is more than 256 columns wide; a sheet holds at most 256");
  EXPECT_FALSE(ArtInput::ReadAnyEncoding(std::string(300, '\n') + "x", grid, error));
  EXPECT_EQ(error, "the art is at least 301 rows high; a sheet holds at most 256");
  ASSERT_TRUE(ArtInput::ReadAnyEncoding(std::string(ArtInput::MaxBytes, '\n'), grid, error)) << error;
  EXPECT_EQ(grid.Rows(), 0);
}

// Every way in reads art by one rule: a comment block's prefix always goes,
// indentation alone only where the art is placed anew; the print options
// give both back, in the style the art was drawn in.
TEST_F(ArtInputTest, OneRuleForThePrefixWhereverArtComesIn) {
  using Placement = ArtInput::Placement;
  using Style = ArtOptions::Style;
  struct Case {
    const char* art;
    Placement placement;
    const char* prefix;
    const char* firstRow;  // as the grid holds it
    bool crop;
    Style style;
  };
  const Case cases[] = {
      {"// +--+\n// |  |\n// +--+\n", Placement::AsInFile, "// ", "+--+", false, Style::Ascii},
      {"// +--+\n// |  |\n// +--+\n", Placement::AtCell, "// ", "+--+", true, Style::Ascii},
      {"    +--+\n    +--+\n", Placement::AsInFile, "", "    +--+", false, Style::Ascii},
      {"    +--+\n    +--+\n", Placement::AtCell, "    ", "+--+", true, Style::Ascii},
      {"  # \u250c\u2510\n  # \u2514\u2518\n", Placement::AsInFile, "  # ", nullptr, false, Style::Unicode},
  };
  for (const Case& c : cases) {
    ArtInput::Request request;
    request.placement = c.placement;
    ArtInput::Art art;
    ASSERT_TRUE(ArtInput::Read(c.art, request, art, error)) << c.art << error;
    EXPECT_EQ(art.prefix, c.prefix) << c.art;
    EXPECT_EQ(art.print.prefix, c.prefix) << c.art;
    EXPECT_EQ(art.print.crop, c.crop) << c.art;
    EXPECT_EQ(art.print.style, c.style) << c.art;
    if (c.firstRow != nullptr) {
      EXPECT_EQ(art.grid.Row(0), c.firstRow) << c.art;
    }
  }
}

}  // namespace
}  // namespace virlo
