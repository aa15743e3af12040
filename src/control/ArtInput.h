#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "export/ArtExport.h"
#include "import/ArtGrid.h"
#include "import/ArtImporter.h"

namespace virlo {

class DrawObj;
class Sheet;

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

  // Where the art goes. A new document holds it where it stands in its file,
  // columns included; art placed at a cell of a sheet (a paste) leaves the
  // indentation its lines share out, as it leaves a comment prefix out.
  enum class Placement { AsInFile, AtCell };
  // How art is to be read; what is not given is found.
  struct Request {
    // None: UTF-8 when the bytes are, else code page 932.
    std::optional<ArtGrid::Encoding> encoding;
    // None: the comment prefix every line shares (see CommentPrefix).
    std::optional<std::string> commentPrefix;
    std::int32_t tabSize = ArtGrid::Options{}.tabSize;
    Placement placement = Placement::AsInFile;
  };
  // Art read and ready to build, with how to print it back where it came from.
  struct Art {
    ArtGrid grid;
    // What every line started with and was left out: the prefix given or found.
    std::string prefix;
    // The prefix was found, holding a comment marker (not given).
    bool commentFound = false;
    // A prefix was given that no line starts with.
    bool prefixUnused = false;
    // A comment's own opening and closing lines ("/**" and " */") the art
    // was copied with, left out; both or neither.
    std::string opening;
    std::string closing;
    // The print options that give the art back: its style (box drawing where
    // it had it), its prefix, and without margins where it was placed anew.
    ArtOptions print;
    Placement placement = Placement::AsInFile;
  };

  // The one way art comes in, for a file, a drop, a paste, the command line
  // and a block of a text file: the prefix left out, the bytes read into a
  // grid, the print options taken from them. False with the reason.
  static bool Read(std::string_view bytes, const Request& request, Art& art, std::string& error);
  // Builds read art on a sheet with its first cell at (column, row), as the
  // tools would have drawn it; what was made, top-level objects in stacking
  // order, goes to made when given. Art as in its file, built at the first
  // cell, keeps its rows as read (tabs, blanks at the end) to print back.
  static bool Build(const Art& art, Sheet& sheet, std::int32_t column, std::int32_t row, ArtImporter::Report& report,
                    std::string& error, std::vector<DrawObj*>* made = nullptr);
};

}  // namespace virlo
