#include "import/StepFinder.h"

#include <unordered_map>

#include "import/ArtCharacter.h"

namespace virlo {
namespace {

using Use = RecognizerGrid::Use;
using Way = ArtCharacter::Way;

bool TurnsDown(char32_t code) {
  const ArtCharacter::Arms arms = ArtCharacter::ArmsOf(code);
  return arms.Any() ? arms[Way::Down] > 0 : code == U'.' || code == U',';
}

bool TurnsUp(char32_t code) {
  const ArtCharacter::Arms arms = ArtCharacter::ArmsOf(code);
  return arms.Any() ? arms[Way::Up] > 0 : code == U'\'' || code == U'`';
}

}  // namespace

void StepFinder::Run() {
  // The ends of the lines across, by their cells.
  std::unordered_map<std::size_t, ArtPlan::Marker> endMarkers;
  for (const ArtPlan::Line& line : plan_.lines) {
    if (!line.horizontal) continue;
    endMarkers[cells_.Index(line.start.cell)] = line.start.marker;
    endMarkers[cells_.Index(line.end.cell)] = line.end.marker;
  }
  for (std::int32_t r = 0; r + 1 < cells_.Rows(); ++r) {
    for (std::int32_t c = 0; c < cells_.Columns(); ++c) {
      const auto upper = endMarkers.find(cells_.Index(c, r));
      const auto lower = endMarkers.find(cells_.Index(c, r + 1));
      if (upper == endMarkers.end() || lower == endMarkers.end()) continue;
      const RecognizerGrid::Cell& above = cells_.At(c, r);
      const RecognizerGrid::Cell& below = cells_.At(c, r + 1);
      if (above.use != Use::End || below.use != Use::End || above.down || below.down) continue;
      if (!TurnsDown(cells_.Shape(c, r)) || !TurnsUp(cells_.Shape(c, r + 1))) continue;
      ArtPlan::Line line;
      line.horizontal = false;
      // Box drawing weighs its arm down: the stroke the step shows.
      const std::uint8_t weight = ArtCharacter::ArmsOf(cells_.Shape(c, r))[Way::Down];
      line.stroke = weight == 2 ? Stroke::Heavy : weight == 3 ? Stroke::Double : Stroke::Solid;
      line.start = {{c, r}, upper->second, {}};
      line.end = {{c, r + 1}, lower->second, {}};
      plan_.lines.push_back(line);
    }
  }
}

}  // namespace virlo
