#include "hostfile/BlockSplicer.h"

#include <algorithm>
#include <optional>

namespace virlo {
namespace {

// The old line whose shown art is the row, the one at the row's own place
// first, else the nearest; none when no line showed it.
std::optional<std::size_t> SameArt(const BlockSource& source, const std::string& row, std::size_t at) {
  const std::size_t shown = std::min(source.shown.size(), source.lines.size());
  if (at < shown && source.shown[at] == row) return at;
  for (std::size_t distance = 1; distance < shown + at; ++distance) {
    if (distance <= at && at - distance < shown && source.shown[at - distance] == row) return at - distance;
    if (at + distance < shown && source.shown[at + distance] == row) return at + distance;
  }
  return std::nullopt;
}

// A changed row behind the block's prefix; an empty row is the prefix
// without its trailing blanks, as a blank comment line is written.
std::string Compose(const std::string& prefix, const std::string& row) {
  std::string line = prefix + row;
  if (row.empty()) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
  }
  return line;
}

}  // namespace

std::vector<std::string> BlockSplicer::Lines(const BlockSource& source, const std::vector<std::string>& rows) {
  std::vector<std::string> texts;
  std::vector<std::string> ends;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (const std::optional<std::size_t> same = SameArt(source, rows[i], i)) {
      texts.push_back(source.lines[*same]);
      ends.push_back(source.ends[*same].empty() ? source.lineEnd : source.ends[*same]);
    } else {
      texts.push_back(Compose(source.block.prefix, rows[i]));
      ends.push_back(source.lineEnd);
    }
  }
  // Blank lines the block ends with are no part of the art: they stay.
  for (std::size_t j = source.lines.size() - source.blankTail; j < source.lines.size(); ++j) {
    texts.push_back(source.lines[j]);
    ends.push_back(source.ends[j].empty() ? source.lineEnd : source.ends[j]);
  }
  // The block's last line ends as it did: without a line end at the end of the file.
  if (!ends.empty() && !source.ends.empty()) ends.back() = source.ends.back();
  for (std::size_t k = 0; k < texts.size(); ++k) texts[k] += ends[k];
  return texts;
}

std::string BlockSplicer::Splice(const HostFile& now, std::size_t first, std::size_t count,
                                 const std::vector<std::string>& lines) {
  const std::string& bytes = now.Bytes();
  auto offset = [&](std::size_t line) {
    if (line >= now.LineCount()) return bytes.size();
    return static_cast<std::size_t>(now.Text(line).data() - bytes.data());
  };
  const std::size_t begin = offset(first);
  const std::size_t end = offset(first + count);
  std::string spliced;
  std::size_t size = bytes.size() - (end - begin);
  for (const std::string& line : lines) size += line.size();
  spliced.reserve(size);
  spliced.append(bytes, 0, begin);
  for (const std::string& line : lines) spliced += line;
  spliced.append(bytes, end, std::string::npos);
  return spliced;
}

}  // namespace virlo
