#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/DataExchange.h"

namespace virlo {
namespace {

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
