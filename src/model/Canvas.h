#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/Stroke.h"

namespace virlo {

// The character canvas objects render into: rows of single bytes in code page
// 932, one byte per grid cell, blank to begin with. Writes are clipped to the
// rows, so nothing ever lands outside a row.
//
// A double-byte character takes two cells and is kept whole: whatever writes
// over one half of it blanks the other, and a character cut at either end of
// a row leaves a blank, so the rows always hold valid text.
//
// Text comes in UTF-8 and takes the cells CharacterCell gives each of its
// characters. A character (of text, or a marker's) that code page 932
// cannot hold in its cells is written as its substitute, and the canvas
// keeps the character itself for output in UTF-8 until anything else writes
// over it; so the code page 932 text and the UTF-8 text come from one canvas.
//
// A canvas may also keep a line layer, for output that draws lines with
// box-drawing characters: which cells still show what a line wrote there, and in
// which directions lines leave each cell.
class Canvas {
 public:
  // Directions a line leaves a cell in.
  enum Arm : std::uint8_t { ArmLeft = 1, ArmRight = 2, ArmUp = 4, ArmDown = 8 };
  // How heavy an arm is drawn: dashed and dotted lines join as light ones.
  enum Weight : std::uint8_t { NoArm = 0, Light = 1, Heavy = 2, Double = 3 };
  // What the line layer knows of a cell.
  struct LineCell {
    Weight left = NoArm;
    Weight right = NoArm;
    Weight up = NoArm;
    Weight down = NoArm;
    // The stroke of the line whose byte the cell shows, or at a line's end
    // the stroke of the line that ends there.
    Stroke run = Stroke::Solid;
    // The byte is a rounded corner ("." or "'").
    bool rounded = false;
  };
  static Weight WeightOf(Stroke stroke);

  Canvas(std::int32_t columns, std::int32_t rows, bool lineLayer = false);

  std::int32_t Columns() const { return columns_; }
  std::int32_t Rows() const { return rows_; }
  bool Holds(std::int32_t column, std::int32_t row) const {
    return column >= 0 && column < columns_ && row >= 0 && row < rows_;
  }

  // The byte at a cell; outside the canvas, NUL.
  char At(std::int32_t column, std::int32_t row) const;
  // True when the cell holds one half of a double-byte character.
  bool IsHalf(std::int32_t column, std::int32_t row) const;
  // Writes one byte; nothing outside the canvas.
  void Put(std::int32_t column, std::int32_t row, char ch);
  // Writes text from a cell rightwards (the cell may lie left of the row),
  // one byte a cell, cut at both ends of the row. A lead byte without its
  // second byte, in the text or at a cut, is written as a blank.
  void Write(std::int32_t column, std::int32_t row, std::string_view bytes);
  // Writes a marker's character at a cell, in the one or two cells it takes.
  void WriteCharacter(std::int32_t column, std::int32_t row, char32_t code);
  // Writes a line of UTF-8 text from a cell rightwards (the cell may lie
  // left of the row), each character in its cells. A character is written
  // whole or not at all: one cut at either end of the row leaves blanks in
  // the cells of the row it reaches.
  void WriteText(std::int32_t column, std::int32_t row, std::string_view utf8);
  // The character (UTF-8) a cell shows in place of its substitute, and the
  // cells it takes; empty where the cell shows its own byte.
  std::string_view Character(std::int32_t column, std::int32_t row) const;
  std::int32_t CharacterWidth(std::int32_t column, std::int32_t row) const;
  // How many characters (of text or markers) stand as substitutes in the
  // code page 932 text.
  std::int32_t Substitutes() const;
  // A row as code page 932 text: a character that takes one cell here but
  // two bytes there ("→", "○", "α") is written as itself over its cell and
  // a blank after it, as art in that code page holds it; elsewhere a
  // character stands as its substitute.
  std::string RowCp932(std::int32_t row) const;

