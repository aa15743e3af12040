#include "objects/LinkPoint.h"

#include <gtest/gtest.h>

#include <memory>

#include "model/Selection.h"
#include "objects/Dot.h"
#include "objects/Line.h"
#include "store/Store.h"
#include "support/RecordingDeviceContext.h"
#include "support/SheetFixture.h"

namespace virlo {
namespace {

class LinkPointTest : public test::SheetFixture {
 protected:
  // A corner: a horizontal line whose end the start of a vertical line joins.
  void MakeCorner() {
    across = Make<Line>(sheet, 12, 24, 52, 24, nullptr, nullptr);
    down = Make<Line>(sheet, 52, 24, 52, 88, nullptr, &across->end);
  }

  Line* across = nullptr;
  Line* down = nullptr;
};

TEST_F(LinkPointTest, JoinIsSymmetricAndNeverReplacesAJoin) {
  Line* l1 = Make<Line>(sheet, 12, 24, 52, 24, nullptr, nullptr);
  Line* l2 = Make<Line>(sheet, 12, 88, 52, 88, nullptr, nullptr);
  Line* l3 = Make<Line>(sheet, 12, 152, 52, 152, nullptr, nullptr);
  LinkPoint& a = l1->end;
  LinkPoint& b = l2->start;
  LinkPoint& c = l3->start;

  a.Join(nullptr);
  EXPECT_EQ(a.partner, nullptr);
  a.Join(&a);
  EXPECT_EQ(a.partner, nullptr);

  a.Join(&b);
  EXPECT_EQ(a.partner, &b);
  EXPECT_EQ(b.partner, &a);
  a.Join(&c);
  c.Join(&a);
  EXPECT_EQ(a.partner, &b);
  EXPECT_EQ(b.partner, &a);
  EXPECT_EQ(c.partner, nullptr);

  a.Join(nullptr);
  EXPECT_EQ(a.partner, nullptr);
  EXPECT_EQ(b.partner, nullptr);
}

TEST_F(LinkPointTest, MovingAJoinedEndDragsThePartnerLineAcrossItselfOnly) {
  MakeCorner();
  ASSERT_EQ(down->start.partner, &across->end);

  Selection s;
  EXPECT_EQ(across->end.Move(s, 8, 16), 1);
  // The horizontal line follows the vertical part, the vertical one the
  // horizontal part; the joined ends take the whole delta.
  EXPECT_EQ(across->start.GetPos(), (Point{12, 40}));
  EXPECT_EQ(across->end.GetPos(), (Point{60, 40}));
  EXPECT_EQ(down->start.GetPos(), (Point{60, 40}));
  EXPECT_EQ(down->end.GetPos(), (Point{60, 88}));
  EXPECT_EQ(s.list.Count(), 6);
  s.Clear();
  EXPECT_EQ(down->start.partner, &across->end);
}

TEST_F(LinkPointTest, PaintsNothingWhileItsPartnerIsCurrent) {
  MakeCorner();
  across->end.marker = 9;
  test::RecordingDeviceContext dc;
  across->end.Draw(dc);
  EXPECT_FALSE(dc.Calls().empty());

  dc.Reset();
  sheet->current = &down->start;
  across->end.Draw(dc);
  EXPECT_TRUE(dc.Calls().empty());

  // A line as the current object does not hide the end.
  sheet->current = down;
  across->end.Draw(dc);
  EXPECT_FALSE(dc.Calls().empty());
  sheet->current = nullptr;
}

TEST_F(LinkPointTest, DeletingALineUndoesItsEndsLinks) {
  MakeCorner();
  store::Delete(down);
  EXPECT_EQ(across->end.partner, nullptr);

  Line* host = Make<Line>(sheet, 12, 200, 92, 200, nullptr, nullptr);
  Line* leg = Make<Line>(sheet, 44, 120, 44, 200, nullptr, nullptr);
  leg->end.LinkToLine();
  ASSERT_EQ(leg->end.hostLine, host);
  ASSERT_EQ(host->attached.Contains(&leg->end), 1);
  store::Delete(leg);
  EXPECT_TRUE(host->attached.Empty());
}

TEST_F(LinkPointTest, CopiesAreUnjoinedUntilSelected) {
  MakeCorner();
  auto otherDb = std::make_unique<store::Database>("/tmp/other.vrl");
  Sheet* other = store::New<Sheet>(otherDb.get(), 1024, 1024, 8, 16);
  auto* a = dynamic_cast<Line*>(across->Clone(other));
  auto* b = dynamic_cast<Line*>(down->Clone(other));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  other->PlaceInFront(a);
  other->PlaceInFront(b);
  EXPECT_EQ(a->end.partner, nullptr);
  EXPECT_EQ(b->start.partner, nullptr);
  EXPECT_EQ(b->start.hostLine, nullptr);
  EXPECT_EQ(b->start.parent, b);
  EXPECT_EQ(b->start.GetPos(), (Point{52, 24}));

  Selection s;
  a->Select(s);
  b->Select(s);
  s.Clear();
  EXPECT_EQ(a->end.partner, &b->start);
  EXPECT_EQ(b->start.partner, &a->end);
  EXPECT_EQ(a->start.partner, nullptr);
  EXPECT_EQ(b->end.partner, nullptr);
  EXPECT_EQ(down->start.partner, &across->end);  // the originals keep theirs
  store::Delete(other);
}

TEST_F(LinkPointTest, HighlightSpreadsThroughJoinsButNotThroughRestingEnds) {
  MakeCorner();
  Line* third = Make<Line>(sheet, 52, 88, 92, 88, nullptr, &down->end);
  Line* tee = Make<Line>(sheet, 28, 24, 28, 120, nullptr, across);
  Dot* dot = Make<Dot>(sheet, 36, 24, 1, nullptr);
  dot->LinkToLine();
  ASSERT_EQ(third->start.partner, &down->end);
  ASSERT_EQ(tee->start.hostLine, across);
  ASSERT_EQ(dot->GetLine(), across);

  EXPECT_EQ(across->start.SetFlag(DrawObj::Highlighted, 1), 1);
  for (DrawObj* obj : {static_cast<DrawObj*>(across), static_cast<DrawObj*>(&across->start),
                       static_cast<DrawObj*>(&across->end), static_cast<DrawObj*>(down),
                       static_cast<DrawObj*>(&down->start), static_cast<DrawObj*>(&down->end),
                       static_cast<DrawObj*>(third), static_cast<DrawObj*>(&third->start),
                       static_cast<DrawObj*>(&third->end)}) {
    EXPECT_TRUE(obj->Has(DrawObj::Highlighted));
  }
  EXPECT_FALSE(tee->Has(DrawObj::Highlighted));
  EXPECT_FALSE(tee->start.Has(DrawObj::Highlighted));
  EXPECT_FALSE(dot->Has(DrawObj::Highlighted));
  EXPECT_EQ(down->SetFlag(DrawObj::Highlighted, 1), 0);

  EXPECT_EQ(third->end.SetFlag(DrawObj::Highlighted, 0), 1);
  EXPECT_FALSE(across->Has(DrawObj::Highlighted));
  EXPECT_FALSE(across->start.Has(DrawObj::Highlighted));
  EXPECT_FALSE(down->end.Has(DrawObj::Highlighted));
}

TEST_F(LinkPointTest, LinkToLineJoinsAFreeEndInItsCell) {
  Line* target = Make<Line>(sheet, 12, 24, 52, 24, nullptr, nullptr);
  // Dropped off-centre but within the cell of the target's end.
  Line* moved = Make<Line>(sheet, 50, 100, 50, 20, nullptr, nullptr);
  moved->end.LinkToLine();
  EXPECT_EQ(moved->end.partner, &target->end);
  EXPECT_EQ(target->end.partner, &moved->end);
  EXPECT_EQ(moved->end.hostLine, nullptr);
  EXPECT_TRUE(target->attached.Empty());

  // Still at the partner's place: the join stands.
  moved->end.x = 52;
  moved->end.y = 24;
  target->end.x = 52;
  moved->end.LinkToLine();
  EXPECT_EQ(moved->end.partner, &target->end);
  // Even when something unjoinable covers the place.
  Make<Dot>(sheet, 52, 24, 7, nullptr);
  moved->end.LinkToLine();
  EXPECT_EQ(moved->end.partner, &target->end);

  // Dragged away onto nothing joinable: freed.
  moved->end.y = 300;
  moved->end.LinkToLine();
  EXPECT_EQ(moved->end.partner, nullptr);
  EXPECT_EQ(target->end.partner, nullptr);
}

TEST_F(LinkPointTest, LinkToLineRestsOnTheMiddleOfALine) {
  Line* host = Make<Line>(sheet, 12, 24, 92, 24, nullptr, nullptr);
  Line* leg = Make<Line>(sheet, 44, 120, 44, 24, nullptr, nullptr);
  leg->end.LinkToLine();
  EXPECT_EQ(leg->end.hostLine, host);
  EXPECT_EQ(leg->end.GetLine(), host);
  EXPECT_EQ(leg->end.parent, leg);  // the owning line stays the parent
  EXPECT_EQ(leg->end.partner, nullptr);
  List<DrawObj*>::Cursor cursor(host->attached);
  EXPECT_EQ(cursor.First(), &leg->end);
  EXPECT_EQ(host->attached.Count(), 1);

  // Relinking in place leaves one entry, not two.
  leg->end.LinkToLine();
  EXPECT_EQ(host->attached.Count(), 1);
}

TEST_F(LinkPointTest, LinkToLineLeavesAnEndOnAJoinedEndFree) {
  MakeCorner();
  Line* late = Make<Line>(sheet, 100, 24, 52, 24, nullptr, nullptr);
  late->end.LinkToLine();
  EXPECT_EQ(late->end.partner, nullptr);
  EXPECT_EQ(late->end.hostLine, nullptr);
  EXPECT_EQ(across->end.partner, &down->start);
  EXPECT_EQ(down->start.partner, &across->end);
}

}  // namespace
}  // namespace virlo
