#include "bench/BenchDiagram.h"

#include <map>
#include <memory>

#include "model/Sheet.h"
#include "objects/Box.h"
#include "objects/Dot.h"
#include "objects/Line.h"
#include "objects/StrBox.h"
#include "store/Store.h"

namespace virlo::bench {

Diagram::Diagram(int objects) {
  doc.OnNewDocument();
  Sheet* s = doc.sheet;
  s->width = 256 * 8;
  s->height = 256 * 16;
  store::Database* db = doc.GetDatabase();
  const int tiles = objects / 8;
  for (int i = 0; i < tiles; ++i) {
    const int c = (i % 25) * 10;
    const int r = (i / 25) % 60 * 4;
    Line* a = store::New<Line>(db, s, Cell(c), Row(r), Cell(c + 4), Row(r), nullptr, nullptr);
    store::New<Line>(db, s, Cell(c + 4), Row(r), Cell(c + 4), Row(r + 2), nullptr, &a->end);
    store::New<Line>(db, s, Cell(c + 2), Row(r), Cell(c + 2), Row(r + 2), nullptr, a);
    Dot* dot = store::New<Dot>(db, s, Cell(c + 1), Row(r), 7, nullptr);
    dot->LinkToLine();
    store::New<Box>(db, s, Cell(c + 5), Row(r), Cell(c + 8), Row(r + 2), nullptr);
    auto* framed = store::New<StrBox>(db, s, Cell(c), Row(r + 2), 0, 0, String("ab"), nullptr);
    framed->frame = 1;
    store::New<StrBox>(db, s, Cell(c + 6), Row(r + 2), 0, 0, String("cd"), nullptr);
    store::New<Dot>(db, s, Cell(c + 9), Row(r + 1), 14, nullptr);
  }
}

Diagram& Shared(int objects) {
  static std::map<int, std::unique_ptr<Diagram>> diagrams;
  auto& d = diagrams[objects];
  if (d == nullptr) d = std::make_unique<Diagram>(objects);
  return *d;
}

}  // namespace virlo::bench
