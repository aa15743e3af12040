// virlo-import-score: measures the importer on character art published by
// others (tests/import/published). Each NAME.txt is imported as `virlo-cli
// import` does, and what was made is held to the counts made by hand in
// NAME.counts. The measures are defined in tests/import/published/README.md.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "control/ArtInput.h"
#include "document/Document.h"
#include "export/ArtExport.h"
#include "import/ArtGrid.h"
#include "import/ArtImporter.h"
#include "model/Canvas.h"
#include "objects/Box.h"
#include "objects/Dot.h"
#include "objects/Line.h"
#include "objects/LinkPoint.h"
#include "objects/PersistentTypes.h"
#include "objects/Selection.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"

namespace {

using virlo::Box;
using virlo::Canvas;
using virlo::Dot;
using virlo::DrawObj;
using virlo::Line;
using virlo::LinkPoint;
using virlo::Sheet;

// An end that stops one cell before a side, pointing at it, is docked there
// once the model knows docks (it then reports what an end faces). This is the
// one place that decides whether such an end counts as attached.
template <typename End>
constexpr bool ModelDocks = requires(End& end) {
  end.Facing();
};
constexpr bool CountDockedEnds = ModelDocks<LinkPoint>;

constexpr int ExitMissed = 1;
constexpr int ExitUsage = 2;
// How far a label inside a run may reach, along the run, before it resumes.
constexpr std::int32_t MaxLabelAcross = 40;
constexpr std::int32_t MaxLabelDown = 2;

struct Cell {
  std::int32_t column = 0;
  std::int32_t row = 0;
  Cell Step(Cell d, std::int32_t times = 1) const { return {column + d.column * times, row + d.row * times}; }
  friend bool operator==(const Cell&, const Cell&) = default;
};

struct HandCounts {
  std::int32_t rectangles = 0;
  std::int32_t connectors = 0;
  std::int32_t arrowheads = 0;
  std::string prefix;
};

struct Score {
  std::string name;
  HandCounts hand;
  bool exact = false;
  std::int32_t rectangles = 0;
  std::int32_t connectors = 0;
  std::int32_t arrowheads = 0;
  std::int32_t invented = 0;
  std::int32_t letters = 0;
  // Line ends on a box's side that a move of the box left behind.
  std::int32_t torn = 0;
  std::string error;
  // With --details: what was counted as invented, one line each.
  std::vector<std::string> inventions;
  // With --details: the chains that are not intact connectors.
  std::vector<std::string> broken;
};

// Thresholds the corpus must reach; unset ones are only reported.
struct Targets {
  std::optional<double> exact;
  std::optional<double> rectangles;
  std::optional<double> connectors;
  std::optional<double> arrowheads;
  std::optional<std::int32_t> invented;
  std::optional<std::int32_t> letters;
  std::optional<std::int32_t> torn;
};

bool ReadCounts(const std::filesystem::path& path, HandCounts& counts, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "no counts file " + path.filename().string();
    return false;
  }
  std::map<std::string, std::int32_t*> numbers = {
      {"rectangles", &counts.rectangles}, {"connectors", &counts.connectors}, {"arrowheads", &counts.arrowheads}};
  std::string line;
  std::int32_t found = 0;
  while (std::getline(in, line)) {
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    const std::string key = line.substr(0, colon);
    std::string value = line.substr(colon + 1);
    value.erase(0, value.find_first_not_of(' '));
    if (key == "prefix" && value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      counts.prefix = value.substr(1, value.size() - 2);
    } else if (auto it = numbers.find(key); it != numbers.end()) {
      const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), *it->second);
      if (ec != std::errc() || *it->second < 0) {
        error = path.filename().string() + ": " + key + " is not a count";
        return false;
      }
      ++found;
    }
  }
  if (found != 3) error = path.filename().string() + " lacks rectangles, connectors or arrowheads";
  return found == 3;
}

