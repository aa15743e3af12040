#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "import/ArtGrid.h"
#include "import/ArtImporter.h"

namespace virlo {

class Document;

// Character art from outside: a text file read whole, its encoding found,
// and brought in as a document's content.
class ArtInput {
 public:
  // Larger files are refused before they are read to the end.
  static constexpr std::size_t MaxBytes = std::size_t{16} << 20;

  // A regular file, or standard input for "-"; false with the reason.
  // Reading stops after a line that makes ReadArt refuse the art whatever
  // the encoding and the comment prefix (the one given, or else any the
  // text may show), when no line before it could: what follows would not
  // change that. Otherwise the whole file.
  static bool ReadFile(const std::string& path, std::string& bytes, std::string& error,
                       const std::string* prefix = nullptr);
  // Reads the bytes as UTF-8 or, when they are not, as code page 932, with
  // the other options given.
  static bool ReadAnyEncoding(std::string_view bytes, ArtGrid& grid, std::string& error,
                              const ArtGrid::Options& options = {});
  // Reads the bytes in the encoding the options give. Only what a sheet can
  // hold reaches the grid: reading stops at the first line that is surely
  // wider than a sheet and at the first line past its last row that is not
  // blank, and blanks at the ends of lines are left behind, so the grid
  // never holds more than a sheet's rows of a sheet's width, whatever the
  // file.
  static bool ReadArt(std::string_view bytes, ArtGrid& grid, std::string& error, const ArtGrid::Options& options);
  // Builds the art on a new document's empty sheet; the document is then
  // modified: it has no file to match.
  // What was made goes to report when one is given.
  static bool IntoNewDocument(const ArtGrid& grid, Document& document, std::string& error,
                              ArtImporter::Report* report = nullptr);
};

}  // namespace virlo
