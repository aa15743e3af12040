#include "control/ArtInput.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>

#include "document/CPlenkoDoc.h"
#include "import/ArtGrid.h"
#include "import/ArtImporter.h"
#include "import/CommentPrefix.h"

namespace virlo {

bool ArtInput::ReadFile(const std::string& path, std::string& bytes, std::string& error) {
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
  char buffer[1 << 16];
  std::size_t got = 0;
  while (bytes.size() <= MaxBytes && (got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
  const bool failed = std::ferror(file) != 0;
  const int readError = errno;
  if (!standardInput) std::fclose(file);
  if (failed) {
    error = std::strerror(readError);
    return false;
  }
  if (bytes.size() > MaxBytes) {
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

namespace {

// Every character takes at least one column, and none is longer than this
// in either encoding: a line with more bytes than this many times a sheet's
// columns, blanks at its end aside, is wider than the sheet.
constexpr std::size_t MaxBytesPerColumn = 4;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool ArtInput::ReadArt(std::string_view bytes, ArtGrid& grid, std::string& error, const ArtGrid::Options& options) {
  // The lines are looked at as the grid reads them (one CR dropped at the
  // end, the comment prefix, a byte order mark in UTF-8), and each is kept
  // only as far as the grid would read it: up to the first blank after its
  // last character. A blank line is kept empty; past the last row only
  // blank lines may follow, and they are left out.
  const std::string_view prefix = options.commentPrefix;
  constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
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
    if (content == 0) {
      if (number <= ArtGrid::MaxRows) kept += '\n';
      continue;
    }
    if (number > ArtGrid::MaxRows) {
      error = "the art is at least " + std::to_string(number) + " rows high; a sheet holds at most " +
              std::to_string(ArtGrid::MaxRows);
      return false;
    }
    if (content > MaxBytesPerColumn * static_cast<std::size_t>(ArtGrid::MaxColumns)) {
      error = "line " + std::to_string(number) + " of the art is more than " + std::to_string(ArtGrid::MaxColumns) +
              " columns wide; a sheet holds at most " + std::to_string(ArtGrid::MaxColumns);
      return false;
    }
    // One blank more than the characters, so that what is kept still starts
    // with the prefix, or not, as the whole line does, and is never the
    // prefix alone where the line was not.
    std::size_t length = std::min(line.size(), line.size() - rest.size() + content + 1);
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

bool ArtInput::IntoNewDocument(const ArtGrid& grid, CPlenkoDoc& document, std::string& error,
                               ArtImporter::Report* report) {
  if (document.sheet == nullptr) {
    error = "the document has no sheet";
    return false;
  }
  ArtImporter::Report made;
  if (!ArtImporter::Import(grid, *document.sheet, made, error)) return false;
  document.UpdateModifiedFlag();
  if (report != nullptr) *report = std::move(made);
  return true;
}

}  // namespace virlo
