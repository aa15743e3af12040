#include "control/ScreenArt.h"

#include <string_view>

#include "model/Canvas.h"
#include "objects/DrawObj.h"
#include "objects/Sheet.h"
#include "platform/TextCodec.h"

namespace virlo {
namespace {

bool IsLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

// Whether an object wrote anything but blanks to the cells of a character.
bool Written(const Canvas& canvas, std::int32_t column, std::int32_t row, std::int32_t width) {
  for (std::int32_t c = column; c < column + width; ++c) {
    const char ch = canvas.At(c, row);
    if (ch != ' ' && ch != '\0') return true;
  }
  return false;
}

}  // namespace

ScreenArt::ScreenArt(const Sheet& sheet) {
  Canvas art = sheet.NewCanvas();
  sheet.RenderText(art);
  // What the marked objects write on their own, back to front as the sheet renders.
  Canvas selected = sheet.NewCanvas();
  Canvas current = sheet.NewCanvas();
  if (art.Rows() > 0) {
    List<DrawObj*>::Cursor cursor(sheet.objects);
    for (const DrawObj* obj = cursor.Last(); obj != nullptr; obj = cursor.Prev()) {
      if (obj->Has(DrawObj::Highlighted)) obj->RenderText(selected);
    }
    if (sheet.current != nullptr) sheet.current->RenderText(current);
  }
  rows_.resize(static_cast<std::size_t>(art.Rows()));
  for (std::int32_t row = 0; row < art.Rows(); ++row) {
    const std::string_view bytes = art.Row(row);
    std::vector<Cell>& cells = rows_[static_cast<std::size_t>(row)];
    std::size_t i = 0;
    while (i < bytes.size()) {
      const bool pair = IsLeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size();
      Cell cell;
      cell.column = static_cast<std::int32_t>(i);
      cell.width = pair ? 2 : 1;
      // Bytes no character holds come back as one '?' each, so columns stay.
      cell.text = TextCodec::Cp932ToUtf8(bytes.substr(i, static_cast<std::size_t>(cell.width)));
      // A marker's character shows as itself, not as its substitute.
      if (const std::string_view kept = art.Character(cell.column, row); !kept.empty()) {
        cell.text = kept;
        cell.width = art.CharacterWidth(cell.column, row);
      }
      if (Written(current, cell.column, row, cell.width)) {
        cell.mark = Mark::Current;
      } else if (Written(selected, cell.column, row, cell.width)) {
        cell.mark = Mark::Selected;
      }
      cells.push_back(std::move(cell));
      i += static_cast<std::size_t>(cells.back().width);
    }
  }
}

std::string ScreenArt::Text() const {
  std::string text;
  for (const std::vector<Cell>& row : rows_) {
    for (const Cell& cell : row) text += cell.text;
    text += '\n';
  }
  return text;
}

}  // namespace virlo
