#pragma once

#include <string>

#include "platform/Dialog.h"

namespace virlo {

class StrBox;

// The text dialog ("文字入力"): a text box's text, its alignment (three radio
// buttons) and its frame switch. Both exchanges write the values into the box,
// so opening the dialog refits the box even when it is then cancelled.
class TextDialog : public Dialog {
 public:
  static constexpr std::int32_t TemplateId = 135;
  static constexpr std::int32_t TextEdit = 1002;
  static constexpr std::int32_t LeftButton = 1003;
  static constexpr std::int32_t CentreButton = 1004;
  static constexpr std::int32_t RightButton = 1005;
  static constexpr std::int32_t FrameButton = 1009;
  static constexpr std::int32_t LeftImage = 136;
  static constexpr std::int32_t CentreImage = 137;
  static constexpr std::int32_t RightImage = 138;
  static constexpr std::int32_t FrameImage = 143;

  explicit TextDialog(StrBox* strBox);

 protected:
  void DoDataExchange(DataExchange& dx) override;

 private:
  std::int32_t frameOn_;
  std::string editText_;
  std::int32_t alignmentChoice_;
  StrBox* strBox_;
  std::int32_t imagesSet_ = 0;
};

}  // namespace virlo
