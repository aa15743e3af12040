#include <gtest/gtest.h>

#include <string>

#include "objects/Dot.h"
#include "objects/Line.h"
#include "support/RecordingDeviceContext.h"
#include "support/SheetFixture.h"

namespace virlo {
namespace {

using LineTest = test::SheetFixture;

TEST_F(LineTest, RendersRunsBetweenEndMarkersAndPaintsOnlyOnceShown) {
  test::RecordingDeviceContext dc;
  HLine(20, 52, 24)->Draw(dc);
  EXPECT_TRUE(dc.Calls().empty());                      // not Visible: paints nothing, but still renders
  Make<Line>(sheet, 12, 88, 14, 90, nullptr, nullptr);  // both ends in one cell
  HLine(-5, 36, 120);
  EXPECT_EQ(Row(1), "  +---+");
  EXPECT_EQ(Row(5), " +");
  EXPECT_EQ(Row(7), "----+");
}

TEST_F(LineTest, VerticalAndSlantedLines) {
  Make<Line>(sheet, 12, 8, 12, 72, nullptr, nullptr);
  EXPECT_EQ(Art(0, 5), " +/ |/ |/ |/ +/");

  // A slanted line (as a file may hold) renders along its orientation and both ends where they lie.
  Line* slant = Make<Line>(sheet, 20, 104, 52, 136, nullptr, nullptr);
  EXPECT_EQ(Art(6, 8), "  +---//      +");
  EXPECT_EQ(slant->GetRect(DrawObj::Area::Hit), (Rect{16, 96, 56, 144}));
}

TEST_F(LineTest, FindTargetAndHitRectangle) {
  Line* line = HLine(20, 52, 24);
  Dot* dot = DotOn(36, 24);
  EXPECT_EQ(line->FindTarget(20, 24, nullptr), &line->start);
  EXPECT_EQ(line->FindTarget(20, 24, &line->start), line);
  EXPECT_EQ(line->FindTarget(36, 24, nullptr), dot);
  EXPECT_EQ(line->FindTarget(28, 24, nullptr), line);
  EXPECT_EQ(line->FindTarget(28, 40, nullptr), nullptr);
  dot->x = 52;  // over the end: the end comes first
  EXPECT_EQ(line->FindTarget(52, 24, nullptr), &line->end);
  EXPECT_EQ(line->GetRect(DrawObj::Area::Hit), (Rect{16, 16, 56, 32}));
  const struct {
    Point at;
    bool hit;
  } hits[] = {{{16, 16}, true},  {{55, 31}, true},  {{15, 24}, false},
              {{56, 24}, false}, {{36, 15}, false}, {{36, 32}, false}};
  for (const auto& h : hits) EXPECT_EQ(line->HitTest(h.at.x, h.at.y), h.hit) << h.at.x << "," << h.at.y;
}

}  // namespace
}  // namespace virlo
