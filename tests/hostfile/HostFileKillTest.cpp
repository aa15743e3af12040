// A diagram saved back into a large host file and killed at any moment
// leaves the old file or the new one, never a mix: killed at random moments,
// and, for a file with a second hard link (written in place), as soon as it
// starts to change; reading it afterwards finishes a copy cut short.
//
// Each loop runs VIRLO_KILL_ROUNDS rounds (by default a few; a long run:
// VIRLO_KILL_ROUNDS=500).
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "hostfile/BlockEditing.h"
#include "hostfile/BlockWriter.h"
#include "support/TempFolder.h"

namespace virlo {
namespace {

namespace fs = std::filesystem;

int Rounds(int normal) {
  const char* asked = std::getenv("VIRLO_KILL_ROUNDS");
  return asked != nullptr && std::atoi(asked) > 0 ? std::atoi(asked) : normal;
}

class HostFileKillTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Code enough that a write takes a while, under a diagram in a comment
    // near its top: the new file differs from the old from its first bytes.
    std::string code;
    for (int i = 0; i < 120'000; ++i) code += "  total += Step(" + std::to_string(i) + ", table, limits);\n";
    oldBytes = "#include <vector>\n// +------+\n// | part |\n// +------+\n" + code;
    diagramLine = 3;
    test::WriteFile(path, oldBytes);
    test::BlockEditing edit;
    ASSERT_TRUE(Edit(edit));
    const BlockWriter::Result result = BlockWriter::DryRun(edit.source, *edit.doc.sheet);
    ASSERT_EQ(result.outcome, BlockWriter::Outcome::Written) << result.error;
    newBytes = result.bytes;
  }
  // The edit every save makes: a box under the diagram.
  bool Edit(test::BlockEditing& edit) {
    if (!edit.Open(path, diagramLine)) return false;
    edit.AddBox(0, 4, 7, 6);
    return true;
  }
  // A child process that opens the block, edits it and saves it.
  pid_t SaveInChild() {
    const pid_t child = ::fork();
    if (child == 0) {
      test::BlockEditing edit;
      if (!Edit(edit)) ::_exit(3);
      ::_exit(BlockWriter::Save(edit.source, *edit.doc.sheet).outcome == BlockWriter::Outcome::Written ? 0 : 3);
    }
    return child;
  }
  // The file read as a host file (which finishes a copy a kill cut short):
  // 1 the old bytes, 2 the new ones, 0 neither.
  int Which() {
    HostFile file;
    std::string error;
    if (!HostFile::Read(path, file, error)) {
      ADD_FAILURE() << error;
      return 0;
    }
    EXPECT_EQ(folder.Read(path), file.Bytes()) << "the read did not leave the file as it read it";
    return file.Bytes() == oldBytes ? 1 : (file.Bytes() == newBytes ? 2 : 0);
  }
  // The files beside the host file.
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.Folder())) {
      const std::string name = entry.path().filename().string();
      if (name != "host.cpp" && name != "other-name.cpp") names.push_back(name);
    }
    return names;
  }

  test::TempFolder folder;
  std::string path = folder.Path("host.cpp");
  std::size_t diagramLine = 0;
  std::string oldBytes;
  std::string newBytes;
};

TEST_F(HostFileKillTest, ASaveKilledAtAnyMomentLeavesTheOldOrTheNewFile) {
  int status = 0;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_GT(::waitpid(SaveInChild(), &status, 0), 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const auto saveTime = (std::chrono::steady_clock::now() - start) / std::chrono::microseconds(1);
  ASSERT_EQ(Which(), 2);

  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<std::int64_t> delay(0, saveTime);
  int cut = 0;
  for (int round = 0; round < Rounds(16); ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    test::WriteFile(path, oldBytes);
    const pid_t child = SaveInChild();
    ASSERT_GT(child, 0);
    ::usleep(static_cast<useconds_t>(delay(random)));
    ::kill(child, SIGKILL);
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const bool ended = WIFEXITED(status);
    ASSERT_TRUE(ended ? WEXITSTATUS(status) == 0 : WTERMSIG(status) == SIGKILL) << "the save failed";
    const int which = Which();
    ASSERT_TRUE(which == 2 || (which == 1 && !ended)) << "neither the old file nor the new";
    cut += which == 1 ? 1 : 0;
    // Only a killed save's temporary file may be left beside it.
    for (const std::string& left : Leftovers()) {
      EXPECT_TRUE(left.starts_with(".virlo-tmp-")) << left;
      fs::remove(folder.Path(left));
    }
  }
  EXPECT_GT(cut, 0) << "no save was cut short in " << saveTime << " us";
}

TEST_F(HostFileKillTest, AFileWithAnotherLinkKilledWhileWrittenInPlaceReadsWhole) {
  fs::create_hard_link(path, folder.Path("other-name.cpp"));
  int torn = 0;
  constexpr int MaxAimedRounds = 60;
  for (int round = 0; round < Rounds(5) || (torn == 0 && round < MaxAimedRounds); ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    test::WriteFile(path, oldBytes);
    const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    ASSERT_GE(::inotify_add_watch(watch, path.c_str(), IN_MODIFY), 0);
    const pid_t child = SaveInChild();
    ASSERT_GT(child, 0);
    // Killed once the file changed once or twice: the copy into it has begun.
    const int changes = 1 + round % 2;
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
      seen += got > 0 ? 1 : 0;
    }
    if (ended == 0) {
      ::kill(child, SIGKILL);
      ended = ::waitpid(child, &status, 0);
    }
    ::close(watch);
    ASSERT_EQ(ended, child);
    const std::string onDisk = folder.Read(path);
    torn += onDisk != oldBytes && onDisk != newBytes ? 1 : 0;
    const int which = Which();
    ASSERT_TRUE(which == 2 || which == 1) << "neither the old file nor the new";
    EXPECT_EQ(folder.Read("other-name.cpp"), folder.Read(path));
    for (const std::string& left : Leftovers()) {
      EXPECT_EQ(left.find(".virlo-redo-"), std::string::npos) << "a redo copy was left: " << left;
      fs::remove(folder.Path(left));
    }
  }
  EXPECT_GT(torn, 0) << "no kill landed while the file was being written";
}

}  // namespace
}  // namespace virlo
