#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "hostfile/BlockSource.h"
#include "hostfile/HostFile.h"

namespace virlo {

// Puts new art into a block of a host file: the block's lines are replaced
// exactly (it may grow or shrink), a row whose art did not change is
// written back as its line was (tabs and trailing blanks kept), a new row
// gets the block's prefix and line end, and every byte outside the block
// stays as it was.
class BlockSplicer {
 public:
  // The block's new lines with their ends, from the art's rows (as
  // BlockImport::Rows gives them).
  static std::vector<std::string> Lines(const BlockSource& source, const std::vector<std::string>& rows);
  // The file's new bytes: the block's lines, starting at line `first` of the
  // file as it is now, replaced by the new lines.
  static std::string Splice(const HostFile& now, std::size_t first, std::size_t count,
                            const std::vector<std::string>& lines);
};

}  // namespace virlo
