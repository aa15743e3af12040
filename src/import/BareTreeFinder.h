#pragma once

#include <cstdint>

#include "import/ArtPlan.h"
#include "import/RecognizerGrid.h"

namespace virlo {

// Finds trees drawn with bare marks: a "├" or "└" before each entry's name
// with no run after it, the trunk "│" between them, hanging under the
// parent's name ("my-project/" over "├ src/" and "└ vite.config.js"). The
// trunk is a line down from its first mark to its "└"; each "├" is a line
// of one cell resting on it, leading to its entry's name; an entry alone
// under its parent ("└ lib") is a line of one cell too. The marks are the
// lines' ends, shown as themselves.
class BareTreeFinder {
 public:
  BareTreeFinder(RecognizerGrid& cells, ArtPlan& plan) : cells_(cells), plan_(plan) {}
  void Run();

 private:
  // A "├" or "└" at (c, r) with a blank and a name after it, no run.
  bool BareMark(std::int32_t c, std::int32_t r, char32_t mark) const;
  // Reads the trunk whose first mark is at (c, r); true when it is one.
  bool Trunk(std::int32_t c, std::int32_t r);
  // A line of one cell at (c, r) showing mark, resting on the trunk given.
  void Branch(std::int32_t c, std::int32_t r, char32_t mark, std::int32_t trunk);

  RecognizerGrid& cells_;
  ArtPlan& plan_;
};

}  // namespace virlo
