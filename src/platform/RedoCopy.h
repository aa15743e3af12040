#pragma once

#include <sys/stat.h>

#include <string>
#include <vector>

namespace virlo {

// The complete new content of a file that SafeWrite copies into the file in
// place, kept under a name of its own from before the file's first byte
// changes until the copy is on disk, so that whoever opens or writes the file
// next, by any of its names, finishes a copy that a kill cut short.
//
// Its bytes: the new content, then a hash of every 512-byte block of the
// file's content before the copy, then a record of 64 bytes: "VIRLORD1", the
// file's device and inode, the old content's size, the block size, the new
// content's size and hash, and a hash of the block hashes and the record
// before it (every number 8 bytes, least significant first; the hashes
// FNV-1a of 64 bits). Its name: ".virlo-redo-", the device and inode in
// hexadecimal and the writer's user number, so it is found from the file
// itself and two users' copies never take each other's name.
//
// A copy is put into its file only when the file still holds what the
// interrupted copy can have left: a size from the old content's to the new
// one's (the old one's when the new content is shorter), and every block the
// old content's block or the new content's at the same place (a kill stops
// the copy between pages; a power cut may keep any of the blocks written). A
// file that holds the new content whole was finished; a file that holds
// anything else was written since, and its copy is stale. Either way the copy
// is retired: removed, or emptied where its folder keeps it from being
// removed. A copy counts only when its owner may write the file, and no one
// may write the copy who may not write the file; readers who may not read it
// or may not write the file are told its name instead.
class RedoCopy {
 public:
  // A folder where copies are kept and looked for: open for *at calls, and its path for messages.
  struct Place {
    int folder = -1;
    std::string path;
  };

  // The name of the copy a user keeps of the file.
  static std::string Name(const struct stat& file, uid_t writer);

  // Turns copy, which holds the new content (size bytes from its start), into
  // the file's redo copy: the record of the file as it is now (read whole
  // from target) goes after the content, and the copy takes the file's rights,
  // as far as its writer may give them. False with the reason.
  static bool Seal(int copy, off_t size, int target, std::string& error);

  // Reserves room for size bytes in target without changing what it holds,
  // so that a full disk shows before its first byte changes. False only when
  // the disk is full; a file system that cannot reserve is written without.
  static bool Reserve(int target, off_t size);

  // Copies the first size bytes of copy into target from its start and cuts
  // it there, flushed (room reserved beforehand). False with the reason.
  static bool CopyInto(int copy, off_t size, int target, std::string& error);

  // Settles every copy of the file open at target (locked by the caller: no
  // copy into it is under way) kept in places: finishes an interrupted copy
  // when writable, retires finished and stale ones. False, with a sentence
  // naming the copy, when an interrupted copy is left that could not be put in.
  static bool Settle(int target, bool writable, const std::vector<Place>& places, std::string& error);

  // Removes a copy, or empties it where its folder keeps it from being removed.
  static void Retire(int folder, const std::string& name);
};

}  // namespace virlo
