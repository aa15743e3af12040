#include "hostfile/HostFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

#include "platform/SafeWrite.h"
#include "platform/TextCodec.h"
#include "platform/Utf8.h"

namespace virlo {
namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::int64_t NanosPerSecond = 1'000'000'000;

bool IsUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    // ASCII, most of any source file, goes by 32 bytes at a time.
    constexpr std::size_t Stride = 32;
    if (i + Stride <= text.size()) {
      std::uint64_t words[Stride / 8];
      std::memcpy(words, text.data() + i, Stride);
      if (((words[0] | words[1] | words[2] | words[3]) & 0x8080808080808080ULL) == 0) {
        i += Stride;
        continue;
      }
    }
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    if (!Utf8::Decode(text, i)) return false;
  }
  return true;
}

// What a pass over a file's bytes finds: where each line starts and its
// first character past its indentation, the line feeds and those that
// follow a carriage return, a NUL, and where the first byte that is not
// ASCII stands (the end when none is).
struct Scan {
  std::vector<std::uint32_t> starts;
  std::vector<char> leading;
  std::size_t feeds = 0;
  std::size_t crlf = 0;
  bool nul = false;
  std::size_t firstHigh = 0;
};

// The first character from `at` that is no blank; a line feed for a line of
// blanks (or of blanks and a carriage return) and at the end of the bytes.
inline char LeadingAt(std::string_view bytes, std::size_t at) {
  while (at < bytes.size() && (bytes[at] == ' ' || bytes[at] == '\t')) ++at;
  if (at >= bytes.size()) return '\n';
  if (bytes[at] == '\r' && (at + 1 == bytes.size() || bytes[at + 1] == '\n')) return '\n';
  return bytes[at];
}

// A line feed at `at`.
inline void Feed(Scan& scan, std::string_view bytes, std::size_t at) {
  ++scan.feeds;
  if (at > 0 && bytes[at - 1] == '\r') ++scan.crlf;
  if (at + 1 >= bytes.size()) return;
  scan.starts.push_back(static_cast<std::uint32_t>(at + 1));
  // Looked at while the bytes are at hand: the finders ask it of every line.
  scan.leading.push_back(LeadingAt(bytes, at + 1));
}

void Note(Scan& scan, std::string_view bytes, std::size_t at) {
  const auto b = static_cast<unsigned char>(bytes[at]);
  if (b == '\n') Feed(scan, bytes, at);
  if (b >= 0x80 && scan.firstHigh == bytes.size()) scan.firstHigh = at;
}

Scan ScanBytes(std::string_view bytes) {
  Scan scan;
  scan.firstHigh = bytes.size();
  scan.nul = std::memchr(bytes.data(), '\0', bytes.size()) != nullptr;
  scan.starts.reserve(bytes.size() / 32);
  scan.leading.reserve(bytes.size() / 32);
  // The first line's place, filled in once the byte order mark is known.
  scan.starts.push_back(0);
  scan.leading.push_back('\n');
  std::size_t at = 0;
#if defined(__SSE2__)
  // Sixteen bytes a step: most steps are ASCII with a line feed or none.
  const __m128i feed = _mm_set1_epi8('\n');
  for (; at + 16 <= bytes.size(); at += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + at));
    if (_mm_movemask_epi8(v) != 0) {
      for (std::size_t k = 0; k < 16; ++k) Note(scan, bytes, at + k);
      continue;
    }
    auto feeds = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, feed)));
    while (feeds != 0) {
      const auto k = static_cast<std::size_t>(std::countr_zero(feeds));
      feeds &= feeds - 1;
      Feed(scan, bytes, at + k);
    }
  }
#endif
  for (; at < bytes.size(); ++at) Note(scan, bytes, at);
  return scan;
}

// Every byte a character of code page 932: single bytes, or a lead byte and
// its trail byte.
bool IsCp932(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80 || (b >= 0xA1 && b <= 0xDF)) {
      ++i;
      continue;
    }
    if (!TextCodec::IsLeadByte(b) || i + 1 >= text.size() ||
        !TextCodec::IsTrailByte(static_cast<unsigned char>(text[i + 1]))) {
      return false;
    }
    i += 2;
  }
  return true;
}

