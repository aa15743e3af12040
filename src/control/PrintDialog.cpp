#include "control/PrintDialog.h"

#include "model/Sheet.h"

namespace virlo {

PrintDialog::PrintDialog(Sheet* sheet)
    : Dialog(TemplateId),
      fileName_(sheet->textFileName.View()),
      columns_(sheet->width / sheet->cellWidth),
      rows_(sheet->height / sheet->cellHeight),
      sheet_(sheet) {}

void PrintDialog::DoDataExchange(DataExchange& dx) {
  std::string name = fileName_;
  dx.Text(FileNameEdit, name);
  // File names are UTF-8; the limit counts characters, as its message says.
  if (!dx.MaxChars(FileNameEdit, name, MaxFileName, TextUnit::Characters)) return;
  fileName_ = std::move(name);
  if (!dx.Int(ColumnsEdit, columns_, MinCells, MaxCells)) return;
  if (!dx.Int(RowsEdit, rows_, MinCells, MaxCells)) return;
  sheet_->SetTextFileName(String(fileName_.c_str()));
  sheet_->width = sheet_->cellWidth * columns_;
  sheet_->height = sheet_->cellHeight * rows_;
}

}  // namespace virlo
