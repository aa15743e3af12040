#include "platform/FileIdentity.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <vector>

namespace virlo {
namespace {

// FNV-1a, 64 bits: enough to tell an edit from chance, and needs nothing.
constexpr std::uint64_t HashStart = 14695981039346656037ULL;
constexpr std::uint64_t HashPrime = 1099511628211ULL;

struct Stat {
  std::uint64_t size = 0;
  std::int64_t modified = 0;
};

// The regular file at path, links followed; nothing when there is none.
std::optional<Stat> StatOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  constexpr std::int64_t NanosPerSecond = 1'000'000'000;
  return Stat{static_cast<std::uint64_t>(info.st_size),
              static_cast<std::int64_t>(info.st_mtim.tv_sec) * NanosPerSecond + info.st_mtim.tv_nsec};
}

void AddToHash(std::uint64_t& hash, const unsigned char* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    hash ^= bytes[i];
    hash *= HashPrime;
  }
}

// The hash of the file's bytes; nothing when it cannot be read to the end.
std::optional<std::uint64_t> HashOf(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  std::uint64_t hash = HashStart;
  std::vector<unsigned char> buffer(1 << 16);
  bool ok = true;
  while (true) {
    const ssize_t got = ::read(fd, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    AddToHash(hash, buffer.data(), static_cast<std::size_t>(got));
  }
  ::close(fd);
  if (!ok) return std::nullopt;
  return hash;
}

}  // namespace

FileIdentity::FileIdentity(std::uint64_t size, std::int64_t modified, std::uint64_t hash)
    : known_(true), size_(size), modified_(modified), hash_(hash) {}

FileIdentity FileIdentity::Of(const std::string& path) {
  const std::optional<Stat> stat = StatOf(path);
  if (!stat) return {};
  const std::optional<std::uint64_t> hash = HashOf(path);
  if (!hash) return {};
  return {stat->size, stat->modified, *hash};
}

FileIdentity FileIdentity::Of(std::string_view bytes, std::int64_t modified) {
  std::uint64_t hash = HashStart;
  AddToHash(hash, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  return {bytes.size(), modified, hash};
}

FileIdentity::Change FileIdentity::Compare(const std::string& path) const {
  const std::optional<Stat> stat = StatOf(path);
  if (!stat) return known_ ? Change::Removed : Change::None;
  if (!known_ || stat->size != size_) return Change::Changed;
  // The same size and time may still hide an edit: the bytes decide.
  const std::optional<std::uint64_t> hash = HashOf(path);
  if (!hash || *hash != hash_) return Change::Changed;
  return stat->modified == modified_ ? Change::None : Change::Touched;
}

}  // namespace virlo
