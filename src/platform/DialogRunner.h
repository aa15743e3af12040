#pragma once

#include <cstdint>
#include <string>

#include "platform/Dialog.h"
#include "platform/UiText.h"

namespace virlo {

// Shows core dialogs to the user. The runner opens the dialog (UpdateData
// false), lets the user work on its controls, and on OK runs UpdateData(true),
// keeping the dialog open while that refuses.
class DialogRunner {
 public:
  virtual ~DialogRunner() = default;
  virtual DialogResult Run(Dialog& dialog) = 0;
  // A message box with an OK button only; an empty caption is the application's.
  virtual void Message(const UiText& text, const UiText& caption) = 0;

  // Shows a message through the installed runner; nothing when there is none.
  static void ShowMessage(const UiText& text, const UiText& caption = {});
  // The same for text that is shown as it is, untranslated.
  static void ShowMessage(const std::string& text, const std::string& caption = "");

  // How many dialogs and messages have been shown modally so far. A modal
  // window takes the mouse, so a view compares it before and after a call to
  // learn that a drag it held was cut short.
  static std::uint64_t ModalCount();
  static void CountModal();

  static DialogRunner* Current();
  // Installs a runner (null: none); returns the one installed before.
  static DialogRunner* Install(DialogRunner* runner);
};

}  // namespace virlo
