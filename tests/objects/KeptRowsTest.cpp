// Rows kept as read: what a sheet stores is read back whole or refused, and
// a kept row prints its bytes only while the row shows what it showed.
#include <gtest/gtest.h>

#include <string>

#include "objects/KeptRows.h"

namespace virlo {
namespace {

// "// " over "a" and a tab of 3 blanks before "b", a row of blanks at the end
// of "+--+", and a row that was only blanks.
const KeptRows Sample("// ", {{0, "a   b", "a\tb", {3}}, {2, "+--+", "+--+  ", {}}, {3, "", "\t ", {8}}});

TEST(KeptRowsTest, WhatASheetStoresIsReadBackWhole) {
  std::string error;
  const std::optional<KeptRows> read = KeptRows::Read(Sample.Stored(), error);
  ASSERT_TRUE(read) << error;
  EXPECT_EQ(read->Stored(), Sample.Stored());
  EXPECT_EQ(read->Prefix(), "// ");
  ASSERT_EQ(read->Rows().size(), 3U);
  EXPECT_EQ(read->Rows()[2].tabs, std::vector<std::int32_t>{8});
  // No rows: nothing stored, and nothing read.
  EXPECT_EQ(KeptRows().Stored(), "");
  EXPECT_TRUE(KeptRows::Read("", error)->Empty());
}

// A document's stored rows may be anything: only tabs and blanks may differ
// from what the row shows, so a print never says what the sheet does not.
TEST(KeptRowsTest, RowsThatSayMoreThanTheSheetShowsAreRefused) {
  const struct {
    const char* stored;
    const char* reason;
  } cases[] = {
      {"//\n0 3\na   b\nX\tb\n", "is not the row it shows"},    // a character of its own
      {"//\n0 2\na   b\na\tb\n", "is not the row it shows"},    // the tab spans too few blanks
      {"//\n0\na   b\na\tb\n", "is not the row it shows"},      // a tab without its blanks
      {"//\n0 3 1\na   b\na\tb\n", "is not the row it shows"},  // blanks without a tab
      {"//\n0 33\na\na\t\n", "is not the row it shows"},        // more blanks than any tab
      {"//\n0\nab\na\x1B[2Jb\n", "is not the row it shows"},    // an escape for the terminal
      {"//\n0\na\ta\na\ta\n", "is not the row it shows"},       // a tab in what the sheet shows
      {"//\n0\na \na \n", "is not the row it shows"},           // a row shown with blanks at its end
      {"//\n0\n\xFF\n\xFF \n", "is not the row it shows"},      // not UTF-8
      {"//\x1B\n0\na\na \n", "are damaged"},                    // a prefix for the terminal
      {"//\n1\na\na \n0\nb\nb \n", "are damaged"},              // rows out of order
      {"//\n1\na\na \n1\nb\nb \n", "are damaged"},              // a row twice
      {"//\n-1\na\na \n", "are damaged"},                       // a row before the first
      {"//\nx\na\na \n", "are damaged"},                        // no number
      {"//\n0  3\na   b\na\tb\n", "are damaged"},               // numbers parted by two blanks
      {"//\n0\na\n", "are damaged"},                            // a row without its bytes
      {"//\n0\na\na ", "are damaged"},                          // the last line unended
      {"//\n", "are damaged"},                                  // a prefix and no row
  };
  const std::string huge = "//\n0\na\na" + std::string(KeptRows::MaxStored, ' ') + "\n";
  std::string error;
  EXPECT_FALSE(KeptRows::Read(huge, error));
  EXPECT_NE(error.find("more than the 1048576 any art's can"), std::string::npos) << error;
  for (const auto& c : cases) {
    error.clear();
    EXPECT_FALSE(KeptRows::Read(c.stored, error)) << c.stored;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.stored << ": " << error;
    EXPECT_TRUE(KeptRows::ReadChecked(c.stored).Empty()) << c.stored;
  }
}

TEST(KeptRowsTest, ARowPrintsItsBytesWhileItShowsWhatItShowedBehindItsPrefix) {
  constexpr auto Utf8 = KeptRows::Encoding::Utf8;
  EXPECT_EQ(Sample.Line(0, "a   b", "// ", Utf8), "a\tb");
  // Blanks at the end of what the sheet prints do not count.
  EXPECT_EQ(Sample.Line(0, "a   b      ", "// ", Utf8), "a\tb");
  EXPECT_EQ(Sample.Line(2, "+--+", "// ", Utf8), "+--+  ");
  EXPECT_EQ(Sample.Line(3, "", "// ", Utf8), "\t ");
  // Changed, behind another prefix (the tab's stop moved), or a row not kept.
  EXPECT_EQ(Sample.Line(0, "a   c", "// ", Utf8), "a   c");
  EXPECT_EQ(Sample.Line(0, "a   b", "#", Utf8), "a   b");
  EXPECT_EQ(Sample.Line(1, "a   b", "// ", Utf8), "a   b");
  EXPECT_EQ(Sample.Line(4, "", "// ", Utf8), "");

  // Code page 932 output compares and gives back the code page's bytes.
  const KeptRows japanese("", {{0, "日本  x", "日本\tx", {2}}});
  EXPECT_EQ(japanese.Line(0, "\x93\xFA\x96\x7B  x", "", KeptRows::Encoding::Cp932), "\x93\xFA\x96\x7B\tx");
  EXPECT_EQ(japanese.Line(0, "\x93\xFA\x96\x7B   x", "", KeptRows::Encoding::Cp932), "\x93\xFA\x96\x7B   x");
}

}  // namespace
}  // namespace virlo
