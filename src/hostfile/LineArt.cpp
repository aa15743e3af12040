#include "hostfile/LineArt.h"

#include <string>

#include "platform/TextCodec.h"

namespace virlo {
namespace {

// Stand-ins for the characters that are not ASCII: they only count as a
// letter, or end a sentence.
constexpr char Letter = 'a';

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsAlnum(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }
bool IsRun(char c) { return c == '-' || c == '=' || c == '.'; }

// The line with one ASCII character a character, in flat unless the line is
// ASCII already; false when a character that only diagrams use (box
// drawing, arrows) is met.
bool Flatten(std::string_view line, bool cp932, std::string& flat, std::string_view& out) {
  std::size_t i = 0;
  while (i < line.size() && static_cast<unsigned char>(line[i]) < 0x80) ++i;
  if (i == line.size()) {
    out = line;
    return true;
  }
  flat.assign(line.substr(0, i));
  while (i < line.size()) {
    const auto b = static_cast<unsigned char>(line[i]);
    if (b < 0x80) {
      flat += static_cast<char>(b);
      ++i;
      continue;
    }
    if (cp932) {
      if (!TextCodec::IsLeadByte(b) || i + 1 >= line.size()) {
        flat += Letter;  // half-width katakana
        ++i;
        continue;
      }
      const unsigned code = (b << 8) | static_cast<unsigned char>(line[i + 1]);
      // Box drawing, and the four arrows.
      if ((code >= 0x849F && code <= 0x84BE) || (code >= 0x81A8 && code <= 0x81AB)) return false;
      flat += code == 0x8142 ? '.' : Letter;  // 。
      i += 2;
      continue;
    }
    // UTF-8: E2 86 90..E2 87 BF arrows, E2 94 80..E2 95 BF box drawing,
    // E2 96 A0..E2 97 BF geometric shapes (heads such as ▲ ▶).
    if (b == 0xE2 && i + 2 < line.size()) {
      const auto b1 = static_cast<unsigned char>(line[i + 1]);
      const auto b2 = static_cast<unsigned char>(line[i + 2]);
      if ((b1 == 0x86 && b2 >= 0x90) || b1 == 0x87 || b1 == 0x94 || b1 == 0x95 || (b1 == 0x96 && b2 >= 0xA0) ||
          b1 == 0x97) {
        return false;
      }
    }
    const bool fullStop = line.substr(i, 3) == "\xE3\x80\x82";  // 。
    std::size_t length = 1;
    while (i + length < line.size() && (static_cast<unsigned char>(line[i + length]) & 0xC0) == 0x80) ++length;
    flat += fullStop ? '.' : Letter;
    i += length;
  }
  out = flat;
  return true;
}

char At(std::string_view s, std::ptrdiff_t i) {
  return i < 0 || i >= static_cast<std::ptrdiff_t>(s.size()) ? ' ' : s[static_cast<std::size_t>(i)];
}

// A "+" corner with a run beside it: "+--", "==+", "+-+".
bool IsCorner(std::string_view s, std::ptrdiff_t i) {
  const char r1 = At(s, i + 1);
  const char l1 = At(s, i - 1);
  if (IsRun(r1) && (At(s, i + 2) == r1 || At(s, i + 2) == '+')) return true;
  return IsRun(l1) && (At(s, i - 2) == l1 || At(s, i - 2) == '+');
}

// "|" as a side: never doubled ("||"), never inside a word ("a|b").
bool IsSide(std::string_view s, std::ptrdiff_t i) {
  const char l = At(s, i - 1);
  const char r = At(s, i + 1);
  return l != '|' && r != '|' && !(IsAlnum(l) && IsAlnum(r));
}

// An arrowhead on a run or standing between blanks: "-->", "<==", " -> ".
bool IsArrow(std::string_view s, std::ptrdiff_t i) {
  const char c = s[static_cast<std::size_t>(i)];
  if (c == '>') {
    const char run = At(s, i - 1);
    if (run != '-' && run != '=') return false;
    const char before = At(s, i - 2);
    return before == run || (IsBlank(before) && (IsBlank(At(s, i + 1)) || At(s, i + 1) == '|'));
  }
  const char run = At(s, i + 1);
  if (run != '-' && run != '=') return false;
  const char after = At(s, i + 2);
  return after == run || (IsBlank(after) && (IsBlank(At(s, i - 1)) || At(s, i - 1) == '|'));
}

// A run of three or more "-", "=", "_" or "~" starting at i.
bool IsLongRun(std::string_view s, std::size_t i) {
  const char c = s[i];
  if (c != '-' && c != '=' && c != '_' && c != '~') return false;
  return i + 2 < s.size() && s[i + 1] == c && s[i + 2] == c;
}

// The line's characters between its first and last that are no blank.
std::string_view Trimmed(std::string_view s) {
  const std::size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

// A line of nothing but heads pointing down or up ("v", "^") and sides.
bool IsHeadsAlone(std::string_view trimmed) {
  bool head = false;
  for (std::size_t i = 0; i < trimmed.size(); ++i) {
    const char c = trimmed[i];
    const bool alone = (i == 0 || IsBlank(trimmed[i - 1])) && (i + 1 == trimmed.size() || IsBlank(trimmed[i + 1]));
    if ((c == 'v' || c == 'V' || c == '^') && alone) {
      head = true;
    } else if (!IsBlank(c) && c != '|' && c != ':') {
      return false;
    }
  }
  return head;
}

}  // namespace

LineArt::Evidence LineArt::Of(std::string_view line, bool cp932) {
  thread_local std::string flat;
  std::string_view s;
  if (!Flatten(line, cp932, flat, s)) return Evidence::Drawn;
  const std::string_view trimmed = Trimmed(s);
  if (trimmed.empty()) return Evidence::None;
  if (trimmed.size() >= 3 && trimmed.find_first_not_of(trimmed.front()) == std::string_view::npos &&
      std::string_view("-=_~*#+.").find(trimmed.front()) != std::string_view::npos) {
    return Evidence::Rule;
  }
  bool weak = false;
  for (std::size_t k = 0; k < s.size(); ++k) {
    const auto i = static_cast<std::ptrdiff_t>(k);
    const char c = s[k];
    if ((c == '+' && IsCorner(s, i)) || IsLongRun(s, k)) return Evidence::Drawn;
    weak = weak || (c == '|' && IsSide(s, i)) || ((c == '>' || c == '<') && IsArrow(s, i));
  }
  return weak || IsHeadsAlone(trimmed) ? Evidence::Weak : Evidence::None;
}

bool LineArt::IsArt(std::string_view line, bool cp932) {
  const Evidence evidence = Of(line, cp932);
  return evidence == Evidence::Drawn || (evidence == Evidence::Weak && !IsProse(line, cp932));
}

bool LineArt::IsProse(std::string_view line, bool cp932) {
  thread_local std::string flat;
  std::string_view s;
  if (!Flatten(line, cp932, flat, s)) return false;
  const std::string_view trimmed = Trimmed(s);
  if (trimmed.size() >= 2 && std::string_view(".:;,?!").find(trimmed.back()) != std::string_view::npos &&
      (IsAlnum(trimmed[trimmed.size() - 2]) || trimmed[trimmed.size() - 2] == ')')) {
    return true;
  }
  // Words with one blank between: a run of three reads as a sentence.
  std::int32_t words = 0;
  std::size_t i = 0;
  while (i < trimmed.size()) {
    std::size_t end = i;
    bool letter = false;
    while (end < trimmed.size() && !IsBlank(trimmed[end])) {
      letter = letter || (trimmed[end] >= 'a' && trimmed[end] <= 'z') || (trimmed[end] >= 'A' && trimmed[end] <= 'Z');
      ++end;
    }
    words = letter ? words + 1 : 0;
    if (words >= 3) return true;
    std::size_t next = end;
    while (next < trimmed.size() && IsBlank(trimmed[next])) ++next;
    if (next - end > 1) words = 0;
    i = next;
  }
  return false;
}

}  // namespace virlo
