// Edits of many boxes at once: pasting 16,002 boxes over their originals, and
// select all, delete, undo, redo, undo, select all, copy and paste played on
// the 64,770 boxes of a 256 x 256 block of "+", each beside the least such an
// edit does: making the copies and listing them. Part of build/bin/virlo-bench.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchDiagram.h"
#include "objects/ClipboardSheet.h"
#include "objects/DrawObj.h"
#include "objects/Sheet.h"
#include "script/Script.h"
#include "script/ScriptRunner.h"
#include "store/Store.h"
#include "tools/SelectTool.h"

namespace virlo::bench {
namespace {

// The clipboard holds a copy of every box of the block.
void CopyAll(Sheet* s, DrawTool& tool) {
  s->CollectInRect({0, 0, s->width, s->height});
  tool.Copy();
  s->ClearSelection();
}

// A paste of the whole block over itself, with the undo marker the view sets
// before it; the copies are deleted again outside the timing.
void BM_PasteBoxes(benchmark::State& state) {
  BoxBlock block(static_cast<int>(state.range(0)));
  Sheet* s = block.doc.sheet;
  SelectTool tool(s, nullptr);
  CopyAll(s, tool);
  std::int32_t pasted = 0;
  for (auto _ : state) {
    state.PauseTiming();
    block.doc.SetUndoMarker();
    state.ResumeTiming();
    pasted = tool.Paste();
    state.PauseTiming();
    tool.DeleteSelected();
    state.ResumeTiming();
  }
  state.SetLabel(std::to_string(pasted) + " boxes");
  clipboardSheet->DeleteObjects();
}

// Baseline: what every paste does at the least, the copies made and listed
// in front and selected, without letting them settle.
void BM_PasteBoxesBaseline(benchmark::State& state) {
  BoxBlock block(static_cast<int>(state.range(0)));
  Sheet* s = block.doc.sheet;
  SelectTool tool(s, nullptr);
  CopyAll(s, tool);
  for (auto _ : state) {
    state.PauseTiming();
    block.doc.SetUndoMarker();
    state.ResumeTiming();
    List<DrawObj*>::Cursor cursor(clipboardSheet->objects);
    for (const DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
      DrawObj* clone = obj->Clone(s);
      s->PlaceInFront(clone);
      s->selected.PushBack(clone);
    }
    state.PauseTiming();
    tool.DeleteSelected();
    state.ResumeTiming();
  }
  clipboardSheet->DeleteObjects();
}

// The script played by virlo-cli run's runner on the saved block, opened
// outside the timing. The counters are each command's time in ms.
void BM_BoxBlockScript(benchmark::State& state) {
  const std::string path = (std::filesystem::temp_directory_path() / "virlo-bench-block.vrl").string();
  {
    BoxBlock block(static_cast<int>(state.range(0)));
    if (!block.doc.OnSaveDocument(path)) state.SkipWithError(block.doc.LastError().c_str());
  }
  const char* const words[] = {"selectall", "delete", "undo", "redo", "undo", "selectall", "copy", "paste"};
  std::string source;
  for (const char* word : words) source += std::string(word) + "\n";
  std::vector<script::ScriptCommand> commands;
  std::string error;
  if (!script::Script::Parse(source, commands, error)) state.SkipWithError(error.c_str());
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> sink(std::fopen("/dev/null", "w"), &std::fclose);
  std::vector<double> spent(commands.size());
  std::int32_t objects = 0;
  using Clock = std::chrono::steady_clock;
  for (auto _ : state) {
    state.PauseTiming();
    auto runner = std::make_unique<script::ScriptRunner>(sink.get(), sink.get());
    if (!runner->Start(path)) state.SkipWithError("the block does not open");
    state.ResumeTiming();
    for (std::size_t i = 0; i < commands.size(); ++i) {
      const auto start = Clock::now();
      runner->Run({commands[i]});
      spent[i] += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
    state.PauseTiming();
    objects = runner->GetDocument().sheet->objects.Count();
    runner.reset();
    clipboardSheet->DeleteObjects();
    state.ResumeTiming();
  }
  for (std::size_t i = 0; i < commands.size(); ++i) {
    state.counters[std::to_string(i + 1) + "." + words[i]] =
        benchmark::Counter(spent[i], benchmark::Counter::kAvgIterations);
  }
  state.SetLabel(std::to_string(objects) + " objects at the end");
  std::filesystem::remove(path);
}

// Baseline: the copies of the whole block made, listed and freed again, the
// least a paste and a delete of it do.
void BM_BoxBlockScriptBaseline(benchmark::State& state) {
  BoxBlock block(static_cast<int>(state.range(0)));
  Sheet* s = block.doc.sheet;
  SelectTool tool(s, nullptr);
  CopyAll(s, tool);
  for (auto _ : state) {
    List<DrawObj*>::Cursor cursor(clipboardSheet->objects);
    for (const DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
      DrawObj* clone = obj->Clone(s);
      s->PlaceInFront(clone);
      s->selected.PushBack(clone);
    }
    tool.DeleteSelected();
    state.PauseTiming();
    block.doc.SetUndoMarker();
    state.ResumeTiming();
  }
  clipboardSheet->DeleteObjects();
}

BENCHMARK(BM_PasteBoxes)->Arg(128)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PasteBoxesBaseline)->Arg(128)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BoxBlockScript)->Arg(128)->Arg(256)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_BoxBlockScriptBaseline)->Arg(256)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace virlo::bench
