// virlo-import-score: measures the importer on character art published by
// others (tests/import/published). Each NAME.txt is imported as `virlo-cli
// import` does, and every rectangle, connector and arrowhead counted by hand
// in NAME.counts, by where it is, is looked for in what was made. The
// measures are defined in tests/import/published/README.md.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
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
#include "objects/Contents.h"
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
using virlo::StrBox;

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

struct Cell {
  std::int32_t column = 0;
  std::int32_t row = 0;
  Cell Step(Cell d, std::int32_t times = 1) const { return {column + d.column * times, row + d.row * times}; }
  friend bool operator==(const Cell&, const Cell&) = default;
  friend auto operator<=>(const Cell&, const Cell&) = default;
};

std::string Where(Cell c) { return "(" + std::to_string(c.column) + "," + std::to_string(c.row) + ")"; }

// Two cells: a rectangle's top left and bottom right corners, or a
// connector's two ends.
struct Pair {
  Cell first;
  Cell last;
  // As the counts write it: "C,R C,R".
  std::string Key() const {
    return std::to_string(first.column) + "," + std::to_string(first.row) + " " + std::to_string(last.column) + "," +
           std::to_string(last.row);
  }
};

struct Frame {
  Cell first;
  Cell last;
  bool OnFrame(Cell c) const {
    const bool across =
        (c.row == first.row || c.row == last.row) && c.column >= first.column && c.column <= last.column;
    const bool down = (c.column == first.column || c.column == last.column) && c.row >= first.row && c.row <= last.row;
    return across || down;
  }
  bool Holds(Cell c) const {
    return c.column >= first.column && c.column <= last.column && c.row >= first.row && c.row <= last.row;
  }
  // Within this frame and sharing one of its sides: a compartment of it.
  bool Divides(const Frame& inner) const {
    const bool within = Holds(inner.first) && Holds(inner.last);
    const bool sharing = inner.first.column == first.column || inner.first.row == first.row ||
                         inner.last.column == last.column || inner.last.row == last.row;
    return within && sharing;
  }
};

// What was counted by hand, by where it is (README.md).
struct HandCounts {
  std::string prefix;
  std::vector<Pair> rectangles;
  std::vector<Pair> connectors;
  std::vector<Cell> arrowheads;
  // Counted things only a slanted run reaches ("slanted" after the cells):
  // the model draws lines across and down, so the import keeps such runs as
  // text. Each is scored all the same, and the totals also say how many of
  // the rest are right.
  std::vector<bool> slantedConnectors;
  std::vector<bool> slantedArrowheads;
};

// A thing counted by hand and whether the import made it right, for
// --details and the floors.
struct Verdict {
  std::string thing;
  bool right = false;
  std::string why;
};

struct Score {
  std::string name;
  HandCounts hand;
  bool exact = false;
  std::int32_t rectangles = 0;
  std::int32_t connectors = 0;
  std::int32_t arrowheads = 0;
  // Of the right ones, those only a slanted run reaches.
  std::int32_t slantedConnectorsRight = 0;
  std::int32_t slantedArrowheadsRight = 0;
  // Boxes and lines where the art has none.
  std::int32_t invented = 0;
  // Dots on no line, each standing for one character of text.
  std::int32_t standIns = 0;
  // Compartments read as boxes and dividers no hand counted.
  std::int32_t dividers = 0;
  std::int32_t letters = 0;
  // Ends, labels and texts a move of a box they touch or lie in left behind.
  std::int32_t torn = 0;
  // Pieces of line art the import left as text without listing them, and
  // pieces it listed as line art that belong to words.
  std::int32_t unlisted = 0;
  std::int32_t wordsListed = 0;
  std::string error;
  std::vector<Verdict> verdicts;
  // What was counted as invented, a stand-in, a divider or left behind, one line each.
  std::vector<std::string> notes;
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

bool ParseCell(std::string_view text, Cell& cell) {
  const auto comma = text.find(',');
  if (comma == std::string_view::npos) return false;
  const std::string_view column = text.substr(0, comma);
  const std::string_view row = text.substr(comma + 1);
  const auto [a, ea] = std::from_chars(column.data(), column.data() + column.size(), cell.column);
  const auto [b, eb] = std::from_chars(row.data(), row.data() + row.size(), cell.row);
  return ea == std::errc() && eb == std::errc() && a == column.data() + column.size() && b == row.data() + row.size() &&
         cell.column >= 0 && cell.row >= 0;
}

// Reads "C,R" or "C,R C,R" after a key; false when the cells are not so written.
bool ParseCells(const std::string& value, std::vector<Cell>& cells, std::size_t count) {
  std::istringstream in(value);
  std::string word;
  while (in >> word) {
    Cell cell;
    if (!ParseCell(word, cell)) return false;
    cells.push_back(cell);
  }
  return cells.size() == count;
}

// One line of a counts file into the counts; the totals are checked against
// the positions once all are read.
bool ReadCountLine(const std::string& key, const std::string& value, HandCounts& counts,
                   std::map<std::string, std::int32_t>& totals) {
  std::vector<Cell> cells;
  std::string cellsText = value;
  const bool slanted = cellsText.ends_with(" slanted");
  if (slanted) cellsText.resize(cellsText.size() - std::string_view(" slanted").size());
  if (slanted && key != "connector" && key != "arrowhead") return false;
  if (key == "prefix") {
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') return false;
    counts.prefix = value.substr(1, value.size() - 2);
    return true;
  }
  if (key == "rectangle" || key == "connector") {
    if (!ParseCells(cellsText, cells, 2)) return false;
    if (key == "rectangle") {
      counts.rectangles.push_back({cells[0], cells[1]});
    } else {
      counts.connectors.push_back({cells[0], cells[1]});
      counts.slantedConnectors.push_back(slanted);
    }
    return true;
  }
  if (key == "arrowhead") {
    if (!ParseCells(cellsText, cells, 1)) return false;
    counts.arrowheads.push_back(cells[0]);
    counts.slantedArrowheads.push_back(slanted);
    return true;
  }
  if (key == "rectangles" || key == "connectors" || key == "arrowheads") {
    std::int32_t total = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), total);
    if (ec != std::errc() || end != value.data() + value.size() || total < 0) return false;
    totals[key] = total;
    return true;
  }
  return false;
}

bool ReadCounts(const std::filesystem::path& path, HandCounts& counts, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "no counts file " + path.filename().string();
    return false;
  }
  std::map<std::string, std::int32_t> totals;
  std::string line;
  std::int32_t number = 0;
  while (std::getline(in, line)) {
    ++number;
    // A note after "#"; a prefix keeps its own.
    if (!line.starts_with("prefix:")) line = line.substr(0, line.find('#'));
    line.erase(line.find_last_not_of(' ') + 1);
    if (line.empty()) continue;
    const auto colon = line.find(':');
    const std::string key = line.substr(0, colon);
    const std::string value = colon == std::string::npos ? "" : line.substr(line.find_first_not_of(' ', colon + 1));
    if (colon == std::string::npos || !ReadCountLine(key, value, counts, totals)) {
      error = path.filename().string() + ":" + std::to_string(number) + ": not a count: " + line;
      return false;
    }
  }
  const std::pair<const char*, std::size_t> listed[] = {{"rectangles", counts.rectangles.size()},
                                                        {"connectors", counts.connectors.size()},
                                                        {"arrowheads", counts.arrowheads.size()}};
  for (const auto& [key, size] : listed) {
    const auto total = totals.find(key);
    if (total == totals.end() || static_cast<std::size_t>(total->second) != size) {
      error =
          path.filename().string() + ": " + key + " does not say how many are listed (" + std::to_string(size) + ")";
      return false;
    }
  }
  return true;
}

