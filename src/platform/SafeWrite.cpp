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
#include <climits>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <random>
#include <thread>
#include <utility>
#include <vector>

#include "platform/FileChecks.h"
#include "platform/RedoCopy.h"

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
// A temporary file nobody holds that is at least this old was left by a
// write that died; a younger one may be one just being made.
constexpr std::time_t StaleSeconds = 60;
// How long a write waits for another write into the same file, and how often it looks.
constexpr std::chrono::seconds LockPatience{10};
constexpr std::chrono::milliseconds LockPoll{5};
constexpr const char* DefaultSharedFolder = "/var/tmp/virlo-redo";
// The shared folder's mode: sticky, everyone may write, as /tmp.
constexpr mode_t SharedFolderMode = S_ISVTX | S_IRWXU | S_IRWXG | S_IRWXO;

std::atomic<std::int64_t> pipePatienceMs{-1};

std::string Reason(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

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
int CreateTemp(int folder, std::string& name) {
  static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device device;
  std::uniform_int_distribution<std::size_t> pick(0, sizeof Letters - 2);
  for (int attempt = 0; attempt < TempAttempts; ++attempt) {
    std::string random(RandomLength, 'a');
    for (char& c : random) c = Letters[pick(device)];
    name = std::string(TempPrefix) + random + "-" + TempCheck(random);
    const int fd = ::openat(folder, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// A file of ours that a killed write left: ours by name and owner, no other
// name, held by nobody, and not made just now.
void RemoveStaleTemps(int folder) {
  const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listed < 0) return;
  DIR* dir = ::fdopendir(listed);
  if (dir == nullptr) {
    ::close(listed);
    return;
  }
  const std::time_t now = std::time(nullptr);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (!IsTempName(name)) continue;
    struct stat info {};
    if (::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
        info.st_uid != ::geteuid() || info.st_nlink != 1 || now - info.st_mtime < StaleSeconds) {
      continue;
    }
    const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlinkat(folder, name.c_str(), 0);
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

void SyncFolder(int folder) {
  const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

std::string& SharedFolder() {
  static std::string folder = DefaultSharedFolder;
  return folder;
}

// The shared folder, for a writer: made when it is missing, and used only
// when it is a folder, not a link, sticky and open to all, and root's or the
// writer's own (another owner could remove the copies in it). -1 when there
// is none to use.
int SharedFolderToWrite() {
  const std::string& path = SharedFolder();
  if (::mkdir(path.c_str(), SharedFolderMode) == 0) {
    // mkdir's mode passed through the umask: the folder just made gets it whole.
    const int made = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat info {};
    if (made >= 0 && ::fstat(made, &info) == 0 && info.st_uid == ::geteuid()) ::fchmod(made, SharedFolderMode);
    if (made >= 0) ::close(made);
  }
  const int folder = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  struct stat info {};
  if (folder >= 0 && ::fstat(folder, &info) == 0 && (info.st_mode & SharedFolderMode) == SharedFolderMode &&
      (info.st_uid == 0 || info.st_uid == ::geteuid())) {
    return folder;
  }
  if (folder >= 0) ::close(folder);
  return -1;
}

// The folders where redo copies of a file in folder may be: beside it, the
// shared folder and the user's state folder; open while they are looked through.
class RedoPlaces {
 public:
  RedoPlaces(int folder, const std::string& folderPath) {
    places_.push_back({folder, folderPath});
    std::string ignored;
    const std::string state = FileChecks::StateFolder(false, ignored);
    for (const std::string& path : {SharedFolder(), state}) {
      if (path.empty()) continue;
      const int fd = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (fd >= 0) places_.push_back({fd, path});
    }
  }
  ~RedoPlaces() {
    for (std::size_t i = 1; i < places_.size(); ++i) ::close(places_[i].folder);
  }
  RedoPlaces(const RedoPlaces&) = delete;
  RedoPlaces& operator=(const RedoPlaces&) = delete;

  const std::vector<RedoCopy::Place>& All() const { return places_; }

 private:
  std::vector<RedoCopy::Place> places_;
};

// Takes the lock that writes in place and the settling of redo copies take
// on the file itself, waiting as long as patience allows. A file system
// without such locks is written without.
bool LockFile(int fd) {
  const auto end = std::chrono::steady_clock::now() + LockPatience;
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(LockPoll);
  }
  return true;
}

constexpr const char* Busy = "another program has been writing it for too long";

// Settles the redo copies of the regular file at name in path's folder,
// under the file's lock.
bool SettleAt(const CheckedPath& path, std::string& error) {
  const char* name = path.Name().c_str();
  bool writable = true;
  int fd = ::openat(path.Folder(), name, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    writable = false;
    fd = ::openat(path.Folder(), name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  }
  if (fd < 0) return true;
  struct stat info {};
  bool settled = true;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    if (LockFile(fd)) {
      const RedoPlaces places(path.Folder(), path.FolderPath());
      settled = RedoCopy::Settle(fd, writable, places.All(), error);
    } else {
      error = Busy;
      settled = false;
    }
  }
  ::close(fd);
  return settled;
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
  if (!tempName_.empty()) ::unlinkat(tempFolder_, tempName_.c_str(), 0);
  if (tempFolder_ >= 0) ::close(tempFolder_);
}

void SafeWrite::SetPipePatience(std::chrono::milliseconds patience) { pipePatienceMs = patience.count(); }

std::string SafeWrite::SetSharedFolder(const std::string& path) { return std::exchange(SharedFolder(), path); }

bool SafeWrite::Fail(Refusal refusal, std::string& error, std::string reason) {
  refusal_ = refusal;
  error = std::move(reason);
  return false;
}

bool SafeWrite::Begin(const std::string& path, Kind kind, std::string& error) {
  kind_ = kind;
  if (path.empty()) return Fail(Refusal::NoName, error, "it has no name");
  std::string reason;
  const CheckedPath::Options options{kind != Kind::Private, kind == Kind::Text};
  switch (target_.Walk(path, options, reason)) {
    case CheckedPath::Problem::None:
      break;
    case CheckedPath::Problem::NoFolder:
      return Fail(Refusal::NoFolder, error, reason);
    case CheckedPath::Problem::Link:
    case CheckedPath::Problem::PlainLink:
      return Fail(Refusal::Link, error, reason);
    case CheckedPath::Problem::NotRegular:
      return Fail(Refusal::NotRegular, error, reason);
    case CheckedPath::Problem::Loop:
    case CheckedPath::Problem::Failed:
      return Fail(Refusal::Failed, error, reason);
  }
  if (target_.Descriptor() >= 0) return BeginDirect(path, target_.Descriptor(), error);
  if (target_.Name().empty()) return Fail(Refusal::Folder, error, "it is a folder");

  const char* name = target_.Name().c_str();
  struct stat info {};
  if (::fstatat(target_.Folder(), name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno != ENOENT) return Fail(Refusal::Failed, error, Reason("cannot look at it"));
  } else if (S_ISDIR(info.st_mode)) {
    return Fail(Refusal::Folder, error, "it is a folder");
  } else if (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode)) {
    // A pipe or a terminal cannot be replaced: a text goes straight in.
    if (kind != Kind::Text) return Fail(Refusal::NotRegular, error, "it is not a regular file");
    return BeginDirect(target_.Path(), -1, error);
  } else if (!S_ISREG(info.st_mode)) {
    return Fail(Refusal::NotRegular, error,
                S_ISLNK(info.st_mode) ? "it changed while it was looked at" : "it is not a regular file");
  } else {
    if (kind == Kind::Private && info.st_uid != ::geteuid()) {
      return Fail(Refusal::ReadOnly, error, "it belongs to another user");
    }
    if (::faccessat(target_.Folder(), name, W_OK, AT_EACCESS) != 0) {
      if (errno == EROFS) return Fail(Refusal::ReadOnly, error, "it lies on a read-only file system");
      return Fail(Refusal::ReadOnly, error, "you may not write to it");
    }
    exists_ = true;
    fileMode_ = info.st_mode & 07777;
    owner_ = info.st_uid;
    group_ = info.st_gid;
    device_ = info.st_dev;
    inode_ = info.st_ino;
    links_ = info.st_nlink;
    // A rename would split other links to the file, or give it to us.
    const bool root = ::geteuid() == 0;
    if (links_ > 1 || (!root && (owner_ != ::geteuid() || !FileChecks::InGroup(group_)))) mode_ = Mode::InPlace;
    // A write an earlier save left unfinished is finished first, so that a
    // failure now still leaves a whole file.
    SettleAt(target_, reason);
  }
  return MakeTemp(error);
}

// Makes the temporary file in folder (which it then holds) and holds it
// until the file is in place, so another write knows it is no leftover.
// False with errno, the folder closed.
bool SafeWrite::TempIn(int folder, const std::string& folderPath) {
  if (folder < 0) return false;
  RemoveStaleTemps(folder);
  std::string name;
  const int fd = CreateTemp(folder, name);
  if (fd < 0) {
    const int failure = errno;
    ::close(folder);
    errno = failure;
    return false;
  }
  tempFolder_ = folder;
  tempFolderPath_ = folderPath;
  tempName_ = name;
  temp_ = (folderPath == "/" ? folderPath : folderPath + "/") + name;
  tempFd_ = fd;
  ::flock(tempFd_, LOCK_EX);
  return true;
}

bool SafeWrite::MakeTemp(std::string& error) {
  // A file with other names keeps its redo copy where the readers of every
  // name look; the temporary file is made there, to become it by a rename.
  if (mode_ == Mode::InPlace && links_ > 1 && kind_ != Kind::Private && TempIn(SharedFolderToWrite(), SharedFolder())) {
    return true;
  }
  if (TempIn(::fcntl(target_.Folder(), F_DUPFD_CLOEXEC, 0), target_.FolderPath())) return true;
  const int failure = errno;
  if ((failure == EACCES || failure == EPERM) && exists_ && kind_ != Kind::Private) {
    // The folder is closed to us, the file is not: it is written in place,
    // its new content kept meanwhile in the shared folder, or else in a
    // folder of the user's own.
    mode_ = Mode::InPlace;
    if (TempIn(SharedFolderToWrite(), SharedFolder())) return true;
    std::string why;
    const std::string state = FileChecks::StateFolder(true, why);
    if (!state.empty() && TempIn(::open(state.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC), state)) {
      return true;
    }
  }
  errno = failure;
  if (failure == EACCES || failure == EROFS || failure == EPERM) {
    return Fail(Refusal::ReadOnly, error, Reason("you may not write in its folder"));
  }
  return Fail(Refusal::Failed, error, Reason("cannot create a file in its folder"));
}

bool SafeWrite::BeginDirect(const std::string& path, int descriptor, std::string& error) {
  mode_ = Mode::Direct;
  directPath_ = path;
  if (descriptor < 0) {
    // Without blocking: a pipe nobody reads is a failure at once, not a wait.
    directFd_ =
        ::openat(target_.Folder(), target_.Name().c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    if (directFd_ < 0 && errno == ENXIO) return Fail(Refusal::NoReader, error, "nobody reads from it");
    if (directFd_ < 0) return Fail(Refusal::Failed, error, Reason("cannot open it"));
    struct stat info {};
    if (::fstat(directFd_, &info) != 0 || !(S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode))) {
      return Fail(Refusal::NotRegular, error, "it changed while it was looked at");
    }
    return true;
  }
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

const std::string& SafeWrite::WritePath() const { return mode_ == Mode::Direct ? directPath_ : temp_; }

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
  return mode_ == Mode::InPlace ? CommitInPlace(error) : CommitReplace(error);
}

bool SafeWrite::CommitReplace(std::string& error) {
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
  const int folder = target_.Folder();
  const char* name = target_.Name().c_str();
  // The file replaced is held meanwhile, so that no write into it is under
  // way; its redo copies are settled, as they would outlive it.
  int held = -1;
  if (exists_) {
    bool writable = true;
    held = ::openat(folder, name, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (held < 0) {
      writable = false;
      held = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    }
    struct stat info {};
    if (held >= 0 && (::fstat(held, &info) != 0 || !S_ISREG(info.st_mode))) {
      ::close(held);
      held = -1;
    }
    if (held >= 0 && !LockFile(held)) {
      ::close(held);
      return Fail(Refusal::Failed, error, Busy);
    }
    if (held >= 0) {
      const RedoPlaces places(folder, target_.FolderPath());
      std::string ignored;
      RedoCopy::Settle(held, writable, places.All(), ignored);
    }
  }
  // A journal or log of an older database beside the target would be read
  // into the new file by the next reader.
  if (kind_ == Kind::Document) {
    for (const char* suffix : SideFileSuffixes) ::unlinkat(folder, (target_.Name() + suffix).c_str(), 0);
  }
  const bool renamed = ::renameat(tempFolder_, tempName_.c_str(), folder, name) == 0;
  const int failure = errno;
  if (held >= 0) ::close(held);
  if (!renamed) {
    errno = failure;
    return Fail(Refusal::Failed, error, Reason("cannot put it in place"));
  }
  tempName_.clear();
  temp_.clear();
  ::close(tempFd_);
  tempFd_ = -1;
  SyncFolder(folder);
  return true;
}

bool SafeWrite::CommitInPlace(std::string& error) {
  const int folder = target_.Folder();
  const char* name = target_.Name().c_str();
  const int out = ::openat(folder, name, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (out < 0) return Fail(Refusal::Failed, error, Reason("cannot open it to write into it"));
  // Held until the copy is done and its redo copy gone: one write into the file at a time.
  if (!LockFile(out)) {
    ::close(out);
    return Fail(Refusal::Failed, error, Busy);
  }
  struct stat file {};
  struct stat named {};
  struct stat copy {};
  if (::fstat(out, &file) != 0 || !S_ISREG(file.st_mode) || file.st_dev != device_ || file.st_ino != inode_ ||
      ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) != 0 || named.st_dev != device_ || named.st_ino != inode_ ||
      ::fstat(tempFd_, &copy) != 0) {
    ::close(out);
    return Fail(Refusal::Failed, error, "it was replaced while it was being written");
  }
  {
    // A copy an earlier write left is settled first: it must not outlive this one.
    const RedoPlaces places(folder, target_.FolderPath());
    std::string ignored;
    RedoCopy::Settle(out, true, places.All(), ignored);
  }
  std::string reason;
  if (!RedoCopy::Reserve(out, copy.st_size)) {
    ::close(out);
    return Fail(Refusal::Failed, error, "there is no room for it on its disk");
  }
  // From here the file changes: its complete new content first takes the
  // name that every later open or write of the file looks for.
  const std::string redo = RedoCopy::Name(file, ::geteuid());
  bool kept = RedoCopy::Seal(tempFd_, copy.st_size, out, reason);
  if (kept && ::renameat(tempFolder_, tempName_.c_str(), tempFolder_, redo.c_str()) != 0) {
    reason = Reason("cannot keep its new content");
    kept = false;
  }
  if (!kept) {
    ::close(out);
    return Fail(Refusal::Failed, error, reason);
  }
  tempName_.clear();
  temp_.clear();
  SyncFolder(tempFolder_);
  const bool copied = RedoCopy::CopyInto(tempFd_, copy.st_size, out, reason);
  if (copied) RedoCopy::Retire(tempFolder_, redo);
  ::close(tempFd_);
  tempFd_ = -1;
  ::close(out);
  if (!copied) {
    return Fail(Refusal::Failed, error,
                reason + "; its complete new content is kept in " + tempFolderPath_ + "/" + redo +
                    " and goes into it when it is next opened");
  }
  return true;
}

bool SafeWrite::Recover(const std::string& path, std::string& error) {
  CheckedPath target;
  std::string ignored;
  if (target.Walk(path, {}, ignored) != CheckedPath::Problem::None || target.Name().empty()) return true;
  struct stat info {};
  if (::fstatat(target.Folder(), target.Name().c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode)) {
    return true;
  }
  return SettleAt(target, error);
}

}  // namespace virlo
