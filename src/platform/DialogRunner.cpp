#include "platform/DialogRunner.h"

namespace virlo {
namespace {
DialogRunner* current = nullptr;
std::uint64_t modalCount = 0;
}  // namespace

std::uint64_t DialogRunner::ModalCount() { return modalCount; }

void DialogRunner::CountModal() { ++modalCount; }

DialogRunner* DialogRunner::Current() { return current; }

void DialogRunner::ShowMessage(const UiText& text, const UiText& caption) {
  if (current == nullptr) return;
  CountModal();
  current->Message(text, caption);
}

void DialogRunner::ShowMessage(const std::string& text, const std::string& caption) {
  ShowMessage(UiText::Plain(text), UiText::Plain(caption));
}

DialogRunner* DialogRunner::Install(DialogRunner* runner) {
  DialogRunner* previous = current;
  current = runner;
  return previous;
}

}  // namespace virlo
