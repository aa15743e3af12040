#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/SvgDeviceContext.h"
#include "export/SvgExport.h"
#include "objects/Box.h"
#include "objects/MarkerTable.h"
#include "support/RecordingDeviceContext.h"
#include "support/SheetFixture.h"
#include "support/XmlDocument.h"

namespace virlo {
namespace {

using test::XmlDocument;

class SvgExportTest : public test::SheetFixture {
 protected:
  // Objects show once a tool has finished making them.
  template <class T>
  T* Shown(T* obj) {
    obj->SetFlag(DrawObj::Visible, true);
    return obj;
  }
};

TEST_F(SvgExportTest, PaintsEveryObjectAsTheViewDoesWithoutTheBorder) {
  Shown(Make<Box>(sheet, 20, 24, 100, 72, nullptr));
  Line* line = Shown(HLine(100, 180, 40));
  line->end.marker = MarkerTable::RightArrow;
  Make<Dot>(sheet, 204, 40, MarkerTable::WhiteCircle, nullptr);
  Make<Dot>(sheet, 220, 40, MarkerTable::Derivation, nullptr);
  Make<Dot>(sheet, 236, 40, MarkerTable::Aggregation, nullptr);
  Make<Dot>(sheet, 252, 40, 5, nullptr);  // a marker drawn as characters
  StrBox* label = Shown(Text(20, 88, "A&B <x>\r\n入力"));
  label->frame = 1;

  const XmlDocument::Element svg = XmlDocument::Checked(SvgExport::Render(*sheet, SvgExport::Area::Sheet));
  EXPECT_EQ(svg.name, "svg");
  EXPECT_EQ(svg.Attribute("xmlns"), "http://www.w3.org/2000/svg");
  EXPECT_EQ(svg.Attribute("viewBox"), "0 0 624 1024");
  EXPECT_EQ(svg.Attribute("width"), "624");
  EXPECT_NE(svg.Attribute("font-family").find("Noto Sans Mono CJK JP"), std::string::npos);
  EXPECT_EQ(svg.Attribute("font-size"), "16");
  ASSERT_FALSE(svg.children.empty());
  EXPECT_EQ(svg.children[0]->name, "rect");  // the white page first
  EXPECT_EQ(svg.children[0]->Attribute("fill"), "#ffffff");

  // Every stroke, shape and text of the view's painting is there, and
  // nothing of the border.
  test::RecordingDeviceContext recorded;
  sheet->DrawObjects(recorded);
  std::size_t strokes = 0;
  std::size_t ellipses = 0;
  std::size_t polygons = 0;
  std::size_t texts = 0;
  std::string from;
  for (const std::string& call : recorded.Calls()) {
    if (call.starts_with("MoveTo(")) from = call.substr(6);
    if (call.starts_with("LineTo(")) {
      strokes += call.substr(6) != from ? 1u : 0u;
      from = call.substr(6);
    }
    ellipses += call.starts_with("Ellipse(") ? 1u : 0u;
    polygons += call.starts_with("Polygon(") ? 1u : 0u;
    texts += call.starts_with("TextOut(") ? 1u : 0u;
  }
  // The box's and the label's four sides, the line and its arrowhead's two.
  EXPECT_EQ(strokes, 11u);
  EXPECT_EQ(svg.FindAll("line").size(), strokes);
  EXPECT_EQ(svg.FindAll("ellipse").size(), ellipses);
  EXPECT_EQ(svg.FindAll("polygon").size(), polygons);
  EXPECT_EQ(polygons, 2u);
  for (const auto* stroke : svg.FindAll("line")) EXPECT_NE(stroke->Attribute("stroke"), "#00ff00");

  EXPECT_EQ(texts, 1u);
  EXPECT_EQ(
      svg.Described("text", {"#text"}),
      (std::vector<std::string>{"#text=" + std::string(MarkerTable::MarkerText(5)), "#text=A&B <x>", "#text=入力"}));
}

TEST_F(SvgExportTest, TheDrawingAreaIsTheWholeCellsItTouchesOnTheSheet) {
  Shown(Make<Box>(sheet, 20, 24, 100, 72, nullptr));
  // Pixels 20 to 100 and 24 to 72: cells 2 to 12 and 1 to 4.
  EXPECT_EQ(XmlDocument::Checked(SvgExport::Render(*sheet, SvgExport::Area::Drawing)).Attribute("viewBox"),
            "16 16 88 64");
  // A circle in the last column reaches past the sheet's edge, which cuts it.
  Make<Dot>(sheet, 620, 40, MarkerTable::WhiteCircle, nullptr);
  const XmlDocument::Element svg = XmlDocument::Checked(SvgExport::Render(*sheet, SvgExport::Area::Drawing));
  EXPECT_EQ(svg.Attribute("viewBox"), "16 16 608 64");
  ASSERT_FALSE(svg.children.empty());
  EXPECT_EQ(svg.children[0]->Attribute("x"), "16");  // the page covers what is shown
  EXPECT_EQ(svg.children[0]->Attribute("width"), "608");
}

TEST_F(SvgExportTest, NothingDrawnOnTheSheetCropsToNothing) {
  Make<Dot>(sheet, 700, 40, MarkerTable::WhiteCircle, nullptr);  // beyond the right edge
  const XmlDocument::Element empty = XmlDocument::Checked(SvgExport::Render(*sheet, SvgExport::Area::Drawing));
  EXPECT_EQ(empty.Attribute("width"), "0");
  EXPECT_EQ(empty.Attribute("height"), "0");
  // A sheet without a usable grid is no page.
  sheet->cellWidth = 0;
  EXPECT_EQ(XmlDocument::Checked(SvgExport::Render(*sheet, SvgExport::Area::Sheet)).Attribute("viewBox"), "0 0 0 0");
}

TEST_F(SvgExportTest, WhatIsPickedShowsUntilTheSelectionIsCleared) {
  Line* line = Shown(HLine(20, 100, 40));
  sheet->current = line;
  auto redStrokes = [&] {
    std::size_t red = 0;
    const XmlDocument::Element svg = XmlDocument::Checked(SvgExport::Render(*sheet, SvgExport::Area::Sheet));
    for (const auto* stroke : svg.FindAll("line")) {
      red += stroke->Attribute("stroke") == "#ff0000" ? 1u : 0u;
    }
    return red;
  };
  EXPECT_EQ(redStrokes(), 1u);
  sheet->ClearSelection();
  EXPECT_EQ(redStrokes(), 0u);
}

TEST(XmlDocumentTest, RefusesWhatIsNotWellFormed) {
  // The checks above rely on this reader finding faults.
  for (const char* bad : {"<a>&</a>", "<a b=\"<\"/>", "<a><b></a></b>", "<a>\x01</a>", "<a/><b/>", "<a b='1' b='2'/>",
                          "<a>&nbsp;</a>", "<a>\xC3</a>", "<a>", "text"}) {
    std::string error;
    EXPECT_FALSE(XmlDocument::Parse(bad, error).has_value()) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
  std::string error;
  const auto good =
      XmlDocument::Parse("<?xml version=\"1.0\"?>\n<a x='&lt;'><!-- c --><b>&amp;&#x41;</b></a>\n", error);
  ASSERT_TRUE(good.has_value()) << error;
  EXPECT_EQ(good->Attribute("x"), "<");
  EXPECT_EQ(good->FindAll("b").at(0)->text, "&A");
}

// A large picture is handed on in pieces as it is painted; joined, they are
// the whole picture, cropped or not, and a piece refused ends the writing.
TEST_F(SvgExportTest, APictureWrittenInPiecesIsTheWholePicture) {
  for (int i = 0; i < 1000; ++i)
    Shown(Make<Box>(sheet, i % 40 * 16, i / 40 * 32, i % 40 * 16 + 16, i / 40 * 32 + 32, nullptr));
  SvgDeviceContext whole(Font{"", sheet->cellHeight, true});
  sheet->DrawObjects(whole);
  for (const SvgExport::Area area : {SvgExport::Area::Sheet, SvgExport::Area::Drawing}) {
    std::vector<std::string> pieces;
    ASSERT_TRUE(SvgExport::Write(*sheet, area, SvgExport::Frame::Hidden, [&pieces](std::string_view piece) {
      pieces.emplace_back(piece);
      return true;
    }));
    EXPECT_GT(pieces.size(), 3U);
    std::string joined;
    for (const std::string& piece : pieces) joined += piece;
    EXPECT_TRUE(joined.ends_with(whole.Elements() + "</svg>\n"));
    XmlDocument::Checked(joined);
  }
  int calls = 0;
  EXPECT_FALSE(SvgExport::Write(*sheet, SvgExport::Area::Sheet, SvgExport::Frame::Hidden,
                                [&calls](std::string_view) { return ++calls < 2; }));
  EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace virlo
