#include "cli/BlockCommands.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "document/Document.h"
#include "hostfile/BlockAddress.h"
#include "hostfile/BlockFinder.h"
#include "hostfile/BlockImport.h"
#include "hostfile/BlockListing.h"
#include "hostfile/BlockSource.h"
#include "hostfile/BlockWriter.h"
#include "hostfile/HostFile.h"
#include "import/ArtImporter.h"
#include "import/LeftoverFinder.h"
#include "objects/PersistentTypes.h"
#include "script/ScriptRunner.h"

namespace virlo::cli {
namespace {

constexpr const char* BlocksUsage = "virlo-cli: usage: virlo-cli blocks FILE [--all] [--import]\n";
constexpr const char* ImportUsage = "virlo-cli: usage: virlo-cli import FILE:LINE --output FILE.vrl [--quiet]\n";
constexpr const char* RenderUsage =
    "virlo-cli: usage: virlo-cli render FILE.vrl --into FILE:LINE [--style ascii|unicode] [--dry-run]\n";

int UsageError(const char* usage, const std::string& why) {
  if (!why.empty()) std::fprintf(stderr, "virlo-cli: %s\n", why.c_str());
  std::fputs(usage, stderr);
  return BlockCommands::ExitUsage;
}

int Failure(const std::string& message) {
  std::fprintf(stderr, "virlo-cli: %s\n", message.c_str());
  return BlockCommands::ExitFailure;
}

bool WriteStdout(const std::string& bytes) {
  if (script::ScriptRunner::WriteAll(stdout, bytes)) return true;
  std::fprintf(stderr, "virlo-cli: cannot write to standard output: %s\n", std::strerror(errno));
  return false;
}

// A block's lines as listings give them, counted from 1: its fences included.
std::string Lines(const DiagramBlock& block) {
  return std::to_string(block.outerFirst + 1) + "-" + std::to_string(block.outerLast + 1);
}

// The block that FILE:LINE names, read; an exit status and a message when
// there is none.
struct NamedBlock {
  HostFile file;
  std::vector<DiagramBlock> blocks;
  const DiagramBlock* block = nullptr;
};

int FindBlock(std::string_view text, const char* usage, NamedBlock& named) {
  const BlockAddress address = BlockAddress::Parse(text);
  if (!address.line) return UsageError(usage, "'" + std::string(text) + "' names no line: give it as FILE:LINE");
  std::string error;
  if (!HostFile::Read(address.path, named.file, error)) {
    return Failure("cannot read '" + address.path + "': " + error);
  }
  const std::size_t line = *address.line - 1;
  if (line >= named.file.LineCount()) {
    return Failure("'" + address.path + "' has " + std::to_string(named.file.LineCount()) + " lines; line " +
                   std::to_string(*address.line) + " is past its end");
  }
  named.blocks = BlockFinder::Find(named.file);
  named.block = BlockFinder::At(named.blocks, line);
  if (named.block == nullptr) return Failure(address.path + ": " + BlockFinder::NoBlockMessage(named.blocks, line));
  return 0;
}

// Imports the block into a new document; false with a message.
bool ImportInto(const NamedBlock& named, Document& document, BlockSource& source, ArtImporter::Report& report) {
  std::string error;
  if (!document.OnNewDocument()) {
    std::fputs("virlo-cli: cannot make a new document\n", stderr);
    return false;
  }
  if (!BlockImport::Import(named.file, *named.block, *document.sheet, source, report, error)) {
    std::fprintf(stderr, "virlo-cli: cannot import lines %s of '%s': %s\n", Lines(*named.block).c_str(),
                 named.file.Path().c_str(), error.c_str());
    return false;
  }
  document.UpdateModifiedFlag();
  return true;
}

// What import made, and the line art it left as text, on standard error.
void PrintReport(const ArtImporter::Report& report) {
  std::fprintf(stderr,
               "virlo-cli: imported %d boxes, %d framed text boxes, %d lines (%d joined, %d resting, %d docked ends), "
               "%d arrowheads, %d dots, %d labels, %d text boxes\n",
               report.boxes, report.framedTexts, report.lines, report.joins * 2, report.rests, report.docks,
               report.arrowheads, report.dots, report.labels, report.texts);
  for (const ArtPlan::Piece& piece : report.leftAsText) {
    std::fprintf(stderr, "virlo-cli: line art left as text at row %d, column %d: %s (%s)\n", piece.First().row + 1,
                 piece.First().column + 1, piece.text.c_str(), LeftoverFinder::Reason(piece.why));
  }
  if (report.unknownSubstitutes > 0) {
    std::fprintf(stderr, "virlo-cli: %d characters a document cannot hold became '?'\n", report.unknownSubstitutes);
  }
  if (report.lookalikeSubstitutes > 0) {
    std::fprintf(stderr, "virlo-cli: %d characters a document cannot hold became others like them\n",
                 report.lookalikeSubstitutes);
  }
}

// Writes the sheet's art into the source's block, or prints the new file for
// a dry run; the exit status.
int WriteBack(BlockSource& source, const Sheet& sheet, bool dryRun) {
  const std::string was = Lines(source.block);
  const BlockWriter::Result result = dryRun ? BlockWriter::DryRun(source, sheet) : BlockWriter::Save(source, sheet);
  if (result.outcome == BlockWriter::Outcome::BlockChanged || result.outcome == BlockWriter::Outcome::Failed) {
    return Failure(result.error + "; nothing written");
  }
  if (result.substitutes > 0) {
    std::fprintf(stderr,
                 "virlo-cli: %d marker characters that code page 932 cannot hold were written as their substitutes\n",
                 result.substitutes);
  }
  if (dryRun) return WriteStdout(result.bytes) ? 0 : BlockCommands::ExitFailure;
  if (result.moved) std::fprintf(stderr, "virlo-cli: the block of lines %s had moved in the file\n", was.c_str());
  if (result.outcome == BlockWriter::Outcome::Unchanged) {
    std::fprintf(stderr, "virlo-cli: lines %s of '%s' already hold the diagram; nothing written\n",
                 Lines(source.block).c_str(), source.path.c_str());
  } else {
    std::fprintf(stderr, "virlo-cli: wrote the diagram into lines %s of '%s'\n", Lines(source.block).c_str(),
                 source.path.c_str());
  }
  return 0;
}

}  // namespace

int BlockCommands::Blocks(const std::vector<std::string_view>& args) {
  std::string path;
  bool all = false;
  BlockListing::Depth depth = BlockListing::Depth::Census;
  for (std::string_view arg : args) {
    if (arg == "--all") {
      all = true;
    } else if (arg == "--import") {
      depth = BlockListing::Depth::Import;
    } else if (path.empty() && !arg.starts_with("--")) {
      path = arg;
    } else {
      return UsageError(BlocksUsage, "");
    }
  }
  if (path.empty()) return UsageError(BlocksUsage, "");
  HostFile file;
  std::string error;
  if (!HostFile::Read(path, file, error)) return Failure("cannot read '" + path + "': " + error);
  StartStore();
  std::string listing;
  for (const BlockListing::Entry& entry : BlockListing::Of(file, all, depth))
    listing += BlockListing::Line(entry) + "\n";
  return WriteStdout(listing) ? 0 : ExitFailure;
}

bool BlockCommands::NamesBlock(const std::vector<std::string_view>& args) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--output" || arg == "--encoding" || arg == "--comment" || arg == "--tab") {
      ++i;
      continue;
    }
    if (arg == "-") return false;
    if (arg.starts_with("-")) continue;
    return BlockAddress::Parse(arg).line.has_value();
  }
  return false;
}

