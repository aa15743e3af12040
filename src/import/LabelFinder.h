#pragma once

#include <cstdint>
#include <optional>

#include "import/RecognizerGrid.h"
#include "model/Stroke.h"

namespace virlo {

// The first step: marks text between two runs of the same stroke in a row
// ("--(1)-->", "──Else──┐", "+- backend ---+") as labelled, for a run or a
// side to take as its label. Text a run leaves up or down, or an arrow
// points at from above or below, is a node the runs meet and stays
// unmarked; so is a lone marker between runs ("--O--"), a dot. Before
// that, punctuation against a word ("Socket.read()", "id: String") is made
// text, so no later step reads it as a corner, a marker or a dotted run.
class LabelFinder {
 public:
  explicit LabelFinder(RecognizerGrid& cells) : cells_(cells) {}
  void Run();

 private:
  void MarkWordPunctuation();
  // Reads from the run cell at (c, r) to past the label after its run;
  // returns the column to go on from.
  std::int32_t FromRun(std::int32_t c, std::int32_t r);
  // A run of the stroke goes on at (k, r) ("seq=x" is a word, no run).
  bool Resumes(std::int32_t k, std::int32_t r, std::optional<Stroke> stroke) const;
  // A character at (c, r) that ends a label: line art of its own.
  bool IsStructure(std::int32_t c, std::int32_t r) const;
  // A run or an arrowhead above or below the text from first to last.
  bool IsNode(std::int32_t first, std::int32_t last, std::int32_t r) const;
  // A run or an arrowhead in row r + dr meets the text from first to last.
  bool Meets(std::int32_t first, std::int32_t last, std::int32_t r, std::int32_t dr) const;
  // The run down from (c, r) on, away from the row before it, is a
  // lifeline: an arrow beside it points at it.
  bool IsLifeline(std::int32_t c, std::int32_t r, std::int32_t dr) const;
  // Where the frame lies whose side runs from corner `left` to corner
  // `right` in row r: 1 when both corners turn down, -1 when both turn up.
  std::optional<std::int32_t> FrameInside(std::int32_t left, std::int32_t right, std::int32_t r) const;

  RecognizerGrid& cells_;
};

}  // namespace virlo
