// Listing the diagram blocks of a large source file, beside its baseline
// measured in the same run: reading the file and importing one of its
// blocks. Part of build/bin/virlo-bench.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "hostfile/BlockFinder.h"
#include "hostfile/BlockImport.h"
#include "hostfile/BlockListing.h"
#include "hostfile/HostFile.h"
#include "import/ArtGrid.h"
#include "import/ArtImporter.h"
#include "objects/PersistentTypes.h"
#include "objects/Sheet.h"
#include "store/Database.h"
#include "store/Store.h"

namespace virlo::bench {
namespace {

constexpr int FileLines = 20'000;
constexpr int Diagrams = 50;

// One diagram of a doc comment, 12 lines: three boxes, arrows between
// them, a loop back, labels.
constexpr int DiagramLines = 12;
void AppendDiagram(std::string& text, int n) {
  const std::string id = std::to_string(100 + n);
  text += "/**\n";
  text += " * How request " + id + " travels.\n";
  text += " *\n";
  text += " *   +----------+  send " + id + "   +----------+      +---------+\n";
  text += " *   |  client  |------------>|  proxy   |----->| server  |\n";
  text += " *   +----------+             +----------+      +---------+\n";
  text += " *        ^                                          |\n";
  text += " *        |                   reply                  |\n";
  text += " *        +------------------------------------------+\n";
  text += " *\n";
  text += " * The proxy keeps no state of its own.\n";
  text += " */\n";
}

// A C++ file of FileLines lines with Diagrams doc comments spread over it.
const std::string& SourcePath() {
  static const std::string path = [] {
    std::string text;
    int lines = 0;
    const int every = (FileLines - DiagramLines * Diagrams) / Diagrams;
    for (int n = 0; lines < FileLines; ++n) {
      if (n % every == 0 && n / every < Diagrams) {
        AppendDiagram(text, n / every);
        lines += DiagramLines;
      }
      text += "  value_" + std::to_string(n) + " = Compute(table[" + std::to_string(n % 97) + "], limit);\n";
      ++lines;
    }
    const std::string file = (std::filesystem::temp_directory_path() / "virlo-bench-blocks.cpp").string();
    std::ofstream(file, std::ios::binary) << text;
    return file;
  }();
  return path;
}

// Every diagram block listed with what import makes of it, as
// `virlo-cli blocks` does: the file read and checked, its blocks found,
// each imported.
void BM_ListBlocks(benchmark::State& state) {
  StartStore();
  std::size_t listed = 0;
  for (auto _ : state) {
    HostFile file;
    std::string error;
    if (!HostFile::Read(SourcePath(), file, error)) state.SkipWithError(error.c_str());
    listed = BlockListing::Of(file, false, BlockListing::Depth::Census).size();
  }
  state.SetLabel(std::to_string(listed) + " blocks");
}

// Baseline: the file's bytes read into memory, and one block of it
// imported (its lines read into cells, built and checked on a sheet).
void BM_ListBlocksBaseline(benchmark::State& state) {
  StartStore();
  HostFile parsed;
  std::string error;
  if (!HostFile::Read(SourcePath(), parsed, error)) state.SkipWithError(error.c_str());
  const DiagramBlock block = BlockFinder::Find(parsed).front();
  for (auto _ : state) {
    std::string bytes;
    std::FILE* in = std::fopen(SourcePath().c_str(), "rb");
    bytes.resize(std::filesystem::file_size(SourcePath()));
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), in);
    std::fclose(in);
    benchmark::DoNotOptimize(got);
    std::string art;
    for (std::size_t line = block.first; line < block.End(); ++line) art += std::string(parsed.Text(line)) + "\n";
    ArtGrid grid;
    ArtGrid::Options options;
    options.commentPrefix = block.prefix;
    store::Database scratch("baseline");
    Sheet* sheet = store::New<Sheet>(&scratch, 8, 16, 8, 16);
    ArtImporter::Report report;
    if (!grid.Read(art, options, error) || !ArtImporter::Import(grid, *sheet, report, error)) {
      state.SkipWithError(error.c_str());
    }
    store::Delete(sheet);
  }
}

}  // namespace

BENCHMARK(BM_ListBlocksBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListBlocks)->Unit(benchmark::kMillisecond);

}  // namespace virlo::bench
