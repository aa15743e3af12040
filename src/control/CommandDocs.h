#pragma once

#include <string>

namespace virlo {

// The manual's tables of the menus, keys and script words, made from the
// command table, so the documents cannot drift from the program. A test
// compares them with docs/manual.md and the manual pages.
class CommandDocs {
 public:
  enum class Format { Markdown, Man };
  // Every menu with its commands (English caption, Japanese caption, keys,
  // script word, what it does), the keys, and the script words.
  static std::string Tables(Format format);
};

}  // namespace virlo
