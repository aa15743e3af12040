#pragma once

#include <string>

#include "platform/FileIdentity.h"

namespace virlo {

// Which document a recovery copy belongs to, kept in a small text file beside
// the copy:
//
//   VIRLO recovery note 1
//   original=/home/me/plan.vrl
//   title=plan
//   size=2048
//   modified=1767225600123456789
//   hash=0123456789abcdef
//
// "original" is the document's file, empty for an untitled document; size,
// modified (nanoseconds) and hash are that file as the document opened or
// last saved it, absent when unknown. Bytes below 32, 127 and "%" are written
// as %XX, so any file name fits on its line.
struct RecoveryNote {
  std::string original;
  std::string title;
  FileIdentity identity;

  // Writes the note safely and privately (SafeWrite, 0600, no link
  // followed); false with the reason.
  bool Write(const std::string& path, std::string& error) const;
  // Reads and checks a note; false with the reason, the note then unchanged.
  // The file is only read, and only a regular file: no link, no pipe.
  static bool Read(const std::string& path, RecoveryNote& note, std::string& error);

  bool operator==(const RecoveryNote&) const = default;
};

}  // namespace virlo
