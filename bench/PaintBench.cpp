// Painting large generated diagrams through the Qt drawing path. Run:
// build/bin/virlo-bench-paint
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <string>

#include "bench/BenchDiagram.h"
#include "objects/PersistentTypes.h"
#include "objects/Sheet.h"
#include "view/QtDeviceContext.h"

namespace virlo::bench {
namespace {

void BM_PaintSheet(benchmark::State& state) {
  Diagram& d = Shared(static_cast<int>(state.range(0)));
  QImage image(2048, 4096, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    QtDeviceContext dc(painter);
    d.doc.sheet->Draw(dc);
  }
}

// What a window repaints while something is dragged: a small area of it, here
// 200 x 100 pixels in the middle of the sheet; the painter clips to it, as a
// widget's paint event does.
void BM_PaintSmallArea(benchmark::State& state) {
  Diagram& d = Shared(static_cast<int>(state.range(0)));
  QImage image(800, 600, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter painter(&image);
    painter.translate(-600, -1600);
    painter.setClipRect(QRect(900, 1800, 200, 100));
    painter.fillRect(QRect(900, 1800, 200, 100), Qt::white);
    QtDeviceContext dc(painter);
    d.doc.sheet->Draw(dc);
  }
}

// A repaint of a 200 x 100-pixel area over a framed text box at the sheet's
// second cell, as an edit beside it repaints: the box of the arguments'
// rows, bytes a row and kana (1) or letters (0): the longest text a box
// holds (256 x 256, or on one line), or 1 MiB, which a file could hold
// before the document check refused more. The counter MB is how much the process's peak grew.
void PaintTextBox(benchmark::State& state, const std::string& text) {
  TextBoxDocument box(text);
  QImage image(800, 600, QImage::Format_RGB32);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const long before = usage.ru_maxrss;
  for (auto _ : state) {
    QPainter painter(&image);
    painter.setClipRect(QRect(100, 100, 200, 100));
    painter.fillRect(QRect(100, 100, 200, 100), Qt::white);
    QtDeviceContext dc(painter);
    box.doc.sheet->Draw(dc);
  }
  getrusage(RUSAGE_SELF, &usage);
  state.counters["MB"] = static_cast<double>(usage.ru_maxrss - before) / 1024;
}

std::string Text(const benchmark::State& state) {
  return BlockText(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), state.range(2) != 0);
}

void BM_PaintLongText(benchmark::State& state) { PaintTextBox(state, Text(state)); }

// Baseline: the box holding only what the sheet shows.
void BM_PaintLongTextBaseline(benchmark::State& state) { PaintTextBox(state, ShownPart(Text(state), 76, 62)); }

BENCHMARK(BM_PaintSheet)->VIRLO_SIZES;
BENCHMARK(BM_PaintSmallArea)->VIRLO_SIZES;
BENCHMARK(BM_PaintLongText)
    ->Args({256, 256, 0})
    ->Args({256, 256, 1})
    ->Args({1, 66'046, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintLongText)
    ->Args({1'024, 1'024, 1})
    ->Args({1, 1 << 20, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_PaintLongTextBaseline)
    ->Args({256, 256, 0})
    ->Args({256, 256, 1})
    ->Args({1, 66'046, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace virlo::bench

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  virlo::StartStore();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
