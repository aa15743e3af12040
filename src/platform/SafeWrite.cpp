#include "platform/SafeWrite.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <random>

#include "platform/FileChecks.h"

namespace virlo {
namespace {

// Temporary files are named ".virlo-tmp-", twelve random letters or digits,
// "-" and a check of those twelve in eight hexadecimal digits: no name a
// person gives a file matches it by chance, so a leftover is known for ours.
constexpr std::string_view TempPrefix = ".virlo-tmp-";
constexpr std::size_t RandomLength = 12;
constexpr std::size_t CheckLength = 8;
constexpr std::size_t TempNameLength = TempPrefix.size() + RandomLength + 1 + CheckLength;
constexpr int TempAttempts = 16;
// The redo copy of a file written in place: ".virlo-redo-" and a hash of the
// file's path and identity, so only that file's writes and opens find it.
constexpr std::string_view RedoPrefix = ".virlo-redo-";
// A temporary file nobody holds that is at least this old was left by a
// write that died; a younger one may be one just being made.
constexpr std::time_t StaleSeconds = 60;
// More links than this in a row are taken for a loop.
constexpr int MaxLinkHops = 40;
constexpr std::size_t CopyChunk = 1 << 16;

std::atomic<std::int64_t> pipePatienceMs{-1};

std::string Reason(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

std::string FolderOf(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  return folder.empty() ? "." : folder.string();
}

// FNV-1a: enough to tell names apart, and needs nothing.
std::uint64_t Hash(std::string_view bytes, std::uint64_t hash = 14695981039346656037ULL) {
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ULL;
  }
  return hash;
}

std::string Hex(std::uint64_t value, std::size_t digits) {
  static constexpr char Digits[] = "0123456789abcdef";
  std::string text(digits, '0');
  for (std::size_t i = 0; i < digits; ++i) text[digits - 1 - i] = Digits[(value >> (4 * i)) & 0xF];
  return text;
}

std::string TempCheck(std::string_view random) { return Hex(Hash(random, Hash("VIRLO temporary file")), CheckLength); }

bool IsTempName(const std::string& name) {
  if (name.size() != TempNameLength || name.compare(0, TempPrefix.size(), TempPrefix) != 0) return false;
  const std::string_view random = std::string_view(name).substr(TempPrefix.size(), RandomLength);
  for (const char c : random) {
    if (std::islower(static_cast<unsigned char>(c)) == 0 && std::isdigit(static_cast<unsigned char>(c)) == 0) {
      return false;
    }
  }
  return name[TempPrefix.size() + RandomLength] == '-' &&
         name.compare(TempPrefix.size() + RandomLength + 1, CheckLength, TempCheck(random)) == 0;
}

// Makes a new temporary file in folder, private to the user; -1 with errno.
int CreateTemp(const std::string& folder, std::string& path) {
  static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device device;
  std::uniform_int_distribution<std::size_t> pick(0, sizeof Letters - 2);
  for (int attempt = 0; attempt < TempAttempts; ++attempt) {
    std::string random(RandomLength, 'a');
    for (char& c : random) c = Letters[pick(device)];
    const std::string name = std::string(TempPrefix) + random + "-" + TempCheck(random);
    path = folder + "/" + name;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// The name of a file's redo copy: its path with the folder's links resolved,
// its device and inode.
std::string RedoName(const std::string& target, dev_t device, ino_t inode) {
  std::error_code ec;
  std::string folder = std::filesystem::canonical(FolderOf(target), ec).string();
  if (ec) folder = FolderOf(target);
  std::string key = folder + "/" + std::filesystem::path(target).filename().string();
  key += '\0' + std::to_string(device) + '\0' + std::to_string(inode);
  return std::string(RedoPrefix) + Hex(Hash(key), 16);
}

// Where redo copies of the target may lie: beside it, or in the user's state
// folder when its own folder was closed to the writer.
std::vector<std::string> RedoPlaces(const std::string& target, dev_t device, ino_t inode) {
  const std::string name = RedoName(target, device, inode);
  std::vector<std::string> places{FolderOf(target) + "/" + name};
  std::string ignored;
  const std::string state = FileChecks::StateFolder(false, ignored);
  if (!state.empty()) places.push_back(state + "/" + name);
  return places;
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

// A file of ours that a killed write left: ours by name and owner, no other
// name, held by nobody, and not made just now.
void RemoveStaleTemps(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  const std::time_t now = std::time(nullptr);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (!IsTempName(name)) continue;
    const std::string path = folder + "/" + name;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() ||
        info.st_nlink != 1 || now - info.st_mtime < StaleSeconds) {
      continue;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
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

// Reserves room for size bytes in the file without changing what it holds,
// so that a full disk shows before its first byte changes. False only when
// the disk is full; a file system that cannot reserve is written without.
bool Reserve(int fd, off_t size) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || info.st_size >= size) return true;
  if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) == 0) return true;
  return errno != ENOSPC && errno != EDQUOT;
}

// Copies the size bytes of in over out from its start and cuts out there.
bool CopyOver(int in, int out, off_t size, std::string& error) {
  std::vector<char> buffer(CopyChunk);
  off_t offset = 0;
  while (offset < size) {
    const ssize_t got = ::pread(in, buffer.data(), buffer.size(), offset);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      error = got == 0 ? std::string("its new content ended early") : Reason("cannot read its new content");
      return false;
    }
    const char* data = buffer.data();
    std::size_t left = static_cast<std::size_t>(got);
    off_t at = offset;
    while (left > 0) {
      const ssize_t written = ::pwrite(out, data, left, at);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) {
        error = Reason("cannot write into it");
        return false;
      }
      data += written;
      at += written;
      left -= static_cast<std::size_t>(written);
    }
    offset += got;
  }
  if (::ftruncate(out, size) != 0 || ::fsync(out) != 0) {
    error = Reason("cannot write into it");
    return false;
  }
  return true;
}

