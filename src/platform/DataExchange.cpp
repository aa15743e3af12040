#include "platform/DataExchange.h"

#include <charconv>

namespace virlo {

void DataExchange::Check(std::int32_t id, std::int32_t& value) {
  if (saveAndValidate_) {
    value = Control(id).value;
  } else {
    Control(id).value = value;
  }
}

void DataExchange::Radio(std::int32_t firstId, std::int32_t& index) {
  if (saveAndValidate_) {
    index = Control(firstId).value;
  } else {
    Control(firstId).value = index;
  }
}

void DataExchange::Text(std::int32_t id, std::string& value) {
  if (saveAndValidate_) {
    value = Control(id).text;
  } else {
    Control(id).text = value;
  }
}

std::size_t DataExchange::Length(const std::string& text, TextUnit unit) {
  if (unit == TextUnit::Bytes) return text.size();
  // Every UTF-8 character has exactly one byte that is not a continuation byte.
  std::size_t characters = 0;
  for (const char ch : text) {
    if ((static_cast<unsigned char>(ch) & 0xC0) != 0x80) ++characters;
  }
  return characters;
}

bool DataExchange::MaxChars(std::int32_t id, const std::string& value, std::int32_t maxChars, TextUnit unit) {
  if (!saveAndValidate_) {
    Control(id).textLimit = maxChars;
    Control(id).textUnit = unit;
    return true;
  }
  if (Length(value, unit) > static_cast<std::size_t>(maxChars)) {
    Fail(id, UiText(VIRLO_UI_TEXT("DataExchange", "%1 文字以内で入力してください。"), {std::to_string(maxChars)}));
    return false;
  }
  return true;
}

bool DataExchange::Int(std::int32_t id, std::int32_t& value, std::int32_t min, std::int32_t max) {
  if (!saveAndValidate_) {
    Control(id).text = std::to_string(value);
    return true;
  }
  const std::string& text = Control(id).text;
  const std::size_t begin = text.find_first_not_of(' ');
  const std::size_t end = text.find_last_not_of(' ');
  std::int64_t number = 0;
  bool digits = begin != std::string::npos;
  if (digits) {
    const char* first = text.data() + begin;
    const char* last = text.data() + end + 1;
    const auto [ptr, ec] = std::from_chars(first, last, number);
    digits = ec == std::errc() && ptr == last;
  }
  if (!digits) {
    Fail(id, UiText(VIRLO_UI_TEXT("DataExchange", "整数を入力してください。")));
    return false;
  }
  if (number < min || number > max) {
    Fail(id, UiText(VIRLO_UI_TEXT("DataExchange", "%1 から %2 までの整数を入力してください。"),
                    {std::to_string(min), std::to_string(max)}));
    return false;
  }
  value = static_cast<std::int32_t>(number);
  return true;
}

void DataExchange::Fail(std::int32_t id, UiText message) {
  failed_ = true;
  failedControl_ = id;
  failureMessage_ = std::move(message);
}

}  // namespace virlo
