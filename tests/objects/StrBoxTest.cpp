#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "objects/Box.h"
#include "objects/Selection.h"
#include "objects/StrBox.h"
#include "platform/AppServices.h"
#include "support/RecordingDeviceContext.h"
#include "support/SheetFixture.h"

namespace virlo {
namespace {

class StrBoxTest : public test::SheetFixture {
 protected:
  static std::string Calls(const test::RecordingDeviceContext& dc) {
    std::string all;
    for (const std::string& call : dc.Calls()) all += call + "|";
    return all;
  }
};

struct TextFontApp : AppServices {
  const Font* GetTextFont() const override { return font; }
  const Font* font = nullptr;
};

TEST_F(StrBoxTest, EmptyTextLineBreaksLongLinesAndWideText) {
  EXPECT_EQ(Text(20, 24, "")->OppositeCorner(), (Point{28, 56}));
  EXPECT_EQ(sheet->MakeText().find_first_not_of(" \n"), std::string::npos);
  // A final line break starts no further line; a bare line feed keeps the byte before it.
  EXPECT_EQ(Text(20, 24, "abc\r\n")->OppositeCorner(), (Point{52, 56}));
  EXPECT_EQ(Text(100, 24, "ab\ncd")->OppositeCorner(), (Point{124, 72}));
  EXPECT_EQ(Art(2, 3), "   abc       ab/             cd");
  // A centred line wider than the box starts at the first inner column.
  StrBox* box = Text(20, 120, "abcdef\r\nab");
  box->Resize({20, 120, 52, 168});
  box->alignment = StrBox::AlignCentre;
  // Two cells for each of "日本", one for "○"; before the blank after it, the
  // code page writes "○" as itself over both, else as "o".
  StrBox* wide = Text(100, 120, "日本○\r\nab");
  EXPECT_EQ(wide->OppositeCorner(), (Point{148, 168}));
  wide->alignment = StrBox::AlignRight;
  EXPECT_EQ(Art(8, 9), "   abcdef    \x93\xFA\x96\x7B\x81\x9B/   ab" + std::string(11, ' ') + "ab");
  wide->SetText("日本○x\r\nab");
  EXPECT_EQ(Art(8, 9), "   abcdef    \x93\xFA\x96\x7Box/   ab" + std::string(11, ' ') + " ab");
}

TEST_F(StrBoxTest, DrawFillAndHitFollowAlignmentFrameHighlightAndAppFont) {
  StrBox* box = Text(20, 24, "abc\r\nde");
  box->SetFlag(DrawObj::Visible, true);
  test::RecordingDeviceContext dc;
  for (std::int32_t alignment : {StrBox::AlignLeft, StrBox::AlignCentre, StrBox::AlignRight}) {
    box->alignment = alignment;
    dc.Reset();
    box->Draw(dc);
    EXPECT_EQ(Calls(dc), "DrawText(abc\r\nde,24,32,49,65,0x0C9" + std::to_string(alignment) + ")|");
  }

  // The application's text font is selected for the text only.
  Font fixed{"Fixedsys"};
  Font previous{"System"};
  dc.SelectFont(&previous);
  TextFontApp app;
  app.font = &fixed;
  dc.Reset();
  box->Draw(dc);
  EXPECT_EQ(Calls(dc), "SelectFont(Fixedsys)|DrawText(abc\r\nde,24,32,49,65,0x0C92)|SelectFont(System)|");
  EXPECT_EQ(dc.CurrentFont(), &previous);
  app.font = nullptr;

  // Unframed, a highlighted box shows its sides but no fill; framed, it is filled.
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

// A text without a frame rests on a line running through its cells or in
// the row or column beside them, within their span; one running through wins
// over one beside, and the line it rests on is kept while it touches it.
TEST_F(StrBoxTest, ATextRestsOnALineItTouches) {
  StrBox* text = Text(36, 56, "SYN");  // its cells: (5,4) to (7,4)
  struct Case {
    Point from, to;
    std::int32_t touching;
  } cases[] = {
      {{12, 72}, {100, 72}, 0},                // through it
      {{60, 88}, {100, 88}, 1},                // in the row below, reaching its last cell
      {{68, 88}, {100, 88}, Line::NotBeside},  // in the row below, past it
      {{12, 40}, {36, 40}, Line::NotBeside},   // in the row above, before it
      {{68, 24}, {68, 120}, 1},                // in the column right of it
      {{36, 56}, {36, 104}, 1},                // in the column left of it
      {{36, 72}, {36, 72}, Line::NotBeside},   // a point there, a horizontal line
      {{76, 24}, {76, 120}, Line::NotBeside},  // two columns right
      {{44, 88}, {44, 120}, Line::NotBeside},  // below it, not beside
  };
  for (const Case& c : cases) {
    Line* line = Make<Line>(sheet, c.from.x, c.from.y, c.to.x, c.to.y, nullptr, nullptr);
    EXPECT_EQ(text->Touching(*line), c.touching) << c.from.x << "," << c.from.y;
    store::Delete(line);
  }
  Line* below = HLine(12, 100, 88);
  text->SettleRest();
  EXPECT_EQ(text->restLine, below);
  Line* through = HLine(12, 100, 72);
  text->SettleRest();
  EXPECT_EQ(text->restLine, below);  // kept while it touches
  text->SetRest(nullptr);
  text->SettleRest();
  EXPECT_EQ(text->restLine, through);
  EXPECT_EQ(Items(through->attached), (std::vector<DrawObj*>{text}));
  // A framed text, or a side of a box, is no label's.
  text->frame = 1;
  text->SettleRest();
  EXPECT_EQ(text->restLine, nullptr);
  EXPECT_TRUE(through->attached.Empty());
  text->frame = 0;
  Make<Box>(sheet, 12, 24, 100, 56, nullptr);  // its bottom side in the row above
  // Deleting the line leaves the text where it is, resting on nothing.
  text->SettleRest();
  store::Delete(through);
  text->SettleRest();
  EXPECT_EQ(text->restLine, below);
  store::Delete(below);
  EXPECT_EQ(text->restLine, nullptr);
  EXPECT_EQ(text->FirstCorner(), (Point{36, 56}));
}

}  // namespace
}  // namespace virlo
