#include "model/Sheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/ClipboardSheet.h"
#include "objects/Dot.h"
#include "objects/Line.h"
#include "objects/MarkerTable.h"
#include "support/RecordingDeviceContext.h"
#include "support/SheetFixture.h"

namespace virlo {
namespace {

std::string BlankArt(std::size_t columns, std::size_t rows) {
  std::string text;
  for (std::size_t r = 0; r < rows; ++r) text += std::string(columns, ' ') + "\n";
  return text;
}

std::vector<DrawObj*> Objects(const Sheet& sheet) {
  std::vector<DrawObj*> objects;
  List<DrawObj*>::Cursor cursor(sheet.objects);
  for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) objects.push_back(obj);
  return objects;
}

std::string FileNameFor(const char* path) { return std::string(Sheet::TextFileNameFor(String(path)).View()); }

class SheetTest : public test::SheetFixture {};

TEST_F(SheetTest, NewSheetIsEmptyWithTheGivenGrid) {
  EXPECT_EQ(sheet->current, nullptr);
  EXPECT_TRUE(sheet->objects.Empty());
  EXPECT_TRUE(sheet->selected.Empty());
  EXPECT_EQ(sheet->width, 624);
  EXPECT_EQ(sheet->height, 1024);
  EXPECT_EQ(sheet->cellWidth, 8);
  EXPECT_EQ(sheet->cellHeight, 16);
  EXPECT_EQ(sheet->originX, 0);
  EXPECT_EQ(sheet->originY, 0);
  EXPECT_EQ(sheet->MakeText(), BlankArt(78, 64));
  // The text file name follows the database's path.
  EXPECT_EQ(sheet->textFileName.View(), "/tmp/dia.txt");
  EXPECT_EQ(store::Database::Of(sheet->textFileName.Text()), db.get());
}

TEST(ClipboardSheetTest, IsATransientSheetOf128By64Characters) {
  ASSERT_NE(clipboardSheet, nullptr);
  EXPECT_TRUE(store::Database::Of(clipboardSheet)->IsTransient());
  EXPECT_EQ(clipboardSheet->width, 1024);
  EXPECT_EQ(clipboardSheet->height, 1024);
  EXPECT_EQ(clipboardSheet->cellWidth, 8);
  EXPECT_EQ(clipboardSheet->cellHeight, 16);
  EXPECT_EQ(clipboardSheet->textFileName.View(), ".txt");
  // Other suites may have left copies on the clipboard; the grid is what counts.
  const std::string art = clipboardSheet->MakeText();
  ASSERT_EQ(art.size(), 64U * 129U);
  for (std::size_t lf = 128; lf < art.size(); lf += 129) EXPECT_EQ(art[lf], '\n') << lf;
}

TEST(SheetTextFileNameTest, CutsAtTheLastDotAfterTheFirstCharacter) {
  EXPECT_EQ(FileNameFor("C:\\a.b\\c"), "C:\\a.txt");
  EXPECT_EQ(FileNameFor("abc"), ".txt");
  EXPECT_EQ(FileNameFor(".vrl"), ".txt");
  EXPECT_EQ(FileNameFor("\\dia.vrl"), "\\dia.txt");
  EXPECT_EQ(FileNameFor("C:\\work\\dia.vrl"), "C:\\work\\dia.txt");
  EXPECT_EQ(FileNameFor("a.b.c"), "a.b.txt");
  EXPECT_EQ(FileNameFor("x."), "x.txt");
  EXPECT_EQ(FileNameFor(""), ".txt");
}

TEST_F(SheetTest, SetTextFileNameKeepsItsOwnCopy) {
  String name("/tmp/other.txt");
  sheet->SetTextFileName(name);
  name.Assign("changed");
  EXPECT_EQ(sheet->textFileName.View(), "/tmp/other.txt");
  EXPECT_NE(sheet->textFileName.Text(), name.Text());
}

TEST_F(SheetTest, SnapToGridGivesCellCentres) {
  EXPECT_EQ(sheet->SnapToGrid(13, 20), (Point{12, 24}));
  EXPECT_EQ(sheet->SnapToGrid(0, 0), (Point{4, 8}));
  EXPECT_EQ(sheet->SnapToGrid(7, 15), (Point{4, 8}));
  EXPECT_EQ(sheet->SnapToGrid(8, 16), (Point{12, 24}));
  // Remainders take the sign of the dividend.
  EXPECT_EQ(sheet->SnapToGrid(-3, -3), (Point{4, 8}));
  EXPECT_EQ(sheet->SnapToGrid(-7, -15), (Point{4, 8}));
  EXPECT_EQ(sheet->SnapToGrid(-9, 0), (Point{-4, 8}));
  EXPECT_EQ(sheet->SnapToGrid(-8, -16), (Point{-4, -8}));
}

TEST_F(SheetTest, HitObjectFindsTheFrontMostTopLevelObject) {
  Dot* back = Make<Dot>(sheet, 20, 40, 7, nullptr);
  Dot* front = Make<Dot>(sheet, 20, 40, 7, nullptr);
  ASSERT_NE(back, nullptr);
  ASSERT_NE(front, nullptr);
  EXPECT_EQ(Objects(*sheet), (std::vector<DrawObj*>{front, back}));
  EXPECT_EQ(sheet->HitObject(20, 40, nullptr), front);
  EXPECT_EQ(sheet->HitObject(23, 47, nullptr), front);
  EXPECT_EQ(sheet->HitObject(20, 40, front), back);
  EXPECT_EQ(sheet->HitObject(20, 40, back), front);
  EXPECT_EQ(sheet->HitObject(24, 40, nullptr), nullptr);
  EXPECT_EQ(sheet->HitObject(200, 200, nullptr), nullptr);

  // Line ends are not tried on their own: the line answers for them.
  Line* line = Make<Line>(sheet, 100, 40, 140, 40, nullptr, nullptr);
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(sheet->HitObject(100, 40, nullptr), line);
  EXPECT_EQ(sheet->HitObject(100, 40, &line->start), line);
}

TEST_F(SheetTest, PickObjectHonoursTheExclusion) {
  Dot* dot = Make<Dot>(sheet, 20, 40, 7, nullptr);
  Dot* placed = Make<Dot>(sheet, 300, 300, 7, nullptr);
  Line* line = Make<Line>(sheet, 100, 40, 140, 40, nullptr, nullptr);
  ASSERT_NE(dot, nullptr);
  ASSERT_NE(placed, nullptr);
  ASSERT_NE(line, nullptr);

  // A dot has no parts: without exclusion it is its own pick, with one nothing.
  EXPECT_EQ(sheet->PickObject(20, 40, nullptr), dot);
  EXPECT_EQ(sheet->PickObject(20, 40, placed), nullptr);
  EXPECT_EQ(sheet->PickObject(20, 40, dot), nullptr);
  EXPECT_EQ(sheet->PickObject(200, 200, nullptr), nullptr);

  // A line gives the part under the point.
  EXPECT_EQ(sheet->PickObject(100, 40, nullptr), &line->start);
  EXPECT_EQ(sheet->PickObject(140, 40, nullptr), &line->end);
  EXPECT_EQ(sheet->PickObject(120, 40, nullptr), line);
  EXPECT_EQ(sheet->PickObject(120, 40, placed), line);
  EXPECT_EQ(sheet->PickObject(100, 40, placed), &line->start);
  EXPECT_EQ(sheet->PickObject(100, 40, &line->start), line);
  EXPECT_EQ(sheet->PickObject(120, 40, line), nullptr);
}

TEST_F(SheetTest, RemoveObjectTakesEveryOccurrence) {
  Dot* dot = Make<Dot>(sheet, 20, 40, 7, nullptr);
  Dot* other = Make<Dot>(sheet, 60, 40, 7, nullptr);
  ASSERT_NE(dot, nullptr);
  sheet->PlaceInFront(dot);
  EXPECT_EQ(Objects(*sheet), (std::vector<DrawObj*>{dot, other, dot}));
  EXPECT_EQ(sheet->RemoveObject(dot), 2);
  EXPECT_EQ(sheet->objects.Contains(dot), 0);
  EXPECT_EQ(Objects(*sheet), (std::vector<DrawObj*>{other}));
  EXPECT_EQ(sheet->RemoveObject(dot), 0);
  store::Delete(dot);
}

TEST_F(SheetTest, PlacingUsesTheTopLevelObject) {
  Line* line = Make<Line>(sheet, 100, 40, 140, 40, nullptr, nullptr);
  Dot* dot = Make<Dot>(sheet, 20, 40, 7, nullptr);
  ASSERT_NE(line, nullptr);
  ASSERT_NE(dot, nullptr);
  EXPECT_EQ(Objects(*sheet), (std::vector<DrawObj*>{dot, line}));

  // Placing does not take out an earlier entry.
  sheet->PlaceInFront(&line->end);
  EXPECT_EQ(Objects(*sheet), (std::vector<DrawObj*>{line, dot, line}));
  EXPECT_EQ(sheet->RemoveObject(line), 2);
  sheet->PlaceAtBack(&line->start);
  sheet->PlaceAtBack(dot);
  EXPECT_EQ(Objects(*sheet), (std::vector<DrawObj*>{dot, line, dot}));
  EXPECT_EQ(sheet->RemoveObject(dot), 2);
  sheet->PlaceInFront(dot);
  EXPECT_EQ(Objects(*sheet), (std::vector<DrawObj*>{dot, line}));
}

TEST_F(SheetTest, CollectInRectTakesObjectsWhollyInside) {
  // Hit areas: (16,32)-(24,48) and (56,32)-(64,48).
  Dot* left = Make<Dot>(sheet, 20, 40, 7, nullptr);
  Dot* right = Make<Dot>(sheet, 60, 40, 7, nullptr);
  ASSERT_NE(left, nullptr);
  ASSERT_NE(right, nullptr);

  List<DrawObj*>& selected = sheet->CollectInRect(Rect{0, 0, 24, 100});
  EXPECT_EQ(&selected, &sheet->selected);
  EXPECT_TRUE(selected.Empty());  // the right edge lies on the rectangle's edge
  EXPECT_TRUE(sheet->CollectInRect(Rect{0, 0, 100, 48}).Empty());
  EXPECT_TRUE(sheet->CollectInRect(Rect{17, 32, 50, 100}).Empty());

  sheet->CollectInRect(Rect{16, 32, 25, 49});
  EXPECT_EQ(selected.Count(), 1);
  EXPECT_EQ(selected.Front(), left);

  // Not emptied first; front-most objects come first.
  sheet->CollectInRect(Rect{0, 0, 100, 100});
  List<DrawObj*>::Cursor cursor(selected);
  EXPECT_EQ(selected.Count(), 3);
  EXPECT_EQ(cursor.First(), left);
  EXPECT_EQ(cursor.Next(), right);
  EXPECT_EQ(cursor.Next(), left);
}

TEST_F(SheetTest, DrawPaintsTheBorderThenObjectsBackToFront) {
  Make<Dot>(sheet, 20, 40, MarkerTable::BlackCircle, nullptr);  // ends up at the back
  Make<Dot>(sheet, 60, 40, MarkerTable::BlackCircle, nullptr);
  test::RecordingDeviceContext dc;
  sheet->Draw(dc);
  const std::vector<std::string>& calls = dc.Calls();
  const std::vector<std::string> border = {"SelectPen(1,#00ff00)", "MoveTo(0,0)",       "LineTo(624,0)",
                                           "LineTo(624,1024)",     "LineTo(0,1024)",    "LineTo(0,0)",
                                           "SelectPen(1,#000000)"};
  ASSERT_GE(calls.size(), border.size());
  EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 7), border);
  EXPECT_EQ(dc.CurrentPen(), (Pen{1, Color::Black()}));

  const auto back = std::find(calls.begin(), calls.end(), "Ellipse(13,33,27,47)");
  const auto front = std::find(calls.begin(), calls.end(), "Ellipse(53,33,67,47)");
  ASSERT_NE(back, calls.end());
  ASSERT_NE(front, calls.end());
  EXPECT_LT(back, front);
}

