// Importing character art: every byte comes back, and the structure the art
// shows becomes live objects: boxes, joined and resting line ends, markers.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "export/ArtExport.h"
#include "import/ImportRoundTrip.h"
#include "objects/MarkerTable.h"
#include "objects/PersistentTypes.h"
#include "script/Script.h"
#include "script/ScriptRunner.h"
#include "store/Store.h"

namespace virlo {
namespace {

namespace fs = std::filesystem;

// The art of a sheet with trailing blanks and empty rows dropped, in UTF-8.
std::string Trimmed(const Sheet& sheet) {
  ArtOptions options;
  options.trim = true;
  return ArtExport::Render(sheet, options);
}

class ImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartStore();
    ASSERT_TRUE(doc.OnNewDocument());
  }
  // Imports art into the document; false with the reason in error.
  bool Import(const std::string& art, const ArtGrid::Options& options = {}) {
    ArtGrid grid;
    ArtImporter::Report report;
    return grid.Read(art, options, error) && ArtImporter::Import(grid, *doc.sheet, report, error);
  }

  Document doc;
  std::string error;
};

// --- Reading the art: encodings, limits, substitutes.

TEST_F(ImportTest, ArtIsReadAsTheCanvasHoldsItOrRefusedWithAReason) {
  ArtGrid grid;
  ArtGrid::Options options;
  ASSERT_TRUE(
      grid.Read("\xEF\xBB\xBF"
                "a\tb\r\n\xE6\x97\xA5|\n\n\n",
                options, error))
      << error;
  EXPECT_EQ(grid.Rows(), 2);
  EXPECT_EQ(grid.Row(0), "a       b");
  // The tab became blanks, which the report says: a document holds no tab.
  EXPECT_EQ(grid.ExpandedTabs(), 1);
  // A double-byte character takes two cells, whatever its second byte looks like.
  EXPECT_TRUE(grid.IsWide(0, 1) && grid.IsWide(1, 1) && !grid.IsWide(2, 1));

  ASSERT_TRUE(grid.Read("\xE2\x96\xB6 \xE2\x86\x92 \xE2\x98\x83 \xE2\x94\x80\xE2\x94\xBC", options, error));
  // Characters code page 932 lacks are kept as themselves, over a substitute
  // in the text's bytes.
  EXPECT_EQ(grid.RowUtf8(0), "\xE2\x96\xB6 \xE2\x86\x92 \xE2\x98\x83 \xE2\x94\x80\xE2\x94\xBC");
  EXPECT_EQ(grid.Row(0), "> > ? -+");
  EXPECT_TRUE(grid.HeldAsCharacters() == 5 && grid.UnknownSubstitutes() == 0 && grid.HasGlyphs());

  options.tabSize = 4;
  options.commentPrefix = "// ";
  // A tab after the prefix keeps the columns the line shows.
  ASSERT_TRUE(grid.Read("// \tx\n//\n// y\t", options, error));
  EXPECT_EQ(grid.Row(0), " x");
  EXPECT_EQ(grid.Row(1), "");
  EXPECT_EQ(grid.Row(2), "y");
  // The tab right after the prefix gave the art its blank; the one after
  // the art's last character is no part of it.
  EXPECT_EQ(grid.ExpandedTabs(), 1);

  options = {};
  options.encoding = ArtGrid::Encoding::Cp932;
  ASSERT_TRUE(grid.Read("\x83\x7C+", options, error));  // the second byte of this katakana is "|"
  EXPECT_TRUE(grid.IsWide(1, 0) && grid.Byte(1, 0) == '|' && !grid.IsWide(2, 0));
  // Bytes that are no character of the code page, and control characters in
  // either encoding, have no cell of their own: each is a counted "?".
  ASSERT_TRUE(
      grid.Read("a\xFF\x01"
                "b\x81",
                options, error))
      << error;
  EXPECT_EQ(grid.Row(0), "a??b?");
  EXPECT_EQ(grid.UnknownSubstitutes(), 3);
  options = {};
  ASSERT_TRUE(grid.Read(std::string_view("?\x00\x0B|\x7F", 5), options, error)) << error;
  EXPECT_EQ(grid.Row(0), "???|?");
  EXPECT_EQ(grid.UnknownSubstitutes(), 3);

  options = {};
  EXPECT_FALSE(grid.Read("fine\n\xFF\xFE", options, error));
  EXPECT_NE(error.find("line 2"), std::string::npos) << error;
  EXPECT_FALSE(grid.Read(std::string(257, '-'), options, error));
  EXPECT_NE(error.find("256"), std::string::npos) << error;
  std::string tall;
  for (int r = 0; r < 257; ++r) tall += "|\n";
  EXPECT_FALSE(grid.Read(tall, options, error));
  EXPECT_NE(error.find("rows"), std::string::npos) << error;
}

