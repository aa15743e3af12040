#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "objects/Dot.h"
#include "objects/MarkerTable.h"
#include "support/RecordingDeviceContext.h"
#include "support/SheetFixture.h"

namespace virlo {
namespace {

using DotTest = test::SheetFixture;
using Calls = std::vector<std::string>;

TEST_F(DotTest, HitAreaRedrawAreaAndCloneFailure) {
  Dot* dot = Make<Dot>(sheet, 20, 24, MarkerTable::Join, nullptr);
  EXPECT_TRUE(dot->HitTest(16, 24) && dot->HitTest(20, 16));   // half a cell left and up is inside,
  EXPECT_FALSE(dot->HitTest(24, 24) || dot->HitTest(20, 32));  // right and down outside
  EXPECT_EQ(dot->GetRect(DrawObj::Area::Redraw), (Rect{19, 23, 21, 25}));
  dot->SetFlag(DrawObj::Highlighted, true);
  EXPECT_EQ(dot->GetRect(DrawObj::Area::Redraw), (Rect{16, 20, 24, 28}));
  EXPECT_EQ(Make<Dot>(sheet, 20, 24, 1, nullptr)->GetRect(DrawObj::Area::Redraw), (Rect{12, 16, 28, 32}));

  store::AllocationFailure guard(0);
  EXPECT_EQ(dot->Clone(sheet), nullptr);
}

// Each marker's shapes, and the state each selects before painting them; the
// device context must be left as the dot found it.
TEST_F(DotTest, DrawShapesColoursAndRestoresTheContext) {
  struct Case {
    std::int32_t type;
    bool highlighted;
    bool current;
    Calls shapes;
    Calls states;
  };
  const std::string sq = "FillRect(16,20,24,28,#0000ff)";
  const std::string circle = "Ellipse(13,17,27,31)";
  const std::vector<Case> cases = {
      // A text marker that is neither highlighted nor current shows in black, as it prints.
      {1, false, false, {"TextOut(16,16,-)"}, {"SetTextColor(#000000)", "SetBackgroundMode(transparent)"}},
      {15, true, false, {sq, "TextOut(16,16,U)"}, {"SetTextColor(#0000ff)"}},
      {15, true, true, {"FillRect(16,20,24,28,#ff0000)", "TextOut(16,16,U)"}, {"SetTextColor(#ff0000)"}},
      {0, false, false, {}, {}},
      {0, true, false, {sq}, {}},
      {7, false, false, {circle}, {"SelectBrush(#000000)", "SelectPen(1,#000000)"}},
      {7, true, false, {circle, sq}, {"SelectBrush(#000000)"}},
      {8, false, false, {circle}, {"SelectBrush(#ffffff)"}},
      {8, true, false, {circle}, {"SelectBrush(#0000ff)"}},
      {9, false, false, {"MoveTo(20,24)", "LineTo(27,17)", "MoveTo(20,24)", "LineTo(27,31)"}, {"SelectPen(1,#000000)"}},
      {10, true, false, {"MoveTo(20,24)", "LineTo(13,17)", "MoveTo(20,24)", "LineTo(13,31)", sq}, {}},
      {11, false, false, {"MoveTo(20,24)", "LineTo(13,31)", "MoveTo(20,24)", "LineTo(27,31)"}, {}},
      {12, false, false, {"MoveTo(20,24)", "LineTo(13,17)", "MoveTo(20,24)", "LineTo(27,17)"}, {}},
      {13, true, false, {"Polygon(20,17;13,31;27,31)"}, {"SelectBrush(#0000ff)", "SetPolygonFillMode(alternate)"}},
      {14, false, false, {"Polygon(20,17;13,24;20,31;27,24)"}, {"SelectBrush(#ffffff)"}},
  };
  const std::set<std::string> kinds = {"MoveTo(", "LineTo(", "Ellipse(", "Polygon(", "FillRect(", "TextOut("};
  for (const Case& c : cases) {
    Dot* dot = Make<Dot>(sheet, 20, 24, c.type, nullptr);
    dot->SetFlag(DrawObj::Highlighted, c.highlighted);
    sheet->current = c.current ? dot : nullptr;
    test::RecordingDeviceContext dc;  // a state unlike anything a dot selects, so a missed restore shows
    dc.SelectPen(Pen{3, Color::Green()});
    dc.SelectBrush(Brush::Solid(Color::Green()));
    dc.SetTextColor(Color::Green());
    dc.SetPolygonFillMode(PolygonFillMode::Winding);
    dc.Reset();
    dot->Draw(dc);

    Calls shapes;
    std::map<std::string, std::string> before;  // kind -> last such call before the marker proper
    bool drawn = false;
    for (const std::string& call : dc.Calls()) {
      const std::string kind = call.substr(0, call.find('(') + 1);
      const bool shape = kinds.count(kind) != 0;
      if (shape) shapes.push_back(call);
      drawn = drawn || (shape && kind != "FillRect(");
      if (!drawn) before[kind] = call;
    }
    EXPECT_EQ(shapes, c.shapes) << c.type;
    EXPECT_EQ(dc.Calls().empty(), c.shapes.empty()) << c.type;
    for (const std::string& s : c.states) EXPECT_EQ(before[s.substr(0, s.find('(') + 1)], s) << c.type;
    EXPECT_EQ(dc.CurrentPen(), (Pen{3, Color::Green()})) << c.type;
    EXPECT_EQ(dc.CurrentBrush(), Brush::Solid(Color::Green())) << c.type;
    EXPECT_EQ(dc.TextColor(), Color::Green()) << c.type;
    EXPECT_EQ(dc.FillMode(), PolygonFillMode::Winding) << c.type;
    EXPECT_EQ(dc.Background(), BackgroundMode::Opaque) << c.type;
  }
  sheet->current = nullptr;
}

}  // namespace
}  // namespace virlo
