// virlo-hold-score: whether imported diagrams hold together when their boxes
// move, as a user moves them. Each NAME.txt of the folders given is imported
// as `virlo-cli import` does; then every box (and framed text box) is moved
// one cell right and one down with the arrow keys, in two ways: picked whole
// (Shift and a press on its top side), and selected with a rubber band round
// it. After each move, undone before the next, it counts:
//   - line ends that rested or were docked on the box's sides, and came along
//     (still held there);
//   - text without a frame lying inside the box, left behind;
//   - text touching a line that the move carried (a label), no longer
//     touching that line or the lines joined to it;
//   - the far ends of the lines attached to the box, attached to something
//     else, torn off it.
// A text box's comment prefix comes from NAME.counts ("prefix:") or
// NAME.expect ("comment:") beside it. The figures of all folders, both ways,
// are held to the floors given: at least --ends percent of the ends came
// along, at most --left texts left behind, --labels labels off their line,
// --torn far ends torn; the status is 1 when one is missed.
//   virlo-hold-score [--details] [--ends P] [--left N] [--labels N] [--torn N] FOLDER...
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "control/ArtInput.h"
#include "control/ViewController.h"
#include "document/Document.h"
#include "document/DocumentContent.h"
#include "import/ArtGrid.h"
#include "import/ArtImporter.h"
#include "objects/Box.h"
#include "objects/Line.h"
#include "objects/LinkPoint.h"
#include "objects/PersistentTypes.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "script/HeadlessWindow.h"
#include "tools/SelectTool.h"

namespace {

using virlo::Box;
using virlo::DrawObj;
using virlo::Line;
using virlo::LinkPoint;
using virlo::List;
using virlo::Point;
using virlo::Rect;
using virlo::Sheet;
using virlo::StrBox;

constexpr int ExitMissed = 1;
constexpr int ExitUsage = 2;
constexpr int MaxUndo = 10;

// How a box is moved.
enum class Way : int { Picked = 0, Band = 1 };
constexpr int Ways = 2;

struct Tally {
  int boxes = 0;
  int unpicked = 0;  // boxes a press on the top side did not pick whole
  int touching = 0;
  int cameAlong = 0;
  int inside = 0;
  int leftBehind = 0;
  int labels = 0;
  int offLine = 0;
  int farEnds = 0;
  int torn = 0;

  void Add(const Tally& t) {
    boxes += t.boxes;
    unpicked += t.unpicked;
    touching += t.touching;
    cameAlong += t.cameAlong;
    inside += t.inside;
    leftBehind += t.leftBehind;
    labels += t.labels;
    offLine += t.offLine;
    farEnds += t.farEnds;
    torn += t.torn;
  }
};

struct Result {
  std::string name;
  std::string error;
  Tally ways[Ways];
  // What was lost, for --details.
  std::vector<std::string> lost[Ways];
};

// The comment prefix the art was published in, from the file of counts or
// expectations beside it; empty when there is none.
std::string PrefixOf(const std::filesystem::path& art) {
  for (const auto& [extension, key] : {std::pair{".counts", "prefix: "}, std::pair{".expect", "comment: "}}) {
    std::filesystem::path path = art;
    path.replace_extension(extension);
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
      if (!line.starts_with(key)) continue;
      const std::size_t open = line.find('"');
      const std::size_t close = line.rfind('"');
      if (open != std::string::npos && close > open) return line.substr(open + 1, close - open - 1);
    }
  }
  return {};
}

bool IsSideOf(const Line* line, const Box* box) { return line != nullptr && line->parent == box; }

std::vector<Line*> FreeLines(const Sheet& sheet) {
  std::vector<Line*> lines;
  List<DrawObj*>::Cursor cursor(sheet.objects);
  for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
    if (auto* line = dynamic_cast<Line*>(obj)) lines.push_back(line);
  }
  return lines;
}

// The lines joined to a line through its ends, and it: where a label may be
// after the line bent.
std::set<const Line*> Chain(const Line* line) {
  std::set<const Line*> chain{line};
  std::vector<const Line*> todo{line};
  while (!todo.empty()) {
    const Line* at = todo.back();
    todo.pop_back();
    for (const LinkPoint* end : {&at->start, &at->end}) {
      if (end->partner == nullptr) continue;
      const auto* next = dynamic_cast<const Line*>(end->partner->parent);
      if (next != nullptr && next->parent == nullptr && chain.insert(next).second) todo.push_back(next);
    }
  }
  return chain;
}