bool IsRun(char ch, bool across) { return across ? (ch == '-' || ch == '=') : (ch == '|' || ch == ':'); }
bool IsCorner(char ch) { return std::string_view("+.,'`/\\").find(ch) != std::string_view::npos; }
bool IsDiagonal(char ch) { return ch == '/' || ch == '\\'; }
bool IsHead(char ch, Cell d) {
  if (d.column > 0) return ch == '>';
  if (d.column < 0) return ch == '<';
  if (d.row > 0) return ch == 'v' || ch == 'V';
  return ch == '^';
}
bool IsWordChar(char ch) {
  const auto u = static_cast<unsigned char>(ch);
  return std::isalnum(u) != 0 || std::string_view("()[]{}").find(ch) != std::string_view::npos;
}

// One imported diagram, read back against its art.
class Judge {
 public:
  Judge(const virlo::ArtGrid& grid, const Sheet& sheet) : grid_(grid), sheet_(sheet), whole_(sheet.NewCanvas()) {
    sheet.RenderText(whole_);
    virlo::List<DrawObj*>::Cursor cursor(sheet.objects);
    for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
      const auto* text = dynamic_cast<const virlo::StrBox*>(obj);
      if (auto* box = dynamic_cast<Box*>(obj); box != nullptr && (text == nullptr || text->frame != 0)) {
        boxes_.push_back(box);
      } else if (auto* line = dynamic_cast<Line*>(obj)) {
        lines_.push_back(line);
      } else if (auto* dot = dynamic_cast<Dot*>(obj)) {
        dots_.push_back(dot);
      }
    }
  }

  void Measure(Score& score) const {
    std::int32_t inArt = 0;
    std::int32_t notInArt = 0;
    std::vector<std::string> boxesInArt;
    for (const Box* box : boxes_) {
      const bool shown = BoxInArt(*box);
      ++(shown ? inArt : notInArt);
      const Frame f = FrameOf(*box);
      const std::string where = "box " + Where(f.first) + " to " + Where(f.last);
      if (shown) boxesInArt.push_back(where);
      if (!shown) score.inventions.push_back(where + " not in the art");
    }
    if (inArt > score.hand.rectangles) {
      for (const std::string& where : boxesInArt) score.inventions.push_back(where + " (boxes beyond the count)");
    }
    std::int32_t intact = 0;
    std::vector<std::string> chains;
    for (const auto& chain : Chains()) {
      std::string where = "chain";
      for (const Line* line : chain) where += " " + Where(CellOf(line->start)) + "-" + Where(CellOf(line->end));
      if (!ChainCounts(chain)) {
        score.broken.push_back(where);
        continue;
      }
      ++intact;
      chains.push_back(where);
    }
    if (intact > score.hand.connectors) {
      for (const std::string& where : chains) score.inventions.push_back(where + " (chains beyond the count)");
    }
    std::int32_t heads = 0;
    for (const Line* line : lines_) {
      for (const LinkPoint* end : {&line->start, &line->end}) heads += ShowsHead(*line, *end) ? 1 : 0;
    }
    // An arrowhead on a run ("--->---"): a dot on the line, showing it.
    for (const Dot* dot : dots_) {
      const Line* on = dot->GetLine();
      if (on == nullptr) continue;
      const Cell at = CellOf(*dot);
      const Cell way = on->orientation == Line::Horizontal ? Cell{1, 0} : Cell{0, 1};
      const bool head = IsHead(Art(at), way) || IsHead(Art(at), {-way.column, -way.row});
      heads += head && Own(Alone(*dot), at) == Art(at) ? 1 : 0;
    }
    std::int32_t freeDots = 0;
    for (const Dot* dot : dots_) {
      if (dot->parent != nullptr) continue;
      ++freeDots;
      score.inventions.push_back("dot " + Where(CellOf(*dot)) + " on no line");
    }
    score.rectangles = std::min(inArt, score.hand.rectangles);
    score.connectors = std::min(intact, score.hand.connectors);
    score.arrowheads = std::min(heads, score.hand.arrowheads);
    score.invented =
        std::max(0, inArt - score.hand.rectangles) + notInArt + std::max(0, intact - score.hand.connectors) + freeDots;
    score.letters = LettersAsMarkers();
  }

 private:
  static std::string Where(Cell c) { return "(" + std::to_string(c.column) + "," + std::to_string(c.row) + ")"; }
  Cell CellOf(const Dot& point) const {
    const virlo::Point p = sheet_.CellOf(point.x, point.y);
    return {p.x, p.y};
  }
  char Art(Cell c) const { return grid_.IsWide(c.column, c.row) ? 'W' : grid_.Byte(c.column, c.row); }
  // What an object writes at a cell when it is rendered alone.
  static char Own(const Canvas& alone, Cell c) {
    return alone.Holds(c.column, c.row) ? alone.At(c.column, c.row) : ' ';
  }
  Canvas Alone(const DrawObj& obj) const {
    Canvas canvas = sheet_.NewCanvas();
    obj.RenderText(canvas);
    return canvas;
  }

  struct Frame {
    Cell first;
    Cell last;
    bool OnFrame(Cell c) const {
      const bool across =
          (c.row == first.row || c.row == last.row) && c.column >= first.column && c.column <= last.column;
      const bool down =
          (c.column == first.column || c.column == last.column) && c.row >= first.row && c.row <= last.row;
      return across || down;
    }
  };
  Frame FrameOf(const Box& box) const {
    const virlo::Rect r = box.Frame();
    const virlo::Point a = sheet_.CellOf(r.left, r.top);
    const virlo::Point b = sheet_.CellOf(r.right, r.bottom);
    return {{a.x, a.y}, {b.x, b.y}};
  }

  // The frame shows in the art: its corners as the box draws them, its sides
  // as the box draws them or as what lies over them (a label, a joined end).
  bool BoxInArt(const Box& box) const {
    Canvas alone = sheet_.NewCanvas();
    box.Box::RenderText(alone);
    const Frame f = FrameOf(box);
    if (f.last.column <= f.first.column || f.last.row <= f.first.row) return false;
    for (std::int32_t r = f.first.row; r <= f.last.row; ++r) {
      for (std::int32_t c = f.first.column; c <= f.last.column; ++c) {
        const Cell cell{c, r};
        if (!f.OnFrame(cell)) continue;
        const char own = Own(alone, cell);
        const char art = Art(cell);
        const bool corner = (c == f.first.column || c == f.last.column) && (r == f.first.row || r == f.last.row);
        const char seen = whole_.Holds(c, r) ? whole_.At(c, r) : ' ';
        // A blank counts only inside a label written over the side ("16 px").
        const bool across = r == f.first.row || r == f.last.row;
        const Cell before = across ? Cell{c - 1, r} : Cell{c, r - 1};
        const Cell after = across ? Cell{c + 1, r} : Cell{c, r + 1};
        const bool inLabel = Art(before) != ' ' && Art(after) != ' ' && Art(before) != Own(alone, before) &&
                             Art(after) != Own(alone, after);
        if (art != own && (corner || art != seen || (seen == ' ' && !inLabel))) return false;
      }
    }
    return true;
  }

  // Lines joined end to end through their partners: one chain each.
  std::vector<std::vector<const Line*>> Chains() const {
    std::map<const Line*, std::size_t> index;
    for (std::size_t i = 0; i < lines_.size(); ++i) index[lines_[i]] = i;
    std::vector<std::size_t> group(lines_.size());
    for (std::size_t i = 0; i < group.size(); ++i) group[i] = i;
    auto root = [&](std::size_t i) {
      while (group[i] != i) i = group[i];
      return i;
    };
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      for (const LinkPoint* end : {&lines_[i]->start, &lines_[i]->end}) {
        if (end->partner == nullptr) continue;
        const auto it = index.find(dynamic_cast<const Line*>(end->partner->parent));
        if (it != index.end()) group[root(i)] = root(it->second);
      }
    }
    std::map<std::size_t, std::vector<const Line*>> chains;
    for (std::size_t i = 0; i < lines_.size(); ++i) chains[root(i)].push_back(lines_[i]);
    std::vector<std::vector<const Line*>> result;
    for (auto& [key, chain] : chains) result.push_back(std::move(chain));
    return result;
  }

  // The way an end points: from the rest of its line towards it.
  Cell Outward(const Line& line, const LinkPoint& end) const {
    const bool across = line.orientation == Line::Horizontal;
    const LinkPoint& other = &end == &line.start ? line.end : line.start;
    const Cell here = CellOf(end);
    const Cell there = CellOf(other);
    std::int32_t sign = across ? here.column - there.column : here.row - there.row;
    if (sign == 0) sign = &end == &line.start ? -1 : 1;
    sign = sign > 0 ? 1 : -1;
    return across ? Cell{sign, 0} : Cell{0, sign};
  }
  static bool OnLine(const Line& line, Cell c, Cell a, Cell b) {
    if (line.orientation == Line::Horizontal) {
      return c.row == a.row && c.column >= std::min(a.column, b.column) && c.column <= std::max(a.column, b.column);
    }
    return c.column == a.column && c.row >= std::min(a.row, b.row) && c.row <= std::max(a.row, b.row);
  }
  bool OnLine(const Line& line, Cell c) const { return OnLine(line, c, CellOf(line.start), CellOf(line.end)); }
  const Box* BoxTouched(Cell a, Cell b) const {
    for (const Box* box : boxes_) {
      const Frame f = FrameOf(*box);
      if (f.OnFrame(a) || f.OnFrame(b)) return box;
    }
    return nullptr;
  }

  // The arrowhead the art shows at an end is the end's own marker.
  // Pointing out of the line or, as some authors draw the way a connector
  // goes at its tail ("|>---", "---<|"), into it.
  bool ShowsHead(const Line& line, const LinkPoint& end) const {
    const Cell at = CellOf(end);
    const Cell out = Outward(line, end);
    const bool head = IsHead(Art(at), out) || IsHead(Art(at), {-out.column, -out.row});
    return head && Own(Alone(line), at) == Art(at);
  }

  // A free end of a chain ends where its art ends: attached to the side it
  // touches, or with nothing of its line art going on beyond it.
  bool EndHolds(const Line& line, const LinkPoint& end, bool& attachedOrMarked) const {
    const Cell d = Outward(line, end);
    const Cell at = CellOf(end);
    const Cell beyond = at.Step(d);
    const bool across = line.orientation == Line::Horizontal;
    const Line* host = end.hostLine;
    const bool resting = host != nullptr && OnLine(*host, at);
    const bool docked = CountDockedEnds && host != nullptr && !resting && OnLine(*host, beyond);
    const bool attached = resting || docked;
    if (IsHead(Art(at), d) && Own(Alone(line), at) != Art(at)) return false;
    attachedOrMarked = attachedOrMarked || attached || IsHead(Art(at), d);
    if (const Box* box = BoxTouched(at, beyond)) {
      attachedOrMarked = true;
      return attached && host->parent == box;
    }
    if (attached) return true;
    const char next = Art(beyond);
    if (IsRun(next, true) || IsRun(next, false) || IsCorner(next) || IsHead(next, d)) return false;
    // A diagonal run going on from the end: the connector goes on where no
    // line of the model can follow, so this is a piece of it.
    const Cell side{d.row, d.column};
    for (const Cell diagonal : {beyond.Step(side), beyond.Step(side, -1)}) {
      if (IsDiagonal(Art(diagonal))) return false;
    }
    // A corner or tee whose other run leaves sideways, unjoined.
    if (IsCorner(Art(at)) && (IsRun(Art(at.Step(side)), !across) || IsRun(Art(at.Step(side, -1)), !across))) {
      return false;
    }
    // A label inside the run: the run goes on after it. A word that a run
    // leaves sideways ("V" over "READER", "|" under it) is a node the run
    // ends at, not a label.
    if (!IsRun(Art(at), across)) return true;
    const std::int32_t reach = across ? MaxLabelAcross : MaxLabelDown;
    std::int32_t blanks = 0;
    for (std::int32_t k = 1; k <= reach && blanks < 2; ++k) {
      const Cell here = at.Step(d, k);
      const char ch = Art(here);
      // A box between: the run beyond it is another connector.
      if (BoxTouched(here, here) != nullptr) return true;
      if (k > 1 && IsRun(ch, across)) return false;
      if (ch != ' ' && !IsRun(ch, across) &&
          (LeavesSideways(here, side) || LeavesSideways(here, {-side.column, -side.row}))) {
        return true;
      }
      blanks = ch == ' ' ? blanks + 1 : 0;
    }
    return true;
  }

  // A run or an arrowhead of the other way next to a cell, going away from it.
  bool LeavesSideways(Cell c, Cell way) const {
    const char ch = Art(c.Step(way));
    const bool across = way.row == 0;
    return IsRun(ch, across) || IsHead(ch, way) || IsHead(ch, {-way.column, -way.row}) || ch == '+';
  }

  // An intact connector: one chain whose free ends all hold. A lone straight
  // run that touches nothing and has no arrowhead (an underline, a rule) is
  // no connector: it counts neither way.
  bool ChainCounts(const std::vector<const Line*>& chain) const {
    bool attachedOrMarked = chain.size() > 1;
    std::int32_t freeEnds = 0;
    for (const Line* line : chain) {
      for (const LinkPoint* end : {&line->start, &line->end}) {
        if (end->partner != nullptr) continue;
        ++freeEnds;
        if (!EndHolds(*line, *end, attachedOrMarked)) return false;
      }
    }
    return freeEnds > 0 && attachedOrMarked;
  }

  // A letter shown as a marker is read wrongly unless it stands at the end of
  // a run of its line (or on a line, with the run on both sides) and no
  // letter, digit or bracket stands beside it.
  std::int32_t LettersAsMarkers() const {
    std::int32_t wrong = 0;
    auto judge = [&](Cell at, char shown, const Line* line, bool bothSides, Cell d) {
      if (std::isalpha(static_cast<unsigned char>(shown)) == 0 || Art(at) != shown) return;
      const bool word = IsWordChar(Art({at.column - 1, at.row})) || IsWordChar(Art({at.column + 1, at.row}));
      bool run = line != nullptr;
      if (line != nullptr) {
        const bool across = line->orientation == Line::Horizontal;
        run = IsRun(Art(at.Step(d, -1)), across) && (!bothSides || IsRun(Art(at.Step(d)), across));
      }
      wrong += word || !run ? 1 : 0;
    };
    for (const Line* line : lines_) {
      const Canvas alone = Alone(*line);
      for (const LinkPoint* end : {&line->start, &line->end}) {
        judge(CellOf(*end), Own(alone, CellOf(*end)), line, false, Outward(*line, *end));
      }
    }
    for (const Dot* dot : dots_) {
      const Line* on = dot->GetLine();
      const Cell d = on == nullptr || on->orientation == Line::Horizontal ? Cell{1, 0} : Cell{0, 1};
      judge(CellOf(*dot), Own(Alone(*dot), CellOf(*dot)), on, true, d);
    }
    return wrong;
  }

  const virlo::ArtGrid& grid_;
  const Sheet& sheet_;
  Canvas whole_;
  std::vector<Box*> boxes_;
  std::vector<Line*> lines_;
  std::vector<Dot*> dots_;
};

