// virlo: the desktop editor.
#include <QString>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "app/Application.h"
#include "objects/PersistentTypes.h"

namespace {

constexpr int ExitUsage = 2;

void PrintUsage(std::FILE* out) {
  std::fputs(
      "Usage: virlo [QT-OPTION]... [FILE.vrl | FILE:LINE]\n"
      "       virlo --new FILE:LINE\n"
      "       virlo --print FILE.vrl\n"
      "VIRLO, an editor for diagrams drawn as character art.\n"
      "Without a file it starts on a new document; with one it opens it.\n"
      "FILE:LINE opens the diagram block of a text file (a README, a source\n"
      "file's comment) that holds the line; Save writes it back into those lines.\n"
      "\n"
      "  --new FILE:LINE  a new diagram that Save puts into the file before LINE\n"
      "  --print FILE   show the document in the print preview to print it, then end\n"
      "  -h, --help     show this help and end\n"
      "  -v, --version  show the version and end\n"
      "\n"
      "Qt's common options, such as -platform NAME, -style NAME and -reverse,\n"
      "are handed to Qt. Exit status: 0 done, 1 the document could not be opened\n"
      "or the print preview was cancelled, 2 wrong usage.\n"
      "virlo-cli renders, dumps and scripts documents without a window.\n",
      out);
}

// Qt's own options, written with one dash or two; Qt removes them itself, but
// they must be known here so that anything else can be refused before Qt
// needs a display.
constexpr std::string_view QtOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry", "qwindowicon", "qwindowtitle",
    "style",    "stylesheet",         "session",       "display", "geometry",
};
constexpr std::string_view QtFlags[] = {"reverse", "widgetcount"};
// Qt also takes these as "-name=value".
constexpr std::string_view QtOptionsWithEquals[] = {"style", "stylesheet"};

template <std::size_t N>
bool Contains(const std::string_view (&names)[N], std::string_view name) {
  for (std::string_view known : names) {
    if (known == name) return true;
  }
  return false;
}

struct Arguments {
  enum class Action { Edit, Print, Help, Version, Wrong };
  Action action = Action::Edit;
  std::string file;                // the document to open or print; empty for a new one
  bool newDiagram = false;         // file names a line to put a new diagram before
  std::vector<char*> qtArguments;  // the program name and Qt's options, for QApplication
};

Arguments::Action Refuse(const char* format, std::string_view what) {
  std::fprintf(stderr, format, static_cast<int>(what.size()), what.data());
  std::fputs("Try 'virlo --help' for more information.\n", stderr);
  return Arguments::Action::Wrong;
}

// Reads the whole command line before Qt starts, so that help, the version
// and mistakes are answered without a display and without opening a window.
Arguments Parse(int argc, char** argv) {
  Arguments result;
  result.qtArguments.push_back(argv[0]);
  bool printAsked = false;
  bool optionsEnded = false;
  int files = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
    if (!isOption) {
      if (++files > 1 || printAsked) {
        result.action = Refuse("virlo: one document at a time; '%.*s' is one too many\n", arg);
        return result;
      }
      result.file = arg;
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "-h" || arg == "--help") {
      result.action = Arguments::Action::Help;
      return result;
    }
    if (arg == "-v" || arg == "--version") {
      result.action = Arguments::Action::Version;
      return result;
    }
    if (arg == "--new") {
      result.newDiagram = true;
      continue;
    }
    if (arg == "--print" || arg.starts_with("--print=")) {
      std::string_view file;
      if (arg == "--print") {
        if (i + 1 >= argc) {
          result.action = Refuse("virlo: option '%.*s' needs a file\n", arg);
          return result;
        }
        file = argv[++i];
      } else {
        file = arg.substr(std::string_view("--print=").size());
      }
      if (file.empty()) {
        result.action = Refuse("virlo: option '%.*s' needs a file\n", "--print");
        return result;
      }
      if (printAsked || files > 0) {
        result.action = Refuse("virlo: one document at a time; '%.*s' is one too many\n", file);
        return result;
      }
      result.file = file;
      result.action = Arguments::Action::Print;
      printAsked = true;
      continue;
    }
    const std::string_view name = arg.substr(arg.starts_with("--") ? 2 : 1);
    const std::size_t equals = name.find('=');
    if (equals != std::string_view::npos && Contains(QtOptionsWithEquals, name.substr(0, equals))) {
      result.qtArguments.push_back(argv[i]);
    } else if (Contains(QtFlags, name)) {
      result.qtArguments.push_back(argv[i]);
    } else if (Contains(QtOptionsWithValue, name)) {
      if (i + 1 >= argc) {
        result.action = Refuse("virlo: option '%.*s' needs a value\n", arg);
        return result;
      }
      result.qtArguments.push_back(argv[i]);
      result.qtArguments.push_back(argv[++i]);
    } else {
      result.action = Refuse("virlo: unknown option '%.*s'\n", arg);
      return result;
    }
  }
  if (result.newDiagram && (printAsked || result.file.empty())) {
    result.action = Refuse("virlo: option '%.*s' needs FILE:LINE, and no --print\n", "--new");
  }
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments = Parse(argc, argv);
  switch (arguments.action) {
    case Arguments::Action::Help:
      PrintUsage(stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    case Arguments::Action::Version:
      std::printf("virlo %s\n", VIRLO_VERSION);
      return std::fflush(stdout) == 0 ? 0 : 1;
    case Arguments::Action::Wrong:
      return ExitUsage;
    case Arguments::Action::Edit:
    case Arguments::Action::Print:
      break;
  }
  virlo::StartStore();

  // Qt sees only its own options: a document named like one of them stays ours.
  int qtArgc = static_cast<int>(arguments.qtArguments.size());
  arguments.qtArguments.push_back(nullptr);
  virlo::Application app(qtArgc, arguments.qtArguments.data());
  app.setApplicationVersion(QStringLiteral(VIRLO_VERSION));
  const QString file = QString::fromLocal8Bit(arguments.file);
  if (arguments.action == Arguments::Action::Print) return app.PrintDocumentFile(file) ? 0 : 1;
  QStringList files;
  if (!file.isEmpty()) files.append(file);
  const auto opening =
      arguments.newDiagram ? virlo::Application::Opening::NewDiagram : virlo::Application::Opening::Open;
  if (!app.InitInstance(files, virlo::Application::Start::OfferRecovery, opening)) return 1;
  return virlo::Application::exec();
}
