#include "dialogs/ObjectDialogs.h"

#include <vector>

#include "dialogs/FormatDialog.h"
#include "dialogs/MarkerDialog.h"
#include "dialogs/TextDialog.h"
#include "objects/Box.h"
#include "objects/Dot.h"
#include "objects/Line.h"
#include "objects/StrBox.h"

namespace virlo {

std::unique_ptr<Dialog> ObjectDialogs::For(DrawObj& obj) {
  // A text box is a box, and a line end a dot: the narrower kind first.
  if (auto* text = dynamic_cast<StrBox*>(&obj)) return std::make_unique<TextDialog>(text);
  if (auto* box = dynamic_cast<Box*>(&obj)) return std::make_unique<FormatDialog>(std::vector<DrawObj*>{box});
  if (auto* dot = dynamic_cast<Dot*>(&obj)) return std::make_unique<MarkerDialog>(dot);
  if (auto* line = dynamic_cast<Line*>(&obj))
    return std::make_unique<FormatDialog>(std::vector<DrawObj*>{line->Root()});
  return nullptr;
}

}  // namespace virlo
