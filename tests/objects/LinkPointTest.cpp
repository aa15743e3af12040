#include <gtest/gtest.h>

#include "objects/Box.h"
#include "objects/Line.h"
#include "objects/LinkPoint.h"
#include "objects/MarkerTable.h"
#include "objects/StrBox.h"
#include "support/RecordingDeviceContext.h"
#include "support/SheetFixture.h"

namespace virlo {
namespace {

using LinkPointTest = test::SheetFixture;

// A joined end is painted by itself, unless its partner is current: then it
// hides behind the partner's red.
TEST_F(LinkPointTest, AJoinedEndHidesBehindItsCurrentPartner) {
  Line* across = HLine(12, 52, 24);
  Line* down = Make<Line>(sheet, 52, 24, 52, 88, nullptr, &across->end);
  across->end.marker = 9;
  test::RecordingDeviceContext dc;
  across->end.Draw(dc);
  EXPECT_FALSE(dc.Calls().empty());
  dc.Reset();
  sheet->current = &down->start;
  across->end.Draw(dc);
  EXPECT_TRUE(dc.Calls().empty());
  sheet->current = nullptr;
}

// An arrow two blank cells short of a box's side, docked there as published
// art draws it: the gap stays as the box moves across and along the arrow,
// settling keeps it, and an end moved next to the side or onto it docks or
// rests there without one.
TEST_F(LinkPointTest, ADockedEndKeepsItsGapWhenItsBoxMoves) {
  Box* box = Make<Box>(sheet, 108, 40, 156, 104, nullptr);  // (13,2) to (19,6)
  Line* arrow = HLine(20, 84, 72);                          // (2,4) to (10,4)
  arrow->end.marker = MarkerTable::RightArrow;
  arrow->end.SetLine(&box->left);
  arrow->end.gap = 2;
  EXPECT_TRUE(arrow->end.Holds());
  EXPECT_FALSE(arrow->end.HoldsAt({92, 72}));  // one cell short: not this gap
  EXPECT_EQ(Row(4), "  +------->  |     |");
  Drag(box, 24, 0);
  Drag(box, 0, -16);
  EXPECT_EQ(Art(1, 5),
            "                +-----+/                |     |/  +---------->  |     |/                |     |/"
            "                +-----+");
  EXPECT_EQ(arrow->end.hostLine, &box->left);
  EXPECT_EQ(arrow->end.gap, 2);
  Selection settle;
  arrow->Select(settle);
  settle.Clear();
  EXPECT_EQ(arrow->end.gap, 2);
  // Dragged up to the side it docks as the line tool docks, right before it.
  Drag(&arrow->end, 16, 0);
  EXPECT_EQ(arrow->end.hostLine, &box->left);
  EXPECT_EQ(arrow->end.gap, 0);
  Drag(&arrow->end, 8, 0);
  EXPECT_EQ(arrow->end.hostLine, &box->left);
  EXPECT_EQ(arrow->end.gap, 0);
  EXPECT_EQ(arrow->end.GetPos(), (Point{132, 56}));
}

// The frame of a text box without one shows nowhere: an end or a dot let go
// on it rests on nothing there, and an end before it docks on nothing.
TEST_F(LinkPointTest, NothingRestsOnTheHiddenFrameOfAText) {
  StrBox* text = Text(36, 56, "Then");                              // its frame from (4,3) to (9,5)
  Line* line = Make<Line>(sheet, 52, 8, 52, 24, nullptr, nullptr);  // (6,0) down to (6,1)
  Drag(&line->end, 0, 32);                                          // onto the frame's top side, at (6,3)
  EXPECT_EQ(line->end.hostLine, nullptr);
  Drag(&line->end, 0, -16);  // right before it
  EXPECT_EQ(line->end.hostLine, nullptr);
  Dot* dot = Make<Dot>(sheet, 36, 72, 7, nullptr);  // on its left side, at (4,4)
  dot->LinkToLine();
  EXPECT_EQ(dot->GetLine(), nullptr);
  text->frame = 1;
  dot->LinkToLine();
  EXPECT_EQ(dot->GetLine(), &text->left);
}

}  // namespace
}  // namespace virlo