// Moves each box a cell right and a cell down, as a drag of it does, and
// counts the line ends resting or docked on its sides that did not come
// along. A line from side to side of one box divides it and only follows it
// across itself.
std::int32_t TornByMoves(Sheet& sheet) {
  std::vector<Box*> boxes;
  std::vector<Line*> lines;
  virlo::List<DrawObj*>::Cursor cursor(sheet.objects);
  for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
    if (auto* box = dynamic_cast<Box*>(obj)) boxes.push_back(box);
    if (auto* line = dynamic_cast<Line*>(obj)) lines.push_back(line);
  }
  std::int32_t torn = 0;
  for (Box* box : boxes) {
    std::vector<std::pair<LinkPoint*, virlo::Point>> linked;
    auto on = [box](const LinkPoint& end) { return end.hostLine != nullptr && end.hostLine->parent == box; };
    for (Line* line : lines) {
      if (on(line->start) && on(line->end)) continue;
      for (LinkPoint* end : {&line->start, &line->end}) {
        if (on(*end)) linked.emplace_back(end, end->GetPos());
      }
    }
    virlo::Selection selection;
    selection.moving = virlo::Selection::Moving::Shift;
    box->Move(selection, sheet.cellWidth, sheet.cellHeight);
    selection.Clear();
    for (const auto& [end, was] : linked) {
      torn += end->GetPos() == virlo::Point{was.x + sheet.cellWidth, was.y + sheet.cellHeight} ? 0 : 1;
    }
  }
  return torn;
}

