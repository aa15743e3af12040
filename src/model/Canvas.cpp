#include "model/Canvas.h"

#include <algorithm>

namespace virlo {

Canvas::Canvas(std::int32_t columns, std::int32_t rows)
    : columns_(std::max(columns, 0)),
      rows_(std::max(rows, 0)),
      cells_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), ' ') {}

char Canvas::At(std::int32_t column, std::int32_t row) const {
  if (!Holds(column, row)) return '\0';
  return cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(column)];
}

void Canvas::Put(std::int32_t column, std::int32_t row, char ch) {
  if (!Holds(column, row)) return;
  cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(column)] = ch;
}

std::int32_t Canvas::Write(std::int32_t column, std::int32_t row, std::string_view bytes) {
  if (row < 0 || row >= rows_ || column < 0 || column >= columns_) return 0;
  const std::size_t room = static_cast<std::size_t>(columns_ - column);
  const std::size_t n = std::min(bytes.size(), room);
  std::copy_n(bytes.data(), n, cells_.begin() + static_cast<std::ptrdiff_t>(row) * columns_ + column);
  return static_cast<std::int32_t>(n);
}

std::string_view Canvas::Row(std::int32_t row) const {
  if (row < 0 || row >= rows_) return {};
  return std::string_view(cells_.data() + static_cast<std::ptrdiff_t>(row) * columns_,
                          static_cast<std::size_t>(columns_));
}

std::string Canvas::Text() const {
  std::string text;
  text.reserve(cells_.size() + static_cast<std::size_t>(rows_));
  for (std::int32_t row = 0; row < rows_; ++row) {
    // A row ends at its first NUL, as a C string would.
    std::string_view cells = Row(row);
    text.append(cells.substr(0, cells.find('\0')));
    text.push_back('\n');
  }
  return text;
}

}  // namespace virlo
