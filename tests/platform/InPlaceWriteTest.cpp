// Writes into a file in place (other hard links, another user's file, a
// folder the writer may not write) killed while they copy: finished by whoever
// opens the file next, by any of its names, as its owner or as root; never put
// back over a file written since; two such writes at once; and folders on the
// way to a file that another user replaced by links in a shared folder.
//
// The kill loops run VIRLO_KILL_ROUNDS rounds (a few by default); the rounds
// of writes at once play ten times as many with VIRLO_LONG_TESTS=1.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/SafeWrite.h"
#include "support/OtherUser.h"
#include "support/TempFolder.h"

namespace virlo {
namespace {

namespace fs = std::filesystem;

// A second ordinary user, unknown to the system: a member of no group of the files.
constexpr uid_t Stranger = 4242;
constexpr int MaxAimedRounds = 60;

int FromEnvironment(const char* name, int otherwise) {
  const char* value = std::getenv(name);
  return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : otherwise;
}
int KillRounds() { return FromEnvironment("VIRLO_KILL_ROUNDS", 5); }

// Bytes that tell where they came from, and where in them: a mix shows.
std::string Pattern(char mark, std::size_t size) {
  std::string bytes(size, mark);
  for (std::size_t i = 0; i < size; i += 97) bytes[i] = static_cast<char>('0' + (i / 97) % 10);
  return bytes;
}

// Puts bytes into the file itself, keeping its links, owner and mode, as another program would.
void Overwrite(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class InPlaceWriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::CanActAsAnotherUser()) GTEST_SKIP() << "writers, owners and readers as other users need root";
    ::chmod(folder.Folder().c_str(), 0755);
    fs::create_directory(Path("shared"));
    ::chmod(Path("shared").c_str(), 01777);
    before = SafeWrite::SetSharedFolder(Path("shared"));
    for (const uid_t user : {test::Nobody, Stranger}) {
      fs::create_directory(State(user));
      ASSERT_EQ(::chown(State(user).c_str(), user, static_cast<gid_t>(-1)), 0);
    }
  }
  void TearDown() override {
    if (!before.empty()) SafeWrite::SetSharedFolder(before);
  }

  std::string Path(const std::string& name) const { return folder.Path(name); }
  std::string Read(const std::string& path) const { return folder.Read(path); }
  std::string State(uid_t user) const { return Path("state-" + std::to_string(user)); }

