// Folders that must be the user's alone, and files that must be small plain
// files before anything reads them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/FileChecks.h"
#include "support/OtherUser.h"
#include "support/TempFolder.h"

namespace virlo {
namespace {

namespace fs = std::filesystem;

unsigned Mode(const std::string& path) {
  struct stat info {};
  ::lstat(path.c_str(), &info);
  return info.st_mode & 07777;
}

TEST(FileChecksTest, AnOwnFolderIsMadePrivateAndOneOthersMayWriteOrOwnIsRefused) {
  test::TempFolder folder;
  std::string error;
  const std::string made = folder.Path("new/parents/own");
  ASSERT_TRUE(FileChecks::OwnFolder(made, error)) << error;
  for (const std::string& each : {made, folder.Path("new/parents"), folder.Path("new")}) {
    EXPECT_EQ(Mode(each), 0700u) << each;
  }
  fs::create_directory(folder.Path("readable"));
  ::chmod(folder.Path("readable").c_str(), 0755);
  ASSERT_TRUE(FileChecks::OwnFolder(folder.Path("readable"), error)) << error;
  EXPECT_EQ(Mode(folder.Path("readable")), 0700u) << "closed to others";

  fs::create_directory(folder.Path("open"));
  ::chmod(folder.Path("open").c_str(), 0777);
  fs::create_directory_symlink(made, folder.Path("link"));
  std::ofstream(folder.Path("file")) << "x";
  for (const char* name : {"open", "link", "file"}) {
    EXPECT_FALSE(FileChecks::OwnFolder(folder.Path(name), error)) << name;
  }
  EXPECT_EQ(Mode(folder.Path("open")), 0777u) << "a refused folder is left as it is";
  if (test::CanActAsAnotherUser()) {
    ASSERT_EQ(::chown(made.c_str(), test::Nobody, test::NoGroup), 0);
    EXPECT_FALSE(FileChecks::OwnFolder(made, error));
    EXPECT_NE(error.find("another user"), std::string::npos) << error;
  }
}

TEST(FileChecksTest, OnlyNothingOrASmallRegularFileIsSafeToRead) {
  test::TempFolder folder;
  std::ofstream(folder.Path("small")) << "1\nvirlo\nhost\n";
  std::ofstream(folder.Path("large")) << std::string(5000, 'x');
  ASSERT_EQ(::mkfifo(folder.Path("pipe").c_str(), 0600), 0);
  fs::create_symlink(folder.Path("small"), folder.Path("link"));
  fs::create_symlink("/dev/zero", folder.Path("zero"));
  EXPECT_TRUE(FileChecks::AbsentOrSmallRegular(folder.Path("absent"), 4096));
  EXPECT_TRUE(FileChecks::AbsentOrSmallRegular(folder.Path("small"), 4096));
  for (const char* name : {"large", "pipe", "link", "zero"}) {
    EXPECT_FALSE(FileChecks::AbsentOrSmallRegular(folder.Path(name), 4096)) << name;
  }
}

}  // namespace
}  // namespace virlo
