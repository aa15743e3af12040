#include <gtest/gtest.h>

#include "platform/TextCodec.h"

namespace virlo {
namespace {

// One character as character art places it: its own bytes where the code
// page holds it in the cells it takes, else a substitute over it, and a
// look-alike or a character of no width said so.
TEST(TextCodecTest, ACharacterOfArtStandsInCellsAsItselfOrOverASubstitute) {
  // Box drawing takes one cell in UTF-8 art, as a terminal shows it: the
  // code page's two bytes would not fit, so "-" stands for it.
  const TextCodec::Cells fromUtf8 = TextCodec::CellsOf(U'─', false);
  EXPECT_EQ(fromUtf8.bytes, "-");
  EXPECT_EQ(fromUtf8.held, TextCodec::Held::Character);
  // In code page 932 art it takes its two bytes' cells, as itself.
  const TextCodec::Cells fromCp932 = TextCodec::CellsOf(U'─', true);
  EXPECT_EQ(fromCp932.bytes, "\x84\x9F");
  EXPECT_EQ(fromCp932.held, TextCodec::Held::Wide);
  EXPECT_FALSE(fromCp932.lookalike || fromCp932.unknown);

  const TextCodec::Cells kanji = TextCodec::CellsOf(U'日', false);
  EXPECT_EQ(kanji.bytes, "\x93\xFA");
  EXPECT_EQ(kanji.held, TextCodec::Held::Wide);
  // "—" and "α" take one cell, as a terminal shows them, where the code
  // page's forms take two: kept as characters over a substitute.
  const TextCodec::Cells dash = TextCodec::CellsOf(U'—', false);
  EXPECT_EQ(dash.bytes, "-");
  EXPECT_EQ(dash.held, TextCodec::Held::Character);
  const TextCodec::Cells alpha = TextCodec::CellsOf(U'α', false);
  EXPECT_EQ(alpha.bytes, "?");
  EXPECT_EQ(alpha.held, TextCodec::Held::Character);
  // In code page 932 art "—" is the code page's "―", which it reads back.
  const TextCodec::Cells cp932Dash = TextCodec::CellsOf(U'—', true);
  EXPECT_EQ(cp932Dash.bytes, "\x81\x5C");
  EXPECT_TRUE(cp932Dash.lookalike);
  // A no-break space is a character of its own over a blank, as text holds it.
  const TextCodec::Cells noBreak = TextCodec::CellsOf(U'\u00A0', false);
  EXPECT_EQ(noBreak.held, TextCodec::Held::Character);
  EXPECT_FALSE(noBreak.unknown);
  // The code page lacks a snowman: one cell, "?", kept as a character.
  const TextCodec::Cells snowman = TextCodec::CellsOf(U'☃', false);
  EXPECT_EQ(snowman.bytes, "?");
  EXPECT_EQ(snowman.held, TextCodec::Held::Character);
  EXPECT_FALSE(snowman.unknown);
  // A combining accent takes no cell: nothing a document can hold.
  const TextCodec::Cells accent = TextCodec::CellsOf(U'\u0301', false);
  EXPECT_EQ(accent.bytes, "?");
  EXPECT_TRUE(accent.unknown);
}

}  // namespace
}  // namespace virlo
