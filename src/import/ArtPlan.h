#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/Stroke.h"
#include "objects/MarkerTable.h"

namespace virlo {

// The objects character art was read as, in cells, before any is built:
// boxes, lines with their ends' markers and links, dots resting on lines,
// text, and the characters a text box cannot hold. Cells are (column, row)
// of the art.
struct ArtPlan {
  struct Cell {
    std::int32_t column = 0;
    std::int32_t row = 0;
    friend bool operator==(const Cell&, const Cell&) = default;
  };

  // A box's sides, in the order the box holds them.
  enum class Side : std::int32_t { Top = 0, Left = 1, Bottom = 2, Right = 3 };

  // A box or a line of the plan, by its own index among the boxes or the lines.
  struct Element {
    enum class Kind : std::uint8_t { None, Box, Line } kind = Kind::None;
    std::int32_t index = -1;
    static Element Box(std::int32_t index) { return {Kind::Box, index}; }
    static Element Line(std::int32_t index) { return {Kind::Line, index}; }
    explicit operator bool() const { return kind != Kind::None; }
    friend bool operator==(const Element&, const Element&) = default;
  };

  // What a line end or a dot rests on: a line of the plan, or a side of a box.
  struct Host {
    Element element;
    Side side = Side::Top;
  };

  // A marker: a type of the marker table, or MarkerTable::Character with
  // the character itself.
  struct Marker {
    std::int32_t type = 0;
    char32_t character = 0;
    // The cells the marker takes across: "<>" two, any other one. The end
    // or dot stands at the first.
    std::int32_t Width() const { return type == MarkerTable::Aggregation ? 2 : 1; }
    friend bool operator==(const Marker&, const Marker&) = default;
  };

  struct End {
    Cell cell;
    Marker marker;
    Host host;
    // The host lies in the next cell, which the line runs towards.
    bool docked = false;
    // Docked past blank cells: how many lie between the end and its host.
    std::int32_t gap = 0;
    // The end of another line this end is joined to: line index, and true for its end.
    std::int32_t joinLine = -1;
    bool joinAtEnd = false;
  };

  struct Line {
    bool horizontal = true;
    Stroke stroke = Stroke::Solid;
    End start;
    End end;
  };

  enum class Alignment : std::int32_t { Left = 0, Centre = 1, Right = 2 };

  // Text in UTF-8, as a text box holds it: its first character's cell
  // and its lines, placed by the alignment.
  struct Text {
    Cell first;
    std::vector<std::string> lines;
    Alignment alignment = Alignment::Left;
    // Written over a line or a box side (a label, or what a line shows in
    // the art's own characters): it lies in front.
    bool inFront = false;
    // A label of a line or a box side (for the report).
    bool label = false;
  };

  struct Box {
    Cell topLeft;
    Cell bottomRight;
    // The markers at the corners, clockwise from the top left; a join
    // unless the art shows another.
    Marker corners[4];
    bool rounded = false;
    // The strokes of the sides, in Side order.
    Stroke strokes[4] = {Stroke::Solid, Stroke::Solid, Stroke::Solid, Stroke::Solid};
    // Dashed sides whose dashes stand where the box leaves its gaps
    // ("+- - -+"): the art is kept in front of them.
    bool shownInFront[4] = {false, false, false, false};
    // Another box is drawn behind this one, a cell down and aside: this
    // one hides it, so it is a framed text box whatever its text's place.
    bool hides = false;
    // A framed text box: its text and alignment.
    bool framedText = false;
    std::vector<std::string> lines;
    Alignment alignment = Alignment::Left;
  };

  struct Dot {
    Cell cell;
    Marker marker;
    Host host;
  };

  std::vector<Box> boxes;
  std::vector<Line> lines;
  // Boxes and lines from the back to the front: where two cross, the one the
  // art shows lies in front.
  std::vector<Element> order;
  std::vector<Dot> dots;
  std::vector<Text> texts;
  // Characters a text box cannot hold, each over the substitute its text
  // holds, in front of everything.
  std::vector<Dot> characters;

  // Why a piece of line art stays text.
  enum class Why : std::uint8_t {
    // Read as structure, it did not give the art back.
    GivenUp,
    TooShort,
    NoLine,
    // An arrowhead at no line's end.
    LoneHead,
    DottedRun,
    SlantedRun,
    UnderscoreRun,
    // The ticks of a ruler over a header.
    RulerTick,
    // A box's side down set one cell aside on one row.
    SideJog,
  };
  // A piece of line art read as text: its first cell, its characters (UTF-8)
  // and why it is text.
  struct Piece {
    std::string text;
    Why why = Why::NoLine;
    // Every cell of it, the first one first; never none.
    std::vector<Cell> cells;
    const Cell& First() const { return cells.front(); }
  };
  std::vector<Piece> leftAsText;
};

}  // namespace virlo
