#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace virlo {

// Single characters of UTF-8 text.
class Utf8 {
 public:
  // The character at text[i], moving i past it; nothing (i unmoved) for a
  // malformed, overlong or surrogate sequence.
  static std::optional<char32_t> Decode(std::string_view text, std::size_t& i);
  // A character (up to U+10FFFF) as UTF-8.
  static std::string Encode(char32_t code);
  // The one character a text holds; nothing when it holds none, more than
  // one, or is not UTF-8.
  static std::optional<char32_t> Single(std::string_view text);
};

}  // namespace virlo
