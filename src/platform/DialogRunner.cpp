#include "platform/DialogRunner.h"

namespace virlo {
namespace {
DialogRunner* current = nullptr;
}

DialogRunner* DialogRunner::Current() { return current; }

DialogRunner* DialogRunner::Install(DialogRunner* runner) {
  DialogRunner* previous = current;
  current = runner;
  return previous;
}

}  // namespace virlo
