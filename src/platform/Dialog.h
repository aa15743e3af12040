#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "platform/DataExchange.h"
#include "platform/DialogControl.h"
#include "platform/Rect.h"
#include "platform/UiText.h"

namespace virlo {

enum class DialogResult : std::int32_t { Ok = 1, Cancel = 2 };

// A modal dialog of the core: its controls and its data exchange. How it looks
// and how the user answers it is the installed DialogRunner's business.
class Dialog {
 public:
  // The template tells the runner how to show it; the title names it to the user.
  Dialog(std::int32_t templateId, UiText title) : templateId_(templateId), title_(std::move(title)) {}
  virtual ~Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  std::int32_t TemplateId() const { return templateId_; }
  const UiText& Title() const { return title_; }

  // Runs the dialog through the installed runner; Cancel when there is none.
  DialogResult DoModal();

  // One exchange in the given direction. False when validation refused it; the
  // refusal is then in LastFailure, as its source text with the arguments in
  // place, and in LastFailureText, to be translated.
  bool UpdateData(bool saveAndValidate);
  const std::string& LastFailure() const { return lastFailure_; }
  const UiText& LastFailureText() const { return lastFailureText_; }
  std::int32_t LastFailedControl() const { return lastFailedControl_; }

  DialogControl& Control(std::int32_t id) { return controls_[id]; }

  // Lets a runner show the dialog on the sheet over what it edits (area in
  // sheet coordinates) instead of in a window, when the user types in place.
  void OfferInPlace(const Rect& area) {
    inPlaceArea_ = area;
    inPlaceOffered_ = true;
  }
  bool InPlaceOffered() const { return inPlaceOffered_; }
  const Rect& InPlaceArea() const { return inPlaceArea_; }

 protected:
  virtual void DoDataExchange(DataExchange& dx) = 0;

 private:
  std::int32_t templateId_;
  UiText title_;
  std::map<std::int32_t, DialogControl> controls_;
  std::string lastFailure_;
  UiText lastFailureText_;
  std::int32_t lastFailedControl_ = 0;
  Rect inPlaceArea_{};
  bool inPlaceOffered_ = false;
};

}  // namespace virlo
