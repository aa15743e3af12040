#include "objects/Line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "model/Canvas.h"
#include "model/Selection.h"
#include "objects/Dot.h"
#include "store/Store.h"
#include "support/RecordingDeviceContext.h"
#include "support/RecordingWindow.h"
#include "support/SheetFixture.h"

namespace virlo {
namespace {

class LineTest : public test::SheetFixture {
 protected:
  Dot* DotOn(std::int32_t x, std::int32_t y, std::int32_t type = 1) {
    Dot* dot = Make<Dot>(sheet, x, y, type, nullptr);
    dot->LinkToLine();
    return dot;
  }
};

std::ptrdiff_t IndexOf(const std::vector<std::string>& calls, const std::string& call) {
  return std::find(calls.begin(), calls.end(), call) - calls.begin();
}

TEST_F(LineTest, OrientationIsVerticalOnlyWhenStrictlySteeper) {
  EXPECT_EQ(Make<Line>(sheet, 0, 0, 40, 0, nullptr, nullptr)->orientation, Line::Horizontal);
  EXPECT_EQ(Make<Line>(sheet, 0, 0, 40, 40, nullptr, nullptr)->orientation, Line::Horizontal);
  EXPECT_EQ(Make<Line>(sheet, 0, 0, 8, 40, nullptr, nullptr)->orientation, Line::Vertical);
  EXPECT_EQ(Make<Line>(sheet, 40, 40, 0, 0, nullptr, nullptr)->orientation, Line::Horizontal);
  EXPECT_EQ(Make<Line>(sheet, 8, 40, 0, 0, nullptr, nullptr)->orientation, Line::Vertical);
  EXPECT_EQ(Make<Line>(sheet, 4, 8, 4, 8, nullptr, nullptr)->orientation, Line::Horizontal);
}

TEST_F(LineTest, RendersRunsBetweenEndMarkers) {
  Make<Line>(sheet, 20, 24, 52, 24, nullptr, nullptr);
  EXPECT_EQ(Row(1), "  +---+");
  Make<Line>(sheet, 52, 56, 20, 56, nullptr, nullptr);  // drawn right to left
  EXPECT_EQ(Row(3), "  +---+");
  Make<Line>(sheet, 12, 88, 14, 90, nullptr, nullptr);  // both ends in one cell
  EXPECT_EQ(Row(5), " +");
}

TEST_F(LineTest, VerticalRunFillsTheStartColumn) {
  Make<Line>(sheet, 12, 8, 12, 72, nullptr, nullptr);
  EXPECT_EQ(Row(0), " +");
  EXPECT_EQ(Row(1), " |");
  EXPECT_EQ(Row(2), " |");
  EXPECT_EQ(Row(3), " |");
  EXPECT_EQ(Row(4), " +");
  EXPECT_EQ(Row(5), "");
}

TEST_F(LineTest, RunStartingLeftOfTheSheetBeginsInColumnZeroWithoutMarker) {
  Make<Line>(sheet, -5, 24, 36, 24, nullptr, nullptr);
  EXPECT_EQ(Row(1), "----+");
}

TEST_F(LineTest, SlantedLineUsesOnlyTheStartRow) {
  Line* line = Make<Line>(sheet, 20, 24, 52, 56, nullptr, nullptr);
  ASSERT_EQ(line->orientation, Line::Horizontal);
  EXPECT_EQ(Row(1), "  +---");
  EXPECT_EQ(Row(2), "");
  EXPECT_EQ(Row(3), "      +");
  EXPECT_EQ(line->GetRect(0), (Rect{16, 16, 56, 64}));
}

TEST_F(LineTest, RunsLeaveTextAndMarkersStanding) {
  Make<Dot>(sheet, 28, 24, 15, nullptr);  // behind the line
  Make<Line>(sheet, 12, 24, 52, 24, nullptr, nullptr);
  EXPECT_EQ(Row(1), " +-U--+");

  Line* line = Make<Line>(sheet, 4, 200, 76, 200, nullptr, nullptr);
  Canvas canvas(78, 64);
  canvas.Write(2, 12, "ab");
  canvas.Write(5, 12, "\x83\x7C");  // a double-byte character ending in 0x7C
  line->RenderText(canvas);
  // Only single bytes are tested, so the trailing 0x7C counts as a line cell.
  EXPECT_EQ(canvas.Row(12).substr(0, 11), "+-ab-\x83---+ ");
}

TEST_F(LineTest, CrossingRunsShowTheFrontLine) {
  Line* across = Make<Line>(sheet, 4, 24, 76, 24, nullptr, nullptr);
  Make<Line>(sheet, 36, 8, 36, 72, nullptr, nullptr);
  EXPECT_EQ(Row(1), "+---|----+");
  sheet->RemoveObject(across);
  sheet->PlaceInFront(across);
  EXPECT_EQ(Row(1), "+--------+");
  EXPECT_EQ(Row(2), "    |");
}

TEST_F(LineTest, MoveFollowsOnlyTheCrossDirection) {
  test::RecordingWindow window;
  Selection s(&window, 1);
  Line* line = Make<Line>(sheet, 20, 24, 52, 24, nullptr, nullptr);
  Dot* dot = DotOn(36, 24);
  ASSERT_EQ(dot->GetLine(), line);

  EXPECT_EQ(line->Move(s, 5, 0), 1);
  EXPECT_EQ(line->start.GetPos(), (Point{20, 24}));
  EXPECT_EQ(line->end.GetPos(), (Point{52, 24}));
  EXPECT_EQ(dot->GetPos(), (Point{36, 24}));
  EXPECT_EQ(line->selection, nullptr);
  EXPECT_TRUE(s.list.Empty());
  EXPECT_TRUE(window.Covered(line->GetRect(1)));

  EXPECT_EQ(line->Move(s, 5, 16), 1);
  EXPECT_EQ(line->start.GetPos(), (Point{20, 40}));
  EXPECT_EQ(line->end.GetPos(), (Point{52, 40}));
  EXPECT_EQ(dot->GetPos(), (Point{36, 40}));
  EXPECT_EQ(line->selection, &s);
  s.Clear();

  Line* upright = Make<Line>(sheet, 100, 24, 100, 88, nullptr, nullptr);
  EXPECT_EQ(upright->Move(s, 8, 16), 1);
  EXPECT_EQ(upright->start.GetPos(), (Point{108, 24}));
  EXPECT_EQ(upright->end.GetPos(), (Point{108, 88}));
  s.Clear();
}

TEST_F(LineTest, FreeMoveTakesEverythingOnTheLineAlong) {
  Line* line = Make<Line>(sheet, 12, 24, 92, 24, nullptr, nullptr);
  Dot* dot = DotOn(36, 24);
  Line* leg = Make<Line>(sheet, 60, 24, 60, 88, nullptr, line);
  ASSERT_EQ(leg->start.hostLine, line);
  line->SetFlag(DrawObj::FreeMove, 1);

  Selection s;
  EXPECT_EQ(line->Move(s, 5, 16), 1);
  s.Clear();
  EXPECT_EQ(line->start.GetPos(), (Point{17, 40}));
  EXPECT_EQ(line->end.GetPos(), (Point{97, 40}));
  EXPECT_EQ(dot->GetPos(), (Point{41, 40}));
  // The resting end takes the full move; its own line follows across itself.
  EXPECT_EQ(leg->start.GetPos(), (Point{65, 40}));
  EXPECT_EQ(leg->end.GetPos(), (Point{65, 88}));
}

TEST_F(LineTest, CollectingPassThenRealPassMovesOnce) {
  test::RecordingWindow window;
  Line* line = Make<Line>(sheet, 12, 24, 92, 24, nullptr, nullptr);
  Dot* dot = DotOn(36, 24);

  Selection collect(&window, 0);
  EXPECT_EQ(line->Move(collect, 0, 16), 1);
  EXPECT_EQ(line->start.GetPos(), (Point{12, 24}));
  EXPECT_EQ(dot->GetPos(), (Point{36, 24}));
  EXPECT_EQ(dot->selection, &collect);
  EXPECT_EQ(collect.list.Count(), 4);
  EXPECT_TRUE(window.Covered(line->GetRect(1)));
  EXPECT_TRUE(window.Covered(dot->GetRect(1)));
  collect.Clear();

  Selection move(&window, 1);
  EXPECT_EQ(line->Move(move, 0, 16), 1);
  move.Clear();
  EXPECT_EQ(line->start.GetPos(), (Point{12, 40}));
  EXPECT_EQ(line->end.GetPos(), (Point{92, 40}));
  EXPECT_EQ(dot->GetPos(), (Point{36, 40}));
}

TEST_F(LineTest, HostLineDragsTheRestingEndOnly) {
  Line* host = Make<Line>(sheet, 12, 24, 92, 24, nullptr, nullptr);
  Line* leg = Make<Line>(sheet, 36, 24, 36, 88, nullptr, host);
  ASSERT_EQ(leg->start.hostLine, host);
  ASSERT_EQ(leg->orientation, Line::Vertical);

  Selection s;
  EXPECT_EQ(host->Move(s, 0, 16), 1);
  s.Clear();
  EXPECT_EQ(host->start.GetPos(), (Point{12, 40}));
  EXPECT_EQ(host->end.GetPos(), (Point{92, 40}));
  // A vertical line ignores the vertical part: its start shrinks it.
  EXPECT_EQ(leg->start.GetPos(), (Point{36, 40}));
  EXPECT_EQ(leg->end.GetPos(), (Point{36, 88}));

  EXPECT_EQ(leg->Move(s, 16, 0), 1);
  s.Clear();
  EXPECT_EQ(leg->start.GetPos(), (Point{52, 40}));
  EXPECT_EQ(leg->end.GetPos(), (Point{52, 88}));
  EXPECT_EQ(host->start.GetPos(), (Point{12, 40}));
  EXPECT_EQ(host->end.GetPos(), (Point{92, 40}));

  // Settling leaves the end on its host, listed once.
  leg->Select(s);
  s.Clear();
  EXPECT_EQ(leg->start.hostLine, host);
  EXPECT_EQ(host->attached.Count(), 1);
}

TEST_F(LineTest, InvisibleLinePaintsNothingButStillRenders) {
  Line* line = Make<Line>(sheet, 20, 24, 52, 24, nullptr, nullptr);
  test::RecordingDeviceContext dc;
  line->Draw(dc);
  EXPECT_TRUE(dc.Calls().empty());
  EXPECT_EQ(Row(1), "  +---+");
}

TEST_F(LineTest, DrawPaintsSegmentEndsThenRestingObjects) {
  Line* line = Make<Line>(sheet, 20, 24, 52, 24, nullptr, nullptr);
  line->SetFlag(DrawObj::Visible, 1);
  line->end.marker = 1;
  DotOn(36, 24, 15);
  test::RecordingDeviceContext dc;
  dc.SelectPen(Pen{3, Color::Green()});
  dc.Reset();
  line->Draw(dc);
  const auto& calls = dc.Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front(), "SelectPen(1,#000000)");
  const auto moveTo = IndexOf(calls, "MoveTo(20,24)");
  const auto lineTo = IndexOf(calls, "LineTo(52,24)");
  const auto endText = IndexOf(calls, "TextOut(48,16,-)");
  const auto restore = IndexOf(calls, "SelectPen(3,#00ff00)");
  const auto dotText = IndexOf(calls, "TextOut(32,16,U)");
  EXPECT_LT(moveTo, lineTo);
  EXPECT_LT(lineTo, endText);
  EXPECT_LT(endText, restore);
  EXPECT_LT(restore, dotText);
  EXPECT_LT(dotText, static_cast<std::ptrdiff_t>(calls.size()));
  EXPECT_EQ(dc.CurrentPen(), (Pen{3, Color::Green()}));

