#include "export/ArtExport.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "model/Canvas.h"
#include "model/Sheet.h"
#include "platform/TextCodec.h"

namespace virlo {
namespace {

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// The box-drawing characters of a row's line cells, by column; empty where the
// byte stays. A double-byte character is never split, even where a line ran
// over its second byte, so every other cell converts as in the plain form.
std::vector<const char*> RowGlyphs(const Canvas& canvas, std::int32_t row, std::string_view cells) {
  std::vector<const char*> glyphs(cells.size(), "");
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
  const bool unicode = options.utf8 && options.style == ArtOptions::Style::Unicode && canvas.HasLineLayer();
  if (!unicode) return options.utf8 ? TextCodec::Cp932ToUtf8(cells) : std::string(cells);
  const std::vector<const char*> glyphs = RowGlyphs(canvas, row, cells);
  // One conversion a row: each line cell becomes a control byte that converts
  // to itself and is then replaced by its glyph. A row that holds that byte
  // already converts piece by piece instead.
  constexpr char Slot = '\x01';
  std::string out;
  if (cells.find(Slot) == std::string_view::npos) {
    std::string marked(cells);
    std::size_t slots = 0;
    for (std::size_t i = 0; i < marked.size(); ++i) {
      if (*glyphs[i] != '\0') {
        marked[i] = Slot;
        ++slots;
      }
    }
    const std::string text = TextCodec::Cp932ToUtf8(marked);
    std::size_t next = 0;
    for (char ch : text) {
      if (ch != Slot) {
        out += ch;
        continue;
      }
      while (next < glyphs.size() && *glyphs[next] == '\0') ++next;
      if (next == glyphs.size()) break;
      out += glyphs[next++];
      --slots;
    }
    if (slots == 0) return out;
    out.clear();
  }
  std::size_t textStart = 0;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (*glyphs[i] == '\0') continue;
    out += TextCodec::Cp932ToUtf8(cells.substr(textStart, i - textStart));
    out += glyphs[i];
    textStart = i + 1;
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

}  // namespace virlo
