#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace virlo {

class Sheet;

// The sheet's character art as a view shows it in place of the shapes: every
// grid row's characters at the cells they take, in UTF-8, and which of them
// the selected objects or the current object wrote, so the view can still
// mark what is picked.
class ScreenArt {
 public:
  enum class Mark : std::uint8_t { None = 0, Selected = 1, Current = 2 };

  struct Cell {
    std::int32_t column = 0;
    // Cells the character takes: 2 for a double-byte character.
    std::int32_t width = 1;
    std::string text;
    Mark mark = Mark::None;
  };

  explicit ScreenArt(const Sheet& sheet);

  std::int32_t Rows() const { return static_cast<std::int32_t>(rows_.size()); }
  const std::vector<Cell>& Row(std::int32_t row) const { return rows_[static_cast<std::size_t>(row)]; }
  // The rows, blanks included, each followed by a line feed: the sheet's
  // text in UTF-8.
  std::string Text() const;

 private:
  std::vector<std::vector<Cell>> rows_;
};

}  // namespace virlo
