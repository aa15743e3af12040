// The SVG picture of large generated diagrams, beside two baselines measured
// in the same run. Run: build/bin/virlo-bench --benchmark_filter=Svg
#include <benchmark/benchmark.h>

#include <string>

#include "bench/BenchDiagram.h"
#include "export/SvgExport.h"
#include "model/Sheet.h"
#include "platform/DeviceContext.h"

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

BENCHMARK(BM_SvgExport)->VIRLO_SIZES;
BENCHMARK(BM_SvgExportVisitOnly)->VIRLO_SIZES;
BENCHMARK(BM_SvgExportBaseline)->VIRLO_SIZES;

}  // namespace
}  // namespace virlo::bench
