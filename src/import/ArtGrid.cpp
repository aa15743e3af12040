#include "import/ArtGrid.h"

#include <iconv.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <string_view>

#include "platform/TextCodec.h"
#include "platform/Utf8.h"

namespace virlo {
namespace {

enum CellKind : std::uint8_t { Plain = 0, Wide = 1, Glyph = 2 };

// Box-drawing characters that run only across, and only down; every other
// character of the block is a corner, tee or crossing.
constexpr char32_t RunsAcross[] = {0x2500, 0x2501, 0x2504, 0x2505, 0x2508, 0x2509, 0x254C, 0x254D,
                                   0x2550, 0x2574, 0x2576, 0x2578, 0x257A, 0x257C, 0x257E};
constexpr char32_t RunsDown[] = {0x2502, 0x2503, 0x2506, 0x2507, 0x250A, 0x250B, 0x254E, 0x254F,
                                 0x2551, 0x2575, 0x2577, 0x2579, 0x257B, 0x257D, 0x257F};

// Arrows and pointers, by the marker each stands for.
struct Arrow {
  char marker;
  std::u32string_view codes;
};
constexpr Arrow Arrows[] = {
    {'>', U"\u2192\u25B6\u25BA\u27A1\u2794\u27F6\u25B8\u25B9\u25B7\u21D2\u2B95"},
    {'<', U"\u2190\u25C0\u25C4\u2B05\u27F5\u25C2\u25C3\u25C1\u21D0"},
    {'^', U"\u2191\u25B2\u25B4\u25B5\u2B06\u21D1"},
    {'V', U"\u2193\u25BC\u25BE\u25BF\u2B07\u21D3"},
};

template <typename Codes>
bool Contains(const Codes& codes, char32_t code) {
  return std::find(std::begin(codes), std::end(codes), code) != std::end(codes);
}

// The line character a box-drawing character stands for: "-" for one that
// runs only across, "|" for one that runs only down, the diagonals as
// themselves, "+" for every corner, tee and crossing; nothing for a
// character of another block.
char BoxDrawing(char32_t code) {
  if (code < 0x2500 || code > 0x257F) return '\0';
  if (Contains(RunsAcross, code)) return '-';
  if (Contains(RunsDown, code)) return '|';
  if (code == 0x2571) return '/';
  if (code == 0x2572) return '\\';
  if (code == 0x2573) return 'X';
  return '+';
}

// The marker an arrow or other pointer stands for, or nothing.
char ArrowMarker(char32_t code) {
  for (const Arrow& arrow : Arrows) {
    if (Contains(arrow.codes, code)) return arrow.marker;
  }
  return '\0';
}

// Converts single characters from UTF-8 to code page 932 with one
// converter for the whole art.
class Cp932Encoder {
 public:
  Cp932Encoder() : cd_(iconv_open("CP932", "UTF-8")) {}
  ~Cp932Encoder() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Cp932Encoder(const Cp932Encoder&) = delete;
  Cp932Encoder& operator=(const Cp932Encoder&) = delete;

  std::optional<std::string> Encode(const std::string& utf8) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char buffer[8];
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t result = iconv(cd_, &in, &inLeft, &out, &outLeft);
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    if (result == static_cast<std::size_t>(-1) || inLeft != 0) return std::nullopt;
    return std::string(buffer, sizeof buffer - outLeft);
  }

 private:
  iconv_t cd_;
};

}  // namespace

bool ArtGrid::IsUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (!Utf8::Decode(text, i)) return false;
  }
  return true;
}

bool ArtGrid::Read(std::string_view text, const Options& options, std::string& error) {
  rows_.clear();
  kinds_.clear();
  columns_ = 0;
  glyphs_ = 0;
  markerSubstitutes_ = 0;
  unknownSubstitutes_ = 0;
  lookalikeSubstitutes_ = 0;
  std::int32_t number = 0;
  std::size_t start = 0;
  // A byte order mark is no part of the art.
  if (options.encoding == Encoding::Utf8 && text.substr(0, 3) == "\xEF\xBB\xBF") start = 3;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++number;
    if (!ReadLine(line, number, options, error)) return false;
    start = end + 1;
  }
  // Trailing empty rows are no part of the art either.
  while (!rows_.empty() && rows_.back().empty()) {
    rows_.pop_back();
    kinds_.pop_back();
  }
  if (Rows() > MaxRows) {
    error = "the art is " + std::to_string(Rows()) + " rows high; a sheet holds at most " + std::to_string(MaxRows);
    return false;
  }
  return true;
}

