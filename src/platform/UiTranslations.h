#pragma once

#include <span>
#include <string_view>

namespace virlo {

// One text of the program in English: its translation context, its
// Japanese source and its English.
struct UiTranslation {
  std::string_view context;
  std::string_view source;
  std::string_view english;
};

// Every translated text, made at build time from translations/virlo_en.ts.
std::span<const UiTranslation> EnglishTranslations();

}  // namespace virlo
