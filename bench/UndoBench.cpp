// What undo costs over a long session: a marker after a small gesture, one
// undo, one redo, the memory that 50 drags keep, a whole session drawn by
// script, opening a line that carries many resting dots, and deleting half of
// a large diagram. Part of build/bin/virlo-bench.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchDiagram.h"
#include "control/ViewController.h"
#include "document/Document.h"
#include "objects/Box.h"
#include "objects/ClipboardSheet.h"
#include "objects/Dot.h"
#include "objects/Line.h"
#include "objects/Sheet.h"
#include "script/HeadlessWindow.h"
#include "script/Script.h"
#include "script/ScriptRunner.h"
#include "store/Database.h"
#include "store/Store.h"
#include "tools/SelectTool.h"

namespace virlo::bench {
namespace {

// The resident size of the process, in bytes.
std::int64_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::int64_t size = 0;
  std::int64_t resident = 0;
  statm >> size >> resident;
  return resident * 4096;
}

// A small gesture: the free "<>" dot of the first tile dragged one row down,
// or back up when it is down (an undo may have put it back). Only that dot
// and the picks change.
class SmallGesture {
 public:
  explicit SmallGesture(Diagram& d)
      : tool_(d.doc.sheet, nullptr), dot_(dynamic_cast<Dot*>(d.doc.sheet->PickObject(Cell(9), Row(1), nullptr))) {}
  ~SmallGesture() {
    // Leave the dot where it started.
    if (dot_ != nullptr && dot_->y != Row(1)) (*this)();
  }
  SmallGesture(const SmallGesture&) = delete;
  SmallGesture& operator=(const SmallGesture&) = delete;

  void operator()() {
    const int from = dot_ != nullptr ? dot_->y : Row(1);
    const int to = from == Row(1) ? Row(2) : Row(1);
    tool_.LButtonDown(0, Cell(9), from);
    tool_.MouseMove(0, Cell(9), to);
    tool_.LButtonUp(0, Cell(9), to);
  }

 private:
  SelectTool tool_;
  Dot* dot_;
};

// Each allocation's bytes, by address, for telling what a gesture changed.
std::map<std::uintptr_t, std::string> AllocationBytes(const store::Database& db) {
  std::map<std::uintptr_t, std::string> bytes;
  for (const auto& [address, allocation] : db.Allocations()) {
    bytes[address].assign(reinterpret_cast<const char*>(address), allocation.size * allocation.count);
  }
  return bytes;
}

// An undo marker set after a gesture that changed a few objects.
void BM_UndoMarkerAfterGesture(benchmark::State& state) {
  Diagram& d = Shared(static_cast<int>(state.range(0)));
  SmallGesture gesture(d);
  d.doc.SetUndoMarker();
  for (auto _ : state) {
    state.PauseTiming();
    gesture();
    state.ResumeTiming();
    d.doc.SetUndoMarker();
  }
}

// Baseline: copying the bytes of the allocations that one such gesture
// changes or makes, the least a marker must keep.
void BM_UndoMarkerAfterGestureBaseline(benchmark::State& state) {
  Diagram& d = Shared(static_cast<int>(state.range(0)));
  std::size_t changed = 0;
  {
    SmallGesture gesture(d);
    const auto before = AllocationBytes(*d.doc.GetDatabase());
    gesture();
    for (const auto& [address, bytes] : AllocationBytes(*d.doc.GetDatabase())) {
      auto it = before.find(address);
      if (it == before.end() || it->second != bytes) changed += bytes.size();
    }
  }
  std::vector<char> from(changed, 1);
  std::vector<char> to(changed);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), changed);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetLabel(std::to_string(changed) + " bytes");
}

// One undo of a small gesture, with everything the document does for it.
void BM_UndoAfterGesture(benchmark::State& state) {
  Diagram& d = Shared(static_cast<int>(state.range(0)));
  SmallGesture gesture(d);
  for (auto _ : state) {
    state.PauseTiming();
    d.doc.SetUndoMarker();
    gesture();
    state.ResumeTiming();
    if (!d.doc.OnEditUndo()) state.SkipWithError("nothing to undo");
  }
}

// One redo of a small gesture just undone.
void BM_RedoAfterUndo(benchmark::State& state) {
  Diagram& d = Shared(static_cast<int>(state.range(0)));
  SmallGesture gesture(d);
  for (auto _ : state) {
    state.PauseTiming();
    d.doc.SetUndoMarker();
    gesture();
    d.doc.OnEditUndo();
    state.ResumeTiming();
    if (!d.doc.OnEditRedo()) state.SkipWithError("nothing to redo");
  }
}

