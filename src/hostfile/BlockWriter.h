#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "hostfile/BlockSource.h"
#include "hostfile/HostFile.h"

namespace virlo {

class Sheet;

// Saves a diagram back into the block of the host file it came from: the
// art rendered as the block holds art, the block found in the file as it
// is now, the file written through SafeWrite with the block replaced, and
// nothing written at all when no byte would change.
class BlockWriter {
 public:
  // What to do when the block's own lines changed on disk since they were read.
  enum class Policy {
    Refuse,     // nothing is written; the caller may ask and save again
    Overwrite,  // the block found now at the block's first line is replaced
  };
  enum class Outcome {
    Written,
    Unchanged,     // the file already holds the art: nothing was written
    BlockChanged,  // refused: the block's lines changed on disk (Policy::Refuse)
    Failed,        // refused or failed, with the reason
  };
  struct Result {
    Outcome outcome = Outcome::Failed;
    std::string error;
    // The file's bytes as written (or as they would be, for a dry run).
    std::string bytes;
    // The block was found again at another place.
    bool moved = false;
    // Marker characters code page 932 could not hold, written as substitutes.
    std::int32_t substitutes = 0;
  };

  // Saves the sheet's art into the source's block. When the file is
  // written, or holds the art already, the source follows it: the block's
  // place and lines as they are now, the art shown for them, the file's identity.
  static Result Save(BlockSource& source, const Sheet& sheet, Policy policy = Policy::Refuse);
  // The same without writing: result.bytes holds the new file; the source
  // stays as it was.
  static Result DryRun(const BlockSource& source, const Sheet& sheet, Policy policy = Policy::Refuse);
  // Puts the sheet's art into the host file as a new block before the line
  // (counted from 0; past the file's end: at its end), made as
  // BlockFinder::NewBlock makes it, in ASCII. A sheet without art writes
  // nothing (Outcome::Unchanged). Once written, source is the new block's.
  static Result Insert(const std::string& path, std::size_t line, const Sheet& sheet, BlockSource& source);

 private:
  struct Prepared;
  static Result Prepare(const BlockSource& source, const Sheet& sheet, Policy policy, Prepared& prepared);
};

}  // namespace virlo
