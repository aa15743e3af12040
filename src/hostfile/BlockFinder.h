#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "hostfile/DiagramBlock.h"
#include "hostfile/HostFile.h"

namespace virlo {

// Finds the blocks of a host file that may hold diagrams. What counts as a
// block depends on the file's kind, told by its name:
// - Markdown: fences (``` and ~~~, any info string, in list items and block
//   quotes too) and indented code blocks;
// - reStructuredText: literal blocks (after "::" and the code directives);
// - source files: runs of comment lines sharing one prefix (the markers of
//   the file's language: " * ", "//", "///", "//!", "#", "--", "---", ";",
//   ";;", "%", "REM", ...; any of them in a file of no known language),
//   with the indentation before the marker, tabs included, and fences
//   inside them;
// - text files: fences, and paragraphs of line art among the prose.
// Inside a comment or a text file a block is the paragraphs that hold line
// art and what lies between them: it ends at prose, or at a blank line that
// no line art follows; prose lines at its edges are left out.
class BlockFinder {
 public:
  enum class Language { Markdown, Rest, Text, Source };

  static Language LanguageOf(const std::string& path);
  // The blocks in the order of their lines; blocks never overlap.
  static std::vector<DiagramBlock> Find(const HostFile& file);
  // The block whose lines (fences included) hold the line, counted from 0;
  // null when none does.
  static const DiagramBlock* At(const std::vector<DiagramBlock>& blocks, std::size_t line);
  // Why a line is in no block, naming the blocks nearest to it above and
  // below (lines counted from 1).
  static std::string NoBlockMessage(const std::vector<DiagramBlock>& blocks, std::size_t line);
  // The block a new diagram makes when put before the line (counted from 0;
  // LineCount() for the end), still empty: among comment lines a run with
  // their prefix, in Markdown a fence, elsewhere plain lines.
  static DiagramBlock NewBlock(const HostFile& file, std::size_t line);
};

}  // namespace virlo