TEST_F(SheetTest, MakeTextLetsFrontObjectsOverwriteBackOnes) {
  Make<Dot>(sheet, 20, 40, 1, nullptr);  // "-" at column 2, row 2, at the back
  Make<Dot>(sheet, 20, 40, 2, nullptr);  // "|" in front of it
  Make<Dot>(sheet, 620, 1020, 1, nullptr);
  const std::vector<std::string> rows = Rows();
  ASSERT_EQ(rows.size(), 64U);
  EXPECT_EQ(rows[2], "  |" + std::string(75, ' '));
  EXPECT_EQ(rows[63], std::string(77, ' ') + "-");
}

TEST_F(SheetTest, DestroyingTheSheetDeletesItsObjects) {
  store::Database other("/tmp/other.vrl");
  Sheet* doomed = store::New<Sheet>(&other, 624, 1024, 8, 16);
  ASSERT_NE(doomed, nullptr);
  const std::size_t before = other.AllocationCount();
  Dot* dot = store::New<Dot>(&other, doomed, 20, 40, 7, nullptr);
  ASSERT_NE(dot, nullptr);
  store::New<Line>(&other, doomed, 100, 40, 140, 40, nullptr, nullptr);
  EXPECT_GT(other.AllocationCount(), before);
  store::Delete(doomed);
  EXPECT_EQ(other.AllocationCount(), 0U);
}

}  // namespace
}  // namespace virlo
