// Timings of the user's actions on large generated diagrams, each beside a
// baseline measured in the same run. Run: build/bin/virlo-bench
// (painting is measured by virlo-bench-paint)
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchDiagram.h"
#include "document/Document.h"
#include "model/Canvas.h"
#include "objects/Dot.h"
#include "objects/Line.h"
#include "objects/PersistentTypes.h"
#include "objects/Selection.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "store/Database.h"
#include "store/Store.h"
#include "tools/SelectTool.h"

namespace virlo::bench {
namespace {

void BM_MakeText(benchmark::State& state) {
  Sheet* s = Shared(static_cast<int>(state.range(0))).doc.sheet;
  for (auto _ : state) benchmark::DoNotOptimize(s->MakeText());
  state.SetLabel(std::to_string(s->objects.Count()) + " objects");
}

// Reference: the same rendering into a one-cell canvas, where every write is
// cut away, so what is left is visiting the objects.
void BM_MakeTextVisitOnly(benchmark::State& state) {
  Sheet* s = Shared(static_cast<int>(state.range(0))).doc.sheet;
  for (auto _ : state) {
    Canvas canvas(1, 1);
    s->RenderText(canvas);
    benchmark::DoNotOptimize(canvas.Text());
  }
}

struct CellValue {
  std::int32_t column, row;
  char ch;
};

void WriteCells(benchmark::State& state, const std::vector<CellValue>& cells) {
  for (auto _ : state) {
    Canvas canvas(256, 256);
    for (const CellValue& cell : cells) canvas.Put(cell.column, cell.row, cell.ch);
    benchmark::DoNotOptimize(canvas.Text());
  }
  state.SetLabel(std::to_string(cells.size()) + " cells");
}

// Baseline: the cells the objects write, written straight into a canvas in
// the same order. Each object's cells are what it renders on a blank canvas
// of its own, so a cell written twice is counted twice.
void BM_MakeTextBaseline(benchmark::State& state) {
  Sheet* s = Shared(static_cast<int>(state.range(0))).doc.sheet;
  std::vector<CellValue> cells;
  List<DrawObj*>::Cursor cursor(s->objects);
  for (DrawObj* obj = cursor.Last(); obj != nullptr; obj = cursor.Prev()) {
    Canvas alone = s->NewCanvas();
    obj->RenderText(alone);
    for (std::int32_t row = 0; row < alone.Rows(); ++row) {
      const std::string_view line = alone.Row(row);
      for (std::size_t column = 0; column < line.size(); ++column) {
        if (line[column] != ' ') cells.push_back({static_cast<std::int32_t>(column), row, line[column]});
      }
    }
  }
  WriteCells(state, cells);
}

// A stricter reference: only the finished art's non-blank cells, each once.
void BM_MakeTextFinalCells(benchmark::State& state) {
  Sheet* s = Shared(static_cast<int>(state.range(0))).doc.sheet;
  std::vector<CellValue> cells;
  const std::string art = s->MakeText();
  std::int32_t column = 0;
  std::int32_t row = 0;
  for (char ch : art) {
    if (ch == '\n') {
      ++row;
      column = 0;
      continue;
    }
    if (ch != ' ') cells.push_back({column, row, ch});
    ++column;
  }
  WriteCells(state, cells);
}

void BM_PickPress(benchmark::State& state) {
  Diagram& d = Shared(static_cast<int>(state.range(0)));
  SelectTool tool(d.doc.sheet, nullptr);
  for (auto _ : state) {
    tool.LButtonDown(1, Cell(5), Row(0));
    tool.LButtonUp(0, Cell(5), Row(0));
  }
}

// Baseline: the same press and release on a diagram of one tile (8
// objects), where no search can be shorter.
void BM_PickPressBaseline(benchmark::State& state) {
  Diagram& d = Shared(8);
  SelectTool tool(d.doc.sheet, nullptr);
  for (auto _ : state) {
    tool.LButtonDown(1, Cell(5), Row(0));
    tool.LButtonUp(0, Cell(5), Row(0));
  }
}

void BM_DragNetworkStep(benchmark::State& state) {
  Diagram& d = Shared(static_cast<int>(state.range(0)));
  // A 100-line network: horizontal lines joined end to end, so a vertical
  // drag of one carries all the others through their joined ends.
  store::Database* db = d.doc.GetDatabase();
  Sheet* s = d.doc.sheet;
  Line* first = store::New<Line>(db, s, Cell(0), Row(250), Cell(2), Row(250), nullptr, nullptr);
  Line* previous = first;
  for (int i = 1; i < 100; ++i) {
    previous = store::New<Line>(db, s, previous->end.x, previous->end.y, previous->end.x + 16, previous->end.y, nullptr,
                                &previous->end);
  }
  s->current = first;
  SelectTool tool(s, nullptr);
  int dy = 16;
  for (auto _ : state) {
    tool.DrawTool::DragBy(0, dy);
    dy = -dy;
  }
  if (previous->end.y != Row(250) && previous->end.y != Row(251)) state.SkipWithError("the network did not follow");
  s->current = nullptr;
}

// Selecting everything with a rubber band and deleting it, on a fresh diagram
// each time (the building is not timed).
void BM_DeleteAll(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto d = std::make_unique<Diagram>(static_cast<int>(state.range(0)));
    {
      SelectTool tool(d->doc.sheet, nullptr);
      d->doc.sheet->CollectInRect({0, 0, d->doc.sheet->width, d->doc.sheet->height});
      state.ResumeTiming();
      tool.DeleteSelected();
      state.PauseTiming();
    }
    d.reset();
    state.ResumeTiming();
  }
}

void BM_UndoMarker(benchmark::State& state) {
  Diagram& d = Shared(static_cast<int>(state.range(0)));
  for (auto _ : state) d.doc.SetUndoMarker();
}

// Baseline: copying the whole document, as every marker once did.
void BM_UndoMarkerBaseline(benchmark::State& state) {
  Diagram& d = Shared(static_cast<int>(state.range(0)));
  std::size_t bytes = 0;
  for (const auto& [address, allocation] : d.doc.GetDatabase()->Allocations())
    bytes += allocation.size * allocation.count;
  std::vector<char> from(bytes, 1);
  std::vector<char> to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
  }
  state.SetLabel(std::to_string(bytes) + " bytes");
}

