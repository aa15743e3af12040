#include "platform/SafeWrite.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <vector>

namespace virlo {
namespace {

// Temporary files are named ".virlo-" and six random characters: short
// enough for any target name, and known again when a killed write left one.
constexpr char TempPrefix[] = ".virlo-";
constexpr std::size_t TempNameLength = sizeof TempPrefix - 1 + 6;
// A temporary file nobody holds that is at least this old was left by a
// write that died; a younger one may be one just being made.
constexpr std::time_t StaleSeconds = 60;
// More links than this in a row are taken for a loop.
constexpr int MaxLinkHops = 40;

std::string Reason(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

std::string FolderOf(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  return folder.empty() ? "." : folder.string();
}

// Follows symbolic links to the name they end at, which may not exist yet.
bool FollowLinks(const std::string& path, std::string& target, std::string& error) {
  target = path;
  for (int hop = 0; hop < MaxLinkHops; ++hop) {
    struct stat info {};
    if (::lstat(target.c_str(), &info) != 0) {
      if (errno == ENOENT) return true;
      error = Reason("cannot look at it");
      return false;
    }
    if (!S_ISLNK(info.st_mode)) return true;
    std::vector<char> buffer(PATH_MAX + 1);
    const ssize_t length = ::readlink(target.c_str(), buffer.data(), PATH_MAX);
    if (length < 0) {
      error = Reason("cannot read its link");
      return false;
    }
    const std::filesystem::path link(std::string(buffer.data(), static_cast<std::size_t>(length)));
    target = link.is_absolute() ? link.string() : (std::filesystem::path(FolderOf(target)) / link).string();
  }
  error = "its links lead round in a circle";
  return false;
}

bool InGroup(gid_t group) {
  if (group == ::getegid()) return true;
  const int count = ::getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(count));
  const int filled = ::getgroups(count, groups.data());
  for (int i = 0; i < filled; ++i) {
    if (groups[static_cast<std::size_t>(i)] == group) return true;
  }
  return false;
}

// Our temporary name: the prefix and the letters and digits mkstemp chose.
// Nothing else matches, not a lock file such as ".virlo-a.lock".
bool IsTempName(const std::string& name) {
  if (name.size() != TempNameLength || name.compare(0, sizeof TempPrefix - 1, TempPrefix) != 0) return false;
  for (std::size_t i = sizeof TempPrefix - 1; i < name.size(); ++i) {
    if (std::isalnum(static_cast<unsigned char>(name[i])) == 0) return false;
  }
  return true;
}

// Removes the temporary files of killed writes in a folder: ours by name and
// owner, held by nobody, and not made just now.
void RemoveStaleTemps(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  const std::time_t now = std::time(nullptr);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (!IsTempName(name)) continue;
    const std::string path = folder + "/" + name;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) continue;
    if (now - info.st_mtime < StaleSeconds) continue;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(path.c_str());
    ::close(fd);
  }
  ::closedir(dir);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

void SyncFolder(const std::string& folder) {
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  ::fsync(dir);
  ::close(dir);
}

}  // namespace

SafeWrite::~SafeWrite() {
  if (tempFd_ >= 0) ::close(tempFd_);
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

bool SafeWrite::Fail(Refusal refusal, std::string& error, std::string reason) {
  refusal_ = refusal;
  error = std::move(reason);
  return false;
}

bool SafeWrite::Begin(const std::string& path, Kind kind, std::string& error) {
  kind_ = kind;
  if (path.empty()) return Fail(Refusal::NoName, error, "it has no name");
  std::string reason;
  if (!FollowLinks(path, target_, reason)) return Fail(Refusal::Failed, error, reason);

  struct stat info {};
  if (::stat(target_.c_str(), &info) != 0) {
    if (errno != ENOENT) return Fail(Refusal::Failed, error, Reason("cannot look at it"));
    struct stat folder {};
    if (::stat(FolderOf(target_).c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)) {
      return Fail(Refusal::NoFolder, error, "its folder does not exist");
    }
  } else if (S_ISDIR(info.st_mode)) {
    return Fail(Refusal::Folder, error, "it is a folder");
  } else if (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode)) {
    // A pipe or a terminal cannot be replaced: a text goes straight in.
    if (kind != Kind::Text) return Fail(Refusal::NotRegular, error, "it is not a regular file");
    direct_ = true;
    return true;
  } else if (!S_ISREG(info.st_mode)) {
    return Fail(Refusal::NotRegular, error, "it is not a regular file");
  } else {
    if (::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) {
      if (errno == EROFS) return Fail(Refusal::ReadOnly, error, "it lies on a read-only file system");
      return Fail(Refusal::ReadOnly, error, "you may not write to it");
    }
    exists_ = true;
    mode_ = info.st_mode & 07777;
    owner_ = info.st_uid;
    group_ = info.st_gid;
    // A rename would split other links to the file, or give it to us.
    const bool root = ::geteuid() == 0;
    inPlace_ = info.st_nlink > 1 || (!root && (owner_ != ::geteuid() || !InGroup(group_)));
  }

  const std::string folder = FolderOf(target_);
  RemoveStaleTemps(folder);
  std::string pattern = folder + "/" + TempPrefix + "XXXXXX";
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) {
    if (errno == EACCES || errno == EROFS) {
      return Fail(Refusal::ReadOnly, error, Reason("you may not write in its folder"));
    }
    return Fail(Refusal::Failed, error, Reason("cannot create a file in its folder"));
  }
  tempFd_ = fd;
  temp_ = pattern;
  // Held until the file is in place, so another write knows it is no leftover.
  ::flock(tempFd_, LOCK_EX);
  return true;
}

