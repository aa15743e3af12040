// The desktop program as the recovery tests run it: recovery copies every
// few milliseconds, a session script (the first argument) played on its first
// document through the real windows, then the event loop until it is killed;
// with "end", it prints its copy's path once written and ends normally.
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <string>

#include "app/Application.h"
#include "app/GuiScript.h"
#include "app/MainWindow.h"
#include "document/Document.h"
#include "objects/PersistentTypes.h"
#include "platform/QueuedDialogRunner.h"

int main(int argc, char** argv) {
  const bool end = argc == 3 && std::string(argv[2]) == "end";
  if (argc != 2 && !end) {
    std::fputs("Usage: virlo_recovery_child SCRIPT-TEXT [end]\n", stderr);
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const std::string script = argv[1];
  virlo::StartStore();
  int qtArgc = 1;
  virlo::Application app(qtArgc, argv);
  app.SetRecoveryInterval(std::chrono::milliseconds(50));
  if (!app.InitInstance({})) return 1;
  virlo::QueuedDialogRunner dialogs;
  const std::string error = virlo::test::PlayScript(*app.MainFrame(), dialogs, script);
  if (!error.empty()) {
    std::fprintf(stderr, "virlo_recovery_child: %s\n", error.c_str());
    return 1;
  }
  if (end) {
    const virlo::Document* doc = app.Documents().front().get();
    auto* waiting = new QTimer(&app);
    QObject::connect(waiting, &QTimer::timeout, &app, [&app, doc] {
      const QString copy = app.RecoveryCopyOf(doc);
      if (copy.isEmpty()) return;
      std::printf("%s\n", qPrintable(copy));
      std::fflush(stdout);
      // Ends the event loop as the program's end does, without the questions of closing.
      QCoreApplication::exit(0);
    });
    waiting->start(std::chrono::milliseconds(10));
  }
  // A test that failed before its kill leaves no program behind for long.
  QTimer::singleShot(std::chrono::minutes(5), &app, &QCoreApplication::quit);
  return virlo::Application::exec();
}