  // The redo copies that hold something, in the shared folder, the state
  // folders and the folders given.
  std::vector<std::string> Copies(const std::vector<std::string>& besides = {}) const {
    std::vector<std::string> found;
    std::vector<std::string> places = besides;
    places.insert(places.end(), {Path("shared"), State(test::Nobody) + "/virlo", State(Stranger) + "/virlo"});
    for (const std::string& place : places) {
      if (!fs::is_directory(place)) continue;
      for (const auto& entry : fs::directory_iterator(place)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(".virlo-redo-") && fs::file_size(entry.path()) > 0) found.push_back(entry.path());
      }
    }
    return found;
  }

  // Writes bytes to path in place as user in a child process, killed once
  // the file has changed `changes` times: the first change reserves room,
  // the next ones copy the new content in. A save that ends first must have
  // succeeded.
  void KillWhenChanged(const std::string& path, const std::string& bytes, uid_t user, int changes) {
    const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    ASSERT_GE(::inotify_add_watch(watch, path.c_str(), IN_MODIFY), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      ::setenv("XDG_STATE_HOME", State(user).c_str(), 1);
      if (user != ::geteuid() &&
          (::setgroups(0, nullptr) != 0 || ::setgid(test::NoGroup) != 0 || ::setuid(user) != 0)) {
        ::_exit(4);
      }
      std::string error;
      ::_exit(AtomicFile::Write(path, bytes, error) == AtomicFile::Result::Written ? 0 : 3);
    }
    ASSERT_GT(child, 0);
    int seen = 0;
    int status = 0;
    pid_t ended = 0;
    pollfd wait{watch, POLLIN, 0};
    while (seen < changes && ended == 0) {
      if (::poll(&wait, 1, 20) <= 0) {
        ended = ::waitpid(child, &status, WNOHANG);
        continue;
      }
      alignas(inotify_event) char events[4096];
      const ssize_t got = ::read(watch, events, sizeof events);
      for (ssize_t at = 0; at < got; at += static_cast<ssize_t>(sizeof(inotify_event))) {
        at += reinterpret_cast<const inotify_event*>(events + at)->len;
        ++seen;
      }
    }
    if (ended == 0) {
      ::kill(child, SIGKILL);
      ended = ::waitpid(child, &status, 0);
    }
    ::close(watch);
    ASSERT_EQ(ended, child);
    ASSERT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << "the write failed";
  }

  // Recover as user: 0 when it settled everything, 1 with its message, else how the child ended.
  int RecoverAs(uid_t user, const std::string& path, std::string& message) {
    int said[2];
    if (::pipe(said) != 0) return -1;
    const int status = test::RunAs(user, [&] {
      ::setenv("XDG_STATE_HOME", State(user).c_str(), 1);
      std::string error;
      const bool settled = SafeWrite::Recover(path, error);
      const bool told = ::write(said[1], error.data(), error.size()) == static_cast<ssize_t>(error.size());
      return settled && told ? 0 : 1;
    });
    ::close(said[1]);
    message.clear();
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::read(said[0], buffer, sizeof buffer)) > 0) message.append(buffer, static_cast<std::size_t>(got));
    ::close(said[0]);
    return status;
  }

  // Kills writes of newBytes over oldBytes at path until one has left the
  // file half written (and KillRounds() rounds at least), each followed by
  // check(torn); the rounds that left it torn.
  template <typename Check>
  int KillRoundsAt(const std::string& path, uid_t writer, const Check& check) {
    int torn = 0;
    for (int round = 0; round < KillRounds() || (torn == 0 && round < MaxAimedRounds); ++round) {
      SCOPED_TRACE("round " + std::to_string(round));
      Overwrite(path, oldBytes);
      KillWhenChanged(path, newBytes, writer, round == 0 ? 1 : 2 + round % 2);
      const std::string now = Read(path);
      const bool isTorn = now != oldBytes && now != newBytes;
      torn += isTorn ? 1 : 0;
      check(isTorn);
      if (HasFatalFailure()) break;
      // Each round from a clean start: no copy or temporary file of the last.
      for (const std::string& copy : Copies({fs::path(path).parent_path()})) fs::remove(copy);
      for (const auto& entry : fs::directory_iterator(fs::path(path).parent_path())) {
        if (entry.path().filename().string().starts_with(".virlo-tmp-")) fs::remove(entry.path());
      }
    }
    EXPECT_GT(torn, 0) << "no kill landed while the file was being written";
    return torn;
  }

  test::TempFolder folder;
  std::string before;
  const std::string oldBytes = Pattern('o', 1 << 20);
  const std::string newBytes = Pattern('n', 3 << 20);
};

// a.vrl and b.vrl in two folders are one file, root's, written by root as
// a.vrl: b.vrl finds the copy; a user who may read but not write it is told
// where the copy is; a save as b.vrl afterwards is what a.vrl then reads.
TEST_F(InPlaceWriteTest, AWriteCutShortIsFinishedThroughAnotherNameAndNamedToWhoMayNotFinishIt) {
  fs::create_directories(Path("one"));
  fs::create_directories(Path("two"));
  const std::string a = Path("one/a.vrl");
  const std::string b = Path("two/b.vrl");
  Overwrite(a, oldBytes);
  ::chmod(a.c_str(), 0644);
  fs::create_hard_link(a, b);
  const std::string newer = Pattern('w', 2 << 20);
  KillRoundsAt(a, 0, [&](bool torn) {
    std::string message;
    if (torn) {
      const std::string held = Read(a);
      ASSERT_EQ(RecoverAs(test::Nobody, b, message), 1);
      EXPECT_NE(message.find("cut short"), std::string::npos) << message;
      ASSERT_EQ(Copies().size(), 1u);
      EXPECT_NE(message.find(Copies().front()), std::string::npos) << message;
      EXPECT_EQ(message.find(". "), std::string::npos) << "one sentence: " << message;
      EXPECT_EQ(Read(a), held) << "a reader who may not write it changed it";
    }
    ASSERT_EQ(RecoverAs(0, b, message), 0) << message;
    ASSERT_TRUE(Read(b) == newBytes || (!torn && Read(b) == oldBytes));
    EXPECT_TRUE(Copies({Path("one"), Path("two")}).empty());
    if (!torn) return;
    // The copy put back, a save under the other name then goes over it.
    std::string error;
    ASSERT_EQ(AtomicFile::Write(b, newer, error), AtomicFile::Result::Written) << error;
    ASSERT_EQ(RecoverAs(0, a, message), 0) << message;
    EXPECT_EQ(Read(a), newer);
  });
}

