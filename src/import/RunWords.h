#pragma once

#include <cstdint>

#include "import/RecognizerGrid.h"

namespace virlo {

// Reads words written across a run down: the label the run carries through
// them ("(B)", "FlushSender" over ".into_next()"), a note that cuts a
// lifeline ("(admit)" with messages ending on the lifeline above and below
// it), or a name the run ends at, a node ("------> WAIT_EOED -+").
class RunWords {
 public:
  explicit RunWords(const RecognizerGrid& cells) : cells_(cells) {}
  // A free cell of a word written across a run down.
  bool Word(std::int32_t c, std::int32_t r) const;
  // The word at (c, r) is a node: an arrow across points at it, or a run
  // across leaves it, next to it or past one blank.
  bool Node(std::int32_t c, std::int32_t r) const;
  // The word at (c, r) is a note cutting a lifeline: a message ends on the
  // run through it both above and below it.
  bool Note(std::int32_t c, std::int32_t r) const;
  // A message ends on the lifeline through (c, r) up (way -1) or down (1)
  // from it, past other notes, up to the box it hangs from.
  bool MessageAlong(std::int32_t c, std::int32_t r, std::int32_t way) const;
  // The cells of the word at (c, r), blanks ending it.
  std::int32_t Length(std::int32_t c, std::int32_t r) const;

 private:
  // The first and last cells of the word at (c, r) in its row.
  void Extent(std::int32_t c, std::int32_t r, std::int32_t& left, std::int32_t& right) const;
  // A line across ends at the run down's cell (c, r), or right beside it.
  bool MessageEndsAt(std::int32_t c, std::int32_t r) const;

  const RecognizerGrid& cells_;
};

}  // namespace virlo