struct Before {
  struct Held {
    LinkPoint* end;
    Line* host;
  };
  std::vector<Held> touching;
  std::vector<Held> far;
  std::vector<std::pair<StrBox*, Point>> inside;
  std::vector<std::pair<StrBox*, Line*>> labels;
};

Before Look(Sheet& sheet, Box& box) {
  Before before;
  const Rect frame = box.Frame();
  const Point first = sheet.CellOf(frame.left, frame.top);
  const Point last = sheet.CellOf(frame.right, frame.bottom);
  std::vector<Line*> moving;
  for (Line* line : FreeLines(sheet)) {
    bool attached = false;
    for (LinkPoint* end : {&line->start, &line->end}) {
      if (IsSideOf(end->hostLine, &box) && end->Holds()) {
        before.touching.push_back({end, end->hostLine});
        attached = true;
      }
    }
    if (!attached) continue;
    moving.push_back(line);
    for (LinkPoint* end : {&line->start, &line->end}) {
      if (end->hostLine != nullptr && !IsSideOf(end->hostLine, &box) && end->Holds()) {
        before.far.push_back({end, end->hostLine});
      }
    }
  }
  List<DrawObj*>::Cursor cursor(sheet.objects);
  for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
    auto* text = dynamic_cast<StrBox*>(obj);
    if (text == nullptr || text == &box || text->frame != 0) continue;
    const Rect cells = text->TextCells();
    const bool within =
        cells.left >= first.x && cells.right - 1 <= last.x && cells.top >= first.y && cells.bottom - 1 <= last.y;
    // A name written across a side down, inside its rows (a port's "FL"
    // over "|"), is the box's as well.
    const bool rows = cells.top > first.y && cells.bottom - 1 < last.y;
    const bool acrossLeft = cells.left < first.x && cells.right - 1 == first.x;
    const bool acrossRight = cells.left == last.x && cells.right - 1 > last.x;
    if (within || (rows && (acrossLeft || acrossRight))) {
      before.inside.push_back({text, text->FirstCorner()});
      continue;
    }
    // A label of a moving line: the one it rests on, where it rests on one
    // (a stack of messages touches the labels of those above and below it).
    if (text->restLine != nullptr) {
      const bool moves = std::find(moving.begin(), moving.end(), text->restLine) != moving.end();
      if (moves) before.labels.push_back({text, text->restLine});
      continue;
    }
    for (Line* line : moving) {
      if (text->Touching(*line) != Line::NotBeside) {
        before.labels.push_back({text, line});
        break;
      }
    }
  }
  return before;
}

// Whether the line of the end, or a line joined to it (a line that bent
// hands its end's links on to its last elbow), is still held by the host.
bool StillHeld(const Before::Held& held) {
  for (const Line* line : Chain(static_cast<const Line*>(held.end->parent))) {
    for (const LinkPoint* end : {&line->start, &line->end}) {
      if (end->hostLine == held.host && end->Holds()) return true;
    }
  }
  return false;
}

std::string Cell(const Sheet& sheet, Point at) {
  const Point cell = sheet.CellOf(at.x, at.y);
  return "(" + std::to_string(cell.x) + "," + std::to_string(cell.y) + ")";
}

void Judge(Sheet& sheet, const Before& before, Tally& tally, std::vector<std::string>& lost) {
  const Point shift{sheet.cellWidth, sheet.cellHeight};
  for (const auto& held : before.touching) {
    ++tally.touching;
    if (StillHeld(held)) {
      ++tally.cameAlong;
    } else {
      lost.push_back("line end left behind at " + Cell(sheet, {held.end->x, held.end->y}));
    }
  }
  for (const auto& held : before.far) {
    ++tally.farEnds;
    if (StillHeld(held)) continue;
    ++tally.torn;
    lost.push_back("far end torn at " + Cell(sheet, {held.end->x, held.end->y}));
  }
  for (const auto& [text, corner] : before.inside) {
    ++tally.inside;
    if (text->FirstCorner() == Point{corner.x + shift.x, corner.y + shift.y}) continue;
    ++tally.leftBehind;
    lost.push_back("text left inside at " + Cell(sheet, text->FirstCorner()) + ": " + std::string(text->str.View()));
  }
  for (const auto& [text, line] : before.labels) {
    ++tally.labels;
    bool touching = false;
    for (const Line* part : Chain(line)) touching = touching || text->Touching(*part) != Line::NotBeside;
    if (touching) continue;
    ++tally.offLine;
    lost.push_back("label off its line at " + Cell(sheet, text->FirstCorner()) + ": " + std::string(text->str.View()));
  }
}

