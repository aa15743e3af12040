#pragma once

#include <string_view>

namespace virlo {

// Tells a line of a diagram from a line of prose, by the characters that
// draw: box-drawing and arrow characters, corners with their runs, long
// runs, sides standing between blanks, arrowheads on runs.
class LineArt {
 public:
  enum class Evidence {
    None,
    // A rule alone (a run of one character and nothing else on the line):
    // a diagram's part, or a divider between paragraphs.
    Rule,
    // Art that prose writes too: a "|" between blanks, an arrow " -> ",
    // a head alone ("v"). Art unless the line reads as prose.
    Weak,
    // Surely line art: box drawing, a corner with its run, a long run.
    Drawn,
  };

  // The line's evidence of line art, in the file's encoding (code page 932
  // walked by characters, so a second byte is never taken for "|").
  static Evidence Of(std::string_view line, bool cp932);
  // A line of words: three in a row with single blanks between, or a
  // sentence's end. Asked of lines without line art, or with only weak art.
  static bool IsProse(std::string_view line, bool cp932);
  // Line art, surely or weakly and not in a line of prose.
  static bool IsArt(std::string_view line, bool cp932);
};

}  // namespace virlo
