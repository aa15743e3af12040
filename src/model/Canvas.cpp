#include "model/Canvas.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "platform/CharacterCell.h"
#include "platform/TextCodec.h"
#include "platform/Utf8.h"

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
  return Holds(column, row) && (halves_[Index(column, row)] & HalfBits) != Whole;
}

void Canvas::Split(std::int32_t column, std::int32_t row) {
  const std::size_t i = Index(column, row);
  const auto half = static_cast<Half>(halves_[i] & HalfBits);
  if (half == Whole) return;
  const std::int32_t other = half == First ? column + 1 : column - 1;
  if (Holds(other, row)) Set(other, row, ' ', Whole, false);
  halves_[i] = static_cast<std::uint8_t>(halves_[i] & ~HalfBits);
}

void Canvas::Set(std::int32_t column, std::int32_t row, char ch, Half half, bool line) {
  const std::size_t i = Index(column, row);
  // Whatever writes over a kept character's first cell ends it; the other
  // half of a wide one has been blanked through Split.
  if ((halves_[i] & CharacterHead) != 0) characters_.erase(i);
  cells_[i] = ch;
  halves_[i] = static_cast<std::uint8_t>(half | (line ? LineByte : 0));
  if (layer_.empty()) return;
  if (line) {
    layer_[i] |= LineOwned;
  } else {
    layer_[i] &= static_cast<std::uint16_t>(~(LineOwned | RoundedCorner));
  }
}

bool Canvas::IsLineByte(std::int32_t column, std::int32_t row) const {
  return Holds(column, row) && (halves_[Index(column, row)] & LineByte) != 0;
}

Canvas::Weight Canvas::WeightOf(Stroke stroke) {
  if (stroke == Stroke::Heavy) return Heavy;
  if (stroke == Stroke::Double) return Double;
  return Light;
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

void Canvas::Place(std::int64_t column, std::int32_t row, std::string_view bytes, const std::string* kept,
                   Source source) {
  const auto width = static_cast<std::int64_t>(bytes.size());
  // A character stands whole or not at all, as a double-byte one does.
  const bool fits = column >= 0 && column + width <= columns_;
  for (std::int64_t k = 0; k < width; ++k) {
    if (column + k < 0 || column + k >= columns_) continue;
    const auto col = static_cast<std::int32_t>(column + k);
    Split(col, row);
    const Half half = width == 1 ? Whole : (k == 0 ? First : Second);
    Set(col, row, fits ? bytes[static_cast<std::size_t>(k)] : ' ', fits ? half : Whole, false);
  }
  if (!fits || kept == nullptr) return;
  const std::size_t i = Index(static_cast<std::int32_t>(column), row);
  halves_[i] |= CharacterHead;
  characters_[i] = Kept{*kept, static_cast<std::int32_t>(width), source};
}

void Canvas::WriteCharacter(std::int32_t column, std::int32_t row, char32_t code) {
  bool exact = false;
  const std::string bytes = CharacterCell::Cp932(code, exact);
  if (exact) {
    Write(column, row, bytes);
    return;
  }
  if (row < 0 || row >= rows_) return;
  const std::string kept = Utf8::Encode(code);
  Place(column, row, bytes, &kept);
}

void Canvas::WriteText(std::int32_t column, std::int32_t row, std::string_view utf8) {
  if (row < 0 || row >= rows_) return;
  std::int64_t c = column;
  std::string kept;
  for (std::size_t at = 0; at < utf8.size() && c < columns_;) {
    const CharacterCell::Cluster cluster = CharacterCell::Next(utf8, at);
    bool exact = false;
    const std::string bytes = CharacterCell::Cp932(cluster, exact);
    // A byte that is no UTF-8 stays its substitute in both outputs.
    const bool keep = !exact && Utf8::IsValid(cluster.utf8);
    if (keep) {
      // Marks with nothing to join are shown on a blank, so the row keeps its columns.
      kept.assign(cluster.lone ? 1 : 0, ' ');
      kept.append(cluster.utf8.data(), cluster.utf8.size());
    }
    Place(c, row, bytes, keep ? &kept : nullptr, Source::Text);
    c += cluster.cells;
  }
}

std::string Canvas::WholeForm(std::int32_t column, std::int32_t row) const {
  if (column + 1 >= columns_ || CharacterWidth(column, row) != 1) return {};
  const std::string_view kept = Character(column, row);
  if (kept.empty() || characters_.at(Index(column, row)).source != Source::Text) return {};
  const std::size_t next = Index(column + 1, row);
  if (cells_[next] != ' ' || (halves_[next] & (HalfBits | CharacterHead)) != 0 || IsLine(column + 1, row)) return {};
  std::size_t at = 0;
  const std::optional<char32_t> code = Utf8::Decode(kept, at);
  // One character alone: marks after it have no place in the code page.
  if (!code || at != kept.size()) return {};
  std::optional<std::string> bytes = TextCodec::CharacterToCp932(*code);
  if (!bytes || bytes->size() != 2 || TextCodec::Cp932ToUtf8(*bytes) != kept) return {};
  return *std::move(bytes);
}

std::int32_t Canvas::Substitutes() const {
  std::int32_t count = 0;
  for (const auto& [index, kept] : characters_) {
    const auto column = static_cast<std::int32_t>(index % static_cast<std::size_t>(columns_));
    const auto row = static_cast<std::int32_t>(index / static_cast<std::size_t>(columns_));
    if (WholeForm(column, row).empty()) ++count;
  }
  return count;
}

std::string Canvas::RowCp932(std::int32_t row) const {
  std::string_view cells = Row(row);
  cells = cells.substr(0, cells.find('\0'));
  std::string text(cells);
  if (characters_.empty()) return text;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    const std::string form = WholeForm(static_cast<std::int32_t>(i), row);
    if (form.empty()) continue;
    text.replace(i, 2, form);
    ++i;
  }
  return text;
}

