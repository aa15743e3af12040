#pragma once

#include <string>
#include <vector>

namespace virlo {

// A path followed one part at a time, as the kernel follows it, with the rule
// for links in shared folders (FileChecks::MayFollowLink) held to every part:
// a link another user planted in a sticky folder everyone may write is not
// followed, whether it stands for the file or for a folder on the way. The
// kernel's own rule (fs.protected_symlinks) may be off, and holds only the
// last part of a path.
//
// The walk ends holding the folder of the last part open, so what is done
// there afterwards (SafeWrite works relative to Folder()) is done in that
// folder even if a folder on the way is renamed or replaced by a link
// meanwhile.
class CheckedPath {
 public:
  enum class Problem {
    None,
    NoFolder,    // a folder on the way is missing or is no folder
    Link,        // a link the rule for shared folders does not follow
    PlainLink,   // the last part is a link, where options ask for none
    NotRegular,  // a link of /proc naming one of this process's descriptors that holds no file
    Loop,        // links lead round in a circle
    Failed,      // the system would not tell (the reason says why)
  };
  struct Options {
    bool followLast = true;    // false: a last part that is a link is refused (PlainLink)
    bool descriptors = false;  // a path naming a descriptor of this process (/dev/fd/N...) ends the walk there
  };

  CheckedPath() = default;
  ~CheckedPath();
  CheckedPath(const CheckedPath&) = delete;
  CheckedPath& operator=(const CheckedPath&) = delete;

  // Follows path; None when it ends at a name in a folder (which need not
  // exist) or at a descriptor, else the problem with its reason in error.
  Problem Walk(const std::string& path, Options options, std::string& error);

  // The folder of the last part, open for *at calls only (O_PATH); -1 before a walk.
  int Folder() const { return folder_; }
  // Its path without links: "." for the working folder, which is not walked.
  std::string FolderPath() const;
  // The last part; empty when the path ends at a folder ("/", "a/..").
  const std::string& Name() const { return name_; }
  // The folder's path and the name: the file the path ends at, links resolved.
  std::string Path() const;
  // The descriptor the path named, or -1.
  int Descriptor() const { return descriptor_; }

  // The descriptor a path names: /dev/stdin, /dev/stdout, /dev/stderr,
  // /dev/fd/N, /proc/self/fd/N, /proc/thread-self/fd/N or /proc/PID/fd/N of
  // this process; -1 for any other path.
  static int DescriptorOf(const std::string& path);

 private:
  void Reset();
  bool Enter(const std::string& part, std::string& error);
  bool Restart(bool absolute, std::string& error);
  std::string Joined(const std::vector<std::string>& rest) const;

  int folder_ = -1;
  bool absolute_ = false;
  std::vector<std::string> parts_;  // the folder's path, part by part
  std::string name_;
  int descriptor_ = -1;
};

}  // namespace virlo
