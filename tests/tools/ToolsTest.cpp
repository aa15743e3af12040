#include <gtest/gtest.h>

#include "objects/ClipboardSheet.h"
#include "objects/MarkerTable.h"
#include "support/RecordingWindow.h"
#include "support/SheetFixture.h"
#include "tools/BoxTool.h"
#include "tools/LineTool.h"
#include "tools/SelectTool.h"
#include "tools/StrBoxTool.h"

// The mouse tools on a sheet with 8 x 16 cells; the centre of cell (c, r) is (8c + 4, 16r + 8).
namespace virlo {
namespace {

constexpr std::uint32_t kLeft = MouseKeys::LeftButton;
constexpr std::uint32_t kSelectionFlags = DrawObj::Highlighted | DrawObj::FreeMove;

class ToolTest : public test::SheetFixture {
 protected:
  // Press, one move and release with the left button.
  static void Gesture(DrawTool& tool, Point from, Point to) {
    tool.LButtonDown(kLeft, from.x, from.y);
    tool.MouseMove(kLeft, to.x, to.y);
    tool.LButtonUp(0, to.x, to.y);
  }
  Line* DrawLine(Point from, Point to) {
    LineTool tool(sheet, &window);
    Gesture(tool, from, to);
    return dynamic_cast<Line*>(sheet->current);
  }

