#pragma once

#include <cstdint>
#include <string>

#include "hostfile/DiagramBlock.h"
#include "hostfile/HostFile.h"

namespace virlo {

// What a block's art draws, counted from its characters without building
// anything: closed rectangles, arrowheads on runs, words. Cheap enough to
// list every block of a large file; an import may read the art otherwise.
struct BlockCensus {
  std::int32_t rows = 0;
  std::int32_t boxes = 0;
  std::int32_t arrowheads = 0;
  std::int32_t words = 0;
  // Box-drawing characters: the art is written back in the Unicode style.
  bool glyphs = false;

  static BlockCensus Of(const HostFile& file, const DiagramBlock& block);
  // "9 rows: 3 boxes, 4 arrowheads, 12 words".
  std::string Summary() const;
};

}  // namespace virlo
