#include "objects/Box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/Selection.h"
#include "objects/Dot.h"
#include "objects/StrBox.h"
#include "support/RecordingDeviceContext.h"
#include "support/SheetFixture.h"

namespace virlo {
namespace {

class BoxTest : public test::SheetFixture {
 protected:
  // The standard test box: corners at the centres of cells (2,1) and (6,3).
  Box* MakeBox() { return Make<Box>(sheet, 20, 24, 52, 56, nullptr); }

  // Every side and corner point of a box.
  static std::vector<DrawObj*> Parts(Box* box) {
    return {&box->top,       &box->right,       &box->bottom,       &box->left,
            &box->top.start, &box->top.end,     &box->right.start,  &box->right.end,
            &box->bottom.start, &box->bottom.end, &box->left.start, &box->left.end};
  }

  // The tools drag in two passes: collect without moving, then move.
  static void Drag(DrawObj* obj, std::int32_t dx, std::int32_t dy) {
    Selection collect(nullptr, 0);
    obj->Move(collect, dx, dy);
    collect.Clear();
    Selection move;
    obj->Move(move, dx, dy);
    move.Clear();
    Selection settle;
    obj->Select(settle);
    settle.Clear();
  }
};

// All eight side ends sit on the rectangle spanned by the first corner a and
// the opposite corner b, as the side table lays them out.
void ExpectCorners(const Box& box, Point a, Point b) {
  EXPECT_EQ(box.top.start.GetPos(), (Point{a.x, a.y}));
  EXPECT_EQ(box.top.end.GetPos(), (Point{b.x, a.y}));
  EXPECT_EQ(box.right.start.GetPos(), (Point{b.x, a.y}));
  EXPECT_EQ(box.right.end.GetPos(), (Point{b.x, b.y}));
  EXPECT_EQ(box.bottom.start.GetPos(), (Point{b.x, b.y}));
  EXPECT_EQ(box.bottom.end.GetPos(), (Point{a.x, b.y}));
  EXPECT_EQ(box.left.start.GetPos(), (Point{a.x, b.y}));
  EXPECT_EQ(box.left.end.GetPos(), (Point{a.x, a.y}));
}

void ExpectJoined(Box& box) {
  EXPECT_EQ(box.top.end.partner, &box.right.start);
  EXPECT_EQ(box.right.start.partner, &box.top.end);
  EXPECT_EQ(box.right.end.partner, &box.bottom.start);
  EXPECT_EQ(box.bottom.start.partner, &box.right.end);
  EXPECT_EQ(box.bottom.end.partner, &box.left.start);
  EXPECT_EQ(box.left.start.partner, &box.bottom.end);
  EXPECT_EQ(box.left.end.partner, &box.top.start);
  EXPECT_EQ(box.top.start.partner, &box.left.end);
}

TEST_F(BoxTest, ConstructionLaysOutJoinedSidesAndListsOnlyTheBox) {
  Box* older = MakeBox();
  Box* box = Make<Box>(sheet, 20, 24, 52, 56, nullptr);
  ExpectCorners(*box, {20, 24}, {52, 56});
  ExpectJoined(*box);
  EXPECT_EQ(box->top.orientation, Line::Horizontal);
  EXPECT_EQ(box->bottom.orientation, Line::Horizontal);
  EXPECT_EQ(box->left.orientation, Line::Vertical);
  EXPECT_EQ(box->right.orientation, Line::Vertical);
  EXPECT_EQ(box->FirstCorner(), (Point{20, 24}));
  EXPECT_EQ(box->OppositeCorner(), (Point{52, 56}));
  EXPECT_EQ(box->GetPos(), (Point{52, 24}));

  EXPECT_EQ(sheet->objects.Front(), box);
  EXPECT_EQ(sheet->objects.Contains(older), 1);
  for (DrawObj* part : Parts(box)) EXPECT_EQ(sheet->objects.Contains(part), 0);
  EXPECT_EQ(box->top.parent, box);
  EXPECT_EQ(box->left.parent, box);
  EXPECT_EQ(box->top.start.parent, &box->top);
  EXPECT_EQ(box->parent, nullptr);
}

TEST_F(BoxTest, RendersFrameAndZeroSizeBoxAsSinglePlus) {
  Box* box = MakeBox();
  EXPECT_EQ(Row(0), "");
  EXPECT_EQ(Row(1), "  +---+");
  EXPECT_EQ(Row(2), "  |   |");
  EXPECT_EQ(Row(3), "  +---+");
  EXPECT_EQ(Row(4), "");
  store::Delete(box);

  Box* dot = Make<Box>(sheet, 20, 24, 20, 24, nullptr);
  // A zero-length side must not fall back to the line's own orientation rule.
  EXPECT_EQ(dot->left.orientation, Line::Vertical);
  EXPECT_EQ(dot->right.orientation, Line::Vertical);
  EXPECT_EQ(dot->top.orientation, Line::Horizontal);
  EXPECT_EQ(dot->bottom.orientation, Line::Horizontal);
  EXPECT_EQ(Row(0), "");
  EXPECT_EQ(Row(1), "  +");
  EXPECT_EQ(Row(2), "");
}

TEST_F(BoxTest, UnnormalisedCornersBehaveAsTheNormalisedBox) {
  Box* box = Make<Box>(sheet, 52, 56, 20, 24, nullptr);
  EXPECT_EQ(box->GetRect(0), (Rect{16, 16, 56, 64}));
  EXPECT_EQ(box->GetRect(1), (Rect{19, 23, 53, 57}));
  EXPECT_TRUE(box->HitTest(20, 24));
  EXPECT_TRUE(box->HitTest(36, 56));
  EXPECT_TRUE(box->HitTest(52, 40));
  EXPECT_FALSE(box->HitTest(36, 40));
  EXPECT_FALSE(box->HitTest(60, 40));
  EXPECT_EQ(Row(1), "  +---+");
  EXPECT_EQ(Row(2), "  |   |");
  EXPECT_EQ(Row(3), "  +---+");

  box->flags |= DrawObj::Filled;
  EXPECT_TRUE(box->HitTest(36, 40));
  EXPECT_TRUE(box->HitTest(16, 16));
  EXPECT_FALSE(box->HitTest(56, 40));
  EXPECT_FALSE(box->HitTest(36, 64));
}

TEST_F(BoxTest, HitAndTargetsDependOnSidesCornersAndFill) {
  Box* box = MakeBox();
  // Inside, more than half a cell from every side.
  EXPECT_FALSE(box->HitTest(36, 40));
  EXPECT_EQ(box->FindTarget(36, 40, nullptr), nullptr);
  EXPECT_TRUE(box->HitTest(36, 24));
  EXPECT_TRUE(box->HitTest(20, 40));
  EXPECT_TRUE(box->HitTest(36, 63));
  EXPECT_FALSE(box->HitTest(36, 64));

  EXPECT_EQ(box->FindTarget(20, 24, nullptr), &box->top.start);
  EXPECT_EQ(box->FindTarget(52, 24, nullptr), &box->top.end);
  EXPECT_EQ(box->FindTarget(52, 56, nullptr), &box->right.end);
  EXPECT_EQ(box->FindTarget(20, 56, nullptr), &box->bottom.end);
  EXPECT_EQ(box->FindTarget(36, 24, nullptr), &box->top);
  EXPECT_EQ(box->FindTarget(52, 40, nullptr), &box->right);
  EXPECT_EQ(box->FindTarget(36, 56, nullptr), &box->bottom);
  EXPECT_EQ(box->FindTarget(20, 40, nullptr), &box->left);
  // With the top start excluded the top side itself answers there.
  EXPECT_EQ(box->FindTarget(20, 24, &box->top.start), &box->top);

  box->flags |= DrawObj::Filled;
  EXPECT_TRUE(box->HitTest(36, 40));
  EXPECT_EQ(box->FindTarget(36, 40, nullptr), box);
  EXPECT_EQ(box->FindTarget(36, 24, nullptr), &box->top);
  EXPECT_EQ(sheet->PickObject(36, 40, nullptr), box);
}

TEST_F(BoxTest, MovingTheBoxCarriesEverySideAndWhatRestsOnThem) {
  Box* box = MakeBox();
  Dot* dot = Make<Dot>(sheet, 36, 24, -1, nullptr);
  {
    Selection settle;
    dot->Select(settle);
  }
  ASSERT_EQ(dot->parent, &box->top);

  Selection none;
  EXPECT_EQ(box->Move(none, 0, 0), 0);
  none.Clear();

  Selection s;
  EXPECT_EQ(box->Move(s, 16, 32), 1);
  // A box already in the Selection refuses a second move.
  EXPECT_EQ(box->Move(s, 16, 32), 0);
  s.Clear();
  ExpectCorners(*box, {36, 56}, {68, 88});
  EXPECT_EQ(dot->GetPos(), (Point{52, 56}));
  EXPECT_FALSE(box->Has(DrawObj::FreeMove));
  for (DrawObj* part : Parts(box)) EXPECT_FALSE(part->Has(DrawObj::FreeMove));

  box->SetFlag(DrawObj::FreeMove, 1);
  Selection again;
  EXPECT_EQ(box->Move(again, -16, 16), 1);
  again.Clear();
  ExpectCorners(*box, {20, 72}, {52, 104});
  EXPECT_TRUE(box->Has(DrawObj::FreeMove));
  EXPECT_TRUE(box->top.Has(DrawObj::FreeMove));
  EXPECT_EQ(box->selection, nullptr);
}

TEST_F(BoxTest, DraggingACornerOrASideResizesTheRectangle) {
  Box* box = MakeBox();
  Drag(&box->right.end, 16, 32);
  ExpectCorners(*box, {20, 24}, {68, 88});
  Drag(&box->top.start, -8, -16);
  ExpectCorners(*box, {12, 8}, {68, 88});
  // Corners keep their partners after the settling Select.
  ExpectJoined(*box);

  Box* other = Make<Box>(sheet, 100, 24, 132, 56, nullptr);
  Drag(&other->right, 16, 16);
  ExpectCorners(*other, {100, 24}, {148, 56});
  Drag(&other->top, 16, -16);
  ExpectCorners(*other, {100, 8}, {148, 56});
  ExpectJoined(*other);
}

TEST_F(BoxTest, FlagsSpreadOverTheWholeBox) {
  Box* box = MakeBox();
  EXPECT_EQ(box->SetFlag(DrawObj::Highlighted, 1), 1);
  EXPECT_EQ(box->SetFlag(DrawObj::Highlighted, 1), 0);
  for (DrawObj* part : Parts(box)) EXPECT_TRUE(part->Has(DrawObj::Highlighted));
  EXPECT_EQ(box->SetFlag(DrawObj::Highlighted, 0), 1);
  for (DrawObj* part : Parts(box)) EXPECT_FALSE(part->Has(DrawObj::Highlighted));

  // Flagging one corner reaches the box and through it every other part.
  EXPECT_EQ(box->bottom.end.SetFlag(DrawObj::Highlighted, 1), 1);
  EXPECT_TRUE(box->Has(DrawObj::Highlighted));
  for (DrawObj* part : Parts(box)) EXPECT_TRUE(part->Has(DrawObj::Highlighted));
}

TEST_F(BoxTest, ResizeMovesBothCornersAndKeepsARectangle) {
  Box* box = MakeBox();
  box->Resize({100, 120, 20, 24});
  ExpectCorners(*box, {20, 24}, {100, 120});
  ExpectJoined(*box);
  // Text boxes shrink this way: the first corner stays put.
  box->Resize({20, 24, 44, 72});
  ExpectCorners(*box, {20, 24}, {44, 72});
  EXPECT_EQ(box->selection, nullptr);
  for (DrawObj* part : Parts(box)) EXPECT_EQ(part->selection, nullptr);
  EXPECT_EQ(Row(1), "  +--+");
  EXPECT_EQ(Row(2), "  |  |");
  EXPECT_EQ(Row(3), "  |  |");
  EXPECT_EQ(Row(4), "  +--+");
}

TEST_F(BoxTest, CloneCopiesGeometryAndRejoinsCorners) {
  Box* box = Make<Box>(sheet, 20, 24, 20, 56, nullptr);
  box->SetFlag(DrawObj::Visible, 1);
  Sheet* target = Make<Sheet>(1024, 1024, 8, 16);
  ASSERT_NE(target, nullptr);
  auto* copy = dynamic_cast<Box*>(box->Clone(target));
  ASSERT_NE(copy, nullptr);
  ExpectCorners(*copy, {20, 24}, {20, 56});
  ExpectJoined(*copy);
  EXPECT_EQ(copy->top.orientation, Line::Horizontal);
  EXPECT_EQ(copy->bottom.orientation, Line::Horizontal);
  EXPECT_EQ(copy->parent, nullptr);
  EXPECT_EQ(copy->sheet, target);
  EXPECT_EQ(copy->top.parent, copy);
  EXPECT_EQ(copy->right.end.parent, &copy->right);
  EXPECT_TRUE(copy->Has(DrawObj::Visible));
  EXPECT_EQ(target->objects.Contains(copy), 0);
  EXPECT_EQ(sheet->objects.Contains(copy), 0);
  store::Delete(copy);
  // The original is untouched by the copy's deletion.
  ExpectJoined(*box);
  store::Delete(target);

  store::AllocationFailure guard(0);
  EXPECT_EQ(box->Clone(sheet), nullptr);
}

TEST_F(BoxTest, RendersOnlyInsideTheSheet) {
  // The left corners lie left of the sheet.
  Make<Box>(sheet, -20, 24, 20, 56, nullptr);
  EXPECT_EQ(Row(1), "--+");
  EXPECT_EQ(Row(2), "  |");
  EXPECT_EQ(Row(3), "--+");
  // The right and bottom corners lie beyond the sheet.
  Make<Box>(sheet, 596, 1000, 636, 1032, nullptr);
  const std::vector<std::string> rows = Rows();
  ASSERT_EQ(rows.size(), 64u);
  EXPECT_EQ(rows[62], std::string(74, ' ') + "+---");
  EXPECT_EQ(rows[63], std::string(74, ' ') + "|   ");
  for (const std::string& row : rows) EXPECT_EQ(row.size(), 78u);
}

TEST_F(BoxTest, SidesKeepEarlierTextButCornersOverwriteIt) {
  Make<StrBox>(sheet, 20, 24, 0, 0, String("abcdefg"), nullptr);
  ASSERT_EQ(Row(2), "   abcdefg");
  Make<Box>(sheet, 36, 40, 100, 72, nullptr);
  EXPECT_EQ(Row(2), "   a+cdefg--+");
  EXPECT_EQ(Row(3), "    |       |");
  EXPECT_EQ(Row(4), "    +-------+");
}

TEST_F(BoxTest, DrawFillsTheNormalisedFrameBeforeTheSides) {
  Box* box = Make<Box>(sheet, 52, 56, 20, 24, nullptr);
  box->SetFlag(DrawObj::Visible, 1);
  test::RecordingDeviceContext dc;
  box->Draw(dc);
  for (const std::string& call : dc.Calls()) EXPECT_EQ(call.rfind("FillRect", 0), std::string::npos) << call;

  box->flags |= DrawObj::Filled;
  dc.Reset();
  box->Draw(dc);
  ASSERT_FALSE(dc.Calls().empty());
  EXPECT_EQ(dc.Calls().front(), "FillRect(20,24,52,56,#ffffff)");
  std::vector<std::string> moves;
  for (const std::string& call : dc.Calls()) {
    if (call.rfind("MoveTo", 0) == 0) moves.push_back(call);
  }
  // Clockwise from the first corner: top, right, bottom, left.
  EXPECT_EQ(moves, (std::vector<std::string>{"MoveTo(52,56)", "MoveTo(20,56)", "MoveTo(20,24)", "MoveTo(52,24)"}));
}

TEST_F(BoxTest, DeletingTheBoxFreesWhatRestsOnItsSides) {
  Box* box = MakeBox();
  Dot* dot = Make<Dot>(sheet, 36, 24, -1, nullptr);
  {
    Selection settle;
    dot->Select(settle);
  }
  ASSERT_EQ(dot->parent, &box->top);
  ASSERT_EQ(box->top.attached.Contains(dot), 1);
  store::Delete(box);
  EXPECT_EQ(dot->parent, nullptr);
  EXPECT_EQ(dot->GetLine(), nullptr);
  EXPECT_EQ(dot->GetPos(), (Point{36, 24}));
  EXPECT_EQ(sheet->objects.Contains(dot), 1);
  EXPECT_EQ(sheet->objects.Contains(box), 0);
  EXPECT_EQ(Row(1), "    O");
  EXPECT_EQ(Row(2), "");
}

}  // namespace
}  // namespace virlo
