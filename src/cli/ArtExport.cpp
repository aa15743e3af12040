#include "cli/ArtExport.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "model/Canvas.h"
#include "model/Sheet.h"

namespace virlo::cli {
namespace {

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// The box-drawing characters of a row's line cells, by column; empty where the
// byte stays. A double-byte character is never split, even where a line ran
// over its second byte, so every other cell converts as in the plain form.
std::vector<std::string_view> RowGlyphs(const Canvas& canvas, std::int32_t row, std::string_view cells) {
  std::vector<std::string_view> glyphs(cells.size());
  std::size_t i = 0;
  while (i < cells.size()) {
    const auto b = static_cast<unsigned char>(cells[i]);
    if (IsLeadByte(b) && i + 1 < cells.size() && IsTrailByte(static_cast<unsigned char>(cells[i + 1]))) {
      i += 2;
      continue;
    }
    const auto column = static_cast<std::int32_t>(i);
    if (canvas.IsLine(column, row)) glyphs[i] = ArtExport::Glyph(cells[i], canvas.Arms(column, row));
    ++i;
  }
  return glyphs;
}

// One row as the output's text.
std::string RowText(const Canvas& canvas, std::int32_t row, std::string_view cells, const ArtOptions& options) {
  if (!options.utf8) return std::string(cells);
  const bool unicode = options.style == ArtOptions::Style::Unicode && canvas.HasLineLayer();
  if (!unicode) return canvas.RowUtf8(row);
  const std::vector<std::string_view> glyphs = RowGlyphs(canvas, row, cells);
  return canvas.RowUtf8(row, &glyphs);
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

std::string ArtExport::Render(const Sheet& sheet, const ArtOptions& options, std::int32_t* substitutes) {
  const bool unicode = options.utf8 && options.style == ArtOptions::Style::Unicode;
  Canvas canvas = sheet.NewCanvas(unicode);
  sheet.RenderText(canvas);
  if (substitutes != nullptr) *substitutes = options.utf8 ? 0 : canvas.Substitutes();
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
  const bool trim = options.trim || options.crop;
  auto blank = [](const std::string& line) { return line.find_first_not_of(' ') == std::string::npos; };
  if (trim) {
    while (!lines.empty() && blank(lines.back())) lines.pop_back();
  }
  if (options.crop) {
    const auto firstDrawn = std::find_if_not(lines.begin(), lines.end(), blank);
    lines.erase(lines.begin(), firstDrawn);
    // Only blanks go: a double-byte character is never cut.
    std::size_t indent = std::string::npos;
    for (const std::string& line : lines) {
      if (!blank(line)) indent = std::min(indent, line.find_first_not_of(' '));
    }
    for (std::string& line : lines) line.erase(0, std::min(indent, line.size()));
  }
  std::string out;
  for (std::string& line : lines) {
    line.insert(0, options.prefix);
    if (trim) line.erase(line.find_last_not_of(' ') + 1);
    out += line;
    out += '\n';
  }
  return out;
}

}  // namespace virlo::cli
