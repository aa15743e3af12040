// A save killed at any moment leaves the old document or the new one, never a
// broken file: killed at random moments, and killed as soon as a file that
// must be written in place (other hard links, another user's file, a folder
// the writer may not write) starts to change, then opened by another of its
// names or by another user.
//
// Each loop runs VIRLO_KILL_ROUNDS rounds (by default a few, to keep the
// suite quick; a long run: VIRLO_KILL_ROUNDS=500).
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "document/Document.h"
#include "objects/Line.h"
#include "objects/PersistentTypes.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "platform/SafeWrite.h"
#include "store/Store.h"
#include "support/DocumentState.h"
#include "support/OtherUser.h"
#include "support/TempFolder.h"

namespace virlo {
namespace {

namespace fs = std::filesystem;
using test::DocumentState;

int Rounds(int normal) {
  const char* asked = std::getenv("VIRLO_KILL_ROUNDS");
  return asked != nullptr && std::atoi(asked) > 0 ? std::atoi(asked) : normal;
}

// Thousands of lines, boxes and text boxes over the sheet; extra adds more of each.
void Draw(Document& doc, std::int32_t extra) {
  for (std::int32_t i = 0; i < 1000 + extra; ++i) {
    const std::int32_t x = 4 + 8 * (i % 70);
    const std::int32_t y = 8 + 16 * ((i / 70) % 60);
    store::New<Line>(doc.GetDatabase(), doc.sheet, x, y, x + 8 * (1 + i % 5), y, nullptr, nullptr);
    store::New<Box>(doc.GetDatabase(), doc.sheet, x, y, x + 24, y + 32, nullptr);
    const std::string text = "t" + std::to_string(i) + (i % 3 == 0 ? "\r\nsecond line" : "");
    store::New<StrBox>(doc.GetDatabase(), doc.sheet, x, y, 0, 0, String(text.c_str()), nullptr)->frame = i % 2;
  }
}

// A child process that saves doc to path as user and ends, with status 0 when it saved.
pid_t SaveInChild(Document& doc, const std::string& path, uid_t user = ::geteuid()) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (user != ::geteuid() && (::setgid(test::NoGroup) != 0 || ::setuid(user) != 0)) ::_exit(4);
    ::_exit(doc.OnSaveDocument(path) ? 0 : 3);
  }
  return child;
}

class CrashSafeSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterPersistentTypes();
    store::SetMaximumUndoOperations(0);  // no undo history: the documents are only built and saved
    ASSERT_TRUE(oldDoc.OnNewDocument() && newDoc.OnNewDocument());
    Draw(oldDoc, 0);
    Draw(newDoc, 100);
    ::chmod(folder.Folder().c_str(), 0777);
    fs::create_directory(Shared());
    ::chmod(Shared().c_str(), 01777);
    sharedBefore = SafeWrite::SetSharedFolder(Shared());
  }
  void TearDown() override { SafeWrite::SetSharedFolder(sharedBefore); }
  std::string Shared() const { return folder.Path("shared"); }
  // Both documents saved at path once, their bytes and dumps kept; the old one stays there.
  void SaveBoth(const std::string& at) {
    path = at;
    ASSERT_TRUE(newDoc.OnSaveDocument(path)) << newDoc.LastError();
    fileB = folder.Read(path);
    ASSERT_TRUE(oldDoc.OnSaveDocument(path)) << oldDoc.LastError();
    fileA = folder.Read(path);
    dumpA = DocumentState::Dump(*oldDoc.GetDatabase());
    dumpB = DocumentState::Dump(*newDoc.GetDatabase());
    ASSERT_TRUE(dumpA != dumpB && fileA != fileB && oldDoc.sheet->objects.Count() >= 3000);
  }
  // The files beside the document, and those in the folders given (absolute).
  std::vector<std::string> Leftovers(const std::vector<std::string>& elsewhere = {}) const {
    std::vector<std::string> names;
    for (const std::string& under : elsewhere) {
      for (const auto& [file, bytes] : folder.Contents(under)) names.push_back(under + "/" + file);
    }
    for (const auto& entry : fs::directory_iterator(fs::path(path).parent_path())) {
      if (entry.path() != path && entry.is_regular_file()) names.push_back(entry.path().filename().string());
    }
    return names;
  }
  // Which document name (the path by default) opens as, for user: 1 the old
  // one, 2 the new one, 0 neither.
  int Opened(uid_t user, const std::string& state = {}, const std::string& name = {}) {
    constexpr int OpenedElsewhere = 3;
    const int status = test::RunAs(user, [&] {
      if (!state.empty()) ::setenv("XDG_STATE_HOME", state.c_str(), 1);
      Document opened;
      if (!opened.OnOpenDocument(name.empty() ? path : name)) return 0;
      // Under another name it names other files beside it: its bytes tell it.
      if (!name.empty() && name != path) return OpenedElsewhere;
      const std::string dump = DocumentState::Dump(*opened.GetDatabase());
      return dump == dumpA ? 1 : (dump == dumpB ? 2 : 0);
    });
    if (status != OpenedElsewhere) return status;
    const std::string bytes = folder.Read(path);
    return bytes == fileA ? 1 : (bytes == fileB ? 2 : 0);
  }
  // Saves the new document in place as user, killed once the file has
  // changed `changes` times; the file's bytes then.
  std::string KillWhenChanged(uid_t user, int changes, const std::string& state) {
    const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    EXPECT_GE(::inotify_add_watch(watch, path.c_str(), IN_MODIFY), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      if (!state.empty()) ::setenv("XDG_STATE_HOME", state.c_str(), 1);
      if (user != ::geteuid() && (::setgid(test::NoGroup) != 0 || ::setuid(user) != 0)) ::_exit(4);
      ::_exit(newDoc.OnSaveDocument(path) ? 0 : 3);
    }
    if (child <= 0) {
      ADD_FAILURE() << "cannot start the save";
      ::close(watch);
      return {};
    }
    // Until the change asked for, or the save's end: changes left unread are seen as one.
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
        const auto* event = reinterpret_cast<const inotify_event*>(events + at);
        at += event->len;
        ++seen;
      }
    }
    if (ended == 0) {
      ::kill(child, SIGKILL);
      ended = ::waitpid(child, &status, 0);
    }
    EXPECT_EQ(ended, child);
    EXPECT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << "the save failed";
    ::close(watch);
    return folder.Read(path);
  }
  // The aimed kills for one way of writing in place: some must land while
  // the file is half written, and every one must open, for reader under
  // name, as the old or the new document (finished from its redo copy),
  // leaving no redo copy behind.
  static constexpr int MaxAimedRounds = 60;
  void KillInPlace(uid_t user, const std::string& state, uid_t reader, const std::string& name) {
    int torn = 0;
    // On a busy machine the writer may outrun the aimed kills for a while:
    // more rounds until one lands.
    for (int round = 0; round < Rounds(5) || (torn == 0 && round < MaxAimedRounds); ++round) {
      SCOPED_TRACE("round " + std::to_string(round));
      // The old bytes back into the same file, as it was.
      std::ofstream(path, std::ios::binary | std::ios::trunc) << fileA;
      // The first change reserves room; the next ones copy the new content in.
      const std::string file = KillWhenChanged(user, round == 0 ? 1 : 2 + round % 2, state);
      const bool old = file == fileA;
      torn += old || file == fileB ? 0 : 1;
      // Killed once its new content was kept, before the file changed, it may open either way.
      const int opened = Opened(reader, state, name);
      ASSERT_TRUE(opened == 2 || (opened == 1 && old)) << "opened as " << opened;
      ASSERT_TRUE(folder.Read(path) == (opened == 1 ? fileA : fileB)) << "the file was not finished";
      // A kill before the file changed may leave a temporary file; never a redo copy.
      std::vector<std::string> elsewhere{Shared()};
      if (!state.empty()) elsewhere.push_back(state);
      for (const std::string& left : Leftovers(elsewhere)) {
        ASSERT_EQ(left.find(".virlo-redo-"), std::string::npos) << left;
        if (left.find(".virlo-tmp-") != std::string::npos) fs::remove(fs::path(path).parent_path() / left);
      }
    }
    EXPECT_GT(torn, 0) << "no kill landed while the file was being written";
  }

  test::TempFolder folder;
  std::string path = folder.Path("doc.vrl");
  Document oldDoc;
  Document newDoc;
  std::string fileA;
  std::string fileB;
  std::string dumpA;
  std::string dumpB;
  std::string sharedBefore;
};

