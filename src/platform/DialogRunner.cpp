#include "platform/DialogRunner.h"

namespace virlo {
namespace {
DialogRunner* current = nullptr;
}

DialogRunner* DialogRunner::Current() { return current; }

void DialogRunner::ShowMessage(const std::string& text, const std::string& caption) {
  if (current != nullptr) current->Message(text, caption);
}

DialogRunner* DialogRunner::Install(DialogRunner* runner) {
  DialogRunner* previous = current;
  current = runner;
  return previous;
}

}  // namespace virlo
