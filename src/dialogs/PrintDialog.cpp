#include "dialogs/PrintDialog.h"

#include <filesystem>

#include "objects/Sheet.h"
#include "store/Database.h"

namespace virlo {

PrintDialog::PrintDialog(Sheet* sheet)
    : Dialog(TemplateId, UiText(VIRLO_UI_TEXT("PrintDialog", "テキストへ印刷"))),
      fileName_(sheet->textFileName.View()),
      columns_(sheet->width / sheet->cellWidth),
      rows_(sheet->height / sheet->cellHeight),
      sheet_(sheet) {}

bool PrintDialog::IsDocumentItself(const std::string& name) const {
  const std::string& document = store::Database::Of(sheet_)->PathName();
  if (name.empty() || document.empty()) return false;
  std::error_code ec;
  if (std::filesystem::equivalent(name, document, ec)) return true;
  const auto normal = [](const std::string& path) {
    std::error_code error;
    return std::filesystem::absolute(path, error).lexically_normal();
  };
  return normal(name) == normal(document);
}

void PrintDialog::DoDataExchange(DataExchange& dx) {
  std::string name = fileName_;
  dx.Text(FileNameEdit, name);
  // File names are UTF-8; the limit counts characters, as its message says.
  if (!dx.MaxChars(FileNameEdit, name, MaxFileName, TextUnit::Characters)) return;
  // The art must never take the place of the document it comes from.
  if (dx.SaveAndValidate() && IsDocumentItself(name)) {
    dx.Fail(FileNameEdit,
            UiText(VIRLO_UI_TEXT("PrintDialog", "出力ファイル \"%1\" は文書自身です。別の名前を指定してください。"),
                   {name}));
    return;
  }
  fileName_ = std::move(name);
  if (!dx.Int(ColumnsEdit, columns_, MinCells, MaxCells)) return;
  if (!dx.Int(RowsEdit, rows_, MinCells, MaxCells)) return;
  sheet_->SetTextFileName(String(fileName_.c_str()));
  sheet_->width = sheet_->cellWidth * columns_;
  sheet_->height = sheet_->cellHeight * rows_;
}

}  // namespace virlo