// Reads a whole regular file; its modification time goes to modified.
bool ReadWhole(const std::string& path, std::string& bytes, std::int64_t& modified, std::string& error) {
  // Not blocking: a pipe put where a file was expected is refused, not waited on.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0;
  if (ok && !S_ISREG(info.st_mode)) {
    error = "it is not a regular file";
    ok = false;
  } else if (ok && static_cast<std::uint64_t>(info.st_size) > HostFile::MaxBytes) {
    error = "it is longer than " + std::to_string(HostFile::MaxBytes) + " bytes";
    ok = false;
  }
  // One byte more than the size says, so that the end is seen without
  // growing the buffer; a file that grows meanwhile is still read to its end.
  if (ok) bytes.resize(static_cast<std::size_t>(info.st_size) + 1);
  std::size_t got = 0;
  while (ok) {
    if (got == bytes.size()) bytes.resize(got + std::max<std::size_t>(got / 2, 4096));
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n < 0) error = std::strerror(errno);
      ok = n == 0;
      break;
    }
    got += static_cast<std::size_t>(n);
    if (got > HostFile::MaxBytes) {
      error = "it is longer than " + std::to_string(HostFile::MaxBytes) + " bytes";
      ok = false;
    }
  }
  bytes.resize(got);
  if (ok && ::fstat(fd, &info) == 0) {
    modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * NanosPerSecond + info.st_mtim.tv_nsec;
  }
  ::close(fd);
  return ok;
}

}  // namespace

bool HostFile::Read(const std::string& path, HostFile& file, std::string& error) {
  // A save into the file cut short by a kill is finished before it is read;
  // one that cannot be finished leaves a file half old, half new: refused.
  std::string unfinished;
  if (!SafeWrite::Recover(path, unfinished)) {
    error = unfinished;
    return false;
  }
  std::string bytes;
  std::int64_t modified = 0;
  if (!ReadWhole(path, bytes, modified, error)) return false;
  if (!file.Take(path, std::move(bytes), error)) return false;
  file.fromDisk_ = true;
  file.modified_ = modified;
  return true;
}

bool HostFile::FromBytes(std::string path, std::string bytes, HostFile& file, std::string& error) {
  if (bytes.size() > MaxBytes) {
    error = "it is longer than " + std::to_string(MaxBytes) + " bytes";
    return false;
  }
  return file.Take(std::move(path), std::move(bytes), error);
}

bool HostFile::Take(std::string path, std::string bytes, std::string& error) {
  Scan scan = ScanBytes(bytes);
  if (scan.nul) {
    error = "it holds NUL bytes: it is not a text file";
    return false;
  }
  Encoding encoding = Encoding::Utf8;
  const std::string_view rest = std::string_view(bytes).substr(scan.firstHigh);
  if (!IsUtf8(rest)) {
    if (!IsCp932(rest)) {
      error = "it is neither UTF-8 nor code page 932 text";
      return false;
    }
    encoding = Encoding::Cp932;
  }
  // In code page 932 those three bytes are characters.
  const bool bom = encoding == Encoding::Utf8 && std::string_view(bytes).starts_with(ByteOrderMark);
  const std::size_t first = bom ? ByteOrderMark.size() : 0;
  if (first < bytes.size()) {
    scan.starts.front() = static_cast<std::uint32_t>(first);
    scan.leading.front() = LeadingAt(bytes, first);
  } else {
    scan.starts.clear();
    scan.leading.clear();
  }
  scan.starts.push_back(static_cast<std::uint32_t>(bytes.size()));
  path_ = std::move(path);
  bytes_ = std::move(bytes);
  encoding_ = encoding;
  bom_ = bom;
  starts_ = std::move(scan.starts);
  leading_ = std::move(scan.leading);
  // Ties go to LF, and so does a file without a line end.
  crlf_ = scan.crlf * 2 > scan.feeds;
  identity_ = {};
  hashed_ = false;
  fromDisk_ = false;
  return true;
}

const FileIdentity& HostFile::Identity() const {
  if (fromDisk_ && !hashed_) {
    identity_ = FileIdentity::Of(bytes_, modified_);
    hashed_ = true;
  }
  return identity_;
}

}  // namespace virlo
