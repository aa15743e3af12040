#include "model/Selection.h"

#include <gtest/gtest.h>

#include "objects/Dot.h"
#include "support/RecordingWindow.h"
#include "support/SheetFixture.h"

namespace virlo {
namespace {

TEST(SelectionTest, InvalidatesNormalisedRectanglesInItsWindowOnly) {
  test::RecordingWindow window;
  window.scroll = Point{100, 50};
  Selection selection(&window);
  EXPECT_EQ(selection.moving, 1);

  selection.Invalidate(Rect{40, 30, 10, 20}, true);
  selection.Invalidate(Rect{1, 2, 3, 4}, false);
  ASSERT_EQ(window.invalidations.size(), 2U);
  // Drawing units: the window itself applies its scroll position.
  EXPECT_EQ(window.invalidations[0].rect, (Rect{10, 20, 40, 30}));
  EXPECT_TRUE(window.invalidations[0].erase);
  EXPECT_EQ(window.invalidations[1].rect, (Rect{1, 2, 3, 4}));
  EXPECT_FALSE(window.invalidations[1].erase);

  // Without a window nothing is repainted.
  selection.window = nullptr;
  selection.Invalidate(Rect{0, 0, 8, 8}, true);
  EXPECT_EQ(window.invalidations.size(), 2U);
  Selection windowless;
  EXPECT_EQ(windowless.window, nullptr);
  windowless.Invalidate(Rect{0, 0, 8, 8}, true);
  EXPECT_EQ(window.invalidations.size(), 2U);
}

class SelectionWithObjectsTest : public test::SheetFixture {};

TEST_F(SelectionWithObjectsTest, ClearResetsEveryBackReference) {
  Dot* first = Make<Dot>(sheet, 20, 40, 7, nullptr);
  Dot* second = Make<Dot>(sheet, 60, 40, 7, nullptr);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  test::RecordingWindow window;
  Selection selection(&window);

  EXPECT_EQ(first->Select(selection), 1);
  EXPECT_EQ(second->SelectAndRedraw(selection), 1);
  EXPECT_EQ(first->Select(selection), 0);  // an object joins once
  EXPECT_EQ(first->selection, &selection);
  EXPECT_EQ(second->selection, &selection);
  EXPECT_EQ(selection.list.Count(), 2);
  EXPECT_EQ(selection.list.Front(), first);
  EXPECT_FALSE(window.invalidations.empty());

  selection.Clear();
  EXPECT_TRUE(selection.list.Empty());
  EXPECT_EQ(first->selection, nullptr);
  EXPECT_EQ(second->selection, nullptr);

  // Once cleared an object may join again; a Selection going away clears too.
  {
    Selection scoped;
    EXPECT_EQ(first->Select(scoped), 1);
    EXPECT_EQ(first->selection, &scoped);
  }
  EXPECT_EQ(first->selection, nullptr);
}

}  // namespace
}  // namespace virlo
