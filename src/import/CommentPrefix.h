#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace virlo {

// What art copied out of source code or a mail starts every line with: the
// indentation, and a comment marker ("///", "//!", "//", "---", "#", " * "
// with its " *" lines, "--", ";", ">") with the blanks after it that every
// line shares. Found, it is stripped before the art is read and given back
// when the art is printed. A block copied with its comment's own first and
// last lines ("/**" and " */", '"""') keeps those lines aside: they are no
// part of the art.
class CommentPrefix {
 public:
  // How a line stands to a prefix: it starts with it, or it is the prefix
  // without its trailing blanks and holds nothing more than blanks (an
  // empty line of the art), or neither.
  enum class Line { Prefixed, Bare, Other };

  struct Found {
    // The blanks and marker every line that is not blank starts with, and
    // the blanks after the marker that every such line has; the shared
    // indentation alone when there is no marker.
    std::string prefix;
    // Whether the prefix holds a comment marker.
    bool marker = false;
    // The comment's opening and closing lines as the text has them (no line
    // end), both or neither; empty when the text has none.
    std::string opening;
    std::string closing;
    // Where the art lies in the text: between the opening and the closing
    // line, or all of it.
    std::size_t artStart = 0;
    std::size_t artEnd = std::string_view::npos;

    bool HasBlock() const { return !opening.empty(); }
    // The text the art is read from: without the opening and closing lines.
    std::string_view Art(std::string_view text) const {
      return text.substr(artStart, artEnd == std::string_view::npos ? std::string_view::npos : artEnd - artStart);
    }
  };

  // The prefix of the art's lines (UTF-8 or code page 932: the markers and
  // blanks are ASCII in both), and the comment's opening and closing lines.
  // A marker counts only when a blank or the end of the line follows it on
  // every line, so art drawn with "#" or "--" is not taken for a comment.
  static Found Find(std::string_view text);
  static Line Classify(std::string_view line, std::string_view prefix);
  // Whether some line of the text starts with the prefix or is the prefix
  // without its trailing blanks.
  static bool AnyLineHas(std::string_view text, std::string_view prefix);
};

}  // namespace virlo
