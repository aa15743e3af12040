#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "import/ArtPlan.h"
#include "import/CellSet.h"
#include "import/RecognizerGrid.h"

namespace virlo {

// Reads what is left as text: a box whose inside is text a text box
// places as the art shows it becomes a framed text box; free text, and
// text in front of lines and sides (labels, covered ASCII), is grouped into
// text boxes, which hold every character as itself, those code page 932
// lacks too.
class TextFinder {
 public:
  TextFinder(RecognizerGrid& cells, ArtPlan& plan) : cells_(cells), plan_(plan) {}
  void Run();

 private:
  // Text on one row: its first column and its bytes, and whether it is line
  // art left as text (never held in one text box with words).
  struct Segment {
    std::int32_t start = 0;
    std::string bytes;
    bool art = false;
  };
  // Segments of rows one under another that a text box can hold as its
  // lines, and the alignments that place them all.
  struct Group {
    std::int32_t row = 0;
    std::vector<Segment> segments;
    bool left = true;
    bool centre = true;
    bool right = true;
  };

  void MakeFramedText();
  // The inside of a box as the lines of a text box, and where each starts
  // (-1 for an empty one); false where a cell inside is no free text.
  bool FramedLines(const ArtPlan::Box& box, std::vector<std::string>& lines, std::vector<std::int32_t>& starts) const;
  // Free text, or text in front of lines and sides.
  bool IsText(std::int32_t c, std::int32_t r, bool inFront) const;
  // The cells from first to last (no blank between) are line art: no letter,
  // digit or bracket, and box drawing, a run down alone ("|"), or three
  // characters of runs, corners and heads ("+------>", "<--"); "->" or "+"
  // between words is the text's.
  bool ArtToken(std::int32_t first, std::int32_t last, std::int32_t r) const;
  // Groups text of one kind into text boxes, in the order they start.
  std::vector<Group> Groups(bool inFront) const;
  // Reads one row's segments into the groups; open holds the groups the
  // row above reached, in column order, and the row's own are returned.
  std::vector<std::size_t> GroupRow(std::int32_t r, bool inFront, std::vector<Group>& groups,
                                    const std::vector<std::size_t>& open) const;
  // Sets the cells that are not free (lines, sides, labels) in drawn_: a
  // text box is not laid over line art.
  void CountDrawn();
  // Whether the added segment sits with a group's segments as a text box
  // aligns its lines, narrowing the alignments that still do.
  static bool Fits(const std::vector<Segment>& segments, const Segment& added, bool& left, bool& centre, bool& right);
  // The line or box a label cell belongs to; none for any other cell.
  ArtPlan::Element LabelOwner(std::int32_t c, std::int32_t r) const;
  void AddTexts(const std::vector<Group>& groups, bool inFront);
  // The text (UTF-8) of a segment of bytes from a cell, each character as
  // the art has it; its cells are marked as taken by a text.
  std::string TakeText(std::int32_t column, std::int32_t row, const std::string& bytes);
  // Blanks in front of the gaps of dashed sides down that the box draws solid.
  void AddGaps();
  void KeepCharacters();

  RecognizerGrid& cells_;
  ArtPlan& plan_;
  // The cells a text holds, by row.
  std::vector<bool> taken_;
  // The cells that are not free.
  CellSet drawn_;
};

}  // namespace virlo