// 50 drags of one dot, each after its undo marker, on a fresh diagram: the
// time and how much the process grows (counter MB; run it in a process of
// its own, where freed memory from earlier benchmarks cannot hide growth).
void BM_FiftyDrags(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto d = std::make_unique<Diagram>(static_cast<int>(state.range(0)));
    // The diagram was built after the document's start: a first marker
    // takes that in, outside the measurement.
    d->doc.SetUndoMarker();
    const std::int64_t before = ResidentBytes();
    state.ResumeTiming();
    {
      SmallGesture gesture(*d);
      for (int i = 0; i < 50; ++i) {
        d->doc.SetUndoMarker();
        gesture();
      }
    }
    state.PauseTiming();
    state.counters["MB"] = static_cast<double>(ResidentBytes() - before) / 1e6;
    d.reset();
    state.ResumeTiming();
  }
}

// Plays a script as virlo-cli run plays it, timing only the run; counter MB
// is how much the process grew.
void PlayScript(benchmark::State& state, const std::string& source, int objects) {
  std::vector<script::ScriptCommand> commands;
  std::string error;
  if (!script::Script::Parse(source, commands, error)) state.SkipWithError(error.c_str());
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> sink(std::fopen("/dev/null", "w"), &std::fclose);
  for (auto _ : state) {
    state.PauseTiming();
    auto runner = std::make_unique<script::ScriptRunner>(sink.get(), sink.get());
    runner->Start();
    const std::int64_t before = ResidentBytes();
    state.ResumeTiming();
    runner->Run(commands);
    state.PauseTiming();
    state.counters["MB"] = static_cast<double>(ResidentBytes() - before) / 1e6;
    if (runner->GetDocument().sheet->objects.Count() != objects) state.SkipWithError("not every box was drawn");
    runner.reset();
    state.ResumeTiming();
  }
}

// The drag that draws box i of a grid of boxes, five cells apart.
std::string BoxDrag(int i, int perRow) {
  const int c = (i % perRow) * 5;
  const int r = (i / perRow) * 3;
  return "drag " + std::to_string(Cell(c)) + " " + std::to_string(Row(r)) + " " + std::to_string(Cell(c + 3)) + " " +
         std::to_string(Row(r + 2)) + "\n";
}

// A script that draws N boxes, one drag each.
void BM_DrawBoxesScript(benchmark::State& state) {
  const auto boxes = static_cast<int>(state.range(0));
  std::string source = "tool box\n";
  for (int i = 0; i < boxes; ++i) source += BoxDrag(i, 100);
  PlayScript(state, source, boxes);
}

// A session of N script lines: 1,000 boxes drawn, then the top side of one
// box after another dragged a row down (and, in the next round, back up),
// each drag its own undo step.
void BM_LongSession(benchmark::State& state) {
  const auto lines = static_cast<int>(state.range(0));
  constexpr int boxes = 1000;
  std::string source = "tool box\n";
  for (int i = 0; i < boxes; ++i) source += BoxDrag(i, 50);
  source += "tool select\n";
  for (int n = 0; boxes + 2 + 3 * n < lines; ++n) {
    const int i = n % boxes;
    const std::string x = std::to_string(Cell((i % 50) * 5 + 1));
    const int row = (i / 50) * 3;
    const bool down = (n / boxes) % 2 == 0;
    const std::string from = std::to_string(Row(down ? row : row + 1));
    const std::string to = std::to_string(Row(down ? row + 1 : row));
    source += "press " + x + " " + from + "\nmove " + x + " " + to + "\nrelease " + x + " " + to + "\n";
  }
  PlayScript(state, source, boxes);
}

// Opening a document whose one line carries N resting dots: the document
// check follows every dot to its line and back.
void BM_OpenLineWithRestingDots(benchmark::State& state) {
  const auto dots = static_cast<int>(state.range(0));
  const std::string path = (std::filesystem::temp_directory_path() / "virlo-bench-dots.vrl").string();
  {
    Document doc;
    doc.OnNewDocument();
    Sheet* s = doc.sheet;
    s->width = 4000 * 8;
    store::Database* db = doc.GetDatabase();
    Line* line = store::New<Line>(db, s, Cell(0), Row(10), Cell(3999), Row(10), nullptr, nullptr);
    for (int i = 0; i < dots; ++i) {
      Dot* dot = store::New<Dot>(db, s, Cell(1 + i % 3998), Row(10), 7, nullptr);
      dot->SetLine(line);
    }
    if (!doc.OnSaveDocument(path)) state.SkipWithError(doc.LastError().c_str());
  }
  for (auto _ : state) {
    Document doc;
    if (!doc.OnOpenDocument(path)) state.SkipWithError(doc.LastError().c_str());
  }
  std::filesystem::remove(path);
}

