#include "hostfile/BlockListing.h"

#include <cstdio>
#include <memory>

#include "hostfile/BlockFinder.h"
#include "hostfile/BlockImport.h"
#include "objects/Sheet.h"
#include "store/Database.h"
#include "store/Store.h"

namespace virlo {
namespace {

// The grid of a new document's sheet: the import sizes the sheet to its art.
constexpr std::int32_t CellWidth = 8;
constexpr std::int32_t CellHeight = 16;

}  // namespace

std::vector<BlockListing::Entry> BlockListing::Of(const HostFile& file, bool all, Depth depth) {
  std::vector<Entry> entries;
  std::unique_ptr<store::Database> scratch;
  if (depth == Depth::Import) scratch = std::make_unique<store::Database>("blocks");
  for (const DiagramBlock& block : BlockFinder::Find(file)) {
    if (!block.lineArt && !all) continue;
    Entry entry;
    entry.block = block;
    entry.census = BlockCensus::Of(file, block);
    entry.style = entry.census.glyphs ? ArtOptions::Style::Unicode : ArtOptions::Style::Ascii;
    if (depth == Depth::Census) {
      entries.push_back(std::move(entry));
      continue;
    }
    entry.imported = true;
    ArtGrid grid;
    Sheet* sheet = store::New<Sheet>(scratch.get(), CellWidth, CellHeight, CellWidth, CellHeight);
    if (sheet == nullptr) {
      entry.error = "no memory for its sheet";
    } else if (BlockImport::ReadGrid(file, block, grid, entry.error) &&
               ArtImporter::Import(grid, *sheet, entry.report, entry.error)) {
      entry.read = true;
      entry.style = grid.HasGlyphs() ? ArtOptions::Style::Unicode : ArtOptions::Style::Ascii;
    }
    if (sheet != nullptr) store::Delete(sheet);
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string BlockListing::Line(const Entry& entry) {
  const DiagramBlock& block = entry.block;
  std::string line = std::to_string(block.outerFirst + 1) + "-" + std::to_string(block.outerLast + 1) + " " +
                     DiagramBlock::KindName(block.kind) + " " + Quoted(block.prefix) + " ";
  if (!entry.imported) return line + StyleName(entry.style) + ": " + entry.census.Summary();
  if (!entry.read) return line + "not read: " + entry.error;
  return line + StyleName(entry.style) + ": imports as " + Summary(entry.report);
}

std::string BlockListing::Summary(const ArtImporter::Report& report) {
  std::string summary;
  auto count = [&summary](std::int32_t n, const char* one, const char* many) {
    if (n == 0) return;
    if (!summary.empty()) summary += ", ";
    summary += std::to_string(n) + " " + (n == 1 ? one : many);
  };
  count(report.boxes, "box", "boxes");
  count(report.framedTexts, "framed text", "framed texts");
  count(report.lines, "line", "lines");
  count(report.arrowheads, "arrowhead", "arrowheads");
  count(report.dots, "dot", "dots");
  count(report.labels + report.texts, "text", "texts");
  count(static_cast<std::int32_t>(report.leftAsText.size()), "piece of line art left as text",
        "pieces of line art left as text");
  return summary.empty() ? "empty" : summary;
}

std::string BlockListing::Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (c == '\t') {
      quoted += "\\t";
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
      quoted += escaped;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

const char* BlockListing::StyleName(ArtOptions::Style style) {
  return style == ArtOptions::Style::Unicode ? "unicode" : "ascii";
}

}  // namespace virlo
