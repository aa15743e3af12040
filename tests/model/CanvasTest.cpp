#include <gtest/gtest.h>

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

}  // namespace
}  // namespace virlo
