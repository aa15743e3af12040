#include "model/Canvas.h"

#include <algorithm>

namespace virlo {

Canvas::Canvas(std::int32_t columns, std::int32_t rows, bool lineLayer)
    : columns_(std::max(columns, 0)),
      rows_(std::max(rows, 0)),
      cells_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), ' ') {
  if (lineLayer) layer_.assign(cells_.size(), 0);
}

char Canvas::At(std::int32_t column, std::int32_t row) const {
  if (!Holds(column, row)) return '\0';
  return cells_[Index(column, row)];
}

void Canvas::Put(std::int32_t column, std::int32_t row, char ch) {
  if (!Holds(column, row)) return;
  const std::size_t i = Index(column, row);
  cells_[i] = ch;
  if (!layer_.empty()) layer_[i] &= static_cast<std::uint8_t>(~LineOwned);
}

std::int32_t Canvas::Write(std::int32_t column, std::int32_t row, std::string_view bytes) {
  if (row < 0 || row >= rows_ || column < 0 || column >= columns_) return 0;
  const std::size_t room = static_cast<std::size_t>(columns_ - column);
  const std::size_t n = std::min(bytes.size(), room);
  const std::size_t first = Index(column, row);
  std::copy_n(bytes.data(), n, cells_.begin() + static_cast<std::ptrdiff_t>(first));
  if (!layer_.empty()) {
    for (std::size_t i = first; i < first + n; ++i) layer_[i] &= static_cast<std::uint8_t>(~LineOwned);
  }
  return static_cast<std::int32_t>(n);
}

void Canvas::PutLine(std::int32_t column, std::int32_t row, char ch) {
  if (!Holds(column, row)) return;
  const std::size_t i = Index(column, row);
  cells_[i] = ch;
  if (!layer_.empty()) layer_[i] |= LineOwned;
}

void Canvas::MarkLine(std::int32_t column, std::int32_t row) {
  if (layer_.empty() || !Holds(column, row)) return;
  layer_[Index(column, row)] |= LineOwned;
}

void Canvas::AddArms(std::int32_t column, std::int32_t row, std::uint8_t arms) {
  if (layer_.empty() || !Holds(column, row)) return;
  layer_[Index(column, row)] |= static_cast<std::uint8_t>(arms & (ArmLeft | ArmRight | ArmUp | ArmDown));
}

bool Canvas::IsLine(std::int32_t column, std::int32_t row) const {
  return !layer_.empty() && Holds(column, row) && (layer_[Index(column, row)] & LineOwned) != 0;
}

std::uint8_t Canvas::Arms(std::int32_t column, std::int32_t row) const {
  if (layer_.empty() || !Holds(column, row)) return 0;
  return static_cast<std::uint8_t>(layer_[Index(column, row)] & (ArmLeft | ArmRight | ArmUp | ArmDown));
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
