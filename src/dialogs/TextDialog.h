#pragma once

#include <optional>
#include <string>
#include <string_view>

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

  // Why a box cannot hold the text (UTF-8, CR LF line breaks), in one short
  // sentence naming the character; nothing when it can.
  static std::optional<UiText> Refusal(std::string_view text);

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
