// The one way files are written: links followed but not those another user
// planted in a shared folder, rights kept, pipes, devices and descriptors
// written into, files the user may not write refused, in-place writes that
// survive a full disk, and nothing of the user's taken for a leftover.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "platform/AtomicFile.h"
#include "platform/SafeWrite.h"
#include "support/OtherUser.h"
#include "support/TempFolder.h"

namespace virlo {
namespace {

namespace fs = std::filesystem;
using Result = AtomicFile::Result;

class SafeWriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::chmod(folder.Folder().c_str(), 0777);
    ::chmod(shared.Folder().c_str(), 01777);
    sharedBefore = SafeWrite::SetSharedFolder(shared.Folder());
  }
  void TearDown() override {
    SafeWrite::SetPipePatience(std::chrono::milliseconds(-1));
    SafeWrite::SetSharedFolder(sharedBefore);
  }

  std::string Path(const std::string& name) const { return folder.Path(name); }
  std::string Read(const std::string& path) const { return folder.Read(path); }
  static void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  }
  static struct stat Stat(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info;
  }
  static unsigned Mode(const std::string& path) { return Stat(path).st_mode & 07777; }
  // What the folder holds, besides the names given.
  std::set<std::string> Others(const std::set<std::string>& known) const {
    std::set<std::string> others;
    for (const auto& entry : folder.Contents()) {
      if (known.count(entry.first) == 0) others.insert(entry.first);
    }
    return others;
  }
  static Result Write(const std::string& path, const std::string& bytes, std::string& error,
                      SafeWrite::Kind kind = SafeWrite::Kind::Text) {
    return AtomicFile::Write(path, bytes, error, kind);
  }
  static bool Written(const std::string& path, const std::string& bytes, std::string& error) {
    return Write(path, bytes, error) == Result::Written;
  }

  test::TempFolder folder;
  // Where copies of files written in place wait, away from the files the tests count.
  test::TempFolder shared;
  std::string sharedBefore;
};

TEST_F(SafeWriteTest, LinksAreFollowedToTheFileTheyNameButAPrivateFileIsNoLink) {
  Put(Path("real.txt"), "old");
  fs::create_symlink("real.txt", Path("link.txt"));
  fs::create_symlink("new.txt", Path("dangling.txt"));
  std::string error;
  ASSERT_TRUE(Written(Path("link.txt"), "new", error)) << error;
  ASSERT_TRUE(Written(Path("dangling.txt"), "made", error)) << error;
  EXPECT_TRUE(fs::is_symlink(Path("link.txt")) && fs::is_symlink(Path("dangling.txt")));
  EXPECT_EQ(Read(Path("real.txt")), "new");
  EXPECT_EQ(Read(Path("new.txt")), "made");
  EXPECT_EQ(Write(Path("link.txt"), "private", error, SafeWrite::Kind::Private), Result::NotOpened);
  // A name ending in "/" names a folder, which neither is.
  EXPECT_EQ(Write(Path("link.txt/"), "folder", error), Result::NotOpened);
  EXPECT_EQ(Write(Path("absent/"), "folder", error), Result::NotOpened);
  EXPECT_EQ(Read(Path("real.txt")), "new");
  EXPECT_TRUE(Others({"real.txt", "link.txt", "dangling.txt", "new.txt"}).empty());

  fs::create_symlink("loop2", Path("loop1"));
  fs::create_symlink("loop1", Path("loop2"));
  EXPECT_EQ(Write(Path("loop1"), "x", error), Result::NotOpened);
  EXPECT_NE(error.find("circle"), std::string::npos) << error;
}

