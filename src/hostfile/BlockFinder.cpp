#include "hostfile/BlockFinder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <string_view>

#include "hostfile/LineArt.h"

namespace virlo {
namespace {

using Language = BlockFinder::Language;
using Kind = DiagramBlock::Kind;

// The comment markers of a language, as flags.
enum Markers : unsigned {
  Slashes = 1,  // "///!", "///", "//!", "//"
  Stars = 2,    // " * " and "**" inside a block comment
  Hash = 4,     // "#"
  Dashes = 8,   // "---", "--"
  Semicolons = 16,
  Percent = 32,
  Rem = 64,  // "REM", "::"
  AllMarkers = 127,
};

struct MarkerText {
  std::string_view text;
  Markers family;
};
// Longer markers first, so "///" is never read as "//" and a "/" ("///!"
// opens a module's doc comment in some Zig code).
constexpr MarkerText MarkerTable[] = {
    {"///!", Slashes}, {"///", Slashes}, {"//!", Slashes}, {"//", Slashes}, {"**", Stars},
    {"*", Stars},      {"#", Hash},      {"---", Dashes},  {"--", Dashes},  {";;", Semicolons},
    {";", Semicolons}, {"%", Percent},   {"REM", Rem},     {"rem", Rem},    {"::", Rem},
};

struct LanguageOfName {
  std::string_view extension;
  Language language;
  unsigned markers;
};
// clang-format off
constexpr LanguageOfName Languages[] = {
    {"md", Language::Markdown, 0}, {"markdown", Language::Markdown, 0}, {"mdown", Language::Markdown, 0},
    {"mkd", Language::Markdown, 0}, {"mkdn", Language::Markdown, 0}, {"mdx", Language::Markdown, 0},
    {"rmd", Language::Markdown, 0}, {"qmd", Language::Markdown, 0},
    {"rst", Language::Rest, 0}, {"rest", Language::Rest, 0},
    {"txt", Language::Text, 0}, {"text", Language::Text, 0}, {"", Language::Text, 0},
    {"c", Language::Source, Slashes | Stars}, {"h", Language::Source, Slashes | Stars},
    {"cc", Language::Source, Slashes | Stars}, {"cpp", Language::Source, Slashes | Stars},
    {"cxx", Language::Source, Slashes | Stars}, {"c++", Language::Source, Slashes | Stars},
    {"hpp", Language::Source, Slashes | Stars}, {"hh", Language::Source, Slashes | Stars},
    {"hxx", Language::Source, Slashes | Stars}, {"h++", Language::Source, Slashes | Stars},
    {"ipp", Language::Source, Slashes | Stars}, {"inl", Language::Source, Slashes | Stars},
    {"m", Language::Source, Slashes | Stars}, {"mm", Language::Source, Slashes | Stars},
    {"java", Language::Source, Slashes | Stars}, {"js", Language::Source, Slashes | Stars},
    {"mjs", Language::Source, Slashes | Stars}, {"cjs", Language::Source, Slashes | Stars},
    {"jsx", Language::Source, Slashes | Stars}, {"ts", Language::Source, Slashes | Stars},
    {"tsx", Language::Source, Slashes | Stars}, {"cs", Language::Source, Slashes | Stars},
    {"go", Language::Source, Slashes | Stars}, {"rs", Language::Source, Slashes | Stars},
    {"swift", Language::Source, Slashes | Stars}, {"kt", Language::Source, Slashes | Stars},
    {"kts", Language::Source, Slashes | Stars}, {"scala", Language::Source, Slashes | Stars},
    {"dart", Language::Source, Slashes | Stars}, {"groovy", Language::Source, Slashes | Stars},
    {"gradle", Language::Source, Slashes | Stars}, {"proto", Language::Source, Slashes | Stars},
    {"zig", Language::Source, Slashes}, {"d", Language::Source, Slashes | Stars},
    {"v", Language::Source, Slashes | Stars}, {"sv", Language::Source, Slashes | Stars},
    {"css", Language::Source, Stars}, {"scss", Language::Source, Slashes | Stars},
    {"less", Language::Source, Slashes | Stars}, {"php", Language::Source, Slashes | Stars | Hash},
    {"glsl", Language::Source, Slashes | Stars}, {"hlsl", Language::Source, Slashes | Stars},
    {"cu", Language::Source, Slashes | Stars}, {"cuh", Language::Source, Slashes | Stars},
    {"py", Language::Source, Hash}, {"pyw", Language::Source, Hash}, {"pyi", Language::Source, Hash},
    {"sh", Language::Source, Hash}, {"bash", Language::Source, Hash}, {"zsh", Language::Source, Hash},
    {"ksh", Language::Source, Hash}, {"fish", Language::Source, Hash}, {"rb", Language::Source, Hash},
    {"pl", Language::Source, Hash}, {"pm", Language::Source, Hash}, {"r", Language::Source, Hash},
    {"yaml", Language::Source, Hash}, {"yml", Language::Source, Hash}, {"toml", Language::Source, Hash},
    {"cmake", Language::Source, Hash}, {"mk", Language::Source, Hash}, {"mak", Language::Source, Hash},
    {"nix", Language::Source, Hash}, {"tf", Language::Source, Hash}, {"ex", Language::Source, Hash},
    {"exs", Language::Source, Hash}, {"jl", Language::Source, Hash}, {"ps1", Language::Source, Hash},
    {"awk", Language::Source, Hash}, {"tcl", Language::Source, Hash}, {"nim", Language::Source, Hash},
    {"cr", Language::Source, Hash}, {"coffee", Language::Source, Hash}, {"conf", Language::Source, Hash},
    {"cfg", Language::Source, Hash | Semicolons}, {"ini", Language::Source, Hash | Semicolons},
    {"lua", Language::Source, Dashes}, {"sql", Language::Source, Dashes}, {"hs", Language::Source, Dashes},
    {"elm", Language::Source, Dashes}, {"ada", Language::Source, Dashes}, {"adb", Language::Source, Dashes},
    {"ads", Language::Source, Dashes}, {"vhd", Language::Source, Dashes}, {"vhdl", Language::Source, Dashes},
    {"lisp", Language::Source, Semicolons}, {"el", Language::Source, Semicolons},
    {"clj", Language::Source, Semicolons}, {"cljs", Language::Source, Semicolons},
    {"scm", Language::Source, Semicolons}, {"rkt", Language::Source, Semicolons},
    {"asm", Language::Source, Semicolons}, {"s", Language::Source, Semicolons},
    {"tex", Language::Source, Percent}, {"sty", Language::Source, Percent}, {"cls", Language::Source, Percent},
    {"erl", Language::Source, Percent}, {"hrl", Language::Source, Percent},
    {"bat", Language::Source, Rem}, {"cmd", Language::Source, Rem},
};
// clang-format on

// Files known by their whole name.
constexpr std::string_view HashFiles[] = {"makefile", "gnumakefile", "dockerfile", "cmakelists.txt", "rakefile",
                                          "gemfile",  "vagrantfile", "build",      "workspace"};

struct FileLanguage {
  Language language = Language::Source;
  unsigned markers = AllMarkers;
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

FileLanguage LanguageOfPath(const std::string& path) {
  const std::filesystem::path name = std::filesystem::path(path).filename();
  const std::string whole = Lower(name.string());
  for (std::string_view file : HashFiles) {
    if (whole == file) return {Language::Source, Hash};
  }
  std::string extension = Lower(name.extension().string());
  if (!extension.empty()) extension.erase(0, 1);
  for (const LanguageOfName& known : Languages) {
    if (known.extension == extension) return {known.language, known.markers};
  }
  return {};
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsBlankLine(std::string_view text) { return text.find_first_not_of(" \t") == std::string_view::npos; }

std::size_t Indentation(std::string_view text) {
  std::size_t n = 0;
  while (n < text.size() && IsBlank(text[n])) ++n;
  return n;
}

// The columns of the indentation, tabs to stops of the size given.
std::size_t IndentColumns(std::string_view text, std::size_t tab) {
  std::size_t column = 0;
  for (char c : text) {
    if (c == ' ') {
      ++column;
    } else if (c == '\t') {
      column += tab - column % tab;
    } else {
      break;
    }
  }
  return column;
}

// The leading blanks all the non-blank texts share.
std::string SharedIndentation(const std::vector<std::string_view>& texts) {
  std::string_view shared;
  bool first = true;
  for (std::string_view text : texts) {
    if (IsBlankLine(text)) continue;
    const std::string_view own = text.substr(0, Indentation(text));
    if (first) {
      shared = own;
      first = false;
      continue;
    }
    std::size_t same = 0;
    while (same < std::min(own.size(), shared.size()) && own[same] == shared[same]) ++same;
    shared = shared.substr(0, same);
  }
  return std::string(shared);
}

// ---- Fences -------------------------------------------------------------

struct Fence {
  std::size_t indent = 0;  // bytes before the fence
  char mark = '`';
  std::size_t length = 0;
};

// An opening fence: blanks, three or more "`" or "~", an info string (with
// no "`" after backticks).
bool OpenFence(std::string_view text, Fence& fence) {
  const std::size_t indent = Indentation(text);
  if (indent >= text.size() || (text[indent] != '`' && text[indent] != '~')) return false;
  const char mark = text[indent];
  std::size_t end = indent;
  while (end < text.size() && text[end] == mark) ++end;
  if (end - indent < 3) return false;
  if (mark == '`' && text.find('`', end) != std::string_view::npos) return false;
  fence = {indent, mark, end - indent};
  return true;
}

bool ClosesFence(std::string_view text, const Fence& fence) {
  const std::size_t indent = Indentation(text);
  std::size_t end = indent;
  while (end < text.size() && text[end] == fence.mark) ++end;
  return end - indent >= fence.length && IsBlankLine(text.substr(end));
}

DiagramBlock FenceBlock(std::size_t open, std::size_t close, std::size_t lines, std::string prefix) {
  DiagramBlock block;
  block.kind = Kind::Fence;
  block.first = open + 1;
  block.count = std::min(close, lines) - open - 1;
  block.outerFirst = open;
  block.outerLast = std::min(close, lines - 1);
  block.prefix = std::move(prefix);
  return block;
}

// Whether any line of the block holds line art.
void MarkLineArt(const HostFile& file, DiagramBlock& block) {
  const bool cp932 = file.GetEncoding() == HostFile::Encoding::Cp932;
  for (std::size_t line = block.first; line < block.End() && !block.lineArt; ++line) {
    block.lineArt = LineArt::IsArt(file.Text(line), cp932);
  }
}

// ---- Paragraphs of comments and text ------------------------------------

// A line of a comment run or a text file: its text after the comment
// marker (the blank after it included), or the whole line.
struct Item {
  std::size_t line = 0;
  std::string_view content;
};

// How a run of items is read: the lines of a comment (the marker the
// block's prefix starts with) or of a text file.
struct Container {
  Kind kind = Kind::Paragraph;
  std::string lead;  // the indentation and marker before every item's content
  bool cp932 = false;
};

// Headings over a figure's columns ("CLIENT      SERVER"): words in two or
// more groups set far apart, which no sentence is.
bool Headings(std::string_view text) {
  constexpr std::size_t WideGap = 3;
  const std::size_t first = text.find_first_not_of(" \t");
  const std::size_t end = text.find_last_not_of(" \t");
  if (first == std::string_view::npos) return false;
  std::size_t groups = 1;
  std::size_t blanks = 0;
  for (std::size_t k = first; k <= end; ++k) {
    if (IsBlank(text[k])) {
      ++blanks;
      continue;
    }
    if (blanks >= WideGap) ++groups;
    blanks = 0;
  }
  return groups >= 2;
}

struct LineFacts {
  bool blank = false;
  bool art = false;
  bool prose = false;
};

DiagramBlock ParagraphBlock(const Container& container, const std::vector<Item>& items, std::size_t first,
                            std::size_t last) {
  DiagramBlock block;
  block.kind = container.kind;
  block.first = items[first].line;
  block.count = last - first + 1;
  block.outerFirst = block.first;
  block.outerLast = items[last].line;
  block.lineArt = true;
  std::vector<std::string_view> contents;
  for (std::size_t k = first; k <= last; ++k) contents.push_back(items[k].content);
  if (container.kind == Kind::Paragraph) {
    block.prefix = SharedIndentation(contents);
    return block;
  }
  // The blank after the marker belongs to the prefix when every line has it:
  // a space, or a tab (Go's "//\t" before preformatted lines).
  for (const char blank : {' ', '\t'}) {
    const bool every = std::all_of(contents.begin(), contents.end(), [blank](std::string_view content) {
      return IsBlankLine(content) || content.front() == blank;
    });
    if (every) {
      block.prefix = container.lead + blank;
      return block;
    }
  }
  block.prefix = container.lead;
  return block;
}

// A line of words at the edge of a block's art that belongs to the art: a
// title set in from the art's left edge, or the name a stem leaves down or
// up from (a tree's root). A sentence, ending as one, never does.
bool LabelOfArt(const std::vector<Item>& items, const std::vector<LineFacts>& facts, std::size_t begin, std::size_t k,
                std::size_t next, std::size_t artIndent) {
  if (next >= facts.size() || facts[next].blank) return false;
  const std::string_view line = items[begin + k].content;
  const std::string_view art = items[begin + next].content;
  const std::size_t end = line.find_last_not_of(" \t");
  // Deep under the art's words, continuing a node's name ("nuke" over "from
  // db; incr AS pos."), even a sentence is the art's: prose starts at the margin.
  constexpr std::size_t DeepIndent = 8;
  const std::size_t indent = Indentation(line);
  bool under = false;
  for (std::size_t column = indent; column <= end && column < art.size(); ++column) {
    under = under || (!IsBlank(art[column]) && !IsBlank(line[column]));
  }
  if (artIndent != std::string_view::npos && indent >= artIndent + DeepIndent && under) return true;
  if (std::string_view(".:;,?!").find(line[end]) != std::string_view::npos) return false;
  // Art quoted from a comment keeps that comment's marker: set in is
  // measured after what both lines start with.
  std::size_t shared = 0;
  while (shared < line.size() && shared < art.size() && line[shared] == art[shared] &&
         std::string_view(" \t/*#;%-!").find(line[shared]) != std::string_view::npos) {
    ++shared;
  }
  while (shared > 0 && !IsBlank(line[shared - 1])) --shared;
  if (Indentation(line.substr(shared)) > Indentation(art.substr(shared))) return true;
  for (std::size_t column = indent; column <= end && column < art.size(); ++column) {
    if (IsBlank(line[column])) continue;
    if (art[column] == '|' || art[column] == '`' || art.substr(column).starts_with("\u2502") ||
        art.substr(column).starts_with("\u251c") || art.substr(column).starts_with("\u2514")) {
      return true;
    }
  }
  return false;
}

// A line of a key under the art: a term and its meaning, as a list item or
// not ("- WHIP: WebRTC-HTTP Ingestion Protocol").
bool IsKey(std::string_view line) {
  std::size_t k = Indentation(line);
  if (line.substr(k, 2) == "- " || line.substr(k, 2) == "* ") k += 2;
  const std::size_t term = k;
  while (k < line.size() && !IsBlank(line[k]) && line[k] != ':') ++k;
  return k > term && k + 1 < line.size() && line[k] == ':' && IsBlank(line[k + 1]);
}

// The least indentation of the lines from first to last that are not blank;
// npos when all are.
std::size_t LeftEdge(const std::vector<Item>& items, const std::vector<LineFacts>& facts, std::size_t begin,
                     std::size_t first, std::size_t last) {
  std::size_t edge = std::string_view::npos;
  for (std::size_t k = first; k <= last; ++k) {
    if (!facts[k].blank) edge = std::min(edge, Indentation(items[begin + k].content));
  }
  return edge;
}

// A title over the art: one short line set in deep from the art's left
// edge, not ending as a sentence ends.
bool IsTitle(std::string_view line, const std::vector<Item>& items, const std::vector<LineFacts>& facts,
             std::size_t begin, std::size_t first, std::size_t last) {
  constexpr std::size_t TitleIndent = 8;
  constexpr std::size_t MostTitleWords = 6;
  const std::size_t artIndent = LeftEdge(items, facts, begin, first, last);
  const std::size_t end = line.find_last_not_of(" \t");
  if (artIndent == std::string_view::npos || end == std::string_view::npos ||
      Indentation(line) < artIndent + TitleIndent ||
      std::string_view(".:;,?!").find(line[end]) != std::string_view::npos) {
    return false;
  }
  std::size_t words = 0;
  for (std::size_t k = Indentation(line); k <= end; ++k) {
    if (!IsBlank(line[k]) && (k == 0 || IsBlank(line[k - 1]))) ++words;
  }
  return words <= MostTitleWords;
}

// The blocks among items [begin, end): paragraphs that hold line art, with
// those of mere labels between them; prose ends a block, and prose lines at
// its edges stay out.
void ParagraphBlocks(const Container& container, const std::vector<Item>& items, std::size_t begin, std::size_t end,
                     std::vector<DiagramBlock>& blocks) {
  std::vector<LineFacts> facts(end - begin);
  for (std::size_t k = begin; k < end; ++k) {
    LineFacts& f = facts[k - begin];
    f.blank = IsBlankLine(items[k].content);
    if (f.blank) continue;
    const LineArt::Evidence evidence = LineArt::Of(items[k].content, container.cp932);
    const bool words = evidence != LineArt::Evidence::Drawn && evidence != LineArt::Evidence::Rule &&
                       LineArt::IsProse(items[k].content, container.cp932);
    f.art = evidence == LineArt::Evidence::Drawn || (evidence == LineArt::Evidence::Weak && !words);
    f.prose = words && !(evidence == LineArt::Evidence::None && Headings(items[k].content));
  }
  struct Paragraph {
    std::size_t first;
    std::size_t last;
    bool art;
    bool prose;
  };
  std::vector<Paragraph> paragraphs;
  for (std::size_t k = 0; k < facts.size(); ++k) {
    if (facts[k].blank) continue;
    if (k == 0 || facts[k - 1].blank) paragraphs.push_back({k, k, false, false});
    Paragraph& p = paragraphs.back();
    p.last = k;
    p.art = p.art || facts[k].art;
    p.prose = p.prose || facts[k].prose;
  }
  std::size_t i = 0;
  // The paragraphs before i that no block took.
  std::size_t untaken = 0;
  while (i < paragraphs.size()) {
    if (!paragraphs[i].art) {
      ++i;
      continue;
    }
    std::size_t j = i;
    for (std::size_t k = i + 1; k < paragraphs.size() && (paragraphs[k].art || !paragraphs[k].prose); ++k) {
      if (paragraphs[k].art) j = k;
    }
    std::size_t first = paragraphs[i].first;
    std::size_t last = paragraphs[j].last;
    // Headings over the art's columns after one blank line are its own, and
    // so is a short title set deep in over it ("        WebRTC SFU (WHIP)")
    // that does not end as a sentence.
    bool titled = false;
    if (i > untaken) {
      const Paragraph& above = paragraphs[i - 1];
      const bool oneLine = !above.art && above.last + 2 == first && above.last == above.first;
      const std::string_view heading = items[begin + above.first].content;
      titled = oneLine && IsTitle(heading, items, facts, begin, first, last);
      if (oneLine && ((!above.prose && Headings(heading)) || titled)) first = above.first;
    }
    // Labels set under the art after one blank line, no further left than
    // it reaches, are its caption (the names under a figure's two halves).
    if (j + 1 < paragraphs.size()) {
      const Paragraph& next = paragraphs[j + 1];
      constexpr std::size_t LongestCaption = 2;
      const std::size_t artIndent = LeftEdge(items, facts, begin, first, last);
      bool underArt = true;
      for (std::size_t k = next.first; k <= next.last; ++k) {
        underArt = underArt && Indentation(items[begin + k].content) >= artIndent;
      }
      if (!next.art && !next.prose && next.first == last + 2 && next.last - next.first < LongestCaption && underArt) {
        last = next.last;
        j = j + 1;
      }
    }
    // The art's left edge: the least indentation of its lines of line art.
    std::size_t artIndent = std::string_view::npos;
    for (std::size_t k = first; k <= last; ++k) {
      if (facts[k].art) artIndent = std::min(artIndent, Indentation(items[begin + k].content));
    }
    while (!titled && facts[first].prose && !LabelOfArt(items, facts, begin, first, first + 1, artIndent)) ++first;
    // A key right under the art, no blank line between, is the art's.
    while (facts[last].prose && !LabelOfArt(items, facts, begin, last, last - 1, artIndent) &&
           !IsKey(items[begin + last].content)) {
      --last;
    }
    blocks.push_back(ParagraphBlock(container, items, begin + first, begin + last));
    i = j + 1;
    untaken = i;
  }
}

// The fences among the items, then the paragraph blocks between them.
void ContainerBlocks(const HostFile& file, const Container& container, const std::vector<Item>& items,
                     std::vector<DiagramBlock>& blocks) {
  std::size_t segment = 0;
  std::size_t k = 0;
  while (k < items.size()) {
    Fence fence;
    if (!OpenFence(items[k].content, fence)) {
      ++k;
      continue;
    }
    std::size_t close = k + 1;
    while (close < items.size() && !ClosesFence(items[close].content, fence)) ++close;
    // An unclosed fence in a comment or a text file is no fence.
    if (close == items.size()) {
      ++k;
      continue;
    }
    ParagraphBlocks(container, items, segment, k, blocks);
    const std::string prefix = container.lead + std::string(items[k].content.substr(0, fence.indent));
    DiagramBlock block = FenceBlock(items[k].line, items[close].line, file.LineCount(), prefix);
    MarkLineArt(file, block);
    blocks.push_back(std::move(block));
    segment = close + 1;
    k = close + 1;
  }
  ParagraphBlocks(container, items, segment, items.size(), blocks);
}

// ---- Comment runs -------------------------------------------------------

struct CommentStart {
  std::size_t indent = 0;
  std::string_view marker;
};

bool MayStartMarker(char c) {
  switch (c) {
    case '/':
    case '*':
    case '#':
    case '-':
    case ';':
    case '%':
    case 'R':
    case 'r':
    case ':':
      return true;
    default:
      return false;
  }
}

bool StartsMarker(std::string_view rest, std::string_view marker) {
  if (!rest.starts_with(marker)) return false;
  // The end of a block comment is none of its lines.
  return !((marker == "*" || marker == "**") && rest.size() > marker.size() && rest[marker.size()] == '/');
}

// The marker a comment line starts with, followed by a blank or nothing.
bool FindMarker(std::string_view text, unsigned markers, CommentStart& start) {
  const std::size_t indent = Indentation(text);
  const std::string_view rest = text.substr(indent);
  for (const MarkerText& marker : MarkerTable) {
    if ((markers & marker.family) == 0 || !StartsMarker(rest, marker.text)) continue;
    if (rest.size() == marker.text.size() || IsBlank(rest[marker.text.size()])) {
      start = {indent, marker.text};
      return true;
    }
  }
  return false;
}

void CommentBlocks(const HostFile& file, unsigned markers, std::vector<DiagramBlock>& blocks) {
  const bool cp932 = file.GetEncoding() == HostFile::Encoding::Cp932;
  std::size_t i = 0;
  std::vector<Item> items;
  while (i < file.LineCount()) {
    CommentStart start;
    // Most lines of a source file are code: their first character tells.
    if (!MayStartMarker(file.Leading(i)) || !FindMarker(file.Text(i), markers, start)) {
      ++i;
      continue;
    }
    const std::string_view first = file.Text(i);
    const std::string_view lead = first.substr(0, start.indent + start.marker.size());
    items.clear();
    std::size_t j = i;
    for (; j < file.LineCount(); ++j) {
      const std::string_view text = file.Text(j);
      CommentStart own;
      // Another marker of its own ("///" after "//") starts another run.
      if (!text.starts_with(lead.substr(0, start.indent)) || !StartsMarker(text.substr(start.indent), start.marker) ||
          (FindMarker(text, markers, own) && (own.indent != start.indent || own.marker != start.marker))) {
        break;
      }
      items.push_back({j, text.substr(lead.size())});
    }
    ContainerBlocks(file, Container{Kind::Comment, std::string(lead), cp932}, items, blocks);
    i = j;
  }
}

// ---- Markdown -----------------------------------------------------------

// The bytes of the block quote markers a line starts with ("> > ").
std::size_t QuoteLength(std::string_view text) {
  std::size_t at = 0;
  for (;;) {
    std::size_t k = at;
    while (k < text.size() && k - at < 3 && text[k] == ' ') ++k;
    if (k >= text.size() || text[k] != '>') return at;
    ++k;
    if (k < text.size() && IsBlank(text[k])) ++k;
    at = k;
  }
}

// Where a list item's content starts ("- ", "12. "): its byte in the text
// and its column; none when the text starts no list item.
struct ListItem {
  std::size_t bytes = 0;
  std::size_t columns = 0;
};
std::optional<ListItem> ListContent(std::string_view text) {
  const std::size_t indent = Indentation(text);
  std::size_t k = indent;
  if (k < text.size() && (text[k] == '-' || text[k] == '*' || text[k] == '+')) {
    ++k;
  } else {
    const std::size_t digits = k;
    while (k < text.size() && k - digits < 9 && text[k] >= '0' && text[k] <= '9') ++k;
    if (k == digits || k >= text.size() || (text[k] != '.' && text[k] != ')')) return std::nullopt;
    ++k;
  }
  if (k < text.size() && !IsBlank(text[k])) return std::nullopt;
  const std::size_t marker = k;
  while (k < text.size() && text[k] == ' ' && k - marker < 4) ++k;
  return ListItem{k, IndentColumns(text.substr(0, indent), 4) + (k - indent)};
}

// The prefix of a fence's lines: the block quotes and the indentation up to
// the fence, a list item's marker as blanks.
std::string FencePrefix(std::string_view text, std::size_t quote, std::size_t fenceAt) {
  std::string prefix(text.substr(0, quote));
  for (std::size_t k = quote; k < fenceAt; ++k) prefix += IsBlank(text[k]) ? text[k] : ' ';
  return prefix;
}

// An indented code block from line `at`: lines indented `columns` or more,
// blank lines inside it; the next line past it.
std::size_t IndentedBlock(const HostFile& file, std::size_t at, std::size_t columns,
                          std::vector<DiagramBlock>& blocks) {
  std::size_t last = at;
  std::size_t j = at;
  std::vector<std::string_view> texts;
  for (; j < file.LineCount(); ++j) {
    const std::string_view text = file.Text(j);
    if (IsBlankLine(text)) continue;
    if (IndentColumns(text, 4) < columns) break;
    last = j;
  }
  for (std::size_t k = at; k <= last; ++k) texts.push_back(file.Text(k));
  std::string prefix = SharedIndentation(texts);
  // The indentation beyond the block's own is the art's.
  std::size_t cut = 0;
  while (cut < prefix.size() && IndentColumns(std::string_view(prefix).substr(0, cut), 4) < columns) ++cut;
  prefix.resize(cut);
  DiagramBlock block;
  block.kind = Kind::Indented;
  block.first = at;
  block.count = last - at + 1;
  block.outerFirst = at;
  block.outerLast = last;
  block.prefix = std::move(prefix);
  MarkLineArt(file, block);
  blocks.push_back(std::move(block));
  return last + 1;
}

// A fence opening at line `at`, its content starting at byte `fenceAt`; the
// next line past its closing fence (or the end: an unclosed fence runs to
// the end of the document).
std::size_t FencedBlock(const HostFile& file, std::size_t at, std::size_t quote, std::size_t fenceAt,
                        const Fence& fence, std::vector<DiagramBlock>& blocks) {
  const std::string_view text = file.Text(at);
  std::size_t close = at + 1;
  while (close < file.LineCount()) {
    const std::string_view line = file.Text(close);
    if (ClosesFence(line.substr(std::min(QuoteLength(line), quote)), fence)) break;
    ++close;
  }
  DiagramBlock block = FenceBlock(at, close, file.LineCount(), FencePrefix(text, quote, fenceAt));
  MarkLineArt(file, block);
  blocks.push_back(std::move(block));
  return close + 1;
}

void MarkdownBlocks(const HostFile& file, std::vector<DiagramBlock>& blocks) {
  std::size_t list = 0;  // the content column of the list item the lines are in
  bool afterBlank = true;
  std::size_t i = 0;
  while (i < file.LineCount()) {
    const std::string_view text = file.Text(i);
    const std::size_t quote = QuoteLength(text);
    const std::string_view body = text.substr(quote);
    if (IsBlankLine(body)) {
      afterBlank = true;
      ++i;
      continue;
    }
    const std::size_t indent = IndentColumns(body, 4);
    if (quote == 0 && afterBlank && indent >= list + 4) {
      i = IndentedBlock(file, i, list + 4, blocks);
      afterBlank = false;
      continue;
    }
    std::size_t content = quote + Indentation(body);
    if (const std::optional<ListItem> item = ListContent(body)) {
      list = quote == 0 ? item->columns : list;
      content = quote + item->bytes;
    } else if (quote == 0 && afterBlank && indent < list) {
      list = 0;
    }
    Fence fence;
    if (OpenFence(text.substr(content), fence) && fence.indent == 0) {
      i = FencedBlock(file, i, quote, content, fence, blocks);
      afterBlank = false;
      continue;
    }
    afterBlank = false;
    ++i;
  }
}

// ---- reStructuredText ---------------------------------------------------

bool IsLiteralDirective(std::string_view text) {
  const std::string_view rest = text.substr(Indentation(text));
  for (std::string_view directive : {".. code-block::", ".. code::", ".. sourcecode::", ".. parsed-literal::"}) {
    if (rest.starts_with(directive)) return true;
  }
  return false;
}

void RestBlocks(const HostFile& file, std::vector<DiagramBlock>& blocks) {
  std::size_t i = 0;
  while (i < file.LineCount()) {
    const std::string_view text = file.Text(i);
    std::string_view trimmed = text;
    while (!trimmed.empty() && IsBlank(trimmed.back())) trimmed.remove_suffix(1);
    const bool directive = IsLiteralDirective(text);
    ++i;
    if (!directive && !trimmed.ends_with("::")) continue;
    const std::size_t indent = IndentColumns(text, 8);
    std::size_t j = i;
    // A directive's options, then the blank line before the literal text.
    while (directive && j < file.LineCount() && !IsBlankLine(file.Text(j)) &&
           file.Text(j).substr(Indentation(file.Text(j))).starts_with(":")) {
      ++j;
    }
    if (j >= file.LineCount() || !IsBlankLine(file.Text(j))) continue;
    while (j < file.LineCount() && IsBlankLine(file.Text(j))) ++j;
    if (j >= file.LineCount() || IndentColumns(file.Text(j), 8) <= indent) continue;
    std::size_t last = j;
    std::vector<std::string_view> texts;
    for (std::size_t k = j; k < file.LineCount(); ++k) {
      if (IsBlankLine(file.Text(k))) continue;
      if (IndentColumns(file.Text(k), 8) <= indent) break;
      last = k;
    }
    for (std::size_t k = j; k <= last; ++k) texts.push_back(file.Text(k));
    DiagramBlock block;
    block.kind = Kind::Literal;
    block.first = j;
    block.count = last - j + 1;
    block.outerFirst = j;
    block.outerLast = last;
    block.prefix = SharedIndentation(texts);
    MarkLineArt(file, block);
    blocks.push_back(std::move(block));
    i = last + 1;
  }
}

void TextBlocks(const HostFile& file, std::vector<DiagramBlock>& blocks) {
  std::vector<Item> items;
  items.reserve(file.LineCount());
  for (std::size_t i = 0; i < file.LineCount(); ++i) items.push_back({i, file.Text(i)});
  ContainerBlocks(file, Container{Kind::Paragraph, "", file.GetEncoding() == HostFile::Encoding::Cp932}, items, blocks);
}

std::string Lines(const DiagramBlock& block) {
  return std::to_string(block.outerFirst + 1) + "-" + std::to_string(block.outerLast + 1);
}

}  // namespace

BlockFinder::Language BlockFinder::LanguageOf(const std::string& path) { return LanguageOfPath(path).language; }

std::vector<DiagramBlock> BlockFinder::Find(const HostFile& file) {
  std::vector<DiagramBlock> blocks;
  const FileLanguage language = LanguageOfPath(file.Path());
  switch (language.language) {
    case Language::Markdown:
      MarkdownBlocks(file, blocks);
      break;
    case Language::Rest:
      RestBlocks(file, blocks);
      break;
    case Language::Text:
      TextBlocks(file, blocks);
      break;
    case Language::Source:
      CommentBlocks(file, language.markers, blocks);
      break;
  }
  return blocks;
}

const DiagramBlock* BlockFinder::At(const std::vector<DiagramBlock>& blocks, std::size_t line) {
  const auto after = std::upper_bound(blocks.begin(), blocks.end(), line,
                                      [](std::size_t at, const DiagramBlock& block) { return at < block.outerFirst; });
  if (after == blocks.begin()) return nullptr;
  const DiagramBlock& block = *(after - 1);
  return block.Holds(line) ? &block : nullptr;
}

std::string BlockFinder::NoBlockMessage(const std::vector<DiagramBlock>& blocks, std::size_t line) {
  std::string message = "line " + std::to_string(line + 1) + " is in no diagram block";
  if (blocks.empty()) return message + "; the file has none";
  const auto after = std::upper_bound(blocks.begin(), blocks.end(), line,
                                      [](std::size_t at, const DiagramBlock& block) { return at < block.outerFirst; });
  std::vector<std::string> nearest;
  if (after != blocks.begin()) nearest.push_back("lines " + Lines(*(after - 1)) + " above");
  if (after != blocks.end()) nearest.push_back("lines " + Lines(*after) + " below");
  message += "; the nearest: " + nearest.front();
  if (nearest.size() == 2) message += " and " + nearest.back();
  return message;
}

DiagramBlock BlockFinder::NewBlock(const HostFile& file, std::size_t line) {
  DiagramBlock block;
  block.first = line;
  block.outerFirst = line;
  block.outerLast = line;
  const FileLanguage language = LanguageOfPath(file.Path());
  if (language.language == Language::Markdown) {
    block.kind = DiagramBlock::Kind::Fence;
    block.first = line + 1;
    block.outerLast = line + 1;
    return block;
  }
  block.kind = DiagramBlock::Kind::Paragraph;
  if (language.language != Language::Source) return block;
  // The comment the line stands in: the one it starts, else the one above it ends.
  for (const std::size_t at : {line, line - 1}) {
    CommentStart start;
    if (at >= file.LineCount() || !FindMarker(file.Text(at), language.markers, start)) continue;
    block.kind = DiagramBlock::Kind::Comment;
    block.prefix = std::string(file.Text(at).substr(0, start.indent + start.marker.size())) + " ";
    return block;
  }
  return block;
}

}  // namespace virlo
