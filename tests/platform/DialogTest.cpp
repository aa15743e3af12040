#include "platform/Dialog.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/DataExchange.h"
#include "platform/DialogRunner.h"
#include "platform/QueuedDialogRunner.h"

namespace virlo {
namespace {

constexpr std::int32_t kTemplate = 130;
constexpr std::int32_t kCheck = 1001;
constexpr std::int32_t kRadio = 1002;
constexpr std::int32_t kText = 1005;

// A dialog with one control of each kind; the text takes at most five bytes.
class SampleDialog : public Dialog {
 public:
  SampleDialog() : Dialog(kTemplate) {}

  std::int32_t check = 1;
  std::int32_t radio = 2;
  std::string text = "abc";
  int exchanges = 0;

 protected:
  void DoDataExchange(DataExchange& dx) override {
    ++exchanges;
    dx.Check(kCheck, check);
    dx.Radio(kRadio, radio);
    dx.Text(kText, text);
    dx.MaxChars(kText, text, 5);
  }
};

// Leaves no runner installed for the length of a test.
class NoRunner {
 public:
  NoRunner() : previous_(DialogRunner::Install(nullptr)) {}
  ~NoRunner() { DialogRunner::Install(previous_); }
  NoRunner(const NoRunner&) = delete;
  NoRunner& operator=(const NoRunner&) = delete;

 private:
  DialogRunner* previous_;
};

TEST(DataExchangeTest, MaxCharsRefusesLongerTextOnSave) {
  std::map<std::int32_t, DialogControl> controls;
  const std::string text = "123456789";
  DataExchange open(controls, false);
  EXPECT_TRUE(open.MaxChars(kText, text, 8));  // opening only sets the limit
  EXPECT_FALSE(open.Failed());

  DataExchange ok(controls, true);
  EXPECT_FALSE(ok.MaxChars(kText, text, 8));
  EXPECT_TRUE(ok.Failed());
  EXPECT_EQ(ok.FailedControl(), kText);
  EXPECT_FALSE(ok.FailureMessage().empty());
}

TEST(DialogTest, UpdateDataReportsRefusals) {
  SampleDialog dialog;
  EXPECT_EQ(dialog.TemplateId(), kTemplate);
  EXPECT_TRUE(dialog.UpdateData(false));
  EXPECT_EQ(dialog.Control(kCheck).value, 1);
  EXPECT_EQ(dialog.Control(kRadio).value, 2);
  EXPECT_EQ(dialog.Control(kText).text, "abc");
  EXPECT_EQ(dialog.Control(kText).textLimit, 5);

  dialog.Control(kText).text = "toolong";
  EXPECT_FALSE(dialog.UpdateData(true));
  EXPECT_FALSE(dialog.LastFailure().empty());
  EXPECT_EQ(dialog.LastFailedControl(), kText);

  // Exactly the limit is accepted, and every value comes back.
  dialog.Control(kText).text = "12345";
  dialog.Control(kCheck).value = 0;
  dialog.Control(kRadio).value = 1;
  EXPECT_TRUE(dialog.UpdateData(true));
  EXPECT_EQ(dialog.text, "12345");
  EXPECT_EQ(dialog.check, 0);
  EXPECT_EQ(dialog.radio, 1);
}

TEST(DialogTest, DoModalWithoutRunnerCancels) {
  NoRunner none;
  SampleDialog dialog;
  EXPECT_EQ(dialog.DoModal(), DialogResult::Cancel);
  EXPECT_EQ(dialog.text, "abc");
}

TEST(QueuedDialogRunnerTest, AnswersFromItsQueue) {
  NoRunner none;
  {
    QueuedDialogRunner runner;
    EXPECT_EQ(DialogRunner::Current(), &runner);

    // No answer waiting: cancelled, though the dialog was opened.
    SampleDialog unanswered;
    EXPECT_EQ(unanswered.DoModal(), DialogResult::Cancel);
    EXPECT_EQ(unanswered.Control(kText).text, "abc");

    // Confirmed with an edit: the values come back.
    runner.Confirm([](Dialog& d) {
      d.Control(kText).text = "xyz";
      d.Control(kRadio).value = 0;
    });
    runner.Cancel();
    EXPECT_EQ(runner.Pending(), 2U);
    SampleDialog confirmed;
    EXPECT_EQ(confirmed.DoModal(), DialogResult::Ok);
    EXPECT_EQ(confirmed.text, "xyz");
    EXPECT_EQ(confirmed.radio, 0);
    EXPECT_EQ(confirmed.exchanges, 2);
    EXPECT_EQ(runner.Pending(), 1U);

    // Cancelled: the dialog exchanged once, when it opened.
    SampleDialog cancelled;
    EXPECT_EQ(cancelled.DoModal(), DialogResult::Cancel);
    EXPECT_EQ(cancelled.exchanges, 1);
    EXPECT_EQ(cancelled.text, "abc");
    EXPECT_TRUE(runner.Refusals().empty());

    // A confirmation that validation refuses counts as cancelled.
    runner.Confirm([](Dialog& d) { d.Control(kText).text = "far too long"; });
    SampleDialog refused;
    EXPECT_EQ(refused.DoModal(), DialogResult::Cancel);
    ASSERT_EQ(runner.Refusals().size(), 1U);
    EXPECT_EQ(runner.Refusals()[0], refused.LastFailure());
    EXPECT_FALSE(runner.Refusals()[0].empty());

    EXPECT_EQ(runner.Opened(), (std::vector<std::int32_t>{kTemplate, kTemplate, kTemplate, kTemplate}));
  }
  // The runner takes itself out when it goes.
  EXPECT_EQ(DialogRunner::Current(), nullptr);
}

}  // namespace
}  // namespace virlo