  test::RecordingWindow window;
};

TEST_F(ToolTest, DragAppliesOnlyCellStepsMadeWithTheLeftButton) {
  Dot* dot = Make<Dot>(sheet, 20, 24, 8, nullptr);
  sheet->current = dot;
  SelectTool tool(sheet, &window);  // a press on the current object drags it alone
  tool.LButtonDown(kLeft, 20, 24);
  for (std::int32_t x : {28, 36, 44}) EXPECT_TRUE(tool.MouseMove(kLeft, x, 24));
  EXPECT_EQ(dot->GetPos(), (Point{44, 24}));    // three steps of 8
  EXPECT_FALSE(tool.MouseMove(kLeft, 47, 31));  // same cell
  EXPECT_FALSE(tool.MouseMove(0, 60, 24));      // no button: committed, not dragged
  EXPECT_FALSE(tool.MouseMove(kLeft, 60, 24));
  EXPECT_EQ(dot->GetPos(), (Point{44, 24}));
  EXPECT_TRUE(tool.MouseMove(kLeft, 68, 24));
  EXPECT_EQ(dot->GetPos(), (Point{52, 24}));
}

TEST_F(ToolTest, MovesStopAtTheSheetsCoordinateLimitsAndKeepShapesWhole) {
  constexpr std::int32_t kMax = Sheet::MaxCoordinate;
  Box* box = Make<Box>(sheet, 20, kMax - 40, 60, kMax - 8, nullptr);
  sheet->current = box;
  {
    StrBoxTool tool(sheet, &window);   // drags the current object
    EXPECT_TRUE(tool.DragBy(16, 32));  // the bottom side has room for 8
    EXPECT_EQ(box->Frame(), (Rect{36, kMax - 32, 76, kMax}));
    EXPECT_FALSE(tool.DragBy(0, 16));  // no room left: nothing moves
    EXPECT_EQ(box->Frame(), (Rect{36, kMax - 32, 76, kMax}));
  }

  // A set moves as one: the member nearest the limit stops them all.
  SelectTool tool(sheet, &window);
  Dot* near = Make<Dot>(sheet, -kMax + 100, 40, 8, nullptr);
  Dot* far = Make<Dot>(sheet, 500, 40, 8, nullptr);
  sheet->selected.PushBack(near);
  sheet->selected.PushBack(far);
  tool.DragBy(-1'000'000, 0);
  EXPECT_EQ(near->GetPos(), (Point{-kMax, 40}));
  EXPECT_EQ(far->GetPos(), (Point{400, 40}));
}

// Nothing begins inside the press cell; where a line's end is let go it rests
// on a line or joins a free end.
TEST_F(ToolTest, LineBeginsOutsideThePressCellAndItsEndRestsOrJoinsWhereLetGo) {
  LineTool tool(sheet, &window);
  tool.LButtonDown(kLeft, 20, 40);
  tool.MouseMove(kLeft, 23, 47);
  tool.LButtonUp(0, 22, 44);
  EXPECT_TRUE(sheet->objects.Empty());

  Line* host = HLine(20, 60, 40);
  Line* onLine = DrawLine({36, 120}, {36, 40});
  Line* onEnd = DrawLine({60, 120}, {60, 40});
  ASSERT_TRUE(onLine != nullptr && onEnd != nullptr);
  EXPECT_TRUE(onLine->end.hostLine == host && onLine->end.partner == nullptr);
  EXPECT_TRUE(onEnd->end.partner == &host->end && host->end.partner == &onEnd->end);
}

TEST_F(ToolTest, CopyTakesThePickedPartAsAFreeStandingPointRatherThanTheSet) {
  Box* box = Make<Box>(sheet, 20, 40, 60, 88, nullptr);
  SelectTool tool(sheet, &window);
  Gesture(tool, {20, 40}, {20, 40});
  ASSERT_TRUE(dynamic_cast<LinkPoint*>(sheet->current) != nullptr && sheet->current->Root() == box);
  sheet->selected.PushBack(Make<Dot>(sheet, 200, 200, 8, nullptr));
  EXPECT_EQ(tool.Copy(), 1);
  auto* copy = dynamic_cast<LinkPoint*>(clipboardSheet->objects.Front());
  ASSERT_TRUE(clipboardSheet->objects.Count() == 1 && copy != nullptr);
  EXPECT_TRUE(copy->parent == nullptr && copy->partner == nullptr && copy->hostLine == nullptr);
  EXPECT_EQ(copy->GetPos(), (Point{20, 40}));
}

// The flags spread through joins while the set is picked; none may stay on what is left.
TEST_F(ToolTest, WhatADeleteOrCutLeavesBehindCarriesNoSelectionFlags) {
  for (const bool cut : {false, true}) {
    Line* banded = HLine(20, 100, 40);
    Line* joined = Make<Line>(sheet, 100, 40, 100, 104, nullptr, &banded->end);
    Dot* picked = Make<Dot>(sheet, 200, 200, 8, nullptr);
    SelectTool tool(sheet, &window);
    Gesture(tool, {4, 8}, {108, 56});  // the band holds the horizontal line only
    ASSERT_EQ(sheet->selected.Count(), 1);
    ASSERT_TRUE(joined->Has(kSelectionFlags));
    sheet->current = picked;
    picked->SetFlag(DrawObj::Highlighted, true);
    EXPECT_EQ(cut ? tool.Cut() : tool.DeleteSelected(), 1);
    EXPECT_EQ(sheet->current, nullptr);
    for (const DrawObj* obj : std::vector<const DrawObj*>{joined, &joined->start, &joined->end, picked}) {
      EXPECT_FALSE(obj->Has(kSelectionFlags)) << (cut ? "cut" : "delete");
    }
    store::Delete(joined);
    store::Delete(picked);
  }
}

// Kept and doomed objects alternate in the sheet's list; one doomed object is listed twice in the set.
TEST_F(ToolTest, DeleteSelectedDeletesEachObjectOnceAndKeepsTheOthersInOrder) {
  std::vector<DrawObj*> kept;
  for (std::int32_t i = 0; i < 6; ++i) {
    Dot* dot = Make<Dot>(sheet, 20 + 16 * i, 40, 8, nullptr);
    if (i % 2 == 0) {
      kept.insert(kept.begin(), dot);  // the front of the list is the newest
    } else {
      sheet->selected.PushBack(dot);
    }
  }
  sheet->selected.PushBack(sheet->selected.Front());
  SelectTool tool(sheet, &window);
  EXPECT_EQ(tool.DeleteSelected(), 3);
  EXPECT_TRUE(sheet->selected.Empty());
  EXPECT_EQ(Items(sheet->objects), kept);
}

// Pasted copies stack as the copied objects did.
TEST_F(ToolTest, CutAndPasteKeepTheStackingOrder) {
  Make<Dot>(sheet, 20, 24, MarkerTable::LeftArrow, nullptr);
  Make<Dot>(sheet, 20, 24, MarkerTable::WhiteCircle, nullptr);
  ASSERT_EQ(Row(1), "  O");
  SelectTool tool(sheet, &window);
  Gesture(tool, {60, 56}, {4, 8});  // a band drawn up and left holds them too
  ASSERT_EQ(tool.Cut(), 2);
  ASSERT_EQ(Row(1), "");
  EXPECT_EQ(tool.Paste(), 2);
  EXPECT_EQ(Row(1), "  O");
}

TEST_F(ToolTest, BoxFromAClickIsAPointAndTheBandIsNormalised) {
  BoxTool tool(sheet, &window);
  std::vector<Rect> corners;
  const std::pair<Point, Point> drags[] = {{{100, 200}, {101, 201}}, {{60, 88}, {20, 40}}, {{20, 40}, {60, 88}}};
  for (auto [from, to] : drags) {
    Gesture(tool, from, to);
    auto* box = dynamic_cast<Box*>(sheet->current);
    ASSERT_NE(box, nullptr);
    corners.push_back({box->FirstCorner().x, box->FirstCorner().y, box->OppositeCorner().x, box->OppositeCorner().y});
  }
  EXPECT_EQ(corners, (std::vector<Rect>{{100, 200, 100, 200}, {20, 40, 60, 88}, {20, 40, 60, 88}}));
}

}  // namespace
}  // namespace virlo
