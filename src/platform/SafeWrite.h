#pragma once

#include <string>
#include <string_view>

namespace virlo {

// Writes a whole file so that a failure or a crash leaves the old file as it
// was. The one way every file of the program is written: documents, text
// prints, rendered art, recovery copies.
//
// Begin follows symbolic links to the file they name (creating it if they
// dangle), refuses what may not or must not be replaced (a folder, a device,
// a file the user may not write), and makes a private temporary file beside
// the target, removing temporary files that earlier, killed writes left in
// that folder. The caller writes the new content to WritePath(); Commit
// flushes it and puts it in place: by renaming it over the target, with the
// target's mode, owner and group, or, where a rename would lose something
// (other hard links to the file, an owner that cannot be given back), by
// copying it into the target in place once it is safe on disk. A text may also
// go straight into a pipe or a character device, which cannot be replaced.
class SafeWrite {
 public:
  enum class Kind {
    Document,  // a regular file, or nothing
    Text,      // a regular file, or written straight into a pipe or device
  };
  // What keeps a write from happening, for callers that offer a way out.
  enum class Refusal { None, NoName, Folder, NotRegular, ReadOnly, NoFolder, Failed };

  SafeWrite() = default;
  ~SafeWrite();
  SafeWrite(const SafeWrite&) = delete;
  SafeWrite& operator=(const SafeWrite&) = delete;

  // False with the reason when the target cannot be written.
  bool Begin(const std::string& path, Kind kind, std::string& error);
  Refusal Refused() const { return refusal_; }
  // Where to write the content: the temporary file, or the pipe or device itself.
  const std::string& WritePath() const;
  // The file the content ends up in, links followed.
  const std::string& Target() const { return target_; }
  // Writes the content, for callers that have it in memory (a caller that
  // writes WritePath() itself does not call this); false with the reason.
  bool Write(std::string_view bytes, std::string& error);
  // Puts the content in place; false with the reason, the target then as it was
  // (or, for a copy in place that failed, the reason names the complete copy kept).
  bool Commit(std::string& error);

  // The files a database keeps beside itself while it is changed.
  static constexpr const char* SideFileSuffixes[] = {"-journal", "-wal", "-shm"};

 private:
  bool Fail(Refusal refusal, std::string& error, std::string reason);
  bool CopyIntoTarget(std::string& error);

  Kind kind_ = Kind::Document;
  Refusal refusal_ = Refusal::None;
  std::string target_;
  std::string temp_;
  int tempFd_ = -1;
  bool direct_ = false;
  bool exists_ = false;
  bool inPlace_ = false;
  unsigned mode_ = 0;
  unsigned owner_ = 0;
  unsigned group_ = 0;
};

}  // namespace virlo
