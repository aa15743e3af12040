#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace virlo {

// The rows of imported art whose bytes a sheet cannot hold as they were:
// tabs inside the art and blanks at the end of a line. A row printed just
// as it was read, behind the same prefix, gives its bytes back (a tab
// spans the cells it spanned only where its column and the prefix are as
// they were); one that changed prints as the sheet shows it. The bytes
// differ from what the sheet shows only in blanks and tabs, so a kept row
// never prints anything the sheet does not show.
class KeptRows {
 public:
  struct Row {
    // The sheet's row; the art's first column is the sheet's first.
    std::int32_t row = 0;
    // The row as the sheet shows it, in UTF-8, without blanks at its end.
    std::string shown;
    // The row as it was read, in UTF-8, after the prefix.
    std::string bytes;
    // The blanks each tab of bytes stands for, in order.
    std::vector<std::int32_t> tabs;
  };
  enum class Encoding { Utf8, Cp932 };
  // No tab stands for more blanks than this.
  static constexpr std::int32_t MaxTab = 32;
  // Far more than the largest art's rows take: every print reads them again.
  static constexpr std::size_t MaxStored = std::size_t{1} << 20;

  KeptRows() = default;
  KeptRows(std::string prefix, std::vector<Row> rows) : prefix_(std::move(prefix)), rows_(std::move(rows)) {}

  // Whether a row's bytes, each tab given as its blanks, show what it
  // shows: the only differences are tabs and blanks at the end.
  static bool Fits(const Row& row);
  // The form a sheet stores: the prefix on a line, then for each row, in
  // ascending order, its number and tabs' blanks, what it shows and its
  // bytes, each on a line of its own; empty without rows.
  std::string Stored() const;
  // The rows a sheet stored; none, with the reason, when they are damaged.
  static std::optional<KeptRows> Read(std::string_view stored, std::string& error);
  // The same where the document was checked when it opened.
  static KeptRows ReadChecked(std::string_view stored);

  bool Empty() const { return rows_.empty(); }
  const std::string& Prefix() const { return prefix_; }
  const std::vector<Row>& Rows() const { return rows_; }
  // The line to print for a row the sheet renders as printed (in the
  // encoding given, with blanks at its end or not) behind the prefix given
  // (in the same encoding): the row's bytes where it shows what it showed
  // and the prefix is the one it was read behind, else printed itself.
  std::string Line(std::int32_t row, std::string_view printed, std::string_view prefix, Encoding encoding) const;

 private:
  std::string prefix_;
  std::vector<Row> rows_;
};

}  // namespace virlo
