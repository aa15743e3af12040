#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/DialogRunner.h"

namespace virlo {

// A runner without a screen: each dialog takes the next queued answer. An
// answer may change the controls before it confirms, and may be meant for one
// kind of dialog only. A dialog with no answer waiting, or whose answer was
// meant for another kind, is cancelled; so is a confirmation that validation
// refuses. Each of these is told to the note handler.
class QueuedDialogRunner : public DialogRunner {
 public:
  struct Answer {
    bool confirm = true;
    std::function<void(Dialog&)> edit;
    // The dialog template the answer is for; 0 for any.
    std::int32_t templateId = 0;
  };

  QueuedDialogRunner();
  ~QueuedDialogRunner() override;

  void Confirm(std::function<void(Dialog&)> edit = nullptr, std::int32_t templateId = 0) {
    answers_.push_back({true, std::move(edit), templateId});
  }
  void Cancel() { answers_.push_back({false, nullptr, 0}); }
  void SetNoteHandler(std::function<void(const std::string&)> note) { note_ = std::move(note); }
  std::size_t Pending() const { return answers_.size(); }
  // Forgets the answers not taken, so what one test left does not answer the next.
  void Clear() { answers_.clear(); }

  DialogResult Run(Dialog& dialog) override;
  // Messages are kept, and told to the note handler.
  void Message(const UiText& text, const UiText& caption) override;
  const std::vector<std::string>& Messages() const { return messages_; }

  // What happened so far: the template of every dialog opened, and refusals.
  const std::vector<std::int32_t>& Opened() const { return opened_; }
  const std::vector<std::string>& Refusals() const { return refusals_; }

 private:
  void Note(const std::string& text);

  DialogRunner* previous_;
  std::deque<Answer> answers_;
  std::vector<std::int32_t> opened_;
  std::vector<std::string> refusals_;
  std::vector<std::string> messages_;
  std::function<void(const std::string&)> note_;
};

}  // namespace virlo
