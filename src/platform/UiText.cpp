#include "platform/UiText.h"

#include <string_view>
#include <unordered_map>
#include <utility>

#include "platform/UiTranslations.h"

namespace virlo {

UiText::UiText(Source source, std::vector<std::string> arguments)
    : context_(source.context), source_(source.text), arguments_(std::move(arguments)) {}

UiText UiText::Plain(std::string text) {
  UiText plain;
  plain.source_ = std::move(text);
  return plain;
}

namespace {

UiLanguage language = UiLanguage::Japanese;

// The English of a text by its context and source; null when there is none.
const std::string_view* English(std::string_view context, std::string_view source) {
  static const std::unordered_map<std::string, std::string_view> table = [] {
    std::unordered_map<std::string, std::string_view> made;
    for (const UiTranslation& entry : EnglishTranslations()) {
      made.emplace(std::string(entry.context) + '\0' + std::string(entry.source), entry.english);
    }
    return made;
  }();
  const auto it = table.find(std::string(context) + '\0' + std::string(source));
  return it != table.end() ? &it->second : nullptr;
}

}  // namespace

void UiText::SetLanguage(UiLanguage chosen) { language = chosen; }

UiLanguage UiText::Language() { return language; }

std::string UiText::Text() const { return In(language); }

std::string UiText::In(UiLanguage chosen) const {
  if (chosen == UiLanguage::English && !context_.empty()) {
    if (const std::string_view* english = English(context_, source_)) return Format(*english, arguments_);
  }
  return Format(source_, arguments_);
}

std::string UiText::Format(std::string_view pattern, const std::vector<std::string>& arguments) {
  std::string result;
  result.reserve(pattern.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
      const auto index = static_cast<std::size_t>(pattern[i + 1] - '1');
      if (index < arguments.size()) {
        result += arguments[index];
        ++i;
        continue;
      }
    }
    result += pattern[i];
  }
  return result;
}

}  // namespace virlo
