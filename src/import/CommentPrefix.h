#pragma once

#include <string>
#include <string_view>

namespace virlo {

// What art copied out of source code or a mail starts every line with: the
// indentation, and a comment marker ("///", "//", "#", " * " with its " *"
// lines, "--", ";", ">") with the blank after it. Found, it is stripped
// before the art is read and given back when the art is printed.
class CommentPrefix {
 public:
  // How a line stands to a prefix: it starts with it, or it is the prefix
  // without its trailing blanks (an empty line of the art), or neither.
  enum class Line { Prefixed, Bare, Other };

  struct Found {
    // The blanks and marker every line that is not blank starts with, and
    // the blank after the marker when every such line has one; the shared
    // indentation alone when there is no marker.
    std::string prefix;
    // Whether the prefix holds a comment marker.
    bool marker = false;
  };

  // The prefix of the art's lines (UTF-8 or code page 932: the markers and
  // blanks are ASCII in both). A marker counts only when a blank or the end
  // of the line follows it on every line, so art drawn with "#" or "--" is
  // not taken for a comment.
  static Found Find(std::string_view text);
  static Line Classify(std::string_view line, std::string_view prefix);
  // Whether some line of the text starts with the prefix or is the prefix
  // without its trailing blanks.
  static bool AnyLineHas(std::string_view text, std::string_view prefix);
};

}  // namespace virlo