bool IsRun(char ch, bool across) { return across ? (ch == '-' || ch == '=') : (ch == '|' || ch == ':'); }
bool IsLineArt(char ch) {
  return IsRun(ch, true) || IsRun(ch, false) || std::string_view("+.,'`/\\_").find(ch) != std::string_view::npos;
}
bool IsHead(char ch, Cell d) {
  if (d.column > 0) return ch == '>';
  if (d.column < 0) return ch == '<';
  if (d.row > 0) return ch == 'v' || ch == 'V';
  return ch == '^';
}
// A corner or tee of box drawing leads only along its arms: a tree's trunk
// ending in "└" goes on right, not down. Any other character leads on.
bool LeadsOn(char32_t code, Cell d) {
  struct Corner {
    char32_t code;
    const char* arms;  // of "lrud"
  };
  static constexpr Corner Corners[] = {
      {U'└', "ru"}, {U'┘', "lu"}, {U'┌', "rd"},  {U'┐', "ld"},  {U'╰', "ru"},  {U'╯', "lu"},
      {U'╭', "rd"}, {U'╮', "ld"}, {U'├', "rud"}, {U'┤', "lud"}, {U'┬', "lrd"}, {U'┴', "lru"},
  };
  const char way = d.column > 0 ? 'r' : d.column < 0 ? 'l' : d.row > 0 ? 'd' : 'u';
  for (const Corner& corner : Corners) {
    if (corner.code == code) return std::string_view(corner.arms).find(way) != std::string_view::npos;
  }
  return true;
}
bool IsAnyHead(char ch) { return std::string_view("<>^vV").find(ch) != std::string_view::npos; }
bool IsWordChar(char ch) {
  const auto u = static_cast<unsigned char>(ch);
  return std::isalnum(u) != 0 || std::string_view("()[]{}").find(ch) != std::string_view::npos;
}

// Lines joined end to end through their partners, and their free ends: two,
// or none for a loop.
struct Chain {
  std::vector<const Line*> lines;
  std::vector<std::pair<const Line*, const LinkPoint*>> ends;
};

// What an end touches or points at: a box's side, another line, or text (a node).
struct Touch {
  enum class Kind : std::uint8_t { None, Box, Line, Node } kind = Kind::None;
  Cell cell;
  explicit operator bool() const { return kind != Kind::None; }
  std::string Text() const {
    switch (kind) {
      case Kind::Box:
        return "the box side at " + Where(cell);
      case Kind::Line:
        return "the line at " + Where(cell);
      case Kind::Node:
        return "the text at " + Where(cell);
      case Kind::None:
        break;
    }
    return "nothing";
  }
};

// One imported diagram, read back against its art and its hand counts.
class Judge {
 public:
  Judge(const virlo::ArtGrid& grid, Sheet& sheet, const HandCounts& hand);
  void Measure(Score& score) const;
  // Line art left as text and not listed, and words listed as line art.
  void CountLeftovers(Score& score, const std::vector<virlo::ArtPlan::Piece>& listed) const;
  // Moves each box a cell right and a cell down, as a drag of it does, and
  // back, counting what it should have taken along and did not.
  void MoveBoxes(Score& score);

 private:
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
  Frame FrameOf(const Box& box) const {
    const virlo::Rect r = box.Frame();
    const virlo::Point a = sheet_.CellOf(r.left, r.top);
    const virlo::Point b = sheet_.CellOf(r.right, r.bottom);
    return {{a.x, a.y}, {b.x, b.y}};
  }
  bool BoxInArt(const Box& box) const;
  // Line art written by a text over no line or box: a box-drawing
  // character, a "|" with another above or below it, a "-" or "=" in a run
  // of three or more.
  bool LeftAsLineArt(Cell c, const Canvas& structure) const;
  // The cell lies on or inside a box made in front of this one (a box drawn
  // behind another, its hidden corner and sides).
  bool HiddenBy(const Box& box, Cell c) const;
  // A cell inside a text; with `worded`, one with words in the same row
  // ("+--- name ---+": the blanks round the name are the label's).
  bool InText(Cell c, bool worded) const;
  std::vector<Chain> Chains() const;
  std::string ChainText(const Chain& chain) const;
  // The way an end points: from the rest of its line towards it.
  Cell Outward(const Line& line, const LinkPoint& end) const;
  bool OnLine(const Line& line, Cell c) const;
  bool InChain(const Chain* chain, const Line* line) const {
    return chain != nullptr && std::find(chain->lines.begin(), chain->lines.end(), line) != chain->lines.end();
  }
  // A box made whose frame passes through the cell.
  const Box* BoxAt(Cell c) const;
  // A frame the art shows there: a box made, or a rectangle counted.
  bool OnAnyFrame(Cell c) const;
  // Whether a frame with the side cell on it holds the cell inside it.
  bool OwnSide(Cell inside, Cell side) const;
  // A line through the cell that is not of the chain.
  const Line* LineAt(Cell c, const Chain* chain) const;
  bool TextHolds(const StrBox& text, Cell c) const;
  Touch TouchAt(Cell c, const Chain* chain) const;
  // What an end at from, pointing along d, touches: what lies on its cell,
  // or in the next; past one blank, a box side (an arrow stopping a blank
  // before a box still points at it) and anything an arrowhead points at.
  Touch Touched(Cell from, Cell d, const Chain* chain) const;
  bool AttachedTo(const LinkPoint& end, Cell d, const Touch& touch) const;
  // How near an end is to a counted end: 1 on it, 0 a cell before or past it
  // along its line, -1 elsewhere.
  std::int32_t Nearness(const Line& line, const LinkPoint& end, Cell hand) const;
  // A free end of the chain on or next to an end of the counted connector.
  bool EndsAt(const Chain& chain, const Pair& counted) const;

  void MeasureRectangles(Score& score, std::vector<const Box*>& matched) const;
  // Returns, for each counted connector, whether it is intact.
  std::vector<bool> MeasureConnectors(Score& score, const std::vector<Chain>& chains, std::vector<bool>& used) const;
  std::string ConnectorVerdict(const Pair& counted, const std::vector<Chain>& chains, std::vector<bool>& used) const;
  std::string EndVerdict(const Chain& chain, const Line& line, const LinkPoint& end, Cell hand) const;
  void MeasureArrowheads(Score& score) const;
  void CountBoxesBeyond(Score& score, const std::vector<const Box*>& matched) const;
  void CountChainsBeyond(Score& score, const std::vector<Chain>& chains, const std::vector<bool>& used,
                         const std::vector<bool>& intact) const;
  // Why a chain no connector was matched to is not an invention, or "".
  std::string Uncounted(const Chain& chain, const std::vector<bool>& intact) const;
  // Counts the letters shown as markers that are no arrowheads, each with a note.
  std::int32_t LettersAsMarkers(std::vector<std::string>& notes) const;
  // The ends and texts a move of the box should take along.
  std::vector<std::pair<const DrawObj*, std::string>> Followers(const Box& box) const;

  const virlo::ArtGrid& grid_;
  Sheet& sheet_;
  const HandCounts& hand_;
  Canvas whole_;
  // Boxes with a frame (framed text boxes too), texts without one, top-level lines, dots.
  std::vector<Box*> boxes_;
  std::vector<std::pair<const StrBox*, std::vector<Cell>>> texts_;
  std::vector<const Line*> lines_;
  std::vector<const Dot*> dots_;
};

