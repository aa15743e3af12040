#include "platform/CharacterCell.h"

#include <locale.h>
#include <wchar.h>
#include <wctype.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <string_view>

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

// Blanks and invisible characters the library counts as printing.
constexpr char32_t Invisible[] = {0x00A0, 0x00AD, 0x034F, 0x115F, 0x1160, 0x2007, 0x202F, 0x2800, 0x3164, 0xFFA0};

struct Look {
  char ascii;
  std::u32string_view codes;
};
// Characters that stand for an ASCII one: arrows, box drawing, bullets.
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
    {'#', U"\u25A0\u25A1\u25AA\u25AB"},
    {'x', U"\u00D7\u2715\u2716\u2717"},
};

bool Contains(std::u32string_view codes, char32_t code) { return codes.find(code) != std::u32string_view::npos; }

}  // namespace

std::int32_t CharacterCell::MarkerWidth(char32_t code) {
  if (code < 0x20 || code == 0x7F || (code >= 0x80 && code < 0xA0) || code > 0x10FFFF) return 0;
  if (std::find(std::begin(Invisible), std::end(Invisible), code) != std::end(Invisible)) return 0;
  static const Utf8Locale locale;
  bool space = false;
  const int width = locale.Width(code, space);
  if (space || width < 1) return 0;
  return width >= 2 ? 2 : 1;
}

std::string CharacterCell::Substitute(char32_t code) {
  const std::int32_t width = std::max(MarkerWidth(code), std::int32_t{1});
  if (width == 1) {
    // Box-drawing corners, tees and crossings not named above are joints.
    for (const Look& look : Looks) {
      if (Contains(look.codes, code)) return std::string(1, look.ascii);
    }
    if (code >= 0x250C && code <= 0x256C) return "+";
  }
  return std::string(static_cast<std::size_t>(width), '?');
}

std::string CharacterCell::Cp932(char32_t code, bool& exact) {
  const std::int32_t width = MarkerWidth(code);
  const std::optional<std::string> bytes = TextCodec::Utf8ToCp932(Utf8::Encode(code));
  exact = width > 0 && bytes && static_cast<std::int32_t>(bytes->size()) == width;
  return exact ? *bytes : Substitute(code);
}

}  // namespace virlo
