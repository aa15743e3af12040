#pragma once

#include <string>

namespace virlo {

class Sheet;
namespace store {
class Database;
}

// Checks that a database read from a file holds a diagram the program can
// work on safely: a root sheet, well-formed lists and strings, and drawing
// objects whose links agree with each other (joins both ways, resting
// objects listed by their line, finite parent chains, every top-level object
// owned by the sheet). Every walk is bounded. It changes nothing but the
// texts of a file of an older format, code page 932 bytes, which a sound
// document has converted to UTF-8 as the present format holds them.
class DocumentCheck {
 public:
  enum class Verdict {
    Sound,      // a root sheet and a diagram the program can work on
    Sheetless,  // nothing at all: the document gets a new sheet
    Refused,    // the reason is in error
  };
  static Verdict Check(store::Database& db, Sheet*& sheet, std::string& error);
  // The root sheet, or null with the reason in error; a sheetless database is
  // refused too ("it holds no sheet").
  static Sheet* Run(store::Database& db, std::string& error);
};

}  // namespace virlo