Judge::Judge(const virlo::ArtGrid& grid, Sheet& sheet, const HandCounts& hand)
    : grid_(grid), sheet_(sheet), hand_(hand), whole_(sheet.NewCanvas()) {
  sheet.RenderText(whole_);
  virlo::List<DrawObj*>::Cursor cursor(sheet.objects);
  for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
    const auto* text = dynamic_cast<const StrBox*>(obj);
    if (auto* box = dynamic_cast<Box*>(obj); box != nullptr && (text == nullptr || text->frame != 0)) {
      boxes_.push_back(box);
    } else if (text != nullptr) {
      // The cells a text writes, to tell what lies inside a box and what an end points at.
      const Canvas alone = Alone(*text);
      std::vector<Cell> cells;
      for (std::int32_t r = 0; r < alone.Rows(); ++r) {
        for (std::int32_t c = 0; c < alone.Columns(); ++c) {
          if (alone.At(c, r) != ' ') cells.push_back({c, r});
        }
      }
      texts_.emplace_back(text, std::move(cells));
    } else if (const auto* line = dynamic_cast<const Line*>(obj)) {
      lines_.push_back(line);
    } else if (const auto* dot = dynamic_cast<const Dot*>(obj)) {
      dots_.push_back(dot);
    }
  }
}

// The frame shows in the art: its corners as the box draws them, its sides
// as the box draws them or as what lies over them (a label, a joined end).
bool Judge::HiddenBy(const Box& box, Cell c) const {
  // The boxes made are listed front first.
  for (const Box* front : boxes_) {
    if (front == &box) return false;
    const Frame f = FrameOf(*front);
    if (c.column >= f.first.column && c.column <= f.last.column && c.row >= f.first.row && c.row <= f.last.row) {
      return true;
    }
  }
  return false;
}

bool Judge::InText(Cell c, bool worded) const {
  for (const auto& [text, cells] : texts_) {
    const Frame f = FrameOf(*text);
    const bool inside =
        c.column > f.first.column && c.column < f.last.column && c.row > f.first.row && c.row < f.last.row;
    if (inside && (!worded || std::any_of(cells.begin(), cells.end(), [&](Cell at) { return at.row == c.row; }))) {
      return true;
    }
  }
  return false;
}

bool Judge::BoxInArt(const Box& box) const {
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
      // A blank counts only inside a label written over the side ("16 px"),
      // or as one cell the author left out of a side, kept by a text in front.
      const bool across = r == f.first.row || r == f.last.row;
      const Cell before = across ? Cell{c - 1, r} : Cell{c, r - 1};
      const Cell after = across ? Cell{c + 1, r} : Cell{c, r + 1};
      const bool inLabel = (Art(before) != ' ' && Art(after) != ' ' && Art(before) != Own(alone, before) &&
                            Art(after) != Own(alone, after)) ||
                           (across && InText(cell, true));
      const bool gap = Art(before) == Own(alone, before) && Art(after) == Own(alone, after) && InText(cell, false);
      if (art != own && art == seen && HiddenBy(box, cell)) continue;
      if (art != own && (corner || art != seen || (seen == ' ' && !inLabel && !gap))) return false;
    }
  }
  return true;
}

std::vector<Chain> Judge::Chains() const {
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
  std::map<std::size_t, Chain> chains;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    Chain& chain = chains[root(i)];
    chain.lines.push_back(lines_[i]);
    for (const LinkPoint* end : {&lines_[i]->start, &lines_[i]->end}) {
      if (end->partner == nullptr) chain.ends.emplace_back(lines_[i], end);
    }
  }
  std::vector<Chain> result;
  for (auto& [key, chain] : chains) result.push_back(std::move(chain));
  return result;
}

std::string Judge::ChainText(const Chain& chain) const {
  std::string text = "chain";
  for (const Line* line : chain.lines) text += " " + Where(CellOf(line->start)) + "-" + Where(CellOf(line->end));
  return text;
}

Cell Judge::Outward(const Line& line, const LinkPoint& end) const {
  const bool across = line.orientation == Line::Horizontal;
  const LinkPoint& other = &end == &line.start ? line.end : line.start;
  const Cell here = CellOf(end);
  const Cell there = CellOf(other);
  std::int32_t sign = across ? here.column - there.column : here.row - there.row;
  if (sign == 0) sign = &end == &line.start ? -1 : 1;
  sign = sign > 0 ? 1 : -1;
  return across ? Cell{sign, 0} : Cell{0, sign};
}

bool Judge::OnLine(const Line& line, Cell c) const {
  const Cell a = CellOf(line.start);
  const Cell b = CellOf(line.end);
  if (line.orientation == Line::Horizontal) {
    return c.row == a.row && c.column >= std::min(a.column, b.column) && c.column <= std::max(a.column, b.column);
  }
  return c.column == a.column && c.row >= std::min(a.row, b.row) && c.row <= std::max(a.row, b.row);
}

const Box* Judge::BoxAt(Cell c) const {
  for (const Box* box : boxes_) {
    if (FrameOf(*box).OnFrame(c)) return box;
  }
  return nullptr;
}

bool Judge::OnAnyFrame(Cell c) const {
  if (BoxAt(c) != nullptr) return true;
  return std::any_of(hand_.rectangles.begin(), hand_.rectangles.end(), [&](const Pair& r) {
    return Frame{r.first, r.last}.OnFrame(c);
  });
}

bool Judge::OwnSide(Cell inside, Cell side) const {
  auto holds = [&](const Frame& f) {
    return f.OnFrame(side) && inside.column > f.first.column && inside.column < f.last.column &&
           inside.row > f.first.row && inside.row < f.last.row;
  };
  if (const Box* box = BoxAt(side); box != nullptr && holds(FrameOf(*box))) return true;
  return std::any_of(hand_.rectangles.begin(), hand_.rectangles.end(), [&](const Pair& r) {
    return holds(Frame{r.first, r.last});
  });
}

const Line* Judge::LineAt(Cell c, const Chain* chain) const {
  for (const Line* line : lines_) {
    if (!InChain(chain, line) && OnLine(*line, c)) return line;
  }
  return nullptr;
}

bool Judge::TextHolds(const StrBox& text, Cell c) const {
  for (const auto& [box, cells] : texts_) {
    if (box == &text) return std::find(cells.begin(), cells.end(), c) != cells.end();
  }
  return false;
}

Touch Judge::TouchAt(Cell c, const Chain* chain) const {
  if (OnAnyFrame(c)) return {Touch::Kind::Box, c};
  if (LineAt(c, chain) != nullptr) return {Touch::Kind::Line, c};
  return {};
}

Touch Judge::Touched(Cell from, Cell d, const Chain* chain) const {
  if (const Touch touch = TouchAt(from, chain)) return touch;
  if (!LeadsOn(grid_.Code(from.column, from.row), d)) return {};
  Cell next = from.Step(d);
  if (Art(next) == ' ') {
    // Past one blank, a box side; and anything an arrowhead points at. A
    // plain end inside a frame does not reach for its own side (a
    // column's "---" under its name in a table).
    next = from.Step(d, 2);
    const bool head = IsHead(Art(from), d);
    if (!head && (!OnAnyFrame(next) || OwnSide(from, next))) return {};
  }
  const char ch = Art(next);
  if (ch == ' ') return {};
  if (const Touch touch = TouchAt(next, chain)) return touch;
  // Line art no line of the import holds is still a line of the art; a
  // character inside a word ("WRITER_LOCKED") is text.
  // A letter with another beside it ("Validation") is a word's too.
  const bool letter = std::isalpha(static_cast<unsigned char>(ch)) != 0;
  const bool wordLeft = IsWordChar(Art({next.column - 1, next.row}));
  const bool wordRight = IsWordChar(Art({next.column + 1, next.row}));
  const bool inWord = (wordLeft && wordRight) || (letter && (wordLeft || wordRight));
  const bool lineArt = (IsLineArt(ch) || IsAnyHead(ch)) && !inWord;
  return {lineArt ? Touch::Kind::Line : Touch::Kind::Node, next};
}

