#include "objects/ClipboardSheet.h"

#include "objects/Sheet.h"

namespace virlo {
namespace {
Sheet clipboard(1024, 1024, 8, 16);
}

Sheet* const clipboardSheet = &clipboard;

}  // namespace virlo