Score ScoreFile(const std::filesystem::path& art) {
  Score score;
  score.name = art.stem().string();
  std::filesystem::path countsPath = art;
  countsPath.replace_extension(".counts");
  if (!ReadCounts(countsPath, score.hand, score.error)) return score;
  std::string bytes;
  if (!virlo::ArtInput::ReadFile(art.string(), bytes, score.error)) return score;
  virlo::ArtGrid::Options options;
  options.commentPrefix = score.hand.prefix;
  virlo::ArtGrid grid;
  virlo::Document document;
  virlo::ArtImporter::Report report;
  if (!virlo::ArtInput::ReadAnyEncoding(bytes, grid, score.error, options) || !document.OnNewDocument() ||
      !virlo::ArtImporter::Import(grid, *document.sheet, report, score.error)) {
    if (score.error.empty()) score.error = "no document";
    return score;
  }
  virlo::ArtOptions render;
  render.utf8 = virlo::ArtGrid::IsUtf8(bytes);
  render.style = render.utf8 && grid.HasGlyphs() ? virlo::ArtOptions::Style::Unicode : virlo::ArtOptions::Style::Ascii;
  render.trim = true;
  render.prefix = score.hand.prefix;
  score.exact = virlo::ArtExport::Render(*document.sheet, render) == bytes;
  Judge(grid, *document.sheet).Measure(score);
  score.torn = TornByMoves(*document.sheet);
  return score;
}