const std::string& SafeWrite::WritePath() const { return direct_ ? target_ : temp_; }

bool SafeWrite::Commit(std::string& error) {
  if (direct_) return true;
  if (tempFd_ < 0) return Fail(Refusal::Failed, error, "nothing was written");
  if (::fsync(tempFd_) != 0) return Fail(Refusal::Failed, error, Reason("cannot flush it to disk"));
  if (inPlace_) return CopyIntoTarget(error);

  if (exists_) {
    // The new file takes the old one's place with its rights: group first,
    // which a member may give; the owner only where that is allowed.
    if (::fchown(tempFd_, owner_, group_) != 0) ::fchown(tempFd_, static_cast<uid_t>(-1), group_);
    ::fchmod(tempFd_, static_cast<mode_t>(mode_));
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(tempFd_, static_cast<mode_t>(0666) & ~mask);
  }
  // A journal or log of an older database beside the target would be read
  // into the new file by the next reader.
  if (kind_ == Kind::Document) {
    for (const char* suffix : SideFileSuffixes) ::unlink((target_ + suffix).c_str());
  }
  if (::rename(temp_.c_str(), target_.c_str()) != 0) {
    return Fail(Refusal::Failed, error, Reason("cannot put it in place"));
  }
  temp_.clear();
  ::close(tempFd_);
  tempFd_ = -1;
  SyncFolder(FolderOf(target_));
  return true;
}

bool SafeWrite::CopyIntoTarget(std::string& error) {
  // The new content is on disk beside the target; copy it in, so the file
  // keeps its links, owner and rights.
  const int out = ::open(target_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (out < 0) return Fail(Refusal::Failed, error, Reason("cannot write into it"));
  std::vector<char> buffer(1 << 16);
  off_t offset = 0;
  bool ok = true;
  while (ok) {
    const ssize_t got = ::pread(tempFd_, buffer.data(), buffer.size(), offset);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    ok = WriteAll(out, buffer.data(), static_cast<std::size_t>(got));
    offset += got;
  }
  ok = ok && ::fsync(out) == 0;
  const int savedErrno = errno;
  ok = ::close(out) == 0 && ok;
  if (!ok) {
    errno = savedErrno;
    // Its content may be cut short now; the complete new file stays.
    const std::string kept = temp_;
    temp_.clear();
    return Fail(Refusal::Failed, error, Reason("cannot write into it") + "; the complete new file is " + kept);
  }
  ::close(tempFd_);
  tempFd_ = -1;
  ::unlink(temp_.c_str());
  temp_.clear();
  return true;
}

bool SafeWrite::Write(std::string_view bytes, std::string& error) {
  if (direct_) {
    const int fd = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
    bool ok = fd >= 0 && WriteAll(fd, bytes.data(), bytes.size());
    const int savedErrno = errno;
    if (fd >= 0) ok = ::close(fd) == 0 && ok;
    if (ok) return true;
    errno = savedErrno;
    return Fail(Refusal::Failed, error, Reason("cannot write it"));
  }
  if (tempFd_ >= 0 && WriteAll(tempFd_, bytes.data(), bytes.size())) return true;
  return Fail(Refusal::Failed, error, Reason("cannot write it"));
}

}  // namespace virlo
