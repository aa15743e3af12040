#include <gtest/gtest.h>

#include <string>

#include "import/CommentPrefix.h"

// The prefix found in art copied out of a comment: the marker with the
// blanks every line shares after it, and a block comment's own first and
// last lines kept aside.
namespace virlo {
namespace {

TEST(CommentPrefixTest, TheBlanksEveryLineSharesAfterTheMarkerArePartOfThePrefix) {
  const struct {
    const char* text;
    const char* prefix;
    bool marker;
  } cases[] = {
      {"# a\n#\n#   b\n", "# ", true},
      {" *     +--+\n *\n *     |  |\n *   \n", " *     ", true},
      {"#\ta\n#\t\tb\n", "#\t", true},
      {"--- a\n---\n--- b\n", "--- ", true},
      {"-- a\n-- b\n", "-- ", true},
      // Art drawn with the marker's characters is no comment.
      {"##### x\n##### y\n", "", false},
      {"---->\n---->\n", "", false},
      {"    a\n      b\n", "    ", false},
  };
  for (const auto& [text, prefix, marker] : cases) {
    const CommentPrefix::Found found = CommentPrefix::Find(text);
    EXPECT_EQ(found.prefix, prefix) << text;
    EXPECT_EQ(found.marker, marker) << text;
    EXPECT_FALSE(found.HasBlock()) << text;
  }
  // A line of the marker and fewer blanks is an empty line of the art.
  EXPECT_EQ(CommentPrefix::Classify(" *  ", " *     "), CommentPrefix::Line::Bare);
  EXPECT_EQ(CommentPrefix::Classify(" *  x", " *     "), CommentPrefix::Line::Other);
  EXPECT_EQ(CommentPrefix::Classify(" *     x", " *     "), CommentPrefix::Line::Prefixed);
}

TEST(CommentPrefixTest, ABlockCommentsOpeningAndClosingLinesAreKeptAside) {
  const std::string text = "\n/**\r\n * +--+\n *\n * +--+\n */\n";
  const CommentPrefix::Found found = CommentPrefix::Find(text);
  EXPECT_EQ(found.opening, "/**");
  EXPECT_EQ(found.closing, " */");
  EXPECT_EQ(found.prefix, " * ");
  EXPECT_EQ(found.Art(text), " * +--+\n *\n * +--+\n");

  const std::string docstring = "    \"\"\"\n    a\n    \"\"\"";
  const CommentPrefix::Found python = CommentPrefix::Find(docstring);
  EXPECT_EQ(python.opening, "    \"\"\"");
  EXPECT_EQ(python.Art(docstring), "    a\n");
  EXPECT_EQ(python.prefix, "    ");

  // Both lines or neither: an opening alone, or a closing of another kind, is art.
  for (const char* art : {"/*\n * a\n", "/*\n a\n\"\"\"\n", "/**\n", " * a\n */\n"}) {
    const CommentPrefix::Found none = CommentPrefix::Find(art);
    EXPECT_FALSE(none.HasBlock()) << art;
    EXPECT_EQ(none.Art(art), art);
  }
}

}  // namespace
}  // namespace virlo
