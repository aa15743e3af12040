#include <gtest/gtest.h>

#include "objects/Dot.h"
#include "objects/Line.h"
#include "objects/LinkPoint.h"
#include "objects/Selection.h"
#include "support/RecordingDeviceContext.h"
#include "support/SheetFixture.h"

namespace virlo {
namespace {

class LinkPointTest : public test::SheetFixture {
 protected:
  // A corner: the start of a vertical line joins the end of a horizontal one.
  void SetUp() override {
    test::SheetFixture::SetUp();
    across = HLine(12, 52, 24);
    down = Make<Line>(sheet, 52, 24, 52, 88, nullptr, &across->end);
  }

  Line* across = nullptr;
  Line* down = nullptr;
};

TEST_F(LinkPointTest, JoinIsSymmetricAndNeverReplacesAJoin) {
  LinkPoint& a = HLine(12, 52, 124)->end;
  LinkPoint& b = HLine(12, 52, 188)->start;
  LinkPoint& c = HLine(12, 52, 252)->start;
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
  EXPECT_EQ(down->start.partner, &across->end);
}

TEST_F(LinkPointTest, JoinedEndDragsThePartnerLineAcrossItselfAndHidesBehindItWhenCurrent) {
  Selection s;
  EXPECT_TRUE(across->end.Move(s, 8, 16));
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

TEST_F(LinkPointTest, HighlightSpreadsThroughJoinsButNotThroughRestingEnds) {
  Line* third = HLine(52, 92, 88, &down->end);
  Line* tee = Make<Line>(sheet, 28, 24, 28, 120, nullptr, across);
  ASSERT_EQ(tee->start.hostLine, across);
  EXPECT_TRUE(across->start.SetFlag(DrawObj::Highlighted, true));
  for (Line* l : {across, down, third}) {
    EXPECT_TRUE(l->Has(DrawObj::Highlighted));
    EXPECT_TRUE(l->start.Has(DrawObj::Highlighted) && l->end.Has(DrawObj::Highlighted));
  }
  EXPECT_FALSE(tee->Has(DrawObj::Highlighted) || tee->start.Has(DrawObj::Highlighted));
  EXPECT_TRUE(third->end.SetFlag(DrawObj::Highlighted, false));
  EXPECT_FALSE(across->start.Has(DrawObj::Highlighted));
}

}  // namespace
}  // namespace virlo
