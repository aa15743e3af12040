#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/DialogRunner.h"

namespace virlo {

// A runner without a screen: each dialog takes the next queued answer. An
// answer may change the controls before it confirms; a dialog with no answer
// waiting is cancelled. A confirmation that validation refuses counts as
// cancelled, and the refusal is kept.
class QueuedDialogRunner : public DialogRunner {
 public:
  struct Answer {
    bool confirm = true;
    std::function<void(Dialog&)> edit;
  };

  QueuedDialogRunner();
  ~QueuedDialogRunner() override;

  void Confirm(std::function<void(Dialog&)> edit = nullptr) { answers_.push_back({true, std::move(edit)}); }
  void Cancel() { answers_.push_back({false, nullptr}); }
  std::size_t Pending() const { return answers_.size(); }

  DialogResult Run(Dialog& dialog) override;

  // What happened so far: the template of every dialog opened, and refusals.
  const std::vector<std::int32_t>& Opened() const { return opened_; }
  const std::vector<std::string>& Refusals() const { return refusals_; }

 private:
  DialogRunner* previous_;
  std::deque<Answer> answers_;
  std::vector<std::int32_t> opened_;
  std::vector<std::string> refusals_;
};

}  // namespace virlo
