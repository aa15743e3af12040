#include <gtest/gtest.h>

#include <array>
#include <string>

#include "export/SvgDeviceContext.h"
#include "support/XmlDocument.h"

namespace virlo {
namespace {

using test::XmlDocument;

const Font CellFont{"", 16, true};

// The context's elements as one document, checked and read back.
XmlDocument::Element Parse(const SvgDeviceContext& dc) {
  const std::string svg = "<svg>\n" + dc.Elements() + "</svg>\n";
  std::string error;
  std::optional<XmlDocument::Element> root = XmlDocument::Parse(svg, error);
  EXPECT_TRUE(root.has_value()) << error << "\n" << svg;
  return root.has_value() ? std::move(*root) : XmlDocument::Element{};
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
  const XmlDocument::Element root = Parse(dc);
  const auto lines = root.FindAll("line");
  ASSERT_EQ(lines.size(), 3u);
  auto ends = [](const XmlDocument::Element* e) {
    return e->Attribute("x1") + "," + e->Attribute("y1") + " " + e->Attribute("x2") + "," + e->Attribute("y2");
  };
  EXPECT_EQ(ends(lines[0]), "10.5,20.5 29.5,20.5");
  EXPECT_EQ(ends(lines[1]), "30.5,20.5 11.5,20.5");
  EXPECT_EQ(ends(lines[2]), "40.5,8.5 40.5,23.5");
  EXPECT_EQ(lines[0]->Attribute("stroke-linecap"), "square");
  EXPECT_EQ(lines[0]->Attribute("stroke-width"), "1");
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
  const auto ellipses = root.FindAll("ellipse");
  ASSERT_EQ(ellipses.size(), 1u);
  EXPECT_EQ(ellipses[0]->Attribute("cx"), "100");
  EXPECT_EQ(ellipses[0]->Attribute("rx"), "6.5");
  EXPECT_EQ(ellipses[0]->Attribute("fill"), "none");
  EXPECT_EQ(ellipses[0]->Attribute("stroke"), "#ff0000");
  const auto polygons = root.FindAll("polygon");
  ASSERT_EQ(polygons.size(), 1u);
  EXPECT_EQ(polygons[0]->Attribute("points"), "100.5,3.5 93.5,17.5 107.5,17.5");
  EXPECT_EQ(polygons[0]->Attribute("fill"), "#0000ff");
  EXPECT_EQ(polygons[0]->Attribute("fill-rule"), "nonzero");
  const auto rects = root.FindAll("rect");
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0]->Attribute("width"), "8");
  EXPECT_EQ(rects[0]->Attribute("fill"), "#00ff00");
  EXPECT_EQ(dc.Bounds(), (Rect{0, 0, 108, 18}));
}

TEST(SvgDeviceContextTest, TextIsEscapedUtf8OnTheGrid) {
  SvgDeviceContext dc(CellFont);
  dc.SetTextColor(Color::Blue());
  // Markup characters, a control byte, "入力" (double-byte) and a
  // half-width kana, each at its own cell.
  dc.TextOut({16, 32}, "<a&b\"'>\x01\x93\xFC\x97\xCD\xB1");
  EXPECT_FALSE(dc.Elements().find("<a&") != std::string::npos);
  const XmlDocument::Element root = Parse(dc);
  const auto texts = root.FindAll("text");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0]->text, "<a&b\"'>?入力ｱ");
  EXPECT_EQ(texts[0]->Attribute("x"), "16 24 32 40 48 56 64 72 80 96 112");
  EXPECT_EQ(texts[0]->Attribute("y"), "46.08");
  EXPECT_EQ(texts[0]->Attribute("fill"), "#0000ff");
  EXPECT_EQ(texts[0]->Attribute("font-family"), "");  // the default font is the document's
  // An opaque background is white behind the text's cells.
  const auto rects = root.FindAll("rect");
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0]->Attribute("width"), "104");
  EXPECT_EQ(dc.Bounds(), (Rect{16, 32, 120, 48}));
}

TEST(SvgDeviceContextTest, DrawTextAlignsLinesInTheRectangle) {
  SvgDeviceContext dc(CellFont);
  dc.SetBackgroundMode(BackgroundMode::Transparent);
  const unsigned tabs = TextFormat::TabStop | (4u << 8);
  // Lines come with CR LF; blanks at either end of a line draw nothing.
  dc.DrawText("ab\r\n  \r\ncd  \r\nx\ty", {8, 16, 57, 80}, TextFormat::Right | tabs);
  dc.DrawText("abc", {0, 100, 41, 116}, TextFormat::Center);
  const XmlDocument::Element root = Parse(dc);
  const auto texts = root.FindAll("text");
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[0]->Attribute("x"), "41 49");  // right edge 57
  EXPECT_EQ(texts[0]->Attribute("y"), "30.08");
  EXPECT_EQ(texts[1]->text, "cd");
  EXPECT_EQ(texts[1]->Attribute("x"), "25 33");  // its blanks still count
  EXPECT_EQ(texts[1]->Attribute("y"), "62.08");
  EXPECT_EQ(texts[2]->Attribute("x"), "17 49");  // "y" at the tab stop, four cells on
  EXPECT_EQ(texts[3]->Attribute("x"), "8.5 16.5 24.5");
  EXPECT_EQ(dc.Elements().find("clipPath"), std::string::npos);
}

TEST(SvgDeviceContextTest, WordBreakWrapsAndOverflowIsClipped) {
  SvgDeviceContext dc(CellFont);
  // Four cells wide: breaks after blanks, a word longer than a line breaks
  // where it must, and rows below the rectangle are left out.
  dc.DrawText("ab cd efghij k", {0, 0, 33, 48}, TextFormat::WordBreak);
  const XmlDocument::Element root = Parse(dc);
  const auto texts = root.FindAll("text");
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0]->text, "ab");
  EXPECT_EQ(texts[1]->text, "cd");
  EXPECT_EQ(texts[2]->text, "efgh");
  EXPECT_EQ(dc.Elements().find("clipPath"), std::string::npos);

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

TEST(SvgDeviceContextTest, FontsAndEscapes) {
  SvgDeviceContext dc(CellFont);
  const Font big{"", 32, true};
  const Font proportional{"Sans 'x'", 12, false};
  EXPECT_EQ(dc.SelectFont(&big), nullptr);
  dc.TextOut({0, 0}, "ab");
  EXPECT_EQ(dc.SelectFont(&proportional), &big);
  dc.TextOut({0, 0}, "c");
  const XmlDocument::Element root = Parse(dc);
  const auto texts = root.FindAll("text");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0]->Attribute("font-size"), "32");
  EXPECT_EQ(texts[0]->Attribute("x"), "0 16");
  EXPECT_EQ(texts[1]->Attribute("font-family"), "'Sans x', sans-serif");
  EXPECT_EQ(SvgDeviceContext::FontAttributes(CellFont),
            "font-family=\"&apos;Noto Sans Mono CJK JP&apos;, &apos;Noto Sans CJK JP&apos;, monospace\" "
            "font-size=\"16\"");
  EXPECT_EQ(SvgDeviceContext::Escape("a<b>&\"'\n"), "a&lt;b&gt;&amp;&quot;&apos;?");
  EXPECT_FALSE(SvgDeviceContext(CellFont).Painted());
}

}  // namespace
}  // namespace virlo
