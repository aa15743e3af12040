// Importing character art: every byte comes back, and the structure the art
// shows becomes live objects: boxes, joined and resting line ends, markers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <sstream>

#include "cli/ArtExport.h"
#include "cli/Script.h"
#include "cli/ScriptRunner.h"
#include "control/CommandIds.h"
#include "control/ViewController.h"
#include "document/CPlenkoDoc.h"
#include "import/ArtImporter.h"
#include "model/Canvas.h"
#include "model/ClipboardSheet.h"
#include "model/Sheet.h"
#include "objects/Box.h"
#include "objects/Dot.h"
#include "objects/Line.h"
#include "objects/LinkPoint.h"
#include "objects/MarkerTable.h"
#include "objects/PersistentTypes.h"
#include "objects/StrBox.h"
#include "platform/TextCodec.h"
#include "store/Store.h"
#include "support/RecordingWindow.h"
#include "tools/DrawTool.h"

#ifndef VIRLO_GOLDEN_DIR
#define VIRLO_GOLDEN_DIR "tests/golden"
#endif
#ifndef VIRLO_EXAMPLES_DIR
#define VIRLO_EXAMPLES_DIR "examples"
#endif

namespace virlo {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// What a document holds, counted as the art shows structure.
struct Structure {
  std::int32_t boxes = 0;
  std::int32_t framedTexts = 0;
  std::int32_t lines = 0;
  std::int32_t joinedEnds = 0;
  std::int32_t restingEnds = 0;
  std::int32_t dots = 0;
  std::int32_t texts = 0;

  static Structure Of(const Sheet& sheet) {
    Structure s;
    List<DrawObj*>::Cursor cursor(sheet.objects);
    for (const DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
      if (const auto* text = dynamic_cast<const StrBox*>(obj)) {
        ++(text->frame != 0 ? s.framedTexts : s.texts);
      } else if (dynamic_cast<const Box*>(obj) != nullptr) {
        ++s.boxes;
      } else if (const auto* line = dynamic_cast<const Line*>(obj)) {
        ++s.lines;
        for (const LinkPoint* end : {&line->start, &line->end}) {
          s.joinedEnds += end->partner != nullptr ? 1 : 0;
          s.restingEnds += end->hostLine != nullptr ? 1 : 0;
        }
      } else if (dynamic_cast<const Dot*>(obj) != nullptr) {
        ++s.dots;
      }
    }
    return s;
  }

