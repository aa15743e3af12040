#include "platform/Dialog.h"

#include "platform/DialogRunner.h"

namespace virlo {

DialogResult Dialog::DoModal() {
  DialogRunner* runner = DialogRunner::Current();
  if (runner == nullptr) return DialogResult::Cancel;
  DialogRunner::CountModal();
  return runner->Run(*this);
}

bool Dialog::UpdateData(bool saveAndValidate) {
  DataExchange dx(controls_, saveAndValidate);
  DoDataExchange(dx);
  lastFailureText_ = dx.FailureMessage();
  lastFailure_ = lastFailureText_.Text();
  lastFailedControl_ = dx.FailedControl();
  return !dx.Failed();
}

}  // namespace virlo
