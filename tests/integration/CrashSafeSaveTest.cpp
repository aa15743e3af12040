// A save killed at any moment leaves the old document or the new one, never a broken file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "document/CPlenkoDoc.h"
#include "model/Sheet.h"
#include "objects/Line.h"
#include "objects/PersistentTypes.h"
#include "objects/StrBox.h"
#include "store/Store.h"
#include "support/DocumentState.h"
#include "support/TempFolder.h"

namespace virlo {
namespace {

using test::DocumentState;

// Thousands of lines, boxes and text boxes over the sheet; extra adds more of each.
void Draw(CPlenkoDoc& doc, std::int32_t extra) {
  for (std::int32_t i = 0; i < 1000 + extra; ++i) {
    const std::int32_t x = 4 + 8 * (i % 70);
    const std::int32_t y = 8 + 16 * ((i / 70) % 60);
    store::New<Line>(doc.GetDatabase(), doc.sheet, x, y, x + 8 * (1 + i % 5), y, nullptr, nullptr);
    store::New<Box>(doc.GetDatabase(), doc.sheet, x, y, x + 24, y + 32, nullptr);
    const std::string text = "t" + std::to_string(i) + (i % 3 == 0 ? "\r\nsecond line" : "");
    store::New<StrBox>(doc.GetDatabase(), doc.sheet, x, y, 0, 0, String(text.c_str()), nullptr)->frame = i % 2;
  }
}

// A child process that saves doc to path and ends, with status 0 when it saved.
pid_t SaveInChild(CPlenkoDoc& doc, const std::string& path) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(doc.OnSaveDocument(path) ? 0 : 3);
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
  }
  // Saves doc and gives the file's bytes.
  std::string Save(CPlenkoDoc& doc) {
    EXPECT_TRUE(doc.OnSaveDocument(path)) << doc.LastError();
    return folder.Read(name);
  }
  // The files beside the document.
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> names;
    for (const auto& [file, bytes] : folder.Contents()) {
      if (file != name) names.push_back(file);
    }
    return names;
  }

  test::TempFolder folder;
  const std::string name = "doc.vrl";
  const std::string path = folder.Path(name);
  CPlenkoDoc oldDoc;
  CPlenkoDoc newDoc;
};

TEST_F(CrashSafeSaveTest, ASaveKilledAtAnyMomentLeavesTheOldOrTheNewDocument) {
  int status = 0;
  const auto start = std::chrono::steady_clock::now();  // a full save, timed as the rounds do it
  ASSERT_GT(::waitpid(SaveInChild(newDoc, path), &status, 0), 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const auto saveTime = (std::chrono::steady_clock::now() - start) / std::chrono::microseconds(1);
  const std::string fileB = Save(newDoc);
  const std::string dumpB = DocumentState::Dump(*newDoc.GetDatabase());
  const std::string fileA = Save(oldDoc);  // the old document is on disk
  const std::string dumpA = DocumentState::Dump(*oldDoc.GetDatabase());
  ASSERT_TRUE(dumpA != dumpB && fileA != fileB && oldDoc.sheet->objects.Count() >= 3000);

  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<std::int64_t> delay(0, saveTime);
  int foundOld = 0;  // rounds whose save was cut short
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::size_t before = Leftovers().size();
    const pid_t child = SaveInChild(newDoc, path);
    ASSERT_GT(child, 0);
    ::usleep(static_cast<useconds_t>(delay(random)));
    ::kill(child, SIGKILL);
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const bool ended = WIFEXITED(status);
    ASSERT_TRUE(ended ? WEXITSTATUS(status) == 0 : WTERMSIG(status) == SIGKILL) << "the save failed";

    // Whatever the moment, the file opens as one of the two documents (equal bytes open to equal dumps).
    CPlenkoDoc opened;
    ASSERT_TRUE(opened.OnOpenDocument(path)) << opened.LastError();
    const std::string file = folder.Read(name);
    std::string dump = DocumentState::Dump(*opened.GetDatabase());
    if (file == fileA) dump = dumpA;
    if (file == fileB) dump = dumpB;
    ASSERT_TRUE(dump == dumpB || (dump == dumpA && !ended)) << "not what was saved";
    foundOld += dump == dumpA ? 1 : 0;

    // Only the killed save's temporary file may be left beside it.
    const std::vector<std::string> left = Leftovers();
    ASSERT_LE(left.size(), before + 1);
    for (const std::string& f : left) EXPECT_TRUE(f.size() == 13 && f.starts_with(".virlo-")) << f;

    // A normal save beside them succeeds and puts the old document back, byte for byte.
    if (dump == dumpB || round % 4 == 0) {
      ASSERT_TRUE(oldDoc.OnSaveDocument(path)) << oldDoc.LastError();
      ASSERT_EQ(folder.Read(name), fileA);
    }
    // It may clear stale leftovers; it leaves none of its own.
    ASSERT_LE(Leftovers().size(), left.size()) << "the normal save left a file behind";
    if (left.size() >= 20) {
      for (const std::string& f : left) std::filesystem::remove(folder.Path(f));
    }
  }
  EXPECT_GT(foundOld, 0) << "no save was interrupted in " << saveTime << " us";
}

}  // namespace
}  // namespace virlo
