#pragma once

#include <cstdint>
#include <vector>

#include "import/ArtPlan.h"
#include "import/RecognizerGrid.h"

namespace virlo {

// Lists the line art read as text, for the report: two or more line
// characters in a row or a column (a hyphen inside a word, or an operator
// between words, is no line art), or one box-drawing character.
class LeftoverFinder {
 public:
  LeftoverFinder(const RecognizerGrid& cells, ArtPlan& plan) : cells_(cells), plan_(plan) {}
  void Run();

 private:
  // A free cell of line art along the way looked along: "==" over "--" in
  // two lines of text is no line down.
  bool LineArt(std::int32_t c, std::int32_t r, bool across) const;
  // Lists the piece of line art from along = i on the row or column o;
  // returns where it ends.
  std::int32_t Piece(bool across, std::int32_t o, std::int32_t i, std::vector<std::uint8_t>& reported);

  const RecognizerGrid& cells_;
  ArtPlan& plan_;
};

}  // namespace virlo