double Percent(std::int64_t part, std::int64_t whole) {
  return whole == 0 ? 100.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole);
}

std::string Ratio(std::int64_t part, std::int64_t whole) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld/%lld", static_cast<long long>(part), static_cast<long long>(whole));
  return text;
}

void PrintRow(const std::string& name, const std::string& exact, const std::string& rects, const std::string& links,
              const std::string& heads, const std::string& invented, const std::string& letters) {
  std::printf("| %-38s | %-10s | %-10s | %-10s | %-10s | %-8s | %-7s |\n", name.c_str(), exact.c_str(), rects.c_str(),
              links.c_str(), heads.c_str(), invented.c_str(), letters.c_str());
}

bool ParsePercent(std::string_view text, double& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && value >= 0 && value <= 100;
}

bool ParseCount(std::string_view text, std::int32_t& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && value >= 0;
}

int Usage() {
  std::fputs(
      "usage: virlo-import-score DIR [--exact PCT] [--rectangles PCT] [--connectors PCT]\n"
      "                          [--arrowheads PCT] [--invented N] [--letters N] [--torn N]\n"
      "                          [--details]\n"
      "  imports every DIR/NAME.txt beside its NAME.counts and prints the measures;\n"
      "  --details lists, per diagram, what may be invented (cells are column,row);\n"
      "  each option given is a target: the status is 1 when the corpus misses it\n",
      stderr);
  return ExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path dir;
  Targets targets;
  bool details = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--details") {
      details = true;
      continue;
    }
    const bool hasValue = i + 1 < argc;
    double percent = 0;
    std::int32_t count = 0;
    if (arg == "--exact" && hasValue && ParsePercent(argv[i + 1], percent)) {
      targets.exact = percent;
    } else if (arg == "--rectangles" && hasValue && ParsePercent(argv[i + 1], percent)) {
      targets.rectangles = percent;
    } else if (arg == "--connectors" && hasValue && ParsePercent(argv[i + 1], percent)) {
      targets.connectors = percent;
    } else if (arg == "--arrowheads" && hasValue && ParsePercent(argv[i + 1], percent)) {
      targets.arrowheads = percent;
    } else if (arg == "--invented" && hasValue && ParseCount(argv[i + 1], count)) {
      targets.invented = count;
    } else if (arg == "--letters" && hasValue && ParseCount(argv[i + 1], count)) {
      targets.letters = count;
    } else if (arg == "--torn" && hasValue && ParseCount(argv[i + 1], count)) {
      targets.torn = count;
    } else if (dir.empty() && !arg.starts_with("--")) {
      dir = arg;
      continue;
    } else {
      return Usage();
    }
    ++i;
  }
  if (dir.empty()) return Usage();
  std::vector<std::filesystem::path> arts;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    if (entry.path().extension() == ".txt") arts.push_back(entry.path());
  }
  if (ec || arts.empty()) {
    std::fprintf(stderr, "virlo-import-score: no art in '%s'\n", dir.string().c_str());
    return ExitUsage;
  }
  std::sort(arts.begin(), arts.end());
  virlo::StartStore();

  std::vector<Score> scores;
  for (const auto& art : arts) scores.push_back(ScoreFile(art));
  PrintRow("diagram", "exact", "rectangles", "connectors", "arrowheads", "invented", "letters");
  std::printf("|%s|------------|------------|------------|------------|----------|---------|\n",
              std::string(40, '-').c_str());
  Score total;
  std::int64_t exact = 0;
  bool failed = false;
  for (const Score& s : scores) {
    if (!s.error.empty()) {
      std::fprintf(stderr, "virlo-import-score: %s: %s\n", s.name.c_str(), s.error.c_str());
      failed = true;
      continue;
    }
    PrintRow(s.name, s.exact ? "yes" : "no", Ratio(s.rectangles, s.hand.rectangles),
             Ratio(s.connectors, s.hand.connectors), Ratio(s.arrowheads, s.hand.arrowheads), std::to_string(s.invented),
             std::to_string(s.letters));
    exact += s.exact ? 1 : 0;
    total.rectangles += s.rectangles;
    total.hand.rectangles += s.hand.rectangles;
    total.connectors += s.connectors;
    total.hand.connectors += s.hand.connectors;
    total.arrowheads += s.arrowheads;
    total.hand.arrowheads += s.hand.arrowheads;
    total.invented += s.invented;
    total.letters += s.letters;
    total.torn += s.torn;
    if (details && s.invented > 0) {
      for (const std::string& what : s.inventions) std::fprintf(stderr, "%s: %s\n", s.name.c_str(), what.c_str());
    }
    if (details && s.connectors < s.hand.connectors) {
      for (const std::string& what : s.broken)
        std::fprintf(stderr, "%s: %s not intact\n", s.name.c_str(), what.c_str());
    }
    if (s.torn > 0)
      std::fprintf(stderr, "virlo-import-score: %s: %d ends left behind by a move\n", s.name.c_str(), s.torn);
  }
  if (failed) return ExitUsage;
  const double exactPercent = Percent(exact, static_cast<std::int64_t>(scores.size()));
  const double rectPercent = Percent(total.rectangles, total.hand.rectangles);
  const double linkPercent = Percent(total.connectors, total.hand.connectors);
  char line[64];
  auto percent = [&](double value) {
    std::snprintf(line, sizeof line, "%.1f%%", value);
    return std::string(line);
  };
  const double headPercent = Percent(total.arrowheads, total.hand.arrowheads);
  PrintRow("total (" + std::to_string(scores.size()) + " diagrams)", percent(exactPercent), percent(rectPercent),
           percent(linkPercent), percent(headPercent), std::to_string(total.invented), std::to_string(total.letters));
  std::printf("\ndocked ends count as attached: %s\n", CountDockedEnds ? "yes" : "no (the model has no docks)");
  std::printf("line ends left behind when each box moves a cell right and down: %d\n", total.torn);

  std::vector<std::string> missed;
  if (targets.exact && exactPercent < *targets.exact) missed.push_back("byte-exact " + percent(exactPercent));
  if (targets.rectangles && rectPercent < *targets.rectangles) missed.push_back("rectangles " + percent(rectPercent));
  if (targets.connectors && linkPercent < *targets.connectors) missed.push_back("connectors " + percent(linkPercent));
  if (targets.arrowheads && headPercent < *targets.arrowheads) missed.push_back("arrowheads " + percent(headPercent));
  if (targets.invented && total.invented > *targets.invented) {
    missed.push_back(std::to_string(total.invented) + " invented objects");
  }
  if (targets.letters && total.letters > *targets.letters) {
    missed.push_back(std::to_string(total.letters) + " letters read as markers");
  }
  if (targets.torn && total.torn > *targets.torn) {
    missed.push_back(std::to_string(total.torn) + " line ends left behind by moves");
  }
  for (const std::string& what : missed) std::fprintf(stderr, "virlo-import-score: target missed: %s\n", what.c_str());
  return missed.empty() ? 0 : ExitMissed;
}
