#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/DataExchange.h"
#include "platform/UiText.h"

namespace virlo {
namespace {

// Arguments go in once, in one pass: text that looks like a marker inside an
// argument stays, and a marker without an argument stays as written.
TEST(UiTextTest, FormatPutsArgumentsInOnePass) {
  EXPECT_EQ(UiText::Format("%1 から %2 まで", {"20", "256"}), "20 から 256 まで");
  EXPECT_EQ(UiText::Format("%2/%1/%2", {"a", "b"}), "b/a/b");
  EXPECT_EQ(UiText::Format("\"%1\" %2", {"%2.txt", "x"}), "\"%2.txt\" x");
  EXPECT_EQ(UiText::Format("%1 %3 100% %", {"a"}), "a %3 100% %");
  const UiText text(VIRLO_UI_TEXT("Context", "%1 文字以内"), {"128"});
  EXPECT_EQ(text.Context(), "Context");
  EXPECT_EQ(text.SourceText(), "%1 文字以内");
  EXPECT_EQ(text.Text(), "128 文字以内");
  EXPECT_TRUE(UiText::Plain("as is").Context().empty());
  EXPECT_EQ(UiText::Plain("100%1").Text(), "100%1");
}

// A refused exchange keeps its message as source text and arguments, for the
// translation, and the text the Japanese program shows.
TEST(UiTextTest, DialogRefusalsKeepTheirSourceText) {
  std::map<std::int32_t, DialogControl> controls;
  DataExchange save(controls, true);
  controls[7].text = "300";
  std::int32_t value = 0;
  EXPECT_FALSE(save.Int(7, value, 20, 256));
  EXPECT_EQ(save.FailureMessage().Text(), "20 から 256 までの整数を入力してください。");
  EXPECT_EQ(save.FailureMessage().SourceText(), "%1 から %2 までの整数を入力してください。");
  EXPECT_EQ(save.FailureMessage().Context(), "DataExchange");
  for (const char* notANumber : {"2x", " "}) {
    controls[7].text = notANumber;
    EXPECT_FALSE(save.Int(7, value, 20, 256)) << notANumber;
  }
  EXPECT_FALSE(save.MaxChars(8, "123456789", 8));
  EXPECT_EQ(save.FailureMessage().Text(), "8 文字以内で入力してください。");
}

constexpr std::int32_t kText = 1005;

// Limits apply when the dialog's values are taken, never when they are shown;
// a limit in characters counts UTF-8 characters, one in bytes counts bytes.
TEST(DialogTest, MaxCharsRefusesLongerTextOnlyOnSave) {
  std::map<std::int32_t, DialogControl> controls;
  DataExchange open(controls, false);
  DataExchange save(controls, true);
  EXPECT_TRUE(open.MaxChars(kText, "123456789", 8, TextUnit::Characters));
  EXPECT_FALSE(open.Failed());
  EXPECT_EQ(controls[kText].textUnit, TextUnit::Characters);
  EXPECT_TRUE(save.MaxChars(kText, "12345678", 8));
  const std::string kana = "\xE5\x9B\xB3\xE8\xA1\xA8\xE3\x81\x82";  // three characters, nine bytes
  EXPECT_TRUE(save.MaxChars(kText, kana, 3, TextUnit::Characters));
  EXPECT_FALSE(save.Failed());
  EXPECT_FALSE(save.MaxChars(kText, kana + "a", 3, TextUnit::Characters));
  EXPECT_FALSE(save.MaxChars(kText, kana, 8, TextUnit::Bytes));
  EXPECT_EQ(save.FailedControl(), kText);
}

}  // namespace
}  // namespace virlo
