#pragma once

#include <functional>

namespace virlo {

// The language the desktop program speaks. Japanese is the language its texts
// are written in; every other desktop gets the English translation.
enum class UiLanguage { Japanese, English };

// Reads a variable of the environment; null when it is not set.
using EnvironmentReader = std::function<const char*(const char* name)>;

// The language of the desktop: the first of LANGUAGE, LC_ALL, LC_MESSAGES and
// LANG that is set and not empty decides, as it does for gettext. LANGUAGE is
// a list ("ja:en_US"); its first entry counts.
UiLanguage ChooseUiLanguage(const EnvironmentReader& environment);
// The same, from the process's environment.
UiLanguage UiLanguageOfEnvironment();

}  // namespace virlo