// The kernel's rule for shared folders, applied by hand: a link another user
// planted in a sticky folder everyone may write is never followed.
TEST_F(SafeWriteTest, ALinkAnotherUserPlantedInASharedFolderIsNeverFollowed) {
  if (!test::CanActAsAnotherUser()) GTEST_SKIP() << "planting a link as another user needs root";
  const std::string shared = Path("shared");
  fs::create_directory(shared);
  ::chmod(shared.c_str(), 01777);
  Put(Path("victim.txt"), "root's");
  const std::string planted = shared + "/planted";
  const std::string dangling = shared + "/dangling";
  ASSERT_EQ(test::RunAs(test::Nobody,
                        [&] {
                          return ::symlink(Path("victim.txt").c_str(), planted.c_str()) == 0 &&
                                         ::symlink(Path("created.txt").c_str(), dangling.c_str()) == 0
                                     ? 0
                                     : 1;
                        }),
            0);
  std::string error;
  for (const std::string& link : {planted, dangling}) {
    for (const SafeWrite::Kind kind : {SafeWrite::Kind::Text, SafeWrite::Kind::Document}) {
      SafeWrite write;
      EXPECT_FALSE(write.Begin(link, kind, error)) << link;
      EXPECT_EQ(write.Refused(), SafeWrite::Refusal::Link) << error;
    }
  }
  EXPECT_EQ(Read(Path("victim.txt")), "root's");
  EXPECT_FALSE(fs::exists(Path("created.txt")));
  // A link of the writer's own there, or of the folder's owner, is followed.
  fs::create_symlink(Path("victim.txt"), shared + "/own");
  ASSERT_TRUE(Written(shared + "/own", "through root's link", error)) << error;
  EXPECT_EQ(Read(Path("victim.txt")), "through root's link");
  ASSERT_EQ(::chown(shared.c_str(), test::Nobody, test::NoGroup), 0);
  ASSERT_TRUE(Written(planted, "through the owner's link", error)) << error;
  EXPECT_EQ(Read(Path("victim.txt")), "through the owner's link");
}

// Modes a private temporary file cannot give by chance, and owners.
TEST_F(SafeWriteTest, TheNewFileTakesTheOldOnesModeOwnerAndGroupAndAPrivateFileIs0600) {
  const bool root = test::CanActAsAnotherUser();
  for (const unsigned mode : {0644u, 0664u, 0640u}) {
    const std::string path = Path("kept-" + std::to_string(mode));
    Put(path, "old");
    ::chmod(path.c_str(), mode);
    ASSERT_TRUE(!root || ::chown(path.c_str(), test::Nobody, test::NoGroup) == 0);
    const struct stat before = Stat(path);
    std::string error;
    ASSERT_TRUE(Written(path, "new", error)) << error;
    const struct stat after = Stat(path);
    EXPECT_EQ(Read(path), "new");
    EXPECT_NE(after.st_ino, before.st_ino) << "replaced whole, not written in place";
    EXPECT_EQ(after.st_mode & 07777, mode);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
  }
  const mode_t mask = ::umask(022);
  std::string error;
  EXPECT_EQ(Write(Path("new.txt"), "made", error), Result::Written);
  EXPECT_EQ(Mode(Path("new.txt")), 0644u);
  EXPECT_EQ(Write(Path("private"), "mine", error, SafeWrite::Kind::Private), Result::Written);
  EXPECT_EQ(Mode(Path("private")), 0600u);
  ::chmod(Path("private").c_str(), 0644);
  EXPECT_EQ(Write(Path("private"), "still mine", error, SafeWrite::Kind::Private), Result::Written);
  EXPECT_EQ(Mode(Path("private")), 0600u);
  ::umask(mask);
}

TEST_F(SafeWriteTest, APipeOrDeviceIsWrittenIntoWithoutWaitingForever) {
  ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
  std::string error;
  // Nobody reads: a failure at once, not a wait.
  EXPECT_EQ(Write(Path("pipe"), "lost", error), Result::NotOpened);
  EXPECT_NE(error.find("nobody reads"), std::string::npos) << error;

  std::string received;
  std::thread reader([&] { received = Read(Path("pipe")); });
  // The reader opens the pipe when it starts: try until it has.
  Result result = Result::NotOpened;
  while ((result = Write(Path("pipe"), "through the pipe", error)) == Result::NotOpened) std::this_thread::yield();
  reader.join();
  EXPECT_EQ(result, Result::Written) << error;
  EXPECT_EQ(received, "through the pipe");

  // A reader that takes nothing fails the write once patience runs out.
  SafeWrite::SetPipePatience(std::chrono::milliseconds(100));
  const int readEnd = ::open(Path("pipe").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(readEnd, 0);
  EXPECT_EQ(Write(Path("pipe"), std::string(1 << 20, 'x'), error), Result::NotWritten);
  EXPECT_NE(error.find("nothing reads"), std::string::npos) << error;
  ::close(readEnd);
  EXPECT_EQ(Write("/dev/null", "gone", error), Result::Written) << error;
  EXPECT_EQ(Write("/dev/full", "no room", error), Result::NotWritten);
  for (const std::string& path : {Path("pipe"), std::string("/dev/null"), folder.Folder().string()}) {
    SafeWrite write;
    EXPECT_FALSE(write.Begin(path, SafeWrite::Kind::Document, error)) << path;
    EXPECT_TRUE(write.Refused() == SafeWrite::Refusal::NotRegular || write.Refused() == SafeWrite::Refusal::Folder);
  }
  EXPECT_TRUE(fs::is_fifo(Path("pipe")) && fs::is_character_file("/dev/null"));
  EXPECT_TRUE(Others({"pipe"}).empty());
}

TEST_F(SafeWriteTest, AReaderThatGoesAwayMidwayFailsTheWrite) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  std::thread reader([&] {
    char first[16];
    ::read(ends[0], first, sizeof first);
    ::close(ends[0]);
  });
  std::string error;
  EXPECT_EQ(Write("/dev/fd/" + std::to_string(ends[1]), std::string(1 << 20, 'x'), error), Result::NotWritten);
  EXPECT_NE(error.find("reader has gone"), std::string::npos) << error;
  reader.join();
  ::close(ends[1]);
}

