#include "control/TextOutput.h"

#include "dialogs/PrintDialog.h"
#include "document/Document.h"
#include "objects/Sheet.h"
#include "platform/AtomicFile.h"
#include "platform/Clipboard.h"
#include "platform/DialogRunner.h"
#include "platform/TextCodec.h"
#include "platform/Window.h"

namespace virlo {
namespace {

// The art in UTF-8, marker characters as they are.
std::string ClipboardArt(const Sheet& sheet, const ArtOptions& options) {
  if (TextOutput::IsPlain(options)) return sheet.MakeUtf8Text();
  ArtOptions utf8 = options;
  utf8.utf8 = true;
  return ArtExport::Render(sheet, utf8);
}

}  // namespace

std::string TextOutput::FileBytes(const std::string& art) {
  std::string bytes;
  bytes.reserve(art.size() + art.size() / 64 + 1);
  for (char ch : art) {
    if (ch == '\n') bytes += '\r';
    bytes += ch;
  }
  return bytes;
}

bool TextOutput::IsPlain(const ArtOptions& options) {
  return options.style == ArtOptions::Style::Ascii && !options.trim && !options.crop && options.prefix.empty();
}

std::int32_t TextOutput::Substitutes(const Sheet& sheet, const ArtOptions& options) {
  ArtOptions shaped = options;
  shaped.utf8 = !IsPlain(options) && options.style == ArtOptions::Style::Unicode;
  std::int32_t substitutes = 0;
  ArtExport::Render(sheet, shaped, &substitutes);
  return substitutes;
}

TextOutput::Result TextOutput::TextPrint(Document& document, Window* window, const ArtOptions& options) {
  Sheet* sheet = document.sheet;
  if (sheet == nullptr) return Result::Cancelled;
  {
    PrintDialog dialog(sheet);
    if (dialog.DoModal() != DialogResult::Ok) return Result::Cancelled;
  }
  if (window != nullptr) window->RedrawWindow(Redraw::Invalidate | Redraw::Erase | Redraw::UpdateNow);
  document.UpdateModifiedFlag();
  const std::string name(sheet->textFileName.View());
  std::string art = sheet->MakeText();
  if (!IsPlain(options)) {
    // Box-drawing characters are UTF-8 only; the rest keeps the file's code page.
    ArtOptions shaped = options;
    shaped.utf8 = options.style == ArtOptions::Style::Unicode;
    if (!shaped.utf8) shaped.prefix = TextCodec::Utf8ToCp932(options.prefix).value_or(std::string());
    art = ArtExport::Render(*sheet, shaped);
  }
  std::string error;
  switch (AtomicFile::Write(name, FileBytes(art), error)) {
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

void TextOutput::ClipboardPrint(Document& document, const ArtOptions& options) {
  if (document.sheet == nullptr) return;
  Clipboard* clipboard = Clipboard::Current();
  std::string error;
  if (clipboard == nullptr) {
    DialogRunner::ShowMessage(UiText(VIRLO_UI_TEXT("TextOutput", "クリップボードが開けません")));
  } else if (!clipboard->SetText(ClipboardArt(*document.sheet, options), error)) {
    DialogRunner::ShowMessage(UiText(VIRLO_UI_TEXT("TextOutput", "クリップボードにデータをセットできません")));
  }
}

}  // namespace virlo