  std::string Text() const {
    std::ostringstream out;
    out << "boxes: " << boxes << "\nframed texts: " << framedTexts << "\nlines: " << lines
        << "\njoined ends: " << joinedEnds << "\nresting ends: " << restingEnds << "\ndots: " << dots
        << "\ntexts: " << texts << "\n";
    return out.str();
  }
};

// The art of a sheet with trailing blanks and empty rows dropped, in UTF-8.
std::string Trimmed(const Sheet& sheet) {
  cli::ArtOptions options;
  options.trim = true;
  return cli::ArtExport::Render(sheet, options);
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

  CPlenkoDoc doc;
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
  // A double-byte character takes two cells, whatever its second byte looks like.
  EXPECT_TRUE(grid.IsWide(0, 1) && grid.IsWide(1, 1) && !grid.IsWide(2, 1));

  ASSERT_TRUE(grid.Read("\xE2\x96\xB6 \xE2\x86\x92 \xE2\x98\x83 \xE2\x94\x80\xE2\x94\xBC", options, error));
  EXPECT_EQ(grid.Row(0), "> > ? -+");
  EXPECT_TRUE(grid.MarkerSubstitutes() == 2 && grid.UnknownSubstitutes() == 1 && grid.HasGlyphs());

  options.tabSize = 4;
  options.commentPrefix = "// ";
  ASSERT_TRUE(grid.Read("// \tx\n//\n// y", options, error));
  EXPECT_EQ(grid.Row(0), "    x");
  EXPECT_EQ(grid.Row(1), "");
  EXPECT_EQ(grid.Row(2), "y");

  options = {};
  options.encoding = ArtGrid::Encoding::Cp932;
  ASSERT_TRUE(grid.Read("\x83\x7C+", options, error));  // the second byte of this katakana is "|"
  EXPECT_TRUE(grid.IsWide(1, 0) && grid.At(1, 0) == '|' && !grid.IsWide(2, 0));
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
  // Shift and a press on the second box's top side move the whole box.
  const std::string drag = "tool select\ndrag 116 8 132 40 shift\n";
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> sink(std::tmpfile(), &std::fclose);
  std::vector<cli::ScriptCommand> commands;
  ASSERT_TRUE(cli::Script::Parse(drawing, commands, error)) << error;
  cli::ScriptRunner drawn(sink.get(), sink.get());
  ASSERT_TRUE(drawn.Start());
  drawn.Run(commands);
  ASSERT_TRUE(Import(TextCodec::Cp932ToUtf8(drawn.Document().sheet->MakeText()))) << error;
  const Structure s = Structure::Of(*doc.sheet);
  EXPECT_EQ(s.framedTexts, 2);
  EXPECT_EQ(s.lines, 3);
  EXPECT_EQ(s.joinedEnds, 2);
  EXPECT_EQ(s.restingEnds, 2);

  const fs::path file = fs::temp_directory_path() / "virlo-import-drag.vrl";
  ASSERT_TRUE(doc.OnSaveDocument(file.string())) << doc.LastError();
  cli::ScriptRunner imported(sink.get(), sink.get());
  ASSERT_TRUE(imported.Start(file.string()));
  ASSERT_TRUE(cli::Script::Parse(drag, commands, error)) << error;
  drawn.Run(commands);
  imported.Run(commands);
  EXPECT_EQ(Trimmed(*imported.Document().sheet), Trimmed(*drawn.Document().sheet));
  EXPECT_NE(Trimmed(*imported.Document().sheet), Trimmed(*doc.sheet)) << "nothing moved";
  fs::remove(file);
}

TEST_F(ImportTest, CornersAndTeesJoinAndRestWhileCrossingsStayTwoLines) {
  const std::string art =
      "   |\n"
      "+--+--+   |\n"
      "|     | --+--\n"
      "+--+ -|-  |\n"
      "   |  |\n";
  ASSERT_TRUE(Import(art)) << error;
  EXPECT_EQ(Trimmed(*doc.sheet), art);
  std::int32_t crossings = 0;
  std::int32_t joined = 0;
  std::int32_t resting = 0;
  List<DrawObj*>::Cursor cursor(doc.sheet->objects);
  for (const DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
    const auto* line = dynamic_cast<const Line*>(obj);
    if (line == nullptr) continue;
    for (const LinkPoint* end : {&line->start, &line->end}) {
      joined += end->partner != nullptr ? 1 : 0;
      resting += end->hostLine != nullptr ? 1 : 0;
    }
    crossings +=
        line->start.marker == MarkerTable::HorizontalLine && line->end.marker == MarkerTable::HorizontalLine ? 1 : 0;
  }
  // Four corners join two ends each (the right side runs on, so no box);
  // the T on top rests one end and the "+" in the open two; two lines cross
  // others without a "+".
  EXPECT_EQ(joined, 8);
  EXPECT_EQ(resting, 3);
  EXPECT_EQ(crossings, 2);
}

TEST_F(ImportTest, WhereStructureCannotGiveTheArtBackTheArtWins) {
  // Two crossings that would need each line in front of the other.
  const std::string art =
      "  |    |\n"
      "--|----+--\n"
      "  |    |\n"
      "--+----|--\n"
      "  |    |\n";
  ArtGrid grid;
  ArtImporter::Report report;
  ASSERT_TRUE(grid.Read(art, {}, error));
  ASSERT_TRUE(ArtImporter::Import(grid, *doc.sheet, report, error)) << error;
  EXPECT_EQ(Trimmed(*doc.sheet), art);
}

// --- Round trips: what VIRLO draws comes back as it was drawn.

// Boxes whose whole frame shows in the art, nothing laid over it.
std::int32_t VisibleBoxes(const Sheet& sheet) {
  Canvas whole = sheet.NewCanvas();
  sheet.RenderText(whole);
  std::int32_t visible = 0;
  List<DrawObj*>::Cursor cursor(sheet.objects);
  for (const DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
    const auto* box = dynamic_cast<const Box*>(obj);
    const auto* text = dynamic_cast<const StrBox*>(obj);
    if (box == nullptr || (text != nullptr && text->frame == 0)) continue;
    const Rect frame = box->Frame();
    const std::int32_t c0 = frame.left / sheet.cellWidth;
    const std::int32_t r0 = frame.top / sheet.cellHeight;
    const std::int32_t c1 = frame.right / sheet.cellWidth;
    const std::int32_t r1 = frame.bottom / sheet.cellHeight;
    if (frame.left < 0 || frame.top < 0 || c1 >= whole.Columns() || r1 >= whole.Rows() || c1 < c0 + 2 || r1 <= r0) {
      continue;
    }
    Canvas alone = sheet.NewCanvas();
    box->Box::RenderText(alone);
    bool shows = true;
    for (std::int32_t r = r0; r <= r1 && shows; ++r) {
      for (std::int32_t c = c0; c <= c1 && shows; ++c) {
        if (c != c0 && c != c1 && r != r0 && r != r1) continue;
        // Where a line meets the side, its "+" or marker shows instead.
        const char mine = alone.At(c, r);
        const char seen = whole.At(c, r);
        const bool side = mine == '-' || mine == '|';
        const bool meets = seen == '+' || seen == '>' || seen == '<' || seen == '^' || seen == 'V';
        shows = seen == mine || (side && meets);
      }
    }
    visible += shows ? 1 : 0;
  }
  return visible;
}

// Line ends joined to another or resting on a line, where the art shows it:
// a "+" with this line's run beside it and the other line's across it (a
// corner or a T), or beyond it (two lines joined end to end).
std::int32_t VisibleLinks(const Sheet& sheet) {
  Canvas art = sheet.NewCanvas();
  sheet.RenderText(art);
  const std::int32_t cw = sheet.cellWidth;
  const std::int32_t ch = sheet.cellHeight;
  auto cell = [&](const Dot& point) { return std::pair{point.x / cw, point.y / ch}; };
  // How many of the two cells beside the point, on the line's way, show its run.
  auto runBeside = [&](const Line& line, std::pair<std::int32_t, std::int32_t> at) {
    const bool horizontal = line.orientation == Line::Horizontal;
    const char run = horizontal ? '-' : '|';
    const std::int32_t dc = horizontal ? 1 : 0;
    const std::int32_t dr = horizontal ? 0 : 1;
    const bool before = art.At(at.first - dc, at.second - dr) == run;
    const bool after = art.At(at.first + dc, at.second + dr) == run;
    return (before ? 1 : 0) + (after ? 1 : 0);
  };
  std::int32_t visible = 0;
  List<DrawObj*>::Cursor cursor(sheet.objects);
  for (const DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
    const auto* line = dynamic_cast<const Line*>(obj);
    if (line == nullptr) continue;
    // A line across a box from side to side shows as two boxes side by side.
    const Line* from = line->start.hostLine;
    const Line* to = line->end.hostLine;
    if (from != nullptr && to != nullptr && from != to && from->parent == to->parent &&
        dynamic_cast<const Box*>(from->parent) != nullptr && from->orientation == to->orientation) {
      continue;
    }
    for (const LinkPoint* end : {&line->start, &line->end}) {
      const auto at = cell(*end);
      if (end->x < 0 || end->y < 0 || !art.Holds(at.first, at.second) || art.At(at.first, at.second) != '+') continue;
      const Line* other = end->partner != nullptr ? dynamic_cast<const Line*>(end->partner->parent) : end->hostLine;
      if (other == nullptr || runBeside(*line, at) == 0 || runBeside(*other, at) == 0) continue;
      // Along one way, only two runs that meet head on show where one ends.
      if (other->orientation == line->orientation && (end->hostLine != nullptr || runBeside(*line, at) < 2)) continue;
      ++visible;
    }
  }
  return visible;
}

// Imports a sheet's own art and checks it comes back with its structure.
void ExpectRoundTrip(const Sheet& original, const std::string& what) {
  const std::string art = TextCodec::Cp932ToUtf8(original.MakeText());
  CPlenkoDoc copy;
  ASSERT_TRUE(copy.OnNewDocument());
  ArtGrid grid;
  ArtImporter::Report report;
  std::string error;
  ASSERT_TRUE(grid.Read(art, {}, error)) << what << ": " << error;
  ASSERT_TRUE(ArtImporter::Import(grid, *copy.sheet, report, error)) << what << ": " << error;
  // Compared over the original's sheet: the copy may be larger.
  const std::string back = TextCodec::Cp932ToUtf8(copy.sheet->MakeText());
  std::istringstream a(art);
  std::istringstream b(back);
  std::string lineA;
  std::string lineB;
  std::int32_t row = 0;
  while (std::getline(a, lineA)) {
    std::getline(b, lineB);
    lineA.erase(lineA.find_last_not_of(' ') + 1);
    lineB.erase(lineB.find_last_not_of(' ') + 1);
    ASSERT_EQ(lineB, lineA) << what << ", row " << row << ":\n" << art;
    ++row;
  }
  const Structure after = Structure::Of(*copy.sheet);
  EXPECT_GE(after.boxes + after.framedTexts, VisibleBoxes(original)) << what << ":\n" << art;
  EXPECT_GE(after.joinedEnds + after.restingEnds, VisibleLinks(original)) << what << ":\n" << art;
}

// Every golden session and every example, by its script's path.
std::vector<std::string> Sessions() {
  std::vector<std::string> scripts;
  for (const char* folder : {VIRLO_GOLDEN_DIR, VIRLO_EXAMPLES_DIR}) {
    for (const auto& entry : fs::directory_iterator(folder)) {
      fs::path status = entry.path();
      if (entry.path().extension() == ".script" && !fs::exists(status.replace_extension(".status"))) {
        scripts.push_back(entry.path().string());
      }
    }
  }
  std::sort(scripts.begin(), scripts.end());
  return scripts;
}

// Plays a script on a new document; the document it leaves.
std::unique_ptr<cli::ScriptRunner> Play(const std::string& script, std::FILE* sink) {
  std::vector<cli::ScriptCommand> commands;
  std::string error;
  EXPECT_TRUE(cli::Script::Parse(script, commands, error)) << error;
  auto runner = std::make_unique<cli::ScriptRunner>(sink, sink);
  EXPECT_TRUE(runner->Start());
  runner->Run(commands);
  return runner;
}

class SessionRoundTrip : public ::testing::TestWithParam<std::string> {};

TEST_P(SessionRoundTrip, TheArtOfEveryGoldenSessionAndExampleComesBackWithItsStructure) {
  StartStore();
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> sink(std::tmpfile(), &std::fclose);
  const fs::path script = GetParam();
  const fs::path previous = fs::current_path();
  // The sessions' text prints land in a scratch folder, not in the tree.
  const fs::path scratch = fs::temp_directory_path() / ("virlo-import-" + script.stem().string());
  fs::create_directories(scratch);
  fs::current_path(scratch);
  const auto runner = Play(ReadFile(script), sink.get());
  fs::current_path(previous);
  ExpectRoundTrip(*runner->Document().sheet, script.stem().string());
  fs::remove_all(scratch);
}

// Named by folder and script: golden_NAME, examples_NAME.
INSTANTIATE_TEST_SUITE_P(Sessions, SessionRoundTrip, ::testing::ValuesIn(Sessions()),
                         [](const ::testing::TestParamInfo<std::string>& p) {
                           const fs::path script = p.param;
                           return script.parent_path().filename().string() + "_" + script.stem().string();
                         });

// Random diagrams drawn with the tools: boxes, lines from and to anything,
// text boxes framed and not, dots, and drags of what was drawn.
std::string RandomSession(unsigned seed) {
  std::mt19937 random(seed);
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  auto point = [&] { return std::to_string(pick(48) * 8 + 4) + " " + std::to_string(pick(24) * 16 + 8); };
  const char* const words[] = {"a", "db", "API", "x y", "\xE6\x97\xA5\xE6\x9C\xAC", "node", "cache 1"};
  std::string script;
  for (int step = pick(12) + 3; step > 0; --step) {
    switch (pick(6)) {
      case 0:
        script += "tool box\ndrag " + point() + " " + point() + "\n";
        break;
      case 1:
      case 2: {
        const std::string from = point();
        const std::string to = point();
        script += "tool line\npress " + from + "\nmove " + to + "\nmove " + point() + "\nrelease " + to + "\n";
        break;
      }
      case 3: {
        const std::string at = point();
        script += std::string("tool strbox\nanswer text \"") + words[pick(7)] + "\" " +
                  (pick(2) == 0 ? "center frame" : "left noframe") + "\npress " + at + "\nrelease " + at + "\n";
        break;
      }
      case 4:
        script += "tool dot\ndrag " + point() + " " + point() + "\n";
        break;
      default:
        script += "tool select\ndrag " + point() + " " + point() + (pick(2) == 0 ? " shift" : "") + "\n";
        break;
    }
  }
  return script;
}

TEST(RandomRoundTrip, AThousandRandomDiagramsComeBackWithTheirStructure) {
  StartStore();
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> sink(std::tmpfile(), &std::fclose);
  for (unsigned seed = 1; seed <= 1000; ++seed) {
    clipboardSheet->DeleteObjects();
    const std::string script = RandomSession(seed);
    const auto runner = Play(script, sink.get());
    ExpectRoundTrip(*runner->Document().sheet, "seed " + std::to_string(seed) + ":\n" + script);
    if (::testing::Test::HasFailure()) break;
  }
}

}  // namespace
}  // namespace virlo
