#pragma once

#include <cstdint>
#include <string>

#include "store/Database.h"

namespace virlo {

class Sheet;
namespace store {
class Delta;
}

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

  // Whether another state of the sheet's database (a delta from the present)
  // has the same content, told from what differs alone: Different as soon
  // as an object is there in one state only, or one of its values that the
  // content holds differs; Same when every difference is a pick, a
  // selection or the text print's name; else Unknown, and only comparing
  // the contents tells. Both states must be sound (as DocumentCheck has it):
  // then every object of its own is listed by the sheet, once. `hint` keeps
  // the address of the last object found to differ, tried first next time.
  static store::Sameness Compare(const Sheet& sheet, const store::Database& db, const store::Delta& other,
                                 std::uintptr_t* hint = nullptr);
};

}  // namespace virlo
