#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "import/ArtCharacter.h"
#include "import/ArtGrid.h"
#include "import/ArtPlan.h"
#include "import/ArtRecognizer.h"

// Line art left as text is never held in one text box with words: a
// lifeline the reading gave up on, with the messages and labels beside it,
// stays pieces of line art and texts of their own.
namespace virlo {
namespace {

bool HasLetter(const std::string& line) {
  for (const char ch : line) {
    if (ArtCharacter::IsLetter(static_cast<unsigned char>(ch))) return true;
  }
  return false;
}

bool HasArt(const std::string& line) { return line.find_first_of("|-+>") != std::string::npos; }

TEST(TextFinderTest, LineArtLeftAsTextIsNeverHeldWithWords) {
  const std::string art =
      "  Alice     Bob\n"
      "    |        |\n"
      "    |  hello |\n"
      "    +------->|\n"
      "    |   ok   |\n"
      "    |<-------+\n"
      "    |        |\n";
  ArtGrid grid;
  std::string error;
  ASSERT_TRUE(grid.Read(art, {}, error)) << error;
  // Every cell given up on, as the last reading of an import that fails.
  const std::vector<std::uint8_t> forced(static_cast<std::size_t>(grid.Columns() * grid.Rows()), 1);
  const ArtPlan plan = ArtRecognizer(grid, forced).Recognize();
  ASSERT_TRUE(plan.lines.empty() && plan.boxes.empty());
  std::vector<std::string> found;
  for (const ArtPlan::Text& text : plan.texts) {
    bool lineArt = false;
    bool words = false;
    for (const std::string& line : text.lines) {
      lineArt = lineArt || HasArt(line);
      words = words || HasLetter(line);
    }
    EXPECT_FALSE(lineArt && words) << text.lines.front() << " at " << text.first.column << "," << text.first.row;
    std::string joined;
    for (const std::string& line : text.lines) joined += line + "/";
    found.push_back(joined);
  }
  // The lifelines as runs down between the messages, the messages and the labels.
  for (const char* piece : {"Alice/", "Bob/", "hello/", "ok/", "|/|/", "+------->|/", "|<-------+/", "|/"}) {
    EXPECT_NE(std::find(found.begin(), found.end(), piece), found.end())
        << piece << " in " << ::testing::PrintToString(found);
  }
}

}  // namespace
}  // namespace virlo
