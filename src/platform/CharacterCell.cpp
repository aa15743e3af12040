#include "platform/CharacterCell.h"

#include <locale.h>
#include <wchar.h>
#include <wctype.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "platform/TextCodec.h"
#include "platform/Utf8.h"

namespace virlo {
namespace {

// The C library knows the widths of the characters; it answers for them in
// a UTF-8 locale, made once and used only for the question.
class Utf8Locale {
 public:
  Utf8Locale() : locale_(newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr))) {}
  ~Utf8Locale() {
    if (locale_ != static_cast<locale_t>(nullptr)) freelocale(locale_);
  }
  Utf8Locale(const Utf8Locale&) = delete;
  Utf8Locale& operator=(const Utf8Locale&) = delete;

  // -1 for a character that does not print, else its columns.
  int Width(char32_t code, bool& space) const {
    space = false;
    if (locale_ == static_cast<locale_t>(nullptr)) return code >= 0x20 && code < 0x7F ? 1 : -1;
    const locale_t previous = uselocale(locale_);
    const auto wide = static_cast<wchar_t>(code);
    const int width = wcwidth(wide);
    space = iswspace(static_cast<wint_t>(wide)) != 0;
    uselocale(previous);
    return width;
  }

 private:
  locale_t locale_;
};

const Utf8Locale& Locale() {
  static const Utf8Locale locale;
  return locale;
}

constexpr char32_t Delete = 0x7F;
constexpr char32_t LastC1 = 0x9F;
constexpr char32_t Replacement = 0xFFFD;

bool IsControl(char32_t code) { return code < 0x20 || (code >= Delete && code <= LastC1); }

// Blanks and invisible characters the library counts as printing.
constexpr char32_t Invisible[] = {0x00A0, 0x00AD, 0x034F, 0x115F, 0x1160, 0x2007, 0x202F, 0x2800, 0x3164, 0xFFA0};

// Blanks code page 932 lacks, which it writes as a blank.
constexpr std::u32string_view SpaceLooks =
    U"\u00A0\u2000\u2001\u2002\u2003\u2004\u2005\u2006\u2007\u2008\u2009\u200A\u202F\u205F";
// Blanks it holds.
constexpr std::u32string_view Blanks = U"\u0020\u3000";

struct Look {
  char ascii;
  std::u32string_view codes;
};
// Characters that stand for an ASCII one: arrows, box drawing, bullets,
// blocks, blanks, Latin letters with their marks.
constexpr Look Looks[] = {
    {'^', U"\u2191\u21D1\u25B2\u25B3\u25B4\u25B5\u2B06"},
    {'v', U"\u2193\u21D3\u25BC\u25BD\u25BE\u25BF\u2B07"},
    {'>', U"\u2192\u21D2\u25B6\u25B7\u25B8\u25B9\u25BA\u25BB\u27A1\u2794\u27F6\u2B95"},
    {'<', U"\u2190\u21D0\u25C0\u25C1\u25C2\u25C3\u25C4\u25C5\u2B05\u27F5"},
    {'.', U"\u256D\u256E\u2026\u00B7\u2027"},
    {'\'', U"\u2570\u256F\u2018\u2019"},
    {'"', U"\u201C\u201D"},
    {'=', U"\u2550"},
    {'-',
     U"\u2500\u2501\u2504\u2505\u2508\u2509\u254C\u254D\u2574\u2576\u2578\u257A\u257C\u257E\u2010\u2012\u2013"
     U"\u2014\u2015\u2212\u2194\u21D4"},
    {'|', U"\u2502\u2503\u2506\u2507\u250A\u250B\u254E\u254F\u2551\u2575\u2577\u2579\u257B\u257D\u257F\u2195\u21D5"},
    {'*', U"\u25CF\u2022\u25C9\u25C6\u2605\u2606\u25C8"},
    {'o', U"\u25CB\u25EF\u25E6\u00B0"},
    {'#', U"\u25A0\u25A1\u25AA\u25AB\u2588\u2591\u2592\u2593"},
    {'x', U"\u00D7\u2715\u2716\u2717"},
    {' ', SpaceLooks},
    {'A', U"\u00C0\u00C1\u00C2\u00C3\u00C4\u00C5"},
    {'C', U"\u00C7"},
    {'E', U"\u00C8\u00C9\u00CA\u00CB"},
    {'I', U"\u00CC\u00CD\u00CE\u00CF"},
    {'N', U"\u00D1"},
    {'O', U"\u00D2\u00D3\u00D4\u00D5\u00D6\u00D8"},
    {'U', U"\u00D9\u00DA\u00DB\u00DC"},
    {'Y', U"\u00DD"},
    {'a', U"\u00E0\u00E1\u00E2\u00E3\u00E4\u00E5"},
    {'c', U"\u00E7"},
    {'e', U"\u00E8\u00E9\u00EA\u00EB"},
    {'i', U"\u00EC\u00ED\u00EE\u00EF"},
    {'n', U"\u00F1"},
    {'o', U"\u00F2\u00F3\u00F4\u00F5\u00F6\u00F8"},
    {'u', U"\u00F9\u00FA\u00FB\u00FC"},
    {'y', U"\u00FD\u00FF"},
};

bool Contains(std::u32string_view codes, char32_t code) { return codes.find(code) != std::u32string_view::npos; }

