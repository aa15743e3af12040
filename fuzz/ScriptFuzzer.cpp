// libFuzzer target: any bytes, read as a session script, are refused with a
// reason or, when they parse into at most 200 commands, played on a new
// document without a crash, a leak or undefined behaviour; the document it
// leaves is saved and must open again. Every file the session names (save,
// open, the text print's file) is put in a private folder, which is also the
// working directory while an input runs (a new document is named after it)
// and is emptied after each input so that inputs do not depend on each other.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "document/Document.h"
#include "objects/ClipboardSheet.h"
#include "objects/DrawObj.h"
#include "objects/PersistentTypes.h"
#include "objects/Sheet.h"
#include "script/Script.h"
#include "script/ScriptRunner.h"
#include "store/Store.h"

namespace {

namespace fs = std::filesystem;
using virlo::script::ScriptCommand;

constexpr std::size_t MaxCommands = 200;

std::string folder;         // the private folder
std::string home;           // the working directory of libFuzzer (corpus, crash files)
std::FILE* sink = nullptr;  // /dev/null

// A name in the private folder made from what the script wrote: characters
// other than letters, digits, '.', '-' and '_' become '_'. Names too long for
// the file system stay too long; an empty name stays empty.
std::string Confine(const std::string& written) {
  if (written.empty()) return written;
  std::string name;
  for (char ch : written.substr(0, 300)) {
    const bool plain = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '.' ||
                       ch == '-' || ch == '_';
    name += plain ? ch : '_';
  }
  // "." and ".." would name the folder itself or its parent.
  if (name == "." || name == "..") return folder + "/_";
  return folder + "/" + name;
}

void EmptyFolder() {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) fs::remove_all(entry.path(), ec);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // As virlo-cli starts.
  virlo::StartStore();
  folder = (fs::temp_directory_path() / "virlo-fuzz-script-XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr) std::abort();
  home = fs::current_path().string();
  sink = std::fopen("/dev/null", "w");
  if (sink == nullptr) std::abort();
  std::atexit([] {
    std::error_code ec;
    fs::remove_all(folder, ec);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<ScriptCommand> commands;
  std::string error;
  if (!virlo::script::Script::Parse(std::string(reinterpret_cast<const char*>(data), size), commands, error)) {
    if (error.empty()) std::abort();  // a refusal always gives its reason
    return 0;
  }
  if (commands.size() > MaxCommands) return 0;
  // The object clipboard lives for the whole process; each input starts, as
  // a new run of virlo-cli does, with it empty.
  virlo::clipboardSheet->DeleteObjects();
  bool files = false;
  for (ScriptCommand& command : commands) {
    if (command.kind == ScriptCommand::Kind::Save || command.kind == ScriptCommand::Kind::Open ||
        command.kind == ScriptCommand::Kind::AnswerPrint) {
      command.text = Confine(command.text);
    }
    files = files || command.kind == ScriptCommand::Kind::Save || command.kind == ScriptCommand::Kind::TextPrint;
  }
  if (::chdir(folder.c_str()) != 0) std::abort();
  {
    virlo::script::ScriptRunner runner(sink, sink);
    if (!runner.Start()) std::abort();
    runner.Run(commands);
    // Whatever a session built, once saved, opens again.
    const std::string final = folder + "/final.vrl";
    if (!runner.GetDocument().OnSaveDocument(final)) std::abort();
    virlo::Document reopened;
    if (!reopened.OnOpenDocument(final)) {
      std::fprintf(stderr, "a saved session does not open: %s\n", reopened.LastError().c_str());
      std::abort();
    }
    files = true;
  }
  if (::chdir(home.c_str()) != 0) std::abort();
  if (files) EmptyFolder();
  return 0;
}
