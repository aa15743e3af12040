#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "objects/Box.h"
#include "objects/HitIndex.h"
#include "support/SheetFixture.h"

namespace virlo {
namespace {

// The hit index must answer every point exactly as a walk of the list does:
// the front-most object, other than the one excluded, whose HitTest holds.
class HitIndexTest : public test::SheetFixture {
 protected:
  DrawObj* Walk(std::int32_t x, std::int32_t y, const DrawObj* exclude) const {
    List<DrawObj*>::Cursor cursor(sheet->objects);
    for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
      if (obj != exclude && obj->HitTest(x, y)) return obj;
    }
    return nullptr;
  }

  // Every cell's centre and corner, and points off the sheet, each with no
  // object excluded and with the one the walk finds there.
  std::string Differences() const {
    std::string found;
    for (std::int32_t y = -16; y <= 400; y += 8) {
      for (std::int32_t x = -8; x <= 640; x += 4) {
        const DrawObj* first = Walk(x, y, nullptr);
        for (const DrawObj* exclude : {static_cast<const DrawObj*>(nullptr), first}) {
          if (sheet->HitObject(x, y, exclude) != Walk(x, y, exclude)) {
            found += "(" + std::to_string(x) + "," + std::to_string(y) + ") ";
          }
        }
      }
    }
    return found;
  }

  // A made-up layout: boxes large and small, lines across and down, dots and
  // text boxes, overlapping, at places drawn from the seed.
  void Layout(std::uint32_t seed) {
    std::mt19937 random(seed);
    auto cell = [&](std::uint32_t cells) { return static_cast<std::int32_t>(random() % cells); };
    for (int i = 0; i < 40; ++i) {
      const std::int32_t x = cell(70) * 8 + 4;
      const std::int32_t y = cell(22) * 16 + 8;
      DrawObj* made = nullptr;
      switch (i % 4) {
        case 0:
          made = Make<Box>(sheet, x, y, x + (cell(30) + 2) * 8, y + (cell(10) + 2) * 16, nullptr);
          break;
        case 1:
          made = cell(2) == 0 ? HLine(x, x + (cell(40) + 1) * 8, y)
                              : Make<Line>(sheet, x, y, x, y + cell(12) * 16, nullptr, nullptr);
          break;
        case 2:
          made = DotOn(x, y);
          break;
        default:
          made = Text(x, y, i % 8 == 3 ? "ab\r\ncdef" : "text");
          break;
      }
      if (cell(3) == 0) {
        sheet->PlaceAtBack(made);
      } else {
        sheet->PlaceInFront(made);
      }
    }
  }
};

TEST_F(HitIndexTest, HitsAreTheListsWalkOnMadeUpLayouts) {
  for (std::uint32_t seed = 1; seed <= 6; ++seed) {
    Layout(seed);
    EXPECT_EQ(Differences(), "") << "layout " << seed;
  }
}

TEST_F(HitIndexTest, HitsFollowMovesRestackingAndRemovals) {
  Layout(7);
  ASSERT_EQ(Differences(), "");
  std::vector<DrawObj*> objects = Items(sheet->objects);
  // Moved far and near, brought to the front, taken off the list: each
  // change is seen by the next search.
  Drag(objects[3], 160, 64);
  Drag(objects[10], -24, 0);
  sheet->objects.Remove(objects[5]);
  sheet->PlaceInFront(objects[20]);
  sheet->objects.Remove(objects[20]);
  sheet->PlaceAtBack(objects[20]);
  EXPECT_EQ(Differences(), "");
  EXPECT_TRUE(sheet->Index().Agrees());
}

}  // namespace
}  // namespace virlo
