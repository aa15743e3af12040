#include "hostfile/BlockCensus.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/CharacterCell.h"
#include "platform/TextCodec.h"
#include "platform/Utf8.h"

namespace virlo {
namespace {

constexpr std::int32_t TabSize = 8;
// Stands in for a cell of text that is not ASCII.
constexpr char Letter = 'a';

// A box-drawing or arrow character as the ASCII that draws the same.
char Drawn(char32_t code) {
  switch (code) {
    case U'─':
    case U'━':
    case U'═':
    case U'┄':
    case U'┅':
    case U'┈':
    case U'┉':
    case U'╌':
    case U'╍':
      return '-';
    case U'│':
    case U'┃':
    case U'║':
    case U'┆':
    case U'┇':
    case U'┊':
    case U'┋':
    case U'╎':
    case U'╏':
      return '|';
    case U'←':
    case U'◀':
    case U'◄':
      return '<';
    case U'→':
    case U'▶':
    case U'►':
      return '>';
    case U'↑':
    case U'▲':
      return '^';
    case U'↓':
    case U'▼':
      return 'v';
    default:
      return code >= 0x2500 && code <= 0x257F ? '+' : '\0';
  }
}

// The art's cells, one ASCII character a cell, its prefix left out and tabs expanded.
class FlatArt {
 public:
  FlatArt(const HostFile& file, const DiagramBlock& block) {
    std::string_view bare = block.prefix;
    while (!bare.empty() && (bare.back() == ' ' || bare.back() == '\t')) bare.remove_suffix(1);
    const bool cp932 = file.GetEncoding() == HostFile::Encoding::Cp932;
    for (std::size_t line = block.first; line < block.End(); ++line) {
      std::string_view text = file.Text(line);
      std::size_t skip = 0;
      if (text.starts_with(block.prefix)) {
        skip = Width(block.prefix);
      } else if (text == bare) {
        text = {};
      }
      std::string row = Cells(text, cp932);
      rows_.push_back(skip < row.size() ? row.substr(skip) : std::string());
    }
    while (!rows_.empty() && rows_.back().find_first_not_of(' ') == std::string::npos) rows_.pop_back();
  }

  std::int32_t Rows() const { return static_cast<std::int32_t>(rows_.size()); }
  bool Glyphs() const { return glyphs_; }
  char At(std::int32_t c, std::int32_t r) const {
    if (r < 0 || r >= Rows() || c < 0) return ' ';
    const std::string& row = rows_[static_cast<std::size_t>(r)];
    return static_cast<std::size_t>(c) < row.size() ? row[static_cast<std::size_t>(c)] : ' ';
  }
  std::string_view Row(std::int32_t r) const { return rows_[static_cast<std::size_t>(r)]; }

 private:
  static std::size_t Width(std::string_view prefix) {
    std::size_t width = 0;
    for (char c : prefix) width = c == '\t' ? width + TabSize - width % TabSize : width + 1;
    return width;
  }

  std::string Cells(std::string_view text, bool cp932) {
    // ASCII without tabs, most of any art, is its own cells.
    std::size_t i = 0;
    while (i < text.size() && text[i] != '\t' && static_cast<unsigned char>(text[i]) < 0x80) ++i;
    std::string row(text.substr(0, i));
    while (i < text.size()) {
      const auto b = static_cast<unsigned char>(text[i]);
      if (b == '\t') {
        row.append(TabSize - row.size() % TabSize, ' ');
        ++i;
      } else if (b < 0x80) {
        row += static_cast<char>(b);
        ++i;
      } else if (cp932) {
        const bool pair = TextCodec::IsLeadByte(b) && i + 1 < text.size();
        row.append(pair ? 2 : 1, Letter);
        i += pair ? 2 : 1;
      } else if (const std::optional<char32_t> code = Utf8::Decode(text, i)) {
        const char drawn = Drawn(*code);
        glyphs_ = glyphs_ || (*code >= 0x2500 && *code <= 0x257F);
        row.append(drawn != '\0' ? 1 : static_cast<std::size_t>(std::max(1, CharacterCell::MarkerWidth(*code))),
                   drawn != '\0' ? drawn : Letter);
      } else {
        row += Letter;
        ++i;
      }
    }
    return row;
  }

  std::vector<std::string> rows_;
  bool glyphs_ = false;
};

bool IsAcross(char c) { return c == '-' || c == '=' || c == '+'; }
bool IsDown(char c) { return c == '|' || c == '+'; }

// A closed rectangle whose top left corner is at (c, r): the nearest corner
// to its right and below that close one.
bool IsBoxAt(const FlatArt& art, std::int32_t c, std::int32_t r) {
  if (art.At(c, r) != '+' || !IsAcross(art.At(c + 1, r)) || !IsDown(art.At(c, r + 1))) return false;
  for (std::int32_t right = c + 1; IsAcross(art.At(right, r)); ++right) {
    if (art.At(right, r) != '+' || !IsDown(art.At(right, r + 1))) continue;
    for (std::int32_t bottom = r + 1; IsDown(art.At(c, bottom)); ++bottom) {
      if (art.At(c, bottom) != '+' || art.At(right, bottom) != '+') continue;
      bool closed = true;
      for (std::int32_t k = c + 1; k < right && closed; ++k) closed = IsAcross(art.At(k, bottom));
      for (std::int32_t k = r + 1; k < bottom && closed; ++k) closed = IsDown(art.At(right, k));
      if (closed) return true;
    }
  }
  return false;
}

bool IsHead(const FlatArt& art, std::int32_t c, std::int32_t r) {
  switch (art.At(c, r)) {
    case '>':
      return IsAcross(art.At(c - 1, r));
    case '<':
      return IsAcross(art.At(c + 1, r));
    case 'v':
    case 'V':
      return IsDown(art.At(c, r - 1)) && art.At(c - 1, r) == ' ' && art.At(c + 1, r) == ' ';
    case '^':
      return IsDown(art.At(c, r + 1));
    default:
      return false;
  }
}

bool IsWordCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

BlockCensus BlockCensus::Of(const HostFile& file, const DiagramBlock& block) {
  const FlatArt art(file, block);
  BlockCensus census;
  census.rows = art.Rows();
  census.glyphs = art.Glyphs();
  for (std::int32_t r = 0; r < art.Rows(); ++r) {
    const std::string_view row = art.Row(r);
    bool inWord = false;
    for (std::size_t k = 0; k < row.size(); ++k) {
      const char c = row[k];
      const auto column = static_cast<std::int32_t>(k);
      bool head = false;
      if (c == '+') {
        census.boxes += IsBoxAt(art, column, r) ? 1 : 0;
      } else if (c == '>' || c == '<' || c == 'v' || c == 'V' || c == '^') {
        head = IsHead(art, column, r);
        census.arrowheads += head ? 1 : 0;
      }
      const bool word = !head && IsWordCharacter(c);
      census.words += word && !inWord ? 1 : 0;
      inWord = word;
    }
  }
  return census;
}

std::string BlockCensus::Summary() const {
  std::string summary = std::to_string(rows) + (rows == 1 ? " row" : " rows");
  std::string counts;
  auto count = [&counts](std::int32_t n, const char* one, const char* many) {
    if (n == 0) return;
    counts += counts.empty() ? ": " : ", ";
    counts += std::to_string(n) + " " + (n == 1 ? one : many);
  };
  count(boxes, "box", "boxes");
  count(arrowheads, "arrowhead", "arrowheads");
  count(words, "word", "words");
  return summary + counts;
}

}  // namespace virlo
