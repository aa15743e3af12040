#pragma once

#include <string>
#include <vector>

#include "hostfile/BlockSource.h"
#include "hostfile/DiagramBlock.h"
#include "hostfile/HostFile.h"
#include "import/ArtGrid.h"
#include "import/ArtImporter.h"

namespace virlo {

class Sheet;

// Reads a block's art as a diagram: its lines with their prefix left out,
// in the file's encoding. Every import of a block goes through here.
class BlockImport {
 public:
  // The block's art read into cells; false with the reason when it cannot
  // be (wider or higher than a sheet).
  static bool ReadGrid(const HostFile& file, const DiagramBlock& block, ArtGrid& grid, std::string& error);
  // Builds the block's art on an empty sheet and gives its source, with the
  // art the import shows for each line and the style it is written back in.
  static bool Import(const HostFile& file, const DiagramBlock& block, Sheet& sheet, BlockSource& source,
                     ArtImporter::Report& report, std::string& error);
  // The sheet's art as the source's block holds art: rows of its encoding
  // and style, without the prefix, trimmed; substitutes counts the marker
  // characters code page 932 could not hold.
  static std::vector<std::string> Rows(const Sheet& sheet, const BlockSource& source,
                                       std::int32_t* substitutes = nullptr);
};

}  // namespace virlo
