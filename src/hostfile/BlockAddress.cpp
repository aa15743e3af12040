#include "hostfile/BlockAddress.h"

#include <charconv>
#include <filesystem>

namespace virlo {

BlockAddress BlockAddress::Parse(std::string_view text) {
  BlockAddress whole{std::string(text), std::nullopt};
  std::error_code ec;
  if (std::filesystem::exists(std::filesystem::path(whole.path), ec)) return whole;
  const std::size_t colon = text.rfind(':');
  if (colon == std::string_view::npos || colon == 0 || colon + 1 == text.size()) return whole;
  const std::string_view digits = text.substr(colon + 1);
  std::size_t line = 0;
  const auto [end, result] = std::from_chars(digits.data(), digits.data() + digits.size(), line);
  if (result != std::errc() || end != digits.data() + digits.size() || line == 0) return whole;
  return {std::string(text.substr(0, colon)), line};
}

}  // namespace virlo
