#include "hostfile/BlockSource.h"

namespace virlo {
namespace {

// Whether the file's lines from `at` are the outer lines, ends included.
bool OuterAt(const HostFile& file, std::size_t at, const std::vector<std::string>& outer) {
  if (at + outer.size() > file.LineCount()) return false;
  for (std::size_t k = 0; k < outer.size(); ++k) {
    const std::string& expected = outer[k];
    const std::string_view text = file.Text(at + k);
    const std::string_view end = file.End(at + k);
    if (expected.size() != text.size() + end.size() || !expected.starts_with(text) || !expected.ends_with(end)) {
      return false;
    }
  }
  return true;
}

// A line with nothing after the prefix, or the prefix without its blanks.
bool IsBlankArt(std::string_view text, std::string_view prefix) {
  std::string_view bare = prefix;
  while (!bare.empty() && (bare.back() == ' ' || bare.back() == '\t')) bare.remove_suffix(1);
  if (text.starts_with(prefix)) {
    text.remove_prefix(prefix.size());
  } else if (text == bare) {
    text = {};
  }
  return text.find_first_not_of(" \t") == std::string_view::npos;
}

}  // namespace

BlockSource BlockSource::Of(const HostFile& file, const DiagramBlock& block) {
  BlockSource source;
  source.path = file.Path();
  source.block = block;
  source.encoding = file.GetEncoding();
  source.identity = file.Identity();
  source.lineEnd = std::string(file.UsualEnd());
  for (std::size_t line = block.first; line < block.End(); ++line) {
    source.lines.emplace_back(file.Text(line));
    source.ends.emplace_back(file.End(line));
  }
  while (source.blankTail < source.lines.size() &&
         IsBlankArt(source.lines[source.lines.size() - 1 - source.blankTail], block.prefix)) {
    ++source.blankTail;
  }
  for (std::size_t line = block.outerFirst; line <= block.outerLast && line < file.LineCount(); ++line) {
    source.outer.push_back(std::string(file.Text(line)) + std::string(file.End(line)));
  }
  return source;
}

BlockSource::Location BlockSource::Locate(const HostFile& now) const {
  const std::size_t inner = block.first - block.outerFirst;
  auto found = [&](Location::Status status, std::size_t outerFirst) {
    return Location{status, outerFirst + inner, outerFirst};
  };
  if (OuterAt(now, block.outerFirst, outer)) return found(Location::Status::Same, block.outerFirst);
  // The nearest place the lines stand, looking both ways at once.
  const std::size_t lines = now.LineCount();
  for (std::size_t distance = 1; distance <= std::max(block.outerFirst, lines); ++distance) {
    if (distance <= block.outerFirst && OuterAt(now, block.outerFirst - distance, outer)) {
      return found(Location::Status::Moved, block.outerFirst - distance);
    }
    if (block.outerFirst + distance < lines && OuterAt(now, block.outerFirst + distance, outer)) {
      return found(Location::Status::Moved, block.outerFirst + distance);
    }
  }
  return {};
}

ArtOptions BlockSource::RenderOptions() const {
  ArtOptions options;
  options.utf8 = encoding == HostFile::Encoding::Utf8;
  options.style = options.utf8 ? style : ArtOptions::Style::Ascii;
  options.trim = true;
  return options;
}

}  // namespace virlo