  // A line's own byte ("-", "|", "=", "." or ":" of its run): other lines
  // may write over it, as over a blank, where they leave text alone.
  bool IsLineByte(std::int32_t column, std::int32_t row) const;

  // Line layer: a byte a line writes (its run, a joined end's "+", a rounded
  // corner) is marked as the line's until anything else writes the cell.
  // Without the layer these only write, or do nothing.
  bool HasLineLayer() const { return !layer_.empty(); }
  void PutLine(std::int32_t column, std::int32_t row, char ch, Stroke stroke = Stroke::Solid);
  void MarkLine(std::int32_t column, std::int32_t row, bool rounded = false);
  // Adds arms of a line with the given stroke; where two lines leave a cell
  // the same way, the heavier arm stays.
  void AddArms(std::int32_t column, std::int32_t row, std::uint8_t arms, Stroke stroke = Stroke::Solid);
  bool IsLine(std::int32_t column, std::int32_t row) const;
  // The directions lines leave a cell in, as Arm bits.
  std::uint8_t Arms(std::int32_t column, std::int32_t row) const;
  LineCell LineAt(std::int32_t column, std::int32_t row) const;

  std::string_view Row(std::int32_t row) const;
  // The rows top to bottom, each followed by a line feed.
  std::string Text() const;
  // One row in UTF-8, up to its first NUL: the characters that stand as
  // substitutes come back, and a cell with an entry in replace (UTF-8, one
  // entry a cell, empty for none) shows that entry in place of its byte.
  std::string RowUtf8(std::int32_t row, const std::vector<std::string_view>* replace = nullptr) const;
  // The rows in UTF-8, each followed by a line feed.
  std::string Utf8Text() const;

 private:
  std::size_t Index(std::int32_t column, std::int32_t row) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(column);
  }

  // What a cell holds of a character, and whether a character kept for
  // UTF-8 output starts there.
  enum Half : std::uint8_t { Whole = 0, First = 1, Second = 2 };
  static constexpr std::uint8_t HalfBits = 3;
  static constexpr std::uint8_t CharacterHead = 4;
  static constexpr std::uint8_t LineByte = 8;
  // Whose character a kept one is: a marker's stands alone in its cell.
  enum class Source : std::uint8_t { Marker, Text };
  struct Kept {
    std::string utf8;
    std::int32_t width = 1;
    Source source = Source::Marker;
  };
  // The two bytes code page 932 holds a text's kept character at the cell
  // in, where it takes one cell and a plain blank follows it; empty elsewhere.
  std::string WholeForm(std::int32_t column, std::int32_t row) const;
  // Blanks the other half of the character at a cell about to be written.
  void Split(std::int32_t column, std::int32_t row);
  // Writes a byte into a cell inside the canvas as the given part of a character.
  void Set(std::int32_t column, std::int32_t row, char ch, Half half, bool line);
  // Writes one character's bytes, one a cell, whole or as blanks where it
  // does not fit the row; keeps kept (UTF-8) for its first cell when given.
  void Place(std::int64_t column, std::int32_t row, std::string_view bytes, const std::string* kept,
             Source source = Source::Marker);

  // A line layer cell: two bits of Weight an arm (left, right, up, down),
  // whether the byte is the line's, whether it is a rounded corner, and the
  // stroke of the run that wrote it.
  static constexpr std::uint16_t LineOwned = 1 << 8;
  static constexpr std::uint16_t RoundedCorner = 1 << 9;
  static constexpr int RunShift = 10;
  static constexpr std::uint16_t RunBits = 7 << RunShift;

  std::int32_t columns_;
  std::int32_t rows_;
  std::vector<char> cells_;
  // Per cell, a Half, CharacterHead and LineByte.
  std::vector<std::uint8_t> halves_;
  // The characters kept, by the index of their first cell.
  std::unordered_map<std::size_t, Kept> characters_;
  // Per cell, as above. Empty when the canvas keeps no line layer.
  std::vector<std::uint16_t> layer_;
};

}  // namespace virlo
