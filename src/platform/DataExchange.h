#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/DialogControl.h"
#include "platform/UiText.h"

namespace virlo {

// One run of a dialog's data exchange: from the dialog's values to its controls
// when it opens, from the controls back to the values (validating them) on OK.
class DataExchange {
 public:
  DataExchange(std::map<std::int32_t, DialogControl>& controls, bool saveAndValidate)
      : controls_(controls), saveAndValidate_(saveAndValidate) {}

  bool SaveAndValidate() const { return saveAndValidate_; }
  DialogControl& Control(std::int32_t id) { return controls_[id]; }

  void Check(std::int32_t id, std::int32_t& value);
  void Radio(std::int32_t firstId, std::int32_t& index);
  void Text(std::int32_t id, std::string& value);
  // Limits the edit when opening; on OK refuses a longer value and returns false.
  bool MaxChars(std::int32_t id, const std::string& value, std::int32_t maxChars, TextUnit unit = TextUnit::Bytes);
  // The length of a text as the unit counts it.
  static std::size_t Length(const std::string& text, TextUnit unit);
  // An integer in an edit: on OK refuses text that is no integer or lies
  // outside min..max, and returns false.
  bool Int(std::int32_t id, std::int32_t& value, std::int32_t min, std::int32_t max);

  // Refuses the exchange: the dialog stays open on the named control.
  void Fail(std::int32_t id, UiText message);
  bool Failed() const { return failed_; }
  std::int32_t FailedControl() const { return failedControl_; }
  const UiText& FailureMessage() const { return failureMessage_; }

 private:
  std::map<std::int32_t, DialogControl>& controls_;
  bool saveAndValidate_;
  bool failed_ = false;
  std::int32_t failedControl_ = 0;
  UiText failureMessage_;
};

}  // namespace virlo
