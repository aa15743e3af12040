#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <string_view>

#include "platform/CheckedPath.h"

namespace virlo {

// Writes a whole file so that a failure or a crash leaves the old file or the
// new one, never a mix. The one way every file of the program is written:
// documents, text prints, rendered art, pictures, recovery copies and notes.
//
// Begin follows the path part by part (CheckedPath): links to the file they
// name (creating it if they dangle) and to folders on the way, but none that
// another user planted in a shared folder, at any part. It refuses what may
// not or must not be replaced (a folder, a device, a file the user may not
// write), and makes a private temporary file, removing the temporary files
// that earlier, killed writes left there. The caller writes the new content
// to WritePath(); Commit flushes it and puts it in place: by renaming it over
// the target, with the target's mode, owner and group, or, where a rename
// would lose something or is impossible (other hard links, an owner that
// cannot be given back, a folder the user may not write), by copying it into
// the target in place.
//
// An in-place copy starts only once the complete new content is on disk as
// the file's redo copy (RedoCopy), where every reader of the file looks for
// it: beside the file when it has no other name and its folder lets the
// writer in; else in the shared folder (/var/tmp/virlo-redo, sticky and open
// to all, made by the first write that needs it and used only when it is
// root's or the writer's own); else beside the file, or in the writer's state
// folder when the file's own is closed to him, where only he finds it. A copy
// cut short is finished by the next open (Recover) or write of the file, by
// any user who may write it and under any of its names; one that a reader
// cannot finish is named in the reason Recover gives. Writes in place and the
// settling of redo copies take a lock on the file itself (flock), so two of
// them never copy into one file at once; a write that waits for it longer
// than 10 seconds is refused. A text may also go straight into a pipe, a
// device or an open descriptor (/dev/fd/N, /dev/stdout), which cannot be
// replaced.
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
  // Writes the content, for callers that have it in memory (a caller that
  // writes WritePath() itself does not call this); false with the reason.
  bool Write(std::string_view bytes, std::string& error);
  // Puts the content in place; false with the reason, the target then as it
  // was, or, when an in-place copy failed midway, the reason names the
  // complete copy that the next open or write puts in place.
  bool Commit(std::string& error);

  // Settles the redo copies of the file at path: finishes an in-place write
  // that a kill or a failure cut short, and retires copies that are done or
  // stale. True when nothing is left unfinished; false with one sentence
  // naming the copy when one is (the file may not be written by this user,
  // the copy may not be read), or when another write holds the file too long.
  static bool Recover(const std::string& path, std::string& error);

  // Sets the shared folder for redo copies (a test chooses its own before any
  // write) and gives the one before.
  static std::string SetSharedFolder(const std::string& path);

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
  bool TempIn(int folder, const std::string& folderPath);
  bool CommitReplace(std::string& error);
  bool CommitInPlace(std::string& error);
  bool WriteDirect(std::string_view bytes, std::string& error);

  Kind kind_ = Kind::Document;
  Mode mode_ = Mode::Replace;
  Refusal refusal_ = Refusal::None;
  CheckedPath target_;
  std::string directPath_;
  // The temporary file: its folder (open for *at calls), that folder's path, its name and path.
  int tempFolder_ = -1;
  std::string tempFolderPath_;
  std::string tempName_;
  std::string temp_;
  int tempFd_ = -1;
  int directFd_ = -1;
  bool exists_ = false;
  unsigned fileMode_ = 0;
  uid_t owner_ = 0;
  gid_t group_ = 0;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  nlink_t links_ = 0;
};

}  // namespace virlo
