// Importing full sheets of character art, beside reading the same bytes into
// cells. Part of build/bin/virlo-bench.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "control/ArtInput.h"
#include "document/Document.h"
#include "import/ArtGrid.h"
#include "import/ArtImporter.h"
#include "import/CommentPrefix.h"
#include "objects/PersistentTypes.h"
#include "objects/Sheet.h"

namespace virlo::bench {
namespace {

constexpr int Side = 256;

// The arts measured, by the benchmark's argument.
enum class Art : std::int64_t {
  // Tiles of text boxes, each joined to its right neighbour by an arrow and
  // to the one below by a line from a T on its bottom side: about 700 boxes
  // and 1,400 lines, text in every box.
  Tiles = 0,
  // 256 x 256 "+": every 2 x 2 square of them a one-cell box, 64,770 of them
  // if each were read alone.
  Plus = 1,
  // Random line and marker characters, letters and blanks.
  Random = 2,
  // The largest diagram of the import tests (tests/import/published and
  // tests/import/corpus), found when the benchmark runs.
  Largest = 3,
};

std::string TiledArt() {
  const char* const tile[] = {
      "+-----------+   ", "| service 1 +-->", "+-----+-----+   ",
      "      |         ", "      V  calls  ", "                ",
  };
  constexpr int TileRows = 6;
  constexpr int Tiles = Side / 16;
  std::string art;
  for (int r = 0; r < Side; ++r) {
    for (int t = 0; t < Tiles; ++t) art += tile[r % TileRows];
    art += '\n';
  }
  return art;
}

std::string PlusArt() {
  std::string art;
  for (int r = 0; r < Side; ++r) art += std::string(Side, '+') + "\n";
  return art;
}

std::string RandomArt() {
  // A fixed generator and seed: the same art on every machine.
  std::mt19937 random(20261207);
  constexpr std::string_view Alphabet = "+-|+-|<>^vVO*.:'`/\\_=#  aBc";
  std::string art;
  for (int r = 0; r < Side; ++r) {
    for (int c = 0; c < Side; ++c) art += Alphabet[random() % Alphabet.size()];
    art += '\n';
  }
  return art;
}

// The largest test diagram, read as virlo-cli reads it: its comment prefix
// left out. Its name goes to Largest's label.
std::string LargestTestArt(std::string& name) {
  namespace fs = std::filesystem;
  fs::path largest;
  std::uintmax_t most = 0;
  for (const char* folder : {"tests/import/published", "tests/import/corpus"}) {
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(VIRLO_SOURCE_DIR) / folder, ec)) {
      if (entry.path().extension() != ".txt" || entry.file_size(ec) <= most) continue;
      most = entry.file_size(ec);
      largest = entry.path();
    }
  }
  std::string text;
  std::string error;
  if (largest.empty() || !ArtInput::ReadFile(largest.string(), text, error)) return {};
  name = "largest test diagram, " + largest.filename().string();
  return text;
}

// The art's bytes and the comment prefix its lines share.
struct MeasuredArt {
  std::string text;
  std::string name;
  ArtGrid::Options options;
};

const MeasuredArt& ArtOf(std::int64_t which) {
  static const MeasuredArt arts[] = {
      {TiledArt(), "tiles", {}}, {PlusArt(), "plus", {}}, {RandomArt(), "random", {}}, [] {
        MeasuredArt largest;
        largest.text = LargestTestArt(largest.name);
        largest.options.commentPrefix = CommentPrefix::Find(largest.text).prefix;
        return largest;
      }()};
  return arts[which];
}

// Baseline: reading the bytes into cells, as every import starts.
void BM_ReadArtBaseline(benchmark::State& state) {
  const MeasuredArt& art = ArtOf(state.range(0));
  ArtGrid grid;
  std::string error;
  for (auto _ : state) benchmark::DoNotOptimize(grid.Read(art.text, art.options, error));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(art.text.size()));
  state.SetLabel(art.name);
}

