// A whole diagram built in code, rendered and changed as a user would change it.
#include <gtest/gtest.h>

#include "model/Selection.h"
#include "objects/Line.h"
#include "objects/MarkerTable.h"
#include "objects/StrBox.h"
#include "support/SheetFixture.h"

namespace virlo {
namespace {

std::int32_t X(std::int32_t column) { return column * 8 + 4; }
std::int32_t Y(std::int32_t row) { return row * 16 + 8; }

class DiagramTest : public test::SheetFixture {
 protected:
  StrBox* FramedText(std::int32_t column, std::int32_t row, const char* text) {
    auto* box = Make<StrBox>(sheet, X(column), Y(row), 0, 0, String(text), nullptr);
    box->frame = 1;
    return box;
  }

  // The first n rows of the art, each ended by a line feed, trailing blanks removed.
  std::string Art(std::size_t n) const {
    std::string art;
    for (std::size_t r = 0; r < n; ++r) art += Row(r) + "\n";
    return art;
  }

  // A drag step as the tools make it: collect and repaint, then move.
  static void Drag(DrawObj* obj, std::int32_t dx, std::int32_t dy) {
    Selection selection(nullptr, Selection::Moving::CollectOnly);
    obj->Move(selection, dx, dy);
    selection.Clear();
    selection.moving = Selection::Moving::Shift;
    obj->Move(selection, dx, dy);
    selection.Clear();
  }
};

TEST_F(DiagramTest, BoxesArrowsAndATJunctionRenderAsCharacterArt) {
  FramedText(2, 0, " browser ");
  StrBox* server = FramedText(21, 0, "  server  ");
  FramedText(21, 5, " database ");
  auto* arrow = Make<Line>(sheet, X(13), Y(1), X(20), Y(1), nullptr, nullptr);
  arrow->start.marker = 1;
  arrow->end.marker = MarkerTable::RightArrow;
  // Begun on the server's bottom side, the line rests on it.
  auto* down = Make<Line>(sheet, X(26), Y(2), X(26), Y(4), nullptr, sheet->PickObject(X(26), Y(2), nullptr));
  down->end.marker = MarkerTable::DownArrow;
  ASSERT_EQ(down->start.hostLine, &server->bottom);

  EXPECT_EQ(Art(9),
            "  +---------+        +----------+\n"
            "  | browser |------->|  server  |\n"
            "  +---------+        +----+-----+\n"
            "                          |\n"
            "                          V\n"
            "                     +----------+\n"
            "                     | database |\n"
            "                     +----------+\n"
            "\n");
  const std::string text = sheet->MakeText();
  EXPECT_EQ(text.size(), 64u * 79u);

  // Moving the server box one cell right drags the line resting on its
  // bottom side across itself; the arrow's head is not attached and stays.
  Drag(server, 8, 0);
  EXPECT_EQ(down->start.GetPos(), (Point{X(27), Y(2)}));
  EXPECT_EQ(down->end.GetPos(), (Point{X(27), Y(4)}));
  EXPECT_EQ(Art(5),
            "  +---------+         +----------+\n"
            "  | browser |-------> |  server  |\n"
            "  +---------+         +----+-----+\n"
            "                           |\n"
            "                           V\n");
}

TEST_F(DiagramTest, AJoinedNetworkFollowsADragAcrossEachLine) {
  // An L of two lines joined at the corner, and a third line hanging off the
  // vertical one in a T.
  auto* top = Make<Line>(sheet, X(2), Y(1), X(8), Y(1), nullptr, nullptr);
  auto* side = Make<Line>(sheet, X(8), Y(1), X(8), Y(5), nullptr, &top->end);
  auto* branch = Make<Line>(sheet, X(8), Y(3), X(12), Y(3), nullptr, sheet->PickObject(X(8), Y(3), nullptr));
  ASSERT_EQ(side->start.partner, &top->end);
  ASSERT_EQ(branch->start.hostLine, side);
  EXPECT_EQ(Art(6),
            "\n"
            "  +-----+\n"
            "        |\n"
            "        +---+\n"
            "        |\n"
            "        +\n");

  // Dragging the vertical line right: the joined corner takes the top line's
  // end along (the top line stretches), and the branch follows its start.
  Drag(side, 16, 16);
  EXPECT_EQ(top->start.GetPos(), (Point{X(2), Y(1)}));
  EXPECT_EQ(top->end.GetPos(), (Point{X(10), Y(1)}));
  EXPECT_EQ(branch->start.GetPos(), (Point{X(10), Y(3)}));
  EXPECT_EQ(branch->end.GetPos(), (Point{X(12), Y(3)}));
  EXPECT_EQ(Art(6),
            "\n"
            "  +-------+\n"
            "          |\n"
            "          +-+\n"
            "          |\n"
            "          +\n");
}

}  // namespace
}  // namespace virlo
