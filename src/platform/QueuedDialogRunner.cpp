#include "platform/QueuedDialogRunner.h"

namespace virlo {

QueuedDialogRunner::QueuedDialogRunner() : previous_(DialogRunner::Install(this)) {}

QueuedDialogRunner::~QueuedDialogRunner() {
  if (DialogRunner::Current() == this) DialogRunner::Install(previous_);
}

DialogResult QueuedDialogRunner::Run(Dialog& dialog) {
  opened_.push_back(dialog.TemplateId());
  dialog.UpdateData(false);
  if (answers_.empty()) return DialogResult::Cancel;
  Answer answer = std::move(answers_.front());
  answers_.pop_front();
  if (!answer.confirm) return DialogResult::Cancel;
  if (answer.edit) answer.edit(dialog);
  if (!dialog.UpdateData(true)) {
    refusals_.push_back(dialog.LastFailure());
    return DialogResult::Cancel;
  }
  return DialogResult::Ok;
}

}  // namespace virlo
