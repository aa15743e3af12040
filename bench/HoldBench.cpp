// A whole gesture that holds a diagram together, with the undo marker that
// records it: Shift and a press on a box's top side, a drag four rows down,
// the release, the marker. The box carries a title, a body, a box with its
// text, a line and a dot; the arrow from its side to another box bends, two
// lines made. The baseline, in the same diagram and run: the same gesture on
// a box as large with nothing inside it and nothing attached. The undo that
// puts the box back is outside the timing. Part of build/bin/virlo-bench.
#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <memory>

#include "bench/BenchDiagram.h"
#include "control/ViewController.h"
#include "objects/Box.h"
#include "objects/Line.h"
#include "objects/MarkerTable.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "script/HeadlessWindow.h"
#include "store/Store.h"
#include "tools/DrawTool.h"

namespace virlo::bench {
namespace {

// Below the tiles of the generated diagram (rows 200 and on are free up to
// 12,000 objects): the box A with what lies inside it and its arrow to B,
// and the lone box.
constexpr int Top = 220;

struct HoldScene {
  explicit HoldScene(int objects) : diagram(std::make_unique<Diagram>(objects)) {
    Sheet* s = diagram->doc.sheet;
    store::Database* db = diagram->doc.GetDatabase();
    auto text = [&](int c, int r, const char* chars) {
      store::New<StrBox>(db, s, Cell(c), Row(r), 0, 0, String(chars), nullptr)->SetFlag(DrawObj::Visible, true);
    };
    store::New<Box>(db, s, Cell(2), Row(Top), Cell(30), Row(Top + 12), nullptr)->SetFlag(DrawObj::Visible, true);
    text(3, Top, "Title");
    text(4, Top + 2, "a body\r\nof two lines");
    store::New<Box>(db, s, Cell(18), Row(Top + 3), Cell(27), Row(Top + 7), nullptr)->SetFlag(DrawObj::Visible, true);
    text(19, Top + 4, "inner");
    store::New<Line>(db, s, Cell(4), Row(Top + 9), Cell(14), Row(Top + 9), nullptr, nullptr)
        ->SetFlag(DrawObj::Visible, true);
    store::New<Dot>(db, s, Cell(20), Row(Top + 10), MarkerTable::BlackCircle, nullptr)->LinkToLine();
    store::New<Box>(db, s, Cell(60), Row(Top + 2), Cell(70), Row(Top + 8), nullptr)->SetFlag(DrawObj::Visible, true);
    Line* arrow = store::New<Line>(db, s, Cell(30), Row(Top + 5), Cell(59), Row(Top + 5), nullptr, nullptr);
    arrow->SetFlag(DrawObj::Visible, true);
    arrow->end.marker = MarkerTable::RightArrow;
    arrow->start.LinkToLine();
    arrow->end.LinkToLine();
    store::New<Box>(db, s, Cell(150), Row(Top), Cell(178), Row(Top + 12), nullptr)->SetFlag(DrawObj::Visible, true);
    diagram->doc.SetUndoMarker();
    diagram->doc.UpdateModifiedFlag();
  }
  std::unique_ptr<Diagram> diagram;
};

HoldScene& SharedScene(int objects) {
  static std::map<int, std::unique_ptr<HoldScene>> scenes;
  auto& scene = scenes[objects];
  if (scene == nullptr) scene = std::make_unique<HoldScene>(objects);
  return *scene;
}

void Gesture(benchmark::State& state, int column) {
  HoldScene& scene = SharedScene(static_cast<int>(state.range(0)));
  Document& doc = scene.diagram->doc;
  script::HeadlessWindow window;
  ViewController view(&doc, &window);
  view.OnActivateView();
  const Point at{Cell(column + 15), Row(Top)};
  const Point to{at.x, at.y + 4 * 16};
  const std::int32_t before = doc.sheet->objects.Count();
  std::int32_t made = 0;
  using Clock = std::chrono::steady_clock;
  auto ms = [](Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
  };
  double press = 0;
  double move = 0;
  double release = 0;
  double marker = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    view.OnLButtonDown(MouseKeys::LeftButton | MouseKeys::Shift, at);
    const auto t1 = Clock::now();
    view.OnMouseMove(MouseKeys::LeftButton | MouseKeys::Shift, to);
    const auto t2 = Clock::now();
    view.OnLButtonUp(MouseKeys::Shift, to);
    const auto t3 = Clock::now();
    doc.SetUndoMarker();
    const auto t4 = Clock::now();
    made = doc.sheet->objects.Count() - before;
    if (!doc.OnEditUndo()) state.SkipWithError("nothing to undo");
    press += ms(t0, t1);
    move += ms(t1, t2);
    release += ms(t2, t3);
    marker += ms(t3, t4);
    state.SetIterationTime(std::chrono::duration<double>(t4 - t0).count());
  }
  state.SetLabel(std::to_string(made) + " lines made");
  // Each phase's average time in ms.
  const auto average = benchmark::Counter::kAvgIterations;
  state.counters["press"] = benchmark::Counter(press, average);
  state.counters["move"] = benchmark::Counter(move, average);
  state.counters["release"] = benchmark::Counter(release, average);
  state.counters["marker"] = benchmark::Counter(marker, average);
}

void BM_GestureCarryingAndBending(benchmark::State& state) { Gesture(state, 2); }
void BM_GestureCarryingAndBendingBaseline(benchmark::State& state) { Gesture(state, 150); }

}  // namespace

BENCHMARK(BM_GestureCarryingAndBending)->VIRLO_SIZES->UseManualTime();
BENCHMARK(BM_GestureCarryingAndBendingBaseline)->VIRLO_SIZES->UseManualTime();

}  // namespace virlo::bench
