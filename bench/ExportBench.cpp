// The SVG picture of large generated diagrams, beside two baselines measured
// in the same run. Run: build/bin/virlo-bench --benchmark_filter=Svg
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <string>

#include "bench/BenchDiagram.h"
#include "export/SvgExport.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "platform/DeviceContext.h"
#include "store/Store.h"

namespace virlo::bench {
namespace {

void BM_SvgExport(benchmark::State& state) {
  const Sheet* s = Shared(static_cast<int>(state.range(0))).doc.sheet;
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string svg = SvgExport::Render(*s, SvgExport::Area::Sheet);
    bytes = svg.size();
    benchmark::DoNotOptimize(svg.data());
  }
  state.SetLabel(std::to_string(bytes / 1024) + " KiB");
}

// The same picture written as it is painted, to a sink that only counts:
// the counter KiB is the largest piece the picture ever waited in memory as.
void BM_SvgWrite(benchmark::State& state) {
  const Sheet* s = Shared(static_cast<int>(state.range(0))).doc.sheet;
  std::size_t bytes = 0;
  std::size_t largest = 0;
  for (auto _ : state) {
    bytes = 0;
    SvgExport::Write(*s, SvgExport::Area::Sheet, SvgExport::Frame::Hidden, [&](std::string_view piece) {
      bytes += piece.size();
      largest = std::max(largest, piece.size());
      benchmark::DoNotOptimize(piece.data());
      return true;
    });
  }
  state.counters["KiB"] = static_cast<double>(largest) / 1024;
  state.SetLabel(std::to_string(bytes / 1024) + " KiB");
}

// A device context that keeps nothing, so painting through it is visiting the
// objects and their drawing calls.
class NullDeviceContext : public DeviceContext {
 public:
  Pen SelectPen(const Pen& pen) override { return pen; }
  Brush SelectBrush(const Brush& brush) override { return brush; }
  const Font* SelectFont(const Font* font) override { return font; }
  void MoveTo(Point p) override { benchmark::DoNotOptimize(p); }
  void LineTo(Point p) override { benchmark::DoNotOptimize(p); }
  void Ellipse(const Rect& bounds) override { benchmark::DoNotOptimize(bounds); }
  void Polygon(std::span<const Point> points) override { benchmark::DoNotOptimize(points.data()); }
  PolygonFillMode SetPolygonFillMode(PolygonFillMode mode) override { return mode; }
  void FillRect(const Rect& rect, Color) override { benchmark::DoNotOptimize(rect); }
  Color SetTextColor(Color color) override { return color; }
  BackgroundMode SetBackgroundMode(BackgroundMode mode) override { return mode; }
  void TextOut(Point, std::string_view text) override { benchmark::DoNotOptimize(text.data()); }
  void TextOutUtf8(Point, std::string_view utf8) override { benchmark::DoNotOptimize(utf8.data()); }
  void DrawText(std::string_view text, const Rect&, unsigned) override { benchmark::DoNotOptimize(text.data()); }
};

// Reference: the same painting into a context that keeps nothing.
void BM_SvgExportVisitOnly(benchmark::State& state) {
  const Sheet* s = Shared(static_cast<int>(state.range(0))).doc.sheet;
  for (auto _ : state) {
    NullDeviceContext dc;
    s->DrawObjects(dc);
  }
}

// Baseline: writing the finished picture's bytes into a new string.
void BM_SvgExportBaseline(benchmark::State& state) {
  const std::string svg =
      SvgExport::Render(*Shared(static_cast<int>(state.range(0))).doc.sheet, SvgExport::Area::Sheet);
  for (auto _ : state) {
    std::string copy;
    copy.reserve(svg.size());
    copy.append(svg);
    benchmark::DoNotOptimize(copy.data());
  }
}

// A text of 16 million characters: 16,000 lines of 1,000 (argument 0), or
// one line (1); the words are seven letters and a blank.
std::string HugeText(bool oneLine) {
  std::string text;
  text.reserve(16'000'000 + 32'000);
  for (int line = 0; line < (oneLine ? 1 : 16'000); ++line) {
    const int length = oneLine ? 16'000'000 : 1'000;
    for (int i = 0; i < length; ++i) text += i % 8 == 7 ? ' ' : static_cast<char>('a' + (line + i) % 26);
    if (!oneLine) text += "\r\n";
  }
  return text;
}

// The SVG picture of a new document holding one framed text box, at the
// sheet's second cell, with that text; the counter MB is how much the
// process's peak grew (run alone for that).
void SvgOfTextBox(benchmark::State& state, const std::string& text) {
  TextBoxDocument box(text);
  const Sheet* s = box.doc.sheet;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const long before = usage.ru_maxrss;
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string svg = SvgExport::Render(*s, SvgExport::Area::Sheet);
    bytes = svg.size();
    benchmark::DoNotOptimize(svg.data());
  }
  getrusage(RUSAGE_SELF, &usage);
  state.counters["MB"] = static_cast<double>(usage.ru_maxrss - before) / 1024;
  state.SetLabel(std::to_string(bytes / 1024) + " KiB");
}

void BM_SvgHugeText(benchmark::State& state) { SvgOfTextBox(state, HugeText(state.range(0) != 0)); }

// Baseline: the same picture of the box holding only what the sheet shows.
void BM_SvgHugeTextBaseline(benchmark::State& state) {
  SvgOfTextBox(state, ShownPart(HugeText(state.range(0) != 0), 76, 62));
}

// A text box of the arguments' rows, bytes a row and kana (1) or letters
// (0): the longest text a box holds (256 x 256, or on one line), or one of
// 16 MiB that a file could hold before the document check refused more.
void BM_SvgLongText(benchmark::State& state) {
  SvgOfTextBox(state,
               BlockText(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), state.range(2) != 0));
}

// Baseline: the box holding only what the sheet shows.
void BM_SvgLongTextBaseline(benchmark::State& state) {
  SvgOfTextBox(state, ShownPart(BlockText(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                                          state.range(2) != 0),
                                76, 62));
}

BENCHMARK(BM_SvgExport)->VIRLO_SIZES;
BENCHMARK(BM_SvgWrite)->VIRLO_SIZES;
BENCHMARK(BM_SvgHugeText)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SvgHugeTextBaseline)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SvgLongText)
    ->Args({256, 256, 0})
    ->Args({256, 256, 1})
    ->Args({1, 66'046, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SvgLongText)
    ->Args({16'000, 1'048, 1})
    ->Args({1, 16 << 20, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_SvgLongTextBaseline)
    ->Args({256, 256, 0})
    ->Args({256, 256, 1})
    ->Args({1, 66'046, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SvgExportVisitOnly)->VIRLO_SIZES;
BENCHMARK(BM_SvgExportBaseline)->VIRLO_SIZES;

}  // namespace
}  // namespace virlo::bench