  sheet->current = line;
  dc.Reset();
  line->Draw(dc);
  ASSERT_FALSE(dc.Calls().empty());
  EXPECT_EQ(dc.Calls().front(), "SelectPen(1,#ff0000)");
  EXPECT_EQ(dc.CurrentPen(), (Pen{3, Color::Green()}));
  sheet->current = nullptr;
}

TEST_F(LineTest, FindTargetPrefersEndsThenRestingObjects) {
  Line* line = Make<Line>(sheet, 20, 24, 52, 24, nullptr, nullptr);
  Dot* dot = DotOn(36, 24);
  EXPECT_EQ(line->FindTarget(20, 24, nullptr), &line->start);
  EXPECT_EQ(line->FindTarget(53, 30, nullptr), &line->end);
  EXPECT_EQ(line->FindTarget(36, 24, nullptr), dot);
  EXPECT_EQ(line->FindTarget(28, 24, nullptr), line);
  EXPECT_EQ(line->FindTarget(28, 40, nullptr), nullptr);
  EXPECT_EQ(line->FindTarget(20, 24, &line->start), line);
  EXPECT_EQ(line->FindTarget(36, 24, dot), line);
  EXPECT_EQ(sheet->PickObject(36, 24, nullptr), dot);
}

TEST_F(LineTest, HitRectangleReachesHalfACellBeyondTheSegment) {
  Line* line = Make<Line>(sheet, 20, 24, 52, 24, nullptr, nullptr);
  EXPECT_EQ(line->GetRect(0), (Rect{16, 16, 56, 32}));
  EXPECT_EQ(line->GetRect(1), (Rect{19, 23, 53, 25}));
  EXPECT_TRUE(line->HitTest(16, 16));
  EXPECT_TRUE(line->HitTest(55, 31));
  EXPECT_FALSE(line->HitTest(15, 24));
  EXPECT_FALSE(line->HitTest(56, 24));
  EXPECT_FALSE(line->HitTest(36, 15));
  EXPECT_FALSE(line->HitTest(36, 32));

  Line* reversed = Make<Line>(sheet, 52, 24, 20, 24, nullptr, nullptr);
  EXPECT_EQ(reversed->GetRect(0), (Rect{16, 16, 56, 32}));
  Line* upward = Make<Line>(sheet, 12, 72, 12, 8, nullptr, nullptr);
  EXPECT_EQ(upward->GetRect(0), (Rect{8, 0, 16, 80}));
}

TEST_F(LineTest, DeletingFreesWhatRestsOnIt) {
  Line* line = Make<Line>(sheet, 12, 24, 92, 24, nullptr, nullptr);
  Dot* dot = DotOn(36, 24);
  Line* leg = Make<Line>(sheet, 60, 24, 60, 88, nullptr, line);
  ASSERT_EQ(line->attached.Count(), 2);

  store::Delete(line);
  EXPECT_EQ(dot->parent, nullptr);
  EXPECT_EQ(dot->GetLine(), nullptr);
  EXPECT_EQ(dot->GetPos(), (Point{36, 24}));
  EXPECT_EQ(sheet->objects.Contains(dot), 1);
  EXPECT_EQ(leg->start.hostLine, nullptr);
  EXPECT_EQ(leg->start.parent, leg);
  EXPECT_EQ(leg->start.GetPos(), (Point{60, 24}));
  EXPECT_EQ(sheet->objects.Count(), 2);
}

TEST_F(LineTest, CloneCopiesGeometryWithoutLinks) {
  Line* host = Make<Line>(sheet, 12, 24, 92, 24, nullptr, nullptr);
  Line* line = Make<Line>(sheet, 36, 24, 36, 88, nullptr, host);
  DotOn(36, 56);
  line->end.marker = 12;
  line->flags = DrawObj::Visible;
  line->end.x = 100;  // now wider than tall; the copy keeps the orientation

  auto otherDb = std::make_unique<store::Database>("/tmp/other.vrl");
  Sheet* other = store::New<Sheet>(otherDb.get(), 1024, 1024, 8, 16);
  auto* copy = dynamic_cast<Line*>(line->Clone(other));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->orientation, Line::Vertical);
  EXPECT_EQ(copy->flags, static_cast<std::uint32_t>(DrawObj::Visible));
  EXPECT_EQ(copy->parent, nullptr);
  EXPECT_EQ(copy->start.GetPos(), (Point{36, 24}));
  EXPECT_EQ(copy->end.GetPos(), (Point{100, 88}));
  EXPECT_EQ(copy->end.marker, 12);
  EXPECT_EQ(copy->start.parent, copy);
  EXPECT_EQ(copy->start.hostLine, nullptr);
  EXPECT_TRUE(copy->attached.Empty());
  EXPECT_TRUE(other->objects.Empty());
  {
    store::AllocationFailure guard(0);
    EXPECT_EQ(line->Clone(other), nullptr);
  }
  store::Delete(copy);
  store::Delete(other);
}

