#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace virlo {

// What a file was when a document read or wrote it: its size, its modification
// time and a hash of its bytes. Comparing it with the file on disk tells
// whether another program changed, replaced or removed the file meanwhile.
class FileIdentity {
 public:
  enum class Change {
    None,     // the same bytes, the same time
    Touched,  // the same bytes under a new time: copied back, or only touched
    Changed,  // other bytes, or bytes that cannot be read to compare
    Removed,  // no regular file there any more
  };

  // Unknown: nothing is known about the file.
  FileIdentity() = default;
  FileIdentity(std::uint64_t size, std::int64_t modified, std::uint64_t hash);
  // The file as it is now; unknown when it cannot be read.
  static FileIdentity Of(const std::string& path);
  // A file's bytes as read, with its modification time then.
  static FileIdentity Of(std::string_view bytes, std::int64_t modified);

  bool Known() const { return known_; }
  std::uint64_t Size() const { return size_; }
  // Nanoseconds since the epoch.
  std::int64_t Modified() const { return modified_; }
  std::uint64_t Hash() const { return hash_; }

  // How the file at path differs from this identity. With nothing known, any
  // file there counts as changed: nobody can say it is the same.
  Change Compare(const std::string& path) const;

  bool operator==(const FileIdentity&) const = default;

 private:
  bool known_ = false;
  std::uint64_t size_ = 0;
  std::int64_t modified_ = 0;
  std::uint64_t hash_ = 0;
};

}  // namespace virlo
