#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "model/Selection.h"
#include "objects/Box.h"
#include "objects/StrBox.h"
#include "platform/Application.h"
#include "support/RecordingDeviceContext.h"
#include "support/SheetFixture.h"

namespace virlo {
namespace {

class BoxTest : public test::SheetFixture {
 protected:
  // The opposite corner given here is replaced by the fitted one.
  StrBox* MakeText(std::int32_t x1, std::int32_t y1, const char* text) {
    return Make<StrBox>(sheet, x1, y1, 0, 0, String(text), nullptr);
  }
  // Rows from..to of the art, joined by '/'.
  std::string Art(std::size_t from, std::size_t to) const {
    std::string art = Row(from);
    while (from < to) art += "/" + Row(++from);
    return art;
  }
  // The tools drag in two passes, collecting then moving, and settle with Select.
  static void Drag(DrawObj* obj, std::int32_t dx, std::int32_t dy) {
    for (const Selection::Moving moving : {Selection::Moving::CollectOnly, Selection::Moving::Shift}) {
      Selection pass(nullptr, moving);
      obj->Move(pass, dx, dy);
    }
    Selection settle;
    obj->Select(settle);
  }
  static std::string Calls(const test::RecordingDeviceContext& dc) {
    std::string all;
    for (const std::string& call : dc.Calls()) all += call + "|";
    return all;
  }
};
using StrBoxTest = BoxTest;

struct TextFontApp : Application {
  const Font* GetTextFont() const override { return font; }
  const Font* font = nullptr;
};

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

TEST_F(BoxTest, MovesAndDragsKeepARectangle) {
  Box* box = Make<Box>(sheet, 20, 24, 52, 56, nullptr);
  Selection s;
  EXPECT_EQ(box->Move(s, 16, 32), 1);
  EXPECT_EQ(box->Move(s, 16, 32), 0);  // already in the selection
  s.Clear();
  ExpectCorners(*box, {36, 56}, {68, 88});
  EXPECT_FALSE(box->Has(DrawObj::FreeMove) || box->top.Has(DrawObj::FreeMove));
  box->SetFlag(DrawObj::FreeMove, true);
  EXPECT_EQ(box->Move(s, -16, 16), 1);
  s.Clear();
  ExpectCorners(*box, {20, 72}, {52, 104});
  EXPECT_TRUE(box->Has(DrawObj::FreeMove) && box->top.Has(DrawObj::FreeMove));
  // A corner drag keeps the opposite corner fixed; a side drag moves only that side.
  Box* other = Make<Box>(sheet, 100, 24, 132, 56, nullptr);
  Drag(&other->right.end, 16, 32);
  ExpectCorners(*other, {100, 24}, {148, 88});
  Drag(&other->top, 16, -16);
  ExpectCorners(*other, {100, 8}, {148, 88});
}

TEST_F(BoxTest, ArtClipsToTheSheetAndCornersOverwriteText) {
  Make<Box>(sheet, -20, 24, 20, 56, nullptr);
  EXPECT_EQ(Art(1, 2), "--+/  |");
  Make<Box>(sheet, 596, 1000, 636, 1032, nullptr);
  ASSERT_EQ(Rows().size(), 64u);
  EXPECT_EQ(Rows()[62] + Rows()[63], std::string(74, ' ') + "+---" + std::string(74, ' ') + "|   ");
  // A side leaves earlier text alone, a corner overwrites it.
  MakeText(20, 88, "abcdefg");
  Make<Box>(sheet, 36, 104, 100, 136, nullptr);
  EXPECT_EQ(Art(6, 7), "   a+cdefg--+/    |       |");
}

TEST_F(StrBoxTest, FitsToTheTextAndAlignsEachLineInTheFrame) {
  StrBox* box = MakeText(20, 24, "abc\r\nde");
  StrBox* wide = MakeText(100, 24, "abcd\r\na");
  EXPECT_EQ(box->OppositeCorner(), (Point{52, 72}));
  box->frame = wide->frame = 1;
  EXPECT_EQ(Row(1), "  +---+     +----+");
  EXPECT_EQ(Row(2), "  |abc|     |abcd|");
  // The spare column of an odd difference goes to the right.
  const std::vector<std::pair<std::int32_t, std::string>> cases = {{StrBox::AlignLeft, "  |de |     |a   |"},
                                                                   {StrBox::AlignCentre, "  |de |     | a  |"},
                                                                   {StrBox::AlignRight, "  | de|     |   a|"}};
  for (const auto& [alignment, row] : cases) {
    box->alignment = wide->alignment = alignment;
    EXPECT_EQ(Row(3), row) << alignment;
  }
}

TEST_F(StrBoxTest, EmptyTextLineBreaksLongLinesAndDoubleByteText) {
  EXPECT_EQ(MakeText(20, 24, "")->OppositeCorner(), (Point{28, 56}));
  for (const std::string& row : Rows()) EXPECT_EQ(row, std::string(78, ' '));
  // A final line break starts no further line; a bare line feed keeps the byte before it.
  EXPECT_EQ(MakeText(20, 24, "abc\r\n")->OppositeCorner(), (Point{52, 56}));
  EXPECT_EQ(MakeText(100, 24, "ab\ncd")->OppositeCorner(), (Point{124, 72}));
  EXPECT_EQ(Art(2, 3), "   abc       ab/             cd");
  // A centred line wider than the box starts at the first inner column.
  StrBox* box = MakeText(20, 120, "abcdef\r\nab");
  box->Resize({20, 120, 52, 168});
  box->alignment = StrBox::AlignCentre;
  StrBox* wide = MakeText(100, 120, "\x93\xFA\x96\x7B\r\nab");
  EXPECT_EQ(wide->OppositeCorner(), (Point{140, 168}));
  wide->alignment = StrBox::AlignRight;
  EXPECT_EQ(Art(8, 9), "   abcdef    \x93\xFA\x96\x7B/   ab" + std::string(10, ' ') + "ab");
}

TEST_F(StrBoxTest, TextIsClippedToTheCanvas) {
  // The first corner lies in cell -3, so "a" and "b" fall left of the sheet.
  MakeText(-20, 24, "abcd\r\nxy");
  EXPECT_EQ(Row(2), "cd");
  EXPECT_EQ(Row(3), "");
  MakeText(596, 88, "abcdefgh");
  EXPECT_EQ(Rows().at(6) + Row(7), std::string(75, ' ') + "abc");  // never wraps
  MakeText(20, 1000, "a\r\nb\r\nc");
  ASSERT_EQ(Rows().size(), 64u);
  EXPECT_EQ(Row(63), "   a");
  // The first inner rows are rows -2 and -1: they take "a" and "b" without showing them.
  MakeText(100, -40, "a\r\nb\r\nc");
  EXPECT_EQ(Row(0), std::string(13, ' ') + "c");
}

TEST_F(StrBoxTest, DrawFillAndHitFollowAlignmentFrameHighlightAndAppFont) {
  StrBox* box = MakeText(20, 24, "abc\r\nde");
  box->SetFlag(DrawObj::Visible, true);
  test::RecordingDeviceContext dc;
  for (std::int32_t alignment : {0, 1, 2}) {
    box->alignment = alignment;
    dc.Reset();
    box->Draw(dc);
    EXPECT_EQ(Calls(dc), "DrawText(abc\r\nde,24,32,49,65,0x0C9" + std::to_string(alignment) + ")|");
  }
  Font fixed{"Fixedsys"}, previous{"System"};
  dc.SelectFont(&previous);
  TextFontApp app;
  app.font = &fixed;
  dc.Reset();
  box->Draw(dc);
  EXPECT_EQ(Calls(dc), "SelectFont(Fixedsys)|DrawText(abc\r\nde,24,32,49,65,0x0C92)|SelectFont(System)|");
  EXPECT_EQ(dc.CurrentFont(), &previous);
  app.font = nullptr;
  box->SetFlag(DrawObj::Highlighted, true);
  dc.Reset();
  box->Draw(dc);
  EXPECT_NE(Calls(dc).find("MoveTo(20,24)"), std::string::npos);
  EXPECT_EQ(Calls(dc).find("FillRect(20,24,52,72,"), std::string::npos);
  EXPECT_EQ(Calls(dc).find("SelectFont"), std::string::npos);
  box->SetFlag(DrawObj::Highlighted, false);
  box->frame = 1;
  box->SyncFilled();
  dc.Reset();
  box->Draw(dc);
  EXPECT_EQ(Calls(dc).rfind("FillRect(20,24,52,72,#ffffff)|", 0), 0u);

  // Unframed, the box is not filled yet still hit anywhere inside.
  box->frame = 0;
  Selection s;
  box->SelectAndRedraw(s);
  EXPECT_FALSE(box->Has(DrawObj::Filled));
  EXPECT_TRUE(box->HitTest(36, 48) && box->HitTest(16, 16) && !box->HitTest(56, 48));
  EXPECT_EQ(sheet->PickObject(36, 48, nullptr), box);
}

}  // namespace
}  // namespace virlo
