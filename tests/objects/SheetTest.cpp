#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "objects/Dot.h"
#include "objects/Line.h"
#include "objects/Selection.h"
#include "objects/Sheet.h"
#include "support/RecordingDeviceContext.h"
#include "support/RecordingWindow.h"
#include "support/SheetFixture.h"

namespace virlo {
namespace {

using SheetTest = test::SheetFixture;

TEST_F(SheetTest, TheTextFileIsNamedAfterTheDocumentAndTheGridSnapsToCellCentres) {
  EXPECT_EQ(sheet->textFileName.View(), "/tmp/dia.txt");
  const struct {
    const char *path, *expected;
  } names[] = {{"/x/dia.vrl", "/x/dia.txt"}, {"/x/my.dir/diagram", "/x/my.dir/diagram.txt"},
               {"abc", "abc.txt"},           {".vrl", ".vrl.txt"},
               {"a.b.c", "a.b.txt"},         {"/x/notes.txt", "/x/notes.txt.txt"}};
  for (const auto& n : names) EXPECT_EQ(Sheet::TextFileNameFor(String(n.path)).View(), n.expected) << n.path;
  // The grid snaps to cell centres; remainders take the sign of the dividend.
  const struct {
    Point in, out;
  } cases[] = {{{13, 20}, {12, 24}}, {{0, 0}, {4, 8}}, {{8, 16}, {12, 24}}, {{-3, -3}, {4, 8}}, {{-9, 0}, {-4, 8}}};
  for (const auto& c : cases) EXPECT_EQ(sheet->SnapToGrid(c.in.x, c.in.y), c.out) << c.in.x << "," << c.in.y;
}

TEST_F(SheetTest, RemoveObjectTakesEveryOccurrenceAndCollectInRectWholeOnes) {
  Dot* dot = Make<Dot>(sheet, 20, 40, 7, nullptr);
  Dot* other = Make<Dot>(sheet, 60, 40, 7, nullptr);
  sheet->PlaceInFront(dot);
  EXPECT_EQ(sheet->RemoveObject(dot), 2);
  EXPECT_EQ(sheet->objects.Count(), 1);
  store::Delete(dot);
  // Collected only when wholly inside; the hit area is (56,32)-(64,48).
  List<DrawObj*>& selected = sheet->CollectInRect(Rect{0, 0, 64, 100});
  EXPECT_TRUE(selected.Empty());  // the right edge lies on the rectangle's edge
  sheet->CollectInRect(Rect{56, 32, 65, 49});
  EXPECT_EQ(selected.Count(), 1);
  EXPECT_EQ(selected.Front(), other);
}

TEST_F(SheetTest, FreeingTheSheetFreesEveryObjectOnceEvenOneListedTwiceOrJoinedToOthers) {
  HLine(100, 140, 40);
  DotOn(120, 40);
  Dot* twice = Make<Dot>(sheet, 20, 40, 7, nullptr);
  sheet->PlaceAtBack(twice);
  ASSERT_EQ(sheet->objects.Count(), 4);
  Selection picked;
  twice->Select(picked);
  sheet->selected.PushBack(twice);
  store::Delete(sheet);
  sheet = nullptr;
  EXPECT_EQ(db->AllocationCount(), 0U);
}

// A device context whose painting can only change one area.
class ClippedDeviceContext : public test::RecordingDeviceContext {
 public:
  explicit ClippedDeviceContext(Rect clip) : clip_(clip) {}
  Rect ClipBox() const override { return clip_; }

 private:
  Rect clip_;
};

TEST_F(SheetTest, DrawPaintsTheBorderThenObjectsBackToFrontSkippingThoseFarOutsideTheClip) {
  Make<Dot>(sheet, 20, 40, 7, nullptr);   // at the back
  Make<Dot>(sheet, 140, 40, 7, nullptr);  // its rectangle starts 8 pixels right of the clip: kept
  Make<Dot>(sheet, 300, 40, 7, nullptr);  // far to the right
  Make<Dot>(sheet, 20, 600, 7, nullptr);  // far below
  Make<Dot>(sheet, 60, 40, 7, nullptr);   // in front
  ClippedDeviceContext dc({0, 0, 124, 64});
  sheet->Draw(dc);
  const std::vector<std::string>& calls = dc.Calls();
  ASSERT_GE(calls.size(), 7U);
  EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 7),
            (std::vector<std::string>{"SelectPen(1,#00ff00)", "MoveTo(0,0)", "LineTo(624,0)", "LineTo(624,1024)",
                                      "LineTo(0,1024)", "LineTo(0,0)", "SelectPen(1,#000000)"}));
  const auto at = [&](const char* call) { return std::find(calls.begin(), calls.end(), call); };
  EXPECT_LT(at("Ellipse(13,33,27,47)"), at("Ellipse(53,33,67,47)"));
  EXPECT_NE(at("Ellipse(53,33,67,47)"), calls.end());
  EXPECT_NE(at("Ellipse(133,33,147,47)"), calls.end());
  EXPECT_EQ(at("Ellipse(293,33,307,47)"), calls.end());
  EXPECT_EQ(at("Ellipse(13,593,27,607)"), calls.end());
}

TEST(SelectionTest, InvalidatesNormalisedRectanglesOnlyWithAWindow) {
  test::RecordingWindow window;
  Selection selection(&window);
  selection.Invalidate(Rect{40, 30, 10, 20}, true);
  ASSERT_EQ(window.invalidations.size(), 1U);
  EXPECT_EQ(window.invalidations[0].rect, (Rect{10, 20, 40, 30}));
  selection.window = nullptr;
  selection.Invalidate(Rect{0, 0, 8, 8}, true);
  EXPECT_EQ(window.invalidations.size(), 1U);
}

}  // namespace
}  // namespace virlo
