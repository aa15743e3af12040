#include "platform/DataExchange.h"

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

bool DataExchange::MaxChars(std::int32_t id, const std::string& value, std::int32_t maxChars) {
  if (!saveAndValidate_) {
    Control(id).textLimit = maxChars;
    return true;
  }
  if (value.size() > static_cast<std::size_t>(maxChars)) {
    Fail(id, std::to_string(maxChars) + " 文字以内で入力してください。");
    return false;
  }
  return true;
}

void DataExchange::Fail(std::int32_t id, std::string message) {
  failed_ = true;
  failedControl_ = id;
  failureMessage_ = std::move(message);
}

}  // namespace virlo
