#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/UiLanguage.h"

namespace virlo {
namespace {

UiLanguage LanguageOf(const std::map<std::string, std::string>& variables) {
  return ChooseUiLanguage([&variables](const char* name) -> const char* {
    const auto it = variables.find(name);
    return it == variables.end() ? nullptr : it->second.c_str();
  });
}

// The first of LANGUAGE, LC_ALL, LC_MESSAGES and LANG that is set and not
// empty decides; only a Japanese locale name gives Japanese.
TEST(UiLanguageTest, FirstVariableSetDecides) {
  EXPECT_EQ(LanguageOf({}), UiLanguage::English);
  EXPECT_EQ(LanguageOf({{"LANG", "ja_JP.UTF-8"}}), UiLanguage::Japanese);
  EXPECT_EQ(LanguageOf({{"LANG", "ja_JP.UTF-8"}, {"LC_MESSAGES", "en_US.UTF-8"}}), UiLanguage::English);
  EXPECT_EQ(LanguageOf({{"LANG", "en_US.UTF-8"}, {"LC_MESSAGES", "ja_JP.eucJP"}}), UiLanguage::Japanese);
  EXPECT_EQ(LanguageOf({{"LC_MESSAGES", "ja_JP.UTF-8"}, {"LC_ALL", "C"}}), UiLanguage::English);
  EXPECT_EQ(LanguageOf({{"LC_ALL", "en_GB.UTF-8"}, {"LANGUAGE", "ja"}}), UiLanguage::Japanese);
  EXPECT_EQ(LanguageOf({{"LC_ALL", "ja_JP.UTF-8"}, {"LANGUAGE", "de:en"}}), UiLanguage::English);
  // Set but empty counts as not set.
  EXPECT_EQ(LanguageOf({{"LANGUAGE", ""}, {"LC_ALL", ""}, {"LANG", "ja_JP.UTF-8"}}), UiLanguage::Japanese);
}

TEST(UiLanguageTest, LocaleNames) {
  for (const char* japanese : {"ja", "ja_JP", "ja_JP.UTF-8", "ja.UTF-8", "ja_JP@cjknarrow", "ja-JP", "JA_JP"}) {
    EXPECT_EQ(LanguageOf({{"LANG", japanese}}), UiLanguage::Japanese) << japanese;
  }
  for (const char* other : {"C", "POSIX", "C.UTF-8", "en_US.UTF-8", "jam", "j", "de_DE", "zh_CN.UTF-8"}) {
    EXPECT_EQ(LanguageOf({{"LANG", other}}), UiLanguage::English) << other;
  }
  // LANGUAGE is a list: its first entry that is not empty counts.
  EXPECT_EQ(LanguageOf({{"LANGUAGE", "ja:en_US"}}), UiLanguage::Japanese);
  EXPECT_EQ(LanguageOf({{"LANGUAGE", "en_US:ja"}}), UiLanguage::English);
  EXPECT_EQ(LanguageOf({{"LANGUAGE", "::ja_JP"}}), UiLanguage::Japanese);
  EXPECT_EQ(LanguageOf({{"LANGUAGE", ":"}, {"LANG", "ja_JP.UTF-8"}}), UiLanguage::Japanese);
}

}  // namespace
}  // namespace virlo
