#include "dialogs/TextDialog.h"

#include "objects/StrBox.h"
#include "platform/Utf8.h"

namespace virlo {

TextDialog::TextDialog(StrBox* strBox)
    : Dialog(TemplateId, UiText(VIRLO_UI_TEXT("TextDialog", "文字入力"))),
      frameOn_(strBox->frame),
      editText_(strBox->GetText()),
      alignmentChoice_(strBox->alignment),
      strBox_(strBox) {}

std::optional<UiText> TextDialog::Refusal(std::string_view text) {
  if (!Utf8::IsValid(text)) return UiText(VIRLO_UI_TEXT("TextDialog", "文字列が UTF-8 ではありません。"));
  // The art goes to terminals: a control character there would act, not show.
  const std::optional<char32_t> control = Utf8::FirstControl(text);
  if (!control) return std::nullopt;
  if (*control == '\t') return UiText(VIRLO_UI_TEXT("TextDialog", "文字列にタブは使えません。"));
  return UiText(VIRLO_UI_TEXT("TextDialog", "文字列に制御文字 %1 は使えません。"), {Utf8::CodeName(*control)});
}

void TextDialog::DoDataExchange(DataExchange& dx) {
  if (imagesSet_ == 0) {
    dx.Control(LeftButton).image = LeftImage;
    dx.Control(CentreButton).image = CentreImage;
    dx.Control(RightButton).image = RightImage;
    dx.Control(FrameButton).image = FrameImage;
    imagesSet_ = 1;
  }
  dx.Check(FrameButton, frameOn_);
  std::string text = editText_;
  dx.Text(TextEdit, text);
  if (!dx.MaxChars(TextEdit, text, StrBox::MaxTypedText, TextUnit::Characters)) return;
  if (dx.SaveAndValidate()) {
    if (std::optional<UiText> refusal = Refusal(text)) {
      dx.Fail(TextEdit, std::move(*refusal));
      return;
    }
  }
  editText_ = std::move(text);
  dx.Radio(LeftButton, alignmentChoice_);

  strBox_->alignment = alignmentChoice_;
  strBox_->frame = frameOn_;
  strBox_->SyncFilled();
  strBox_->SetText(editText_.c_str());
}

}  // namespace virlo
