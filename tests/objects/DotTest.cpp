#include "objects/Dot.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/Canvas.h"
#include "model/Selection.h"
#include "objects/Line.h"
#include "store/Store.h"
#include "support/RecordingDeviceContext.h"
#include "support/SheetFixture.h"

namespace virlo {
namespace {

using test::RecordingDeviceContext;

class DotTest : public test::SheetFixture {
 protected:
  // Paints a dot into a context whose pen, brush, colours and fill mode all
  // differ from anything a dot selects, so a missed restore shows.
  std::vector<std::string> Paint(const Dot& dot) {
    dc.SelectPen(Pen{3, Color::Green()});
    dc.SelectBrush(Brush::Solid(Color::Green()));
    dc.SetTextColor(Color::Green());
    dc.SetPolygonFillMode(PolygonFillMode::Winding);
    dc.Reset();
    dot.Draw(dc);
    return dc.Calls();
  }
  void ExpectStateRestored() const {
    EXPECT_EQ(dc.CurrentPen(), (Pen{3, Color::Green()}));
    EXPECT_EQ(dc.CurrentBrush(), Brush::Solid(Color::Green()));
    EXPECT_EQ(dc.TextColor(), Color::Green());
    EXPECT_EQ(dc.Background(), BackgroundMode::Opaque);
    EXPECT_EQ(dc.FillMode(), PolygonFillMode::Winding);
  }

