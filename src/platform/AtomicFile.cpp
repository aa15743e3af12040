#include "platform/AtomicFile.h"

namespace virlo {

AtomicFile::Result AtomicFile::Write(const std::string& path, std::string_view bytes, std::string& error,
                                     SafeWrite::Kind kind) {
  SafeWrite write;
  if (!write.Begin(path, kind, error)) return Result::NotOpened;
  if (!write.Write(bytes, error) || !write.Commit(error)) return Result::NotWritten;
  return Result::Written;
}

}  // namespace virlo
