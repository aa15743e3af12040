// virlo-cli: the headless face of VIRLO.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Script.h"
#include "cli/ScriptRunner.h"
#include "objects/PersistentTypes.h"
#include "store/Store.h"

namespace {

constexpr int ExitUsage = 2;

void PrintUsage(std::FILE* out) {
  std::fputs(
      "Usage: virlo-cli COMMAND [ARGUMENTS]\n"
      "\n"
      "Commands:\n"
      "  run SCRIPT   replay a script of gestures and commands on a new document\n"
      "  --help       show this help\n"
      "  --version    show the version\n"
      "\n"
      "A script has one command a line ('#' starts a comment):\n"
      "  tool select|dot|line|box|strbox\n"
      "  press X Y, move X Y, release X Y, rpress X Y, rrelease X Y   [shift] [ctrl]\n"
      "  drag X0 Y0 X1 Y1 [shift] [ctrl]\n"
      "  copy, cut, paste, delete, front, back, undo, redo\n"
      "  answer ok | answer cancel | answer marker N\n"
      "  answer text \"TEXT\" [left|center|right] [frame|noframe]\n"
      "  show         print the character art\n",
      out);
}

int Run(const std::vector<std::string_view>& args) {
  if (args.size() != 1) {
    std::fputs("virlo-cli: usage: virlo-cli run SCRIPT\n", stderr);
    return ExitUsage;
  }
  const std::string path(args[0]);
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "virlo-cli: cannot read script '%s'\n", path.c_str());
    return ExitUsage;
  }
  std::ostringstream source;
  source << file.rdbuf();

  std::vector<virlo::cli::ScriptCommand> commands;
  std::string error;
  if (!virlo::cli::Script::Parse(source.str(), commands, error)) {
    std::fprintf(stderr, "virlo-cli: %s: %s\n", path.c_str(), error.c_str());
    return ExitUsage;
  }

  virlo::store::Initialize();
  virlo::RegisterPersistentTypes();
  if (virlo::store::WhichProduct() == 1) virlo::store::SetMaximumUndoOperations(32);
  virlo::cli::ScriptRunner runner(stdout, stderr);
  if (!runner.Start()) return 1;
  runner.Run(commands);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintUsage(stdout);
    return 0;
  }
  const std::string_view command = argv[1];
  const std::vector<std::string_view> args(argv + 2, argv + argc);
  if (command == "--help" || command == "-h" || command == "help") {
    PrintUsage(stdout);
    return 0;
  }
  if (command == "--version") {
    std::printf("virlo-cli %s\n", VIRLO_VERSION);
    return 0;
  }
  if (command == "run") return Run(args);
  std::fprintf(stderr, "virlo-cli: unknown command '%s'\n", argv[1]);
  PrintUsage(stderr);
  return ExitUsage;
}
