#pragma once

// Importing a sheet's own art: the art comes back, and what the art shows of
// boxes and linked line ends comes back as live structure.
#include <sstream>
#include <string>
#include <utility>

#include "document/Document.h"
#include "import/ArtImporter.h"
#include "model/Canvas.h"
#include "objects/Box.h"
#include "objects/Dot.h"
#include "objects/Line.h"
#include "objects/LinkPoint.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "platform/TextCodec.h"

namespace virlo::test {

// What a document holds, counted as the art shows structure.
struct Structure {
  std::int32_t boxes = 0;
  std::int32_t framedTexts = 0;
  std::int32_t lines = 0;
  std::int32_t joinedEnds = 0;
  std::int32_t restingEnds = 0;

  static Structure Of(const Sheet& sheet) {
    Structure s;
    List<DrawObj*>::Cursor cursor(sheet.objects);
    for (const DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
      const auto* text = dynamic_cast<const StrBox*>(obj);
      const auto* line = dynamic_cast<const Line*>(obj);
      if (text != nullptr && text->frame != 0) ++s.framedTexts;
      if (text == nullptr && dynamic_cast<const Box*>(obj) != nullptr) ++s.boxes;
      if (line == nullptr) continue;
      ++s.lines;
      for (const LinkPoint* end : {&line->start, &line->end}) {
        s.joinedEnds += end->partner != nullptr ? 1 : 0;
        s.restingEnds += end->hostLine != nullptr ? 1 : 0;
      }
    }
    return s;
  }
};

// Boxes whose whole frame shows in the art, nothing laid over it.
inline std::int32_t VisibleBoxes(const Sheet& sheet) {
  Canvas whole = sheet.NewCanvas();
  sheet.RenderText(whole);
  std::int32_t visible = 0;
  List<DrawObj*>::Cursor cursor(sheet.objects);
  for (const DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
    const auto* box = dynamic_cast<const Box*>(obj);
    const auto* text = dynamic_cast<const StrBox*>(obj);
    if (box == nullptr || (text != nullptr && text->frame == 0)) continue;
    // The import reads boxes drawn with "-", "|" and "+" only.
    bool plain = box->corners == Box::Square;
    for (const Line* side : {&box->top, &box->left, &box->bottom, &box->right}) {
      plain = plain && (side->GetStroke() == Stroke::Solid || side->GetStroke() == Stroke::Heavy);
    }
    if (!plain) continue;
    const Rect frame = box->Frame();
    const std::int32_t c0 = frame.left / sheet.cellWidth;
    const std::int32_t r0 = frame.top / sheet.cellHeight;
    const std::int32_t c1 = frame.right / sheet.cellWidth;
    const std::int32_t r1 = frame.bottom / sheet.cellHeight;
    if (frame.left < 0 || frame.top < 0 || c1 >= whole.Columns() || r1 >= whole.Rows() || c1 < c0 + 2 || r1 <= r0) {
      continue;
    }
    Canvas alone = sheet.NewCanvas();
    box->Box::RenderText(alone);
    bool shows = true;
    for (std::int32_t r = r0; r <= r1 && shows; ++r) {
      for (std::int32_t c = c0; c <= c1 && shows; ++c) {
        if (c != c0 && c != c1 && r != r0 && r != r1) continue;
        // Where a line meets the side, its "+" or marker shows instead.
        const char mine = alone.At(c, r);
        const char seen = whole.At(c, r);
        const bool side = mine == '-' || mine == '|';
        const bool meets = seen == '+' || seen == '>' || seen == '<' || seen == '^' || seen == 'V';
        shows = seen == mine || (side && meets);
      }
    }
    visible += shows ? 1 : 0;
  }
  return visible;
}

// Line ends joined to another or resting on a line, where the art shows it:
// a "+" with this line's run beside it and the other line's across it (a
// corner or a T), or beyond it (two lines joined end to end).
inline std::int32_t VisibleLinks(const Sheet& sheet) {
  Canvas art = sheet.NewCanvas();
  sheet.RenderText(art);
  const std::int32_t cw = sheet.cellWidth;
  const std::int32_t ch = sheet.cellHeight;
  auto cell = [&](const Dot& point) { return std::pair{point.x / cw, point.y / ch}; };
  // How many of the two cells beside the point, on the line's way, show its run.
  auto runBeside = [&](const Line& line, std::pair<std::int32_t, std::int32_t> at) {
    const bool horizontal = line.orientation == Line::Horizontal;
    const char run = horizontal ? '-' : '|';
    const std::int32_t dc = horizontal ? 1 : 0;
    const std::int32_t dr = horizontal ? 0 : 1;
    const bool before = art.At(at.first - dc, at.second - dr) == run;
    const bool after = art.At(at.first + dc, at.second + dr) == run;
    return (before ? 1 : 0) + (after ? 1 : 0);
  };
  std::int32_t visible = 0;
  List<DrawObj*>::Cursor cursor(sheet.objects);
  for (const DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
    const auto* line = dynamic_cast<const Line*>(obj);
    if (line == nullptr) continue;
    // A line across a box from side to side shows as two boxes side by side.
    const Line* from = line->start.hostLine;
    const Line* to = line->end.hostLine;
    if (from != nullptr && to != nullptr && from != to && from->parent == to->parent &&
        dynamic_cast<const Box*>(from->parent) != nullptr && from->orientation == to->orientation) {
      continue;
    }
    for (const LinkPoint* end : {&line->start, &line->end}) {
      const auto at = cell(*end);
      if (end->x < 0 || end->y < 0 || !art.Holds(at.first, at.second) || art.At(at.first, at.second) != '+') continue;
      const Line* other = end->partner != nullptr ? dynamic_cast<const Line*>(end->partner->parent) : end->hostLine;
      if (other == nullptr || runBeside(*line, at) == 0 || runBeside(*other, at) == 0) continue;
      // Along one way, only two runs that meet head on show where one ends.
      if (other->orientation == line->orientation && (end->hostLine != nullptr || runBeside(*line, at) < 2)) continue;
      ++visible;
    }
  }
  return visible;
}

// Imports a sheet's own art into a new document: "" when the art comes back
// over the original's sheet (the copy may be larger) and, with `counts`, with
// at least its visible boxes and links; else what differs. The counts judge
// diagrams drawn as people draw them: random gestures pile up art that the
// judge and the importer read differently.
inline std::string ImportRoundTripFault(const Sheet& original, bool counts) {
  // The text print is code page 932, and is read back as such: a character
  // it writes in two bytes over one cell and a blank keeps its columns.
  const std::string bytes = original.MakeText();
  const std::string art = TextCodec::Cp932ToUtf8(bytes);
  Document copy;
  ArtGrid grid;
  ArtGrid::Options options;
  options.encoding = ArtGrid::Encoding::Cp932;
  ArtImporter::Report report;
  std::string error;
  if (!copy.OnNewDocument()) return "no new document for the import";
  if (!grid.Read(bytes, options, error) || !ArtImporter::Import(grid, *copy.sheet, report, error)) {
    return "the art does not import: " + error + "\n" + art;
  }
  std::istringstream a(bytes);
  std::istringstream b(copy.sheet->MakeText());
  std::string lineA;
  std::string lineB;
  for (std::int32_t row = 0; std::getline(a, lineA); ++row) {
    std::getline(b, lineB);
    lineA.erase(lineA.find_last_not_of(' ') + 1);
    lineB.erase(lineB.find_last_not_of(' ') + 1);
    if (lineB != lineA) return "the imported art differs in row " + std::to_string(row) + ":\n" + art;
  }
  if (!counts) return "";
  const Structure after = Structure::Of(*copy.sheet);
  if (after.boxes + after.framedTexts < VisibleBoxes(original)) return "the import lost a visible box:\n" + art;
  if (after.joinedEnds + after.restingEnds < VisibleLinks(original)) return "the import lost a visible link:\n" + art;
  return "";
}

}  // namespace virlo::test
