#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "objects/KeptRows.h"
#include "platform/TextCodec.h"

namespace virlo {

// Character art read into cells as a sheet's canvas holds them, one record
// a cell: the character the art shows there and the code page 932 byte a
// text box holds for it. A character code page 932 holds in as many cells
// as the art gives it is held as itself (a double-byte one in two cells);
// any other character that prints (box drawing, arrows, symbols) only as a
// character of its own, with its substitute as the text's byte, so the art
// can still be given back exactly in UTF-8.
class ArtGrid {
 public:
  // The largest art a sheet holds, in cells.
  static constexpr std::int32_t MaxColumns = 256;
  static constexpr std::int32_t MaxRows = 256;
  // A line's blanks and tabs at its end are kept as read up to this many;
  // a line with more gives none back.
  static constexpr std::int32_t MaxKeptEnding = 256;

  enum class Encoding { Utf8, Cp932 };
  struct Options {
    Encoding encoding = Encoding::Utf8;
    // Stripped from the start of every line that has it.
    std::string commentPrefix;
    // Tabs advance to the next multiple of this many columns.
    std::int32_t tabSize = 8;
  };

  // How a cell's character stands in a document: as itself in one cell,
  // as a double-byte character in two (both cells say so), or only as a
  // character of its own over its substitute (both cells of a two-cell one
  // say so).
  using Held = TextCodec::Held;
  struct Cell {
    // The character; 0 in the second cell of a two-cell one.
    char32_t code = U' ';
    // What a text box holds in the cell, in code page 932.
    char byte = ' ';
    Held held = Held::Byte;
  };

  // Reads the art; false with the reason when it cannot be read (not valid
  // UTF-8, larger than a sheet). Reading stops at the first line that
  // reaches past the sheet's last column (read to its end, to say how wide
  // it is) or the first line past its last row, whatever follows.
  bool Read(std::string_view text, const Options& options, std::string& error);
  // Whether the text is well-formed UTF-8.
  static bool IsUtf8(std::string_view text);

  std::int32_t Columns() const { return columns_; }
  std::int32_t Rows() const { return rows_; }
  // A cell; a blank outside the art.
  const Cell& At(std::int32_t column, std::int32_t row) const;
  char Byte(std::int32_t column, std::int32_t row) const { return At(column, row).byte; }
  char32_t Code(std::int32_t column, std::int32_t row) const { return At(column, row).code; }
  // True for both cells of a double-byte character: they are text,
  // whatever their bytes look like.
  bool IsWide(std::int32_t column, std::int32_t row) const { return At(column, row).held == Held::Wide; }
  // The art holds box-drawing characters: it is given back in the Unicode style.
  bool HasGlyphs() const { return glyphs_ > 0; }
  // A row as a text box would hold it, without trailing blanks.
  std::string Row(std::int32_t row) const;
  // A row as the art shows it, in UTF-8, without trailing blanks.
  std::string RowUtf8(std::int32_t row) const;
  // A cell's character in UTF-8 with the combining marks and joiners that
  // follow it in the art ("e" and U+0301); empty in the second cell of a
  // two-cell character.
  std::string Utf8Of(std::int32_t column, std::int32_t row) const;

  // Characters a document holds only as characters of their own: code
  // page 932 output shows their substitutes.
  std::int32_t HeldAsCharacters() const { return characters_; }
  // Characters a document cannot hold at all (controls, bytes that are no
  // character of code page 932, characters that take no cell) became "?".
  std::int32_t UnknownSubstitutes() const { return unknownSubstitutes_; }
  // Characters code page 932 holds only as others like them ("¥" as "\\",
  // "‾" as "~"), so the art does not come back as it was.
  std::int32_t LookalikeSubstitutes() const { return lookalikeSubstitutes_; }
  // Tabs inside the art, with more of the line after them, given as blanks.
  std::int32_t ExpandedTabs() const { return expandedTabs_; }
  // The rows whose lines held tabs after the prefix or blanks at their
  // end, as read, for a document to give them back (KeptRows).
  const KeptRows& AsRead() const { return asRead_; }

 private:
  // How each character beyond ASCII stands in cells, asked of the codec once a character.
  using Characters = std::unordered_map<char32_t, TextCodec::Cells>;
  bool ReadLine(std::string_view line, std::int32_t number, const Options& options, Characters& characters,
                std::string& error);
  // Keeps the candidates that still are rows and fit what they show.
  void KeepRowsAsRead(const std::string& prefix, std::vector<KeptRows::Row> candidates);
  // Code page 932 read as UTF-8, counting the bytes that became "?".
  std::string Decode(std::string_view line);
  Cell& Mutable(std::int32_t column, std::int32_t row) { return cells_[Index(column, row)]; }

  std::size_t Index(std::int32_t column, std::int32_t row) const {
    return static_cast<std::size_t>(row) * MaxColumns + static_cast<std::size_t>(column);
  }

  // MaxColumns cells a row, blank beyond the row's end.
  std::vector<Cell> cells_;
  // The marks that follow a cell's character, by the cell's index; few art has any.
  std::unordered_map<std::size_t, std::string> marks_;
  std::int32_t columns_ = 0;
  std::int32_t rows_ = 0;
  std::int32_t glyphs_ = 0;
  std::int32_t characters_ = 0;
  std::int32_t unknownSubstitutes_ = 0;
  std::int32_t lookalikeSubstitutes_ = 0;
  std::int32_t expandedTabs_ = 0;
  // Rows read with tabs or blanks at their end, before they are known to fit.
  std::vector<KeptRows::Row> candidates_;
  KeptRows asRead_;
};

}  // namespace virlo
