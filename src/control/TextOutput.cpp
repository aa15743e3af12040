#include "control/TextOutput.h"

#include "control/PrintDialog.h"
#include "document/CPlenkoDoc.h"
#include "model/Sheet.h"
#include "platform/AtomicFile.h"
#include "platform/Clipboard.h"
#include "platform/DialogRunner.h"
#include "platform/Window.h"

namespace virlo {

std::string TextOutput::FileBytes(const std::string& art) {
  std::string bytes;
  bytes.reserve(art.size() + art.size() / 64 + 1);
  for (char ch : art) {
    if (ch == '\n') bytes += '\r';
    bytes += ch;
  }
  return bytes;
}

TextOutput::Result TextOutput::TextPrint(CPlenkoDoc& document, Window* window) {
  Sheet* sheet = document.sheet;
  if (sheet == nullptr) return Result::Cancelled;
  {
    PrintDialog dialog(sheet);
    if (dialog.DoModal() != DialogResult::Ok) return Result::Cancelled;
  }
  if (window != nullptr) window->RedrawWindow(Redraw::Invalidate | Redraw::Erase | Redraw::UpdateNow);
  document.UpdateModifiedFlag();
  const std::string name(sheet->textFileName.View());
  std::string error;
  switch (AtomicFile::Write(name, FileBytes(sheet->MakeText()), error)) {
    case AtomicFile::Result::Written:
      return Result::Written;
    // Each says why, in the words of the system.
    case AtomicFile::Result::NotOpened:
      DialogRunner::ShowMessage(
          UiText(VIRLO_UI_TEXT("TextOutput", "出力ファイル \"%1\"が開けませんでした。(%2)"), {name, error}),
          UiText(VIRLO_UI_TEXT("TextOutput", "ファイルオープン エラー")));
      return Result::NotWritten;
    case AtomicFile::Result::NotWritten:
      DialogRunner::ShowMessage(
          UiText(VIRLO_UI_TEXT("TextOutput", "出力ファイル \"%1\"に書き込めませんでした。(%2)"), {name, error}),
          UiText(VIRLO_UI_TEXT("TextOutput", "ファイルオープン エラー")));
      return Result::NotWritten;
  }
  return Result::NotWritten;
}

void TextOutput::ClipboardPrint(CPlenkoDoc& document) {
  if (document.sheet == nullptr) return;
  Clipboard* clipboard = Clipboard::Current();
  std::string error;
  if (clipboard == nullptr) {
    DialogRunner::ShowMessage(UiText(VIRLO_UI_TEXT("TextOutput", "クリップボードが開けません")));
  } else if (!clipboard->SetText(document.sheet->MakeUtf8Text(), error)) {
    DialogRunner::ShowMessage(UiText(VIRLO_UI_TEXT("TextOutput", "クリップボードにデータをセットできません")));
  }
}

}  // namespace virlo