// Puts a redo copy into the file it belongs to and removes it; the file must
// still be the one (device, inode) it was made for.
bool ApplyRedo(const std::string& redo, const std::string& target, dev_t device, ino_t inode, std::string& error) {
  struct stat info {};
  if (::lstat(redo.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() || info.st_nlink != 1) {
    return true;  // none, or none of ours
  }
  const int in = ::open(redo.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  const int out = ::open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  struct stat copy {};
  struct stat file {};
  bool ok = in >= 0 && out >= 0 && ::fstat(in, &copy) == 0 && ::fstat(out, &file) == 0 && S_ISREG(copy.st_mode) &&
            S_ISREG(file.st_mode) && file.st_dev == device && file.st_ino == inode;
  if (!ok) error = in < 0 || out < 0 ? Reason("cannot write into it") : "it is not the file its copy was made for";
  if (ok && !Reserve(out, copy.st_size)) {
    error = "there is no room for it on its disk";
    ok = false;
  }
  ok = ok && CopyOver(in, out, copy.st_size, error);
  if (out >= 0 && ::close(out) != 0 && ok) {
    error = Reason("cannot write into it");
    ok = false;
  }
  if (in >= 0) ::close(in);
  if (!ok) {
    error = "a write into it was cut short and cannot be finished (" + error + "); its complete new content is " + redo;
    return false;
  }
  ::unlink(redo.c_str());
  SyncFolder(FolderOf(redo));
  return true;
}

// The descriptor a path names: /dev/stdin, /dev/stdout, /dev/stderr,
// /dev/fd/N, /proc/self/fd/N, /proc/thread-self/fd/N or /proc/PID/fd/N of
// this process; -1 for any other path.
int DescriptorOf(const std::string& path) {
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

// Follows symbolic links to the name they end at, which may not exist yet,
// or (for a text) to an open descriptor.
SafeWrite::Refusal FollowLinks(const std::string& path, SafeWrite::Kind kind, std::string& target, int& descriptor,
                               std::string& error) {
  target = path;
  descriptor = -1;
  for (int hop = 0; hop < MaxLinkHops; ++hop) {
    if (kind == SafeWrite::Kind::Text && (descriptor = DescriptorOf(target)) >= 0) return SafeWrite::Refusal::None;
    struct stat info {};
    if (::lstat(target.c_str(), &info) != 0) {
      if (errno == ENOENT) return SafeWrite::Refusal::None;
      error = Reason("cannot look at it");
      return SafeWrite::Refusal::Failed;
    }
    if (!S_ISLNK(info.st_mode)) return SafeWrite::Refusal::None;
    if (kind == SafeWrite::Kind::Private) {
      error = "it is a link, which this file never is";
      return SafeWrite::Refusal::Link;
    }
    if (!FileChecks::MayFollowLink(target, info)) {
      error = "it is a link that another user made in a shared folder";
      return SafeWrite::Refusal::Link;
    }
    // The links of /proc name a pipe or socket by no path: only a file is followed.
    if (DescriptorOf(target) >= 0) {
      struct stat named {};
      if (::stat(target.c_str(), &named) != 0 || !S_ISREG(named.st_mode)) {
        error = "it is not a regular file";
        return SafeWrite::Refusal::NotRegular;
      }
    }
    std::vector<char> buffer(PATH_MAX + 1);
    const ssize_t length = ::readlink(target.c_str(), buffer.data(), PATH_MAX);
    if (length < 0) {
      error = Reason("cannot read its link");
      return SafeWrite::Refusal::Failed;
    }
    const std::filesystem::path link(std::string(buffer.data(), static_cast<std::size_t>(length)));
    target = link.is_absolute() ? link.string() : (std::filesystem::path(FolderOf(target)) / link).string();
  }
  error = "its links lead round in a circle";
  return SafeWrite::Refusal::Failed;
}

// Keeps a SIGPIPE that a write into a closed pipe raises from ending the
// program, whatever the program does with the signal: the write fails instead.
class PipeSignalHeld {
 public:
  PipeSignalHeld() {
    sigemptyset(&pipe_);
    sigaddset(&pipe_, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    wasPending_ = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
  }
  ~PipeSignalHeld() {
    sigset_t pending;
    sigpending(&pending);
    if (!wasPending_ && sigismember(&pending, SIGPIPE) == 1) {
      const timespec none{};
      sigtimedwait(&pipe_, nullptr, &none);
    }
    pthread_sigmask(SIG_SETMASK, &old_, nullptr);
  }
  PipeSignalHeld(const PipeSignalHeld&) = delete;
  PipeSignalHeld& operator=(const PipeSignalHeld&) = delete;

 private:
  sigset_t pipe_{};
  sigset_t old_{};
  bool wasPending_ = false;
};

}  // namespace

SafeWrite::~SafeWrite() {
  if (tempFd_ >= 0) ::close(tempFd_);
  if (directFd_ >= 0) ::close(directFd_);
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

void SafeWrite::SetPipePatience(std::chrono::milliseconds patience) { pipePatienceMs = patience.count(); }

bool SafeWrite::Fail(Refusal refusal, std::string& error, std::string reason) {
  refusal_ = refusal;
  error = std::move(reason);
  return false;
}

bool SafeWrite::Begin(const std::string& path, Kind kind, std::string& error) {
  kind_ = kind;
  if (path.empty()) return Fail(Refusal::NoName, error, "it has no name");
  std::string reason;
  int descriptor = -1;
  const Refusal followed = FollowLinks(path, kind, target_, descriptor, reason);
  if (followed != Refusal::None) return Fail(followed, error, reason);
  if (descriptor >= 0) return BeginDirect(path, descriptor, error);

  struct stat info {};
  if (::lstat(target_.c_str(), &info) != 0) {
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
    return BeginDirect(target_, -1, error);
  } else if (!S_ISREG(info.st_mode)) {
    return Fail(Refusal::NotRegular, error,
                S_ISLNK(info.st_mode) ? "it changed while it was looked at" : "it is not a regular file");
  } else {
    if (kind == Kind::Private && info.st_uid != ::geteuid()) {
      return Fail(Refusal::ReadOnly, error, "it belongs to another user");
    }
    if (::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) {
      if (errno == EROFS) return Fail(Refusal::ReadOnly, error, "it lies on a read-only file system");
      return Fail(Refusal::ReadOnly, error, "you may not write to it");
    }
    exists_ = true;
    fileMode_ = info.st_mode & 07777;
    owner_ = info.st_uid;
    group_ = info.st_gid;
    device_ = info.st_dev;
    inode_ = info.st_ino;
    // A rename would split other links to the file, or give it to us.
    const bool root = ::geteuid() == 0;
    if (info.st_nlink > 1 || (!root && (owner_ != ::geteuid() || !InGroup(group_)))) mode_ = Mode::InPlace;
    // A write an earlier save left unfinished is finished first, so that a
    // failure now still leaves a whole file.
    redoCopies_ = RedoPlaces(target_, device_, inode_);
    for (const std::string& redo : redoCopies_) ApplyRedo(redo, target_, device_, inode_, reason);
  }
  return MakeTemp(error);
}

bool SafeWrite::MakeTemp(std::string& error) {
  const std::string folder = FolderOf(target_);
  RemoveStaleTemps(folder);
  int fd = CreateTemp(folder, temp_);
  int failure = errno;
  if (fd < 0 && (failure == EACCES || failure == EPERM) && exists_ && kind_ != Kind::Private) {
    // The folder is closed to us, the file is not: it is written in place,
    // its new content kept meanwhile in a folder of the user's own.
    std::string why;
    const std::string state = FileChecks::StateFolder(true, why);
    if (!state.empty()) {
      RemoveStaleTemps(state);
      fd = CreateTemp(state, temp_);
      if (fd >= 0) mode_ = Mode::InPlace;
    }
  }
  if (fd < 0) {
    temp_.clear();
    errno = failure;
    if (failure == EACCES || failure == EROFS || failure == EPERM) {
      return Fail(Refusal::ReadOnly, error, Reason("you may not write in its folder"));
    }
    return Fail(Refusal::Failed, error, Reason("cannot create a file in its folder"));
  }
  tempFd_ = fd;
  // Held until the file is in place, so another write knows it is no leftover.
  ::flock(tempFd_, LOCK_EX);
  return true;
}

bool SafeWrite::BeginDirect(const std::string& path, int descriptor, std::string& error) {
  mode_ = Mode::Direct;
  if (descriptor < 0) {
    // Without blocking: a pipe nobody reads is a failure at once, not a wait.
    directFd_ = ::open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    if (directFd_ < 0 && errno == ENXIO) return Fail(Refusal::NoReader, error, "nobody reads from it");
    if (directFd_ < 0) return Fail(Refusal::Failed, error, Reason("cannot open it"));
    struct stat info {};
    if (::fstat(directFd_, &info) != 0 || !(S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode))) {
      return Fail(Refusal::NotRegular, error, "it changed while it was looked at");
    }
    return true;
  }
  target_ = path;
  struct stat info {};
  const int flags = ::fcntl(descriptor, F_GETFL);
  if (flags < 0 || ::fstat(descriptor, &info) != 0) {
    return Fail(Refusal::Failed, error, "descriptor " + std::to_string(descriptor) + " is not open");
  }
  if (S_ISDIR(info.st_mode)) return Fail(Refusal::Folder, error, "it is a folder");
  if ((flags & O_ACCMODE) == O_RDONLY) {
    return Fail(Refusal::ReadOnly, error, "descriptor " + std::to_string(descriptor) + " is open for reading only");
  }
  if (!S_ISREG(info.st_mode)) {
    // A pipe or device opened anew, without blocking; a socket cannot be.
    directFd_ =
        ::open(("/proc/self/fd/" + std::to_string(descriptor)).c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (directFd_ < 0 && errno == ENXIO && S_ISFIFO(info.st_mode)) {
      return Fail(Refusal::NoReader, error, "nobody reads from it");
    }
  }
  // A file is written where its descriptor stands, as a redirection writes it.
  if (directFd_ < 0) directFd_ = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
  if (directFd_ < 0) return Fail(Refusal::Failed, error, Reason("cannot write it"));
  return true;
}

const std::string& SafeWrite::WritePath() const { return mode_ == Mode::Direct ? target_ : temp_; }

bool SafeWrite::Write(std::string_view bytes, std::string& error) {
  if (mode_ == Mode::Direct) return WriteDirect(bytes, error);
  if (tempFd_ >= 0 && WriteAll(tempFd_, bytes.data(), bytes.size())) return true;
  return Fail(Refusal::Failed, error, Reason("cannot write it"));
}

bool SafeWrite::WriteDirect(std::string_view bytes, std::string& error) {
  if (directFd_ < 0) return Fail(Refusal::Failed, error, "it is not open");
  const PipeSignalHeld held;
  while (!bytes.empty()) {
    const ssize_t written = ::write(directFd_, bytes.data(), bytes.size());
    if (written > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(written));
      continue;
    }
    if (written < 0 && errno == EINTR) continue;
    if (written < 0 && errno == EAGAIN) {
      // Full: wait for the reader, as long as patience allows.
      pollfd wait{directFd_, POLLOUT, 0};
      const std::int64_t patience = pipePatienceMs;
      const int ready =
          ::poll(&wait, 1, patience < 0 ? -1 : static_cast<int>(std::min<std::int64_t>(patience, INT_MAX)));
      if (ready == 0) return Fail(Refusal::NoReader, error, "nothing reads what is written into it");
      continue;
    }
    if (written < 0 && errno == EPIPE) return Fail(Refusal::NoReader, error, "its reader has gone");
    return Fail(Refusal::Failed, error, written < 0 ? Reason("cannot write it") : "cannot write it");
  }
  return true;
}

bool SafeWrite::Commit(std::string& error) {
  if (mode_ == Mode::Direct) {
    const int fd = directFd_;
    directFd_ = -1;
    if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) return Fail(Refusal::Failed, error, Reason("cannot write it"));
    return true;
  }
  if (tempFd_ < 0) return Fail(Refusal::Failed, error, "nothing was written");
  if (::fsync(tempFd_) != 0) return Fail(Refusal::Failed, error, Reason("cannot flush it to disk"));
  if (mode_ == Mode::InPlace) return CommitInPlace(error);

  const mode_t privateMode = 0600;
  if (exists_) {
    // The new file takes the old one's place with its rights: group first,
    // which a member may give; the owner only where that is allowed.
    if (::fchown(tempFd_, owner_, group_) != 0) ::fchown(tempFd_, static_cast<uid_t>(-1), group_);
    ::fchmod(tempFd_, kind_ == Kind::Private ? privateMode : static_cast<mode_t>(fileMode_));
  } else if (kind_ != Kind::Private) {
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
  // A whole new file is in place: an older redo copy would only take it back.
  for (const std::string& redo : redoCopies_) ::unlink(redo.c_str());
  return true;
}

bool SafeWrite::CommitInPlace(std::string& error) {
  const int out = ::open(target_.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (out < 0) return Fail(Refusal::Failed, error, Reason("cannot write into it"));
  struct stat file {};
  struct stat copy {};
  if (::fstat(out, &file) != 0 || !S_ISREG(file.st_mode) || file.st_dev != device_ || file.st_ino != inode_ ||
      ::fstat(tempFd_, &copy) != 0) {
    ::close(out);
    return Fail(Refusal::Failed, error, "it was replaced while it was being written");
  }
  if (!Reserve(out, copy.st_size)) {
    ::close(out);
    return Fail(Refusal::Failed, error, "there is no room for it on its disk");
  }
  // From here the file changes: its complete new content first takes the
  // name that the next open or write of the file looks for.
  const std::string redo = FolderOf(temp_) + "/" + RedoName(target_, device_, inode_);
  if (::rename(temp_.c_str(), redo.c_str()) != 0) {
    ::close(out);
    return Fail(Refusal::Failed, error, Reason("cannot keep its new content"));
  }
  temp_.clear();
  SyncFolder(FolderOf(redo));
  std::string reason;
  bool ok = CopyOver(tempFd_, out, copy.st_size, reason);
  if (::close(out) != 0 && ok) {
    reason = Reason("cannot write into it");
    ok = false;
  }
  ::close(tempFd_);
  tempFd_ = -1;
  if (!ok) {
    return Fail(Refusal::Failed, error,
                reason + "; its complete new content is kept in " + redo + " and goes into it when it is next opened");
  }
  ::unlink(redo.c_str());
  SyncFolder(FolderOf(redo));
  return true;
}

bool SafeWrite::Recover(const std::string& path, std::string& error) {
  std::string target;
  int descriptor = -1;
  std::string ignored;
  if (FollowLinks(path, Kind::Document, target, descriptor, ignored) != Refusal::None) return true;
  struct stat info {};
  if (::lstat(target.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return true;
  for (const std::string& redo : RedoPlaces(target, info.st_dev, info.st_ino)) {
    if (!ApplyRedo(redo, target, info.st_dev, info.st_ino, error)) return false;
  }
  return true;
}

}  // namespace virlo
