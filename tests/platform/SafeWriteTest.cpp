// The one way files are written: links followed, rights kept, pipes and
// devices not replaced, files the user may not write refused, nothing left
// behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "platform/AtomicFile.h"
#include "platform/SafeWrite.h"
#include "support/TempFolder.h"

namespace virlo {
namespace {

namespace fs = std::filesystem;

class SafeWriteTest : public ::testing::Test {
 protected:
  void SetUp() override { ::chmod(folder.Folder().c_str(), 0777); }

  std::string Path(const std::string& name) const { return folder.Path(name); }
  std::string Read(const std::string& path) const { return folder.Read(path); }
  static void Put(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
  static unsigned Mode(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
  }
  // What the folder holds, besides the names given.
  std::set<std::string> Others(const std::set<std::string>& known) const {
    std::set<std::string> others;
    for (const auto& entry : folder.Contents()) {
      if (known.count(entry.first) == 0) others.insert(entry.first);
    }
    return others;
  }
  static bool Write(const std::string& path, const std::string& bytes, std::string& error) {
    return AtomicFile::Write(path, bytes, error) == AtomicFile::Result::Written;
  }

  test::TempFolder folder;
};

TEST_F(SafeWriteTest, LinksAreFollowedToTheFileTheyNameWhichKeepsItsMode) {
  Put(Path("real.txt"), "old");
  ::chmod(Path("real.txt").c_str(), 0600);
  fs::create_symlink("real.txt", Path("link.txt"));
  fs::create_symlink("new.txt", Path("dangling.txt"));
  std::string error;
  ASSERT_TRUE(Write(Path("link.txt"), "new", error)) << error;
  ASSERT_TRUE(Write(Path("dangling.txt"), "made", error)) << error;
  EXPECT_TRUE(fs::is_symlink(Path("link.txt")));
  EXPECT_TRUE(fs::is_symlink(Path("dangling.txt")));
  EXPECT_EQ(Read(Path("real.txt")), "new");
  EXPECT_EQ(Read(Path("new.txt")), "made");
  EXPECT_EQ(Mode(Path("real.txt")), 0600u);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(Mode(Path("new.txt")), 0666u & ~mask);
  EXPECT_TRUE(Others({"real.txt", "link.txt", "dangling.txt", "new.txt"}).empty());

  fs::create_symlink("loop2", Path("loop1"));
  fs::create_symlink("loop1", Path("loop2"));
  EXPECT_FALSE(Write(Path("loop1"), "x", error));
  EXPECT_NE(error.find("circle"), std::string::npos) << error;
}

TEST_F(SafeWriteTest, TextGoesStraightIntoAPipeOrDeviceWhichADocumentMayNotReplace) {
  ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = Read(Path("pipe")); });
  std::string error;
  EXPECT_TRUE(Write(Path("pipe"), "through the pipe", error)) << error;
  reader.join();
  EXPECT_EQ(received, "through the pipe");
  EXPECT_TRUE(fs::is_fifo(Path("pipe")));
  EXPECT_TRUE(Write("/dev/null", "gone", error)) << error;
  EXPECT_TRUE(fs::is_character_file("/dev/null"));

  for (const std::string& path : {Path("pipe"), std::string("/dev/null"), folder.Folder().string()}) {
    SafeWrite write;
    EXPECT_FALSE(write.Begin(path, SafeWrite::Kind::Document, error)) << path;
    EXPECT_TRUE(write.Refused() == SafeWrite::Refusal::NotRegular || write.Refused() == SafeWrite::Refusal::Folder);
  }
  EXPECT_TRUE(fs::is_fifo(Path("pipe")));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_TRUE(Others({"pipe"}).empty());
}

TEST_F(SafeWriteTest, AFileWithOtherLinksIsWrittenInPlaceAndStaysLinked) {
  Put(Path("one.txt"), "old content");
  fs::create_hard_link(Path("one.txt"), Path("two.txt"));
  std::string error;
  ASSERT_TRUE(Write(Path("one.txt"), "new", error)) << error;
  EXPECT_EQ(Read(Path("two.txt")), "new");
  EXPECT_EQ(fs::hard_link_count(Path("one.txt")), 2u);
  EXPECT_TRUE(Others({"one.txt", "two.txt"}).empty());
}

TEST_F(SafeWriteTest, TheTemporaryFileIsPrivateShortAndLeftoversOfKilledWritesGo) {
  // A name as long as a name can be still leaves room for the temporary one.
  const std::string longName(255, 'n');
  std::string error;
  ASSERT_TRUE(Write(Path(longName), "long", error)) << error;

  // One left by a killed write long ago, one being written right now.
  Put(Path(".virlo-Old123"), "stale");
  Put(Path(".virlo-New123"), "fresh");
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
  fs::last_write_time(Path(".virlo-Old123"), old);
  SafeWrite write;
  ASSERT_TRUE(write.Begin(Path("doc.vrl"), SafeWrite::Kind::Document, error)) << error;
  EXPECT_EQ(Mode(write.WritePath()), 0600u);
  EXPECT_EQ(fs::path(write.WritePath()).filename().string().size(), 13u);
  EXPECT_FALSE(fs::exists(Path(".virlo-Old123")));
  EXPECT_TRUE(fs::exists(Path(".virlo-New123")));
  ASSERT_TRUE(write.Write("doc", error)) << error;
  ASSERT_TRUE(write.Commit(error)) << error;
  EXPECT_EQ(Others({longName, ".virlo-New123", "doc.vrl"}), std::set<std::string>{});
}

TEST_F(SafeWriteTest, ADocumentLeavesNoSideFileOfAnOlderDatabase) {
  Put(Path("doc.vrl"), "old");
  for (const char* suffix : SafeWrite::SideFileSuffixes) Put(Path(std::string("doc.vrl") + suffix), "stale");
  SafeWrite write;
  std::string error;
  ASSERT_TRUE(write.Begin(Path("doc.vrl"), SafeWrite::Kind::Document, error)) << error;
  ASSERT_TRUE(write.Write("new", error)) << error;
  ASSERT_TRUE(write.Commit(error)) << error;
  EXPECT_EQ(Others({"doc.vrl"}), std::set<std::string>{});
}

// Rights matter only for an ordinary user: the checks run as one, in a child
// process, when the tests run as root.
TEST_F(SafeWriteTest, AnOrdinaryUserMayNotReplaceWhatHeMayNotWriteNorTakeAFileOver) {
  Put(Path("readonly.txt"), "kept");
  ::chmod(Path("readonly.txt").c_str(), 0444);
  Put(Path("theirs.txt"), "theirs");
  ::chmod(Path("theirs.txt").c_str(), 0666);
  const bool root = ::geteuid() == 0;
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(10);
    std::string error;
    SafeWrite write;
    if (write.Begin(Path("readonly.txt"), SafeWrite::Kind::Document, error)) ::_exit(11);
    if (write.Refused() != SafeWrite::Refusal::ReadOnly) ::_exit(12);
    if (!root) ::_exit(0);
    // Writable by all but owned by root: written in place, root's still.
    if (!Write(Path("theirs.txt"), "mine", error)) ::_exit(13);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(Read(Path("readonly.txt")), "kept");
  if (root) {
    EXPECT_EQ(Read(Path("theirs.txt")), "mine");
    struct stat info {};
    ::stat(Path("theirs.txt").c_str(), &info);
    EXPECT_EQ(info.st_uid, 0u);
  }
}

}  // namespace
}  // namespace virlo