// The whole import: reading, recognising, building the objects on a new
// document's sheet and checking that they render to the art.
void BM_ImportArt(benchmark::State& state) {
  StartStore();
  const MeasuredArt& art = ArtOf(state.range(0));
  ArtGrid grid;
  std::string error;
  if (!grid.Read(art.text, art.options, error)) state.SkipWithError(error.c_str());
  ArtImporter::Report report;
  for (auto _ : state) {
    state.PauseTiming();
    auto document = std::make_unique<Document>();
    document->OnNewDocument();
    state.ResumeTiming();
    if (!ArtImporter::Import(grid, *document->sheet, report, error)) state.SkipWithError(error.c_str());
    state.PauseTiming();
    document.reset();
    state.ResumeTiming();
  }
  state.SetLabel(art.name + ": " + std::to_string(report.boxes + report.framedTexts) + " boxes, " +
                 std::to_string(report.lines) + " lines, " + std::to_string(report.texts) + " texts, " +
                 std::to_string(report.cellsKeptAsText) + " cells kept as text");
}

// Refusing art far larger than a sheet: 16 MiB of line feeds.
void BM_RefuseHugeArt(benchmark::State& state) {
  const std::string art(std::size_t{16} << 20, '\n');
  ArtGrid grid;
  std::string error;
  for (auto _ : state) benchmark::DoNotOptimize(grid.Read(art, {}, error));
  state.SetLabel(error);
}

// The largest files art is read from, as the editor and virlo-cli read them
// (ArtInput): 16 MiB of line feeds (argument 0, blank art), the same with a
// character at the end (1, past the last row), one line of 16 MiB (2, wider
// than a sheet). The counter MB is how much the process's peak grew: run one
// argument alone for it.
std::string HugeArt(std::int64_t which) {
  constexpr std::size_t Bytes = std::size_t{16} << 20;
  if (which == 2) return std::string(Bytes, 'x');
  std::string art(Bytes, '\n');
  if (which == 1) art.back() = 'x';
  return art;
}

void BM_ReadHugeArt(benchmark::State& state) {
  const std::string art = HugeArt(state.range(0));
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const long before = usage.ru_maxrss;
  ArtGrid grid;
  std::string error;
  bool read = false;
  for (auto _ : state) {
    read = ArtInput::ReadAnyEncoding(art, grid, error);
    benchmark::DoNotOptimize(read);
  }
  getrusage(RUSAGE_SELF, &usage);
  state.counters["MB"] = static_cast<double>(usage.ru_maxrss - before) / 1024;
  state.SetLabel(read ? std::to_string(grid.Rows()) + " rows" : error);
}

// Baseline: one look at every byte, counting the line feeds.
void BM_ReadHugeArtBaseline(benchmark::State& state) {
  const std::string art = HugeArt(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(std::count(art.begin(), art.end(), '\n'));
}

// The same art as a file, read as import reads it (ArtInput::ReadFile, then
// the art), and one more: a row past the last at the top (3). The label
// tells how many bytes were read.
std::string HugeArtFile(std::int64_t which) {
  std::string art =
      which == 3 ? std::string(300, '\n') + "x" + std::string(std::size_t{16} << 20, '\n') : HugeArt(which);
  art.resize(std::min(art.size(), ArtInput::MaxBytes));
  const std::string path = (std::filesystem::temp_directory_path() / "virlo-bench-huge-art.txt").string();
  std::ofstream(path, std::ios::binary) << art;
  return path;
}

void BM_ReadHugeArtFile(benchmark::State& state) {
  const std::string path = HugeArtFile(state.range(0));
  ArtGrid grid;
  std::string bytes;
  std::string error;
  bool read = false;
  for (auto _ : state) {
    read = ArtInput::ReadFile(path, bytes, error) && ArtInput::ReadAnyEncoding(bytes, grid, error);
    benchmark::DoNotOptimize(read);
  }
  state.SetLabel(std::to_string(bytes.size() / 1024) + " KiB read; " +
                 (read ? std::to_string(grid.Rows()) + " rows" : error));
  std::filesystem::remove(path);
}

// Baseline: the whole file read into memory in the same pieces, nothing looked at.
void BM_ReadHugeArtFileBaseline(benchmark::State& state) {
  const std::string path = HugeArtFile(state.range(0));
  for (auto _ : state) {
    std::string bytes;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    char buffer[1 << 16];
    std::size_t got = 0;
    while (file != nullptr && (got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, got);
    benchmark::DoNotOptimize(bytes.data());
  }
  std::filesystem::remove(path);
}

BENCHMARK(BM_ReadArtBaseline)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadHugeArt)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadHugeArtBaseline)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadHugeArtFile)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadHugeArtFileBaseline)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportArt)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefuseHugeArt)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace virlo::bench
