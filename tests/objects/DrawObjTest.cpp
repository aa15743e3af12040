#include <gtest/gtest.h>
#include <iconv.h>

#include <array>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "model/Canvas.h"
#include "model/Selection.h"
#include "objects/Dot.h"
#include "objects/Line.h"
#include "objects/LinkPoint.h"
#include "objects/MarkerTable.h"
#include "store/Store.h"
#include "support/RecordingDeviceContext.h"
#include "support/RecordingWindow.h"
#include "support/SheetFixture.h"

namespace virlo {
namespace {

class DrawObjTest : public test::SheetFixture {
 protected:
  Dot* DotOn(std::int32_t x, std::int32_t y) {
    Dot* dot = Make<Dot>(sheet, x, y, 1, nullptr);
    dot->LinkToLine();
    return dot;
  }
  Line* HLine(std::int32_t x0, std::int32_t x1, std::int32_t y, DrawObj* link = nullptr) {
    return Make<Line>(sheet, x0, y, x1, y, nullptr, link);
  }
  // A corner: the start of a vertical line joins the end of a horizontal one.
  void MakeCorner() {
    across = HLine(12, 52, 24);
    down = Make<Line>(sheet, 52, 24, 52, 88, nullptr, &across->end);
  }
  Line* across = nullptr;
  Line* down = nullptr;
};
using DotTest = DrawObjTest;
using LineTest = DrawObjTest;
using LinkPointTest = DrawObjTest;
using Calls = std::vector<std::string>;

// Written in UTF-8 so a mistyped byte in the table cannot hide behind an equally mistyped expectation.
TEST(MarkerTableTest, EntriesAreTheDescriptionsInCodePage932) {
  constexpr std::array<std::string_view, 16> utf8 = {
      "+  結合", "-  横線", "|  縦線", "/  斜線", "\\  斜線", ".  横点線", ":  縦点線", "*  黒丸",
      "O  白丸", "<  左矢", ">  右矢", "^  上矢", "V  下矢",  "A  派生",   "<> 集約",   "U  関連属性"};
  iconv_t cd = iconv_open("CP932", "UTF-8");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  for (std::int32_t t = 0; t < 16; ++t) {
    std::string in(utf8[static_cast<std::size_t>(t)]);
    char out[32], *inPtr = in.data(), *outPtr = out;
    std::size_t inLeft = in.size(), outLeft = sizeof out;
    ASSERT_NE(iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft), static_cast<std::size_t>(-1)) << t;
    const std::string expected(out, outPtr);
    EXPECT_EQ(MarkerTable::Entry(t), expected) << t;
    EXPECT_EQ(Dot::MarkerText(t), expected.substr(0, expected.find(' '))) << t;
  }
  iconv_close(cd);
}

TEST_F(DotTest, RendersItsMarkerInItsCellInsideTheSheetOnly) {
  EXPECT_EQ(Make<Dot>(sheet, 20, 24, -1, nullptr)->marker, 8);
  Make<Dot>(sheet, 0, 0, 1, nullptr);
  Make<Dot>(sheet, -1, 24, 2, nullptr);  // would truncate into column 0
  Make<Dot>(sheet, sheet->width, 40, 2, nullptr);
  Make<Dot>(sheet, 20, 56, 14, nullptr);
  Make<Dot>(sheet, 77 * 8 + 4, 72, 14, nullptr);
  EXPECT_EQ(Row(0), "-");
  EXPECT_EQ(Row(1), "  O");
  EXPECT_EQ(Row(2), "");
  EXPECT_EQ(Row(3), "  <>");
  EXPECT_EQ(Rows().at(4), std::string(77, ' ') + "<");  // the row never grows

  Make<Line>(sheet, 12, 104, 52, 104, nullptr, nullptr);
  Make<Dot>(sheet, 28, 104, 15, nullptr);  // in front, rendered after the line
  EXPECT_EQ(Row(6), " +-U--+");
}

TEST_F(DotTest, HitAreaRedrawAreaAndCloneFailure) {
  Dot* dot = Make<Dot>(sheet, 20, 24, 0, nullptr);
  EXPECT_TRUE(dot->HitTest(16, 24) && dot->HitTest(20, 16));   // half a cell left and up is inside,
  EXPECT_FALSE(dot->HitTest(24, 24) || dot->HitTest(20, 32));  // right and down outside
  EXPECT_EQ(dot->GetRect(DrawObj::Area::Redraw), (Rect{19, 23, 21, 25}));
  dot->SetFlag(DrawObj::Highlighted, true);
  EXPECT_EQ(dot->GetRect(DrawObj::Area::Redraw), (Rect{16, 20, 24, 28}));
  EXPECT_EQ(Make<Dot>(sheet, 20, 24, 1, nullptr)->GetRect(DrawObj::Area::Redraw), (Rect{12, 16, 28, 32}));
  store::AllocationFailure guard(0);
  EXPECT_EQ(dot->Clone(sheet), nullptr);
}

TEST_F(DotTest, DrawShapesColoursAndRestoresTheContext) {
  struct Case {
    std::int32_t type;
    bool highlighted, current;
    Calls shapes, states;
  };
  const std::string sq = "FillRect(16,20,24,28,#0000ff)", circle = "Ellipse(13,17,27,31)";
  const std::vector<Case> cases = {
      // A text marker that is neither highlighted nor current shows in black, as it prints.
      {1, false, false, {"TextOut(16,16,-)"}, {"SetTextColor(#000000)", "SetBackgroundMode(transparent)"}},
      {15, true, false, {sq, "TextOut(16,16,U)"}, {"SetTextColor(#0000ff)"}},
      {15, true, true, {"FillRect(16,20,24,28,#ff0000)", "TextOut(16,16,U)"}, {"SetTextColor(#ff0000)"}},
      {0, false, false, {}, {}},
      {0, true, false, {sq}, {}},
      {7, false, false, {circle}, {"SelectBrush(#000000)", "SelectPen(1,#000000)"}},
      {7, true, false, {circle, sq}, {"SelectBrush(#000000)"}},
      {8, false, false, {circle}, {"SelectBrush(#ffffff)"}},
      {8, true, false, {circle}, {"SelectBrush(#0000ff)"}},
      {9, false, false, {"MoveTo(20,24)", "LineTo(27,17)", "MoveTo(20,24)", "LineTo(27,31)"}, {"SelectPen(1,#000000)"}},
      {10, true, false, {"MoveTo(20,24)", "LineTo(13,17)", "MoveTo(20,24)", "LineTo(13,31)", sq}, {}},
      {11, false, false, {"MoveTo(20,24)", "LineTo(13,31)", "MoveTo(20,24)", "LineTo(27,31)"}, {}},
      {12, false, false, {"MoveTo(20,24)", "LineTo(13,17)", "MoveTo(20,24)", "LineTo(27,17)"}, {}},
      {13, true, false, {"Polygon(20,17;13,31;27,31)"}, {"SelectBrush(#0000ff)", "SetPolygonFillMode(alternate)"}},
      {14, false, false, {"Polygon(20,17;13,24;20,31;27,24)"}, {"SelectBrush(#ffffff)"}},
  };
  const std::set<std::string> kinds = {"MoveTo(", "LineTo(", "Ellipse(", "Polygon(", "FillRect(", "TextOut("};
  for (const Case& c : cases) {
    Dot* dot = Make<Dot>(sheet, 20, 24, c.type, nullptr);
    if (c.highlighted) dot->SetFlag(DrawObj::Highlighted, true);
    sheet->current = c.current ? dot : nullptr;
    test::RecordingDeviceContext dc;  // a state unlike anything a dot selects, so a missed restore shows
    dc.SelectPen(Pen{3, Color::Green()});
    dc.SelectBrush(Brush::Solid(Color::Green()));
    dc.SetTextColor(Color::Green());
    dc.SetPolygonFillMode(PolygonFillMode::Winding);
    dc.Reset();
    dot->Draw(dc);
    Calls shapes;
    std::map<std::string, std::string> before;  // kind -> last such call before the marker proper
    bool drawn = false;
    for (const std::string& call : dc.Calls()) {
      const std::string kind = call.substr(0, call.find('(') + 1);
      if (kinds.count(kind) != 0) shapes.push_back(call);
      drawn = drawn || (kinds.count(kind) != 0 && kind != "FillRect(");
      if (!drawn) before[kind] = call;
    }
    EXPECT_EQ(shapes, c.shapes) << c.type;
    EXPECT_EQ(dc.Calls().empty(), c.shapes.empty()) << c.type;
    for (const std::string& s : c.states) EXPECT_EQ(before[s.substr(0, s.find('(') + 1)], s) << c.type;
    EXPECT_TRUE(dc.CurrentPen() == (Pen{3, Color::Green()}) && dc.CurrentBrush() == Brush::Solid(Color::Green()) &&
                dc.TextColor() == Color::Green() && dc.FillMode() == PolygonFillMode::Winding &&
                dc.Background() == BackgroundMode::Opaque)
        << "context not restored after type " << c.type;
  }
  sheet->current = nullptr;
}

TEST_F(DotTest, LinkToLineRestsOnlyAwayFromTheEnds) {
  Line* line = Make<Line>(sheet, 12, 24, 92, 24, nullptr, nullptr);
  Dot* atEnd = Make<Dot>(sheet, 12, 24, 8, nullptr);
  atEnd->LinkToLine();
  EXPECT_EQ(atEnd->GetLine(), nullptr);
  EXPECT_TRUE(line->attached.Empty());
  Dot* first = Make<Dot>(sheet, 60, 24, 8, nullptr);
  first->LinkToLine();
  Dot* second = Make<Dot>(sheet, 36, 24, 8, nullptr);
  second->LinkToLine();
  EXPECT_EQ(second->GetLine(), line);
  List<DrawObj*>::Cursor cursor(line->attached);
  EXPECT_EQ(cursor.First(), first);
  EXPECT_EQ(cursor.Last(), second);
}

TEST_F(DrawObjTest, SheetListsParentlessObjectsAtTheFrontAndDeletingRemovesEveryEntry) {
  Line* line = Make<Line>(sheet, 12, 24, 52, 24, nullptr, nullptr);
  Dot* part = Make<Dot>(sheet, 28, 24, 1, line);
  Dot* loose = Make<Dot>(sheet, 28, 40, 1, nullptr);
  EXPECT_EQ(sheet->objects.Contains(part), 0);
  EXPECT_EQ(sheet->objects.Front(), loose);
  sheet->PlaceAtBack(loose);
  ASSERT_EQ(sheet->objects.Count(), 3);
  store::Delete(loose);
  EXPECT_EQ(sheet->objects.Count(), 1);
  EXPECT_EQ(sheet->objects.Front(), line);
  store::Delete(part);
}

TEST_F(DrawObjTest, MoveByNothingRepaintsWithoutJoiningAndSelectJoinsOnce) {
  test::RecordingWindow window;
  Selection s(&window);
  Dot* dot = Make<Dot>(sheet, 20, 24, 8, nullptr);
  EXPECT_EQ(dot->Move(s, 0, 0), 0);
  EXPECT_TRUE(window.Covered(dot->GetRect(DrawObj::Area::Redraw)));
  EXPECT_TRUE(s.list.Empty());
  EXPECT_EQ(dot->Select(s), 1);
  EXPECT_EQ(dot->Select(s), 0);
  EXPECT_EQ(s.list.Count(), 1);
  s.Clear();
  EXPECT_EQ(dot->selection, nullptr);
}

TEST_F(DrawObjTest, SetFlagSwitchesOnWhenAllBitsAreOffAndOffWhenAnyIsOn) {
  Dot* dot = Make<Dot>(sheet, 20, 24, 8, nullptr);
  const std::uint32_t both = DrawObj::Highlighted | DrawObj::FreeMove;
  dot->flags = DrawObj::Highlighted;
  EXPECT_EQ(dot->SetFlag(both, true), 0);
  EXPECT_EQ(dot->flags, static_cast<std::uint32_t>(DrawObj::Highlighted));
  EXPECT_EQ(dot->SetFlag(both, false), 1);
  EXPECT_EQ(dot->flags, 0U);
  EXPECT_EQ(dot->SetFlag(both, false), 0);
  EXPECT_EQ(dot->SetFlag(both, true), 1);
  EXPECT_EQ(dot->flags, both);
}

TEST_F(LineTest, OrientationIsVerticalOnlyWhenStrictlySteeper) {
  const std::int32_t cases[][5] = {{0, 0, 40, 0, Line::Horizontal}, {0, 0, 40, 40, Line::Horizontal},
                                   {0, 0, 8, 40, Line::Vertical},   {40, 40, 0, 0, Line::Horizontal},
                                   {8, 40, 0, 0, Line::Vertical},   {4, 8, 4, 8, Line::Horizontal}};
  for (const auto& c : cases)
    EXPECT_EQ(Make<Line>(sheet, c[0], c[1], c[2], c[3], nullptr, nullptr)->orientation, c[4]) << c[2] << "," << c[3];
}

TEST_F(LineTest, RendersRunsBetweenEndMarkers) {
  test::RecordingDeviceContext dc;
  HLine(20, 52, 24)->Draw(dc);
  EXPECT_TRUE(dc.Calls().empty());                      // not Visible: paints nothing, but still renders
  Make<Line>(sheet, 12, 88, 14, 90, nullptr, nullptr);  // both ends in one cell
  HLine(-5, 36, 120);
  EXPECT_EQ(Row(1), "  +---+");
  EXPECT_EQ(Row(5), " +");
  EXPECT_EQ(Row(7), "----+");

  Line* line = HLine(4, 76, 200);
  Canvas canvas(78, 64);
  canvas.Write(2, 12, "ab");
  canvas.Write(5, 12, "\x83\x7C");  // only single bytes are tested, so the trailing 0x7C counts as a line cell
  line->RenderText(canvas);
  EXPECT_EQ(canvas.Row(12).substr(0, 11), "+-ab-\x83---+ ");
}

TEST_F(LineTest, VerticalAndSlantedLines) {
  Make<Line>(sheet, 12, 8, 12, 72, nullptr, nullptr);
  const char* column[] = {" +", " |", " |", " |", " +", ""};
  for (std::size_t r = 0; r < 6; ++r) EXPECT_EQ(Row(r), column[r]) << r;

  Line* slant = Make<Line>(sheet, 20, 104, 52, 136, nullptr, nullptr);
  EXPECT_EQ(Row(6), "  +---");
  EXPECT_EQ(Row(7), "");
  EXPECT_EQ(Row(8), "      +");
  EXPECT_EQ(slant->GetRect(DrawObj::Area::Hit), (Rect{16, 96, 56, 144}));
}

TEST_F(LineTest, MoveFollowsOnlyTheCrossDirectionUnlessFree) {
  Selection s;
  Line* line = HLine(20, 52, 24);
  Dot* dot = DotOn(36, 24);
  EXPECT_EQ(line->Move(s, 5, 0), 1);
  EXPECT_EQ(line->start.GetPos(), (Point{20, 24}));
  EXPECT_EQ(line->selection, nullptr);
  EXPECT_EQ(line->Move(s, 5, 16), 1);
  EXPECT_EQ(line->start.GetPos(), (Point{20, 40}));
  EXPECT_EQ(dot->GetPos(), (Point{36, 40}));
  s.Clear();

  Line* free = HLine(12, 92, 200);
  Dot* rider = DotOn(36, 200);
  Line* leg = Make<Line>(sheet, 60, 200, 60, 264, nullptr, free);
  free->SetFlag(DrawObj::FreeMove, true);
  EXPECT_EQ(free->Move(s, 5, 16), 1);
  s.Clear();
  EXPECT_EQ(free->start.GetPos(), (Point{17, 216}));
  EXPECT_EQ(rider->GetPos(), (Point{41, 216}));
  EXPECT_EQ(leg->start.GetPos(), (Point{65, 216}));
}

TEST_F(LineTest, HostLineDragsTheRestingEndOnly) {
  Line* host = HLine(12, 92, 24);
  Line* leg = Make<Line>(sheet, 36, 24, 36, 88, nullptr, host);
  Selection s;
  EXPECT_EQ(host->Move(s, 0, 16), 1);
  s.Clear();
  EXPECT_EQ(leg->start.GetPos(), (Point{36, 40}));  // the vertical part shrinks the vertical leg
  EXPECT_EQ(leg->end.GetPos(), (Point{36, 88}));
  EXPECT_EQ(leg->Move(s, 16, 0), 1);
  s.Clear();
  EXPECT_EQ(leg->start.GetPos(), (Point{52, 40}));
  EXPECT_EQ(host->start.GetPos(), (Point{12, 40}));
}

TEST_F(LineTest, FindTargetAndHitRectangle) {
  Line* line = HLine(20, 52, 24);
  Dot* dot = DotOn(36, 24);
  EXPECT_EQ(line->FindTarget(20, 24, nullptr), &line->start);
  EXPECT_EQ(line->FindTarget(36, 24, nullptr), dot);
  EXPECT_EQ(line->FindTarget(28, 24, nullptr), line);
  EXPECT_EQ(line->FindTarget(28, 40, nullptr), nullptr);
  EXPECT_EQ(line->GetRect(DrawObj::Area::Hit), (Rect{16, 16, 56, 32}));
  const std::int32_t hits[][3] = {{16, 16, 1}, {55, 31, 1}, {15, 24, 0}, {56, 24, 0}, {36, 15, 0}, {36, 32, 0}};
  for (const auto& h : hits) EXPECT_EQ(line->HitTest(h[0], h[1]), h[2] != 0) << h[0] << "," << h[1];
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

TEST_F(LinkPointTest, JoinIsSymmetricAndNeverReplacesAJoin) {
  LinkPoint& a = HLine(12, 52, 24)->end;
  LinkPoint& b = HLine(12, 52, 88)->start;
  LinkPoint& c = HLine(12, 52, 152)->start;
  a.Join(&a);
  EXPECT_EQ(a.partner, nullptr);
  a.Join(&b);
  a.Join(&c);
  c.Join(&a);
  EXPECT_EQ(a.partner, &b);
  EXPECT_EQ(b.partner, &a);
  EXPECT_EQ(c.partner, nullptr);
  a.Join(nullptr);
  EXPECT_EQ(b.partner, nullptr);
}

TEST_F(LinkPointTest, JoinedEndDragsThePartnerLineAcrossItselfAndHidesBehindItWhenCurrent) {
  MakeCorner();
  Selection s;
  EXPECT_EQ(across->end.Move(s, 8, 16), 1);
  s.Clear();
  EXPECT_EQ(across->start.GetPos(), (Point{12, 40}));
  EXPECT_EQ(across->end.GetPos(), (Point{60, 40}));
  EXPECT_EQ(down->start.GetPos(), (Point{60, 40}));
  EXPECT_EQ(down->end.GetPos(), (Point{60, 88}));

  across->end.marker = 9;
  test::RecordingDeviceContext dc;
  across->end.Draw(dc);
  EXPECT_FALSE(dc.Calls().empty());
  dc.Reset();
  sheet->current = &down->start;  // a joined end hides behind its current partner
  across->end.Draw(dc);
  EXPECT_TRUE(dc.Calls().empty());
  sheet->current = nullptr;
}

TEST_F(LinkPointTest, DeletingALineUndoesEveryLink) {
  MakeCorner();
  Dot* dot = DotOn(20, 24);
  Line* leg = Make<Line>(sheet, 36, 24, 36, 88, nullptr, across);
  Line* tee = Make<Line>(sheet, 28, 200, 28, 24, nullptr, nullptr);
  tee->end.LinkToLine();
  ASSERT_EQ(across->attached.Count(), 3);
  store::Delete(down);
  EXPECT_EQ(across->end.partner, nullptr);
  store::Delete(tee);
  EXPECT_EQ(across->attached.Count(), 2);
  store::Delete(across);
  EXPECT_EQ(dot->GetLine(), nullptr);
  EXPECT_EQ(dot->parent, nullptr);
  EXPECT_EQ(leg->start.hostLine, nullptr);
  EXPECT_EQ(leg->start.parent, leg);
  EXPECT_EQ(sheet->objects.Count(), 2);
}

TEST_F(LinkPointTest, CopiesAreUnjoinedUntilSelected) {
  MakeCorner();
  auto otherDb = std::make_unique<store::Database>("/tmp/other.vrl");
  Sheet* other = store::New<Sheet>(otherDb.get(), 1024, 1024, 8, 16);
  auto* a = dynamic_cast<Line*>(across->Clone(other));
  auto* b = dynamic_cast<Line*>(down->Clone(other));
  ASSERT_TRUE(a != nullptr && b != nullptr);
  other->PlaceInFront(a);
  other->PlaceInFront(b);
  EXPECT_EQ(b->start.partner, nullptr);
  Selection s;
  a->Select(s);
  b->Select(s);
  s.Clear();
  EXPECT_EQ(a->end.partner, &b->start);
  EXPECT_EQ(b->start.partner, &a->end);
  store::Delete(other);
}

TEST_F(LinkPointTest, HighlightSpreadsThroughJoinsButNotThroughRestingEnds) {
  MakeCorner();
  Line* third = HLine(52, 92, 88, &down->end);
  Line* tee = Make<Line>(sheet, 28, 24, 28, 120, nullptr, across);
  ASSERT_EQ(tee->start.hostLine, across);
  EXPECT_EQ(across->start.SetFlag(DrawObj::Highlighted, true), 1);
  for (Line* l : {across, down, third}) {
    EXPECT_TRUE(l->Has(DrawObj::Highlighted) && l->start.Has(DrawObj::Highlighted) && l->end.Has(DrawObj::Highlighted));
  }
  EXPECT_FALSE(tee->Has(DrawObj::Highlighted) || tee->start.Has(DrawObj::Highlighted));
  EXPECT_EQ(third->end.SetFlag(DrawObj::Highlighted, false), 1);
  EXPECT_FALSE(across->start.Has(DrawObj::Highlighted));
}

}  // namespace
}  // namespace virlo
