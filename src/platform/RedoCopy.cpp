#include "platform/RedoCopy.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>

#include "platform/FileChecks.h"

namespace virlo {
namespace {

constexpr std::string_view Prefix = ".virlo-redo-";
constexpr char Magic[] = {'V', 'I', 'R', 'L', 'O', 'R', 'D', '1'};
// The unit a copy is checked in: a disk sector, so that neither a kill
// (between pages) nor a power cut (between sectors) splits one.
constexpr std::uint64_t BlockSize = 512;
constexpr std::size_t NumberSize = 8;
// Magic, device, inode, old size, block size, new size, new hash, check.
enum Field : std::size_t {
  MagicField,
  DeviceField,
  InodeField,
  OldSizeField,
  BlockSizeField,
  NewSizeField,
  NewHashField,
  CheckField,
  FieldCount
};
constexpr std::size_t RecordSize = FieldCount * NumberSize;
// Bytes read at a time: whole blocks.
constexpr std::size_t Chunk = 1 << 16;
static_assert(Chunk % BlockSize == 0);

constexpr std::uint64_t HashStart = 14695981039346656037ULL;
constexpr std::uint64_t HashPrime = 1099511628211ULL;

std::string Reason(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

std::uint64_t Hash(const unsigned char* data, std::size_t size, std::uint64_t hash = HashStart) {
  for (std::size_t i = 0; i < size; ++i) {
    hash ^= data[i];
    hash *= HashPrime;
  }
  return hash;
}

void PutNumber(unsigned char* at, std::uint64_t value) {
  for (std::size_t i = 0; i < NumberSize; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::uint64_t GetNumber(const unsigned char* at) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < NumberSize; ++i) value |= static_cast<std::uint64_t>(at[i]) << (8 * i);
  return value;
}

std::string Hex(std::uint64_t value) {
  static constexpr char Digits[] = "0123456789abcdef";
  std::string text;
  do {
    text.insert(text.begin(), Digits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  return text;
}

std::string PrefixOf(const struct stat& file) {
  return std::string(Prefix) + Hex(file.st_dev) + "-" + Hex(file.st_ino) + "-";
}

// Reads up to size bytes at offset; how many it got (fewer only at the end), -1 on a failure.
ssize_t ReadAt(int fd, unsigned char* data, std::size_t size, off_t offset) {
  std::size_t got = 0;
  while (got < size) {
    const ssize_t read = ::pread(fd, data + got, size - got, offset + static_cast<off_t>(got));
    if (read < 0 && errno == EINTR) continue;
    if (read < 0) return -1;
    if (read == 0) break;
    got += static_cast<std::size_t>(read);
  }
  return static_cast<ssize_t>(got);
}

bool WriteAt(int fd, const unsigned char* data, std::size_t size, off_t offset) {
  while (size > 0) {
    const ssize_t written = ::pwrite(fd, data, size, offset);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    offset += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// The hash of the first size bytes of fd; false when they cannot all be read.
bool HashOf(int fd, std::uint64_t size, std::uint64_t& hash) {
  std::vector<unsigned char> buffer(Chunk);
  hash = HashStart;
  for (std::uint64_t at = 0; at < size;) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(Chunk, size - at));
    if (ReadAt(fd, buffer.data(), want, static_cast<off_t>(at)) != static_cast<ssize_t>(want)) return false;
    hash = Hash(buffer.data(), want, hash);
    at += want;
  }
  return true;
}

void SyncFolder(int folder) {
  const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

struct Record {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t oldSize = 0;
  std::uint64_t newSize = 0;
  std::uint64_t newHash = 0;
  std::vector<std::uint64_t> oldBlocks;
};

// The record at the end of a copy of size bytes; false when it is none of ours or damaged.
bool ReadRecord(int fd, std::uint64_t size, Record& record) {
  unsigned char fields[RecordSize];
  if (size < RecordSize || ReadAt(fd, fields, RecordSize, static_cast<off_t>(size - RecordSize)) != RecordSize) {
    return false;
  }
  if (std::memcmp(fields, Magic, sizeof Magic) != 0 || GetNumber(fields + BlockSizeField * NumberSize) != BlockSize) {
    return false;
  }
  record.device = GetNumber(fields + DeviceField * NumberSize);
  record.inode = GetNumber(fields + InodeField * NumberSize);
  record.oldSize = GetNumber(fields + OldSizeField * NumberSize);
  record.newSize = GetNumber(fields + NewSizeField * NumberSize);
  record.newHash = GetNumber(fields + NewHashField * NumberSize);
  // Every size checked against the copy's own before it is used.
  const std::uint64_t room = size - RecordSize;
  const std::uint64_t blocks = record.oldSize / BlockSize + (record.oldSize % BlockSize != 0 ? 1 : 0);
  if (record.newSize > room || blocks > (room - record.newSize) / NumberSize ||
      record.newSize + blocks * NumberSize != room) {
    return false;
  }
  std::vector<unsigned char> hashes(static_cast<std::size_t>(blocks * NumberSize));
  if (ReadAt(fd, hashes.data(), hashes.size(), static_cast<off_t>(record.newSize)) !=
      static_cast<ssize_t>(hashes.size())) {
    return false;
  }
  const std::uint64_t check = Hash(fields, CheckField * NumberSize, Hash(hashes.data(), hashes.size()));
  if (check != GetNumber(fields + CheckField * NumberSize)) return false;
  record.oldBlocks.resize(static_cast<std::size_t>(blocks));
  for (std::size_t i = 0; i < record.oldBlocks.size(); ++i) record.oldBlocks[i] = GetNumber(&hashes[i * NumberSize]);
  return true;
}

enum class State {
  Finished,     // the file holds the new content whole
  Interrupted,  // the file holds what the copy can have left: the copy goes in
  Stale,        // the file was written since
  Unreadable,   // the file or the copy could not be read to the end
};

// What the file holds, against the copy's record and content.
State Compare(int target, int copy, const Record& record) {
  struct stat file {};
  if (::fstat(target, &file) != 0) return State::Unreadable;
  const auto size = static_cast<std::uint64_t>(file.st_size);
  // The copy grows the file as it goes and cuts it short only at its end.
  const bool grows = record.newSize >= record.oldSize;
  const bool sizeFits =
      grows ? size >= record.oldSize && size <= record.newSize : size == record.oldSize || size == record.newSize;
  if (!sizeFits) return State::Stale;
  const bool oldAllowed = grows || size == record.oldSize;
  bool allNew = size == record.newSize;
  std::vector<unsigned char> held(Chunk);
  std::vector<unsigned char> kept(Chunk);
  for (std::uint64_t at = 0; at < size; at += Chunk) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(Chunk, size - at));
    const std::size_t keptWant =
        at < record.newSize ? static_cast<std::size_t>(std::min<std::uint64_t>(want, record.newSize - at)) : 0;
    if (ReadAt(target, held.data(), want, static_cast<off_t>(at)) != static_cast<ssize_t>(want) ||
        ReadAt(copy, kept.data(), keptWant, static_cast<off_t>(at)) != static_cast<ssize_t>(keptWant)) {
      return State::Unreadable;
    }
    for (std::size_t begin = 0; begin < want; begin += BlockSize) {
      const std::size_t length = std::min<std::size_t>(BlockSize, want - begin);
      const std::uint64_t place = at + begin;
      const bool isNew = begin + length <= keptWant && std::memcmp(&held[begin], &kept[begin], length) == 0;
      if (isNew) continue;
      allNew = false;
      const std::size_t block = static_cast<std::size_t>(place / BlockSize);
      const bool isOld = oldAllowed && block < record.oldBlocks.size() &&
                         length == std::min<std::uint64_t>(BlockSize, record.oldSize - place) &&
                         Hash(&held[begin], length) == record.oldBlocks[block];
      if (!isOld) return State::Stale;
    }
  }
  return allNew ? State::Finished : State::Interrupted;
}

// A copy counts only when whoever may change it may write the file anyway:
// its owner, and those its mode lets write it.
bool Trusted(const struct stat& copy, const struct stat& file) {
  if (!FileChecks::MayWrite(copy.st_uid, file)) return false;
  const bool othersWrite = (file.st_mode & S_IWOTH) != 0;
  if ((copy.st_mode & S_IWOTH) != 0 && !othersWrite) return false;
  const bool groupWrites = othersWrite || (copy.st_gid == file.st_gid && (file.st_mode & S_IWGRP) != 0);
  return (copy.st_mode & S_IWGRP) == 0 || groupWrites;
}

// Copies the size bytes of in over out from its start and cuts out there.
bool CopyOver(int in, int out, off_t size, std::string& error) {
  std::vector<unsigned char> buffer(Chunk);
  for (off_t offset = 0; offset < size;) {
    const std::size_t want = static_cast<std::size_t>(std::min<off_t>(static_cast<off_t>(Chunk), size - offset));
    const ssize_t got = ReadAt(in, buffer.data(), want, offset);
    if (got != static_cast<ssize_t>(want)) {
      error = got < 0 ? Reason("cannot read its new content") : std::string("its new content ended early");
      return false;
    }
    if (!WriteAt(out, buffer.data(), want, offset)) {
      error = Reason("cannot write into it");
      return false;
    }
    offset += static_cast<off_t>(want);
  }
  if (::ftruncate(out, size) != 0 || ::fsync(out) != 0) {
    error = Reason("cannot write into it");
    return false;
  }
  return true;
}

// One copy found for the file: false with a sentence when it is left unfinished.
bool SettleOne(int target, const struct stat& file, bool writable, const RedoCopy::Place& place,
               const std::string& name, std::string& error) {
  struct stat found {};
  if (::fstatat(place.folder, name.c_str(), &found, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(found.st_mode) ||
      found.st_nlink != 1) {
    return true;
  }
  if (found.st_size == 0) {
    // One retired where it could only be emptied: its owner removes it.
    if (found.st_uid == ::geteuid()) ::unlinkat(place.folder, name.c_str(), 0);
    return true;
  }
  if (!Trusted(found, file)) return true;
  const std::string path = place.path + "/" + name;
  const int copy = ::openat(place.folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (copy < 0) {
    error = "a save into it may have been cut short, and its copy " + path + " cannot be read (" +
            std::strerror(errno) + ")";
    return false;
  }
  struct stat opened {};
  Record record;
  const bool ours = ::fstat(copy, &opened) == 0 && opened.st_ino == found.st_ino && opened.st_dev == found.st_dev &&
                    ReadRecord(copy, static_cast<std::uint64_t>(opened.st_size), record) &&
                    record.device == static_cast<std::uint64_t>(file.st_dev) &&
                    record.inode == static_cast<std::uint64_t>(file.st_ino);
  const State state = ours ? Compare(target, copy, record) : State::Stale;
  bool settled = true;
  if (!ours) {
    // None of this file's: left as it is.
  } else if (state == State::Unreadable) {
    error = "a save into it may have been cut short, and it cannot be compared with its copy " + path;
    settled = false;
  } else if (state != State::Interrupted) {
    RedoCopy::Retire(place.folder, name);
  } else if (!writable) {
    error = "a save into it was cut short and only a user who may write it can finish it from its copy " + path;
    settled = false;
  } else {
    std::uint64_t hash = 0;
    std::string reason;
    if (!HashOf(copy, record.newSize, hash) || hash != record.newHash) {
      reason = "the copy is damaged";
    } else if (!RedoCopy::Reserve(target, static_cast<off_t>(record.newSize))) {
      reason = "there is no room for it on its disk";
    } else if (CopyOver(copy, target, static_cast<off_t>(record.newSize), reason)) {
      RedoCopy::Retire(place.folder, name);
    }
    if (!reason.empty()) {
      error = "a save into it was cut short and cannot be finished (" + reason + "), its complete new content is in " +
              path;
      settled = false;
    }
  }
  ::close(copy);
  return settled;
}

// The names in a folder that start with prefix.
std::vector<std::string> NamesIn(int folder, const std::string& prefix) {
  std::vector<std::string> names;
  const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return names;
  DIR* dir = ::fdopendir(fd);
  if (dir == nullptr) {
    ::close(fd);
    return names;
  }
  while (const dirent* entry = ::readdir(dir)) {
    if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0) names.emplace_back(entry->d_name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

std::string RedoCopy::Name(const struct stat& file, uid_t writer) { return PrefixOf(file) + std::to_string(writer); }

bool RedoCopy::Seal(int copy, off_t size, int target, std::string& error) {
  struct stat file {};
  std::uint64_t newHash = 0;
  if (::fstat(target, &file) != 0 || !HashOf(copy, static_cast<std::uint64_t>(size), newHash)) {
    error = Reason("cannot read its new content");
    return false;
  }
  // The file as it is now, block by block.
  std::vector<unsigned char> trailer;
  std::vector<unsigned char> buffer(Chunk);
  std::uint64_t oldSize = 0;
  while (true) {
    const ssize_t got = ReadAt(target, buffer.data(), buffer.size(), static_cast<off_t>(oldSize));
    if (got < 0) {
      error = Reason("cannot read it");
      return false;
    }
    for (std::size_t begin = 0; begin < static_cast<std::size_t>(got); begin += BlockSize) {
      const std::size_t length = std::min<std::size_t>(BlockSize, static_cast<std::size_t>(got) - begin);
      trailer.resize(trailer.size() + NumberSize);
      PutNumber(&trailer[trailer.size() - NumberSize], Hash(&buffer[begin], length));
    }
    oldSize += static_cast<std::uint64_t>(got);
    if (static_cast<std::size_t>(got) < buffer.size()) break;
  }
  const std::size_t hashes = trailer.size();
  trailer.resize(hashes + RecordSize);
  unsigned char* fields = &trailer[hashes];
  std::memcpy(fields, Magic, sizeof Magic);
  PutNumber(fields + DeviceField * NumberSize, static_cast<std::uint64_t>(file.st_dev));
  PutNumber(fields + InodeField * NumberSize, static_cast<std::uint64_t>(file.st_ino));
  PutNumber(fields + OldSizeField * NumberSize, oldSize);
  PutNumber(fields + BlockSizeField * NumberSize, BlockSize);
  PutNumber(fields + NewSizeField * NumberSize, static_cast<std::uint64_t>(size));
  PutNumber(fields + NewHashField * NumberSize, newHash);
  PutNumber(fields + CheckField * NumberSize, Hash(fields, CheckField * NumberSize, Hash(trailer.data(), hashes)));
  if (!WriteAt(copy, trailer.data(), trailer.size(), size) ||
      ::ftruncate(copy, size + static_cast<off_t>(trailer.size())) != 0) {
    error = Reason("cannot keep its new content");
    return false;
  }
  // Those who may read and write the file may read and write its copy: root
  // gives it to the file's owner; another writer gives it the file's group
  // where he is a member of it, else keeps the group out.
  bool group = false;
  if (::geteuid() == 0 && (file.st_mode & S_IWUSR) != 0) {
    group = ::fchown(copy, file.st_uid, file.st_gid) == 0;
  } else {
    group = ::fchown(copy, static_cast<uid_t>(-1), file.st_gid) == 0;
  }
  mode_t mode = S_IRUSR | S_IWUSR | (file.st_mode & (S_IROTH | S_IWOTH));
  if (group) mode |= file.st_mode & (S_IRGRP | S_IWGRP);
  if (::fchmod(copy, mode) != 0 || ::fsync(copy) != 0) {
    error = Reason("cannot keep its new content");
    return false;
  }
  return true;
}

bool RedoCopy::Reserve(int target, off_t size) {
  struct stat info {};
  if (::fstat(target, &info) != 0 || info.st_size >= size) return true;
  if (::fallocate(target, FALLOC_FL_KEEP_SIZE, 0, size) == 0) return true;
  return errno != ENOSPC && errno != EDQUOT;
}

bool RedoCopy::CopyInto(int copy, off_t size, int target, std::string& error) {
  return CopyOver(copy, target, size, error);
}

bool RedoCopy::Settle(int target, bool writable, const std::vector<Place>& places, std::string& error) {
  struct stat file {};
  if (::fstat(target, &file) != 0 || !S_ISREG(file.st_mode)) return true;
  const std::string prefix = PrefixOf(file);
  std::vector<std::pair<dev_t, ino_t>> seen;
  bool settled = true;
  for (const Place& place : places) {
    struct stat folder {};
    if (place.folder < 0 || ::fstat(place.folder, &folder) != 0) continue;
    if (std::find(seen.begin(), seen.end(), std::make_pair(folder.st_dev, folder.st_ino)) != seen.end()) continue;
    seen.emplace_back(folder.st_dev, folder.st_ino);
    for (const std::string& name : NamesIn(place.folder, prefix)) {
      std::string left;
      if (!SettleOne(target, file, writable, place, name, left)) {
        if (settled) error = left;
        settled = false;
      }
    }
  }
  return settled;
}

void RedoCopy::Retire(int folder, const std::string& name) {
  if (::unlinkat(folder, name.c_str(), 0) != 0) {
    // A sticky folder keeps another's file: emptied, it is no copy any more.
    const int fd = ::openat(folder, name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    if (::ftruncate(fd, 0) == 0) ::fsync(fd);
    ::close(fd);
  }
  SyncFolder(folder);
}

}  // namespace virlo