std::string_view Canvas::Character(std::int32_t column, std::int32_t row) const {
  if (!Holds(column, row) || (halves_[Index(column, row)] & CharacterHead) == 0) return {};
  return characters_.at(Index(column, row)).utf8;
}

std::int32_t Canvas::CharacterWidth(std::int32_t column, std::int32_t row) const {
  if (!Holds(column, row) || (halves_[Index(column, row)] & CharacterHead) == 0) return 1;
  return characters_.at(Index(column, row)).width;
}

void Canvas::PutLine(std::int32_t column, std::int32_t row, char ch, Stroke stroke) {
  if (!Holds(column, row)) return;
  Split(column, row);
  Set(column, row, ch, Whole, true);
  if (layer_.empty()) return;
  std::uint16_t& cell = layer_[Index(column, row)];
  cell = static_cast<std::uint16_t>((cell & ~RunBits) | (static_cast<std::uint16_t>(stroke) << RunShift));
}

void Canvas::MarkLine(std::int32_t column, std::int32_t row, bool rounded) {
  if (layer_.empty() || !Holds(column, row)) return;
  layer_[Index(column, row)] |= static_cast<std::uint16_t>(LineOwned | (rounded ? RoundedCorner : 0));
}

void Canvas::AddArms(std::int32_t column, std::int32_t row, std::uint8_t arms, Stroke stroke) {
  if (layer_.empty() || !Holds(column, row)) return;
  const std::size_t i = Index(column, row);
  std::uint16_t& cell = layer_[i];
  // A cell no run wrote (a line's end) continues the stroke of its line.
  if ((halves_[i] & LineByte) == 0) {
    cell = static_cast<std::uint16_t>((cell & ~RunBits) | (static_cast<std::uint16_t>(stroke) << RunShift));
  }
  const Weight weight = WeightOf(stroke);
  const Arm order[] = {ArmLeft, ArmRight, ArmUp, ArmDown};
  for (int k = 0; k < 4; ++k) {
    if ((arms & order[k]) == 0) continue;
    const int shift = 2 * k;
    const auto now = static_cast<Weight>((cell >> shift) & 3);
    if (weight > now) cell = static_cast<std::uint16_t>((cell & ~(3 << shift)) | (weight << shift));
  }
}

