#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace virlo {

// Writes a whole file so that a failure or a crash leaves the old file or the
// new one, never a mix. The one way every file of the program is written:
// documents, text prints, rendered art, pictures, recovery copies and notes.
//
// Begin follows symbolic links to the file they name (creating it if they
// dangle), but none that another user planted in a shared folder (the
// kernel's rule for sticky, world-writable folders); it refuses what may not
// or must not be replaced (a folder, a device, a file the user may not
// write), and makes a private temporary file beside the target, removing the
// temporary files that earlier, killed writes left there. The caller writes
// the new content to WritePath(); Commit flushes it and puts it in place: by
// renaming it over the target, with the target's mode, owner and group, or,
// where a rename would lose something or is impossible (other hard links, an
// owner that cannot be given back, a folder the user may not write), by
// copying it into the target in place. An in-place copy starts only once the
// complete new content is on disk under a name that belongs to the target (a
// redo copy); a copy cut short by a kill is finished from it the next time
// the file is opened (Recover) or written. A text may also go straight into
// a pipe, a device or an open descriptor (/dev/fd/N, /dev/stdout), which
// cannot be replaced.
class SafeWrite {
 public:
  enum class Kind {
    Document,  // a regular file, or nothing
    Text,      // a regular file or nothing; a pipe, device or open descriptor is written into
    Private,   // the user's own regular file or nothing, never through a link; made and kept 0600
  };
  // What keeps a write from happening, for callers that offer a way out.
  enum class Refusal { None, NoName, Folder, NotRegular, ReadOnly, NoFolder, Link, NoReader, Failed };

  SafeWrite() = default;
  ~SafeWrite();
  SafeWrite(const SafeWrite&) = delete;
  SafeWrite& operator=(const SafeWrite&) = delete;

  // False with the reason when the target cannot be written.
  bool Begin(const std::string& path, Kind kind, std::string& error);
  Refusal Refused() const { return refusal_; }
  // Where to write the content: the temporary file (for a pipe, device or
  // descriptor the target, which callers write through Write()).
  const std::string& WritePath() const;
  // The file the content ends up in, links followed.
  const std::string& Target() const { return target_; }
  // Writes the content, for callers that have it in memory (a caller that
  // writes WritePath() itself does not call this); false with the reason.
  bool Write(std::string_view bytes, std::string& error);
  // Puts the content in place; false with the reason, the target then as it
  // was, or, when an in-place copy failed midway, the reason names the
  // complete copy that the next open or write puts in place.
  bool Commit(std::string& error);

  // Finishes an in-place write of the file at path that a kill or a failure
  // cut short, from its redo copy. True when there was none or it is done;
  // false with the reason and the copy's name when one is left.
  static bool Recover(const std::string& path, std::string& error);

  // How long a pipe or device may take nothing before a write into it fails
  // (a reader that stopped reading); negative waits as long as it takes.
  static void SetPipePatience(std::chrono::milliseconds patience);

  // The files a database keeps beside itself while it is changed.
  static constexpr const char* SideFileSuffixes[] = {"-journal", "-wal", "-shm"};

 private:
  enum class Mode { Replace, InPlace, Direct };

  bool Fail(Refusal refusal, std::string& error, std::string reason);
  bool BeginDirect(const std::string& path, int descriptor, std::string& error);
  bool MakeTemp(std::string& error);
  bool CommitInPlace(std::string& error);
  bool WriteDirect(std::string_view bytes, std::string& error);

  Kind kind_ = Kind::Document;
  Mode mode_ = Mode::Replace;
  Refusal refusal_ = Refusal::None;
  std::string target_;
  std::string temp_;
  int tempFd_ = -1;
  int directFd_ = -1;
  bool exists_ = false;
  unsigned fileMode_ = 0;
  uid_t owner_ = 0;
  gid_t group_ = 0;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  // Redo copies of the target as it is now, stale once a whole new file is in place.
  std::vector<std::string> redoCopies_;
};

}  // namespace virlo
