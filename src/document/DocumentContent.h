#pragma once

#include <string>

namespace virlo {

class Sheet;

// What a document holds as far as its user is concerned: the sheet's size
// and grid and every object with its position, marker, text, links and
// stacking, but not what happens to be picked or selected now, nor where the
// text print goes (that follows the file).
// Two states with the same content save and print the same diagram, so it
// tells whether a document differs from its file and whether a redo still
// applies.
class DocumentContent {
 public:
  // Equal strings for equal content, within one run of the program (objects
  // are told apart by where they live, which undo and redo keep).
  static std::string Of(const Sheet& sheet);
};

}  // namespace virlo
