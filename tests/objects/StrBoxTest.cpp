#include "objects/StrBox.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "model/Selection.h"
#include "platform/Application.h"
#include "support/RecordingDeviceContext.h"
#include "support/SheetFixture.h"

namespace virlo {
namespace {

class StrBoxTest : public test::SheetFixture {
 protected:
  // The opposite corner given here is replaced by the fitted one.
  StrBox* MakeText(std::int32_t x1, std::int32_t y1, const char* text) {
    return Make<StrBox>(sheet, x1, y1, 0, 0, String(text), nullptr);
  }

  static void Drag(DrawObj* obj, std::int32_t dx, std::int32_t dy) {
    Selection collect(nullptr, 0);
    obj->Move(collect, dx, dy);
    collect.Clear();
    Selection move;
    obj->Move(move, dx, dy);
    move.Clear();
  }

  static void Redraw(DrawObj* obj) {
    Selection s;
    obj->SelectAndRedraw(s);
    s.Clear();
  }

  static std::string DrawTextCall(const test::RecordingDeviceContext& dc) {
    for (const std::string& call : dc.Calls()) {
      if (call.rfind("DrawText(", 0) == 0) return call;
    }
    return "";
  }

  static bool HasCall(const test::RecordingDeviceContext& dc, const std::string& prefix) {
    for (const std::string& call : dc.Calls()) {
      if (call.rfind(prefix, 0) == 0) return true;
    }
    return false;
  }
};

class TextFontApp : public Application {
 public:
  const Font* GetTextFont() const override { return font; }
  const Font* font = nullptr;
};

TEST_F(StrBoxTest, FitsItselfToTheTextFromTheFirstCorner) {
  StrBox* box = MakeText(20, 24, "abc\r\nde");
  EXPECT_EQ(box->FirstCorner(), (Point{20, 24}));
  EXPECT_EQ(box->OppositeCorner(), (Point{52, 72}));
  EXPECT_EQ(box->frame, 0);
  EXPECT_EQ(box->alignment, 0);
  box->frame = 1;
  EXPECT_EQ(Row(0), "");
  EXPECT_EQ(Row(1), "  +---+");
  EXPECT_EQ(Row(2), "  |abc|");
  EXPECT_EQ(Row(3), "  |de |");
  EXPECT_EQ(Row(4), "  +---+");
  EXPECT_EQ(Row(5), "");
  store::Delete(box);

  // A final line break starts no further line.
  EXPECT_EQ(MakeText(20, 24, "abc\r\n")->OppositeCorner(), (Point{52, 56}));
  // A bare line feed ends a line without costing the byte before it.
  StrBox* bare = MakeText(100, 24, "ab\ncd");
  EXPECT_EQ(bare->OppositeCorner(), (Point{124, 72}));
  EXPECT_EQ(MakeText(200, 24, "a\r\nbc\nd")->OppositeCorner(), (Point{224, 88}));
  EXPECT_EQ(Row(2), "   abc" + std::string(7, ' ') + "ab" + std::string(11, ' ') + "a");
  EXPECT_EQ(Row(3), std::string(13, ' ') + "cd" + std::string(11, ' ') + "bc");
  EXPECT_EQ(Row(4), std::string(26, ' ') + "d");
}

TEST_F(StrBoxTest, EmptyTextIsOneCellWideAndWritesOnlyTheFrame) {
  StrBox* box = MakeText(20, 24, "");
  EXPECT_EQ(box->OppositeCorner(), (Point{28, 56}));
  EXPECT_EQ(box->GetText(), "");
  for (const std::string& row : Rows()) EXPECT_EQ(row, std::string(78, ' '));
  box->frame = 1;
  EXPECT_EQ(Row(1), "  ++");
  EXPECT_EQ(Row(2), "  ||");
  EXPECT_EQ(Row(3), "  ++");
}

TEST_F(StrBoxTest, AlignsEachLineWithinTheInnerWidth) {
  StrBox* box = MakeText(20, 24, "abc\r\nde");
  EXPECT_EQ(Row(2), "   abc");
  EXPECT_EQ(Row(3), "   de");
  box->alignment = 2;
  EXPECT_EQ(Row(2), "   abc");
  EXPECT_EQ(Row(3), "    de");
  box->alignment = 1;
  EXPECT_EQ(Row(3), "   de");
  box->alignment = 7;
  EXPECT_EQ(Row(3), "   de");
  store::Delete(box);

  // The spare column of an odd difference goes to the right.
  StrBox* centred = MakeText(20, 24, "abcd\r\na\r\nab");
  centred->alignment = 1;
  EXPECT_EQ(Row(2), "   abcd");
  EXPECT_EQ(Row(3), "    a");
  EXPECT_EQ(Row(4), "    ab");
}

TEST_F(StrBoxTest, EnlargedBoxLeavesRowsBelowTheTextUntouched) {
  MakeText(20, 56, "zzzzz");
  ASSERT_EQ(Row(4), "   zzzzz");
  StrBox* box = MakeText(20, 24, "abc\r\nde");
  Drag(&box->right.end, 32, 32);
  EXPECT_EQ(box->OppositeCorner(), (Point{84, 104}));
  EXPECT_EQ(Row(2), "   abc");
  EXPECT_EQ(Row(3), "   de");
  EXPECT_EQ(Row(4), "   zzzzz");
  EXPECT_EQ(Row(5), "");
  box->alignment = 2;
  EXPECT_EQ(Row(2), "       abc");
  EXPECT_EQ(Row(3), "        de");
}

TEST_F(StrBoxTest, TextIsClippedToTheCanvas) {
  // Starting left of column 0 drops the leading bytes.
  MakeText(-20, 24, "abcd\r\nxy");
  EXPECT_EQ(Row(2), "bcd");
  EXPECT_EQ(Row(3), "y");

  // Running past the last column is cut at the row's end, never into the next row.
  MakeText(596, 88, "abcdefgh");
  std::vector<std::string> rows = Rows();
  EXPECT_EQ(rows.at(6), std::string(75, ' ') + "abc");
  EXPECT_EQ(Row(7), "");

  // Rows below the canvas are not written.
  MakeText(20, 1000, "a\r\nb\r\nc");
  rows = Rows();
  ASSERT_EQ(rows.size(), 64u);
  EXPECT_EQ(Row(63), "   a");
  for (const std::string& row : rows) EXPECT_EQ(row.size(), 78u);
}

TEST_F(StrBoxTest, RowsAboveTheCanvasStillConsumeTheirLines) {
  MakeText(100, -40, "a\r\nb\r\nc\r\nd");
  // The first inner row is row -1; it takes "a" without showing it.
  EXPECT_EQ(Row(0), std::string(13, ' ') + "b");
  EXPECT_EQ(Row(1), std::string(13, ' ') + "c");
  EXPECT_EQ(Row(2), "");
}

TEST_F(StrBoxTest, FrameSwitchDecidesFilledButTheWholeAreaIsHit) {
  StrBox* box = MakeText(20, 24, "abc\r\nde");
  box->frame = 1;
  Redraw(box);
  EXPECT_TRUE(box->Has(DrawObj::Filled));
  // Filled lives in the text box alone, not in its sides.
  EXPECT_FALSE(box->top.Has(DrawObj::Filled));
  box->frame = 0;
  Redraw(box);
  EXPECT_FALSE(box->Has(DrawObj::Filled));
  EXPECT_TRUE(box->HitTest(36, 48));
  EXPECT_TRUE(box->HitTest(16, 16));
  EXPECT_FALSE(box->HitTest(56, 48));
  EXPECT_FALSE(box->HitTest(36, 80));
  EXPECT_EQ(box->FindTarget(36, 48, nullptr), box);
  EXPECT_EQ(box->FindTarget(20, 24, nullptr), &box->top.start);
  EXPECT_EQ(box->FindTarget(52, 48, nullptr), &box->right);
  EXPECT_EQ(sheet->PickObject(36, 48, nullptr), box);
}

TEST_F(StrBoxTest, LongLineInAShrunkFrameKeepsItsCells) {
  MakeText(4, 8, "xxxxxxxxx");
  StrBox* box = MakeText(20, 24, "abcdef");
  box->frame = 1;
  box->Resize({20, 24, 52, 56});
  EXPECT_EQ(box->OppositeCorner(), (Point{52, 56}));
  // The side skips the back box's text, the corners overwrite it.
  EXPECT_EQ(Row(1), " x+xxx+xxx");
  EXPECT_EQ(Row(2), "  |abcdef");
  EXPECT_EQ(Row(3), "  +---+");
}

TEST_F(StrBoxTest, LinesWiderThanTheBoxStartAtTheFirstInnerColumnWhenCentred) {
  StrBox* box = MakeText(20, 24, "abcdef\r\nab");
  box->Resize({20, 24, 52, 72});
  box->alignment = 1;
  EXPECT_EQ(Row(2), "   abcdef");
  EXPECT_EQ(Row(3), "   ab");
  // Right alignment of a too-long line reaches left of the frame instead.
  box->alignment = 2;
  EXPECT_EQ(Row(2), "abcdef");
  EXPECT_EQ(Row(3), "    ab");
}

TEST_F(StrBoxTest, DoubleByteCharactersTakeTwoCells) {
  StrBox* box = MakeText(20, 24, "\x93\xFA\x96\x7B\r\nab");
  EXPECT_EQ(box->OppositeCorner(), (Point{60, 72}));
  box->frame = 1;
  EXPECT_EQ(Row(1), "  +----+");
  EXPECT_EQ(Row(2), "  |\x93\xFA\x96\x7B|");
  EXPECT_EQ(Row(3), "  |ab  |");
  box->alignment = 2;
  EXPECT_EQ(Row(3), "  |  ab|");
}

TEST_F(StrBoxTest, DrawLaysTextIntoTheInnerRectangleByAlignment) {
  StrBox* box = MakeText(20, 24, "abc\r\nde");
  test::RecordingDeviceContext dc;
  box->Draw(dc);
  EXPECT_EQ(dc.Calls(), (std::vector<std::string>{"DrawText(abc\r\nde,24,32,49,65,0x0C90)"}));
  const std::vector<std::pair<std::int32_t, std::string>> formats = {
      {1, "0x0C91"}, {2, "0x0C92"}, {3, "0x0C90"}, {0, "0x0C90"}};
  for (const auto& [alignment, format] : formats) {
    box->alignment = alignment;
    dc.Reset();
    box->Draw(dc);
    EXPECT_EQ(DrawTextCall(dc), "DrawText(abc\r\nde,24,32,49,65," + format + ")") << alignment;
  }
  store::Delete(box);

  StrBox* empty = MakeText(100, 40, "");
  dc.Reset();
  empty->Draw(dc);
  EXPECT_EQ(DrawTextCall(dc), "DrawText(,104,48,105,65,0x0C90)");
}

TEST_F(StrBoxTest, DrawPaintsTheBoxOnlyWhenFramedOrHighlighted) {
  StrBox* box = MakeText(20, 24, "abc\r\nde");
  box->SetFlag(DrawObj::Visible, 1);
  test::RecordingDeviceContext dc;
  box->Draw(dc);
  EXPECT_FALSE(HasCall(dc, "MoveTo"));
  EXPECT_FALSE(HasCall(dc, "FillRect"));

  box->SetFlag(DrawObj::Highlighted, 1);
  dc.Reset();
  box->Draw(dc);
  EXPECT_TRUE(HasCall(dc, "MoveTo(20,24)"));
  EXPECT_FALSE(HasCall(dc, "FillRect(20,24,52,72,#ffffff)"));
  EXPECT_EQ(dc.Calls().back().rfind("DrawText(", 0), 0u);

  box->SetFlag(DrawObj::Highlighted, 0);
  box->frame = 1;
  Redraw(box);
  dc.Reset();
  box->Draw(dc);
  ASSERT_FALSE(dc.Calls().empty());
  EXPECT_EQ(dc.Calls().front(), "FillRect(20,24,52,72,#ffffff)");
  EXPECT_TRUE(HasCall(dc, "MoveTo(52,72)"));
  EXPECT_EQ(dc.Calls().back(), "DrawText(abc\r\nde,24,32,49,65,0x0C90)");
}

TEST_F(StrBoxTest, DrawUsesTheApplicationTextFontAndRestoresThePrevious) {
  StrBox* box = MakeText(20, 24, "abc\r\nde");
  Font fixed;
  fixed.face = "Fixedsys";
  Font previous;
  previous.face = "System";
  test::RecordingDeviceContext dc;
  dc.SelectFont(&previous);
  {
    TextFontApp app;
    app.font = &fixed;
    dc.Reset();
    box->Draw(dc);
    EXPECT_EQ(dc.Calls(), (std::vector<std::string>{"SelectFont(Fixedsys)", "DrawText(abc\r\nde,24,32,49,65,0x0C90)",
                                                    "SelectFont(System)"}));
    EXPECT_EQ(dc.CurrentFont(), &previous);

    // An application without a text font yet leaves the context's font alone.
    app.font = nullptr;
    dc.Reset();
    box->Draw(dc);
    EXPECT_FALSE(HasCall(dc, "SelectFont"));
  }
  dc.Reset();
  box->Draw(dc);
  EXPECT_FALSE(HasCall(dc, "SelectFont"));
  EXPECT_EQ(dc.CurrentFont(), &previous);
}

TEST_F(StrBoxTest, CloneCopiesTextFrameAndAlignmentWithoutRefitting) {
  StrBox* box = MakeText(20, 24, "abc\r\nde");
  box->frame = 1;
  box->alignment = 2;
  Redraw(box);
  box->Resize({20, 24, 100, 120});
  Sheet* target = Make<Sheet>(1024, 1024, 8, 16);
  ASSERT_NE(target, nullptr);
  auto* copy = dynamic_cast<StrBox*>(box->Clone(target));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetText(), "abc\r\nde");
  EXPECT_EQ(copy->frame, 1);
  EXPECT_EQ(copy->alignment, 2);
  EXPECT_TRUE(copy->Has(DrawObj::Filled));
  EXPECT_EQ(copy->FirstCorner(), (Point{20, 24}));
  EXPECT_EQ(copy->OppositeCorner(), (Point{100, 120}));
  EXPECT_EQ(copy->right.end.partner, &copy->bottom.start);
  EXPECT_EQ(copy->parent, nullptr);
  EXPECT_EQ(target->objects.Contains(copy), 0);
  // The copy owns its own bytes.
  box->SetText("x");
  EXPECT_EQ(copy->GetText(), "abc\r\nde");
  store::Delete(copy);
  store::Delete(target);

  store::AllocationFailure guard(0);
  EXPECT_EQ(box->Clone(sheet), nullptr);
}

TEST_F(StrBoxTest, SetTextRefitsFromTheCurrentFirstCorner) {
  StrBox* box = MakeText(20, 24, "abc");
  Selection s;
  box->Move(s, 16, 16);
  s.Clear();
  EXPECT_EQ(box->FirstCorner(), (Point{36, 40}));
  box->SetText("hello\r\nw");
  EXPECT_EQ(box->GetText(), "hello\r\nw");
  EXPECT_EQ(box->FirstCorner(), (Point{36, 40}));
  EXPECT_EQ(box->OppositeCorner(), (Point{84, 88}));
  EXPECT_EQ(Row(3), "     hello");
  EXPECT_EQ(Row(4), "     w");
  box->SetText("");
  EXPECT_EQ(box->GetText(), "");
  EXPECT_EQ(box->OppositeCorner(), (Point{44, 72}));
}

}  // namespace
}  // namespace virlo
