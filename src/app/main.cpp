// virlo: the desktop editor.
#include <QCommandLineParser>
#include <cstdio>
#include <string_view>

#include "app/CPlenkoApp.h"
#include "objects/PersistentTypes.h"
#include "store/Store.h"

int main(int argc, char** argv) {
  // Help and version answer without a display.
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--version" || arg == "-v") {
      std::printf("virlo %s\n", VIRLO_VERSION);
      return 0;
    }
    if (arg == "--help" || arg == "-h") {
      std::printf(
          "Usage: virlo [FILE.vrl]\n"
          "       virlo --print FILE.vrl\n"
          "VIRLO, an editor for diagrams drawn as character art.\n"
          "Without a file it starts on a new document; with one it opens it.\n"
          "  --print FILE   show the document in the print preview, print it, then end\n"
          "  -h, --help     show this help\n"
          "  -v, --version  show the version\n");
      return 0;
    }
  }
  virlo::store::Initialize();
  virlo::RegisterPersistentTypes();
  if (virlo::store::WhichProduct() == 1) virlo::store::SetMaximumUndoOperations(32);

  virlo::CPlenkoApp app(argc, argv);
  app.setApplicationVersion(QStringLiteral(VIRLO_VERSION));
  QCommandLineParser parser;
  const QCommandLineOption print(QStringLiteral("print"), QStringLiteral("Print the document."), QStringLiteral("file"));
  parser.addOption(print);
  parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A VIRLO document (.vrl) to open."),
                               QStringLiteral("[file]"));
  parser.process(app);
  if (parser.isSet(print)) return app.PrintDocumentFile(parser.value(print)) ? 0 : 1;
  if (!app.InitInstance(parser.positionalArguments())) return 1;
  return virlo::CPlenkoApp::exec();
}
