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
  // Whether the whole text is well-formed UTF-8.
  static bool IsValid(std::string_view text);
  // The first control character of a UTF-8 text, one a terminal would act
  // on (escape, bell, a carriage return of its own, a C1 control such as
  // U+009B); nothing when there is none. Line breaks, LF or CR LF, are no
  // such character.
  static std::optional<char32_t> FirstControl(std::string_view text);
  // A character's code as "U+0009".
  static std::string CodeName(char32_t code);
};

}  // namespace virlo