// Nobody's file that everyone may write, written by another user beside it:
// nobody, its owner, finishes the copy.
TEST_F(InPlaceWriteTest, AWriteCutShortInAnotherUsersFileIsFinishedByTheFilesOwner) {
  const std::string path = Path("theirs.vrl");
  Overwrite(path, oldBytes);
  ::chmod(path.c_str(), 0666);
  ASSERT_EQ(::chown(path.c_str(), test::Nobody, test::NoGroup), 0);
  ::chmod(folder.Folder().c_str(), 0777);
  KillRoundsAt(path, Stranger, [&](bool torn) {
    std::string message;
    ASSERT_EQ(RecoverAs(test::Nobody, path, message), 0) << message;
    ASSERT_TRUE(Read(path) == newBytes || (!torn && Read(path) == oldBytes));
    EXPECT_TRUE(Copies({folder.Folder()}).empty());
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_uid, test::Nobody) << "still nobody's";
  });
}

// Nobody's file in a folder he may not write: the copy goes to the shared
// folder, where root finds it.
TEST_F(InPlaceWriteTest, AWriteCutShortInAClosedFolderIsFinishedByRoot) {
  fs::create_directories(Path("closed"));
  const std::string path = Path("closed/his.vrl");
  Overwrite(path, oldBytes);
  ASSERT_EQ(::chown(path.c_str(), test::Nobody, test::NoGroup), 0);
  ::chmod(Path("closed").c_str(), 0555);
  KillRoundsAt(path, test::Nobody, [&](bool torn) {
    std::string message;
    ASSERT_EQ(RecoverAs(0, path, message), 0) << message;
    ASSERT_TRUE(Read(path) == newBytes || (!torn && Read(path) == oldBytes));
    EXPECT_TRUE(Copies({Path("closed")}).empty());
  });
  ::chmod(Path("closed").c_str(), 0755);
}

// A copy whose file was written since is never put back: by another program
// through the other name, or by a write that could not see the copy (kept
// in its writer's own state folder, for want of a shared one).
TEST_F(InPlaceWriteTest, ACopyOfAFileWrittenSinceIsRetiredNotPutBack) {
  const std::string path = Path("doc.vrl");
  Overwrite(path, oldBytes);
  ::chmod(path.c_str(), 0644);
  fs::create_hard_link(path, Path("other.vrl"));
  const std::string newer = Pattern('w', 2 << 20);
  KillRoundsAt(path, 0, [&](bool torn) {
    if (!torn) return;
    Overwrite(Path("other.vrl"), newer);
    std::string message;
    ASSERT_EQ(RecoverAs(0, path, message), 0) << message;
    EXPECT_EQ(Read(path), newer);
    EXPECT_TRUE(Copies({folder.Folder()}).empty()) << "the stale copy was kept";
  });

  SafeWrite::SetSharedFolder(Path("no/such/folder"));
  fs::create_directories(Path("closed"));
  const std::string his = Path("closed/his.vrl");
  Overwrite(his, oldBytes);
  ASSERT_EQ(::chown(his.c_str(), test::Nobody, test::NoGroup), 0);
  fs::create_hard_link(his, Path("closed/link.vrl"));
  ::chmod(Path("closed").c_str(), 0555);
  KillRoundsAt(his, test::Nobody, [&](bool torn) {
    if (!torn) return;
    ASSERT_EQ(Copies().size(), 1u);
    ASSERT_EQ(Copies().front().rfind(State(test::Nobody), 0), 0u) << Copies().front();
    std::string error;
    ASSERT_EQ(AtomicFile::Write(Path("closed/link.vrl"), newer, error), AtomicFile::Result::Written) << error;
    ASSERT_EQ(Read(his), newer);
    std::string message;
    ASSERT_EQ(RecoverAs(test::Nobody, his, message), 0) << message;
    EXPECT_EQ(Read(his), newer);
    EXPECT_TRUE(Copies().empty()) << "the stale copy was kept";
  });
  ::chmod(Path("closed").c_str(), 0755);
}