bool Judge::AttachedTo(const LinkPoint& end, Cell d, const Touch& touch) const {
  const Line* host = end.hostLine;
  if (host == nullptr) return false;
  const Cell at = CellOf(end);
  const bool resting = OnLine(*host, at);
  // Docked: its host in the next cell, or past the blanks the end keeps as its gap.
  const bool docked = CountDockedEnds && !resting && OnLine(*host, at.Step(d, end.gap + 1));
  if (!resting && !docked) return false;
  switch (touch.kind) {
    case Touch::Kind::Box: {
      const auto* box = dynamic_cast<const Box*>(host->parent);
      return box != nullptr && FrameOf(*box).OnFrame(touch.cell);
    }
    case Touch::Kind::Line:
      return OnLine(*host, touch.cell);
    case Touch::Kind::Node: {
      const auto* text = dynamic_cast<const StrBox*>(host->parent);
      return text != nullptr && TextHolds(*text, touch.cell);
    }
    case Touch::Kind::None:
      break;
  }
  return true;
}

std::int32_t Judge::Nearness(const Line& line, const LinkPoint& end, Cell hand) const {
  const Cell at = CellOf(end);
  if (at == hand) return 1;
  const Cell d = Outward(line, end);
  return at.Step(d) == hand || at.Step(d, -1) == hand ? 0 : -1;
}

bool Judge::EndsAt(const Chain& chain, const Pair& counted) const {
  const Cell hands[] = {counted.first, counted.last};
  return std::any_of(chain.ends.begin(), chain.ends.end(), [&](const auto& e) {
    const Cell at = CellOf(*e.second);
    return std::any_of(std::begin(hands), std::end(hands),
                       [&](Cell hand) { return std::abs(at.column - hand.column) + std::abs(at.row - hand.row) <= 1; });
  });
}

bool Judge::LeftAsLineArt(Cell c, const Canvas& structure) const {
  if (structure.At(c.column, c.row) != ' ') return false;
  constexpr char32_t FirstBoxDrawing = 0x2500;
  constexpr char32_t LastBoxDrawing = 0x257F;
  const char32_t code = grid_.Code(c.column, c.row);
  if (code >= FirstBoxDrawing && code <= LastBoxDrawing) return true;
  const char ch = Art(c);
  if (ch == '|') return Art({c.column, c.row - 1}) == '|' || Art({c.column, c.row + 1}) == '|';
  if (ch != '-' && ch != '=') return false;
  std::int32_t run = 1;
  for (std::int32_t k = c.column - 1; Art({k, c.row}) == ch; --k) ++run;
  for (std::int32_t k = c.column + 1; Art({k, c.row}) == ch; ++k) ++run;
  constexpr std::int32_t ShortestRun = 3;
  return run >= ShortestRun;
}

