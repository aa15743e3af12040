#include "import/ArtGrid.h"

#include <algorithm>
#include <optional>

#include "import/CommentPrefix.h"
#include "platform/CharacterCell.h"
#include "platform/TextCodec.h"
#include "platform/Utf8.h"

namespace virlo {

namespace {

const ArtGrid::Cell Blank{};

bool IsBoxDrawing(char32_t code) { return code >= 0x2500 && code <= 0x257F; }

// The cells a line starts with as a prefix of tab size `tab`, tabs expanded.
std::int32_t ExpandedWidth(std::string_view text, std::int32_t tab) {
  std::int32_t width = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '\t') {
      width += tab - width % tab;
      ++i;
      continue;
    }
    if (!Utf8::Decode(text, i)) ++i;
    ++width;
  }
  return width;
}

// The cells of the comment prefix a line starts with, tabs expanded where
// the line has them, so a prefix ending in a tab keeps the columns of what
// follows it. A line that is the prefix alone is an empty line of the art,
// its trailing blanks trimmed with the prefix's.
std::int32_t SkipPrefix(std::string_view& line, const std::string& prefix, std::int32_t tab) {
  switch (CommentPrefix::Classify(line, prefix)) {
    case CommentPrefix::Line::Prefixed:
      return ExpandedWidth(prefix, tab);
    case CommentPrefix::Line::Bare:
      line = {};
      return 0;
    case CommentPrefix::Line::Other:
      break;
  }
  return 0;
}

// A line with nothing but blanks after the comment prefix (or the prefix
// without its trailing blanks).
bool IsBlankLine(std::string_view line, std::string_view prefix) {
  const CommentPrefix::Line kind = CommentPrefix::Classify(line, prefix);
  if (kind == CommentPrefix::Line::Bare) return true;
  if (kind == CommentPrefix::Line::Prefixed) line.remove_prefix(prefix.size());
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

}  // namespace

bool ArtGrid::IsUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (!Utf8::Decode(text, i)) return false;
  }
  return true;
}

const ArtGrid::Cell& ArtGrid::At(std::int32_t column, std::int32_t row) const {
  if (row < 0 || row >= rows_ || column < 0 || column >= MaxColumns) return Blank;
  return cells_[static_cast<std::size_t>(row) * MaxColumns + static_cast<std::size_t>(column)];
}

std::string ArtGrid::Row(std::int32_t row) const {
  std::string bytes;
  for (std::int32_t c = 0; c < columns_; ++c) bytes += Byte(c, row);
  bytes.erase(bytes.find_last_not_of(' ') + 1);
  return bytes;
}

std::string ArtGrid::Utf8Of(std::int32_t column, std::int32_t row) const {
  const Cell& cell = At(column, row);
  if (cell.code == 0) return {};
  std::string text = Utf8::Encode(cell.code);
  if (marks_.empty() || &cell == &Blank) return text;
  const auto found = marks_.find(Index(column, row));
  if (found != marks_.end()) text += found->second;
  return text;
}

std::string ArtGrid::RowUtf8(std::int32_t row) const {
  std::string text;
  for (std::int32_t c = 0; c < columns_; ++c) text += Utf8Of(c, row);
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

bool ArtGrid::Read(std::string_view text, const Options& options, std::string& error) {
  cells_.clear();
  marks_.clear();
  columns_ = 0;
  rows_ = 0;
  glyphs_ = 0;
  characters_ = 0;
  unknownSubstitutes_ = 0;
  lookalikeSubstitutes_ = 0;
  expandedTabs_ = 0;
  candidates_.clear();
  asRead_ = KeptRows();
  Characters characters;
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
    // Blank lines past the sheet are no part of the art; the first other
    // one ends the reading, whatever follows.
    if (number > MaxRows && IsBlankLine(line, options.commentPrefix)) {
      start = end + 1;
      continue;
    }
    if (number > MaxRows) {
      error = "the art is more than " + std::to_string(MaxRows) + " rows high; a sheet holds at most " +
              std::to_string(MaxRows);
      cells_.clear();
      rows_ = 0;
      columns_ = 0;
      return false;
    }
    if (!ReadLine(line, number, options, characters, error)) {
      cells_.clear();
      rows_ = 0;
      columns_ = 0;
      return false;
    }
    start = end + 1;
  }
  // Trailing empty rows are no part of the art.
  while (rows_ > 0 && Row(rows_ - 1).empty()) --rows_;
  cells_.resize(static_cast<std::size_t>(rows_) * MaxColumns);
  KeepRowsAsRead(options.commentPrefix, std::move(candidates_));
  candidates_.clear();
  return true;
}

