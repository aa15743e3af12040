#include "objects/DrawObj.h"

#include <gtest/gtest.h>

#include "model/Selection.h"
#include "objects/Dot.h"
#include "objects/DotSelDialog.h"
#include "objects/Line.h"
#include "store/Store.h"
#include "support/RecordingWindow.h"
#include "support/SheetFixture.h"

namespace virlo {
namespace {

using DrawObjTest = test::SheetFixture;

TEST_F(DrawObjTest, OnlyObjectsWithoutParentEnterTheFrontOfTheSheet) {
  Line* line = Make<Line>(sheet, 12, 24, 52, 24, nullptr, nullptr);
  EXPECT_EQ(sheet->objects.Front(), line);
  EXPECT_EQ(sheet->objects.Contains(&line->start), 0);
  EXPECT_EQ(sheet->objects.Contains(&line->end), 0);

  Dot* part = Make<Dot>(sheet, 28, 24, 1, line);
  EXPECT_EQ(sheet->objects.Contains(part), 0);
  EXPECT_EQ(sheet->objects.Front(), line);

  Dot* loose = Make<Dot>(sheet, 28, 40, 1, nullptr);
  EXPECT_EQ(sheet->objects.Front(), loose);
  EXPECT_EQ(sheet->objects.Count(), 2);
  EXPECT_EQ(loose->flags, 0U);
  EXPECT_EQ(loose->selection, nullptr);
  store::Delete(part);
}

TEST_F(DrawObjTest, MoveByNothingRepaintsButDoesNotJoin) {
  test::RecordingWindow window;
  Selection s(&window, 1);
  Dot* dot = Make<Dot>(sheet, 20, 24, 8, nullptr);

  EXPECT_EQ(dot->Move(s, 0, 0), 0);
  ASSERT_EQ(window.invalidations.size(), 1U);
  EXPECT_EQ(window.invalidations[0].rect, dot->GetRect(1));
  EXPECT_TRUE(window.invalidations[0].erase);
  EXPECT_EQ(dot->selection, nullptr);
  EXPECT_TRUE(s.list.Empty());

  // A second move in the same operation still repaints but shifts nothing.
  EXPECT_EQ(dot->Move(s, 8, 0), 1);
  window.Reset();
  EXPECT_EQ(dot->Move(s, 8, 0), 0);
  EXPECT_EQ(dot->GetPos(), (Point{28, 24}));
  EXPECT_EQ(window.invalidations.size(), 1U);
  EXPECT_EQ(s.list.Count(), 1);
  s.Clear();
}

TEST_F(DrawObjTest, SelectJoinsOnce) {
  test::RecordingWindow window;
  Selection s(&window, 1);
  Dot* dot = Make<Dot>(sheet, 20, 24, 8, nullptr);
  EXPECT_EQ(dot->Select(s), 1);
  EXPECT_EQ(dot->Select(s), 0);
  EXPECT_EQ(s.list.Count(), 1);
  EXPECT_EQ(dot->selection, &s);
  EXPECT_TRUE(window.invalidations.empty());  // Select does not repaint

  // SelectAndRedraw repaints even for an object that already joined.
  EXPECT_EQ(dot->SelectAndRedraw(s), 0);
  EXPECT_EQ(window.invalidations.size(), 1U);
  EXPECT_EQ(s.list.Count(), 1);
  s.Clear();
  EXPECT_EQ(dot->selection, nullptr);
  EXPECT_TRUE(s.list.Empty());
}

TEST_F(DrawObjTest, SelectAndRedrawDoesNotSettleADot) {
  Line* line = Make<Line>(sheet, 12, 24, 92, 24, nullptr, nullptr);
  Dot* dot = Make<Dot>(sheet, 44, 24, 8, nullptr);
  Selection s;
  EXPECT_EQ(dot->SelectAndRedraw(s), 1);
  EXPECT_EQ(dot->GetLine(), nullptr);
  EXPECT_TRUE(line->attached.Empty());
  s.Clear();
  EXPECT_EQ(dot->Select(s), 1);
  EXPECT_EQ(dot->GetLine(), line);
  s.Clear();
}

TEST_F(DrawObjTest, SetFlagSwitchesOnOnlyWhenAllBitsAreOffAndOffWhenAnyIsOn) {
  Dot* dot = Make<Dot>(sheet, 20, 24, 8, nullptr);
  dot->flags = DrawObj::Highlighted;
  EXPECT_EQ(dot->SetFlag(DrawObj::Highlighted | DrawObj::FreeMove, 1), 0);
  EXPECT_EQ(dot->flags, static_cast<std::uint32_t>(DrawObj::Highlighted));
  EXPECT_EQ(dot->SetFlag(DrawObj::Highlighted | DrawObj::FreeMove, 0), 1);
  EXPECT_EQ(dot->flags, 0U);
  EXPECT_EQ(dot->SetFlag(DrawObj::Highlighted | DrawObj::FreeMove, 0), 0);
  EXPECT_EQ(dot->SetFlag(DrawObj::Highlighted | DrawObj::FreeMove, 1), 1);
  EXPECT_EQ(dot->flags, static_cast<std::uint32_t>(DrawObj::Highlighted | DrawObj::FreeMove));
}

TEST_F(DrawObjTest, FindTargetAndEditDefaultToNull) {
  Line* line = Make<Line>(sheet, 12, 24, 52, 24, nullptr, nullptr);
  Dot* dot = Make<Dot>(sheet, 100, 100, 8, nullptr);
  EXPECT_EQ(dot->FindTarget(100, 100, nullptr), nullptr);
  EXPECT_EQ(line->start.FindTarget(12, 24, nullptr), nullptr);
  EXPECT_EQ(line->Edit(), nullptr);

  // Dots and line ends do have the marker picker.
  auto dialog = dot->Edit();
  auto* picker = dynamic_cast<DotSelDialog*>(dialog.get());
  ASSERT_NE(picker, nullptr);
  EXPECT_EQ(picker->GetDot(), dot);
  EXPECT_NE(line->end.Edit(), nullptr);
}

TEST_F(DrawObjTest, DeletingRemovesEveryEntryInTheSheet) {
  Dot* keep = Make<Dot>(sheet, 20, 24, 8, nullptr);
  Dot* dot = Make<Dot>(sheet, 36, 24, 8, nullptr);
  sheet->PlaceAtBack(dot);
  ASSERT_EQ(sheet->objects.Count(), 3);
  store::Delete(dot);
  EXPECT_EQ(sheet->objects.Count(), 1);
  EXPECT_EQ(sheet->objects.Front(), keep);
}

TEST_F(DrawObjTest, DeletingLeavesTheSelection) {
  Selection s;
  Dot* keep = Make<Dot>(sheet, 20, 200, 8, nullptr);
  Dot* dot = Make<Dot>(sheet, 36, 200, 8, nullptr);
  Line* line = Make<Line>(sheet, 12, 24, 52, 24, nullptr, nullptr);
  dot->Select(s);
  keep->Select(s);
  line->Select(s);  // the line and both its ends
  ASSERT_EQ(s.list.Count(), 5);

  store::Delete(dot);
  EXPECT_EQ(s.list.Count(), 4);
  EXPECT_EQ(s.list.Front(), keep);
  store::Delete(line);
  EXPECT_EQ(s.list.Count(), 1);
  EXPECT_EQ(s.list.Front(), keep);
  s.Clear();
}

TEST_F(DrawObjTest, RootFollowsParentsToTheTop) {
  Line* outer = Make<Line>(sheet, 12, 24, 52, 24, nullptr, nullptr);
  Line* inner = Make<Line>(sheet, 12, 40, 52, 40, outer, nullptr);
  Dot* loose = Make<Dot>(sheet, 20, 200, 8, nullptr);
  EXPECT_EQ(loose->Root(), loose);
  EXPECT_EQ(outer->Root(), outer);
  EXPECT_EQ(outer->start.Root(), outer);
  EXPECT_EQ(inner->Root(), outer);
  EXPECT_EQ(inner->end.Root(), outer);
  EXPECT_EQ(sheet->objects.Contains(inner), 0);
  store::Delete(inner);
}

}  // namespace
}  // namespace virlo
