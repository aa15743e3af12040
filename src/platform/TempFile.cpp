#include "platform/TempFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace virlo {
namespace {

std::string Reason(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

TempFile::~TempFile() {
  if (!path_.empty()) ::unlink(path_.c_str());
}

bool TempFile::Create(const std::string& target, std::string& error) {
  const std::filesystem::path path(target);
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    error = "it is a folder";
    return false;
  }
  const std::string pattern = (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) {
    error = Reason("cannot create a file in its folder");
    return false;
  }
  // mkstemp makes the file private; a document gets the usual permissions.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, static_cast<mode_t>(0666) & ~mask);
  ::close(fd);
  target_ = target;
  path_ = name.data();
  return true;
}

bool TempFile::Commit(std::string& error) {
  const int fd = ::open(path_.c_str(), O_RDONLY);
  if (fd < 0 || ::fsync(fd) != 0) {
    error = Reason("cannot flush it to disk");
    if (fd >= 0) ::close(fd);
    return false;
  }
  ::close(fd);
  if (::rename(path_.c_str(), target_.c_str()) != 0) {
    error = Reason("cannot put it in place");
    return false;
  }
  path_.clear();
  // The rename itself must reach the disk too.
  const std::filesystem::path folder = std::filesystem::path(target_).parent_path();
  const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

}  // namespace virlo
