#pragma once

#include <cstdint>
#include <vector>

#include "import/ArtPlan.h"
#include "import/RecognizerGrid.h"

namespace virlo {

// Lists the line art read as text, for the report, each piece with why:
// runs of a stroke, two or more line characters in a row or a column (or
// one box-drawing character), with the arrowhead they end in; dotted runs
// ending in an arrowhead ("....>"); arrowheads on no line; slanted runs;
// runs of "_". Words are never listed: a hyphen inside a word, an operator
// between words ("len == 127"), a column of marks each standing against a
// word in its row ("send:" over "recv:", "+" bullets).
class LeftoverFinder {
 public:
  LeftoverFinder(const RecognizerGrid& cells, ArtPlan& plan) : cells_(cells), plan_(plan) {}
  void Run();
  // Why a piece is text, in words, as the import report says it.
  static const char* Reason(ArtPlan::Why why);

 private:
  // A free cell of line art along the way looked along: "==" over "--" in
  // two lines of text is no line down.
  bool LineArt(std::int32_t c, std::int32_t r, bool across) const;
  bool Free(std::int32_t c, std::int32_t r) const;
  // A "|" a box's side down jogs to for one row, beside the side's blank.
  bool Jogged(std::int32_t c, std::int32_t r) const;
  // A letter, digit or bracket beside the cell in its row, or past one blank.
  bool NearWord(std::int32_t c, std::int32_t r) const;
  // A lone arrowhead that is no letter of a word or an operator between words.
  bool Head(std::int32_t c, std::int32_t r) const;
  // Lists the piece of line art from along = i on the row or column o;
  // returns where it ends.
  std::int32_t Piece(bool across, std::int32_t o, std::int32_t i);
  // A run of "." ending in an arrowhead, from (c, r) across.
  std::int32_t Dotted(std::int32_t c, std::int32_t r);
  // A run of "_" across, from (c, r).
  std::int32_t Underscores(std::int32_t c, std::int32_t r);
  // A slanted run of "/" or "\" from (c, r) down.
  void Slanted(std::int32_t c, std::int32_t r);
  // Why a piece with these cells is text, read as the shape given.
  ArtPlan::Why WhyOf(const std::vector<ArtPlan::Cell>& cells, ArtPlan::Why shape) const;
  void Add(const std::vector<ArtPlan::Cell>& cells, ArtPlan::Why why);

  const RecognizerGrid& cells_;
  ArtPlan& plan_;
  std::vector<std::uint8_t> reported_;
};

}  // namespace virlo
