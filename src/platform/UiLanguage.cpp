#include "platform/UiLanguage.h"

#include <cstdlib>
#include <string_view>

namespace virlo {
namespace {

// A locale name such as "ja", "ja_JP.UTF-8", "ja_JP@cjknarrow" or "ja-JP" is Japanese.
bool IsJapanese(std::string_view locale) {
  if (locale.size() < 2) return false;
  const bool ja = (locale[0] == 'j' || locale[0] == 'J') && (locale[1] == 'a' || locale[1] == 'A');
  if (!ja) return false;
  if (locale.size() == 2) return true;
  const char next = locale[2];
  return next == '_' || next == '-' || next == '.' || next == '@';
}

}  // namespace

UiLanguage ChooseUiLanguage(const EnvironmentReader& environment) {
  for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = environment(name);
    if (value == nullptr || *value == '\0') continue;
    std::string_view locale(value);
    if (std::string_view(name) == "LANGUAGE") {
      // Empty entries of the list are skipped; a list of nothing else is no choice.
      const std::size_t start = locale.find_first_not_of(':');
      if (start == std::string_view::npos) continue;
      locale = locale.substr(start);
      locale = locale.substr(0, locale.find(':'));
    }
    return IsJapanese(locale) ? UiLanguage::Japanese : UiLanguage::English;
  }
  return UiLanguage::English;
}

UiLanguage UiLanguageOfEnvironment() {
  return ChooseUiLanguage([](const char* name) { return std::getenv(name); });
}

}  // namespace virlo