// Selecting the left half of a fresh diagram with a rubber band and deleting
// it (the building is not timed).
void BM_DeleteHalf(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto d = std::make_unique<Diagram>(static_cast<int>(state.range(0)));
    {
      Sheet* s = d->doc.sheet;
      SelectTool tool(s, nullptr);
      s->CollectInRect({0, 0, s->width / 2, s->height});
      const std::int32_t before = s->objects.Count();
      state.ResumeTiming();
      const std::int32_t deleted = tool.DeleteSelected();
      state.PauseTiming();
      state.SetLabel(std::to_string(deleted) + " of " + std::to_string(before) + " objects");
    }
    d.reset();
    state.ResumeTiming();
  }
}

// Copying the whole diagram while the clipboard holds an earlier copy of it,
// which the copy frees first.
void BM_CopyEverything(benchmark::State& state) {
  Diagram& d = Shared(static_cast<int>(state.range(0)));
  Sheet* s = d.doc.sheet;
  SelectTool tool(s, nullptr);
  s->CollectInRect({0, 0, s->width, s->height});
  state.SetLabel(std::to_string(tool.Copy()) + " objects");
  for (auto _ : state) tool.Copy();
  s->ClearSelection();
  clipboardSheet->DeleteObjects();
}

// A whole gesture as the view plays it, phase by phase: the press with its
// undo marker and the modified mark, one drag step, the release with the
// modified mark, and the undo with everything the document does for it.
// The object dragged is the free dot of the first tile (second argument 0)
// or its box, whose eight line ends each look for a line to rest on at the
// release (1). The counters are each phase's average time in ms; the time
// shown is the whole gesture. The diagram of one tile (8 objects) is the
// baseline: the same gesture where no search can be shorter.
void BM_GesturePhases(benchmark::State& state) {
  Diagram& d = Shared(static_cast<int>(state.range(0)));
  const bool box = state.range(1) != 0;
  script::HeadlessWindow window;
  double press = 0;
  double move = 0;
  double release = 0;
  double undo = 0;
  {
    ViewController view(&d.doc, &window);
    view.OnActivateView();
    // What building the diagram changed is taken in first, outside the timing.
    d.doc.SetUndoMarker();
    d.doc.UpdateModifiedFlag();
    // The point pressed: on the dot, or on the box's top side.
    const Point at = box ? Point{Cell(6), Row(0)} : Point{Cell(9), Row(1)};
    DrawObj* picked = d.doc.sheet->PickObject(at.x, at.y, nullptr);
    picked = picked != nullptr ? picked->Root() : nullptr;
    if (picked == nullptr || (box ? dynamic_cast<Box*>(picked) == nullptr : dynamic_cast<Dot*>(picked) == nullptr)) {
      state.SkipWithError("nothing to drag there");
    }
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::time_point a, Clock::time_point b) {
      return std::chrono::duration<double, std::milli>(b - a).count();
    };
    for (auto _ : state) {
      if (picked == nullptr) break;
      const auto t0 = Clock::now();
      view.OnLButtonDown(0, at);
      const auto t1 = Clock::now();
      view.OnMouseMove(0, {at.x, at.y + 16});
      const auto t2 = Clock::now();
      view.OnLButtonUp(0, {at.x, at.y + 16});
      const auto t3 = Clock::now();
      if (!d.doc.OnEditUndo()) state.SkipWithError("nothing to undo");
      const auto t4 = Clock::now();
      press += ms(t0, t1);
      move += ms(t1, t2);
      release += ms(t2, t3);
      undo += ms(t3, t4);
      state.SetIterationTime(std::chrono::duration<double>(t4 - t0).count());
    }
  }
  const auto average = benchmark::Counter::kAvgIterations;
  state.counters["press"] = benchmark::Counter(press, average);
  state.counters["move"] = benchmark::Counter(move, average);
  state.counters["release"] = benchmark::Counter(release, average);
  state.counters["undo"] = benchmark::Counter(undo, average);
}

#define VIRLO_LARGE_SIZES Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)

BENCHMARK(BM_UndoMarkerAfterGesture)->VIRLO_LARGE_SIZES;
BENCHMARK(BM_UndoMarkerAfterGestureBaseline)->VIRLO_LARGE_SIZES;
BENCHMARK(BM_UndoAfterGesture)->VIRLO_LARGE_SIZES;
BENCHMARK(BM_RedoAfterUndo)->VIRLO_LARGE_SIZES;
BENCHMARK(BM_GesturePhases)
    ->ArgsProduct({{8, 1000, 10000, 100000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(BM_FiftyDrags)->VIRLO_LARGE_SIZES->Iterations(1);
BENCHMARK(BM_DrawBoxesScript)->Arg(1000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LongSession)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_OpenLineWithRestingDots)->VIRLO_LARGE_SIZES->Iterations(1);
BENCHMARK(BM_DeleteHalf)->VIRLO_LARGE_SIZES->Iterations(3);
BENCHMARK(BM_CopyEverything)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace virlo::bench
