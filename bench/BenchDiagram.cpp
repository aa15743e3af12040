#include "bench/BenchDiagram.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "objects/Box.h"
#include "objects/Dot.h"
#include "objects/Line.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "store/Store.h"

namespace virlo::bench {

Diagram::Diagram(int objects) {
  doc.OnNewDocument();
  Sheet* s = doc.sheet;
  const int tiles = objects / 8;
  // 25 tiles a row on 256 x 256 cells; more than 1,500 tiles take a wider
  // and taller sheet (125 tiles a row, 4,000 cells at most each way), so
  // that no tile lies over another.
  const int across = tiles <= 1500 ? 25 : 125;
  const int rows = tiles <= 1500 ? 60 : 1000;
  s->width = (tiles <= 1500 ? 256 : across * 10) * 8;
  s->height = (tiles <= 1500 ? 256 : std::min(4000, (tiles + across - 1) / across * 4)) * 16;
  store::Database* db = doc.GetDatabase();
  // Every new object first looks through the whole list for itself, so a
  // large diagram is built with only the tile being built listed, and the
  // rest listed again at the end in the same order.
  const bool park = objects > 10000;
  std::vector<DrawObj*> made;
  for (int i = 0; i < tiles; ++i) {
    const int c = (i % across) * 10;
    const int r = (i / across) % rows * 4;
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
    if (park) {
      std::vector<DrawObj*> tile;
      while (DrawObj* obj = s->objects.PopFront()) tile.push_back(obj);
      made.insert(made.end(), tile.rbegin(), tile.rend());
    }
  }
  for (DrawObj* obj : made) s->objects.PushFront(obj);
}

BoxBlock::BoxBlock(int side) {
  doc.OnNewDocument();
  Sheet* s = doc.sheet;
  s->width = 256 * 8;
  s->height = 256 * 16;
  store::Database* db = doc.GetDatabase();
  // Listed in the end in the same order, as Diagram does for large sizes.
  std::vector<DrawObj*> made;
  for (int r = 0; r + 2 < side; ++r) {
    for (int c = 0; c + 1 < side; ++c) {
      store::New<Box>(db, s, Cell(c), Row(r), Cell(c + 1), Row(r + 1), nullptr)->SetFlag(DrawObj::Visible, true);
      made.push_back(s->objects.PopFront());
    }
  }
  for (DrawObj* obj : made) s->objects.PushFront(obj);
}

std::string BlockText(int rows, int bytes, bool kana) {
  std::string text;
  text.reserve(static_cast<std::size_t>(rows) * static_cast<std::size_t>(bytes + 2));
  for (int row = 0; row < rows; ++row) {
    if (row > 0) text += "\r\n";
    for (int i = 0; i < bytes; i += kana ? 2 : 1) {
      if (kana) {
        // Hiragana: 0x82 0x9F to 0x82 0xF1.
        text += '\x82';
        text += static_cast<char>(0x9F + (row + i / 2) % 83);
      } else {
        text += i % 8 == 7 ? ' ' : static_cast<char>('a' + (row + i) % 26);
      }
    }
  }
  return text;
}

std::string ShownPart(const std::string& text, int bytes, int rows) {
  std::string shown;
  std::size_t start = 0;
  for (int row = 0; row < rows && start <= text.size(); ++row) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::size_t length = end - start;
    if (length > 0 && text[end - 1] == '\r') --length;
    shown += text.substr(start, std::min<std::size_t>(length, static_cast<std::size_t>(bytes))) + "\r\n";
    start = end + 1;
  }
  return shown;
}

TextBoxDocument::TextBoxDocument(const std::string& text) {
  doc.OnNewDocument();
  Sheet* s = doc.sheet;
  auto* box = store::New<StrBox>(doc.GetDatabase(), s, 12, 24, 0, 0, String(text.c_str()), nullptr);
  box->frame = 1;
  box->SyncFilled();
  box->SetFlag(DrawObj::Visible, true);
}

Diagram& Shared(int objects) {
  static std::map<int, std::unique_ptr<Diagram>> diagrams;
  auto& d = diagrams[objects];
  if (d == nullptr) d = std::make_unique<Diagram>(objects);
  return *d;
}

}  // namespace virlo::bench
