// How text stands in cells: the widths a UTF-8 terminal gives, marks and
// joiners kept with the character before them, and what code page 932 output
// writes for each cluster.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/CharacterCell.h"

namespace virlo {
namespace {

// A line, the clusters it falls into and the cells each takes.
struct Split {
  std::string line;
  std::vector<std::string> clusters;
  std::vector<std::int32_t> cells;
};

TEST(CharacterCellTest, ALineFallsIntoClustersOfOneOrTwoCells) {
  const Split splits[] = {
      {"ab", {"a", "b"}, {1, 1}},
      // East Asian wide and full-width: two; ambiguous ones (○ → ■ α): one.
      {"日本ｶＡ", {"日", "本", "ｶ", "Ａ"}, {2, 2, 1, 2}},
      {"○→■α", {"○", "→", "■", "α"}, {1, 1, 1, 1}},
      {"Größe", {"G", "r", "ö", "ß", "e"}, {1, 1, 1, 1, 1}},
      // A combining mark and a variation selector stay with the character before.
      {"e\u0301x", {"e\u0301", "x"}, {1, 1}},
      {"\u2764\uFE0F!", {"\u2764\uFE0F", "!"}, {1, 1}},
      // A joiner too; the character after it stands on its own, as a terminal shows it.
      {"👩\u200D💻", {"👩\u200D", "💻"}, {2, 2}},
      // Marks with nothing before them take a cell of their own.
      {"\u0301a", {"\u0301", "a"}, {1, 1}},
      // A byte that is no UTF-8 is one cell, and the next character is read again.
      {"a\xFF"
       "b",
       {"a", "\xFF", "b"},
       {1, 1, 1}},
      {"\xE3\x81"
       "b",
       {"\xE3", "\x81", "b"},
       {1, 1, 1}},
  };
  for (const Split& split : splits) {
    std::vector<std::string> clusters;
    std::vector<std::int32_t> cells;
    std::int32_t total = 0;
    for (std::size_t at = 0; at < split.line.size();) {
      const CharacterCell::Cluster cluster = CharacterCell::Next(split.line, at);
      clusters.emplace_back(cluster.utf8);
      cells.push_back(cluster.cells);
      total += cluster.cells;
    }
    EXPECT_EQ(clusters, split.clusters) << split.line;
    EXPECT_EQ(cells, split.cells) << split.line;
    EXPECT_EQ(CharacterCell::Cells(split.line), total) << split.line;
  }
}

// A cluster, its code page 932 bytes, and whether they are the cluster itself.
struct Form {
  std::string cluster;
  std::string bytes;
  bool exact;
};

TEST(CharacterCellTest, CodePage932HoldsAClusterInItsCellsOrWritesASubstitute) {
  const Form forms[] = {
      {"a", "a", true},
      {"\\", "\\", true},
      {"あ", "\x82\xA0", true},
      {"ｶ", "\xB6", true},
      {"\u3000", "\x81\x40", true},
      // Two bytes in the code page, one cell in a terminal: a look-alike.
      {"○", "o", false},
      {"→", ">", false},
      {"■", "#", false},
      {"α", "?", false},
      {"é", "e", false},
      {"Ö", "O", false},
      {"•", "*", false},
      {"\u00A0", " ", false},
      {"😀", "??", false},
      // A character with a mark: the character's own bytes, where they fit.
      {"e\u0301", "e", false},
      {"あ\u3099", "\x82\xA0", false},
      // Held only as another like it: that one's bytes, not the same character.
      {"\u301C", "\x81\x60", false},
      {"\u0301", "?", false},
  };
  for (const Form& form : forms) {
    std::size_t at = 0;
    const CharacterCell::Cluster cluster = CharacterCell::Next(form.cluster, at);
    ASSERT_EQ(at, form.cluster.size()) << form.cluster;
    bool exact = !form.exact;
    EXPECT_EQ(CharacterCell::Cp932(cluster, exact), form.bytes) << form.cluster;
    EXPECT_EQ(exact, form.exact) << form.cluster;
  }
}

TEST(CharacterCellTest, OnlyBlanksLineBreaksAndCharactersOfNoWidthShowNothing) {
  for (const char* blank : {"", " ", "  \r\n ", "\u3000", "\u00A0\u2003", "\u200B", "\r\n\r\n"}) {
    EXPECT_TRUE(CharacterCell::IsBlank(blank)) << blank;
  }
  for (const char* shown : {".", " a ", "\u3000\u3001", "\r\n-", "\xFF", "\u2800x"}) {
    EXPECT_FALSE(CharacterCell::IsBlank(shown)) << shown;
  }
}

}  // namespace
}  // namespace virlo
