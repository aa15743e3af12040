#include "model/Canvas.h"

#include <algorithm>

#include "platform/TextCodec.h"

namespace virlo {

Canvas::Canvas(std::int32_t columns, std::int32_t rows, bool lineLayer)
    : columns_(std::max(columns, 0)),
      rows_(std::max(rows, 0)),
      cells_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), ' '),
      halves_(cells_.size(), Whole) {
  if (lineLayer) layer_.assign(cells_.size(), 0);
}

char Canvas::At(std::int32_t column, std::int32_t row) const {
  if (!Holds(column, row)) return '\0';
  return cells_[Index(column, row)];
}

bool Canvas::IsHalf(std::int32_t column, std::int32_t row) const {
  return Holds(column, row) && halves_[Index(column, row)] != Whole;
}

void Canvas::Split(std::int32_t column, std::int32_t row) {
  const Half half = static_cast<Half>(halves_[Index(column, row)]);
  if (half == Whole) return;
  const std::int32_t other = half == First ? column + 1 : column - 1;
  if (Holds(other, row)) Set(other, row, ' ', Whole, false);
  halves_[Index(column, row)] = Whole;
}

void Canvas::Set(std::int32_t column, std::int32_t row, char ch, Half half, bool line) {
  const std::size_t i = Index(column, row);
  cells_[i] = ch;
  halves_[i] = half;
  if (layer_.empty()) return;
  if (line) {
    layer_[i] |= LineOwned;
  } else {
    layer_[i] &= static_cast<std::uint8_t>(~LineOwned);
  }
}

void Canvas::Put(std::int32_t column, std::int32_t row, char ch) {
  if (!Holds(column, row)) return;
  Split(column, row);
  Set(column, row, ch, Whole, false);
}

void Canvas::Write(std::int32_t column, std::int32_t row, std::string_view bytes) {
  if (row < 0 || row >= rows_) return;
  std::int64_t c = column;
  for (std::size_t i = 0; i < bytes.size() && c < columns_;) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    const bool lead = TextCodec::IsLeadByte(b);
    const bool pair = lead && i + 1 < bytes.size() && TextCodec::IsTrailByte(static_cast<unsigned char>(bytes[i + 1]));
    const std::size_t size = pair ? 2 : 1;
    // A character that fits the row goes in whole; where it does not, or a
    // lead byte stands alone, the cells it reaches are blanked.
    const bool fits = c >= 0 && c + static_cast<std::int64_t>(size) <= columns_;
    for (std::size_t k = 0; k < size; ++k, ++c) {
      if (c < 0 || c >= columns_) continue;
      const auto col = static_cast<std::int32_t>(c);
      Split(col, row);
      if (!fits || (lead && !pair)) {
        Set(col, row, ' ', Whole, false);
      } else {
        Set(col, row, bytes[i + k], pair ? (k == 0 ? First : Second) : Whole, false);
      }
    }
    i += size;
  }
}

void Canvas::PutLine(std::int32_t column, std::int32_t row, char ch) {
  if (!Holds(column, row)) return;
  Split(column, row);
  Set(column, row, ch, Whole, true);
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
