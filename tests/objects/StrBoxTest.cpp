#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

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
  // Two cells for each of "日本", one for "○" (written "o" in code page 932).
  StrBox* wide = Text(100, 120, "日本○\r\nab");
  EXPECT_EQ(wide->OppositeCorner(), (Point{148, 168}));
  wide->alignment = StrBox::AlignRight;
  EXPECT_EQ(Art(8, 9), "   abcdef    \x93\xFA\x96\x7Bo/   ab" + std::string(11, ' ') + "ab");
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

}  // namespace
}  // namespace virlo