TEST_F(ImportTest, TheSheetGrowsToHoldTheArtButNeverShrinks) {
  ASSERT_TRUE(Import(std::string(100, 'x') + "\n"));
  EXPECT_EQ(doc.sheet->width, 100 * 8);
  EXPECT_EQ(doc.sheet->height, 64 * 16);
  std::string art;
  for (int r = 0; r < 256; ++r) art += std::string(256, r % 2 == 0 ? '-' : 'x') + "\n";
  ASSERT_TRUE(Import(art)) << error;
  EXPECT_EQ(doc.sheet->width, 256 * 8);
  EXPECT_EQ(doc.sheet->height, 256 * 16);
}

// --- Structure: what the art shows is live.

TEST_F(ImportTest, AnImportedBoxMovesWithWhatIsJoinedToItAsADrawnOneDoes) {
  // Two text boxes, a line from the first's side to an arrow before the
  // second, a line down from the second's bottom, a box joined at a corner.
  const std::string drawing =
      "tool strbox\nanswer text \"in\" left frame\npress 12 24\nrelease 12 24\n"
      "answer text \"out\" left frame\npress 108 24\nrelease 108 24\n"
      "tool line\npress 28 24\nmove 92 24\nrelease 92 24\nanswer marker 10\nrpress 92 24\n"
      "press 116 40\nmove 116 88\nrelease 116 88\npress 116 88\nmove 180 88\nrelease 180 88\n";
  // Shift and a press on the second box's top side move the whole box; the
  // first box's corner drag takes the line resting on its right side along.
  const std::string drag = "tool select\ndrag 116 8 132 40 shift\ndrag 28 40 44 56\n";
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> sink(std::tmpfile(), &std::fclose);
  std::vector<script::ScriptCommand> commands;
  ASSERT_TRUE(script::Script::Parse(drawing, commands, error)) << error;
  script::ScriptRunner drawn(sink.get(), sink.get());
  ASSERT_TRUE(drawn.Start());
  drawn.Run(commands);
  ASSERT_TRUE(Import(TextCodec::Cp932ToUtf8(drawn.GetDocument().sheet->MakeText()))) << error;
  const test::Structure s = test::Structure::Of(*doc.sheet);
  EXPECT_EQ(s.framedTexts, 2);
  EXPECT_EQ(s.lines, 3);
  EXPECT_EQ(s.joinedEnds, 2);
  // Two ends on a side, and the arrow docked one cell before the second box.
  EXPECT_EQ(s.restingEnds, 3);

  const fs::path file = fs::temp_directory_path() / "virlo-import-drag.vrl";
  ASSERT_TRUE(doc.OnSaveDocument(file.string())) << doc.LastError();
  script::ScriptRunner imported(sink.get(), sink.get());
  ASSERT_TRUE(imported.Start(file.string()));
  ASSERT_TRUE(script::Script::Parse(drag, commands, error)) << error;
  drawn.Run(commands);
  imported.Run(commands);
  EXPECT_EQ(Trimmed(*imported.GetDocument().sheet), Trimmed(*drawn.GetDocument().sheet));
  EXPECT_NE(Trimmed(*imported.GetDocument().sheet), Trimmed(*doc.sheet)) << "nothing moved";
  fs::remove(file);
}

}  // namespace
}  // namespace virlo
