#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace virlo {

class Line;
class LinkPoint;
class Sheet;
class StrBox;

// Attaches the free ends an import made to the text they lead to: an arrow
// at a state's name, a tree's branch at its entry, a lifeline under its
// name. Such text is a node of the diagram; the end rests on, or is docked
// with up to one blank at, the side of the text box's frame that faces it,
// which carries the end when the text moves. Text in front of a line (a
// label in its run) is not a node of it.
class NodeDocker {
 public:
  NodeDocker(const Sheet& sheet, const std::vector<StrBox*>& texts);
  void Dock(const std::vector<Line*>& lines) const;

 private:
  static std::uint64_t Key(std::int32_t column, std::int32_t row);
  // The side of the frame of the text a free end leads to, in the next
  // cell or past one blank; null for none, or an end attached already.
  Line* FacingSide(const Line& line, const LinkPoint& end, const LinkPoint& other) const;
  static bool HasHead(const LinkPoint& end);

  const Sheet& sheet_;
  // The text without a frame written in each cell.
  std::unordered_map<std::uint64_t, StrBox*> textAt_;
};

}  // namespace virlo
