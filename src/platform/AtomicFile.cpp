#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "platform/TempFile.h"

namespace virlo {

AtomicFile::Result AtomicFile::Write(const std::string& path, std::string_view bytes, std::string& error) {
  if (path.empty()) {
    error = "it has no name";
    return Result::NotOpened;
  }
  TempFile temp;
  if (!temp.Create(path, error)) return Result::NotOpened;
  {
    std::ofstream out(temp.Path(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      error = std::string("cannot write it: ") + std::strerror(errno);
      return Result::NotWritten;
    }
  }
  return temp.Commit(error) ? Result::Written : Result::NotWritten;
}

}  // namespace virlo
