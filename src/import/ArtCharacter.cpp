#include "import/ArtCharacter.h"

#include <string_view>

#include "objects/MarkerTable.h"
#include "platform/CharacterCell.h"

namespace virlo {
namespace {

// The arms of the box-drawing block U+2500 to U+257F, four digits a
// character: left, right, up and down, 0 none, 1 light, 2 heavy, 3 double.
constexpr std::string_view BoxArms =
    "1100220000110022110022000011002211002200001100220101020101020202"
    "1001200110022002011002100120022010102010102020200111021101210112"
    "0122022102120222101120111021101210222021201220221101210112012201"
    "1102210212022202111021101210221011202120122022201111211112112211"
    "1121111211222121122121121212222122122122122222221100220000110022"
    "3300003303010103030330011003300303100130033030101030303003110133"
    "0333301110333033330111033303331011303330331111333333010110011010"
    "0110000000000000100000100100000120000020020000021200001221000021";

constexpr char32_t FirstBoxDrawing = 0x2500;
constexpr char32_t FirstRounded = 0x256D;
constexpr char32_t LastRounded = 0x2570;

}  // namespace

std::optional<Stroke> ArtCharacter::Run(char32_t code, bool across) {
  switch (code) {
    case U'-':
    case U'─':
    // An en dash, as links drawn "◄––––►".
    case U'–':
      return across ? std::optional(Stroke::Solid) : std::nullopt;
    case U'=':
    case U'═':
      return across ? std::optional(Stroke::Double) : std::nullopt;
    case U'━':
      return across ? std::optional(Stroke::Heavy) : std::nullopt;
    case U'┄':
      return across ? std::optional(Stroke::Dotted) : std::nullopt;
    case U'|':
    case U'│':
      return across ? std::nullopt : std::optional(Stroke::Solid);
    case U'║':
      return across ? std::nullopt : std::optional(Stroke::Double);
    case U'┃':
      return across ? std::nullopt : std::optional(Stroke::Heavy);
    case U':':
    case U'┆':
      return across ? std::nullopt : std::optional(Stroke::Dotted);
    default:
      return std::nullopt;
  }
}

ArtCharacter::Arms ArtCharacter::ArmsOf(char32_t code) {
  Arms arms;
  if (!IsBoxDrawing(code)) return arms;
  const std::size_t at = 4 * static_cast<std::size_t>(code - FirstBoxDrawing);
  for (std::size_t k = 0; k < 4; ++k) arms.weight[k] = static_cast<std::uint8_t>(BoxArms[at + k] - '0');
  arms.rounded = code >= FirstRounded && code <= LastRounded;
  return arms;
}

bool ArtCharacter::IsCorner(char32_t code) {
  if (std::u32string_view(U"+.,'`/\\").find(code) != std::u32string_view::npos) return true;
  const Arms arms = ArmsOf(code);
  const bool across = arms[Way::Left] != 0 || arms[Way::Right] != 0;
  const bool down = arms[Way::Up] != 0 || arms[Way::Down] != 0;
  return across && down;
}

bool ArtCharacter::IsRoundedCorner(char32_t code) { return code == U'.' || code == U'\'' || ArmsOf(code).rounded; }

std::optional<ArtCharacter::Way> ArtCharacter::HeadOf(char32_t code) {
  switch (MarkerTable::ArrowOf(code)) {
    case MarkerTable::LeftArrow:
      return Way::Left;
    case MarkerTable::RightArrow:
      return Way::Right;
    case MarkerTable::UpArrow:
      return Way::Up;
    case MarkerTable::DownArrow:
      return Way::Down;
    default:
      return std::nullopt;
  }
}

bool ArtCharacter::IsTableMarker(char32_t code) {
  if (code >= 0x80) return false;
  for (std::int32_t type = 0; type < MarkerTable::Count; ++type) {
    if (MarkerTable::MarkerText(type).front() == static_cast<char>(code)) return true;
  }
  return false;
}

std::optional<ArtPlan::Marker> ArtCharacter::MarkerOf(char32_t code) {
  if (code < 0x80) {
    for (std::int32_t type = 0; type < MarkerTable::Count; ++type) {
      const std::string_view text = MarkerTable::MarkerText(type);
      if (text.size() == 1 && text.front() == static_cast<char>(code)) return ArtPlan::Marker{type, 0};
    }
  }
  if (CharacterCell::MarkerWidth(code) == 0) return std::nullopt;
  return ArtPlan::Marker{MarkerTable::Character, code};
}

bool ArtCharacter::IsLetter(char32_t code) { return (code >= U'a' && code <= U'z') || (code >= U'A' && code <= U'Z'); }

bool ArtCharacter::IsWordCharacter(char32_t code) {
  return IsLetter(code) || (code >= U'0' && code <= U'9') ||
         std::u32string_view(U"()[]{}").find(code) != std::u32string_view::npos;
}

}  // namespace virlo