// A well-made copy counts only when its owner may write the file: the same
// bytes planted by a user who may not are never put in.
TEST_F(InPlaceWriteTest, ACopyPlantedByAUserWhoMayNotWriteTheFileIsNeverPutIn) {
  const std::string path = Path("root.vrl");
  Overwrite(path, oldBytes);
  ::chmod(path.c_str(), 0644);
  fs::create_hard_link(path, Path("link.vrl"));
  bool planted = false;
  KillRoundsAt(path, 0, [&](bool torn) {
    if (!torn || planted) return;
    planted = true;
    ASSERT_EQ(Copies().size(), 1u);
    const std::string genuine = Copies().front();
    const std::string bytes = Read(genuine);
    fs::remove(genuine);
    const std::string forged = genuine.substr(0, genuine.rfind('-') + 1) + std::to_string(test::Nobody);
    ASSERT_EQ(test::RunAs(test::Nobody, [&] { return (std::ofstream(forged, std::ios::binary) << bytes) ? 0 : 1; }), 0);
    const std::string held = Read(path);
    std::string message;
    EXPECT_EQ(RecoverAs(0, path, message), 0) << message;
    EXPECT_EQ(Read(path), held) << "a copy nobody planted was put in";
    fs::remove(forged);
    std::ofstream(genuine, std::ios::binary) << bytes;
    ASSERT_EQ(RecoverAs(0, path, message), 0) << message;
    EXPECT_EQ(Read(path), newBytes);
  });
}

// Two writes into one file in place at once, by one user or by two: each
// ends written or refused with its reason, and the file is one whole version.
TEST_F(InPlaceWriteTest, TwoWritesIntoOneFileAtOnceLeaveOneWholeVersion) {
  const std::string path = Path("shared.vrl");
  Overwrite(path, oldBytes);
  ::chmod(path.c_str(), 0666);
  fs::create_hard_link(path, Path("second.vrl"));
  ::chmod(folder.Folder().c_str(), 0777);
  const std::string first = Pattern('f', 3 << 20);
  const std::string second = Pattern('s', 3 << 20);
  const int rounds = FromEnvironment("VIRLO_LONG_TESTS", 0) > 0 ? 100 : 10;
  for (const uid_t other : {uid_t{0}, test::Nobody}) {
    int bothWritten = 0;
    for (int round = 0; round < rounds; ++round) {
      SCOPED_TRACE("as " + std::to_string(other) + ", round " + std::to_string(round));
      Overwrite(path, oldBytes);
      int start[2];
      ASSERT_EQ(::pipe(start), 0);
      std::vector<pid_t> writers;
      for (const auto& [user, name, bytes] :
           {std::tuple{uid_t{0}, path, &first}, std::tuple{other, Path("second.vrl"), &second}}) {
        const pid_t child = ::fork();
        if (child == 0) {
          if (user != ::geteuid() &&
              (::setgroups(0, nullptr) != 0 || ::setgid(test::NoGroup) != 0 || ::setuid(user) != 0)) {
            ::_exit(4);
          }
          ::close(start[1]);
          char go = 0;
          if (::read(start[0], &go, 1) != 0) ::_exit(5);
          std::string error;
          const AtomicFile::Result result = AtomicFile::Write(name, *bytes, error);
          ::_exit(result == AtomicFile::Result::Written ? 0 : (error.empty() ? 6 : 1));
        }
        writers.push_back(child);
      }
      ::close(start[0]);
      ::close(start[1]);  // both start
      int written = 0;
      for (const pid_t child : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 1)) << status;
        written += WEXITSTATUS(status) == 0 ? 1 : 0;
      }
      const std::string now = Read(path);
      ASSERT_TRUE(now == first || now == second) << "a mix of " << now.size() << " bytes";
      ASSERT_GT(written, 0);
      bothWritten += written == 2 ? 1 : 0;
      EXPECT_TRUE(Copies({folder.Folder()}).empty());
    }
    EXPECT_GT(bothWritten, 0) << "every round refused a write: they waited for nothing";
  }
}

