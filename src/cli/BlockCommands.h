#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "script/Script.h"

namespace virlo::cli {

// The commands of virlo-cli that work on diagrams where they live, in a
// block of a text file named FILE:LINE: listing the blocks, importing one,
// rendering a document into one, and playing a script on one.
class BlockCommands {
 public:
  // Exit statuses, as the other commands give them.
  static constexpr int ExitFailure = 1;
  static constexpr int ExitUsage = 2;

  // blocks FILE [--all] [--import]
  static int Blocks(const std::vector<std::string_view>& args);
  // Whether `import` arguments name a block (FILE:LINE, no such file) rather than art.
  static bool NamesBlock(const std::vector<std::string_view>& args);
  // import FILE:LINE --output D.vrl [--quiet]
  static int Import(const std::vector<std::string_view>& args);
  // Whether `render` arguments ask for --into.
  static bool RendersInto(const std::vector<std::string_view>& args);
  // render D.vrl --into FILE:LINE [--style ascii|unicode] [--dry-run]
  static int RenderInto(const std::vector<std::string_view>& args);
  // run SCRIPT --edit FILE:LINE [--dry-run], the script already read.
  static int RunEdit(const std::vector<script::ScriptCommand>& commands, const std::string& address, bool dryRun);
};

}  // namespace virlo::cli
