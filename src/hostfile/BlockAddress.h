#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace virlo {

// A place in a host file as users give it: FILE:LINE, the line counted from 1.
struct BlockAddress {
  std::string path;
  // None when the text names a file without a line.
  std::optional<std::size_t> line;

  // A file named as the whole text wins over the FILE:LINE form ("x:42" is
  // the file x:42 when there is one); otherwise a last ":" followed by a
  // line number from 1 splits it.
  static BlockAddress Parse(std::string_view text);
};

}  // namespace virlo
