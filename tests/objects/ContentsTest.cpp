#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "objects/Box.h"
#include "objects/Contents.h"
#include "objects/HitIndex.h"
#include "support/SheetFixture.h"

// What a box moved whole carries, and the hit index's search of an area it is found by.
namespace virlo {
namespace {

using ContentsTest = test::SheetFixture;

// Cell (c, r)'s centre.
constexpr std::int32_t X(std::int32_t c) { return 8 * c + 4; }
constexpr std::int32_t Y(std::int32_t r) { return 16 * r + 8; }

TEST_F(ContentsTest, ABoxCarriesWhatLiesWhollyInsideAndWhatRestsOnlyWithItsLine) {
  Box* box = Make<Box>(sheet, X(2), Y(2), X(30), Y(12), nullptr);
  Box* inner = Make<Box>(sheet, X(20), Y(4), X(28), Y(8), nullptr);
  StrBox* innerText = Text(X(21), Y(5), "in");  // inside the inner box
  Dot* dot = Make<Dot>(sheet, X(4), Y(3), 7, nullptr);
  Line* inside = HLine(X(4), X(12), Y(10));
  Dot* onInside = DotOn(X(8), Y(10));
  StrBox* label = Text(X(4), Y(8), "label");  // its text in the row above the line inside
  label->SettleRest();
  // A title whose blank frame reaches over the box's left side and top.
  StrBox* title = Text(X(2), Y(2), "title");
  // Across the box: the line goes nowhere with it, nor what rests on it.
  Line* across = HLine(X(0), X(40), Y(6));
  Dot* onAcross = DotOn(X(6), Y(6));
  StrBox* acrossLabel = Text(X(13), Y(6), "x");  // its text over the line
  acrossLabel->SettleRest();
  // Half outside: a text, a line, a box.
  Text(X(27), Y(10), "outside");
  HLine(X(14), X(34), Y(11));
  Make<Box>(sheet, X(25), Y(9), X(35), Y(13), nullptr);
  ASSERT_EQ(label->restLine, inside);
  ASSERT_EQ(acrossLabel->restLine, across);
  ASSERT_EQ(onAcross->GetLine(), across);

  Contents contents;
  std::vector<DrawObj*> found = contents.Of(*box);
  std::vector<DrawObj*> expected{inner, innerText, dot, inside, onInside, label, title};
  std::sort(found.begin(), found.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(found, expected);
  // The inner box carries its own text alone.
  EXPECT_EQ(contents.Of(*inner), (std::vector<DrawObj*>{innerText}));
  // Found once: what moves in later steps does not change it.
  Drag(dot, 400, 0);
  EXPECT_EQ(contents.Of(*box).size(), expected.size());
  contents.Clear();
  EXPECT_EQ(contents.Of(*box).size(), expected.size() - 1);
  (void)across;
}

TEST_F(ContentsTest, OnlyAFramedTextBoxCarriesAndAMoveWithoutContentsTakesTheFrameAlone) {
  StrBox* framed = Text(X(2), Y(2), "framed\r\n\r\n\r\n");
  framed->frame = 1;
  framed->SyncFilled();
  StrBox* plain = Text(X(20), Y(2), "plain\r\n\r\n\r\n");
  Dot* inFramed = Make<Dot>(sheet, X(4), Y(5), 7, nullptr);
  Make<Dot>(sheet, X(22), Y(5), 7, nullptr);
  EXPECT_TRUE(framed->CarriesContents());
  EXPECT_FALSE(plain->CarriesContents());

  Contents contents;
  Selection carry;
  carry.contents = &contents;
  framed->Move(carry, 8, 16);
  EXPECT_EQ(inFramed->GetPos(), (Point{X(5), Y(6)}));
  carry.Clear();
  Selection frameAlone;
  framed->Move(frameAlone, 8, 16);
  EXPECT_EQ(inFramed->GetPos(), (Point{X(5), Y(6)}));
  EXPECT_EQ(framed->FirstCorner(), (Point{X(4), Y(4)}));
}

// The index's search of an area gives exactly the listed objects a walk of
// the list finds with a hit area meeting the area, front to back, for areas
// small and large, before and after objects move.
TEST_F(ContentsTest, TheHitIndexFindsWhatLiesNearAnAreaAsAWalkOfTheListDoes) {
  std::mt19937 random(7);
  auto cell = [&](int most) { return static_cast<std::int32_t>(random() % static_cast<unsigned>(most)); };
  std::vector<DrawObj*> all;
  for (int i = 0; i < 300; ++i) {
    const std::int32_t c = cell(70);
    const std::int32_t r = cell(60);
    switch (i % 4) {
      case 0:
        all.push_back(Make<Dot>(sheet, X(c), Y(r), 7, nullptr));
        break;
      case 1:
        all.push_back(HLine(X(c), X(c + cell(30)), Y(r)));
        break;
      case 2:
        all.push_back(Make<Box>(sheet, X(c), Y(r), X(c + 1 + cell(20)), Y(r + 1 + cell(10)), nullptr));
        break;
      default:
        all.push_back(Text(X(c), Y(r), "text"));
        break;
    }
  }
  auto walk = [&](const Rect& area) {
    std::vector<DrawObj*> found;
    for (DrawObj* obj : Items(sheet->objects)) {
      DrawObj::HitAreaList areas{};
      const std::size_t count = obj->HitAreas(areas);
      for (std::size_t i = 0; i < count; ++i) {
        const Rect& r = areas[i];
        if (r.left < area.right && area.left < r.right && r.top < area.bottom && area.top < r.bottom) {
          found.push_back(obj);
          break;
        }
      }
    }
    return found;
  };
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 200; ++i) {
      const std::int32_t left = 8 * cell(80) - 40;
      const std::int32_t top = 16 * cell(66) - 40;
      // Now and then an area larger than every grid cell, searched by a walk.
      const std::int32_t size = i % 25 == 0 ? 2000 : 8 * (1 + cell(12));
      const Rect area{left, top, left + size, top + size / 2};
      ASSERT_EQ(sheet->Index().Near(area), walk(area)) << round << ": " << left << "," << top << " " << size;
    }
    for (DrawObj* obj : all) Drag(obj, 8 * (cell(9) - 4), 16 * (cell(5) - 2));
  }
}

}  // namespace
}  // namespace virlo
