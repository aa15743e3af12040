#include "objects/MarkerTable.h"

namespace virlo {

// Descriptions in code page 932: join, horizontal line, vertical line, oblique
// line (twice), horizontal and vertical dotted line, black and white circle,
// left, right, up and down arrow, derivation, aggregation, association attribute.
// One entry a line, in index order.
// clang-format off
const std::array<std::string_view, MarkerTable::Count> MarkerTable::entries_ = {
    "+  \x8C\x8B\x8D\x87",
    "-  \x89\xA1\x90\xFC",
    "|  \x8F\x63\x90\xFC",
    "/  \x8E\xCE\x90\xFC",
    "\\  \x8E\xCE\x90\xFC",
    ".  \x89\xA1\x93\x5F\x90\xFC",
    ":  \x8F\x63\x93\x5F\x90\xFC",
    "*  \x8D\x95\x8A\xDB",
    "O  \x94\x92\x8A\xDB",
    "<  \x8D\xB6\x96\xEE",
    ">  \x89\x45\x96\xEE",
    "^  \x8F\xE3\x96\xEE",
    "V  \x89\xBA\x96\xEE",
    "A  \x94\x68\x90\xB6",
    "<> \x8F\x57\x96\xF1",
    "U  \x8A\xD6\x98\x41\x91\xAE\x90\xAB",
};
// clang-format on

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
  if (!IsValid(type)) return {};
  return entries_[static_cast<std::size_t>(type)];
}

std::string_view MarkerTable::MarkerText(std::int32_t type) {
  // Every object renders its markers; find each text once.
  static const auto texts = [] {
    std::array<std::string_view, Count> result;
    for (std::size_t i = 0; i < result.size(); ++i) result[i] = entries_[i].substr(0, entries_[i].find(' '));
    return result;
  }();
  if (!IsValid(type)) return {};
  return texts[static_cast<std::size_t>(type)];
}

}  // namespace virlo
