#include "platform/FileChecks.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace virlo {
namespace {

constexpr mode_t PrivateFolderMode = 0700;
// Room for a user's entry when the system gives no size for it.
constexpr long DefaultPasswdBuffer = 16384;

std::string Reason(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

std::string FolderOf(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  return folder.empty() ? "." : folder.string();
}

}  // namespace

bool FileChecks::OwnFolder(const std::string& path, std::string& error) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) {
    if (errno != ENOENT) {
      error = Reason("cannot look at it");
      return false;
    }
    // Missing parents are made private too: they hold nothing of anyone else.
    std::vector<std::string> missing{path};
    std::error_code ec;
    while (!std::filesystem::exists(FolderOf(missing.back()), ec) && FolderOf(missing.back()) != missing.back()) {
      missing.push_back(FolderOf(missing.back()));
    }
    int failure = 0;
    for (auto folder = missing.rbegin(); folder != missing.rend() && failure == 0; ++folder) {
      if (::mkdir(folder->c_str(), PrivateFolderMode) != 0 && errno != EEXIST) failure = errno;
    }
    if (failure != 0 || ::lstat(path.c_str(), &info) != 0) {
      if (failure != 0) errno = failure;
      error = Reason("cannot make it");
      return false;
    }
  }
  if (S_ISLNK(info.st_mode)) {
    error = "it is a link, which this folder may not be";
    return false;
  }
  if (!S_ISDIR(info.st_mode)) {
    error = "it is not a folder";
    return false;
  }
  if (info.st_uid != ::geteuid()) {
    error = "it belongs to another user";
    return false;
  }
  if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    error = "others may write in it";
    return false;
  }
  if ((info.st_mode & 07777) != PrivateFolderMode && ::chmod(path.c_str(), PrivateFolderMode) != 0) {
    error = Reason("cannot close it to others");
    return false;
  }
  return true;
}

std::string FileChecks::StateFolder(bool create, std::string& error) {
  std::string base;
  const char* state = std::getenv("XDG_STATE_HOME");
  const char* home = std::getenv("HOME");
  if (state != nullptr && state[0] == '/') {
    base = state;
  } else if (home != nullptr && home[0] == '/') {
    base = std::string(home) + "/.local/state";
  } else {
    error = "there is no home folder";
    return {};
  }
  const std::string folder = base + "/virlo";
  if (!create) {
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() ||
        (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
      error = "there is no folder of the user's own at " + folder;
      return {};
    }
    return folder;
  }
  if (!OwnFolder(folder, error)) {
    error = folder + ": " + error;
    return {};
  }
  return folder;
}

bool FileChecks::AbsentOrSmallRegular(const std::string& path, std::int64_t maxBytes) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT;
  return S_ISREG(info.st_mode) && info.st_size <= maxBytes;
}

bool FileChecks::MayFollowLink(const struct stat& folder, const struct stat& link) {
  const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
  return !shared || link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
}

bool FileChecks::InGroup(gid_t group) {
  if (group == ::getegid()) return true;
  const int count = ::getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(count));
  const int filled = ::getgroups(count, groups.data());
  for (int i = 0; i < filled; ++i) {
    if (groups[static_cast<std::size_t>(i)] == group) return true;
  }
  return false;
}

bool FileChecks::MayWrite(uid_t user, const struct stat& file) {
  if (user == 0) return true;
  if (user == file.st_uid) return (file.st_mode & S_IWUSR) != 0;
  bool member = false;
  if (user == ::geteuid()) {
    member = InGroup(file.st_gid);
  } else {
    const long asked = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<std::size_t>(asked > 0 ? asked : DefaultPasswdBuffer));
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(user, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) {
      int count = 16;
      std::vector<gid_t> groups(static_cast<std::size_t>(count));
      if (::getgrouplist(found->pw_name, found->pw_gid, groups.data(), &count) < 0) {
        groups.resize(static_cast<std::size_t>(count));
        ::getgrouplist(found->pw_name, found->pw_gid, groups.data(), &count);
      }
      groups.resize(static_cast<std::size_t>(count));
      member = found->pw_gid == file.st_gid;
      for (const gid_t group : groups) member = member || group == file.st_gid;
    }
  }
  return (file.st_mode & (member ? S_IWGRP : S_IWOTH)) != 0;
}

}  // namespace virlo