// Folders on the way that another user replaced by links in a shared
// folder: not followed, for root and for an ordinary user, at any depth;
// links of the writer's own or of the folder's owner are.
TEST_F(InPlaceWriteTest, AFolderLinkAnotherUserPlantedInASharedFolderIsNeverFollowed) {
  fs::create_directories(Path("open"));
  ::chmod(Path("open").c_str(), 01777);
  fs::create_directories(Path("private/deeper"));
  ::chmod(Path("private").c_str(), 0700);
  Overwrite(Path("private/secret.txt"), "root's");
  ::chmod(Path("private/secret.txt").c_str(), 0600);
  fs::create_directories(Path("his"));
  Overwrite(Path("his/own.txt"), "nobody's");
  ASSERT_EQ(::chown(Path("his").c_str(), test::Nobody, test::NoGroup), 0);
  ASSERT_EQ(::chown(Path("his/own.txt").c_str(), test::Nobody, test::NoGroup), 0);
  // Stranger plants links to both; nobody plants one to root's folder.
  ASSERT_EQ(test::RunAs(Stranger,
                        [&] {
                          fs::create_directories(Path("open/real"));
                          fs::create_directory_symlink(Path("private"), Path("open/reports"));
                          fs::create_directory_symlink(Path("his"), Path("open/his-reports"));
                          fs::create_directory_symlink(Path("open/reports"), Path("open/real/again"));
                          return 0;
                        }),
            0);
  std::string error;
  for (const std::string& path :
       {Path("open/reports/secret.txt"), Path("open/reports/new.txt"), Path("open/reports/deeper/../secret.txt"),
        Path("open/real/again/secret.txt"), Path("open/./reports/deeper/x.txt")}) {
    for (const SafeWrite::Kind kind : {SafeWrite::Kind::Text, SafeWrite::Kind::Document, SafeWrite::Kind::Private}) {
      SafeWrite write;
      EXPECT_FALSE(write.Begin(path, kind, error)) << path;
      EXPECT_EQ(write.Refused(), SafeWrite::Refusal::Link) << path << ": " << error;
    }
  }
  EXPECT_NE(error.find("folder on its way"), std::string::npos) << error;
  // As an ordinary user, into his own folder through another's link.
  EXPECT_EQ(test::RunAs(test::Nobody,
                        [&] {
                          std::string refused;
                          return AtomicFile::Write(Path("open/his-reports/own.txt"), "overwritten", refused) ==
                                         AtomicFile::Result::NotOpened
                                     ? 0
                                     : 1;
                        }),
            0);
  EXPECT_EQ(Read(Path("private/secret.txt")), "root's");
  EXPECT_EQ(Read(Path("his/own.txt")), "nobody's");
  EXPECT_EQ(folder.Contents("private").size(), 2u);
  // A real folder of another user's there is entered; links of root's own,
  // or of the shared folder's owner, are followed.
  ASSERT_EQ(AtomicFile::Write(Path("open/real/made.txt"), "made", error), AtomicFile::Result::Written) << error;
  fs::create_directory_symlink(Path("private"), Path("open/mine"));
  ASSERT_EQ(AtomicFile::Write(Path("open/mine/deeper/../secret.txt"), "root's own link", error),
            AtomicFile::Result::Written)
      << error;
  EXPECT_EQ(Read(Path("private/secret.txt")), "root's own link");
  ASSERT_EQ(::chown(Path("open").c_str(), Stranger, test::NoGroup), 0);
  ASSERT_EQ(AtomicFile::Write(Path("open/reports/secret.txt"), "through the owner's link", error),
            AtomicFile::Result::Written)
      << error;
  EXPECT_EQ(Read(Path("private/secret.txt")), "through the owner's link");
}

}  // namespace
}  // namespace virlo
