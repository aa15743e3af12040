#include "control/ArtInput.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>

#include "import/ArtGrid.h"
#include "import/ArtImporter.h"
#include "import/CommentPrefix.h"

namespace virlo {

namespace {

// Every character takes at least one column, and none is longer than this
// in either encoding: a line with more bytes than this many times a sheet's
// columns, blanks at its end aside, is wider than the sheet.
constexpr std::size_t MaxBytesPerColumn = 4;
constexpr std::size_t MaxLineBytes = MaxBytesPerColumn * static_cast<std::size_t>(ArtGrid::MaxColumns);
// The longest comment marker a prefix holds.
constexpr std::size_t MaxMarkerBytes = 3;
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
// The characters comment markers are made of.
constexpr const char* Markers = "/!#*-;>";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Whether the line, blanks at its end aside, could be a comment prefix
// alone, which reads as a blank line: blanks and a few marker characters.
bool MayBePrefixAlone(std::string_view line) {
  std::size_t lead = 0;
  while (lead < line.size() && IsBlank(line[lead])) ++lead;
  const std::string_view rest = line.substr(lead);
  return rest.size() <= MaxMarkerBytes && rest.find_first_not_of(Markers) == std::string_view::npos;
}

// Watches lines as a file is read, to tell where reading it further cannot
// change how its art is read: at a line that every prefix the art may be
// read with (the one given, or whichever the text shows) refuses, in
// either encoding, when no line before it is refused with any.
class ReadingStop {
 public:
  explicit ReadingStop(const std::string* prefix) : prefix_(prefix) {}

  // A whole line, its line feed left out; true to stop after it.
  bool Line(std::string_view line) {
    ++number_;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const bool stop = SurelyRefused(line);
    if (!stop && MayBeRefused(line)) undecided_ = true;
    return stop;
  }
  // Empty lines, which no reading refuses.
  void EmptyLines(std::size_t count) { number_ += static_cast<std::int64_t>(count); }
  // The line being read, not ended yet: true when what is read of it
  // already makes it surely too wide.
  bool Partial(std::string_view line) const { return !undecided_ && Content(line, number_ + 1).least > MaxLineBytes; }

 private:
  struct Width {
    std::size_t least = 0;  // with the prefix that leaves the fewest bytes
    std::size_t most = 0;   // with none
  };

  // The bytes of the line up to its last character, with and without a prefix.
  Width Content(std::string_view line, std::int64_t number) const {
    // The first line's byte order mark goes in one encoding and stays in the other.
    if (number == 1 && line.starts_with(ByteOrderMark)) return {0, line.size()};
    std::size_t end = line.size();
    while (end > 0 && IsBlank(line[end - 1])) --end;
    if (prefix_ == nullptr) {
      // A prefix the text shows is its indentation, a marker and the blanks
      // after it: only a line with a marker after its blanks may lose bytes
      // to one, at most up to what follows the blanks after the marker.
      std::size_t lead = 0;
      while (lead < end && IsBlank(line[lead])) ++lead;
      if (MayBePrefixAlone(line.substr(0, end))) return {0, end};
      if (std::string_view(Markers).find(line[lead]) == std::string_view::npos) return {end, end};
      std::size_t art = lead;
      while (art < end && art < lead + MaxMarkerBytes &&
             std::string_view(Markers).find(line[art]) != std::string_view::npos) {
        ++art;
      }
      while (art < end && IsBlank(line[art])) ++art;
      return {end - art, end};
    }
    std::string_view rest = line;
    const CommentPrefix::Line kind = CommentPrefix::Classify(line, *prefix_);
    if (kind == CommentPrefix::Line::Prefixed) rest.remove_prefix(prefix_->size());
    if (kind == CommentPrefix::Line::Bare) rest = {};
    std::size_t content = rest.size();
    while (content > 0 && IsBlank(rest[content - 1])) --content;
    return {content, content};
  }

  bool SurelyRefused(std::string_view line) const {
    if (undecided_) return false;
    const Width width = Content(line, number_);
    return number_ > LastRow ? width.least > 0 : width.least > MaxLineBytes;
  }

