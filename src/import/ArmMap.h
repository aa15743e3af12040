#pragma once

#include <cstdint>
#include <vector>

#include "import/ArtCharacter.h"
#include "import/ArtPlan.h"
#include "import/RecognizerGrid.h"

namespace virlo {

// The arms the plan's lines and box sides leave each cell by, weighed as
// the canvas's line layer weighs them: what a box-drawing character there
// shows once the plan is built. Where the art's character shows other arms
// (a tree's "├" whose arm up reaches the name above it), an end or a dot
// there shows the character itself.
class ArmMap {
 public:
  ArmMap(const RecognizerGrid& cells, const ArtPlan& plan);
  // Whether the plan draws at a cell the arms of the box-drawing character
  // there; true for any other character.
  bool Shows(const ArtPlan::Cell& at) const;

 private:
  void AddRun(bool horizontal, std::int32_t fixed, std::int32_t from, std::int32_t to, Stroke stroke);
  void Add(std::int32_t c, std::int32_t r, ArtCharacter::Way way, Stroke stroke);

  const RecognizerGrid& cells_;
  std::vector<ArtCharacter::Arms> arms_;
};

}  // namespace virlo