void ArtGrid::KeepRowsAsRead(const std::string& prefix, std::vector<KeptRows::Row> candidates) {
  std::vector<KeptRows::Row> kept;
  for (KeptRows::Row& row : candidates) {
    if (row.row >= rows_) break;
    row.shown = RowUtf8(row.row);
    // A row whose characters took other cells than their bytes (code page
    // 932 art) does not fit, and prints as the sheet shows it.
    if (KeptRows::Fits(row) && row.bytes != row.shown) kept.push_back(std::move(row));
  }
  asRead_ = KeptRows(prefix, std::move(kept));
}

std::string ArtGrid::Decode(std::string_view line) {
  // Code page 932 is read through its Unicode characters, as UTF-8 is: bytes
  // that are no character of it become "?".
  std::string decoded = TextCodec::Cp932ToUtf8(line);
  unknownSubstitutes_ += static_cast<std::int32_t>(std::count(decoded.begin(), decoded.end(), '?') -
                                                   std::count(line.begin(), line.end(), '?'));
  return decoded;
}

bool ArtGrid::ReadLine(std::string_view line, std::int32_t number, const Options& options, Characters& characters,
                       std::string& error) {
  const std::int32_t tab = std::max(1, options.tabSize);
  // Where the art's own bytes start: a line that is not behind the prefix
  // would print behind it, so it is never given back as read.
  const CommentPrefix::Line kind = options.commentPrefix.empty() ? CommentPrefix::Line::Prefixed
                                                                 : CommentPrefix::Classify(line, options.commentPrefix);
  const std::int32_t skip = SkipPrefix(line, options.commentPrefix, tab);
  std::string decoded;
  std::size_t artStart = kind == CommentPrefix::Line::Prefixed ? options.commentPrefix.size() : std::string_view::npos;
  if (options.encoding == Encoding::Cp932) {
    if (artStart != std::string_view::npos) artStart = TextCodec::Cp932ToUtf8(line.substr(0, artStart)).size();
    decoded = Decode(line);
    line = decoded;
  }
  const std::int32_t row = rows_;
  KeptRows::Row asRead;
  asRead.row = row;
  ++rows_;
  cells_.resize(static_cast<std::size_t>(rows_) * MaxColumns);
  // The column in the line, tabs expanded, and in the art (the prefix left out).
  std::int32_t column = 0;
  std::int32_t width = 0;
  // The art's column of the last character put in this row, for the marks
  // that follow it; -1 before the first.
  std::int32_t last = -1;
  auto put = [&](const Cell& cell) {
    const std::int32_t at = column - skip;
    ++column;
    if (at < 0) return true;
    if (cell.code != 0 && cell.code != U' ') last = at;
    // Blanks past the sheet are no part of the art; anything else is, and
    // is only counted, to say how wide the line is.
    if (cell.code != U' ') width = std::max(width, at + 1);
    if (at < MaxColumns) Mutable(at, row) = cell;
    return true;
  };
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == '\t') {
      const std::int32_t next = column + tab - column % tab;
      // A tab inside the art, before more of it, becomes blanks: a
      // document holds no tab.
      if (next > skip && line.find_first_not_of(" \t", i + 1) != std::string_view::npos) ++expandedTabs_;
      if (i >= artStart) asRead.tabs.push_back(next - column);
      while (column < next) {
        put(Cell{});
      }
      ++i;
      continue;
    }
    const std::optional<char32_t> code = Utf8::Decode(line, i);
    if (!code) {
      error = "line " + std::to_string(number) + " is not UTF-8 (give --encoding cp932 for Shift JIS)";
      return false;
    }
    constexpr char32_t LastControl = 0x9F;
    // A combining mark or a joiner stays with the character before it, in
    // its cells, which hold the character as itself from then on.
    if (*code > LastControl && CharacterCell::CellWidth(*code) == 0 && last >= 0 && last < MaxColumns) {
      if (Mutable(last, row).held == Held::Wide && last + 1 < MaxColumns) Mutable(last + 1, row).held = Held::Character;
      Mutable(last, row).held = Held::Character;
      marks_[Index(last, row)] += Utf8::Encode(*code);
      continue;
    }
    if (*code < 0x80) {
      // A control character has no cell of its own on a sheet.
      const bool control = *code < 0x20 || *code == 0x7F;
      if (control) ++unknownSubstitutes_;
      put(control ? Cell{U'?', '?', Held::Byte} : Cell{*code, static_cast<char>(*code), Held::Byte});
    } else {
      auto found = characters.find(*code);
      if (found == characters.end()) {
        found = characters.emplace(*code, TextCodec::CellsOf(*code, options.encoding == Encoding::Cp932)).first;
      }
      const TextCodec::Cells& entry = found->second;
      if (entry.unknown) ++unknownSubstitutes_;
      if (entry.lookalike) ++lookalikeSubstitutes_;
      if (entry.held == Held::Character && column >= skip) {
        ++characters_;
        if (IsBoxDrawing(*code)) ++glyphs_;
      }
      const char32_t shown = entry.unknown ? U'?' : *code;
      if (entry.held == Held::Wide && CharacterCell::CellWidth(*code) == 1) {
        // Two bytes of code page 932 that a text box shows in one cell (an
        // arrow, a circle, a Greek letter): the character in the first, a
        // blank in the second, so the art's columns stay where they were
        // and the text box of the character gives the art back.
        bool exact = false;
        const std::string substitute =
            CharacterCell::Cp932(CharacterCell::Cluster{Utf8::Encode(*code), *code, 1, false}, exact);
        put(Cell{shown, substitute.empty() ? '?' : substitute.front(), Held::Character});
        put(Cell{});
        continue;
      }
      if (entry.held == Held::Character) {
        // Text holds it as itself: it takes the cells a UTF-8 terminal gives
        // it, whatever the length of its substitute in the code page (a
        // no-break space is one cell). The bytes of its substitute are what
        // the recogniser reads ("-" for "─"); one that looks blank is no
        // blank to it.
        const std::int32_t cells = CharacterCell::CellWidth(*code);
        for (std::int32_t k = 0; k < cells; ++k) {
          const auto at = static_cast<std::size_t>(k);
          const char byte = at < entry.bytes.size() && entry.bytes[at] != ' ' ? entry.bytes[at] : '?';
          put(Cell{k == 0 ? shown : 0, byte, Held::Character});
        }
        continue;
      }
      for (std::size_t k = 0; k < entry.bytes.size(); ++k) put(Cell{k == 0 ? shown : 0, entry.bytes[k], entry.held});
    }
  }
  if (width > MaxColumns) {
    error = "line " + std::to_string(number) + " of the art is " + std::to_string(width) +
            " columns wide; a sheet holds at most " + std::to_string(MaxColumns);
    return false;
  }
  columns_ = std::max(columns_, width);
  if (artStart < line.size() && (!asRead.tabs.empty() || line.back() == ' ')) {
    // Tabs and blanks at the end are the only bytes a sheet cannot hold.
    const std::string_view bytes = line.substr(artStart);
    const std::size_t content = bytes.find_last_not_of(" \t") + 1;
    if (bytes.size() - content <= static_cast<std::size_t>(MaxKeptEnding)) {
      asRead.bytes = bytes;
      candidates_.push_back(std::move(asRead));
    }
  }
  return true;
}

}  // namespace virlo