Result Score(const std::filesystem::path& art) {
  Result result;
  result.name = art.stem().string();
  std::string bytes;
  if (!virlo::ArtInput::ReadFile(art.string(), bytes, result.error)) return result;
  virlo::ArtGrid::Options options;
  options.commentPrefix = PrefixOf(art);
  virlo::ArtGrid grid;
  virlo::Document document;
  virlo::ArtImporter::Report report;
  if (!virlo::ArtInput::ReadAnyEncoding(bytes, grid, result.error, options) || !document.OnNewDocument() ||
      !virlo::ArtImporter::Import(grid, *document.sheet, report, result.error)) {
    if (result.error.empty()) result.error = "no document";
    return result;
  }
  Sheet& sheet = *document.sheet;
  virlo::script::HeadlessWindow window;
  virlo::ViewController view(&document, &window);
  view.OnActivateView();
  document.SetUndoMarker();
  const std::string original = virlo::DocumentContent::Of(sheet);
  std::vector<Box*> boxes;
  List<DrawObj*>::Cursor cursor(sheet.objects);
  for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
    auto* box = dynamic_cast<Box*>(obj);
    auto* text = dynamic_cast<StrBox*>(obj);
    if (box != nullptr && (text == nullptr || text->frame != 0)) boxes.push_back(box);
  }
  using Arrow = virlo::ViewController::ArrowKey;
  for (Box* box : boxes) {
    for (int way = 0; way < Ways; ++way) {
      Tally& tally = result.ways[way];
      ++tally.boxes;
      const Before before = Look(sheet, *box);
      const Rect frame = box->Frame();
      bool picked = true;
      if (static_cast<Way>(way) == Way::Picked) {
        // Shift and a press on a side, where nothing in front of it is hit:
        // the cells of its sides in turn, top, bottom, left, right.
        std::vector<Point> places;
        for (std::int32_t x = frame.left + sheet.cellWidth; x < frame.right; x += sheet.cellWidth) {
          places.push_back({x, frame.top});
          places.push_back({x, frame.bottom});
        }
        for (std::int32_t y = frame.top + sheet.cellHeight; y < frame.bottom; y += sheet.cellHeight) {
          places.push_back({frame.left, y});
          places.push_back({frame.right, y});
        }
        picked = false;
        for (const Point at : places) {
          DrawObj* hit = sheet.PickObject(at.x, at.y, nullptr);
          if (hit == nullptr || hit->Root() != box) continue;
          view.OnLButtonDown(virlo::MouseKeys::LeftButton | virlo::MouseKeys::Shift, at);
          view.OnLButtonUp(virlo::MouseKeys::Shift, at);
          picked = sheet.current == box;
          break;
        }
      } else {
        auto* tool = dynamic_cast<virlo::SelectTool*>(view.CurrentTool());
        tool->Deselect(nullptr);
        tool->SelectInRect({frame.left - sheet.cellWidth, frame.top - sheet.cellHeight,
                            frame.right + sheet.cellWidth + 1, frame.bottom + sheet.cellHeight + 1});
      }
      if (picked) {
        view.OnArrowKey(Arrow::Right, false);
        view.OnArrowKey(Arrow::Down, false);
        Judge(sheet, before, tally, result.lost[way]);
      } else {
        ++tally.unpicked;
      }
      sheet.ClearSelection();
      document.SetUndoMarker();
      for (int i = 0; i < MaxUndo && virlo::DocumentContent::Of(sheet) != original && document.OnEditUndo(); ++i) {
      }
      if (virlo::DocumentContent::Of(sheet) != original) {
        result.error = "a move could not be undone";
        return result;
      }
    }
  }
  return result;
}

