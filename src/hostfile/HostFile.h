#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileIdentity.h"

namespace virlo {

// A text file that holds diagrams among its other lines (a README, a design
// note, a source file), read whole: its bytes, its lines with their ends, its
// encoding and its identity when read. Nothing is ever changed in it here.
class HostFile {
 public:
  enum class Encoding { Utf8, Cp932 };
  // Larger files are refused before they are read to the end.
  static constexpr std::size_t MaxBytes = std::size_t{64} << 20;

  // Reads the regular file at path, first finishing a save into it that a
  // kill cut short; false with the reason when it cannot be read or is no
  // text (NUL bytes, neither UTF-8 nor code page 932, too large).
  static bool Read(const std::string& path, HostFile& file, std::string& error);
  // The same checks on bytes in memory, the identity left unknown.
  static bool FromBytes(std::string path, std::string bytes, HostFile& file, std::string& error);

  const std::string& Path() const { return path_; }
  const std::string& Bytes() const { return bytes_; }
  Encoding GetEncoding() const { return encoding_; }
  bool HasByteOrderMark() const { return bom_; }
  // The file as it was read; unknown for bytes given in memory. Its hash is
  // taken when first asked for: listing blocks needs none.
  const FileIdentity& Identity() const;

  std::size_t LineCount() const { return starts_.size() - 1; }
  // A line without its end (the first one without a byte order mark).
  std::string_view Text(std::size_t line) const {
    const std::size_t begin = starts_[line];
    return std::string_view(bytes_).substr(begin, starts_[line + 1] - begin - EndLength(line));
  }
  // The first character of a line past its indentation (blanks and tabs);
  // a line feed for a line of blanks. Known without looking at the line again.
  char Leading(std::size_t line) const { return leading_[line]; }
  // A line's end as the file has it: "", "\n" or "\r\n".
  std::string_view End(std::size_t line) const {
    const std::size_t length = EndLength(line);
    return std::string_view(bytes_).substr(starts_[line + 1] - length, length);
  }
  // The line end most lines have: what new lines get.
  std::string_view UsualEnd() const { return crlf_ ? "\r\n" : "\n"; }

 private:
  bool Take(std::string path, std::string bytes, std::string& error);
  std::size_t EndLength(std::size_t line) const {
    const std::size_t end = starts_[line + 1];
    if (end == starts_[line] || bytes_[end - 1] != '\n') return 0;
    return end - 1 > starts_[line] && bytes_[end - 2] == '\r' ? 2 : 1;
  }

  std::string path_;
  std::string bytes_;
  Encoding encoding_ = Encoding::Utf8;
  bool bom_ = false;
  bool crlf_ = false;
  bool fromDisk_ = false;
  std::int64_t modified_ = 0;
  mutable bool hashed_ = false;
  mutable FileIdentity identity_;
  // Where each line starts, and past the last one the end of the bytes.
  std::vector<std::uint32_t> starts_{0};
  std::vector<char> leading_;
};

}  // namespace virlo