  bool MayBeRefused(std::string_view line) const {
    const Width width = Content(line, number_);
    return number_ > LastRow ? width.most > 0 : width.most > MaxLineBytes;
  }

  // The last line of the file that may be a row of the art: a comment's
  // opening and closing lines are no rows of it.
  static constexpr std::int64_t LastRow = ArtGrid::MaxRows + 2;

  const std::string* prefix_;
  std::int64_t number_ = 0;
  // A line was read that some prefix or encoding refuses and another not.
  bool undecided_ = false;
};

}  // namespace

bool ArtInput::ReadFile(const std::string& path, std::string& bytes, std::string& error, const std::string* prefix) {
  bytes.clear();
  const bool standardInput = path == "-";
  if (!standardInput) {
    // A directory opens for reading on Linux; a device or pipe never ends.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
      error = std::filesystem::exists(path, ec) ? "it is not a regular file" : std::strerror(ENOENT);
      return false;
    }
  }
  std::FILE* file = standardInput ? stdin : std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = std::strerror(errno);
    return false;
  }
  // Read in pieces, each line looked at as it ends: at a line no reading of
  // the art gets past, the rest is never read.
  ReadingStop stop(prefix);
  std::size_t lineStart = 0;
  bool stopped = false;
  char buffer[1 << 16];
  std::size_t got = 0;
  while (!stopped && bytes.size() <= MaxBytes && (got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes.append(buffer, got);
    for (;;) {
      // Runs of line feeds go by at once: a file of them is the common huge input.
      const std::size_t text = std::min(bytes.find_first_not_of('\n', lineStart), bytes.size());
      stop.EmptyLines(text - lineStart);
      lineStart = text;
      const std::size_t end = bytes.find('\n', lineStart);
      if (end == std::string::npos) break;
      const std::string_view line(bytes.data() + lineStart, end - lineStart);
      lineStart = end + 1;
      if (stop.Line(line)) {
        bytes.resize(lineStart);
        stopped = true;
        break;
      }
    }
    if (!stopped && stop.Partial(std::string_view(bytes).substr(lineStart))) stopped = true;
  }
  const bool failed = std::ferror(file) != 0;
  const int readError = errno;
  if (!standardInput) std::fclose(file);
  if (failed) {
    error = std::strerror(readError);
    return false;
  }
  if (!stopped && bytes.size() > MaxBytes) {
    error = "it is longer than " + std::to_string(MaxBytes) + " bytes";
    return false;
  }
  return true;
}

bool ArtInput::ReadAnyEncoding(std::string_view bytes, ArtGrid& grid, std::string& error,
                               const ArtGrid::Options& options) {
  ArtGrid::Options chosen = options;
  // What is not UTF-8 is read in the other encoding diagrams are written in.
  // ASCII, the most of art, is UTF-8 at a glance.
  const bool ascii =
      std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  chosen.encoding = ascii || ArtGrid::IsUtf8(bytes) ? ArtGrid::Encoding::Utf8 : ArtGrid::Encoding::Cp932;
  return ReadArt(bytes, grid, error, chosen);
}

