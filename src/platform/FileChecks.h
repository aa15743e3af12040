#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

namespace virlo {

// Looks at files and folders before the program trusts them: folders that
// must be the user's alone, small files that must be plain files, links that
// another user may have planted.
class FileChecks {
 public:
  // A folder of the user's own that nobody else may write, made (0700, with
  // its missing parents) when it is not there. One that is there is used only
  // when it is a folder, not a link, owned by the user and writable by nobody
  // else; one that others may read is closed to them. False with the reason.
  static bool OwnFolder(const std::string& path, std::string& error);

  // The folder of the user's own where a write keeps what cannot go beside
  // its file: $XDG_STATE_HOME/virlo, or ~/.local/state/virlo. Made when
  // create is set; empty, with the reason, when there is none to use.
  static std::string StateFolder(bool create, std::string& error);

  // Nothing at path, or a regular file (not a link) of at most maxBytes:
  // safe to open and read without blocking or reading forever.
  static bool AbsentOrSmallRegular(const std::string& path, std::int64_t maxBytes);

  // The kernel's rule for links in shared folders: a link in a sticky folder
  // that everyone may write is followed only when it belongs to the follower
  // or to the folder's owner. folder and link are what stat and lstat said of
  // them. Held to every part of a path written to (CheckedPath), not only to
  // the last as the kernel holds it.
  static bool MayFollowLink(const struct stat& folder, const struct stat& link);

  // Whether this process's effective group or one of its groups is group.
  static bool InGroup(gid_t group);
  // Whether user may write the file by its mode bits, as the kernel asks
  // them: root always; the owner, a member of its group and anyone else each
  // by their own bits. A user the system does not know is a member of no group.
  static bool MayWrite(uid_t user, const struct stat& file);
};

}  // namespace virlo
