#pragma once

#include <cstddef>
#include <string>

namespace virlo {

// A block of a host file that may hold a diagram: where its art lies, and
// what every line of it starts with.
struct DiagramBlock {
  enum class Kind {
    Fence,      // between Markdown fences (``` or ~~~), in a file or a comment
    Indented,   // a Markdown indented code block
    Literal,    // a reStructuredText literal block
    Comment,    // a run of comment lines sharing one prefix
    Paragraph,  // indented art among the paragraphs of a text file
  };

  Kind kind = Kind::Comment;
  // The lines of the art, counted from 0: count may be 0 (an empty fence).
  std::size_t first = 0;
  std::size_t count = 0;
  // The lines that name the block, its fence lines included.
  std::size_t outerFirst = 0;
  std::size_t outerLast = 0;
  // What the art's lines start with (the indentation, a comment marker and
  // the blank after it, a block quote's "> "): left out when the art is
  // read, written before every line that changes.
  std::string prefix;
  // A line of the block holds line art, not just text.
  bool lineArt = false;

  bool Holds(std::size_t line) const { return line >= outerFirst && line <= outerLast; }
  std::size_t End() const { return first + count; }
  // The kind's word in listings.
  static constexpr const char* KindName(Kind kind) {
    switch (kind) {
      case Kind::Fence:
        return "fence";
      case Kind::Indented:
        return "indented";
      case Kind::Literal:
        return "literal";
      case Kind::Comment:
        return "comment";
      case Kind::Paragraph:
        return "text";
    }
    return "";
  }
};

}  // namespace virlo
