#include "model/Canvas.h"

#include <gtest/gtest.h>

namespace virlo {
namespace {

TEST(CanvasTest, WritesAreCutAtTheRowEndAndNeverLeaveTheCanvas) {
  Canvas canvas(4, 2);
  EXPECT_EQ(canvas.Write(2, 0, "abc"), 2);
  EXPECT_EQ(canvas.Write(-1, 0, "x"), 0);
  EXPECT_EQ(canvas.Write(0, 2, "x"), 0);
  canvas.Put(4, 1, 'z');
  canvas.Put(0, -1, 'z');
  EXPECT_EQ(canvas.Text(), "  ab\n    \n");
}

TEST(CanvasTest, EmptyCanvasHasNoText) {
  Canvas canvas(0, 0);
  EXPECT_EQ(canvas.Text(), "");
  EXPECT_EQ(canvas.At(0, 0), '\0');
}

}  // namespace
}  // namespace virlo
