#include "platform/Clipboard.h"

namespace virlo {
namespace {
Clipboard* current = nullptr;
}

Clipboard* Clipboard::Current() { return current; }

Clipboard* Clipboard::Install(Clipboard* clipboard) {
  Clipboard* previous = current;
  current = clipboard;
  return previous;
}

}  // namespace virlo
