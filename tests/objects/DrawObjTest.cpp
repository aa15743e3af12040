#include <gtest/gtest.h>

#include "objects/Dot.h"
#include "objects/Selection.h"
#include "support/RecordingWindow.h"
#include "support/SheetFixture.h"

namespace virlo {
namespace {

using DrawObjTest = test::SheetFixture;

TEST_F(DrawObjTest, MoveByNothingRepaintsWithoutJoiningAndSelectJoinsOnce) {
  test::RecordingWindow window;
  Selection s(&window);
  Dot* dot = Make<Dot>(sheet, 20, 24, 8, nullptr);
  EXPECT_FALSE(dot->Move(s, 0, 0));
  EXPECT_TRUE(window.Covered(dot->GetRect(DrawObj::Area::Redraw)));
  EXPECT_TRUE(s.list.Empty());
  EXPECT_TRUE(dot->Select(s));
  EXPECT_FALSE(dot->Select(s));
  EXPECT_EQ(s.list.Count(), 1);
  s.Clear();
  EXPECT_EQ(dot->selection, nullptr);
}

}  // namespace
}  // namespace virlo
