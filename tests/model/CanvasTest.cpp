#include <gtest/gtest.h>

#include <string>

#include "model/Canvas.h"

namespace virlo {
namespace {

TEST(CanvasTest, LineLayerKeepsWhatLinesWroteUntilSomethingElseWrites) {
  Canvas canvas(4, 1, true);
  canvas.PutLine(0, 0, '-');
  canvas.PutLine(1, 0, '-');
  canvas.PutLine(2, 0, '-');
  canvas.AddArms(1, 0, Canvas::ArmLeft | Canvas::ArmRight);
  canvas.Put(0, 0, '-');     // the same byte, but no longer the line's
  canvas.Write(2, 0, "ab");  // text over a line cell
  EXPECT_FALSE(canvas.IsLine(0, 0));
  EXPECT_TRUE(canvas.IsLine(1, 0));
  EXPECT_FALSE(canvas.IsLine(2, 0));
  EXPECT_FALSE(canvas.IsLine(3, 0));
  // Arms stay with the cell whoever writes it last.
  EXPECT_EQ(canvas.Arms(1, 0), Canvas::ArmLeft | Canvas::ArmRight);
  canvas.MarkLine(0, 0);
  EXPECT_TRUE(canvas.IsLine(0, 0));
  EXPECT_EQ(canvas.Text(), "--ab\n");
  canvas.AddArms(9, 0, Canvas::ArmUp);  // outside: ignored
  EXPECT_EQ(canvas.Arms(9, 0), 0);
}

// Text goes in character by character: a character the code page holds in
// its cells as its bytes, any other as its substitute with the character kept
// for UTF-8; each whole or not at all, at either end of a row.
TEST(CanvasTest, TextKeepsEachCharacterWholeAndWhatTheCodePageLacksBesideItsSubstitute) {
  struct Row {
    std::int32_t column;
    std::string text;
    std::string cp932;
    std::string utf8;
    std::int32_t substitutes;
  };
  const Row rows[] = {
      {0, "café", "cafe  ", "café  ", 1},
      {1, "日本", " \x93\xFA\x96\x7B ", " 日本 ", 0},
      // Cut at the right end: nothing of it, neither half nor substitute.
      {4, "x日", "    x ", "    x ", 0},
      {4, "x😀", "    x ", "    x ", 0},
      // Cut at the left end.
      {-1, "日ab", " ab   ", " ab   ", 0},
      {-1, "→ab", "ab    ", "ab    ", 0},
      {0, "○→e\u0301", "o>e   ", "○→e\u0301   ", 3},
      // Before a blank, one the code page holds in two bytes is itself over both.
      {0, "α →x", "\x83\xBF>x  ", "α →x  ", 1},
      // A mark with nothing to join stands on a blank.
      {0, "\u0301a", "?a    ", " \u0301a    ", 1},
      {0, "👩\u200D💻", "????  ", "👩\u200D💻  ", 2},
  };
  for (const Row& row : rows) {
    Canvas canvas(6, 1);
    canvas.WriteText(row.column, 0, row.text);
    EXPECT_EQ(canvas.Text(), row.cp932 + "\n") << row.text;
    EXPECT_EQ(canvas.Utf8Text(), row.utf8 + "\n") << row.text;
    EXPECT_EQ(canvas.Substitutes(), row.substitutes) << row.text;
  }
  // Whatever writes over either half of a kept wide character ends it whole.
  for (const std::int32_t half : {0, 1}) {
    Canvas canvas(4, 1);
    canvas.WriteText(0, 0, "😀α");
    canvas.Put(half, 0, '|');
    EXPECT_EQ(canvas.Utf8Text(), (half == 0 ? "| α \n" : " |α \n")) << half;
    // "α" before the last blank is written as itself in the code page.
    EXPECT_EQ(canvas.Substitutes(), 0) << half;
  }
}

}  // namespace
}  // namespace virlo