void Judge::CountLeftovers(Score& score, const std::vector<virlo::ArtPlan::Piece>& listed) const {
  // What the structure draws: a text over it shows the line it lies on.
  Canvas structure = sheet_.NewCanvas();
  for (const Box* box : boxes_) box->Box::RenderText(structure);
  for (const Line* line : lines_) line->RenderText(structure);
  for (const Dot* dot : dots_) dot->RenderText(structure);
  std::set<Cell> listedCells;
  for (const virlo::ArtPlan::Piece& piece : listed) {
    for (const virlo::ArtPlan::Cell& at : piece.cells) listedCells.insert({at.column, at.row});
  }
  std::set<Cell> left;
  for (const auto& [text, cells] : texts_) {
    for (const Cell c : cells) {
      if (LeftAsLineArt(c, structure)) left.insert(c);
    }
  }
  // Each piece once: the cells that touch, across or down.
  std::set<Cell> seen;
  for (const Cell start : left) {
    if (!seen.insert(start).second) continue;
    std::vector<Cell> todo{start};
    bool isListed = false;
    std::string text;
    while (!todo.empty()) {
      const Cell at = todo.back();
      todo.pop_back();
      isListed = isListed || listedCells.contains(at);
      text += Art(at);
      for (const Cell d : {Cell{1, 0}, Cell{-1, 0}, Cell{0, 1}, Cell{0, -1}}) {
        const Cell next = at.Step(d);
        if (left.contains(next) && seen.insert(next).second) todo.push_back(next);
      }
    }
    if (isListed) continue;
    ++score.unlisted;
    score.notes.push_back("unlisted: line art " + text + " at " + Where(start) + " left as text and not listed");
  }
  // A listed piece of ASCII with a letter or digit against it ("send:"),
  // or bullets down a column, each before a word ("+ login()"), is a
  // word's; box drawing never is.
  auto alnum = [this](Cell c) { return std::isalnum(static_cast<unsigned char>(Art(c))) != 0; };
  for (const virlo::ArtPlan::Piece& piece : listed) {
    const bool ascii = std::all_of(piece.text.begin(), piece.text.end(),
                                   [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
    if (!ascii || piece.cells.empty()) continue;
    const bool against = std::any_of(piece.cells.begin(), piece.cells.end(), [&](const virlo::ArtPlan::Cell& at) {
      const Cell c{at.column, at.row};
      return alnum(c.Step({-1, 0})) || alnum(c.Step({1, 0}));
    });
    const bool bullets = std::all_of(piece.cells.begin(), piece.cells.end(), [&](const virlo::ArtPlan::Cell& at) {
      const Cell c{at.column, at.row};
      return at.column == piece.cells.front().column &&
             std::string_view("+*-").find(Art(c)) != std::string_view::npos && Art(c.Step({1, 0})) == ' ' &&
             alnum(c.Step({2, 0}));
    });
    // A "|" with another above or below it is line art, as the unlisted
    // check holds it, whatever stands against it (a ruler's ticks).
    const bool bars =
        piece.cells.size() > 1 && std::all_of(piece.cells.begin(), piece.cells.end(), [&](const auto& at) {
          return at.column == piece.cells.front().column && Art({at.column, at.row}) == '|';
        });
    // A piece down a slope ("Byte/" over "/") is a slanted line's, never a word's.
    const bool slope = std::any_of(piece.cells.begin(), piece.cells.end(),
                                   [&](const auto& at) { return at.row != piece.cells.front().row; }) &&
                       std::any_of(piece.cells.begin(), piece.cells.end(),
                                   [&](const auto& at) { return at.column != piece.cells.front().column; });
    if ((!against && !bullets) || bars || slope) continue;
    ++score.wordsListed;
    score.notes.push_back("words listed: " + piece.text + " at " + Where({piece.First().column, piece.First().row}) +
                          " is a word's, listed as line art");
  }
}

void Judge::Measure(Score& score) const {
  std::vector<const Box*> matched;
  MeasureRectangles(score, matched);
  const std::vector<Chain> chains = Chains();
  std::vector<bool> used(chains.size(), false);
  const std::vector<bool> intact = MeasureConnectors(score, chains, used);
  MeasureArrowheads(score);
  CountBoxesBeyond(score, matched);
  CountChainsBeyond(score, chains, used, intact);
  for (const Dot* dot : dots_) {
    if (dot->parent != nullptr) continue;
    ++score.standIns;
    score.notes.push_back("stand-in: dot " + Where(CellOf(*dot)) + " on no line");
  }
  score.letters = LettersAsMarkers(score.notes);
}

// Each counted rectangle is a box made with its corners, whose frame shows in the art.
void Judge::MeasureRectangles(Score& score, std::vector<const Box*>& matched) const {
  for (const Pair& counted : hand_.rectangles) {
    Verdict verdict{"rectangle " + counted.Key(), false, "no box there"};
    for (const Box* box : boxes_) {
      const Frame f = FrameOf(*box);
      if (f.first != counted.first || f.last != counted.last) continue;
      verdict.right = BoxInArt(*box);
      verdict.why = verdict.right ? "" : "its box draws other characters";
      matched.push_back(box);
      break;
    }
    score.rectangles += verdict.right ? 1 : 0;
    score.verdicts.push_back(verdict);
  }
}

std::vector<bool> Judge::MeasureConnectors(Score& score, const std::vector<Chain>& chains,
                                           std::vector<bool>& used) const {
  std::vector<bool> intact;
  for (std::size_t k = 0; k < hand_.connectors.size(); ++k) {
    const Pair& counted = hand_.connectors[k];
    const std::string why = ConnectorVerdict(counted, chains, used);
    const bool slanted = hand_.slantedConnectors[k];
    score.connectors += why.empty() ? 1 : 0;
    score.slantedConnectorsRight += why.empty() && slanted ? 1 : 0;
    score.verdicts.push_back({"connector " + counted.Key(), why.empty(), (slanted ? "slanted: " : "") + why});
    intact.push_back(why.empty());
  }
  return intact;
}

// The chain that draws a counted connector has its two free ends at the
// connector's ends; it is intact when each end holds (EndVerdict).
std::string Judge::ConnectorVerdict(const Pair& counted, const std::vector<Chain>& chains,
                                    std::vector<bool>& used) const {
  std::int32_t best = -1;
  std::int32_t bestNearness = -1;
  bool swapped = false;
  for (std::size_t i = 0; i < chains.size(); ++i) {
    const Chain& chain = chains[i];
    if (used[i] || chain.ends.size() != 2) continue;
    for (const bool swap : {false, true}) {
      const Cell a = swap ? counted.last : counted.first;
      const Cell b = swap ? counted.first : counted.last;
      const std::int32_t na = Nearness(*chain.ends[0].first, *chain.ends[0].second, a);
      const std::int32_t nb = Nearness(*chain.ends[1].first, *chain.ends[1].second, b);
      if (na < 0 || nb < 0 || na + nb <= bestNearness) continue;
      best = static_cast<std::int32_t>(i);
      bestNearness = na + nb;
      swapped = swap;
    }
  }
  if (best < 0) {
    std::string pieces;
    for (const Chain& chain : chains) {
      if (EndsAt(chain, counted)) pieces += "; " + ChainText(chain);
    }
    return "no chain from end to end" + (pieces.empty() ? std::string("; nothing ends there") : pieces);
  }
  used[static_cast<std::size_t>(best)] = true;
  const Chain& chain = chains[static_cast<std::size_t>(best)];
  for (std::size_t k = 0; k < 2; ++k) {
    const Cell hand = (k == 0) != swapped ? counted.first : counted.last;
    const std::string why = EndVerdict(chain, *chain.ends[k].first, *chain.ends[k].second, hand);
    if (!why.empty()) return why + " (" + ChainText(chain) + ")";
  }
  return "";
}

std::string Judge::EndVerdict(const Chain& chain, const Line& line, const LinkPoint& end, Cell hand) const {
  const Cell at = CellOf(end);
  const Cell d = Outward(line, end);
  const std::string name = "end " + Where(hand);
  // A counted arrowhead at the end is the end's own marker.
  const bool head = std::find(hand_.arrowheads.begin(), hand_.arrowheads.end(), hand) != hand_.arrowheads.end();
  if (head && (at != hand || Own(Alone(line), hand) != Art(hand))) return name + ": its arrowhead is not its marker";
  // An end a cell short of the counted one stops against a side or a line
  // there, and one a cell past it rests on one; anywhere else it leaves its
  // own art out or takes other art in.
  const bool stopsShort = at == hand.Step(d, -1);
  const Cell against = stopsShort ? hand : at;
  if (at != hand && BoxAt(against) == nullptr && LineAt(against, &chain) == nullptr) {
    return name + (stopsShort ? ": stops a cell short" : ": reaches a cell past it");
  }
  const Touch touch = Touched(at == hand.Step(d) ? at : hand, d, &chain);
  if (touch && !AttachedTo(end, d, touch)) return name + " touches " + touch.Text() + " but is not attached to it";
  return "";
}

// Each counted arrowhead is the own marker of a line's end at its cell,
// pointing along the line (out of it, or into it as a tail drawn the way
// the connector goes: "|>---", "---<|"). A dot on a run is no head.
void Judge::MeasureArrowheads(Score& score) const {
  for (std::size_t k = 0; k < hand_.arrowheads.size(); ++k) {
    const Cell counted = hand_.arrowheads[k];
    const bool slanted = hand_.slantedArrowheads[k];
    bool right = false;
    for (const Line* line : lines_) {
      for (const LinkPoint* end : {&line->start, &line->end}) {
        if (right || CellOf(*end) != counted) continue;
        const char art = Art(counted);
        const Cell out = Outward(*line, *end);
        const bool pointing = !IsAnyHead(art) || IsHead(art, out) || IsHead(art, {-out.column, -out.row});
        right = pointing && Own(Alone(*line), counted) == art;
      }
    }
    score.arrowheads += right ? 1 : 0;
    score.slantedArrowheadsRight += right && slanted ? 1 : 0;
    const std::string key = std::to_string(counted.column) + "," + std::to_string(counted.row);
    score.verdicts.push_back(
        {"arrowhead " + key, right, right ? "" : std::string(slanted ? "slanted: " : "") + "no line end shows it"});
  }
}

// Boxes no rectangle was counted for: compartments of a counted rectangle
// (its dividers read as frames), or inventions.
void Judge::CountBoxesBeyond(Score& score, const std::vector<const Box*>& matched) const {
  for (const Box* box : boxes_) {
    if (std::find(matched.begin(), matched.end(), box) != matched.end()) continue;
    const Frame f = FrameOf(*box);
    const std::string where = "box " + Where(f.first) + "-" + Where(f.last);
    const bool shown = BoxInArt(*box);
    const bool compartment = shown && std::any_of(hand_.rectangles.begin(), hand_.rectangles.end(), [&](const Pair& r) {
                               return Frame{r.first, r.last}.Divides(f);
                             });
    if (compartment) {
      ++score.dividers;
      score.notes.push_back("divider: " + where + ", a compartment of a counted rectangle");
    } else {
      ++score.invented;
      score.notes.push_back("invented: " + where + (shown ? ", no rectangle counted there" : ", not in the art"));
    }
  }
}

void Judge::CountChainsBeyond(Score& score, const std::vector<Chain>& chains, const std::vector<bool>& used,
                              const std::vector<bool>& intact) const {
  for (std::size_t i = 0; i < chains.size(); ++i) {
    if (used[i]) continue;
    const std::string why = Uncounted(chains[i], intact);
    if (why == "rule") {
      score.notes.push_back("rule, counted neither way: " + ChainText(chains[i]));
    } else if (why.starts_with("piece")) {
      score.notes.push_back(why + ": " + ChainText(chains[i]));
    } else if (why == "divider") {
      ++score.dividers;
      score.notes.push_back("divider: " + ChainText(chains[i]) + ", across a counted rectangle, not counted");
    } else {
      ++score.invented;
      score.notes.push_back("invented: " + ChainText(chains[i]) + ", where no connector was counted");
    }
  }
}

// "rule": one straight line touching nothing, attached to nothing, without
// a head (counted neither way); "piece of ...": it ends at an end of a counted connector not
// whole, so it is part of that one, or it runs along the frame of a counted
// rectangle; "divider": it lies across a counted rectangle, its ends on the
// frame; "" for an invention.
std::string Judge::Uncounted(const Chain& chain, const std::vector<bool>& intact) const {
  bool touches = false;
  bool heads = false;
  for (const auto& [line, end] : chain.ends) {
    const Cell at = CellOf(*end);
    touches = touches || static_cast<bool>(Touched(at, Outward(*line, *end), &chain));
    // An end attached to something touches it, whatever the art shows.
    touches = touches || end->hostLine != nullptr;
    heads = heads || IsAnyHead(Own(Alone(*line), at));
  }
  if (chain.lines.size() == 1 && !touches && !heads) return "rule";
  for (std::size_t k = 0; k < hand_.connectors.size(); ++k) {
    if (!intact[k] && EndsAt(chain, hand_.connectors[k])) return "piece of connector " + hand_.connectors[k].Key();
  }
  for (const Pair& r : hand_.rectangles) {
    const Frame f{r.first, r.last};
    // The sides of a counted rectangle no box was made for, read as lines.
    const bool sides = std::all_of(chain.lines.begin(), chain.lines.end(), [&](const Line* line) {
      const Cell a = CellOf(line->start);
      const Cell b = CellOf(line->end);
      const bool along = a.column == b.column ? a.column == f.first.column || a.column == f.last.column
                                              : a.row == f.first.row || a.row == f.last.row;
      return along && f.OnFrame(a) && f.OnFrame(b);
    });
    if (sides) return "piece of the frame of rectangle " + r.Key();
    const bool inside = std::all_of(chain.lines.begin(), chain.lines.end(), [&](const Line* line) {
      return f.Holds(CellOf(line->start)) && f.Holds(CellOf(line->end));
    });
    const bool ends = !chain.ends.empty() && std::all_of(chain.ends.begin(), chain.ends.end(), [&](const auto& e) {
      const Touch touch = Touched(CellOf(*e.second), Outward(*e.first, *e.second), &chain);
      return touch.kind == Touch::Kind::Box && f.OnFrame(touch.cell);
    });
    if (inside && ends) return "divider";
  }
  return "";
}

// A letter shown as a marker is read wrongly unless it stands at the end of
// a run of its line (or on a line, with the run on both sides) and no
// letter, digit or bracket stands beside it.
std::int32_t Judge::LettersAsMarkers(std::vector<std::string>& notes) const {
  std::int32_t wrong = 0;
  auto judge = [&](Cell at, char shown, const Line* line, bool bothSides, Cell d) {
    if (std::isalpha(static_cast<unsigned char>(shown)) == 0 || Art(at) != shown) return;
    // A character of its own shown by a letter of code page 932 ("▲" by
    // "A") is no letter.
    if (grid_.Code(at.column, at.row) >= 0x80) return;
    const bool word = IsWordChar(Art({at.column - 1, at.row})) || IsWordChar(Art({at.column + 1, at.row}));
    bool run = line != nullptr;
    if (line != nullptr) {
      const bool across = line->orientation == Line::Horizontal;
      // A head right under or beside a corner (".--+" over "v") ends its run there.
      const char before = Art(at.Step(d, -1));
      const bool afterCorner =
          !bothSides && IsHead(shown, d) && std::string_view("+.,'`").find(before) != std::string_view::npos;
      run = afterCorner || (IsRun(before, across) && (!bothSides || IsRun(Art(at.Step(d)), across)));
    }
    if (word || !run) {
      ++wrong;
      notes.push_back(std::string("letter: \"") + shown + "\" " + Where(at) + (word ? " beside a word" : " off a run"));
    }
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

// What a move of the box should take along: every free line end touching it
// (on its frame, or pointing at it from the next cell or past one blank, as
// Touched tells) and every joined end on its frame, attached or not,
// dividers' too, and every text and stand-in within its frame, labels over
// its sides too.
std::vector<std::pair<const DrawObj*, std::string>> Judge::Followers(const Box& box) const {
  const Frame f = FrameOf(box);
  std::vector<std::pair<const DrawObj*, std::string>> followers;
  for (const Line* line : lines_) {
    const Chain own{{line}, {}};
    for (const LinkPoint* end : {&line->start, &line->end}) {
      // A joined end turns a corner or crosses a side: it touches only what it lies on.
      const Touch touch =
          end->partner != nullptr ? TouchAt(CellOf(*end), &own) : Touched(CellOf(*end), Outward(*line, *end), &own);
      if (touch.kind == Touch::Kind::Box && f.OnFrame(touch.cell)) {
        followers.emplace_back(end, "line end " + Where(CellOf(*end)));
      }
    }
  }
  for (const auto& [text, cells] : texts_) {
    if (cells.empty() || !std::all_of(cells.begin(), cells.end(), [&](Cell c) { return f.Holds(c); })) continue;
    followers.emplace_back(text, "text at " + Where(cells.front()));
  }
  for (const Dot* dot : dots_) {
    if (dot->parent == nullptr && f.Holds(CellOf(*dot))) followers.emplace_back(dot, "stand-in " + Where(CellOf(*dot)));
  }
  return followers;
}

virlo::Point PositionOf(const DrawObj& obj) {
  if (const auto* box = dynamic_cast<const Box*>(&obj)) {
    const virlo::Rect frame = box->Frame();
    return {frame.left, frame.top};
  }
  return obj.GetPos();
}

// Moves the box whole, as a user does with the arrow keys: one axis at a
// time, and what lies inside goes with it.
void Shift(Box& box, std::int32_t dx, std::int32_t dy) {
  virlo::Contents contents;
  // What lies inside is found before anything moves, as a press finds it.
  contents.Of(box);
  for (const virlo::Point step : {virlo::Point{dx, 0}, virlo::Point{0, dy}}) {
    virlo::Selection selection;
    selection.moving = virlo::Selection::Moving::Shift;
    selection.contents = &contents;
    box.Move(selection, step.x, step.y);
    selection.Clear();
  }
}

void Judge::MoveBoxes(Score& score) {
  const std::int32_t dx = sheet_.cellWidth;
  const std::int32_t dy = sheet_.cellHeight;
  for (Box* box : boxes_) {
    const auto followers = Followers(*box);
    std::vector<virlo::Point> before;
    for (const auto& [obj, what] : followers) before.push_back(PositionOf(*obj));
    const Frame f = FrameOf(*box);
    Shift(*box, dx, dy);
    for (std::size_t k = 0; k < followers.size(); ++k) {
      const virlo::Point now = PositionOf(*followers[k].first);
      if (now == virlo::Point{before[k].x + dx, before[k].y + dy}) continue;
      ++score.torn;
      score.notes.push_back("left behind: " + followers[k].second + " by the box " + Where(f.first) + "-" +
                            Where(f.last));
    }
    Shift(*box, -dx, -dy);
  }
}

Score ScoreFile(const std::filesystem::path& art) {
  Score score;
  score.name = art.stem().string();
  std::filesystem::path countsPath = art;
  countsPath.replace_extension(".counts");
  if (!ReadCounts(countsPath, score.hand, score.error)) return score;
  std::string bytes;
  if (!virlo::ArtInput::ReadFile(art.string(), bytes, score.error)) return score;
  // A prefix no line starts with is a slip in the counts ("\t" written for
  // a tab), not art the importer read badly.
  const std::string& prefix = score.hand.prefix;
  if (!prefix.empty() && !bytes.starts_with(prefix) && bytes.find("\n" + prefix) == std::string::npos) {
    score.error = "no line starts with the prefix its counts give";
    return score;
  }
  virlo::ArtGrid::Options options;
  options.commentPrefix = prefix;
  virlo::ArtGrid grid;
  virlo::Document document;
  virlo::ArtImporter::Report report;
  if (!virlo::ArtInput::ReadAnyEncoding(bytes, grid, score.error, options) || !document.OnNewDocument() ||
      !virlo::ArtImporter::Import(grid, *document.sheet, report, score.error)) {
    if (score.error.empty()) score.error = "no document";
    return score;
  }
  // As the import of a file keeps them, to print back.
  virlo::ArtImporter::KeepRowsAsRead(grid, *document.sheet);
  virlo::ArtOptions render;
  render.utf8 = virlo::ArtGrid::IsUtf8(bytes);
  render.style = render.utf8 && grid.HasGlyphs() ? virlo::ArtOptions::Style::Unicode : virlo::ArtOptions::Style::Ascii;
  render.trim = true;
  render.prefix = score.hand.prefix;
  score.exact = virlo::ArtExport::Render(*document.sheet, render) == bytes;
  Judge judge(grid, *document.sheet, score.hand);
  judge.Measure(score);
  judge.CountLeftovers(score, report.leftAsText);
  judge.MoveBoxes(score);
  return score;
}

// The faults counted per diagram, by their names in the floors.
const std::pair<const char*, std::int32_t Score::*> Faults[] = {
    {"invented", &Score::invented},       {"stand-ins", &Score::standIns}, {"dividers", &Score::dividers},
    {"letters", &Score::letters},         {"left-behind", &Score::torn},   {"unlisted", &Score::unlisted},
    {"words-listed", &Score::wordsListed}};

// The floors: what the importer reads right now, thing by thing, and the
// most of each fault a diagram may have. One line each: "NAME exact",
// "NAME rectangle C,R C,R", "NAME connector C,R C,R", "NAME arrowhead C,R",
// "NAME FAULT N"; a fault not listed may not be found at all.
struct Floors {
  std::map<std::string, std::vector<std::string>> right;
  std::map<std::string, std::map<std::string, std::int32_t>> most;
};

bool ReadFloors(const std::filesystem::path& path, Floors& floors, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot read the floors " + path.string();
    return false;
  }
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line.front() == '#') continue;
    const auto space = line.find(' ');
    if (space == std::string::npos) {
      error = "not a floor: " + line;
      return false;
    }
    const std::string name = line.substr(0, space);
    const std::string rest = line.substr(space + 1);
    const auto kind = rest.substr(0, rest.find(' '));
    const bool fault =
        std::any_of(std::begin(Faults), std::end(Faults), [&](const auto& f) { return kind == f.first; });
    std::int32_t most = 0;
    const std::string number = rest.substr(std::min(rest.size(), kind.size() + 1));
    if (fault && std::from_chars(number.data(), number.data() + number.size(), most).ec == std::errc()) {
      floors.most[name][kind] = most;
    } else if (kind == "exact" || kind == "rectangle" || kind == "connector" || kind == "arrowhead") {
      floors.right[name].push_back(rest);
    } else {
      error = "not a floor: " + line;
      return false;
    }
  }
  return true;
}

std::vector<std::string> RightThings(const Score& s) {
  std::vector<std::string> things;
  if (s.exact) things.push_back("exact");
  for (const Verdict& v : s.verdicts) {
    if (v.right) things.push_back(v.thing);
  }
  return things;
}

// What falls below the floors; what rose above them is said on standard error.
std::vector<std::string> CheckFloors(const std::vector<Score>& scores, const Floors& floors) {
  std::vector<std::string> missed;
  for (const Score& s : scores) {
    const std::vector<std::string> now = RightThings(s);
    const auto right = floors.right.find(s.name);
    const std::vector<std::string> held = right == floors.right.end() ? std::vector<std::string>{} : right->second;
    for (const std::string& thing : held) {
      if (std::find(now.begin(), now.end(), thing) == now.end()) missed.push_back(s.name + " " + thing);
    }
    for (const std::string& thing : now) {
      if (std::find(held.begin(), held.end(), thing) == held.end()) {
        std::fprintf(stderr, "virlo-import-score: %s: %s is right now; raise the floors\n", s.name.c_str(),
                     thing.c_str());
      }
    }
    const auto most = floors.most.find(s.name);
    for (const auto& [kind, member] : Faults) {
      std::int32_t allowed = 0;
      if (most != floors.most.end() && most->second.contains(kind)) allowed = most->second.at(kind);
      if (s.*member > allowed) {
        missed.push_back(s.name + " " + kind + " " + std::to_string(s.*member) + " (at most " +
                         std::to_string(allowed) + ")");
      }
    }
  }
  return missed;
}

bool WriteFloors(const std::filesystem::path& path, const std::vector<Score>& scores) {
  std::ofstream out(path);
  out << "# What the importer reads right now in the published diagrams, thing by thing, and the most of\n"
         "# each fault a diagram may have (tests/import/published/README.md). The test import_published fails\n"
         "# when one of them no longer holds. Written by virlo-import-score --write-floors.\n";
  for (const Score& s : scores) {
    for (const std::string& thing : RightThings(s)) out << s.name << " " << thing << "\n";
    for (const auto& [kind, member] : Faults) {
      if (s.*member > 0) out << s.name << " " << kind << " " << s.*member << "\n";
    }
  }
  return static_cast<bool>(out);
}

double Percent(std::int64_t part, std::int64_t whole) {
  return whole == 0 ? 100.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole);
}

