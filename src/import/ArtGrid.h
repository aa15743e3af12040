#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace virlo {

// Character art read into cells as a sheet's canvas holds them: one byte of
// code page 932 per cell, a double-byte character in two cells. Box-drawing
// characters become the line characters VIRLO draws with ("-", "|", "+") and
// arrows the markers that stand for them; the cells remember which were
// drawn that way, so the art can be given back in the same style.
class ArtGrid {
 public:
  // The largest art a sheet holds, in cells.
  static constexpr std::int32_t MaxColumns = 256;
  static constexpr std::int32_t MaxRows = 256;

  enum class Encoding { Utf8, Cp932 };
  struct Options {
    Encoding encoding = Encoding::Utf8;
    // Stripped from the start of every line that has it.
    std::string commentPrefix;
    // Tabs advance to the next multiple of this many columns.
    std::int32_t tabSize = 8;
  };

  // Reads the art; false with the reason when it cannot be read (not valid
  // UTF-8, larger than a sheet).
  bool Read(std::string_view text, const Options& options, std::string& error);
  // Whether the text is well-formed UTF-8.
  static bool IsUtf8(std::string_view text);

  std::int32_t Columns() const { return columns_; }
  std::int32_t Rows() const { return static_cast<std::int32_t>(rows_.size()); }
  // The byte of a cell; a blank outside the art.
  char At(std::int32_t column, std::int32_t row) const;
  // True for both cells of a double-byte character: they are text, whatever
  // their bytes look like.
  bool IsWide(std::int32_t column, std::int32_t row) const;
  bool HasGlyphs() const { return glyphs_ > 0; }
  // A row as the canvas would hold it, without trailing blanks.
  std::string_view Row(std::int32_t row) const { return rows_[static_cast<std::size_t>(row)]; }

  // Characters a document cannot hold that were replaced: by a marker (an
  // arrow) or by "?" (anything else).
  std::int32_t MarkerSubstitutes() const { return markerSubstitutes_; }
  std::int32_t UnknownSubstitutes() const { return unknownSubstitutes_; }

 private:
  bool ReadLine(std::string_view line, std::int32_t number, const Options& options, std::string& error);

  std::vector<std::string> rows_;
  std::vector<std::vector<std::uint8_t>> kinds_;
  std::int32_t columns_ = 0;
  std::int32_t glyphs_ = 0;
  std::int32_t markerSubstitutes_ = 0;
  std::int32_t unknownSubstitutes_ = 0;
};

}  // namespace virlo
