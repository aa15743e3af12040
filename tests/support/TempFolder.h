#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>

namespace virlo::test {

// A fresh folder for one test, removed with all it holds when the test ends.
// A small file system mounted in it fills up after 64 KiB, for failed writes.
class TempFolder {
 public:
  // In memory where the system offers it, for tests that save often: every save syncs its file.
  explicit TempFolder(bool inMemory = false) {
    std::error_code ec;
    const bool shm = inMemory && std::filesystem::is_directory("/dev/shm", ec);
    std::string pattern = ((shm ? "/dev/shm" : std::filesystem::temp_directory_path()) / "virlo-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make the folder " + pattern);
    folder_ = pattern;
  }
  ~TempFolder() {
    // Never remove what a mount still covers.
    if (!mounted_.empty() && std::system(("umount " + mounted_.string()).c_str()) != 0) return;
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Folder() const { return folder_; }
  std::string Path(const std::string& name) const { return (folder_ / name).string(); }
  // The bytes of a file; a relative path lies in the folder.
  std::string Read(const std::filesystem::path& path) const {
    std::ifstream in(folder_ / path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // Every entry under a subfolder (the whole folder by default) with its bytes, "" for folders.
  std::map<std::string, std::string> Contents(const std::string& under = "") const {
    std::map<std::string, std::string> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_ / under)) {
      const std::string bytes = entry.is_regular_file() ? Read(entry.path()) : "";
      entries[std::filesystem::relative(entry.path(), folder_ / under).string()] = bytes;
    }
    return entries;
  }

  // Mounts a 64 KiB tmpfs on a new subfolder; false where this process may not mount.
  bool MountSmall(const std::string& name) {
    std::filesystem::create_directories(folder_ / name);
    if (std::system(("mount -t tmpfs -o size=64k tmpfs " + Path(name) + " 2>/dev/null").c_str()) != 0) return false;
    mounted_ = folder_ / name;
    return true;
  }
  // Makes that file system read-only, which stops even root from writing.
  bool MakeSmallReadOnly() const { return std::system(("mount -o remount,ro " + mounted_.string()).c_str()) == 0; }

 private:
  std::filesystem::path folder_;
  std::filesystem::path mounted_;
};

}  // namespace virlo::test
