#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "platform/TempFile.h"

namespace virlo {

bool AtomicFile::Write(const std::string& path, std::string_view bytes, std::string& error) {
  TempFile temp;
  if (!temp.Create(path, error)) return false;
  {
    std::ofstream out(temp.Path(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      error = std::string("cannot write it: ") + std::strerror(errno);
      return false;
    }
  }
  return temp.Commit(error);
}

}  // namespace virlo
