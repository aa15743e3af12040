#include <gtest/gtest.h>

#include <array>
#include <set>
#include <sstream>
#include <string>

#include "export/SvgDeviceContext.h"
#include "support/XmlDocument.h"

namespace virlo {
namespace {

using test::XmlDocument;
using Strings = std::vector<std::string>;

const Font CellFont{"", 16, true};

// The context's elements as one document, checked and read back.
XmlDocument::Element Parse(const SvgDeviceContext& dc) {
  return XmlDocument::Checked("<svg>\n" + dc.Elements() + "</svg>\n");
}

TEST(SvgDeviceContextTest, OnePixelLinesCoverThePixelsTheViewFills) {
  SvgDeviceContext dc(CellFont);
  // Right, left, down: each stops one pixel short of its last point, which
  // square ends on pixel centres reproduce.
  dc.MoveTo({10, 20});
  dc.LineTo({30, 20});
  dc.LineTo({10, 20});
  dc.MoveTo({40, 8});
  dc.LineTo({40, 24});
  dc.MoveTo({5, 5});
  dc.LineTo({5, 5});  // a point: nothing
  EXPECT_EQ(Parse(dc).Described("line", {"x1", "y1", "x2", "y2", "stroke-linecap", "stroke-width"}),
            (Strings{"x1=10.5 y1=20.5 x2=29.5 y2=20.5 stroke-linecap=square stroke-width=1",
                     "x1=30.5 y1=20.5 x2=11.5 y2=20.5 stroke-linecap=square stroke-width=1",
                     "x1=40.5 y1=8.5 x2=40.5 y2=23.5 stroke-linecap=square stroke-width=1"}));
  // Pixels 10 to 29 of row 20, and the vertical one's 8 to 23.
  EXPECT_EQ(dc.Bounds(), (Rect{10, 8, 41, 24}));
}

TEST(SvgDeviceContextTest, ShapesKeepPenBrushAndFillMode) {
  SvgDeviceContext dc(CellFont);
  dc.SelectPen(Pen{1, Color::Red()});
  dc.SelectBrush(Brush::Null());
  dc.Ellipse({107, 17, 93, 3});  // given the wrong way round
  dc.SelectBrush(Brush::Solid(Color::Blue()));
  dc.SetPolygonFillMode(PolygonFillMode::Winding);
  const std::array<Point, 3> triangle{{{100, 3}, {93, 17}, {107, 17}}};
  dc.Polygon(triangle);
  dc.FillRect({0, 0, 8, 0}, Color::Black());  // empty: nothing
  dc.FillRect({8, 16, 0, 0}, Color::Green());
  const XmlDocument::Element root = Parse(dc);
  EXPECT_EQ(root.Described("ellipse", {"cx", "rx", "fill", "stroke"}),
            (Strings{"cx=100 rx=6.5 fill=none stroke=#ff0000"}));
  EXPECT_EQ(root.Described("polygon", {"points", "fill", "fill-rule"}),
            (Strings{"points=100.5,3.5 93.5,17.5 107.5,17.5 fill=#0000ff fill-rule=nonzero"}));
  EXPECT_EQ(root.Described("rect", {"width", "fill"}), (Strings{"width=8 fill=#00ff00"}));
  EXPECT_EQ(dc.Bounds(), (Rect{0, 0, 108, 18}));
}

TEST(SvgDeviceContextTest, TextIsEscapedUtf8OnTheGrid) {
  SvgDeviceContext dc(CellFont);
  dc.SetTextColor(Color::Blue());
  // Markup characters, a control byte, "入力" (two cells each) and a
  // half-width kana, each at its own cell.
  dc.TextOut({16, 32}, "<a&b\"'>\x01入力ｱ");
  EXPECT_FALSE(dc.Elements().find("<a&") != std::string::npos);
  const XmlDocument::Element root = Parse(dc);
  // No font family: the default font is the document's.
  EXPECT_EQ(root.Described("text", {"#text", "x", "y", "fill", "font-family"}),
            (Strings{"#text=<a&b\"'>?入力ｱ x=16 24 32 40 48 56 64 72 80 96 112 y=46.08 fill=#0000ff font-family="}));
  // An opaque background is white behind the text's cells.
  EXPECT_EQ(root.Described("rect", {"width", "fill"}), (Strings{"width=104 fill=#ffffff"}));
  EXPECT_EQ(dc.Bounds(), (Rect{16, 32, 120, 48}));
}

TEST(SvgDeviceContextTest, DrawTextAlignsLinesInTheRectangle) {
  SvgDeviceContext dc(CellFont);
  dc.SetBackgroundMode(BackgroundMode::Transparent);
  const unsigned tabs = TextFormat::TabStop | (4u << 8);
  // Lines come with CR LF; blanks at either end of a line draw nothing.
  dc.DrawText("ab\r\n  \r\ncd  \r\nx\ty", {8, 16, 57, 80}, TextFormat::Right | tabs);
  dc.DrawText("abc", {0, 100, 41, 116}, TextFormat::Center);
  // The right edge is 57; "cd  " keeps its blanks; "y" stands at the tab
  // stop, four cells on.
  EXPECT_EQ(Parse(dc).Described("text", {"#text", "x", "y"}),
            (Strings{"#text=ab x=41 49 y=30.08", "#text=cd x=25 33 y=62.08", "#text=xy x=17 49 y=78.08",
                     "#text=abc x=8.5 16.5 24.5 y=114.08"}));
  EXPECT_EQ(dc.Elements().find("clipPath"), std::string::npos);
}

TEST(SvgDeviceContextTest, WordBreakWrapsAndOverflowIsClipped) {
  SvgDeviceContext dc(CellFont);
  // Four cells wide: breaks after blanks, a word longer than a line breaks
  // where it must, and rows below the rectangle are left out.
  dc.DrawText("ab cd efghij k", {0, 0, 33, 48}, TextFormat::WordBreak);
  EXPECT_EQ(Parse(dc).Described("text", {"#text"}), (Strings{"#text=ab", "#text=cd", "#text=efgh"}));
  EXPECT_EQ(dc.Elements().find("clipPath"), std::string::npos);
  // Every blank at a break is left out: the next row starts at its first cell.
  SvgDeviceContext blanks(CellFont);
  blanks.DrawText("ab    cd", {0, 0, 33, 48}, TextFormat::WordBreak);
  EXPECT_EQ(Parse(blanks).Described("text", {"#text", "x"}), (Strings{"#text=ab x=0 8", "#text=cd x=0 8"}));

  SvgDeviceContext wide(CellFont);
  wide.DrawText("too long", {0, 0, 33, 8}, 0);
  const XmlDocument::Element clipped = Parse(wide);
  const auto clips = clipped.FindAll("clipPath");
  ASSERT_EQ(clips.size(), 1u);
  const auto groups = clipped.FindAll("g");
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0]->Attribute("clip-path"), "url(#" + clips[0]->Attribute("id") + ")");
  ASSERT_EQ(groups[0]->children.size(), 1u);
  EXPECT_EQ(groups[0]->children[0]->text, "too long");
}

