// A save killed at any moment leaves the old document or the new one, never a broken file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "document/CPlenkoDoc.h"
#include "document/DocumentDump.h"
#include "model/Sheet.h"
#include "objects/Line.h"
#include "objects/PersistentTypes.h"
#include "objects/StrBox.h"
#include "store/Store.h"

namespace virlo {
namespace {

namespace fs = std::filesystem;

std::string Dump(const CPlenkoDoc& doc) {
  std::string json, error;
  EXPECT_TRUE(DocumentDump::Write(*doc.GetDatabase(), json, error)) << error;
  return json;
}
std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}
// Thousands of lines, boxes and text boxes over the sheet; extra adds more of each.
void Draw(CPlenkoDoc& doc, std::int32_t extra) {
  for (std::int32_t i = 0; i < 1000 + extra; ++i) {
    const std::int32_t x = 4 + 8 * (i % 70), y = 8 + 16 * ((i / 70) % 60);
    store::New<Line>(doc.GetDatabase(), doc.sheet, x, y, x + 8 * (1 + i % 5), y, nullptr, nullptr);
    store::New<Box>(doc.GetDatabase(), doc.sheet, x, y, x + 24, y + 32, nullptr);
    const std::string text = "t" + std::to_string(i) + (i % 3 == 0 ? "\r\nsecond line" : "");
    store::New<StrBox>(doc.GetDatabase(), doc.sheet, x, y, 0, 0, String(text.c_str()), nullptr)->frame = i % 2;
  }
}

// Saves doc to path and checks that the file opens to the same dump; the file's bytes and the dump.
std::pair<std::string, std::string> SaveAndCheck(CPlenkoDoc& doc, const std::string& path) {
  CPlenkoDoc opened;
  EXPECT_TRUE(doc.OnSaveDocument(path) && opened.OnOpenDocument(path)) << doc.LastError() << opened.LastError();
  EXPECT_EQ(Dump(opened), Dump(doc));
  return {ReadFile(path), Dump(doc)};
}
// A child process that saves doc to path and ends, with status 0 when it saved.
pid_t SaveInChild(CPlenkoDoc& doc, const std::string& path) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(doc.OnSaveDocument(path) ? 0 : 3);
  return child;
}

TEST(CrashSafeSaveTest, ASaveKilledAtAnyMomentLeavesTheOldOrTheNewDocument) {
  RegisterPersistentTypes();
  store::SetMaximumUndoOperations(0);  // no undo history: the documents are only built and saved
  std::string folder = (fs::temp_directory_path() / "virlo-crash-XXXXXX").string();
  ASSERT_NE(::mkdtemp(folder.data()), nullptr);
  const std::string name = "doc.vrl", path = folder + "/" + name;
  const auto leftovers = [&] {  // every other file in the folder
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(folder)) found.push_back(e.path().filename().string());
    found.erase(std::remove(found.begin(), found.end(), name), found.end());
    return found;
  };
  CPlenkoDoc oldDoc, newDoc;
  ASSERT_TRUE(oldDoc.OnNewDocument() && newDoc.OnNewDocument());
  Draw(oldDoc, 0), Draw(newDoc, 100);
  int status = 0, foundOld = 0, foundNew = 0, finished = 0, leftBehind = 0;
  const auto start = std::chrono::steady_clock::now();  // a full save, timed as the rounds do it
  ASSERT_TRUE(::waitpid(SaveInChild(newDoc, path), &status, 0) > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const long long saveTime = (std::chrono::steady_clock::now() - start) / std::chrono::microseconds(1);
  const auto [fileB, dumpB] = SaveAndCheck(newDoc, path);
  const auto [fileA, dumpA] = SaveAndCheck(oldDoc, path);  // the old document is on disk
  ASSERT_TRUE(dumpA != dumpB && fileA != fileB && oldDoc.sheet->objects.Count() >= 3000);
  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<std::int64_t> delay(0, saveTime);
  for (int round = 0; round < 200; ++round) {
    const std::size_t before = leftovers().size();
    const pid_t child = SaveInChild(newDoc, path);
    ASSERT_GT(child, 0);
    ::usleep(static_cast<useconds_t>(delay(random)));
    ::kill(child, SIGKILL);
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) ? WEXITSTATUS(status) == 0 : WTERMSIG(status) == SIGKILL) << "the save failed";
    finished += WIFEXITED(status) ? 1 : 0;
    // Whatever the moment, the file opens as one of the two documents (equal bytes open to equal dumps).
    CPlenkoDoc opened;
    ASSERT_TRUE(opened.OnOpenDocument(path)) << "round " << round << ": " << opened.LastError();
    const std::string file = ReadFile(path), dump = file == fileA ? dumpA : file == fileB ? dumpB : Dump(opened);
    ASSERT_TRUE(dump == dumpB || (dump == dumpA && !WIFEXITED(status))) << "round " << round << ": not what was saved";
    ++(dump == dumpA ? foundOld : foundNew);
    const std::vector<std::string> left = leftovers();
    ASSERT_LE(left.size(), before + 1);  // only the killed save's temporary file may be left beside it
    leftBehind += static_cast<int>(left.size() - before);
    for (const std::string& f : left) EXPECT_TRUE(f.size() == 13 && f.starts_with(".virlo-")) << f;
    // A normal save beside them succeeds and puts the old document back, byte for byte.
    const bool restore = dump == dumpB || round % 4 == 0;
    ASSERT_TRUE(!restore || (oldDoc.OnSaveDocument(path) && ReadFile(path) == fileA)) << round << oldDoc.LastError();
    ASSERT_EQ(leftovers().size(), left.size()) << "the normal save left a file behind";
    if (left.size() >= 20) std::for_each(left.begin(), left.end(), [&](auto& f) { fs::remove(folder + "/" + f); });
  }
  std::printf(
      "200 killed saves: old document found %d times, new %d (%d saves ended first), %d temporary files "
      "left; a full save takes %lld us\n",
      foundOld, foundNew, finished, leftBehind, saveTime);
  EXPECT_GT(foundOld, 0) << "no save was interrupted";
  fs::remove_all(folder);
}

}  // namespace
}  // namespace virlo
