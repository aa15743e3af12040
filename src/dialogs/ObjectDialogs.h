#pragma once

#include <memory>

#include "platform/Dialog.h"

namespace virlo {

class DrawObj;

// The dialog that edits an object, as a right press opens it: the marker
// picker for a dot or a line end, the text dialog for a text box, the format
// dialog for a box or a line (for a box side, its whole box).
class ObjectDialogs {
 public:
  // Null for an object no dialog edits.
  static std::unique_ptr<Dialog> For(DrawObj& obj);
};

}  // namespace virlo