std::string Ratio(std::int64_t part, std::int64_t whole) { return std::to_string(part) + "/" + std::to_string(whole); }

void PrintRow(const std::vector<std::string>& cells) {
  static const int widths[] = {38, 6, 10, 10, 10, 8, 9, 8, 7, 11, 8, 12};
  std::string line = "|";
  for (std::size_t k = 0; k < cells.size(); ++k) {
    std::string cell = cells[k];
    cell.resize(std::max(cell.size(), static_cast<std::size_t>(widths[k])), ' ');
    line += " " + cell + " |";
  }
  std::puts(line.c_str());
}

void PrintTable(const std::vector<Score>& scores, Score& total, std::int64_t& exact) {
  PrintRow({"diagram", "exact", "rectangles", "connectors", "arrowheads", "invented", "stand-ins", "dividers",
            "letters", "left behind", "unlisted", "words listed"});
  std::puts(
      "|----------------------------------------|--------|------------|------------|------------|----------|"
      "-----------|----------|---------|-------------|----------|--------------|");
  for (const Score& s : scores) {
    PrintRow({s.name, s.exact ? "yes" : "no", Ratio(s.rectangles, static_cast<std::int64_t>(s.hand.rectangles.size())),
              Ratio(s.connectors, static_cast<std::int64_t>(s.hand.connectors.size())),
              Ratio(s.arrowheads, static_cast<std::int64_t>(s.hand.arrowheads.size())), std::to_string(s.invented),
              std::to_string(s.standIns), std::to_string(s.dividers), std::to_string(s.letters), std::to_string(s.torn),
              std::to_string(s.unlisted), std::to_string(s.wordsListed)});
    exact += s.exact ? 1 : 0;
    total.rectangles += s.rectangles;
    total.hand.rectangles.insert(total.hand.rectangles.end(), s.hand.rectangles.begin(), s.hand.rectangles.end());
    total.connectors += s.connectors;
    total.hand.connectors.insert(total.hand.connectors.end(), s.hand.connectors.begin(), s.hand.connectors.end());
    total.hand.slantedConnectors.insert(total.hand.slantedConnectors.end(), s.hand.slantedConnectors.begin(),
                                        s.hand.slantedConnectors.end());
    total.slantedConnectorsRight += s.slantedConnectorsRight;
    total.arrowheads += s.arrowheads;
    total.hand.arrowheads.insert(total.hand.arrowheads.end(), s.hand.arrowheads.begin(), s.hand.arrowheads.end());
    total.hand.slantedArrowheads.insert(total.hand.slantedArrowheads.end(), s.hand.slantedArrowheads.begin(),
                                        s.hand.slantedArrowheads.end());
    total.slantedArrowheadsRight += s.slantedArrowheadsRight;
    for (const auto& [kind, member] : Faults) total.*member += s.*member;
  }
}