bool Canvas::IsLine(std::int32_t column, std::int32_t row) const {
  return !layer_.empty() && Holds(column, row) && (layer_[Index(column, row)] & LineOwned) != 0;
}

Canvas::LineCell Canvas::LineAt(std::int32_t column, std::int32_t row) const {
  LineCell line;
  if (layer_.empty() || !Holds(column, row)) return line;
  const std::uint16_t cell = layer_[Index(column, row)];
  line.left = static_cast<Weight>(cell & 3);
  line.right = static_cast<Weight>((cell >> 2) & 3);
  line.up = static_cast<Weight>((cell >> 4) & 3);
  line.down = static_cast<Weight>((cell >> 6) & 3);
  line.run = static_cast<Stroke>((cell & RunBits) >> RunShift);
  line.rounded = (cell & RoundedCorner) != 0;
  return line;
}

std::uint8_t Canvas::Arms(std::int32_t column, std::int32_t row) const {
  const LineCell line = LineAt(column, row);
  return static_cast<std::uint8_t>((line.left != NoArm ? ArmLeft : 0) | (line.right != NoArm ? ArmRight : 0) |
                                   (line.up != NoArm ? ArmUp : 0) | (line.down != NoArm ? ArmDown : 0));
}

std::string_view Canvas::Row(std::int32_t row) const {
  if (row < 0 || row >= rows_) return {};
  return std::string_view(cells_.data() + static_cast<std::ptrdiff_t>(row) * columns_,
                          static_cast<std::size_t>(columns_));
}

std::string Canvas::RowUtf8(std::int32_t row, const std::vector<std::string_view>* replace) const {
  std::string_view cells = Row(row);
  cells = cells.substr(0, cells.find('\0'));
  // What each cell becomes where it does not show its own byte; a cell the
  // character before it covers is left out.
  std::vector<std::string_view> shown(cells.size());
  std::vector<bool> covered(cells.size(), false);
  bool any = false;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const auto column = static_cast<std::int32_t>(i);
    if (const std::string_view kept = Character(column, row); !kept.empty()) {
      shown[i] = kept;
      for (std::int32_t k = 1; k < CharacterWidth(column, row) && i + static_cast<std::size_t>(k) < cells.size(); ++k) {
        covered[i + static_cast<std::size_t>(k)] = true;
      }
      any = true;
    } else if (replace != nullptr && i < replace->size() && !(*replace)[i].empty() && !covered[i]) {
      shown[i] = (*replace)[i];
      any = true;
    }
  }
  if (!any) return TextCodec::Cp932ToUtf8(cells);
  // One conversion a row: each replaced cell becomes a control byte that
  // converts to itself and is then replaced. A row that holds that byte
  // already converts piece by piece instead.
  constexpr char Slot = '\x01';
  std::string out;
  if (cells.find(Slot) == std::string_view::npos) {
    std::string marked;
    std::vector<std::string_view> slots;
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (covered[i]) continue;
      if (shown[i].empty()) {
        marked += cells[i];
      } else {
        marked += Slot;
        slots.push_back(shown[i]);
      }
    }
    std::size_t next = 0;
    for (char ch : TextCodec::Cp932ToUtf8(marked)) {
      if (ch != Slot) {
        out += ch;
      } else if (next < slots.size()) {
        out += slots[next++];
      }
    }
    if (next == slots.size()) return out;
    out.clear();
  }
  std::size_t textStart = 0;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (shown[i].empty() && !covered[i]) continue;
    out += TextCodec::Cp932ToUtf8(cells.substr(textStart, i - textStart));
    out += shown[i];
    textStart = i + 1;
  }
  out += TextCodec::Cp932ToUtf8(cells.substr(textStart));
  return out;
}

std::string Canvas::Utf8Text() const {
  std::string text;
  for (std::int32_t row = 0; row < rows_; ++row) {
    text += RowUtf8(row);
    text.push_back('\n');
  }
  return text;
}

std::string Canvas::Text() const {
  std::string text;
  text.reserve(cells_.size() + static_cast<std::size_t>(rows_));
  for (std::int32_t row = 0; row < rows_; ++row) {
    text += RowCp932(row);
    text.push_back('\n');
  }
  return text;
}

}  // namespace virlo
