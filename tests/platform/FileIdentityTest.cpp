// The identity of a file as a document read or wrote it, and how the file on
// disk differs from it later.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/FileIdentity.h"
#include "support/TempFolder.h"

namespace virlo {
namespace {

namespace fs = std::filesystem;
using Change = FileIdentity::Change;

void Put(const std::string& file, const std::string& bytes, std::int64_t modified) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
  const timespec time{static_cast<time_t>(modified / 1'000'000'000), static_cast<long>(modified % 1'000'000'000)};
  const timespec times[2] = {time, time};
  ::utimensat(AT_FDCWD, file.c_str(), times, 0);
}

TEST(FileIdentityTest, TheBytesDecideAChangeTheTimeATouchAndAFileGoneIsRemoved) {
  const test::TempFolder temp;
  const std::string folder = temp.Folder().string();
  const std::string path = folder + "/doc.vrl";
  const std::int64_t time = 1'700'000'000'123'456'789;
  Put(path, "first version", time);
  const FileIdentity identity = FileIdentity::Of(path);
  ASSERT_TRUE(identity.Known());
  EXPECT_EQ(identity, FileIdentity(13, time, identity.Hash()));
  EXPECT_EQ(identity.Compare(path), Change::None);
  Put(path, "first version", time + 1);
  EXPECT_EQ(identity.Compare(path), Change::Touched);
  // Another program's edit of the same size with the old time: only the hash sees it.
  Put(path, "other version", time);
  EXPECT_EQ(identity.Compare(path), Change::Changed);
  Put(path, "a longer version", time);
  EXPECT_EQ(identity.Compare(path), Change::Changed);
  fs::remove(path);
  EXPECT_EQ(identity.Compare(path), Change::Removed);
  fs::create_directory(path);
  EXPECT_EQ(identity.Compare(path), Change::Removed);
  EXPECT_FALSE(FileIdentity::Of(path).Known());
  // Nothing known: a file there may be anything, while no file loses nothing.
  EXPECT_EQ(FileIdentity().Compare(folder + "/missing"), Change::None);
  EXPECT_EQ(FileIdentity().Compare(folder + "/doc.vrl/x"), Change::None);
  Put(folder + "/there", "x", time);
  EXPECT_EQ(FileIdentity().Compare(folder + "/there"), Change::Changed);
}

}  // namespace
}  // namespace virlo
