#include "dialogs/TextDialog.h"

#include "objects/StrBox.h"
#include "platform/TextCodec.h"

namespace virlo {

TextDialog::TextDialog(StrBox* strBox)
    : Dialog(TemplateId, UiText(VIRLO_UI_TEXT("TextDialog", "文字入力"))),
      frameOn_(strBox->frame),
      editText_(strBox->GetText()),
      alignmentChoice_(strBox->alignment),
      strBox_(strBox) {}

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
  if (!dx.MaxChars(TextEdit, text, StrBox::MaxTypedText)) return;
  // The art goes to terminals: a control character there would act, not show.
  if (dx.SaveAndValidate() && TextCodec::HasControlCharacters(text)) {
    dx.Fail(TextEdit, UiText(VIRLO_UI_TEXT("TextDialog", "文字列に制御文字は使えません。")));
    return;
  }
  editText_ = std::move(text);
  dx.Radio(LeftButton, alignmentChoice_);

  strBox_->alignment = alignmentChoice_;
  strBox_->frame = frameOn_;
  strBox_->SyncFilled();
  strBox_->SetText(editText_.c_str());
}

}  // namespace virlo
