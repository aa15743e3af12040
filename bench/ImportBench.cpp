// Importing a full sheet of dense character art, beside reading the same
// bytes into cells. Part of build/bin/virlo-bench.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "document/CPlenkoDoc.h"
#include "import/ArtGrid.h"
#include "import/ArtImporter.h"
#include "model/Sheet.h"
#include "objects/PersistentTypes.h"

namespace virlo::bench {
namespace {

// A 256 x 256-cell sheet tiled with boxes holding text, each joined to its
// right neighbour by an arrow and to the one below by a line from a T on its
// bottom side: about 700 boxes and 1,400 lines, text in every box.
std::string DenseArt() {
  const char* const tile[] = {
      "+-----------+   ", "| service 1 +-->", "+-----+-----+   ",
      "      |         ", "      V  calls  ", "                ",
  };
  constexpr int TileRows = 6;
  constexpr int Tiles = 16;
  std::string art;
  for (int r = 0; r < 256; ++r) {
    for (int t = 0; t < Tiles; ++t) art += tile[r % TileRows];
    art += '\n';
  }
  return art;
}

const std::string& Art() {
  static const std::string art = DenseArt();
  return art;
}

// Baseline: reading the bytes into cells, as every import starts.
void BM_ReadArtBaseline(benchmark::State& state) {
  ArtGrid grid;
  std::string error;
  for (auto _ : state) benchmark::DoNotOptimize(grid.Read(Art(), {}, error));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(Art().size()));
}

// The whole import: reading, recognising, building the objects on a new
// document's sheet and checking that they render to the art.
void BM_ImportDenseArt(benchmark::State& state) {
  StartStore();
  ArtGrid grid;
  std::string error;
  if (!grid.Read(Art(), {}, error)) state.SkipWithError(error.c_str());
  ArtImporter::Report report;
  for (auto _ : state) {
    state.PauseTiming();
    auto document = std::make_unique<CPlenkoDoc>();
    document->OnNewDocument();
    state.ResumeTiming();
    if (!ArtImporter::Import(grid, *document->sheet, report, error)) state.SkipWithError(error.c_str());
    state.PauseTiming();
    document.reset();
    state.ResumeTiming();
  }
  state.SetLabel(std::to_string(report.boxes + report.framedTexts) + " boxes, " + std::to_string(report.lines) +
                 " lines, " + std::to_string(report.cellsKeptAsText) + " cells kept as text");
}

BENCHMARK(BM_ReadArtBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportDenseArt)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace virlo::bench