  RecordingDeviceContext dc;
};

// Only the calls that put something on screen, in order.
std::vector<std::string> Shapes(const std::vector<std::string>& calls) {
  std::vector<std::string> shapes;
  for (const std::string& call : calls) {
    for (const char* kind : {"MoveTo(", "LineTo(", "Ellipse(", "Polygon(", "FillRect(", "TextOut("}) {
      if (call.rfind(kind, 0) == 0) shapes.push_back(call);
    }
  }
  return shapes;
}

// The last call starting with prefix that came before the first call starting with at.
std::string LastBefore(const std::vector<std::string>& calls, const std::string& at, const std::string& prefix) {
  std::string last;
  for (const std::string& call : calls) {
    if (call.rfind(at, 0) == 0) return last;
    if (call.rfind(prefix, 0) == 0) last = call;
  }
  return "(no " + at + ")";
}

TEST_F(DotTest, NegativeTypeGivesWhiteCircleAndZeroStays) {
  EXPECT_EQ(Make<Dot>(sheet, 20, 24, -1, nullptr)->marker, 8);
  EXPECT_EQ(Make<Dot>(sheet, 20, 24, 0, nullptr)->marker, 0);
  EXPECT_EQ(Make<Dot>(sheet, 20, 24, 13, nullptr)->marker, 13);
}

TEST_F(DotTest, RendersItsMarkerInItsCellOnlyInsideTheSheet) {
  Make<Dot>(sheet, 0, 0, 1, nullptr);
  EXPECT_EQ(Row(0), "-");

  // -1 would truncate into column 0; it must be dropped instead.
  Make<Dot>(sheet, -1, 24, 2, nullptr);
  Make<Dot>(sheet, sheet->width, 40, 2, nullptr);
  Make<Dot>(sheet, 20, -1, 2, nullptr);
  Make<Dot>(sheet, 20, sheet->height, 2, nullptr);
  EXPECT_EQ(Row(1), "");
  EXPECT_EQ(Row(2), "");
  EXPECT_EQ(Row(0), "-");
  EXPECT_EQ(Row(63), "");
}

TEST_F(DotTest, DiamondTakesTwoCellsButNeverGrowsTheRow) {
  Make<Dot>(sheet, 20, 24, 14, nullptr);
  EXPECT_EQ(Row(1), "  <>");

  Make<Dot>(sheet, 77 * 8 + 4, 40, 14, nullptr);
  const std::string row = Rows().at(2);
  EXPECT_EQ(row.size(), 78U);
  EXPECT_EQ(row.back(), '<');
  EXPECT_EQ(Rows().size(), 64U);
}

TEST_F(DotTest, MarkerOverwritesLineCharactersAndText) {
  Make<Line>(sheet, 12, 24, 52, 24, nullptr, nullptr);
  Make<Dot>(sheet, 28, 24, 15, nullptr);  // in front, rendered after the line
  EXPECT_EQ(Row(1), " +-U--+");

  Canvas canvas(78, 64);
  canvas.Write(0, 0, "ab");
  Dot* arrow = Make<Dot>(sheet, 4, 8, 9, nullptr);
  arrow->RenderText(canvas);
  EXPECT_EQ(canvas.Row(0).substr(0, 3), "<b ");
}

TEST_F(DotTest, HitAreaIsItsCellWithRightAndBottomEdgesOutside) {
  Dot* dot = Make<Dot>(sheet, 20, 24, 8, nullptr);
  EXPECT_TRUE(dot->HitTest(20 - 4, 24));
  EXPECT_FALSE(dot->HitTest(20 + 4, 24));
  EXPECT_TRUE(dot->HitTest(20, 24 - 8));
  EXPECT_FALSE(dot->HitTest(20, 24 + 8));
  EXPECT_FALSE(dot->HitTest(20 - 5, 24));
  EXPECT_EQ(dot->GetRect(0), (Rect{16, 16, 24, 32}));
}

TEST_F(DotTest, RedrawAreaDependsOnTypeAndHighlight) {
  Dot* join = Make<Dot>(sheet, 20, 24, 0, nullptr);
  EXPECT_EQ(join->GetRect(1), (Rect{19, 23, 21, 25}));
  join->SetFlag(DrawObj::Highlighted, 1);
  EXPECT_EQ(join->GetRect(1), (Rect{16, 20, 24, 28}));

  Dot* text = Make<Dot>(sheet, 20, 24, 1, nullptr);
  EXPECT_EQ(text->GetRect(1), (Rect{12, 16, 28, 32}));
  text->SetFlag(DrawObj::Highlighted, 1);
  EXPECT_EQ(text->GetRect(1), (Rect{12, 16, 28, 32}));
  EXPECT_EQ(Make<Dot>(sheet, 20, 24, 14, nullptr)->GetRect(1), (Rect{12, 16, 28, 32}));
}

TEST_F(DotTest, TextMarkerIsWhiteTransparentAtItsCellCorner) {
  Dot* dot = Make<Dot>(sheet, 20, 24, 1, nullptr);
  const auto calls = Paint(*dot);
  EXPECT_EQ(Shapes(calls), (std::vector<std::string>{"TextOut(16,16,-)"}));
  EXPECT_EQ(LastBefore(calls, "TextOut(", "SetTextColor("), "SetTextColor(#ffffff)");
  EXPECT_EQ(LastBefore(calls, "TextOut(", "SetBackgroundMode("), "SetBackgroundMode(transparent)");
  ExpectStateRestored();
}

TEST_F(DotTest, CurrentDotIsRedAndHighlightedDotBlueWithSquare) {
  Dot* dot = Make<Dot>(sheet, 20, 24, 15, nullptr);
  dot->SetFlag(DrawObj::Highlighted, 1);
  auto calls = Paint(*dot);
  EXPECT_EQ(Shapes(calls), (std::vector<std::string>{"FillRect(16,20,24,28,#0000ff)", "TextOut(16,16,U)"}));
  EXPECT_EQ(LastBefore(calls, "TextOut(", "SetTextColor("), "SetTextColor(#0000ff)");

  sheet->current = dot;  // current wins over highlighted
  calls = Paint(*dot);
  EXPECT_EQ(Shapes(calls), (std::vector<std::string>{"FillRect(16,20,24,28,#ff0000)", "TextOut(16,16,U)"}));
  EXPECT_EQ(LastBefore(calls, "TextOut(", "SetTextColor("), "SetTextColor(#ff0000)");
  ExpectStateRestored();
  sheet->current = nullptr;
}

TEST_F(DotTest, JoinMarkerPaintsOnlyTheHighlightSquare) {
  Dot* dot = Make<Dot>(sheet, 20, 24, 0, nullptr);
  EXPECT_TRUE(Paint(*dot).empty());
  dot->SetFlag(DrawObj::Highlighted, 1);
  EXPECT_EQ(Shapes(Paint(*dot)), (std::vector<std::string>{"FillRect(16,20,24,28,#0000ff)"}));
  ExpectStateRestored();
}

TEST_F(DotTest, CirclesUseBlackOrMarkerColourBrush) {
  Dot* black = Make<Dot>(sheet, 20, 24, 7, nullptr);
  auto calls = Paint(*black);
  EXPECT_EQ(Shapes(calls), (std::vector<std::string>{"Ellipse(13,17,27,31)"}));
  EXPECT_EQ(LastBefore(calls, "Ellipse(", "SelectBrush("), "SelectBrush(#000000)");
  EXPECT_EQ(LastBefore(calls, "Ellipse(", "SelectPen("), "SelectPen(1,#000000)");
  ExpectStateRestored();
  black->SetFlag(DrawObj::Highlighted, 1);
  EXPECT_EQ(Shapes(Paint(*black)),
            (std::vector<std::string>{"Ellipse(13,17,27,31)", "FillRect(16,20,24,28,#0000ff)"}));
  ExpectStateRestored();

  Dot* white = Make<Dot>(sheet, 20, 24, 8, nullptr);
  calls = Paint(*white);
  EXPECT_EQ(Shapes(calls), (std::vector<std::string>{"Ellipse(13,17,27,31)"}));
  EXPECT_EQ(LastBefore(calls, "Ellipse(", "SelectBrush("), "SelectBrush(#ffffff)");
  white->SetFlag(DrawObj::Highlighted, 1);
  calls = Paint(*white);
  EXPECT_EQ(Shapes(calls), (std::vector<std::string>{"Ellipse(13,17,27,31)"}));  // no square
  EXPECT_EQ(LastBefore(calls, "Ellipse(", "SelectBrush("), "SelectBrush(#0000ff)");
  ExpectStateRestored();
}

TEST_F(DotTest, ArrowheadsAreTwoStrokesFromTheDot) {
  const std::vector<std::vector<std::string>> expected = {
      {"MoveTo(20,24)", "LineTo(27,17)", "MoveTo(20,24)", "LineTo(27,31)"},
      {"MoveTo(20,24)", "LineTo(13,17)", "MoveTo(20,24)", "LineTo(13,31)"},
      {"MoveTo(20,24)", "LineTo(13,31)", "MoveTo(20,24)", "LineTo(27,31)"},
      {"MoveTo(20,24)", "LineTo(13,17)", "MoveTo(20,24)", "LineTo(27,17)"},
  };
  for (std::int32_t type = 9; type <= 12; ++type) {
    Dot* dot = Make<Dot>(sheet, 20, 24, type, nullptr);
    const auto& strokes = expected[static_cast<std::size_t>(type - 9)];
    auto calls = Paint(*dot);
    EXPECT_EQ(Shapes(calls), strokes) << "type " << type;
    EXPECT_EQ(LastBefore(calls, "MoveTo(", "SelectPen("), "SelectPen(1,#000000)") << "type " << type;
    ExpectStateRestored();

    dot->SetFlag(DrawObj::Highlighted, 1);
    auto withSquare = strokes;
    withSquare.push_back("FillRect(16,20,24,28,#0000ff)");
    EXPECT_EQ(Shapes(Paint(*dot)), withSquare) << "type " << type;
    ExpectStateRestored();
  }
}

TEST_F(DotTest, TriangleAndDiamondAreFilledPolygonsWithoutSquare) {
  Dot* triangle = Make<Dot>(sheet, 20, 24, 13, nullptr);
  triangle->SetFlag(DrawObj::Highlighted, 1);
  auto calls = Paint(*triangle);
  EXPECT_EQ(Shapes(calls), (std::vector<std::string>{"Polygon(20,17;13,31;27,31)"}));
  EXPECT_EQ(LastBefore(calls, "Polygon(", "SelectBrush("), "SelectBrush(#0000ff)");
  EXPECT_EQ(LastBefore(calls, "Polygon(", "SetPolygonFillMode("), "SetPolygonFillMode(alternate)");
  ExpectStateRestored();

  Dot* diamond = Make<Dot>(sheet, 20, 24, 14, nullptr);
  calls = Paint(*diamond);
  EXPECT_EQ(Shapes(calls), (std::vector<std::string>{"Polygon(20,17;13,24;20,31;27,24)"}));
  EXPECT_EQ(LastBefore(calls, "Polygon(", "SelectBrush("), "SelectBrush(#ffffff)");
  EXPECT_EQ(LastBefore(calls, "Polygon(", "SetPolygonFillMode("), "SetPolygonFillMode(alternate)");
  ExpectStateRestored();
}

TEST_F(DotTest, LinkToLineAttachesOnlyAwayFromTheEnds) {
  Line* line = Make<Line>(sheet, 12, 24, 92, 24, nullptr, nullptr);
  Dot* atEnd = Make<Dot>(sheet, 12, 24, 8, nullptr);
  atEnd->LinkToLine();
  EXPECT_EQ(atEnd->GetLine(), nullptr);
  EXPECT_EQ(atEnd->parent, nullptr);
  EXPECT_TRUE(line->attached.Empty());

  Dot* first = Make<Dot>(sheet, 60, 24, 8, nullptr);
  first->LinkToLine();
  Dot* second = Make<Dot>(sheet, 36, 24, 8, nullptr);
  second->LinkToLine();
  EXPECT_EQ(second->GetLine(), line);
  EXPECT_EQ(second->parent, line);
  List<DrawObj*>::Cursor cursor(line->attached);
  EXPECT_EQ(cursor.Last(), second);
  EXPECT_EQ(cursor.First(), first);
  EXPECT_EQ(line->attached.Count(), 2);
  EXPECT_TRUE(sheet->objects.Contains(second));  // still listed while resting
  EXPECT_EQ(second->Root(), line);

  // Moved off the line, it becomes free again.
  second->y = 200;
  second->LinkToLine();
  EXPECT_EQ(second->GetLine(), nullptr);
  EXPECT_EQ(line->attached.Contains(second), 0);
}

TEST_F(DotTest, AttachedDotMovesWithItsLineInTheSameOperation) {
  Line* line = Make<Line>(sheet, 12, 24, 92, 24, nullptr, nullptr);
  Dot* dot = Make<Dot>(sheet, 44, 24, 8, nullptr);
  dot->LinkToLine();
  ASSERT_EQ(dot->GetLine(), line);

  Selection s;
  EXPECT_EQ(line->Move(s, 0, 16), 1);
  EXPECT_EQ(dot->GetPos(), (Point{44, 40}));
  EXPECT_EQ(dot->selection, &s);
  EXPECT_EQ(line->start.GetPos(), (Point{12, 40}));
  s.Clear();
  EXPECT_EQ(dot->selection, nullptr);
}

TEST_F(DotTest, CloneCopiesStateIntoTheTargetSheetUnlisted) {
  Line* line = Make<Line>(sheet, 12, 24, 92, 24, nullptr, nullptr);
  Dot* dot = Make<Dot>(sheet, 44, 24, 12, nullptr);
  dot->LinkToLine();
  dot->flags = DrawObj::Visible | DrawObj::Highlighted;
  ASSERT_EQ(dot->parent, line);

  auto otherDb = std::make_unique<store::Database>("/tmp/other.vrl");
  Sheet* other = store::New<Sheet>(otherDb.get(), 1024, 1024, 8, 16);
  auto* copy = dynamic_cast<Dot*>(dot->Clone(other));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(store::Database::Of(copy), otherDb.get());
  EXPECT_EQ(copy->sheet, other);
  EXPECT_EQ(copy->parent, nullptr);
  EXPECT_EQ(copy->GetPos(), (Point{44, 24}));
  EXPECT_EQ(copy->marker, 12);
  EXPECT_EQ(copy->flags, DrawObj::Visible | DrawObj::Highlighted);
  EXPECT_TRUE(other->objects.Empty());
  EXPECT_EQ(sheet->objects.Contains(copy), 0);
  EXPECT_EQ(line->attached.Count(), 1);

  {
    store::AllocationFailure guard(0);
    EXPECT_EQ(dot->Clone(other), nullptr);
  }
  store::Delete(copy);
  store::Delete(other);
}

TEST_F(DotTest, PlaceAtMovesByTheDifference) {
  Dot* dot = Make<Dot>(sheet, 20, 24, 8, nullptr);
  Selection s;
  EXPECT_EQ(dot->PlaceAt(36, 56, s), 1);
  EXPECT_EQ(dot->GetPos(), (Point{36, 56}));
  s.Clear();
  EXPECT_EQ(dot->PlaceAt(36, 56, s), 0);  // already there: no move, no join
  EXPECT_EQ(dot->selection, nullptr);

  Selection collecting(nullptr, 0);
  EXPECT_EQ(dot->PlaceAt(4, 8, collecting), 1);
  EXPECT_EQ(dot->GetPos(), (Point{36, 56}));
  collecting.Clear();
}

}  // namespace
}  // namespace virlo
