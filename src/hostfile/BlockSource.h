#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "export/ArtExport.h"
#include "hostfile/DiagramBlock.h"
#include "hostfile/HostFile.h"
#include "platform/FileIdentity.h"

namespace virlo {

// Where a diagram came from: a block of a host file as it was read, and
// what its import showed of each line, so that a save writes back only the
// lines whose art changed and finds the block again in a file changed since.
struct BlockSource {
  // Where the block stands in the file now, asked before a save.
  struct Location {
    enum class Status {
      Same,     // its lines where they were
      Moved,    // its lines unchanged, found at another place
      Changed,  // its lines are no longer in the file as they were
    };
    Status status = Status::Changed;
    // The block's first art line and first outer line, when found.
    std::size_t first = 0;
    std::size_t outerFirst = 0;
  };

  std::string path;
  DiagramBlock block;
  HostFile::Encoding encoding = HostFile::Encoding::Utf8;
  // The line end new lines take.
  std::string lineEnd = "\n";
  // The style the art is written back in: box drawing where the block had it.
  ArtOptions::Style style = ArtOptions::Style::Ascii;
  // The file when it was read or last written.
  FileIdentity identity;
  // The block's art lines as the file held them, without and with their ends.
  std::vector<std::string> lines;
  std::vector<std::string> ends;
  // How many of the lines at the block's end hold no art: they stay when
  // the art changes.
  std::size_t blankTail = 0;
  // The outer lines (fences included), with their ends: what finds the block again.
  std::vector<std::string> outer;
  // The art the import made of the lines, row by row, as it renders
  // (trimmed); a row still rendered so is written back as its line was.
  std::vector<std::string> shown;

  // The source of a block of the file as read; shown is left empty.
  static BlockSource Of(const HostFile& file, const DiagramBlock& block);
  // The block in the file as it is now: where it was, or its outer lines
  // unchanged at the nearest place they are found.
  Location Locate(const HostFile& now) const;
  // The render options that give the art as the block holds it.
  ArtOptions RenderOptions() const;
};

}  // namespace virlo
