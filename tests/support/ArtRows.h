#pragma once

#include <string>
#include <vector>

namespace virlo::test {

// The rows of character art as a reader sees them: split at the line ends,
// trailing blanks dropped. Tests compare rows, never offsets into the text.
inline std::vector<std::string> ArtRows(const std::string& art) {
  std::vector<std::string> rows;
  std::size_t begin = 0;
  for (std::size_t end = art.find('\n'); end != std::string::npos; end = art.find('\n', begin)) {
    std::string row = art.substr(begin, end - begin);
    row.erase(row.find_last_not_of(' ') + 1);
    rows.push_back(row);
    begin = end + 1;
  }
  return rows;
}

}  // namespace virlo::test
