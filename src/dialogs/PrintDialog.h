#pragma once

#include <cstdint>
#include <string>

#include "platform/Dialog.h"

namespace virlo {

class Sheet;

// The text print dialog ("テキストへ印刷"): the sheet's size in cells and the
// text file name. Both exchanges store the values in the sheet, so opening
// the dialog already cuts the sheet's size to whole cells.
class PrintDialog : public Dialog {
 public:
  static constexpr std::int32_t TemplateId = 139;
  static constexpr std::int32_t ColumnsEdit = 1002;
  static constexpr std::int32_t RowsEdit = 1013;
  static constexpr std::int32_t FileNameEdit = 1015;
  static constexpr std::int32_t MinCells = 20;
  static constexpr std::int32_t MaxCells = 256;
  static constexpr std::int32_t MaxFileName = 128;

  explicit PrintDialog(Sheet* sheet);

 protected:
  void DoDataExchange(DataExchange& dx) override;

 private:
  // True when the name is the document's own file, by name or through a link.
  bool IsDocumentItself(const std::string& name) const;

  std::string fileName_;
  std::int32_t columns_;
  std::int32_t rows_;
  Sheet* sheet_;
};

}  // namespace virlo