// A character as code page 932 holds it: its bytes, and whether they are
// the character itself or only one like it ("\u301C" becomes the bytes of
// "\uFF5E", "\u00A5" those of "\\"). Answers are kept, since text asks for
// every character it holds.
struct Cp932Form {
  // Empty when the code page has no such character.
  std::string bytes;
  bool itself = false;
};

const Cp932Form& FormOf(char32_t code) {
  constexpr std::size_t MostKept = 1 << 16;
  thread_local std::unordered_map<char32_t, Cp932Form> kept;
  if (const auto found = kept.find(code); found != kept.end()) return found->second;
  if (kept.size() >= MostKept) kept.clear();
  const std::string utf8 = Utf8::Encode(code);
  Cp932Form form;
  form.bytes = TextCodec::Utf8ToCp932(utf8).value_or(std::string());
  form.itself = !form.bytes.empty() && TextCodec::Cp932ToUtf8(form.bytes) == utf8;
  return kept.emplace(code, std::move(form)).first->second;
}

// The substitute of a character in the given cells.
std::string SubstituteIn(char32_t code, std::int32_t width) {
  if (width == 1) {
    // Box-drawing corners, tees and crossings not named above are joints.
    for (const Look& look : Looks) {
      if (Contains(look.codes, code)) return std::string(1, look.ascii);
    }
    if (code >= 0x250C && code <= 0x256C) return "+";
  }
  return std::string(static_cast<std::size_t>(std::max(width, std::int32_t{1})), '?');
}

// The character's code page 932 form when its bytes fill exactly its cells.
const Cp932Form* Fitting(char32_t code, std::int32_t cells) {
  const Cp932Form& form = FormOf(code);
  return !form.bytes.empty() && static_cast<std::int32_t>(form.bytes.size()) == cells ? &form : nullptr;
}

}  // namespace

std::int32_t CharacterCell::CellWidth(char32_t code) {
  if (code >= 0x20 && code < Delete) return 1;
  if (IsControl(code)) return 0;
  bool space = false;
  const int width = Locale().Width(code, space);
  if (width == 0) return 0;
  // A character the library does not know (newer than it) takes one cell.
  return width >= 2 ? 2 : 1;
}

CharacterCell::Cluster CharacterCell::Next(std::string_view text, std::size_t& at) {
  Cluster cluster;
  const std::size_t start = at;
  if (const std::optional<char32_t> code = Utf8::Decode(text, at)) {
    cluster.base = *code;
    const std::int32_t width = CellWidth(*code);
    cluster.lone = width == 0 && !IsControl(*code);
    cluster.cells = std::max(width, std::int32_t{1});
  } else {
    cluster.base = Replacement;
    ++at;
  }
  // Marks and joiners that follow stay with it.
  while (at < text.size()) {
    std::size_t next = at;
    const std::optional<char32_t> code = Utf8::Decode(text, next);
    if (!code || IsControl(*code) || CellWidth(*code) != 0) break;
    at = next;
  }
  cluster.utf8 = text.substr(start, at - start);
  return cluster;
}

std::int32_t CharacterCell::Cells(std::string_view line) {
  std::int32_t cells = 0;
  for (std::size_t at = 0; at < line.size();) {
    const auto b = static_cast<unsigned char>(line[at]);
    // Printable ASCII takes its cell; no mark can follow without a byte of its own.
    if (b >= 0x20 && b < Delete && (at + 1 >= line.size() || static_cast<unsigned char>(line[at + 1]) < 0x80)) {
      ++cells;
      ++at;
      continue;
    }
    cells += Next(line, at).cells;
  }
  return cells;
}

bool CharacterCell::IsBlank(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const std::optional<char32_t> code = Utf8::Decode(text, at);
    if (!code) return false;
    if (*code == '\r' || *code == '\n' || CellWidth(*code) == 0) continue;
    if (Contains(Blanks, *code) || Contains(SpaceLooks, *code)) continue;
    if (std::find(std::begin(Invisible), std::end(Invisible), *code) == std::end(Invisible)) return false;
  }
  return true;
}

std::int32_t CharacterCell::MarkerWidth(char32_t code) {
  if (IsControl(code) || code > 0x10FFFF) return 0;
  if (std::find(std::begin(Invisible), std::end(Invisible), code) != std::end(Invisible)) return 0;
  bool space = false;
  const int width = Locale().Width(code, space);
  if (space || width < 1) return 0;
  return width >= 2 ? 2 : 1;
}

std::string CharacterCell::Substitute(char32_t code) { return SubstituteIn(code, MarkerWidth(code)); }

std::string CharacterCell::Cp932(char32_t code, bool& exact) {
  const std::int32_t width = MarkerWidth(code);
  const Cp932Form* form = width > 0 ? Fitting(code, width) : nullptr;
  exact = form != nullptr && form->itself;
  return form != nullptr ? form->bytes : Substitute(code);
}

std::string CharacterCell::Cp932(const Cluster& cluster, bool& exact) {
  exact = false;
  const bool single = cluster.utf8.size() == Utf8::Encode(cluster.base).size();
  if (single && cluster.base >= 0x20 && cluster.base < Delete) {
    exact = true;
    return std::string(cluster.utf8);
  }
  // A character the code page holds only as one like it is written as that
  // one, the nearest it has.
  const Cp932Form* form = cluster.lone ? nullptr : Fitting(cluster.base, cluster.cells);
  if (form == nullptr) return SubstituteIn(cluster.base, cluster.cells);
  exact = single && form->itself;
  return form->bytes;
}

}  // namespace virlo
