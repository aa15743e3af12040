#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "export/ArtExport.h"
#include "hostfile/BlockCensus.h"
#include "hostfile/DiagramBlock.h"
#include "hostfile/HostFile.h"
#include "import/ArtImporter.h"

namespace virlo {

// The blocks of a host file as `virlo-cli blocks` lists them: with what
// their art draws, or what import makes of each.
class BlockListing {
 public:
  enum class Depth {
    Census,  // what the characters draw, counted: quick
    Import,  // what an import makes of it: every block read as a diagram
  };
  struct Entry {
    DiagramBlock block;
    ArtOptions::Style style = ArtOptions::Style::Ascii;
    BlockCensus census;
    // Imported: the import read the block (what it made in report), else
    // error says why not.
    bool imported = false;
    bool read = false;
    ArtImporter::Report report;
    std::string error;
  };

  // The blocks that hold line art (with all, every block). Imported, each
  // is built on a sheet of its own that is gone afterwards; the store must
  // then be started.
  static std::vector<Entry> Of(const HostFile& file, bool all, Depth depth);
  // One line: its lines (from 1, fences included), kind, prefix, style and
  // what it draws (`12-18 fence "" ascii: 5 rows: 2 boxes, 1 arrowhead,
  // 4 words`) or what was made (`... ascii: imports as 2 boxes, 1 line, 1
  // arrowhead, 2 texts`).
  static std::string Line(const Entry& entry);
  // What an import made, in a few words.
  static std::string Summary(const ArtImporter::Report& report);
  // A prefix in double quotes, tabs and other control characters escaped.
  static std::string Quoted(std::string_view text);
  static const char* StyleName(ArtOptions::Style style);
};

}  // namespace virlo
