#include "import/CommentPrefix.h"

#include <algorithm>
#include <vector>

namespace virlo {
namespace {

// A marker stands before the shorter ones it starts with, so "///" is not read
// as "//" and a third "/", nor ";;" as ";".
constexpr std::string_view Markers[] = {"///", "//!", "//", "---", "#", "*", "--", ";;", ";", ">"};

// A block comment's own first line, and the last lines that close it.
struct Block {
  std::string_view opening;
  std::string_view closing[2];
};
constexpr Block Blocks[] = {
    {"/**", {"*/", "**/"}},     {"/*!", {"*/", "**/"}}, {"/*", {"*/", "**/"}},
    {"\"\"\"", {"\"\"\"", ""}}, {"'''", {"'''", ""}},   {"--[[", {"]]", "--]]"}},
    {"<!--", {"-->", ""}},      {"{-", {"-}", ""}},     {"(*", {"*)", ""}},
};

bool IsBlank(char ch) { return ch == ' ' || ch == '\t'; }

std::string_view Trimmed(std::string_view line) {
  while (!line.empty() && (IsBlank(line.front()))) line.remove_prefix(1);
  while (!line.empty() && (IsBlank(line.back()) || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

// One line of the text: where it starts, and its bytes without the line end.
struct TextLine {
  std::size_t start = 0;
  std::string_view bytes;
};

// The text's lines, blank lines left out.
std::vector<TextLine> LinesWithText(std::string_view text) {
  std::vector<TextLine> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!std::all_of(line.begin(), line.end(), IsBlank)) lines.push_back({start, line});
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return lines;
}

std::string_view Indentation(std::string_view line) {
  std::size_t blanks = 0;
  while (blanks < line.size() && IsBlank(line[blanks])) ++blanks;
  return line.substr(0, blanks);
}

std::string_view Shared(std::string_view a, std::string_view b) {
  std::size_t same = 0;
  while (same < std::min(a.size(), b.size()) && a[same] == b[same]) ++same;
  return a.substr(0, same);
}

// The block comment's first and last lines, when the text's first and last
// lines that are not blank are one.
void FindBlock(std::string_view text, const std::vector<TextLine>& lines, CommentPrefix::Found& found) {
  if (lines.size() < 2) return;
  const std::string_view first = Trimmed(lines.front().bytes);
  const std::string_view last = Trimmed(lines.back().bytes);
  for (const Block& block : Blocks) {
    if (first != block.opening) continue;
    if (last != block.closing[0] && (block.closing[1].empty() || last != block.closing[1])) return;
    found.opening = std::string(lines.front().bytes);
    found.closing = std::string(lines.back().bytes);
    const std::size_t afterOpening = text.find('\n', lines.front().start);
    found.artStart = afterOpening == std::string_view::npos ? text.size() : afterOpening + 1;
    found.artEnd = lines.back().start;
    return;
  }
}

}  // namespace

CommentPrefix::Found CommentPrefix::Find(std::string_view text) {
  Found found;
  std::vector<TextLine> lines = LinesWithText(text);
  FindBlock(text, lines, found);
  if (found.HasBlock()) lines = std::vector<TextLine>(lines.begin() + 1, lines.end() - 1);
  if (lines.empty()) return found;
  // The indentation every line shares.
  std::string_view indentation = Indentation(lines.front().bytes);
  for (const TextLine& line : lines) indentation = Shared(indentation, Indentation(line.bytes));
  found.prefix = std::string(indentation);
  for (std::string_view marker : Markers) {
    bool every = true;
    // The blanks after the marker every line with art after it starts with.
    bool any = false;
    std::string_view blanks;
    for (const TextLine& line : lines) {
      // The marker stands right after the same indentation on every line.
      if (Indentation(line.bytes).size() != indentation.size() ||
          line.bytes.substr(indentation.size(), marker.size()) != marker) {
        every = false;
        break;
      }
      const std::string_view rest = line.bytes.substr(indentation.size() + marker.size());
      if (rest.empty()) continue;
      if (!IsBlank(rest.front())) {
        every = false;
        break;
      }
      // A line of the marker and blanks is an empty line of the art.
      if (std::all_of(rest.begin(), rest.end(), IsBlank)) continue;
      blanks = any ? Shared(blanks, Indentation(rest)) : Indentation(rest);
      any = true;
    }
    if (!every) continue;
    found.prefix = std::string(indentation) + std::string(marker) + (any ? std::string(blanks) : std::string(" "));
    found.marker = true;
    return found;
  }
  return found;
}

CommentPrefix::Line CommentPrefix::Classify(std::string_view line, std::string_view prefix) {
  if (prefix.empty()) return Line::Other;
  if (line.starts_with(prefix)) return Line::Prefixed;
  std::string_view bare = prefix;
  while (!bare.empty() && IsBlank(bare.back())) bare.remove_suffix(1);
  while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
  return line == bare ? Line::Bare : Line::Other;
}

bool CommentPrefix::AnyLineHas(std::string_view text, std::string_view prefix) {
  for (const TextLine& line : LinesWithText(text)) {
    if (Classify(line.bytes, prefix) != Line::Other) return true;
  }
  return false;
}

}  // namespace virlo
