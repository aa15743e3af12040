#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/DataExchange.h"
#include "platform/Dialog.h"
#include "platform/QueuedDialogRunner.h"

namespace virlo {
namespace {

constexpr std::int32_t kText = 1005;

// One text control taking at most five bytes.
struct SampleDialog : Dialog {
  SampleDialog() : Dialog(130) {}
  void DoDataExchange(DataExchange& dx) override {
    dx.Text(kText, text);
    dx.MaxChars(kText, text, 5);
  }
  std::string text = "abc";
};

TEST(DialogTest, MaxCharsRefusesLongerTextOnlyOnSave) {
  std::map<std::int32_t, DialogControl> controls;
  DataExchange open(controls, false), save(controls, true);
  EXPECT_TRUE(open.MaxChars(kText, "123456789", 8));
  EXPECT_FALSE(open.Failed());
  EXPECT_TRUE(save.MaxChars(kText, "12345678", 8));
  EXPECT_FALSE(save.MaxChars(kText, "123456789", 8));
  EXPECT_EQ(save.FailedControl(), kText);
}

TEST(DialogTest, CharacterLimitsCountUtf8CharactersNotBytes) {
  std::map<std::int32_t, DialogControl> controls;
  DataExchange open(controls, false);
  open.MaxChars(kText, "", 3, TextUnit::Characters);
  EXPECT_EQ(controls[kText].textUnit, TextUnit::Characters);
  const std::string kana = "\xE5\x9B\xB3\xE8\xA1\xA8\xE3\x81\x82";  // three characters, nine bytes
  DataExchange save(controls, true);
  EXPECT_TRUE(save.MaxChars(kText, kana, 3, TextUnit::Characters));
  EXPECT_FALSE(save.MaxChars(kText, kana + "a", 3, TextUnit::Characters));
  EXPECT_FALSE(save.MaxChars(kText, kana, 8, TextUnit::Bytes));
}

TEST(DialogTest, QueuedRunnerCancelsConfirmsAndKeepsRefusals) {
  QueuedDialogRunner runner;
  runner.Confirm([](Dialog& d) { d.Control(kText).text = "xyz"; });
  runner.Cancel();
  runner.Confirm([](Dialog& d) { d.Control(kText).text = "far too long"; });
  SampleDialog confirmed, cancelled, refused, unanswered;
  EXPECT_EQ(confirmed.DoModal(), DialogResult::Ok);
  EXPECT_EQ(confirmed.text, "xyz");
  EXPECT_EQ(cancelled.DoModal(), DialogResult::Cancel);
  EXPECT_EQ(cancelled.text, "abc");
  EXPECT_TRUE(runner.Refusals().empty());
  EXPECT_EQ(refused.DoModal(), DialogResult::Cancel);  // a refused confirmation cancels
  ASSERT_EQ(runner.Refusals().size(), 1U);
  EXPECT_FALSE(runner.Refusals()[0].empty());
  EXPECT_EQ(unanswered.DoModal(), DialogResult::Cancel);  // nothing queued
  EXPECT_EQ(runner.Opened().size(), 4U);
}

}  // namespace
}  // namespace virlo
