#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "objects/Box.h"
#include "support/RecordingDeviceContext.h"
#include "support/SheetFixture.h"

namespace virlo {
namespace {

using BoxTest = test::SheetFixture;

// Side ends lie on the rectangle from a to b, clockwise from the top, and
// each corner joins the two ends that meet there.
void ExpectCorners(Box& box, Point a, Point b) {
  const std::vector<std::pair<LinkPoint*, Point>> ends = {
      {&box.top.start, a},    {&box.top.end, {b.x, a.y}},    {&box.right.start, {b.x, a.y}}, {&box.right.end, b},
      {&box.bottom.start, b}, {&box.bottom.end, {a.x, b.y}}, {&box.left.start, {a.x, b.y}},  {&box.left.end, a}};
  for (std::size_t i = 0; i < ends.size(); ++i) {
    EXPECT_EQ(ends[i].first->GetPos(), ends[i].second) << i;
    EXPECT_EQ(ends[i].first->partner, ends[(i % 2 == 0 ? i + 7 : i + 1) % 8].first) << i;
  }
}

TEST_F(BoxTest, LayoutArtZeroSizeAndClone) {
  ExpectCorners(*Make<Box>(sheet, 20, 24, 52, 56, nullptr), {20, 24}, {52, 56});
  // Zero-length sides keep their side's orientation rather than guessing one.
  Box* dot = Make<Box>(sheet, 100, 24, 100, 24, nullptr);
  ExpectCorners(*dot, {100, 24}, {100, 24});
  for (Line* side : {&dot->top, &dot->bottom}) EXPECT_EQ(side->orientation, Line::Horizontal);
  for (Line* side : {&dot->left, &dot->right}) EXPECT_EQ(side->orientation, Line::Vertical);
  EXPECT_EQ(Art(0, 4), "/  +---+     +/  |   |/  +---+/");

  Sheet* target = Make<Sheet>(1024, 1024, 8, 16);
  auto* copy = dynamic_cast<Box*>(dot->Clone(target));
  ASSERT_NE(copy, nullptr);
  ExpectCorners(*copy, {100, 24}, {100, 24});
  EXPECT_EQ(copy->left.orientation, Line::Vertical);
  store::Delete(copy);
  store::Delete(target);
  store::AllocationFailure guard(0);
  EXPECT_EQ(dot->Clone(sheet), nullptr);
}

TEST_F(BoxTest, UnnormalisedCornersGiveTheSameRectArtHitsTargetsAndFill) {
  Box* box = Make<Box>(sheet, 52, 56, 20, 24, nullptr);
  EXPECT_EQ(box->GetRect(DrawObj::Area::Hit), (Rect{16, 16, 56, 64}));
  EXPECT_EQ(box->GetRect(DrawObj::Area::Redraw), (Rect{19, 23, 53, 57}));
  EXPECT_EQ(Art(1, 3), "  +---+/  |   |/  +---+");
  EXPECT_TRUE(box->HitTest(36, 56) && box->HitTest(20, 40));
  EXPECT_FALSE(box->HitTest(36, 40));
  EXPECT_EQ(box->FindTarget(36, 40, nullptr), nullptr);
  EXPECT_EQ(box->FindTarget(52, 56, nullptr), &box->top.start);
  EXPECT_EQ(box->FindTarget(20, 56, nullptr), &box->top.end);
  EXPECT_EQ(box->FindTarget(20, 24, nullptr), &box->right.end);
  EXPECT_EQ(box->FindTarget(52, 24, nullptr), &box->bottom.end);
  EXPECT_EQ(box->FindTarget(20, 40, nullptr), &box->right);

  // A filled box paints white under its sides and is hit anywhere inside.
  test::RecordingDeviceContext dc;
  box->SetFlag(DrawObj::Visible, true);
  box->Draw(dc);
  EXPECT_NE(dc.Calls().at(0).rfind("FillRect", 0), 0u);
  box->flags |= DrawObj::Filled;
  dc.Reset();
  box->Draw(dc);
  EXPECT_EQ(dc.Calls().at(0), "FillRect(20,24,52,56,#ffffff)");
  EXPECT_TRUE(box->HitTest(16, 16) && !box->HitTest(56, 40));
  EXPECT_EQ(box->FindTarget(36, 40, nullptr), box);
  EXPECT_EQ(box->FindTarget(36, 56, nullptr), &box->top);
  EXPECT_EQ(sheet->PickObject(36, 40, nullptr), box);
}

// A rounded corner is one quarter circle from where its side stops to where
// the next begins; a double side has two, one unit either side of it.
TEST_F(BoxTest, RoundedCornersAreArcsRunningOnFromTheirSides) {
  Box* box = Make<Box>(sheet, 20, 24, 100, 88, nullptr);
  box->corners = Box::Rounded;
  box->SetFlag(DrawObj::Visible, true);
  const std::vector<std::pair<Stroke, std::vector<std::string>>> cases = {
      {Stroke::Solid,
       {"LineTo(96,24)", "Arc(96,24,96,28,100,28)", "LineTo(100,84)", "Arc(100,84,96,84,96,88)", "LineTo(24,88)",
        "Arc(24,88,24,84,20,84)", "LineTo(20,28)", "Arc(20,28,24,28,24,24)"}},
      {Stroke::Double,
       {"LineTo(96,23)", "Arc(96,23,96,28,101,28)", "LineTo(96,25)", "Arc(96,25,96,28,99,28)", "LineTo(101,84)",
        "Arc(101,84,96,84,96,89)", "LineTo(99,84)", "Arc(99,84,96,84,96,87)", "LineTo(24,89)", "Arc(24,89,24,84,19,84)",
        "LineTo(24,87)", "Arc(24,87,24,84,21,84)", "LineTo(19,28)", "Arc(19,28,24,28,24,23)", "LineTo(21,28)",
        "Arc(21,28,24,28,24,25)"}},
  };
  for (const auto& [stroke, wanted] : cases) {
    for (Line* side : {&box->top, &box->right, &box->bottom, &box->left})
      side->stroke = static_cast<std::int32_t>(stroke);
    test::RecordingDeviceContext dc;
    box->Draw(dc);
    // Each arc with the call before it: the side it continues.
    std::vector<std::string> arcs;
    for (std::size_t i = 1; i < dc.Calls().size(); ++i) {
      if (dc.Calls()[i].rfind("Arc(", 0) != 0) continue;
      arcs.push_back(dc.Calls()[i - 1]);
      arcs.push_back(dc.Calls()[i]);
    }
    EXPECT_EQ(arcs, wanted) << static_cast<int>(stroke);
  }
}

}  // namespace
}  // namespace virlo