// The totals again without the things only a slanted run reaches, and
// how many of those are right.
void PrintStraight(const Score& total) {
  const auto slanted = [](const std::vector<bool>& flags) {
    return static_cast<std::int64_t>(std::count(flags.begin(), flags.end(), true));
  };
  const std::int64_t slantedLinks = slanted(total.hand.slantedConnectors);
  const std::int64_t slantedHeads = slanted(total.hand.slantedArrowheads);
  const std::int64_t links = static_cast<std::int64_t>(total.hand.connectors.size()) - slantedLinks;
  const std::int64_t heads = static_cast<std::int64_t>(total.hand.arrowheads.size()) - slantedHeads;
  const std::int64_t linksRight = total.connectors - total.slantedConnectorsRight;
  const std::int64_t headsRight = total.arrowheads - total.slantedArrowheadsRight;
  std::printf("\nwithout slanted runs: connectors %.1f%% (%lld of %lld), arrowheads %.1f%% (%lld of %lld)\n",
              Percent(linksRight, links), static_cast<long long>(linksRight), static_cast<long long>(links),
              Percent(headsRight, heads), static_cast<long long>(headsRight), static_cast<long long>(heads));
  std::printf("slanted runs: connectors %d of %lld right, arrowheads %d of %lld right\n", total.slantedConnectorsRight,
              static_cast<long long>(slantedLinks), total.slantedArrowheadsRight, static_cast<long long>(slantedHeads));
}

