#include <gtest/gtest.h>

#include <string>

#include "export/ArtExport.h"
#include "model/Canvas.h"
#include "platform/TextCodec.h"

namespace virlo {
namespace {

using Style = ArtOptions::Style;

ArtOptions Unicode() {
  ArtOptions options;
  options.style = Style::Unicode;
  return options;
}

TEST(ArtExportTest, EveryArmCombinationOfAJoinedEndHasItsCharacter) {
  constexpr unsigned L = Canvas::ArmLeft, R = Canvas::ArmRight, U = Canvas::ArmUp, D = Canvas::ArmDown;
  const struct {
    unsigned arms;
    std::string glyph;
  } cases[] = {
      {0, ""},          {L, "─"},         {R, "─"},         {L | R, "─"},         {U, "│"},     {D, "│"},
      {U | D, "│"},     {R | D, "┌"},     {L | D, "┐"},     {R | U, "└"},         {L | U, "┘"}, {U | D | R, "├"},
      {U | D | L, "┤"}, {L | R | D, "┬"}, {L | R | U, "┴"}, {L | R | U | D, "┼"},
  };
  for (const auto& c : cases) EXPECT_EQ(ArtExport::Glyph('+', c.arms), c.glyph) << "arms " << c.arms;
  // Runs keep their direction whatever crosses them; other bytes stay.
  EXPECT_EQ(ArtExport::Glyph('-', U | D), "─");
  EXPECT_EQ(ArtExport::Glyph('|', L | R), "│");
  EXPECT_EQ(ArtExport::Glyph('>', L), "");
}

TEST(ArtExportTest, PlainFormIsTheSheetTextConverted) {
  // A lone lead byte at a row end, a NUL that ends a row early, and kana.
  Canvas canvas(6, 3);
  canvas.Write(0, 0, "ab\x83");
  canvas.Write(0, 1, "x\0yz");
  canvas.Write(1, 2, "\x83\x7C-");
  ArtOptions options;
  EXPECT_EQ(ArtExport::Format(canvas, options), TextCodec::Cp932ToUtf8(canvas.Text()));
  options.utf8 = false;
  EXPECT_EQ(ArtExport::Format(canvas, options), canvas.Text());
}

TEST(ArtExportTest, UnicodeRewritesOnlyWhatLinesDrew) {
  Canvas canvas(8, 2, true);
  canvas.PutLine(0, 0, '+');
  canvas.AddArms(0, 0, Canvas::ArmRight | Canvas::ArmDown);
  canvas.PutLine(1, 0, '-');
  canvas.Put(2, 0, '+');  // a marker or text: stays
  canvas.PutLine(3, 0, '-');
  canvas.Write(4, 0, "\x83\x7C");  // "ポ", its second byte is "|"...
  canvas.MarkLine(5, 0);           // ...even if marked as a line's
  canvas.Write(6, 0, "\x83");      // a lone lead byte before a line cell: the canvas blanks it
  canvas.PutLine(7, 0, '-');
  canvas.PutLine(0, 1, '|');
  EXPECT_EQ(ArtExport::Format(canvas, Unicode()), "┌─+─ポ ─\n│       \n");
}

TEST(ArtExportTest, UnicodeRowsHoldingControlBytesConvertAlike) {
  // A control byte in the text must not be taken for a line cell.
  Canvas canvas(5, 1, true);
  canvas.Write(0, 0, "\x01");
  canvas.PutLine(1, 0, '-');
  canvas.Write(2, 0, "\x83\x7C");
  canvas.PutLine(4, 0, '|');
  EXPECT_EQ(ArtExport::Format(canvas, Unicode()), "\x01─ポ│\n");
  canvas.Put(0, 0, 'x');
  EXPECT_EQ(ArtExport::Format(canvas, Unicode()), "x─ポ│\n");
}

TEST(ArtExportTest, CropLeavesTheArtReadyToPaste) {
  // Blank rows above, "入" two columns wide, a blank row inside, a row cut
  // short by a NUL, blank rows below.
  Canvas canvas(10, 8);
  canvas.Write(3, 2, "+-+");
  canvas.Write(2, 3, "\x93\xFC x");
  canvas.Write(4, 5, "x\0  y");
  ArtOptions options;
  options.crop = true;
  EXPECT_EQ(ArtExport::Format(canvas, options), " +-+\n入 x\n\n  x\n");
  // The prefix goes before the cropped lines, and an empty line keeps no blank.
  options.prefix = "// ";
  EXPECT_EQ(ArtExport::Format(canvas, options), "//  +-+\n// 入 x\n//\n//   x\n");
  options.utf8 = false;
  EXPECT_EQ(ArtExport::Format(canvas, options), "//  +-+\n// \x93\xFC x\n//\n//   x\n");
  // Nothing drawn: nothing at all.
  EXPECT_EQ(ArtExport::Format(Canvas(4, 3), options), "");
}

}  // namespace
}  // namespace virlo
