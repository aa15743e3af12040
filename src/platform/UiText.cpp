#include "platform/UiText.h"

#include <utility>

namespace virlo {

UiText::UiText(Source source, std::vector<std::string> arguments)
    : context_(source.context), source_(source.text), arguments_(std::move(arguments)) {}

UiText UiText::Plain(std::string text) {
  UiText plain;
  plain.source_ = std::move(text);
  return plain;
}

std::string UiText::Text() const { return Format(source_, arguments_); }

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