bool ArtInput::ReadArt(std::string_view bytes, ArtGrid& grid, std::string& error, const ArtGrid::Options& options) {
  // The lines are looked at as the grid reads them (one CR dropped at the
  // end, the comment prefix, a byte order mark in UTF-8), and each is kept
  // only as far as the grid would read it: its characters and the blanks
  // and tabs at its end the grid keeps as read. Past the last row only
  // blank lines may follow, and they are left out.
  const std::string_view prefix = options.commentPrefix;
  std::string kept;
  std::size_t start = 0;
  if (options.encoding == ArtGrid::Encoding::Utf8 && bytes.starts_with(ByteOrderMark)) start = ByteOrderMark.size();
  for (std::int64_t number = 1; start < bytes.size(); ++number) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::string_view rest = line;
    const CommentPrefix::Line kind = CommentPrefix::Classify(line, prefix);
    if (kind == CommentPrefix::Line::Prefixed) rest.remove_prefix(prefix.size());
    if (kind == CommentPrefix::Line::Bare) rest = {};
    std::size_t content = rest.size();
    while (content > 0 && IsBlank(rest[content - 1])) --content;
    // The blanks and tabs at the end as far as the grid keeps them as read,
    // and one more, so that a line with more is one with more still.
    const std::size_t ending = std::min(rest.size() - content, static_cast<std::size_t>(ArtGrid::MaxKeptEnding) + 1);
    if (content == 0) {
      if (number <= ArtGrid::MaxRows) {
        kept.append(line.substr(0, line.size() - rest.size() + ending));
        kept += '\n';
      }
      continue;
    }
    if (number > ArtGrid::MaxRows) {
      error = "the art is at least " + std::to_string(number) + " rows high; a sheet holds at most " +
              std::to_string(ArtGrid::MaxRows);
      return false;
    }
    if (content > MaxLineBytes) {
      error = "line " + std::to_string(number) + " of the art is more than " + std::to_string(ArtGrid::MaxColumns) +
              " columns wide; a sheet holds at most " + std::to_string(ArtGrid::MaxColumns);
      return false;
    }
    // At least one blank more than the characters, so that what is kept
    // still starts with the prefix, or not, as the whole line does, and is
    // never the prefix alone where the line was not.
    std::size_t length = std::min(line.size(), line.size() - rest.size() + content + std::max<std::size_t>(ending, 1));
    while (length < line.size() &&
           CommentPrefix::Classify(line.substr(0, length), prefix) == CommentPrefix::Line::Bare) {
      ++length;
    }
    kept.append(line.substr(0, length));
    // The grid drops one CR at the end of a line: a CR kept there stays.
    if (kept.back() == '\r') kept += '\r';
    kept += '\n';
  }
  if (options.encoding == ArtGrid::Encoding::Utf8 && bytes.starts_with(ByteOrderMark)) {
    kept.insert(0, ByteOrderMark);
  }
  return grid.Read(kept, options, error);
}

bool ArtInput::Read(std::string_view bytes, const Request& request, Art& art, std::string& error) {
  ArtGrid::Options options;
  options.tabSize = request.tabSize;
  const CommentPrefix::Found found = CommentPrefix::Find(bytes);
  art.opening = found.opening;
  art.closing = found.closing;
  bytes = found.Art(bytes);
  if (request.commentPrefix) {
    options.commentPrefix = *request.commentPrefix;
    art.prefixUnused = !options.commentPrefix.empty() && !CommentPrefix::AnyLineHas(bytes, options.commentPrefix);
  } else {
    // A comment block's prefix always goes; indentation alone only where
    // the art is placed anew, since a document holds it as its file does.
    art.commentFound = found.marker;
    if (found.marker || request.placement == Placement::AtCell) options.commentPrefix = found.prefix;
  }
  art.prefix = options.commentPrefix;
  bool read = false;
  if (request.encoding) {
    options.encoding = *request.encoding;
    read = ReadArt(bytes, art.grid, error, options);
  } else {
    read = ReadAnyEncoding(bytes, art.grid, error, options);
  }
  if (!read) return false;
  art.print.style = art.grid.HasGlyphs() ? ArtOptions::Style::Unicode : ArtOptions::Style::Ascii;
  art.print.prefix = art.prefix;
  // Placed art starts at its own first column: printed without margins, it
  // starts there again; a file's art keeps the columns it stood in.
  art.print.crop = request.placement == Placement::AtCell;
  art.print.trim = art.print.crop;
  art.placement = request.placement;
  return true;
}

bool ArtInput::Build(const Art& art, Sheet& sheet, std::int32_t column, std::int32_t row, ArtImporter::Report& report,
                     std::string& error, std::vector<DrawObj*>* made) {
  std::vector<DrawObj*> objects;
  if (!ArtImporter::ImportAt(art.grid, sheet, column, row, objects, report, error)) return false;
  if (art.placement == Placement::AsInFile && column == 0 && row == 0) ArtImporter::KeepRowsAsRead(art.grid, sheet);
  if (made != nullptr) *made = std::move(objects);
  return true;
}

}  // namespace virlo