// Each character but blanks (which show nothing) a context wrote, as
// "x y character", that lies within [left, right) across and whose row
// begins above bottom.
std::set<std::string> CharactersWithin(const SvgDeviceContext& dc, double left, double right, double bottom) {
  std::set<std::string> shown;
  const XmlDocument::Element svg = Parse(dc);
  for (const auto* text : svg.FindAll("text")) {
    std::istringstream xs(text->Attribute("x"));
    const double baseline = std::stod(text->Attribute("y"));
    double x = 0;
    for (std::size_t i = 0; i < text->text.size() && xs >> x; ++i) {
      if (x >= left && x < right && baseline - 14.08 < bottom && text->text[i] != ' ') {
        shown.insert(std::to_string(x) + " " + text->Attribute("y") + " " + text->text[i]);
      }
    }
  }
  return shown;
}

TEST(SvgDeviceContextTest, TextIsCutWhereThePictureEndsAndShowsThereWhatTheWholeTextShows) {
  // Forty rows far wider and longer than a picture of 10 x 3 cells.
  std::string text;
  for (int row = 0; row < 40; ++row) {
    text += "r" + std::to_string(row) + " " + std::string(600, static_cast<char>('0' + row % 10)) + " x\r\n";
  }
  for (const unsigned format :
       {0u, TextFormat::Right, TextFormat::Center, TextFormat::WordBreak, TextFormat::WordBreak | TextFormat::Right,
        TextFormat::WordBreak | TextFormat::Center}) {
    for (const Rect& rect : {Rect{-16, 0, 4000, 1000}, Rect{-16, 0, 200, 1000}, Rect{-4900, 0, 60, 1000}}) {
      SvgDeviceContext whole(CellFont);
      SvgDeviceContext cut(CellFont);
      cut.CutTextAt({0, 0, 80, 48});
      whole.DrawText(text, rect, format);
      cut.DrawText(text, rect, format);
      const std::set<std::string> shown = CharactersWithin(cut, -16, 80, 48);
      EXPECT_EQ(shown, CharactersWithin(whole, -16, 80, 48)) << format << " " << rect.left << " " << rect.right;
      EXPECT_LE(CharactersWithin(cut, -1e9, 1e9, 1e9).size(), 3u * 16u) << format;
      EXPECT_LE(Parse(cut).Described("text", {"y"}).size(), 3u);
    }
  }
}

TEST(SvgDeviceContextTest, FontsAndEscapes) {
  SvgDeviceContext dc(CellFont);
  const Font big{"", 32, true};
  const Font proportional{"Sans 'x'", 12, false};
  EXPECT_EQ(dc.SelectFont(&big), nullptr);
  dc.TextOut({0, 0}, "ab");
  EXPECT_EQ(dc.SelectFont(&proportional), &big);
  dc.TextOut({0, 0}, "c");
  EXPECT_EQ(Parse(dc).Described("text", {"#text", "x", "font-size", "font-family"}),
            (Strings{"#text=ab x=0 16 font-size=32 font-family='Noto Sans Mono CJK JP', 'Noto Sans CJK JP', monospace",
                     "#text=c x=0 font-size=12 font-family='Sans x', sans-serif"}));
  EXPECT_EQ(SvgDeviceContext::FontAttributes(CellFont),
            "font-family=\"&apos;Noto Sans Mono CJK JP&apos;, &apos;Noto Sans CJK JP&apos;, monospace\" "
            "font-size=\"16\"");
  EXPECT_EQ(SvgDeviceContext::Escape("a<b>&\"'\n"), "a&lt;b&gt;&amp;&quot;&apos;?");
  EXPECT_FALSE(SvgDeviceContext(CellFont).Painted());
}

}  // namespace
}  // namespace virlo
