// Every golden session, played in-process, saved, opened and saved again.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "cli/ScriptRunner.h"
#include "document/DocumentDump.h"
#include "model/Sheet.h"
#include "objects/PersistentTypes.h"
#include "store/Store.h"

#ifndef VIRLO_GOLDEN_DIR
#define VIRLO_GOLDEN_DIR "tests/golden"
#endif

namespace virlo {
namespace {

namespace fs = std::filesystem;

// The sessions that end normally (a .status file marks an expected failure).
std::vector<std::string> Sessions() {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(VIRLO_GOLDEN_DIR, ec)) {
    fs::path status = e.path();
    if (e.path().extension() == ".script" && !fs::exists(status.replace_extension(".status"))) {
      names.push_back(e.path().stem().string());
    }
  }
  return names;
}

std::string Dump(const CPlenkoDoc& doc) {
  std::string json, error;
  EXPECT_TRUE(DocumentDump::Write(*doc.GetDatabase(), json, error)) << error;
  return json;
}

TEST(RoundTripSessions, TheGoldenFolderHoldsSessions) { EXPECT_GE(Sessions().size(), 20u) << VIRLO_GOLDEN_DIR; }

class RoundTripTest : public ::testing::TestWithParam<std::string> {};

TEST_P(RoundTripTest, TheSavedSessionOpensToTheSameArtAndSavesAgainUnchanged) {
  RegisterPersistentTypes();
  store::SetMaximumUndoOperations(32);
  std::ifstream in(fs::path(VIRLO_GOLDEN_DIR) / (GetParam() + ".script"), std::ios::binary);
  std::vector<cli::ScriptCommand> commands;
  std::string error, folder = (fs::temp_directory_path() / "virlo-trip-XXXXXX").string();
  ASSERT_TRUE(cli::Script::Parse({std::istreambuf_iterator<char>(in), {}}, commands, error)) << error;
  ASSERT_NE(::mkdtemp(folder.data()), nullptr);
  const std::string path = folder + "/trip.vrl";
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> sink(std::tmpfile(), &std::fclose);
  cli::ScriptRunner runner(sink.get(), sink.get());
  ASSERT_TRUE(runner.Start());
  runner.Run(commands);
  ASSERT_TRUE(runner.Document().OnSaveDocument(path)) << runner.Document().LastError();
  // An opened document has nothing picked; the rest comes back as it was.
  runner.Document().sheet->ClearSelection();
  const std::string art = runner.Document().sheet->MakeText(), dump = Dump(runner.Document());
  CPlenkoDoc opened, again;
  ASSERT_TRUE(opened.OnOpenDocument(path)) << opened.LastError();
  EXPECT_TRUE(opened.sheet->MakeText() == art && Dump(opened) == dump) << opened.sheet->MakeText();
  ASSERT_TRUE(opened.OnSaveDocument(path)) << opened.LastError();
  ASSERT_TRUE(again.OnOpenDocument(path)) << again.LastError();
  EXPECT_TRUE(again.sheet->MakeText() == art && Dump(again) == dump) << "saved again:\n" << Dump(again);
  fs::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Golden, RoundTripTest, ::testing::ValuesIn(Sessions()),
                         [](const ::testing::TestParamInfo<std::string>& p) { return p.param; });

}  // namespace
}  // namespace virlo
