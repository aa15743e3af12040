#include "platform/QueuedDialogRunner.h"

namespace virlo {
namespace {

// A dialog as messages name it: its title, in the language of the core.
std::string Named(const Dialog& dialog) { return "\"" + dialog.Title().Text() + "\""; }

}  // namespace

QueuedDialogRunner::QueuedDialogRunner() : previous_(DialogRunner::Install(this)) {}

QueuedDialogRunner::~QueuedDialogRunner() {
  if (DialogRunner::Current() == this) DialogRunner::Install(previous_);
}

DialogResult QueuedDialogRunner::Run(Dialog& dialog) {
  opened_.push_back(dialog.TemplateId());
  dialog.UpdateData(false);
  if (answers_.empty()) {
    Note("the dialog " + Named(dialog) + " opened with no answer waiting: cancelled");
    return DialogResult::Cancel;
  }
  Answer answer = std::move(answers_.front());
  answers_.pop_front();
  if (!answer.confirm) return DialogResult::Cancel;
  if (answer.templateId != 0 && answer.templateId != dialog.TemplateId()) {
    Note("the answer waiting was for another kind of dialog: " + Named(dialog) + " cancelled");
    return DialogResult::Cancel;
  }
  if (answer.edit) answer.edit(dialog);
  if (!dialog.UpdateData(true)) {
    refusals_.push_back(dialog.LastFailure());
    Note("the dialog " + Named(dialog) + " refused the answer: " + dialog.LastFailure());
    return DialogResult::Cancel;
  }
  return DialogResult::Ok;
}

void QueuedDialogRunner::Message(const UiText& message, const UiText& caption) {
  const std::string text = message.Text();
  messages_.push_back(text);
  Note(caption.Empty() ? text : caption.Text() + ": " + text);
}

void QueuedDialogRunner::Note(const std::string& text) {
  if (note_) note_(text);
}

}  // namespace virlo