int BlockCommands::Import(const std::vector<std::string_view>& args) {
  std::string address;
  std::string output;
  bool outputGiven = false;
  bool quiet = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const bool hasValue = i + 1 < args.size();
    if (args[i] == "--output" && hasValue) {
      output = args[++i];
      outputGiven = true;
    } else if (args[i] == "--quiet") {
      quiet = true;
    } else if (args[i] == "--encoding" || args[i] == "--comment" || args[i] == "--tab") {
      return UsageError(ImportUsage,
                        std::string(args[i]) + " does not apply to a block: it is read as its file holds it");
    } else if (address.empty() && !args[i].starts_with("--")) {
      address = args[i];
    } else {
      return UsageError(ImportUsage, "");
    }
  }
  if (outputGiven && output.empty()) return UsageError(ImportUsage, "the output has no name");
  if (address.empty() || output.empty()) return UsageError(ImportUsage, "");
  NamedBlock named;
  if (const int status = FindBlock(address, ImportUsage, named); status != 0) return status;
  StartStore();
  Document document;
  BlockSource source;
  ArtImporter::Report report;
  if (!ImportInto(named, document, source, report)) return ExitFailure;
  if (!quiet) {
    std::fprintf(stderr, "virlo-cli: lines %s of '%s': %s block, prefix %s, %s\n", Lines(source.block).c_str(),
                 source.path.c_str(), DiagramBlock::KindName(source.block.kind),
                 BlockListing::Quoted(source.block.prefix).c_str(), BlockListing::StyleName(source.style));
    PrintReport(report);
  }
  if (!document.OnSaveDocument(output)) {
    return Failure("cannot save '" + output + "': " + document.LastError());
  }
  return 0;
}