void PrintTally(const char* label, const Tally& t) {
  auto percent = [](int part, int whole) { return whole == 0 ? 100.0 : 100.0 * part / whole; };
  std::printf("| %-34s | %5d | %10d | %5d / %5d (%5.1f%%) | %7d / %6d | %4d / %5d | %6d / %4d |\n", label, t.boxes,
              t.unpicked, t.cameAlong, t.touching, percent(t.cameAlong, t.touching), t.leftBehind, t.inside, t.offLine,
              t.labels, t.torn, t.farEnds);
}

}  // namespace

int main(int argc, char** argv) {
  bool details = false;
  bool usage = false;
  std::optional<double> ends;
  std::optional<int> left;
  std::optional<int> labels;
  std::optional<int> torn;
  std::vector<std::filesystem::path> folders;
  for (int i = 1; i < argc && !usage; ++i) {
    const std::string_view arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    auto number = [&](auto& target) {
      if (value == nullptr) {
        usage = true;
        return;
      }
      char* rest = nullptr;
      const double parsed = std::strtod(value, &rest);
      if (rest == value || *rest != '\0' || parsed < 0) usage = true;
      target = static_cast<std::remove_reference_t<decltype(*target)>>(parsed);
      ++i;
    };
    if (arg == "--details") {
      details = true;
    } else if (arg == "--ends") {
      number(ends);
    } else if (arg == "--left") {
      number(left);
    } else if (arg == "--labels") {
      number(labels);
    } else if (arg == "--torn") {
      number(torn);
    } else if (!arg.starts_with("--")) {
      folders.emplace_back(arg);
    } else {
      usage = true;
    }
  }
  if (usage || folders.empty()) {
    std::fputs("usage: virlo-hold-score [--details] [--ends P] [--left N] [--labels N] [--torn N] FOLDER...\n", stderr);
    return ExitUsage;
  }
  virlo::StartStore();
  std::printf(
      "| %-34s | boxes | not picked | ends that came along   | text left inside | labels off   | far ends torn |\n",
      "diagrams, way of moving");
  std::printf("|%s|-------|------------|------------------------|------------------|--------------|---------------|\n",
              std::string(36, '-').c_str());
  int failed = 0;
  Tally all[Ways];
  for (const auto& folder : folders) {
    std::vector<std::filesystem::path> arts;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
      if (entry.path().extension() == ".txt") arts.push_back(entry.path());
    }
    std::sort(arts.begin(), arts.end());
    Tally total[Ways];
    for (const auto& art : arts) {
      const Result result = Score(art);
      if (!result.error.empty()) {
        std::fprintf(stderr, "virlo-hold-score: %s: %s\n", art.string().c_str(), result.error.c_str());
        ++failed;
        continue;
      }
      for (int way = 0; way < Ways; ++way) {
        total[way].Add(result.ways[way]);
        const Tally& t = result.ways[way];
        const bool lost = t.cameAlong != t.touching || t.leftBehind != 0 || t.offLine != 0 || t.torn != 0;
        if (details && lost) {
          const std::string label = result.name + (way == 0 ? ", picked" : ", band");
          PrintTally(label.c_str(), t);
          for (const std::string& what : result.lost[way]) std::printf("    %s\n", what.c_str());
        }
      }
    }
    for (int way = 0; way < Ways; ++way) {
      const std::string label = folder.filename().string() + (way == 0 ? ", picked" : ", band");
      PrintTally(label.c_str(), total[way]);
      all[way].Add(total[way]);
    }
  }
  if (folders.size() > 1) {
    PrintTally("all, picked", all[0]);
    PrintTally("all, band", all[1]);
  }
  bool missed = failed != 0;
  for (const Tally& t : all) {
    const double cameAlong = t.touching == 0 ? 100.0 : 100.0 * t.cameAlong / t.touching;
    if (ends && cameAlong < *ends) missed = true;
    if (left && t.leftBehind > *left) missed = true;
    if (labels && t.offLine > *labels) missed = true;
    if (torn && t.torn > *torn) missed = true;
  }
  if (missed) std::fputs("virlo-hold-score: a figure is worse than its floor\n", stderr);
  return missed ? ExitMissed : 0;
}
