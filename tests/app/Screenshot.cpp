// Draws a session script in the real main window and saves a picture of it:
//   virlo-screenshot SCRIPT OUT.png [WIDTH HEIGHT]
#include <QFile>
#include <QMdiSubWindow>
#include <QScreen>
#include <cstdio>

#include "app/CMainFrame.h"
#include "app/CPlenkoApp.h"
#include "app/GuiScript.h"
#include "objects/PersistentTypes.h"
#include "platform/QueuedDialogRunner.h"
#include "store/Store.h"

int main(int argc, char** argv) {
  if (argc != 3 && argc != 5) {
    std::fputs("usage: virlo-screenshot SCRIPT OUT.png [WIDTH HEIGHT]\n", stderr);
    return 2;
  }
  virlo::store::Initialize();
  virlo::RegisterPersistentTypes();
  virlo::store::SetMaximumUndoOperations(32);
  virlo::CPlenkoApp app(argc, argv);
  virlo::QueuedDialogRunner dialogs;
  if (!app.InitInstance({})) return 1;
  virlo::CMainFrame* frame = app.MainFrame();
  if (argc == 5) frame->resize(std::atoi(argv[3]), std::atoi(argv[4]));
  QFile script(QString::fromLocal8Bit(argv[1]));
  if (!script.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 2;
  }
  QApplication::processEvents();
  const std::string error = virlo::test::PlayScript(*frame, dialogs, script.readAll().toStdString());
  if (!error.empty()) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  frame->UpdateCommandUi();
  QApplication::processEvents();
  if (!frame->grab().save(QString::fromLocal8Bit(argv[2]))) return 1;
  app.saveQuestion = [](const QString&) { return 0x00010000; };  // QMessageBox::No: leave without saving
  return 0;
}
