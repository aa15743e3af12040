#include "document/RecoveryNote.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <map>
#include <string_view>

#include "platform/AtomicFile.h"

namespace virlo {
namespace {

constexpr std::string_view Header = "VIRLO recovery note 1";
// A note is a few lines; anything much larger is not one.
constexpr std::size_t MaxNoteBytes = 64 * 1024;
constexpr std::size_t MaxTitleBytes = 255;
constexpr std::size_t HashDigits = 16;
constexpr char HexDigits[] = "0123456789abcdef";

bool NeedsEscape(unsigned char c) { return c < 0x20 || c == 0x7F || c == '%'; }

std::string Escape(std::string_view value) {
  std::string out;
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (NeedsEscape(byte)) {
      out += '%';
      out += HexDigits[byte >> 4];
      out += HexDigits[byte & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Unescape(std::string_view value, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '%') {
      out += value[i];
      continue;
    }
    if (i + 2 >= value.size()) return false;
    const int high = HexValue(value[i + 1]);
    const int low = HexValue(value[i + 2]);
    if (high < 0 || low < 0) return false;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return true;
}

template <typename T>
bool Number(std::string_view text, T& value) {
  const char* end = text.data() + text.size();
  const auto [stop, problem] = std::from_chars(text.data(), end, value);
  return !text.empty() && problem == std::errc() && stop == end;
}

bool ReadAll(const std::string& path, std::string& bytes, std::string& error) {
  // Notes lie in a folder of the user's own: a link or a pipe there is none.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
  if (fd < 0) {
    error = std::string("cannot read it: ") + std::strerror(errno);
    return false;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    error = "it is not a regular file";
    return false;
  }
  bytes.clear();
  char buffer[4096];
  bool ok = true;
  while (bytes.size() <= MaxNoteBytes) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  const int readErrno = errno;
  ::close(fd);
  if (!ok) {
    error = std::string("cannot read it: ") + std::strerror(readErrno);
    return false;
  }
  if (bytes.size() > MaxNoteBytes) {
    error = "it is too large to be a recovery note";
    return false;
  }
  return true;
}

}  // namespace

bool RecoveryNote::Write(const std::string& path, std::string& error) const {
  std::string text(Header);
  text += "\noriginal=" + Escape(original) + "\ntitle=" + Escape(title) + "\n";
  if (identity.Known()) {
    std::string hash(HashDigits, '0');
    for (std::size_t i = 0; i < HashDigits; ++i)
      hash[HashDigits - 1 - i] = HexDigits[(identity.Hash() >> (4 * i)) & 0xF];
    text += "size=" + std::to_string(identity.Size()) + "\nmodified=" + std::to_string(identity.Modified()) +
            "\nhash=" + hash + "\n";
  }
  return AtomicFile::Write(path, text, error, SafeWrite::Kind::Private) == AtomicFile::Result::Written;
}

bool RecoveryNote::Read(const std::string& path, RecoveryNote& note, std::string& error) {
  std::string bytes;
  if (!ReadAll(path, bytes, error)) return false;
  std::string_view rest = bytes;
  std::map<std::string, std::string, std::less<>> entries;
  bool first = true;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    if (end == std::string_view::npos) {
      error = "it ends in the middle of a line";
      return false;
    }
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end + 1);
    if (first) {
      if (line != Header) {
        error = "it is not a VIRLO recovery note";
        return false;
      }
      first = false;
      continue;
    }
    const std::size_t equals = line.find('=');
    const std::string key(line.substr(0, equals));
    if (equals == std::string_view::npos ||
        (key != "original" && key != "title" && key != "size" && key != "modified" && key != "hash")) {
      error = "it has an unknown line: " + Escape(line.substr(0, 40));
      return false;
    }
    std::string value;
    if (!Unescape(line.substr(equals + 1), value) || value.find('\0') != std::string::npos) {
      error = "its " + key + " is damaged";
      return false;
    }
    if (!entries.emplace(key, std::move(value)).second) {
      error = "it names its " + key + " twice";
      return false;
    }
  }
  if (first) {
    error = "it is empty";
    return false;
  }
  RecoveryNote read;
  const auto original = entries.find("original");
  const auto title = entries.find("title");
  if (original == entries.end() || title == entries.end()) {
    error = "it does not name its document";
    return false;
  }
  read.original = original->second;
  read.title = title->second;
  if (!read.original.empty() && read.original.front() != '/') {
    error = "its original is no absolute path";
    return false;
  }
  if (read.title.empty() || read.title.size() > MaxTitleBytes || read.title.find('/') != std::string::npos) {
    error = "its title is not one a document can have";
    return false;
  }
  const std::size_t parts = entries.count("size") + entries.count("modified") + entries.count("hash");
  if (parts != 0) {
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    std::uint64_t hash = 0;
    const std::string& hashText = parts == 3 ? entries.find("hash")->second : std::string();
    if (parts != 3 || read.original.empty() || !Number(entries.find("size")->second, size) ||
        !Number(entries.find("modified")->second, modified) || hashText.size() != HashDigits ||
        hashText.find_first_not_of(HexDigits) != std::string::npos) {
      error = "its record of the original file is damaged";
      return false;
    }
    const auto [stop, problem] = std::from_chars(hashText.data(), hashText.data() + hashText.size(), hash, 16);
    if (problem != std::errc() || stop != hashText.data() + hashText.size()) {
      error = "its record of the original file is damaged";
      return false;
    }
    read.identity = FileIdentity(size, modified, hash);
  }
  note = std::move(read);
  return true;
}

}  // namespace virlo
