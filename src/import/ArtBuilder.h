#pragma once

#include <vector>

#include "import/ArtPlan.h"

namespace virlo {

class DrawObj;
class Sheet;

// Makes the objects of a plan on a sheet, listed in front of what it holds,
// linked as the tools link them, back to front: text, boxes and lines in the
// plan's order, dots, text over lines and sides, and last the characters a
// text box cannot hold.
class ArtBuilder {
 public:
  // The top-level objects made, front first, with the plan's cell (0, 0) at
  // the sheet's cell origin; those the store had no memory for are left out.
  static std::vector<DrawObj*> Build(const ArtPlan& plan, Sheet& sheet, ArtPlan::Cell origin);
};

}  // namespace virlo