bool BlockCommands::RendersInto(const std::vector<std::string_view>& args) {
  for (std::string_view arg : args) {
    if (arg == "--into") return true;
  }
  return false;
}

int BlockCommands::RenderInto(const std::vector<std::string_view>& args) {
  std::string path;
  std::string address;
  std::optional<ArtOptions::Style> style;
  bool dryRun = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const bool hasValue = i + 1 < args.size();
    if (args[i] == "--into" && hasValue) {
      address = args[++i];
    } else if (args[i] == "--style" && hasValue) {
      const std::string_view name = args[++i];
      if (name != "ascii" && name != "unicode") return UsageError(RenderUsage, "the style is ascii or unicode");
      style = name == "unicode" ? ArtOptions::Style::Unicode : ArtOptions::Style::Ascii;
    } else if (args[i] == "--dry-run") {
      dryRun = true;
    } else if (path.empty() && !args[i].starts_with("--")) {
      path = args[i];
    } else if (args[i].starts_with("--") && args[i] != "--into") {
      return UsageError(RenderUsage, std::string(args[i]) +
                                         " does not apply to --into: the art takes the block's own prefix, "
                                         "encoding and line ends");
    } else {
      return UsageError(RenderUsage, "");
    }
  }
  if (path.empty() || address.empty()) return UsageError(RenderUsage, "");
  NamedBlock named;
  if (const int status = FindBlock(address, RenderUsage, named); status != 0) return status;
  StartStore();
  Document document;
  if (!document.OnOpenDocument(path)) return Failure("cannot open '" + path + "': " + document.LastError());
  // What the block shows now, so that its rows the document draws alike stay as they are.
  Document current;
  BlockSource source;
  ArtImporter::Report report;
  std::string error;
  if (!current.OnNewDocument()) return Failure("cannot make a new document");
  if (!BlockImport::Import(named.file, *named.block, *current.sheet, source, report, error)) {
    source = BlockSource::Of(named.file, *named.block);
  }
  if (style) source.style = *style;
  return WriteBack(source, *document.sheet, dryRun);
}

int BlockCommands::RunEdit(const std::vector<script::ScriptCommand>& commands, const std::string& address,
                           bool dryRun) {
  NamedBlock named;
  if (const int status =
          FindBlock(address, "virlo-cli: usage: virlo-cli run SCRIPT --edit FILE:LINE [--dry-run]\n", named);
      status != 0) {
    return status;
  }
  StartStore();
  script::ScriptRunner runner(stdout, stderr);
  if (!runner.Start()) return ExitFailure;
  BlockSource source;
  ArtImporter::Report report;
  std::string error;
  if (!BlockImport::Import(named.file, *named.block, *runner.GetDocument().sheet, source, report, error)) {
    return Failure("cannot import lines " + Lines(*named.block) + " of '" + named.file.Path() + "': " + error);
  }
  runner.GetDocument().UpdateModifiedFlag();
  if (!runner.Run(commands)) return ExitFailure;
  if (runner.GetDocument().sheet == nullptr) return Failure("the script left no document to write back");
  return WriteBack(source, *runner.GetDocument().sheet, dryRun);
}

}  // namespace virlo::cli