void PrintDetails(const Score& s) {
  for (const Verdict& v : s.verdicts) {
    std::fprintf(stderr, "%s: %s: %s\n", s.name.c_str(), v.thing.c_str(), v.right ? "right" : v.why.c_str());
  }
  for (const std::string& note : s.notes) std::fprintf(stderr, "%s: %s\n", s.name.c_str(), note.c_str());
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
      "                          [--floors FILE] [--write-floors FILE] [--details]\n"
      "  imports every DIR/NAME.txt beside its NAME.counts and prints the measures;\n"
      "  --details gives every counted thing's verdict and what was invented, a\n"
      "  stand-in, a divider or left behind (cells are column,row);\n"
      "  --floors fails when a thing FILE lists is no longer right or a fault is\n"
      "  found more often than it allows; --write-floors writes what holds now;\n"
      "  each other option given is a target: the status is 1 when the corpus misses it\n",
      stderr);
  return ExitUsage;
}

struct Options {
  std::filesystem::path dir;
  Targets targets;
  bool details = false;
  std::filesystem::path floors;
  std::filesystem::path writeFloors;
};

bool ParseOption(std::string_view arg, const char* value, Options& options) {
  double percent = 0;
  std::int32_t count = 0;
  Targets& t = options.targets;
  if (arg == "--floors") {
    options.floors = value;
  } else if (arg == "--write-floors") {
    options.writeFloors = value;
  } else if (arg == "--exact" && ParsePercent(value, percent)) {
    t.exact = percent;
  } else if (arg == "--rectangles" && ParsePercent(value, percent)) {
    t.rectangles = percent;
  } else if (arg == "--connectors" && ParsePercent(value, percent)) {
    t.connectors = percent;
  } else if (arg == "--arrowheads" && ParsePercent(value, percent)) {
    t.arrowheads = percent;
  } else if (arg == "--invented" && ParseCount(value, count)) {
    t.invented = count;
  } else if (arg == "--letters" && ParseCount(value, count)) {
    t.letters = count;
  } else if (arg == "--torn" && ParseCount(value, count)) {
    t.torn = count;
  } else {
    return false;
  }
  return true;
}

bool ParseArguments(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--details") {
      options.details = true;
    } else if (options.dir.empty() && !arg.starts_with("--")) {
      options.dir = arg;
    } else if (i + 1 >= argc || !ParseOption(arg, argv[i + 1], options)) {
      return false;
    } else {
      ++i;
    }
  }
  return !options.dir.empty();
}

std::vector<std::string> MissedTargets(const Targets& targets, const Score& total, double exactPercent) {
  const auto percent = [](double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f%%", value);
    return std::string(text);
  };
  const double rects = Percent(total.rectangles, static_cast<std::int64_t>(total.hand.rectangles.size()));
  const double links = Percent(total.connectors, static_cast<std::int64_t>(total.hand.connectors.size()));
  const double heads = Percent(total.arrowheads, static_cast<std::int64_t>(total.hand.arrowheads.size()));
  std::vector<std::string> missed;
  if (targets.exact && exactPercent < *targets.exact) missed.push_back("byte-exact " + percent(exactPercent));
  if (targets.rectangles && rects < *targets.rectangles) missed.push_back("rectangles " + percent(rects));
  if (targets.connectors && links < *targets.connectors) missed.push_back("connectors " + percent(links));
  if (targets.arrowheads && heads < *targets.arrowheads) missed.push_back("arrowheads " + percent(heads));
  if (targets.invented && total.invented > *targets.invented) {
    missed.push_back(std::to_string(total.invented) + " invented boxes and lines");
  }
  if (targets.letters && total.letters > *targets.letters) {
    missed.push_back(std::to_string(total.letters) + " letters read as markers");
  }
  if (targets.torn && total.torn > *targets.torn) {
    missed.push_back(std::to_string(total.torn) + " left behind by moves");
  }
  return missed;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseArguments(argc, argv, options)) return Usage();
  std::vector<std::filesystem::path> arts;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(options.dir, ec)) {
    if (entry.path().extension() == ".txt") arts.push_back(entry.path());
  }
  if (ec || arts.empty()) {
    std::fprintf(stderr, "virlo-import-score: no art in '%s'\n", options.dir.string().c_str());
    return ExitUsage;
  }
  std::sort(arts.begin(), arts.end());
  virlo::StartStore();
  std::vector<Score> scores;
  for (const auto& art : arts) {
    scores.push_back(ScoreFile(art));
    if (!scores.back().error.empty()) {
      std::fprintf(stderr, "virlo-import-score: %s: %s\n", scores.back().name.c_str(), scores.back().error.c_str());
      return ExitUsage;
    }
  }
  Score total;
  std::int64_t exact = 0;
  PrintTable(scores, total, exact);
  const double exactPercent = Percent(exact, static_cast<std::int64_t>(scores.size()));
  char percent[4][32];
  std::snprintf(percent[0], sizeof percent[0], "%.1f%%", exactPercent);
  std::snprintf(percent[1], sizeof percent[1], "%.1f%%",
                Percent(total.rectangles, static_cast<std::int64_t>(total.hand.rectangles.size())));
  std::snprintf(percent[2], sizeof percent[2], "%.1f%%",
                Percent(total.connectors, static_cast<std::int64_t>(total.hand.connectors.size())));
  std::snprintf(percent[3], sizeof percent[3], "%.1f%%",
                Percent(total.arrowheads, static_cast<std::int64_t>(total.hand.arrowheads.size())));
  PrintRow({"total (" + std::to_string(scores.size()) + " diagrams)", percent[0], percent[1], percent[2], percent[3],
            std::to_string(total.invented), std::to_string(total.standIns), std::to_string(total.dividers),
            std::to_string(total.letters), std::to_string(total.torn), std::to_string(total.unlisted),
            std::to_string(total.wordsListed)});
  PrintStraight(total);
  std::printf("\ndocked ends count as attached: %s\n", CountDockedEnds ? "yes" : "no (the model has no docks)");
  if (options.details) {
    for (const Score& s : scores) PrintDetails(s);
  }
  std::vector<std::string> missed = MissedTargets(options.targets, total, exactPercent);
  if (!options.floors.empty()) {
    Floors floors;
    std::string error;
    if (!ReadFloors(options.floors, floors, error)) {
      std::fprintf(stderr, "virlo-import-score: %s\n", error.c_str());
      return ExitUsage;
    }
    for (const std::string& what : CheckFloors(scores, floors)) missed.push_back("below the floors: " + what);
  }
  if (!options.writeFloors.empty() && !WriteFloors(options.writeFloors, scores)) {
    std::fprintf(stderr, "virlo-import-score: cannot write %s\n", options.writeFloors.string().c_str());
    return ExitUsage;
  }
  for (const std::string& what : missed) std::fprintf(stderr, "virlo-import-score: target missed: %s\n", what.c_str());
  return missed.empty() ? 0 : ExitMissed;
}
