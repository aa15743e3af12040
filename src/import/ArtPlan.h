#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace virlo {

// The objects character art was read as, in cells, before any is built:
// boxes, lines with their ends' markers and links, dots resting on lines,
// and text. Cells are (column, row) of the art.
struct ArtPlan {
  struct Cell {
    std::int32_t column = 0;
    std::int32_t row = 0;
    friend bool operator==(const Cell&, const Cell&) = default;
  };

  // A box's sides, in the order the box holds them.
  enum class Side : std::int32_t { Top = 0, Left = 1, Bottom = 2, Right = 3 };

  // What a line end or a dot rests on: a line of the plan, or a side of a box.
  struct Host {
    enum class Kind { None, Line, BoxSide } kind = Kind::None;
    std::int32_t index = -1;
    Side side = Side::Top;
  };

  struct End {
    Cell cell;
    std::int32_t marker = 0;
    Host host;
    // The end of another line this end is joined to: line index, and true for its end.
    std::int32_t joinLine = -1;
    bool joinAtEnd = false;
  };

  struct Line {
    bool horizontal = true;
    End start;
    End end;
  };

  enum class Alignment : std::int32_t { Left = 0, Centre = 1, Right = 2 };

  // Text in code page 932, as a text box holds it: its first character's cell
  // and its lines, placed by the alignment.
  struct Text {
    Cell first;
    std::vector<std::string> lines;
    Alignment alignment = Alignment::Left;
    // Text written over a box side must lie in front of the box.
    bool inFront = false;
  };

  struct Box {
    Cell topLeft;
    Cell bottomRight;
    // The markers at the corners, clockwise from the top left; "+" unless
    // the art shows another.
    std::int32_t corners[4] = {0, 0, 0, 0};
    // A framed text box: its text and alignment.
    bool framedText = false;
    std::vector<std::string> lines;
    Alignment alignment = Alignment::Left;
  };

  struct Dot {
    Cell cell;
    std::int32_t marker = 0;
    Host host;
  };

  // A box or a line, by its index: what is stacked.
  struct Element {
    enum class Kind { Box, Line } kind = Kind::Box;
    std::int32_t index = 0;
  };

  std::vector<Box> boxes;
  std::vector<Line> lines;
  // Boxes and lines from the back to the front: where two cross, the one the
  // art shows lies in front.
  std::vector<Element> order;
  std::vector<Dot> dots;
  std::vector<Text> texts;
};

}  // namespace virlo
