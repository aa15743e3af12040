// Painting large generated diagrams through the Qt drawing path. Run:
// build/bin/virlo-bench-paint
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

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

BENCHMARK(BM_PaintSheet)->VIRLO_SIZES;
BENCHMARK(BM_PaintSmallArea)->VIRLO_SIZES;

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
