#include <gtest/gtest.h>

#include "control/CommandIds.h"
#include "script/Script.h"
#include "tools/DrawTool.h"

// Reading session scripts (their errors are rows of tests/cli/check-failures.sh).
namespace virlo::script {
namespace {

using Kind = ScriptCommand::Kind;

TEST(ScriptTest, ReadsCommandsSkippingCommentsAndBlankLines) {
  const std::string source =
      "\xEF\xBB\xBF# a session after a byte order mark\n\ntool line\r\n"
      "  press 10 -20 shift ctrl   # trailing comment\n"
      "drag 1 2 3 4\n"
      "answer text \"say \\\"hi\\\" \\\\ # x\\ny \xE3\x81\x82\" center frame\n"
      "answer marker 15\n"
      "answer text \"a\\nb\"\n"
      "copy";
  std::vector<ScriptCommand> c;
  std::string error;
  ASSERT_TRUE(Script::Parse(source, c, error)) << error;
  std::vector<Kind> kinds;
  std::vector<std::int32_t> lines;
  for (const ScriptCommand& command : c) {
    kinds.push_back(command.kind);
    lines.push_back(command.line);
  }
  ASSERT_EQ(kinds, (std::vector<Kind>{Kind::Tool, Kind::Press, Kind::Drag, Kind::AnswerText, Kind::AnswerMarker,
                                      Kind::AnswerText, Kind::Command}));
  EXPECT_EQ(lines, (std::vector<std::int32_t>{3, 4, 5, 6, 7, 8, 9}));
  EXPECT_TRUE(c[0].commandId == CommandId::ToolLine && c[6].commandId == CommandId::EditCopy);
  EXPECT_TRUE(c[1].x0 == 10 && c[1].y0 == -20 && c[1].modifiers == (MouseKeys::Shift | MouseKeys::Control));
  EXPECT_EQ(std::vector<std::int32_t>({c[2].x0, c[2].y0, c[2].x1, c[2].y1}), std::vector<std::int32_t>({1, 2, 3, 4}));
  EXPECT_EQ(c[3].text, "say \"hi\" \\ # x\r\ny \xE3\x81\x82");  // ends in hiragana a
  EXPECT_TRUE(c[3].alignment == 1 && c[3].frame == 1);
  EXPECT_EQ(c[4].marker, 15);
  EXPECT_EQ(c[5].text, "a\r\nb");
  EXPECT_FALSE(c[5].alignment.has_value() || c[5].frame.has_value());
}

}  // namespace
}  // namespace virlo::script
