// Edits of many boxes at once: pasting 16,002 boxes over their originals, and
// select all, delete, undo, redo, undo, select all, copy and paste played on
// the 64,770 boxes of a 256 x 256 block of "+"; and a paste of objects
// stacked on three places onto themselves. Each beside the least such an
// edit does: making the copies and listing them. Part of build/bin/virlo-bench.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
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

std::vector<script::ScriptCommand> Commands(const std::string& source) {
  std::vector<script::ScriptCommand> commands;
  std::string error;
  if (!script::Script::Parse(source, commands, error)) std::fprintf(stderr, "%s\n", error.c_str());
  return commands;
}

// A document of `objects` objects lying on three places, as repeated select
// all, copy and paste make it from a line, a box and a line down: each
// paste lands on what it copied and doubles the stacks. Saved once for the
// run; the path of the file.
std::string StackedDocument(int objects) {
  static std::map<int, std::string> made;
  std::string& path = made[objects];
  if (!path.empty()) return path;
  path =
      (std::filesystem::temp_directory_path() / ("virlo-bench-stacked-" + std::to_string(objects) + ".vrl")).string();
  std::string source =
      "tool line\npress 20 24\nmove 52 24\nrelease 52 24\n"
      "tool box\npress 100 104\nmove 140 136\nrelease 140 136\n"
      "tool line\npress 200 40\nmove 200 88\nrelease 200 88\ntool select\n";
  for (int count = 3; count < objects; count *= 2) source += "selectall\ncopy\npaste\n";
  source += "save \"" + path + "\"\n";
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> sink(std::fopen("/dev/null", "w"), &std::fclose);
  script::ScriptRunner runner(sink.get(), sink.get());
  if (!runner.Start() || !runner.Run(Commands(source))) std::fprintf(stderr, "the stacked document failed\n");
  clipboardSheet->DeleteObjects();
  return path;
}

// The paste of a stacked document's every object onto itself, as the
// script's paste command does it (its marker included); the document is
// opened, selected and copied outside the timing.
void BM_PasteStacked(benchmark::State& state) {
  const std::string path = StackedDocument(static_cast<int>(state.range(0)));
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> sink(std::fopen("/dev/null", "w"), &std::fclose);
  const auto selectAndCopy = Commands("selectall\ncopy\n");
  const auto paste = Commands("paste\n");
  std::int32_t objects = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto runner = std::make_unique<script::ScriptRunner>(sink.get(), sink.get());
    if (!runner->Start(path) || !runner->Run(selectAndCopy)) state.SkipWithError("the stacks do not open");
    state.ResumeTiming();
    runner->Run(paste);
    state.PauseTiming();
    objects = runner->GetDocument().sheet->objects.Count();
    runner.reset();
    clipboardSheet->DeleteObjects();
    state.ResumeTiming();
  }
  state.SetLabel(std::to_string(objects) + " objects after the paste");
}

// Baseline: the copies of the stacks made, listed in front and selected,
// without letting them settle: the least a paste of them does.
void BM_PasteStackedBaseline(benchmark::State& state) {
  const std::string path = StackedDocument(static_cast<int>(state.range(0)));
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> sink(std::fopen("/dev/null", "w"), &std::fclose);
  const auto selectAndCopy = Commands("selectall\ncopy\n");
  for (auto _ : state) {
    state.PauseTiming();
    auto runner = std::make_unique<script::ScriptRunner>(sink.get(), sink.get());
    if (!runner->Start(path) || !runner->Run(selectAndCopy)) state.SkipWithError("the stacks do not open");
    Sheet* s = runner->GetDocument().sheet;
    s->ClearSelection();
    runner->GetDocument().SetUndoMarker();
    state.ResumeTiming();
    List<DrawObj*>::Cursor cursor(clipboardSheet->objects);
    for (const DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
      DrawObj* clone = obj->Clone(s);
      s->PlaceInFront(clone);
      s->selected.PushBack(clone);
    }
    state.PauseTiming();
    runner.reset();
    clipboardSheet->DeleteObjects();
    state.ResumeTiming();
  }
}

BENCHMARK(BM_PasteBoxes)->Arg(128)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PasteBoxesBaseline)->Arg(128)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BoxBlockScript)->Arg(128)->Arg(256)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_BoxBlockScriptBaseline)->Arg(256)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PasteStacked)->Arg(6144)->Arg(12288)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PasteStackedBaseline)->Arg(6144)->Arg(12288)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace virlo::bench