// /dev/fd/N and its kin name what the descriptor holds: a pipe is written
// into, a file where the descriptor stands, never replaced.
TEST_F(SafeWriteTest, ADescriptorsPathIsWrittenIntoWhatTheDescriptorHolds) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  std::string error;
  EXPECT_EQ(Write("/proc/self/fd/" + std::to_string(ends[1]), "piped", error), Result::Written) << error;
  char got[8] = {};
  EXPECT_EQ(::read(ends[0], got, sizeof got), 5);
  EXPECT_EQ(std::string(got), "piped");
  ::close(ends[0]);
  ::close(ends[1]);

  const int file = ::open(Path("out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(file, 0);
  const ino_t inode = Stat(Path("out.txt")).st_ino;
  ASSERT_EQ(::write(file, "head ", 5), 5);
  EXPECT_EQ(Write("/dev/fd/" + std::to_string(file), "art", error), Result::Written) << error;
  ASSERT_EQ(::write(file, " tail", 5), 5);
  ::close(file);
  EXPECT_EQ(Read(Path("out.txt")), "head art tail");
  EXPECT_EQ(Stat(Path("out.txt")).st_ino, inode);
  // A closed descriptor, or one open for reading only, takes nothing.
  EXPECT_EQ(Write("/dev/fd/" + std::to_string(file), "x", error), Result::NotOpened);
  const int readOnly = ::open(Path("out.txt").c_str(), O_RDONLY);
  EXPECT_EQ(Write("/dev/fd/" + std::to_string(readOnly), "x", error), Result::NotOpened);
  ::close(readOnly);
  EXPECT_EQ(Read(Path("out.txt")), "head art tail");
  EXPECT_TRUE(Others({"out.txt"}).empty());
}

// Temporary files carry a check in their names: only a killed write's
// leftover is removed, never a file of the user's that merely looks alike.
TEST_F(SafeWriteTest, OnlyTheLeftoversOfKilledWritesGoNeverTheUsersFiles) {
  const std::string users[] = {
      ".virlo-backup",  ".virlo-config", ".virlo-Ab12Cd",        ".virlo-tmp-abcdefghijkl-00000000",
      ".plan.vrl.lock", ".virlo-a.lock", "0123456789abcdef.lock"};
  for (const std::string& name : users) Put(Path(name), "the user's");
  // Writes killed after they made their temporary files: one long ago, one just now.
  const std::set<std::string> theirs(std::begin(users), std::end(users));
  std::string killed;
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(test::RunAs(::geteuid(),
                          [&] {
                            SafeWrite write;
                            std::string error;
                            ::_exit(write.Begin(Path("doc.vrl"), SafeWrite::Kind::Document, error) ? 0 : 1);
                            return 1;
                          }),
              0);
    if (i == 0) killed = *Others(theirs).begin();
  }
  const timespec old[2] = {{std::time(nullptr) - 3600, 0}, {std::time(nullptr) - 3600, 0}};
  for (const std::string& name : theirs) ::utimensat(AT_FDCWD, Path(name).c_str(), old, 0);
  ::utimensat(AT_FDCWD, Path(killed).c_str(), old, 0);
  const std::set<std::string> before = Others({});
  ASSERT_EQ(before.size(), std::size(users) + 2);
  SafeWrite write;
  std::string error;
  ASSERT_TRUE(write.Begin(Path("doc.vrl"), SafeWrite::Kind::Document, error)) << error;
  EXPECT_EQ(Mode(write.WritePath()), 0600u);
  const std::string made = fs::path(write.WritePath()).filename().string();
  EXPECT_EQ(made.size(), 32u);  // room beside any name: a name can be 255 bytes
  std::set<std::string> expected = before;
  expected.erase(killed);
  expected.insert(made);
  EXPECT_EQ(Others({}), expected);
  ASSERT_TRUE(write.Write("doc", error) && write.Commit(error)) << error;
  for (const std::string& name : users) EXPECT_EQ(Read(Path(name)), "the user's") << name;
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

// A write in place (other hard links here) into a disk that fills up at any
// byte: it fails before the file changes, or the file is whole and new;
// whether its redo copy waits on that disk (in the shared folder there, or
// beside the file when there is no shared folder) or on another.
TEST_F(SafeWriteTest, AnInPlaceWriteIntoAFullDiskLeavesTheOldFileOrTheNew) {
  if (!folder.MountSmall("small")) GTEST_SKIP() << "mounting a small file system needs root";
  const std::string path = Path("small/doc.vrl");
  const std::string oldBytes(12 * 1024, 'o');
  const std::string newBytes(24 * 1024, 'n');
  for (const std::string& place : {Path("small/shared"), Path("no/folder"), shared.Folder().string()}) {
    SafeWrite::SetSharedFolder(place);
    int written = 0;
    for (std::uintmax_t free = 0; free <= 48 * 1024; free += 2048) {
      SCOPED_TRACE(place + ", free " + std::to_string(free));
      fs::remove(Path("small/filler"));
      Put(path, oldBytes);
      fs::remove(Path("small/link.vrl"));
      fs::create_hard_link(path, Path("small/link.vrl"));
      std::ofstream filler(Path("small/filler"), std::ios::binary);
      const std::string block(1024, 'f');
      while (filler.write(block.data(), static_cast<std::streamsize>(block.size())) && filler.flush()) {
      }
      filler.close();
      const std::uintmax_t full = fs::file_size(Path("small/filler"));
      fs::resize_file(Path("small/filler"), full - std::min(free, full));
      std::string error;
      const bool ok = Written(path, newBytes, error);
      const std::string now = Read(path);
      EXPECT_TRUE(now == (ok ? newBytes : oldBytes)) << error << " (" << now.size() << " bytes)";
      EXPECT_EQ(Read(Path("small/link.vrl")), now);
      written += ok ? 1 : 0;
      for (const auto& [name, bytes] : folder.Contents("small")) {
        EXPECT_TRUE(name == "doc.vrl" || name == "link.vrl" || name == "filler" || name == "shared") << name;
      }
    }
    EXPECT_GT(written, 0);
    EXPECT_LT(written, 25);
  }
}

// Rights matter only for an ordinary user: the checks run as one (nobody,
// in a child process, when the tests run as root).
TEST_F(SafeWriteTest, AnOrdinaryUserIsRefusedWhatHeMayNotWriteAndWritesInPlaceWhatHeMay) {
  const bool root = test::CanActAsAnotherUser();
  const uid_t user = test::OrdinaryUser();
  Put(Path("readonly.txt"), "kept");
  ::chmod(Path("readonly.txt").c_str(), 0444);
  Put(Path("theirs.txt"), "theirs");
  ::chmod(Path("theirs.txt").c_str(), 0666);
  // A file he may write in a folder he may not: written in place, its new
  // content kept meanwhile in a folder of his own.
  fs::create_directories(Path("closed"));
  fs::create_directories(Path("state"));
  Put(Path("closed/his.vrl"), "his old");
  ASSERT_EQ(::chown(Path("closed/his.vrl").c_str(), user, static_cast<gid_t>(-1)), 0);
  ASSERT_EQ(::chown(Path("state").c_str(), user, static_cast<gid_t>(-1)), 0);
  ::chmod(Path("closed").c_str(), 0555);
  const int status = test::RunAs(user, [&] {
    ::setenv("XDG_STATE_HOME", Path("state").c_str(), 1);
    std::string error;
    SafeWrite write;
    if (write.Begin(Path("readonly.txt"), SafeWrite::Kind::Document, error)) return 11;
    if (write.Refused() != SafeWrite::Refusal::ReadOnly) return 12;
    if (!Written(Path("closed/his.vrl"), "his new", error)) return 13;
    // Writable by all but another's: written in place, the other's still.
    if (root && !Written(Path("theirs.txt"), "mine", error)) return 14;
    return 0;
  });
  ::chmod(Path("closed").c_str(), 0755);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Read(Path("readonly.txt")), "kept");
  EXPECT_EQ(Read(Path("closed/his.vrl")), "his new");
  EXPECT_EQ(folder.Contents("closed").size(), 1u);
  EXPECT_TRUE(folder.Contents("state").size() <= 1u) << "only the state folder itself";
  if (root) {
    EXPECT_EQ(Read(Path("theirs.txt")), "mine");
    EXPECT_EQ(Stat(Path("theirs.txt")).st_uid, 0u);
  }
}

}  // namespace
}  // namespace virlo
