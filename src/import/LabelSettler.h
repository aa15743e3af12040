#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "platform/Point.h"

namespace virlo {

class Box;
class Line;
class Sheet;
class StrBox;

// Rests the text an import made on the line it labels, as the editor rests
// text typed beside a line, so the label goes with the line when it moves:
// a line running through the text, or in the row just above or below it (a
// horizontal one) or the column just beside it (a vertical one), where their
// spans meet. Two kinds of text rest on no line beside them:
//   - text within a box's frame (a title written into its top, a cell of a
//     table) belongs to the box: it rests only on a line within that box;
//   - text a line's end leads to (`├── src/`, `---> IDLE`) is a node, not a
//     label of the runs that pass above or below it.
class LabelSettler {
 public:
  LabelSettler(const Sheet& sheet, const std::vector<Box*>& boxes, const std::vector<Line*>& lines);
  void Settle(const std::vector<StrBox*>& texts) const;

 private:
  struct Cells {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;   // past the last column
    std::int32_t bottom;  // past the last row
  };
  // A line's free end (neither joined nor resting: it may lead to text),
  // with the other end of its line, found by the end's cell.
  struct FreeEnd {
    Point other;
    bool horizontal;
  };
  static std::uint64_t Key(std::int32_t column, std::int32_t row);
  Cells CellsOfLine(const Line& line) const;
  bool IsNode(const Cells& text) const;
  // Whether a free end at the cell leads along its line towards `towards`.
  bool LeadsTo(std::int32_t column, std::int32_t row, bool horizontal, Point towards) const;

  const Sheet& sheet_;
  std::vector<Cells> frames_;
  std::unordered_map<std::uint64_t, std::vector<FreeEnd>> freeEnds_;
};

}  // namespace virlo
