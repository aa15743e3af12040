#include "objects/MarkerTable.h"

#include <algorithm>
#include <string>

#include "platform/TextCodec.h"
#include "platform/UiText.h"

namespace virlo {

namespace {

// The markers and their descriptions, one a row in index order; the
// descriptions are also the source texts of the picker's translations.
struct Row {
  std::string_view marker;
  const char* description;
};
constexpr std::array<Row, MarkerTable::Count> rows = {{
    {"+", VIRLO_TR_NOOP("MarkerDialog", "結合")},
    {"-", VIRLO_TR_NOOP("MarkerDialog", "横線")},
    {"|", VIRLO_TR_NOOP("MarkerDialog", "縦線")},
    {"/", VIRLO_TR_NOOP("MarkerDialog", "斜線")},
    {"\\", VIRLO_TR_NOOP("MarkerDialog", "斜線")},
    {".", VIRLO_TR_NOOP("MarkerDialog", "横点線")},
    {":", VIRLO_TR_NOOP("MarkerDialog", "縦点線")},
    {"*", VIRLO_TR_NOOP("MarkerDialog", "黒丸")},
    {"O", VIRLO_TR_NOOP("MarkerDialog", "白丸")},
    {"<", VIRLO_TR_NOOP("MarkerDialog", "左矢")},
    {">", VIRLO_TR_NOOP("MarkerDialog", "右矢")},
    {"^", VIRLO_TR_NOOP("MarkerDialog", "上矢")},
    {"V", VIRLO_TR_NOOP("MarkerDialog", "下矢")},
    {"A", VIRLO_TR_NOOP("MarkerDialog", "派生")},
    {"<>", VIRLO_TR_NOOP("MarkerDialog", "集約")},
    {"U", VIRLO_TR_NOOP("MarkerDialog", "関連属性")},
}};

// An entry as the picker lists it: the marker, blanks to the third column,
// the description in code page 932.
std::string MakeEntry(std::string_view marker, const char* description) {
  std::string entry(marker);
  entry.resize(std::max<std::size_t>(entry.size() + 1, 3), ' ');
  return entry + TextCodec::Utf8ToCp932(description).value_or(std::string());
}

}  // namespace

std::int32_t MarkerTable::ArrowOf(char32_t code) {
  struct Arrow {
    std::int32_t type;
    std::u32string_view codes;
  };
  static constexpr Arrow arrows[] = {
      {LeftArrow, U"<\u2190\u21D0\u25C0\u25C1\u25C2\u25C3\u25C4\u25C5\u2B05\u27F5"},
      {RightArrow, U">\u2192\u21D2\u25B6\u25B7\u25B8\u25B9\u25BA\u25BB\u27A1\u2794\u27F6\u2B95"},
      {UpArrow, U"^\u2191\u21D1\u25B2\u25B3\u25B4\u25B5\u2B06"},
      {DownArrow, U"vV\u2193\u21D3\u25BC\u25BD\u25BE\u25BF\u2B07"},
  };
  for (const Arrow& arrow : arrows) {
    if (arrow.codes.find(code) != std::u32string_view::npos) return arrow.type;
  }
  return Character;
}

std::string_view MarkerTable::Entry(std::int32_t type) {
  static const auto entries = [] {
    std::array<std::string, Count> made;
    for (std::size_t i = 0; i < made.size(); ++i) made[i] = MakeEntry(rows[i].marker, rows[i].description);
    return made;
  }();
  if (!IsValid(type)) return {};
  return entries[static_cast<std::size_t>(type)];
}

std::string_view MarkerTable::CharacterEntry() {
  static const std::string entry = MakeEntry("", VIRLO_TR_NOOP("MarkerDialog", "文字"));
  return entry;
}

std::string_view MarkerTable::MarkerText(std::int32_t type) {
  // Every object renders its markers; find each text once.
  static const auto texts = [] {
    std::array<std::string_view, Count> result;
    for (std::size_t i = 0; i < result.size(); ++i) result[i] = rows[i].marker;
    return result;
  }();
  if (!IsValid(type)) return {};
  return texts[static_cast<std::size_t>(type)];
}

}  // namespace virlo
