#include <gtest/gtest.h>

#include "model/ClipboardSheet.h"
#include "objects/CTextDialog.h"
#include "objects/StrBox.h"
#include "platform/QueuedDialogRunner.h"
#include "support/RecordingWindow.h"
#include "support/SheetFixture.h"
#include "tools/LineTool.h"
#include "tools/SelectTool.h"
#include "tools/StrBoxTool.h"

// The mouse tools on a sheet with 8 x 16 cells; the centre of cell (c, r) is (8c + 4, 16r + 8).
namespace virlo {
namespace {

constexpr std::uint32_t kLeft = MouseKeys::LeftButton;

class ToolTest : public test::SheetFixture {
 protected:
  // Press, one move and release with the left button (and extra keys).
  void Gesture(DrawTool& tool, Point from, Point to, std::uint32_t extra = 0) {
    tool.LButtonDown(kLeft | extra, from.x, from.y);
    tool.MouseMove(kLeft | extra, to.x, to.y);
    tool.LButtonUp(extra, to.x, to.y);
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
  StrBoxTool tool(sheet, &window);  // its press and move are the plain tool's
  tool.LButtonDown(kLeft, 20, 24);
  for (std::int32_t x : {28, 36, 44}) EXPECT_EQ(tool.MouseMove(kLeft, x, 24), 1);
  EXPECT_EQ(dot->GetPos(), (Point{44, 24}));    // three steps of 8
  EXPECT_EQ(tool.MouseMove(kLeft, 47, 31), 0);  // same cell
  EXPECT_EQ(tool.MouseMove(0, 60, 24), 0);      // no button: committed, not dragged
  EXPECT_EQ(tool.MouseMove(kLeft, 60, 24), 0);
  EXPECT_EQ(dot->GetPos(), (Point{44, 24}));
  EXPECT_EQ(tool.MouseMove(kLeft, 68, 24), 1);
  EXPECT_EQ(dot->GetPos(), (Point{52, 24}));
}

TEST_F(ToolTest, MovesStopAtTheSheetsCoordinateLimitsAndKeepShapesWhole) {
  constexpr std::int32_t kMax = Sheet::MaxCoordinate;
  Box* box = Make<Box>(sheet, 20, kMax - 40, 60, kMax - 8, nullptr);
  sheet->current = box;
  {
    StrBoxTool tool(sheet, &window);    // drags the current object
    EXPECT_EQ(tool.DragBy(16, 32), 1);  // the bottom side has room for 8
    EXPECT_EQ(box->Frame(), (Rect{36, kMax - 32, 76, kMax}));
    EXPECT_EQ(tool.DragBy(0, 16), 0);  // no room left: nothing moves
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

TEST_F(ToolTest, LineNeedsToLeaveThePressCellThenFollowsTheAxisOfTheLargerDistance) {
  LineTool tool(sheet, &window);
  EXPECT_EQ(tool.LButtonDown(kLeft, 20, 40), 0);
  EXPECT_EQ(tool.MouseMove(kLeft, 23, 47), 0);
  EXPECT_EQ(tool.LButtonUp(0, 22, 44), 0);
  EXPECT_TRUE(sheet->objects.Empty());
  tool.LButtonDown(kLeft, 20, 40);
  EXPECT_EQ(tool.MouseMove(kLeft, 28, 40), 1);
  auto* line = dynamic_cast<Line*>(sheet->current);
  ASSERT_NE(line, nullptr);
  tool.MouseMove(kLeft, 36, 56);  // 16 right, 16 down: a tie goes vertical
  EXPECT_TRUE(line->orientation == Line::Vertical && line->end.GetPos() == (Point{20, 56}));
  tool.MouseMove(kLeft, 44, 56);  // 24 right, 16 down
  EXPECT_TRUE(line->orientation == Line::Horizontal && line->end.GetPos() == (Point{44, 40}));
  EXPECT_EQ(tool.LButtonUp(0, 44, 56), 1);
  EXPECT_EQ(line->start.GetPos(), (Point{20, 40}));

  // A single diagonal step and the release: already on an axis.
  tool.LButtonDown(kLeft, 100, 200);
  tool.MouseMove(kLeft, 140, 216);
  tool.LButtonUp(0, 140, 216);
  auto* quick = dynamic_cast<Line*>(sheet->current);
  ASSERT_TRUE(quick != nullptr && quick != line);
  EXPECT_TRUE(quick->orientation == Line::Horizontal && quick->end.GetPos() == (Point{140, 200}));
}

TEST_F(ToolTest, LineStartJoinsAFreeEndRestsOnASideButNotOnACorner) {
  Line* free = Make<Line>(sheet, 20, 40, 60, 40, nullptr, nullptr);
  Box* box = Make<Box>(sheet, 100, 200, 140, 264, nullptr);
  LinkPoint* cornerPartner = box->top.start.partner;
  Line* joined = DrawLine({60, 40}, {60, 72});
  Line* atCorner = DrawLine({100, 200}, {100, 152});
  Line* onSide = DrawLine({116, 200}, {116, 152});
  ASSERT_TRUE(joined != nullptr && atCorner != nullptr && onSide != nullptr);
  EXPECT_TRUE(joined->start.partner == &free->end && free->end.partner == &joined->start);
  EXPECT_TRUE(atCorner->start.partner == nullptr && atCorner->start.hostLine == nullptr);
  EXPECT_EQ(box->top.start.partner, cornerPartner);
  EXPECT_TRUE(onSide->start.hostLine == &box->top && onSide->start.partner == nullptr);
}

TEST_F(ToolTest, ShiftPickOnASideMovesTheWholeBoxOtherwiseOnlyTheSide) {
  struct Case {
    std::uint32_t extra;
    bool wholeBox;
    Rect frame;
  };
  for (const Case& c : {Case{MouseKeys::Shift, true, {28, 56, 68, 104}}, Case{0, false, {20, 56, 60, 88}}}) {
    Box* box = Make<Box>(sheet, 20, 40, 60, 88, nullptr);
    {
      SelectTool tool(sheet, &window);
      Gesture(tool, {36, 40}, {44, 56}, c.extra);
      EXPECT_EQ(sheet->current, c.wholeBox ? static_cast<DrawObj*>(box) : &box->top);
    }
    EXPECT_EQ(box->Frame(), c.frame) << "shift " << c.extra;
    store::Delete(box);
  }
}

TEST_F(ToolTest, CopyOfAPickedCornerIsAFreeStandingPoint) {
  Box* box = Make<Box>(sheet, 20, 40, 60, 88, nullptr);
  SelectTool tool(sheet, &window);
  Gesture(tool, {20, 40}, {20, 40});
  ASSERT_TRUE(dynamic_cast<LinkPoint*>(sheet->current) != nullptr && sheet->current->Root() == box);
  EXPECT_EQ(tool.Copy(), 1);
  auto* copy = dynamic_cast<LinkPoint*>(clipboardSheet->objects.Front());
  ASSERT_TRUE(clipboardSheet->objects.Count() == 1 && copy != nullptr);
  EXPECT_TRUE(copy->parent == nullptr && copy->partner == nullptr && copy->hostLine == nullptr);
  EXPECT_EQ(copy->GetPos(), (Point{20, 40}));
}

TEST_F(ToolTest, RubberBandSelectsEnclosedObjectsAndADragMovesTheSet) {
  Dot* a = Make<Dot>(sheet, 20, 40, 8, nullptr);
  Dot* b = Make<Dot>(sheet, 36, 56, 8, nullptr);
  Dot* outside = Make<Dot>(sheet, 200, 200, 8, nullptr);
  SelectTool tool(sheet, &window);
  Gesture(tool, {4, 8}, {60, 72});
  ASSERT_EQ(sheet->selected.Count(), 2);
  for (Dot* d : {a, b}) {
    EXPECT_TRUE(sheet->selected.Contains(d) && d->Has(DrawObj::Highlighted) && d->Has(DrawObj::FreeMove));
  }
  EXPECT_FALSE(outside->Has(DrawObj::Highlighted));
  EXPECT_EQ(window.dragRects.back().newRect, (Rect{-1, -1, -1, -1}));  // band erased
  Gesture(tool, {20, 40}, {28, 56});
  EXPECT_EQ(sheet->current, nullptr);
  EXPECT_EQ((std::vector<Point>{a->GetPos(), b->GetPos(), outside->GetPos()}),
            (std::vector<Point>{{28, 56}, {44, 72}, {200, 200}}));
}

TEST_F(ToolTest, CutAndPasteOfJoinedLinesJoinsThePastedEnds) {
  Line* h = Make<Line>(sheet, 20, 40, 60, 40, nullptr, nullptr);
  Make<Line>(sheet, 60, 40, 60, 88, nullptr, &h->end);
  SelectTool tool(sheet, &window);
  Gesture(tool, {4, 8}, {100, 120});
  ASSERT_EQ(sheet->selected.Count(), 2);
  EXPECT_EQ(tool.Cut(), 2);
  EXPECT_TRUE(sheet->objects.Empty());
  EXPECT_EQ(tool.Paste(), 2);
  auto* end = dynamic_cast<LinkPoint*>(sheet->PickObject(60, 40, nullptr));
  ASSERT_TRUE(end != nullptr && end->partner != nullptr);
  EXPECT_EQ(end->partner->partner, end);
  EXPECT_NE(end->partner->parent, end->parent);
}

TEST_F(ToolTest, DeleteSelectedTakesTheSetOrElseCountsOne) {
  Dot* kept = Make<Dot>(sheet, 100, 100, 8, nullptr);
  for (std::int32_t x : {20, 36}) sheet->selected.PushBack(Make<Dot>(sheet, x, 40, 8, nullptr));
  sheet->current = kept;
  SelectTool tool(sheet, &window);
  EXPECT_EQ(tool.DeleteSelected(), 2);
  EXPECT_TRUE(sheet->current == nullptr && sheet->selected.Empty());
  EXPECT_TRUE(sheet->objects.Count() == 1 && sheet->objects.Contains(kept));
  EXPECT_EQ(tool.DeleteSelected(), 1);  // nothing to delete
}

TEST_F(ToolTest, WhatADeleteOrCutLeavesBehindCarriesNoSelectionFlags) {
  constexpr std::uint32_t kSelectionFlags = DrawObj::Highlighted | DrawObj::FreeMove;
  for (const bool cut : {false, true}) {
    Line* banded = Make<Line>(sheet, 20, 40, 100, 40, nullptr, nullptr);
    Line* joined = Make<Line>(sheet, 100, 40, 100, 104, nullptr, &banded->end);
    Dot* picked = Make<Dot>(sheet, 200, 200, 8, nullptr);
    SelectTool tool(sheet, &window);
    Gesture(tool, {4, 8}, {108, 56});  // the band holds the horizontal line only
    ASSERT_EQ(sheet->selected.Count(), 1);
    ASSERT_TRUE(joined->Has(kSelectionFlags));  // spread through the join
    sheet->current = picked;
    picked->SetFlag(DrawObj::Highlighted, true);
    EXPECT_EQ(cut ? tool.Cut() : tool.DeleteSelected(), 1);
    EXPECT_EQ(sheet->current, nullptr);
    const std::vector<const DrawObj*> leftBehind = {joined, &joined->start, &joined->end, picked};
    for (const DrawObj* obj : leftBehind) {
      EXPECT_FALSE(obj->Has(kSelectionFlags)) << (cut ? "cut" : "delete");
    }
    store::Delete(joined);
    store::Delete(picked);
  }
}

TEST_F(ToolTest, DeleteSelectedDeletesEachObjectOnceAndKeepsTheOthersInOrder) {
  // Kept and doomed objects alternate in the sheet's list; one doomed object
  // is listed twice in the set.
  std::vector<DrawObj*> kept;
  std::vector<DrawObj*> doomed;
  for (std::int32_t i = 0; i < 6; ++i) {
    Dot* dot = Make<Dot>(sheet, 20 + 16 * i, 40, 8, nullptr);
    (i % 2 == 0 ? kept : doomed).push_back(dot);
  }
  for (DrawObj* obj : doomed) sheet->selected.PushBack(obj);
  sheet->selected.PushBack(doomed[1]);
  SelectTool tool(sheet, &window);
  EXPECT_EQ(tool.DeleteSelected(), 3);
  EXPECT_TRUE(sheet->selected.Empty());
  std::vector<DrawObj*> left;
  List<DrawObj*>::Cursor cursor(sheet->objects);
  for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) left.push_back(obj);
  // The front of the list is the newest.
  EXPECT_EQ(left, (std::vector<DrawObj*>{kept[2], kept[1], kept[0]}));
}

TEST_F(ToolTest, BoxFromAClickIsAPointAndTheBandIsNormalised) {
  BoxTool tool(sheet, &window);
  std::vector<Rect> frames;
  const std::pair<Point, Point> drags[] = {{{100, 200}, {101, 201}}, {{60, 88}, {20, 40}}, {{20, 40}, {60, 88}}};
  for (auto [from, to] : drags) {
    EXPECT_EQ(tool.LButtonDown(kLeft, from.x, from.y), 0);
    tool.MouseMove(kLeft, to.x, to.y);
    EXPECT_EQ(tool.LButtonUp(0, to.x, to.y), 1);
    auto* box = dynamic_cast<Box*>(sheet->current);
    ASSERT_NE(box, nullptr);
    frames.push_back({box->FirstCorner().x, box->FirstCorner().y, box->OppositeCorner().x, box->OppositeCorner().y});
  }
  EXPECT_EQ(frames, (std::vector<Rect>{{100, 200, 100, 200}, {20, 40, 60, 88}, {20, 40, 60, 88}}));
  EXPECT_EQ(Row(12), std::string(12, ' ') + "+");
}

TEST_F(ToolTest, TextBoxToolPlacesTheTextInTheReleaseCell) {
  QueuedDialogRunner runner;
  runner.Confirm([](Dialog& d) { d.Control(CTextDialog::TextEdit).text = "ab"; }, CTextDialog::TemplateId);
  StrBoxTool tool(sheet, &window);
  EXPECT_EQ(tool.LButtonDown(kLeft, 84, 88), 0);
  EXPECT_EQ(tool.LButtonUp(0, 84, 88), 0);
  EXPECT_EQ(runner.Opened(), (std::vector<std::int32_t>{CTextDialog::TemplateId}));
  auto* box = dynamic_cast<StrBox*>(sheet->current);
  ASSERT_TRUE(box != nullptr && box->GetText() == "ab");
  EXPECT_EQ(box->FirstCorner(), (Point{76, 72}));  // centre of cell (9, 4)
  EXPECT_EQ(Row(5), "          ab");
}

}  // namespace
}  // namespace virlo
