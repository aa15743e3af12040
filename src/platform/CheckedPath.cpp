#include "platform/CheckedPath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>

#include "platform/FileChecks.h"

namespace virlo {
namespace {

// More links than this on one path are taken for a loop, as the kernel takes them.
constexpr int MaxLinkHops = 40;

std::string Reason(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

// The parts of a path, last first, so the next is taken from the back. A
// path that ends in "/" names a folder, as if it ended in "/.".
std::vector<std::string> PartsReversed(const std::string& path) {
  std::vector<std::string> parts;
  if (!path.empty() && path.back() == '/') parts.emplace_back(".");
  std::size_t end = path.size();
  while (end > 0) {
    const std::size_t slash = path.rfind('/', end - 1);
    const std::size_t begin = slash == std::string::npos ? 0 : slash + 1;
    if (end > begin) parts.push_back(path.substr(begin, end - begin));
    if (slash == std::string::npos) break;
    end = slash;
  }
  return parts;
}

}  // namespace

CheckedPath::~CheckedPath() { Reset(); }

void CheckedPath::Reset() {
  if (folder_ >= 0) ::close(folder_);
  folder_ = -1;
  absolute_ = false;
  parts_.clear();
  name_.clear();
  descriptor_ = -1;
}

std::string CheckedPath::FolderPath() const {
  std::string path = absolute_ ? "/" : "";
  for (const std::string& part : parts_) {
    if (!path.empty() && path.back() != '/') path += '/';
    path += part;
  }
  return path.empty() ? "." : path;
}

std::string CheckedPath::Path() const {
  const std::string folder = FolderPath();
  if (name_.empty()) return folder;
  return folder == "/" ? folder + name_ : folder + "/" + name_;
}

std::string CheckedPath::Joined(const std::vector<std::string>& rest) const {
  std::string path = FolderPath();
  for (auto part = rest.rbegin(); part != rest.rend(); ++part) {
    if (path.back() != '/') path += '/';
    path += *part;
  }
  return path;
}

bool CheckedPath::Restart(bool absolute, std::string& error) {
  const int start = ::open(absolute ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (start < 0) {
    error = Reason("cannot look at its folder");
    return false;
  }
  if (folder_ >= 0) ::close(folder_);
  folder_ = start;
  absolute_ = absolute;
  parts_.clear();
  return true;
}

// Steps into a folder of the present one; the folder must still be one, not
// a link put in its place since it was looked at.
bool CheckedPath::Enter(const std::string& part, std::string& error) {
  const int next = ::openat(folder_, part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (next < 0) {
    error = errno == ENOENT || errno == ENOTDIR || errno == ELOOP
                ? std::string("a folder on its way changed while it was looked at")
                : Reason("cannot enter a folder on its way");
    return false;
  }
  ::close(folder_);
  folder_ = next;
  if (part != "..") {
    parts_.push_back(part);
  } else if (!parts_.empty() && parts_.back() != "..") {
    // The folder path holds no links, so its parent is the folder's parent.
    parts_.pop_back();
  } else if (!absolute_) {
    parts_.push_back(part);
  }
  return true;
}

CheckedPath::Problem CheckedPath::Walk(const std::string& path, Options options, std::string& error) {
  Reset();
  if (options.descriptors && (descriptor_ = DescriptorOf(path)) >= 0) return Problem::None;
  if (!Restart(!path.empty() && path.front() == '/', error)) return Problem::Failed;
  std::vector<std::string> pending = PartsReversed(path);
  int hops = 0;
  while (!pending.empty()) {
    const std::string part = std::move(pending.back());
    pending.pop_back();
    const bool last = pending.empty();
    if (part == ".") continue;
    if (part == "..") {
      if (!Enter(part, error)) return Problem::Failed;
      continue;
    }
    struct stat info {};
    if (::fstatat(folder_, part.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT && last) {
        name_ = part;
        return Problem::None;
      }
      if (errno == ENOENT || errno == ENOTDIR) {
        error = "its folder does not exist";
        return Problem::NoFolder;
      }
      error = Reason("cannot look at it");
      return Problem::Failed;
    }
    if (S_ISLNK(info.st_mode)) {
      if (last && !options.followLast) {
        name_ = part;
        error = "it is a link, which this file never is";
        return Problem::PlainLink;
      }
      struct stat folder {};
      if (::fstat(folder_, &folder) != 0 || !FileChecks::MayFollowLink(folder, info)) {
        error = last ? "it is a link that another user made in a shared folder"
                     : "a folder on its way is a link that another user made in a shared folder";
        return Problem::Link;
      }
      if (++hops > MaxLinkHops) {
        error = "its links lead round in a circle";
        return Problem::Loop;
      }
      // The links of /proc name a pipe or socket by no path: only a file is followed.
      if (DescriptorOf(Joined({part})) >= 0) {
        struct stat named {};
        if (::fstatat(folder_, part.c_str(), &named, 0) != 0 || !S_ISREG(named.st_mode)) {
          error = "it is not a regular file";
          return Problem::NotRegular;
        }
      }
      std::vector<char> buffer(PATH_MAX + 1);
      const ssize_t length = ::readlinkat(folder_, part.c_str(), buffer.data(), PATH_MAX);
      if (length <= 0) {
        error = Reason("cannot read its link");
        return Problem::Failed;
      }
      const std::string link(buffer.data(), static_cast<std::size_t>(length));
      if (link.front() == '/' && !Restart(true, error)) return Problem::Failed;
      const std::vector<std::string> linked = PartsReversed(link);
      pending.insert(pending.end(), linked.begin(), linked.end());
      if (options.descriptors && (descriptor_ = DescriptorOf(Joined(pending))) >= 0) return Problem::None;
      continue;
    }
    if (last) {
      name_ = part;
      return Problem::None;
    }
    if (!S_ISDIR(info.st_mode)) {
      error = "its folder does not exist";
      return Problem::NoFolder;
    }
    if (!Enter(part, error)) return Problem::Failed;
  }
  return Problem::None;
}

int CheckedPath::DescriptorOf(const std::string& path) {
  if (path == "/dev/stdin") return STDIN_FILENO;
  if (path == "/dev/stdout") return STDOUT_FILENO;
  if (path == "/dev/stderr") return STDERR_FILENO;
  const std::string own = "/proc/" + std::to_string(::getpid()) + "/fd/";
  for (const std::string& prefix :
       {std::string("/dev/fd/"), std::string("/proc/self/fd/"), std::string("/proc/thread-self/fd/"), own}) {
    if (path.compare(0, prefix.size(), prefix) != 0) continue;
    const char* first = path.data() + prefix.size();
    const char* last = path.data() + path.size();
    int fd = -1;
    const auto [end, problem] = std::from_chars(first, last, fd);
    if (first != last && problem == std::errc() && end == last && fd >= 0) return fd;
  }
  return -1;
}

}  // namespace virlo