void BM_Undo(benchmark::State& state) {
  Diagram& d = Shared(static_cast<int>(state.range(0)));
  Sheet* s = d.doc.sheet;
  for (auto _ : state) {
    state.PauseTiming();
    d.doc.SetUndoMarker();
    store::New<Dot>(d.doc.GetDatabase(), s, Cell(1), Row(255), 8, nullptr);
    state.ResumeTiming();
    d.doc.OnEditUndo();
  }
}

std::string TempPath(const char* name) { return (std::filesystem::temp_directory_path() / name).string(); }

void BM_Save(benchmark::State& state) {
  Diagram& d = Shared(static_cast<int>(state.range(0)));
  const std::string path = TempPath("virlo-bench.vrl");
  for (auto _ : state) d.doc.OnSaveDocument(path);
  state.SetLabel(std::to_string(d.doc.GetDatabase()->AllocationCount()) + " records");
}

void BM_Open(benchmark::State& state) {
  Diagram& d = Shared(static_cast<int>(state.range(0)));
  const std::string path = TempPath("virlo-bench-open.vrl");
  d.doc.OnSaveDocument(path);
  for (auto _ : state) {
    Document doc;
    if (!doc.OnOpenDocument(path)) state.SkipWithError(doc.LastError().c_str());
  }
}

// Baseline: SQLite inserting, then reading, as many rows of the same size.
void BM_SqliteBaseline(benchmark::State& state) {
  Diagram& d = Shared(static_cast<int>(state.range(0)));
  const auto rows = static_cast<int>(d.doc.GetDatabase()->AllocationCount());
  const std::string path = TempPath("virlo-bench-sqlite.db");
  const std::vector<char> blob(60, 7);
  for (auto _ : state) {
    std::filesystem::remove(path);
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=OFF; BEGIN; CREATE TABLE t (id INTEGER PRIMARY KEY, type TEXT, data BLOB)",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO t VALUES (?, 'Line', ?)", -1, &insert, nullptr);
    for (int i = 1; i <= rows; ++i) {
      sqlite3_bind_int(insert, 1, i);
      sqlite3_bind_blob(insert, 2, blob.data(), static_cast<int>(blob.size()), SQLITE_STATIC);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_stmt* read = nullptr;
    sqlite3_prepare_v2(db, "SELECT id, type, data FROM t ORDER BY id", -1, &read, nullptr);
    while (sqlite3_step(read) == SQLITE_ROW) benchmark::DoNotOptimize(sqlite3_column_blob(read, 2));
    sqlite3_finalize(read);
    sqlite3_close(db);
  }
}

