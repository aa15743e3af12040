// Character art from files and the clipboard, read by one rule: in either
// encoding, bounded by what a sheet holds, its prefix left out and given
// back; a row read with tabs or blanks at its end prints back as it was
// read while it shows what it showed, through a save and an opening.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "control/ArtInput.h"
#include "document/Document.h"
#include "export/ArtExport.h"
#include "import/ArtGrid.h"
#include "import/CommentPrefix.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "platform/TextCodec.h"
#include "support/ArtRows.h"
#include "support/ViewFixture.h"

namespace virlo {
namespace {

using Strings = std::vector<std::string>;

class ArtInputTest : public test::ViewFixture {
 protected:
  std::string Write(const char* name, const std::string& bytes) {
    std::ofstream(folder.Path(name), std::ios::binary) << bytes;
    return folder.Path(name);
  }
  // Reads the art placed as asked and builds it at the sheet's first cell.
  void Build(const std::string& text, ArtInput::Placement placement, Document& into) {
    ArtInput::Request request;
    request.placement = placement;
    ASSERT_TRUE(ArtInput::Read(text, request, art, error)) << error;
    ArtImporter::Report report;
    ASSERT_TRUE(ArtInput::Build(art, *into.sheet, 0, 0, report, error)) << error;
  }
  StrBox* TextOf(const std::string& text) const {
    List<DrawObj*>::Cursor cursor(doc.sheet->objects);
    for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
      auto* box = dynamic_cast<StrBox*>(obj);
      if (box != nullptr && box->GetText() == text) return box;
    }
    return nullptr;
  }

  std::string bytes;
  std::string error;
  ArtInput::Art art;
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
  const Strings rows = test::ArtRows(TextCodec::Cp932ToUtf8(doc.sheet->MakeText()));
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

// A Go doc comment: the prefix ends in a tab, the art has a tab of its own
// after "+--+" and blanks after "two".
constexpr const char* Commented =
    "//\t+--+\tone\n"
    "//\t|  |\n"
    "//\t+--+\ttwo  \n";

TEST_F(ArtInputTest, RowsReadWithTabsPrintBackUntilTheyChangeAndThroughASave) {
  Build(Commented, ArtInput::Placement::AsInFile, doc);
  ArtOptions print = art.print;
  print.trim = true;
  EXPECT_EQ(ArtExport::Render(*doc.sheet, print), Commented);

  // Saved and opened again, the rows are still kept.
  const std::string path = folder.Path("tabs.vrl");
  ASSERT_TRUE(doc.OnSaveDocument(path)) << doc.LastError();
  Document opened;
  ASSERT_TRUE(opened.OnOpenDocument(path)) << opened.LastError();
  EXPECT_EQ(ArtExport::Render(*opened.sheet, print), Commented);

  // The row that changed prints as the sheet shows it; the others as read.
  StrBox* one = TextOf("one");
  ASSERT_NE(one, nullptr);
  one->SetText("uno");
  EXPECT_EQ(ArtExport::Render(*doc.sheet, print),
            "//\t+--+    uno\n"
            "//\t|  |\n"
            "//\t+--+\ttwo  \n");
  // Behind another prefix a tab would span other cells: blanks.
  ArtOptions other = print;
  other.prefix = "# ";
  EXPECT_EQ(ArtExport::Render(*doc.sheet, other), "# +--+    uno\n# |  |\n# +--+    two\n");
}

TEST_F(ArtInputTest, ThePlainPrintGivesTabsBackAndAPasteKeepsNoRows) {
  Build("a\tb\n+--+ \n", ArtInput::Placement::AsInFile, doc);
  EXPECT_EQ(doc.sheet->MakeUtf8Text().substr(0, 10), "a\tb\n+--+ \n");
  EXPECT_EQ(doc.sheet->MakeText().substr(0, 10), "a\tb\n+--+ \n");

  // Placed anew (a paste), the art's columns are the sheet's, not its file's.
  Document pasted;
  ASSERT_TRUE(pasted.OnNewDocument());
  Build("a\tb\n", ArtInput::Placement::AtCell, pasted);
  EXPECT_EQ(ArtExport::Render(*pasted.sheet, art.print), "a       b\n");
  EXPECT_TRUE(pasted.sheet->keptRows.View().empty());
}

}  // namespace
}  // namespace virlo