TEST_F(CrashSafeSaveTest, ASaveKilledAtAnyMomentLeavesTheOldOrTheNewDocument) {
  int status = 0;
  const auto start = std::chrono::steady_clock::now();  // a full save, timed as the rounds do it
  ASSERT_GT(::waitpid(SaveInChild(newDoc, path), &status, 0), 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const auto saveTime = (std::chrono::steady_clock::now() - start) / std::chrono::microseconds(1);
  SaveBoth(path);

  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<std::int64_t> delay(0, saveTime);
  int foundOld = 0;  // rounds whose save was cut short
  for (int round = 0; round < Rounds(16); ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::size_t before = Leftovers().size();
    const pid_t child = SaveInChild(newDoc, path);
    ASSERT_GT(child, 0);
    ::usleep(static_cast<useconds_t>(delay(random)));
    ::kill(child, SIGKILL);
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const bool ended = WIFEXITED(status);
    ASSERT_TRUE(ended ? WEXITSTATUS(status) == 0 : WTERMSIG(status) == SIGKILL) << "the save failed";

    // Whatever the moment, the file opens as one of the two documents.
    const int opened = Opened(::geteuid());
    ASSERT_TRUE(opened == 2 || (opened == 1 && !ended)) << "not what was saved";
    foundOld += opened == 1 ? 1 : 0;

    // Only the killed save's temporary file may be left beside it.
    const std::vector<std::string> left = Leftovers();
    ASSERT_LE(left.size(), before + 1);
    for (const std::string& f : left) EXPECT_TRUE(f.size() == 32 && f.starts_with(".virlo-tmp-")) << f;

    // A normal save beside them succeeds and puts the old document back, byte for byte.
    if (opened == 2 || round % 4 == 0) {
      ASSERT_TRUE(oldDoc.OnSaveDocument(path)) << oldDoc.LastError();
      ASSERT_EQ(folder.Read(path), fileA);
    }
    // It may clear stale leftovers; it leaves none of its own.
    ASSERT_LE(Leftovers().size(), left.size()) << "the normal save left a file behind";
    if (left.size() >= 20) {
      for (const std::string& f : left) fs::remove(folder.Path(f));
    }
  }
  EXPECT_GT(foundOld, 0) << "no save was interrupted in " << saveTime << " us";
}

// Opened by its other name, in another folder.
TEST_F(CrashSafeSaveTest, AFileWithOtherLinksKilledWhileWrittenInPlaceOpensWhole) {
  SaveBoth(path);
  fs::create_directories(folder.Path("elsewhere"));
  const std::string other = folder.Path("elsewhere/other-name.vrl");
  fs::create_hard_link(path, other);
  KillInPlace(::geteuid(), {}, ::geteuid(), other);
  EXPECT_EQ(folder.Read(other), folder.Read(path));
}

TEST_F(CrashSafeSaveTest, AnotherUsersFileKilledWhileAnOrdinaryUserWritesItInPlaceOpensWhole) {
  if (!test::CanActAsAnotherUser()) GTEST_SKIP() << "an ordinary user saving another's file needs root to set up";
  SaveBoth(path);
  ::chmod(path.c_str(), 0666);
  // Opened by root, its owner.
  KillInPlace(test::Nobody, {}, ::geteuid(), path);
  struct stat info {};
  ::stat(path.c_str(), &info);
  EXPECT_EQ(info.st_uid, 0u) << "still root's";
}

TEST_F(CrashSafeSaveTest, AFileInAFolderTheWriterMayNotWriteKilledWhileWrittenInPlaceOpensWhole) {
  const uid_t user = test::OrdinaryUser();
  fs::create_directories(folder.Path("closed"));
  fs::create_directories(folder.Path("state"));
  SaveBoth(folder.Path("closed/doc.vrl"));
  ASSERT_EQ(::chown(path.c_str(), user, static_cast<gid_t>(-1)), 0);
  ASSERT_EQ(::chown(folder.Path("state").c_str(), user, static_cast<gid_t>(-1)), 0);
  ::chmod(folder.Path("closed").c_str(), 0555);
  // Opened by root where nobody writes it.
  KillInPlace(user, folder.Path("state"), ::geteuid(), path);
  ::chmod(folder.Path("closed").c_str(), 0755);
}

}  // namespace
}  // namespace virlo
