#include "cli/ArtExport.h"

#include <string_view>
#include <vector>

#include "model/Canvas.h"
#include "model/Sheet.h"
#include "platform/TextCodec.h"

namespace virlo::cli {
namespace {

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// One row as the output's text. In the Unicode style a line's cells become
// box-drawing characters; a double-byte character is never split, even where a
// line ran over its second byte, so every other cell converts as in the plain form.
std::string RowText(const Canvas& canvas, std::int32_t row, std::string_view cells, const ArtOptions& options) {
  const bool unicode = options.utf8 && options.style == ArtOptions::Style::Unicode && canvas.HasLineLayer();
  if (!unicode) return options.utf8 ? TextCodec::Cp932ToUtf8(cells) : std::string(cells);
  std::string out;
  std::size_t textStart = 0;
  std::size_t i = 0;
  while (i < cells.size()) {
    const auto b = static_cast<unsigned char>(cells[i]);
    if (IsLeadByte(b) && i + 1 < cells.size() && IsTrailByte(static_cast<unsigned char>(cells[i + 1]))) {
      i += 2;
      continue;
    }
    const char* glyph = canvas.IsLine(static_cast<std::int32_t>(i), row)
                            ? ArtExport::Glyph(cells[i], canvas.Arms(static_cast<std::int32_t>(i), row))
                            : "";
    if (*glyph != '\0') {
      out += TextCodec::Cp932ToUtf8(cells.substr(textStart, i - textStart));
      out += glyph;
      textStart = i + 1;
    }
    ++i;
  }
  out += TextCodec::Cp932ToUtf8(cells.substr(textStart));
  return out;
}

}  // namespace

const char* ArtExport::Glyph(char ch, unsigned arms) {
  if (ch == '-') return "─";
  if (ch == '|') return "│";
  if (ch != '+') return "";
  const bool left = (arms & Canvas::ArmLeft) != 0;
  const bool right = (arms & Canvas::ArmRight) != 0;
  const bool up = (arms & Canvas::ArmUp) != 0;
  const bool down = (arms & Canvas::ArmDown) != 0;
  const bool across = left || right;
  const bool along = up || down;
  // A free end or a straight join continues its line.
  if (!along) return across ? "─" : "";
  if (!across) return "│";
  if (left && right && up && down) return "┼";
  if (left && right) return down ? "┬" : "┴";
  if (up && down) return right ? "├" : "┤";
  if (right) return down ? "┌" : "└";
  return down ? "┐" : "┘";
}

std::string ArtExport::Render(const Sheet& sheet, const ArtOptions& options) {
  const bool unicode = options.utf8 && options.style == ArtOptions::Style::Unicode;
  Canvas canvas = sheet.NewCanvas(unicode);
  sheet.RenderText(canvas);
  return Format(canvas, options);
}

std::string ArtExport::Format(const Canvas& canvas, const ArtOptions& options) {
  std::vector<std::string> lines;
  lines.reserve(static_cast<std::size_t>(canvas.Rows()));
  for (std::int32_t row = 0; row < canvas.Rows(); ++row) {
    // A row ends at its first NUL, as in the sheet's own text.
    std::string_view cells = canvas.Row(row);
    cells = cells.substr(0, cells.find('\0'));
    lines.push_back(RowText(canvas, row, cells, options));
  }
  if (options.trim) {
    while (!lines.empty() && lines.back().find_first_not_of(' ') == std::string::npos) lines.pop_back();
  }
  std::string out;
  for (std::string& line : lines) {
    line.insert(0, options.prefix);
    if (options.trim) line.erase(line.find_last_not_of(' ') + 1);
    out += line;
    out += '\n';
  }
  return out;
}

}  // namespace virlo::cli
