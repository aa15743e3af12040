#include "import/ArtRecognizer.h"

#include <utility>

#include "import/AsciiCover.h"
#include "import/BareTreeFinder.h"
#include "import/BoxFinder.h"
#include "import/DotFinder.h"
#include "import/EndLinker.h"
#include "import/LabelFinder.h"
#include "import/LeftoverFinder.h"
#include "import/LineFinder.h"
#include "import/Stacker.h"
#include "import/StepFinder.h"
#include "import/TextFinder.h"

namespace virlo {

ArtRecognizer::ArtRecognizer(const ArtGrid& grid, const std::vector<std::uint8_t>& forcedText)
    : cells_(grid, forcedText) {}

ArtPlan ArtRecognizer::Recognize() {
  LabelFinder(cells_).Run();
  BoxFinder(cells_, plan_).Run();
  BareTreeFinder(cells_, plan_).Run();
  LineFinder(cells_, plan_).Run();
  StepFinder(cells_, plan_).Run();
  EndLinker(cells_, plan_).Run();
  AsciiCover(cells_, plan_).CoverSides();
  DotFinder(cells_, plan_).Run();
  if (cells_.Unicode()) AsciiCover(cells_, plan_).Run();
  Stacker(cells_, plan_).Run();
  TextFinder(cells_, plan_).Run();
  LeftoverFinder(cells_, plan_).Run();
  return std::move(plan_);
}

}  // namespace virlo