bool ArtGrid::ReadLine(std::string_view line, std::int32_t number, const Options& options, std::string& error) {
  if (!options.commentPrefix.empty()) {
    std::string_view trimmedPrefix = options.commentPrefix;
    while (!trimmedPrefix.empty() && trimmedPrefix.back() == ' ') trimmedPrefix.remove_suffix(1);
    if (line.substr(0, options.commentPrefix.size()) == options.commentPrefix) {
      line.remove_prefix(options.commentPrefix.size());
    } else if (line == trimmedPrefix) {
      // An empty line of the art, its trailing blanks trimmed with the prefix's.
      line = {};
    }
  }
  std::string row;
  std::vector<std::uint8_t> kinds;
  const auto tab = static_cast<std::size_t>(std::max(1, options.tabSize));
  auto put = [&](const std::string& bytes, std::uint8_t kind) {
    row += bytes;
    kinds.insert(kinds.end(), bytes.size(), kind);
  };
  // Code page 932 is read through its Unicode characters, as UTF-8 is: bytes
  // that are no character of it become "?".
  std::string decoded;
  if (options.encoding == Encoding::Cp932) {
    decoded = TextCodec::Cp932ToUtf8(line);
    unknownSubstitutes_ += static_cast<std::int32_t>(std::count(decoded.begin(), decoded.end(), '?') -
                                                     std::count(line.begin(), line.end(), '?'));
    line = decoded;
  }
  Cp932Encoder encoder;
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == '\t') {
      put(std::string(tab - row.size() % tab, ' '), Plain);
      ++i;
      continue;
    }
    const std::optional<char32_t> code = Utf8::Decode(line, i);
    if (!code) {
      error = "line " + std::to_string(number) + " is not UTF-8 (give --encoding cp932 for Shift JIS)";
      return false;
    }
    // A control character has no cell of its own on a sheet.
    if (*code < 0x20 || *code == 0x7F) {
      put("?", Plain);
      ++unknownSubstitutes_;
      continue;
    }
    if (const char line_char = BoxDrawing(*code); line_char != '\0') {
      put(std::string(1, line_char), Glyph);
      ++glyphs_;
      continue;
    }
    // An arrow is a line's end, whether or not code page 932 has it as text.
    if (const char marker = ArrowMarker(*code); marker != '\0') {
      put(std::string(1, marker), Plain);
      ++markerSubstitutes_;
      continue;
    }
    const std::string utf8 = Utf8::Encode(*code);
    const std::optional<std::string> bytes = encoder.Encode(utf8);
    if (bytes && !bytes->empty()) {
      put(*bytes, bytes->size() > 1 ? Wide : Plain);
      // Encoded one way only: the document will show another character.
      if (*code >= 0x80 && TextCodec::Cp932ToUtf8(*bytes) != utf8) ++lookalikeSubstitutes_;
    } else {
      put("?", Plain);
      ++unknownSubstitutes_;
    }
  }
  while (!row.empty() && row.back() == ' ') {
    row.pop_back();
    kinds.pop_back();
  }
  if (static_cast<std::int32_t>(row.size()) > MaxColumns) {
    error = "line " + std::to_string(number) + " of the art is " + std::to_string(row.size()) +
            " columns wide; a sheet holds at most " + std::to_string(MaxColumns);
    return false;
  }
  columns_ = std::max(columns_, static_cast<std::int32_t>(row.size()));
  rows_.push_back(std::move(row));
  kinds_.push_back(std::move(kinds));
  return true;
}

char ArtGrid::At(std::int32_t column, std::int32_t row) const {
  if (row < 0 || row >= Rows() || column < 0) return ' ';
  const std::string& cells = rows_[static_cast<std::size_t>(row)];
  return static_cast<std::size_t>(column) < cells.size() ? cells[static_cast<std::size_t>(column)] : ' ';
}

bool ArtGrid::IsWide(std::int32_t column, std::int32_t row) const {
  if (row < 0 || row >= Rows() || column < 0) return false;
  const auto& kinds = kinds_[static_cast<std::size_t>(row)];
  return static_cast<std::size_t>(column) < kinds.size() && kinds[static_cast<std::size_t>(column)] == Wide;
}

}  // namespace virlo