// A document of 1,000 objects whose root table holds `roots` more rows, with
// names of 150 bytes: a file no VIRLO writes, but one that opens (the other
// roots are forgotten). Made once a size for the run; the path of the file.
std::string ManyRootsDocument(int roots) {
  const std::string path = TempPath(("virlo-bench-roots-" + std::to_string(roots) + ".vrl").c_str());
  if (std::filesystem::exists(path)) return path;
  Shared(1000).doc.OnSaveDocument(path);
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO root (name, object, part) VALUES (?, 1, 0)", -1, &insert, nullptr);
  for (int i = 0; i < roots; ++i) {
    std::string name = "Extra" + std::to_string(i);
    name.resize(150, '.');
    sqlite3_bind_text(insert, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return path;
}

// Opening it, all checks included.
void BM_OpenManyRoots(benchmark::State& state) {
  const std::string path = ManyRootsDocument(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    Document doc;
    if (!doc.OnOpenDocument(path)) state.SkipWithError(doc.LastError().c_str());
  }
  state.SetLabel(std::to_string(std::filesystem::file_size(path) >> 20) + " MiB");
}

// Baseline: the least a reader of it does: its bytes read and handed to
// SQLite, SQLite's quick check, and every root row read in the order of
// their names.
void BM_OpenManyRootsBaseline(benchmark::State& state) {
  const std::string path = ManyRootsDocument(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    auto* copy = static_cast<unsigned char*>(sqlite3_malloc64(bytes.size()));
    std::memcpy(copy, bytes.data(), bytes.size());
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    const auto size = static_cast<sqlite3_int64>(bytes.size());
    sqlite3_deserialize(db, "main", copy, size, size, SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_READONLY);
    sqlite3_exec(db, "PRAGMA quick_check", nullptr, nullptr, nullptr);
    sqlite3_stmt* read = nullptr;
    sqlite3_prepare_v2(db, "SELECT name, object, part FROM root ORDER BY name", -1, &read, nullptr);
    while (sqlite3_step(read) == SQLITE_ROW) benchmark::DoNotOptimize(sqlite3_column_text(read, 0));
    sqlite3_finalize(read);
    sqlite3_close(db);
  }
}

BENCHMARK(BM_MakeText)->VIRLO_SIZES;
BENCHMARK(BM_MakeTextBaseline)->VIRLO_SIZES;
BENCHMARK(BM_MakeTextFinalCells)->VIRLO_SIZES;
BENCHMARK(BM_MakeTextVisitOnly)->VIRLO_SIZES;
BENCHMARK(BM_PickPress)->VIRLO_SIZES;
BENCHMARK(BM_PickPressBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DragNetworkStep)->VIRLO_SIZES;
BENCHMARK(BM_DeleteAll)->VIRLO_SIZES->Iterations(3);
BENCHMARK(BM_UndoMarker)->VIRLO_SIZES;
BENCHMARK(BM_UndoMarkerBaseline)->VIRLO_SIZES;
BENCHMARK(BM_Undo)->VIRLO_SIZES;
BENCHMARK(BM_Save)->VIRLO_SIZES;
BENCHMARK(BM_Open)->VIRLO_SIZES;
BENCHMARK(BM_SqliteBaseline)->VIRLO_SIZES;
BENCHMARK(BM_OpenManyRoots)->Arg(100'000)->Arg(200'000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenManyRootsBaseline)->Arg(100'000)->Arg(200'000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace virlo::bench

int main(int argc, char** argv) {
  virlo::StartStore();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
