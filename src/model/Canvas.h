#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace virlo {

// The character canvas objects render into: rows of single bytes in code page
// 932, one byte per grid cell, blank to begin with. Writes are clipped to the
// rows, so nothing ever lands outside a row.
class Canvas {
 public:
  Canvas(std::int32_t columns, std::int32_t rows);

  std::int32_t Columns() const { return columns_; }
  std::int32_t Rows() const { return rows_; }
  bool Holds(std::int32_t column, std::int32_t row) const {
    return column >= 0 && column < columns_ && row >= 0 && row < rows_;
  }

  // The byte at a cell; outside the canvas, NUL.
  char At(std::int32_t column, std::int32_t row) const;
  // Writes one byte; nothing outside the canvas.
  void Put(std::int32_t column, std::int32_t row, char ch);
  // Writes bytes from a cell rightwards, cut at the row's end; returns how many landed.
  std::int32_t Write(std::int32_t column, std::int32_t row, std::string_view bytes);

  std::string_view Row(std::int32_t row) const;
  // The rows top to bottom, each followed by a line feed.
  std::string Text() const;

 private:
  std::int32_t columns_;
  std::int32_t rows_;
  std::vector<char> cells_;
};

}  // namespace virlo
