#include "import/CommentPrefix.h"

#include <algorithm>
#include <vector>

namespace virlo {
namespace {

// A marker stands before the shorter ones it starts with, so "///" is not read
// as "//" and a third "/", nor ";;" as ";".
constexpr std::string_view Markers[] = {"///", "//!", "//", "#", "*", "--", ";;", ";", ">"};

bool IsBlank(char ch) { return ch == ' ' || ch == '\t'; }

// The text's lines without their line ends, blank lines left out.
std::vector<std::string_view> LinesWithText(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!std::all_of(line.begin(), line.end(), IsBlank)) lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

std::string_view Indentation(std::string_view line) {
  std::size_t blanks = 0;
  while (blanks < line.size() && IsBlank(line[blanks])) ++blanks;
  return line.substr(0, blanks);
}

}  // namespace

CommentPrefix::Found CommentPrefix::Find(std::string_view text) {
  const std::vector<std::string_view> lines = LinesWithText(text);
  if (lines.empty()) return {};
  // The indentation every line shares.
  std::string_view indentation = Indentation(lines.front());
  for (std::string_view line : lines) {
    const std::string_view own = Indentation(line);
    std::size_t same = 0;
    while (same < std::min(own.size(), indentation.size()) && own[same] == indentation[same]) ++same;
    indentation = indentation.substr(0, same);
  }
  for (std::string_view marker : Markers) {
    bool every = true;
    bool blankAfter = true;
    for (std::string_view line : lines) {
      // The marker stands right after the same indentation on every line.
      if (Indentation(line).size() != indentation.size() || line.substr(indentation.size(), marker.size()) != marker) {
        every = false;
        break;
      }
      const std::string_view rest = line.substr(indentation.size() + marker.size());
      if (rest.empty()) continue;
      if (!IsBlank(rest.front())) {
        every = false;
        break;
      }
      blankAfter = blankAfter && rest.front() == ' ';
    }
    if (every) return {std::string(indentation) + std::string(marker) + (blankAfter ? " " : ""), true};
  }
  return {std::string(indentation), false};
}

CommentPrefix::Line CommentPrefix::Classify(std::string_view line, std::string_view prefix) {
  if (prefix.empty()) return Line::Other;
  if (line.starts_with(prefix)) return Line::Prefixed;
  std::string_view bare = prefix;
  while (!bare.empty() && IsBlank(bare.back())) bare.remove_suffix(1);
  return line == bare ? Line::Bare : Line::Other;
}

bool CommentPrefix::AnyLineHas(std::string_view text, std::string_view prefix) {
  for (std::string_view line : LinesWithText(text)) {
    if (Classify(line, prefix) != Line::Other) return true;
  }
  return false;
}

}  // namespace virlo