TEST_F(LineTest, SelectWalkSkipsTheDotBehindOneThatResettles) {
  Line* line = Make<Line>(sheet, 12, 24, 92, 24, nullptr, nullptr);
  Dot* d1 = DotOn(36, 24);
  Dot* d2 = DotOn(60, 24);
  Dot* d3 = DotOn(76, 24);
  {
    List<DrawObj*>::Cursor cursor(line->attached);
    ASSERT_EQ(cursor.First(), d1);
    ASSERT_EQ(cursor.Next(), d2);
    ASSERT_EQ(cursor.Next(), d3);
  }

  // d1 settles back onto the line and moves to the back of the list; the
  // cursor, moved on to d2 by the removal, then steps past it to d3, which
  // settles behind d1 in turn; the walk ends meeting d3 again.
  Selection s;
  EXPECT_EQ(line->Select(s), 1);
  EXPECT_EQ(d1->selection, &s);
  EXPECT_EQ(d2->selection, nullptr);
  EXPECT_EQ(d3->selection, &s);
  EXPECT_EQ(s.list.Count(), 5);  // the line, its ends, d1 and d3
  s.Clear();

  EXPECT_EQ(d1->GetLine(), line);
  EXPECT_EQ(d2->GetLine(), line);
  EXPECT_EQ(d3->GetLine(), line);
  List<DrawObj*>::Cursor cursor(line->attached);
  EXPECT_EQ(cursor.First(), d2);
  EXPECT_EQ(cursor.Next(), d1);
  EXPECT_EQ(cursor.Next(), d3);
  EXPECT_EQ(cursor.Next(), nullptr);
}

}  // namespace
}  // namespace virlo
