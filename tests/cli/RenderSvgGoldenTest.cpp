#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/XmlDocument.h"

#ifndef VIRLO_GOLDEN_DIR
#define VIRLO_GOLDEN_DIR "tests/golden"
#endif

namespace virlo {
namespace {

using test::XmlDocument;

// The golden SVG renders, which the render checks hold `virlo-cli render
// --format svg` to byte for byte, read as XML.
std::map<std::string, XmlDocument::Element> GoldenSvgs() {
  std::map<std::string, XmlDocument::Element> svgs;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(VIRLO_GOLDEN_DIR) / "render")) {
    const std::string name = entry.path().filename().string();
    if (name.find(".svg") == std::string::npos || !name.ends_with(".txt")) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    svgs.emplace(name, XmlDocument::Checked(text.str()));
  }
  return svgs;
}

TEST(RenderSvgGoldenTest, RendersAreWellFormedPicturesOfTheirDiagrams) {
  const std::map<std::string, XmlDocument::Element> svgs = GoldenSvgs();
  ASSERT_EQ(svgs.count("japanese.svg.txt"), 1u);
  ASSERT_EQ(svgs.count("network.svg-crop.txt"), 1u);
  for (const auto& [name, svg] : svgs) {
    EXPECT_EQ(svg.name, "svg") << name;
    EXPECT_EQ(svg.Attribute("xmlns"), "http://www.w3.org/2000/svg") << name;
    // Black on white, and the sheet's green border when it was asked for:
    // the colours of what is picked or selected stay on screen.
    std::set<std::string> expected{"#000000", "#ffffff"};
    if (name.find("frame") != std::string::npos) expected.insert("#00ff00");
    std::set<std::string> colours;
    for (const char* element : {"line", "rect", "text", "ellipse", "polygon"}) {
      for (const auto* e : svg.FindAll(element)) {
        if (!e->Attribute("stroke").empty()) colours.insert(e->Attribute("stroke"));
        if (!e->Attribute("fill").empty()) colours.insert(e->Attribute("fill"));
      }
    }
    EXPECT_EQ(colours, expected) << name;
  }

  // The whole sheet; two framed text boxes filled white on the page, their
  // sides, the arrow between them (its head drawn by the line and again by
  // the box side it rests on) and the vertical line.
  const XmlDocument::Element& japanese = svgs.at("japanese.svg.txt");
  EXPECT_EQ(japanese.Attribute("viewBox"), "0 0 624 1024");
  EXPECT_NE(japanese.Attribute("font-family").find("CJK"), std::string::npos);
  EXPECT_EQ(japanese.Described("text", {"#text"}),
            (std::vector<std::string>{"#text=入力", "#text=input", "#text=処理", "#text=process", "#text=ポート"}));
  EXPECT_EQ(japanese.FindAll("rect").size(), 3u);
  EXPECT_EQ(japanese.FindAll("line").size(), 4u + 4u + 2u + 1u + 2u + 1u);

  // Cropped to the cells the drawing touches: two boxes, six lines, an
  // arrowhead, a "-" marker and a text box.
  const XmlDocument::Element& network = svgs.at("network.svg-crop.txt");
  EXPECT_EQ(network.Attribute("viewBox"), "16 16 248 160");
  EXPECT_EQ(network.Described("text", {"#text"}), (std::vector<std::string>{"#text=-", "#text=a+b-c|d"}));
  EXPECT_EQ(network.FindAll("line").size(), 8u + 6u + 2u);

  // The sheet with its border on the right and bottom edges, as large as the editor's picture.
  const XmlDocument::Element& framed = svgs.at("markers.svg-frame.txt");
  EXPECT_EQ(framed.Attribute("viewBox"), "0 0 625 1025");
}

}  // namespace
}  // namespace virlo
