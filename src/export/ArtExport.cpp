#include "export/ArtExport.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "model/Canvas.h"
#include "objects/Sheet.h"
#include "platform/Utf8.h"

namespace virlo {
namespace {

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// The box-drawing characters of a row's line cells, by column; empty where the
// byte stays. A double-byte character is never split, even where a line ran
// over its second byte, so every other cell converts as in the plain form.
std::vector<std::string> RowGlyphs(const Canvas& canvas, std::int32_t row, std::string_view cells) {
  std::vector<std::string> glyphs(cells.size());
  std::size_t i = 0;
  while (i < cells.size()) {
    const auto b = static_cast<unsigned char>(cells[i]);
    if (IsLeadByte(b) && i + 1 < cells.size() && IsTrailByte(static_cast<unsigned char>(cells[i + 1]))) {
      i += 2;
      continue;
    }
    const auto column = static_cast<std::int32_t>(i);
    if (canvas.IsLine(column, row)) glyphs[i] = ArtExport::Glyph(cells[i], canvas.LineAt(column, row));
    ++i;
  }
  return glyphs;
}

// One row as the output's text.
std::string RowText(const Canvas& canvas, std::int32_t row, std::string_view cells, const ArtOptions& options) {
  if (!options.utf8) return canvas.RowCp932(row);
  const bool unicode = options.style == ArtOptions::Style::Unicode && canvas.HasLineLayer();
  if (!unicode) return canvas.RowUtf8(row);
  const std::vector<std::string> glyphs = RowGlyphs(canvas, row, cells);
  const std::vector<std::string_view> replace(glyphs.begin(), glyphs.end());
  return canvas.RowUtf8(row, &replace);
}

// The corners, tees and crossings of the box-drawing block, by the weight
// of their arms: left, right, up, down (0 none, 1 light, 2 heavy, 3 double).
struct JointGlyph {
  char32_t code;
  std::uint8_t left;
  std::uint8_t right;
  std::uint8_t up;
  std::uint8_t down;
};
// clang-format off
constexpr JointGlyph Joints[] = {
    {U'\u250C', 0, 1, 0, 1},  // ┌ light down and right
    {U'\u250D', 0, 2, 0, 1},  // ┍ down light and right heavy
    {U'\u250E', 0, 1, 0, 2},  // ┎ down heavy and right light
    {U'\u250F', 0, 2, 0, 2},  // ┏ heavy down and right
    {U'\u2510', 1, 0, 0, 1},  // ┐ light down and left
    {U'\u2511', 2, 0, 0, 1},  // ┑ down light and left heavy
    {U'\u2512', 1, 0, 0, 2},  // ┒ down heavy and left light
    {U'\u2513', 2, 0, 0, 2},  // ┓ heavy down and left
    {U'\u2514', 0, 1, 1, 0},  // └ light up and right
    {U'\u2515', 0, 2, 1, 0},  // ┕ up light and right heavy
    {U'\u2516', 0, 1, 2, 0},  // ┖ up heavy and right light
    {U'\u2517', 0, 2, 2, 0},  // ┗ heavy up and right
    {U'\u2518', 1, 0, 1, 0},  // ┘ light up and left
    {U'\u2519', 2, 0, 1, 0},  // ┙ up light and left heavy
    {U'\u251A', 1, 0, 2, 0},  // ┚ up heavy and left light
    {U'\u251B', 2, 0, 2, 0},  // ┛ heavy up and left
    {U'\u251C', 0, 1, 1, 1},  // ├ light vertical and right
    {U'\u251D', 0, 2, 1, 1},  // ┝ vertical light and right heavy
    {U'\u251E', 0, 1, 2, 1},  // ┞ up heavy and right down light
    {U'\u251F', 0, 1, 1, 2},  // ┟ down heavy and right up light
    {U'\u2520', 0, 1, 2, 2},  // ┠ vertical heavy and right light
    {U'\u2521', 0, 2, 2, 1},  // ┡ down light and right up heavy
    {U'\u2522', 0, 2, 1, 2},  // ┢ up light and right down heavy
    {U'\u2523', 0, 2, 2, 2},  // ┣ heavy vertical and right
    {U'\u2524', 1, 0, 1, 1},  // ┤ light vertical and left
    {U'\u2525', 2, 0, 1, 1},  // ┥ vertical light and left heavy
    {U'\u2526', 1, 0, 2, 1},  // ┦ up heavy and left down light
    {U'\u2527', 1, 0, 1, 2},  // ┧ down heavy and left up light
    {U'\u2528', 1, 0, 2, 2},  // ┨ vertical heavy and left light
    {U'\u2529', 2, 0, 2, 1},  // ┩ down light and left up heavy
    {U'\u252A', 2, 0, 1, 2},  // ┪ up light and left down heavy
    {U'\u252B', 2, 0, 2, 2},  // ┫ heavy vertical and left
    {U'\u252C', 1, 1, 0, 1},  // ┬ light down and horizontal
    {U'\u252D', 2, 1, 0, 1},  // ┭ left heavy and right down light
    {U'\u252E', 1, 2, 0, 1},  // ┮ right heavy and left down light
    {U'\u252F', 2, 2, 0, 1},  // ┯ down light and horizontal heavy
    {U'\u2530', 1, 1, 0, 2},  // ┰ down heavy and horizontal light
    {U'\u2531', 2, 1, 0, 2},  // ┱ right light and left down heavy
    {U'\u2532', 1, 2, 0, 2},  // ┲ left light and right down heavy
    {U'\u2533', 2, 2, 0, 2},  // ┳ heavy down and horizontal
    {U'\u2534', 1, 1, 1, 0},  // ┴ light up and horizontal
    {U'\u2535', 2, 1, 1, 0},  // ┵ left heavy and right up light
    {U'\u2536', 1, 2, 1, 0},  // ┶ right heavy and left up light
    {U'\u2537', 2, 2, 1, 0},  // ┷ up light and horizontal heavy
    {U'\u2538', 1, 1, 2, 0},  // ┸ up heavy and horizontal light
    {U'\u2539', 2, 1, 2, 0},  // ┹ right light and left up heavy
    {U'\u253A', 1, 2, 2, 0},  // ┺ left light and right up heavy
    {U'\u253B', 2, 2, 2, 0},  // ┻ heavy up and horizontal
    {U'\u253C', 1, 1, 1, 1},  // ┼ light vertical and horizontal
    {U'\u253D', 2, 1, 1, 1},  // ┽ left heavy and right vertical light
    {U'\u253E', 1, 2, 1, 1},  // ┾ right heavy and left vertical light
    {U'\u253F', 2, 2, 1, 1},  // ┿ vertical light and horizontal heavy
    {U'\u2540', 1, 1, 2, 1},  // ╀ up heavy and down horizontal light
    {U'\u2541', 1, 1, 1, 2},  // ╁ down heavy and up horizontal light
    {U'\u2542', 1, 1, 2, 2},  // ╂ vertical heavy and horizontal light
    {U'\u2543', 2, 1, 2, 1},  // ╃ left up heavy and right down light
    {U'\u2544', 1, 2, 2, 1},  // ╄ right up heavy and left down light
    {U'\u2545', 2, 1, 1, 2},  // ╅ left down heavy and right up light
    {U'\u2546', 1, 2, 1, 2},  // ╆ right down heavy and left up light
    {U'\u2547', 2, 2, 2, 1},  // ╇ down light and up horizontal heavy
    {U'\u2548', 2, 2, 1, 2},  // ╈ up light and down horizontal heavy
    {U'\u2549', 2, 1, 2, 2},  // ╉ right light and left vertical heavy
    {U'\u254A', 1, 2, 2, 2},  // ╊ left light and right vertical heavy
    {U'\u254B', 2, 2, 2, 2},  // ╋ heavy vertical and horizontal
    {U'\u2552', 0, 3, 0, 1},  // ╒ down single and right double
    {U'\u2553', 0, 1, 0, 3},  // ╓ down double and right single
    {U'\u2554', 0, 3, 0, 3},  // ╔ double down and right
    {U'\u2555', 3, 0, 0, 1},  // ╕ down single and left double
    {U'\u2556', 1, 0, 0, 3},  // ╖ down double and left single
    {U'\u2557', 3, 0, 0, 3},  // ╗ double down and left
    {U'\u2558', 0, 3, 1, 0},  // ╘ up single and right double
    {U'\u2559', 0, 1, 3, 0},  // ╙ up double and right single
    {U'\u255A', 0, 3, 3, 0},  // ╚ double up and right
    {U'\u255B', 3, 0, 1, 0},  // ╛ up single and left double
    {U'\u255C', 1, 0, 3, 0},  // ╜ up double and left single
    {U'\u255D', 3, 0, 3, 0},  // ╝ double up and left
    {U'\u255E', 0, 3, 1, 1},  // ╞ vertical single and right double
    {U'\u255F', 0, 1, 3, 3},  // ╟ vertical double and right single
    {U'\u2560', 0, 3, 3, 3},  // ╠ double vertical and right
    {U'\u2561', 3, 0, 1, 1},  // ╡ vertical single and left double
    {U'\u2562', 1, 0, 3, 3},  // ╢ vertical double and left single
    {U'\u2563', 3, 0, 3, 3},  // ╣ double vertical and left
    {U'\u2564', 3, 3, 0, 1},  // ╤ down single and horizontal double
    {U'\u2565', 1, 1, 0, 3},  // ╥ down double and horizontal single
    {U'\u2566', 3, 3, 0, 3},  // ╦ double down and horizontal
    {U'\u2567', 3, 3, 1, 0},  // ╧ up single and horizontal double
    {U'\u2568', 1, 1, 3, 0},  // ╨ up double and horizontal single
    {U'\u2569', 3, 3, 3, 0},  // ╩ double up and horizontal
    {U'\u256A', 3, 3, 1, 1},  // ╪ vertical single and horizontal double
    {U'\u256B', 1, 1, 3, 3},  // ╫ vertical double and horizontal single
    {U'\u256C', 3, 3, 3, 3},  // ╬ double vertical and horizontal
    {U'\u257C', 1, 2, 0, 0},  // ╼ light left and heavy right
    {U'\u257D', 0, 0, 1, 2},  // ╽ light up and heavy down
    {U'\u257E', 2, 1, 0, 0},  // ╾ heavy left and light right
    {U'\u257F', 0, 0, 2, 1},  // ╿ heavy up and light down
};
// clang-format on

const JointGlyph* FindJoint(std::uint8_t l, std::uint8_t r, std::uint8_t u, std::uint8_t d) {
  for (const JointGlyph& joint : Joints) {
    if (joint.left == l && joint.right == r && joint.up == u && joint.down == d) return &joint;
  }
  return nullptr;
}

}  // namespace

char32_t ArtExport::Straight(Canvas::Weight a, Canvas::Weight b, bool across) {
  // Light against heavy has its own characters; any other pair takes the heavier.
  if (a == Canvas::Light && b == Canvas::Heavy) return across ? U'╼' : U'╽';
  if (a == Canvas::Heavy && b == Canvas::Light) return across ? U'╾' : U'╿';
  const Canvas::Weight w = std::max(a, b);
  return Run(w == Canvas::Heavy ? Stroke::Heavy : w == Canvas::Double ? Stroke::Double : Stroke::Solid, across);
}

char32_t ArtExport::Joint(Canvas::Weight l, Canvas::Weight r, Canvas::Weight u, Canvas::Weight d) {
  if (const JointGlyph* joint = FindJoint(l, r, u, d)) return joint->code;
  // Unicode draws double arms only with light ones, each way alike: the
  // nearest such character.
  auto light = [](Canvas::Weight w) { return w == Canvas::Heavy ? Canvas::Light : w; };
  auto alike = [](Canvas::Weight& a, Canvas::Weight& b) {
    const Canvas::Weight w = std::max(a, b) == Canvas::Double ? Canvas::Double : Canvas::Light;
    if (a != Canvas::NoArm) a = w;
    if (b != Canvas::NoArm) b = w;
  };
  if (std::max({l, r, u, d}) == Canvas::Double) {
    l = light(l);
    r = light(r);
    u = light(u);
    d = light(d);
    alike(l, r);
    alike(u, d);
    if (const JointGlyph* joint = FindJoint(l, r, u, d)) return joint->code;
  }
  auto any = [](Canvas::Weight w) { return w != Canvas::NoArm ? 1 : 0; };
  return FindJoint(static_cast<std::uint8_t>(any(l)), static_cast<std::uint8_t>(any(r)),
                   static_cast<std::uint8_t>(any(u)), static_cast<std::uint8_t>(any(d)))
      ->code;
}

std::string ArtExport::Glyph(char ch, unsigned arms) {
  Canvas::LineCell cell;
  auto light = [&](unsigned arm) { return (arms & arm) != 0 ? Canvas::Light : Canvas::NoArm; };
  cell.left = light(Canvas::ArmLeft);
  cell.right = light(Canvas::ArmRight);
  cell.up = light(Canvas::ArmUp);
  cell.down = light(Canvas::ArmDown);
  return Glyph(ch, cell);
}

std::string ArtExport::Glyph(char ch, const Canvas::LineCell& cell) {
  const bool across = ch == '-' || ch == '=' || (ch == '.' && !cell.rounded);
  if (across || ch == '|' || ch == ':') return Utf8::Encode(Run(cell.run, across));
  if (ch != '+' && !cell.rounded) return "";
  Canvas::Weight l = cell.left;
  Canvas::Weight r = cell.right;
  Canvas::Weight u = cell.up;
  Canvas::Weight d = cell.down;
  const bool sideways = l != Canvas::NoArm || r != Canvas::NoArm;
  const bool upright = u != Canvas::NoArm || d != Canvas::NoArm;
  if (cell.rounded && sideways && upright && (l == Canvas::NoArm) != (r == Canvas::NoArm) &&
      (u == Canvas::NoArm) != (d == Canvas::NoArm)) {
    // A rounded corner: the curve has one weight, the light one.
    if (d != Canvas::NoArm) return r != Canvas::NoArm ? "╭" : "╮";
    return r != Canvas::NoArm ? "╰" : "╯";
  }
  if (!sideways && !upright) return "";
  // A free end or a straight join continues its line, a dotted one dotted.
  const bool light = std::max({l, r, u, d}) == Canvas::Light;
  if (!upright) return Utf8::Encode(light && cell.run == Stroke::Dotted ? Run(cell.run, true) : Straight(l, r, true));
  if (!sideways)
    return Utf8::Encode(light && cell.run == Stroke::Dotted ? Run(cell.run, false) : Straight(u, d, false));
  return Utf8::Encode(Joint(l, r, u, d));
}

char32_t ArtExport::Run(Stroke stroke, bool across) {
  switch (stroke) {
    case Stroke::Heavy:
      return across ? U'━' : U'┃';
    case Stroke::Double:
      return across ? U'═' : U'║';
    case Stroke::Dotted:
      return across ? U'┄' : U'┆';
    case Stroke::Solid:
    case Stroke::Dashed:
      break;
  }
  return across ? U'─' : U'│';
}

std::string ArtExport::Render(const Sheet& sheet, const ArtOptions& options, std::int32_t* substitutes) {
  const bool unicode = options.utf8 && options.style == ArtOptions::Style::Unicode;
  Canvas canvas = sheet.NewCanvas(unicode);
  sheet.RenderText(canvas);
  if (substitutes != nullptr) *substitutes = options.utf8 ? 0 : canvas.Substitutes();
  return Format(canvas, options, KeptRows::ReadChecked(sheet.keptRows.View()));
}

std::string ArtExport::Format(const Canvas& canvas, const ArtOptions& options, const KeptRows& kept) {
  // Each line with the canvas row it shows.
  std::vector<std::string> lines;
  std::vector<std::int32_t> rows;
  lines.reserve(static_cast<std::size_t>(canvas.Rows()));
  for (std::int32_t row = 0; row < canvas.Rows(); ++row) {
    // A row ends at its first NUL, as in the sheet's own text.
    std::string_view cells = canvas.Row(row);
    cells = cells.substr(0, cells.find('\0'));
    lines.push_back(RowText(canvas, row, cells, options));
    rows.push_back(row);
  }
  const bool trim = options.trim || options.crop;
  auto blank = [](const std::string& line) { return line.find_first_not_of(' ') == std::string::npos; };
  if (trim) {
    while (!lines.empty() && blank(lines.back())) {
      lines.pop_back();
      rows.pop_back();
    }
  }
  std::size_t indent = 0;
  if (options.crop) {
    const auto firstDrawn = std::find_if_not(lines.begin(), lines.end(), blank);
    rows.erase(rows.begin(), rows.begin() + (firstDrawn - lines.begin()));
    lines.erase(lines.begin(), firstDrawn);
    // Only blanks go: a double-byte character is never cut.
    indent = std::string::npos;
    for (const std::string& line : lines) {
      if (!blank(line)) indent = std::min(indent, line.find_first_not_of(' '));
    }
    if (indent == std::string::npos) indent = 0;
    for (std::string& line : lines) line.erase(0, std::min(indent, line.size()));
  }
  const KeptRows::Encoding encoding = options.utf8 ? KeptRows::Encoding::Utf8 : KeptRows::Encoding::Cp932;
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string& line = lines[i];
    const std::string asRead = indent == 0 ? kept.Line(rows[i], line, options.prefix, encoding) : line;
    if (asRead != line) {
      out += options.prefix;
      out += asRead;
      out += '\n';
      continue;
    }
    line.insert(0, options.prefix);
    if (trim) line.erase(line.find_last_not_of(' ') + 1);
    out += line;
    out += '\n';
  }
  return out;
}

}  // namespace virlo
