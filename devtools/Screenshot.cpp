// Draws a session script in the real main window and saves a picture of it,
// or a picture of one of the dialogs as it opens:
//   virlo-screenshot SCRIPT OUT.png [WIDTH HEIGHT]
//   virlo-screenshot --dialog marker|text|print OUT.png
//   virlo-screenshot --import ART.txt OUT.png [WIDTH HEIGHT]
#include <QDialog>
#include <QFile>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QScreen>
#include <cstdio>
#include <string>

#include "app/Application.h"
#include "app/FileQuestions.h"
#include "app/GuiScript.h"
#include "app/MainWindow.h"
#include "objects/PersistentTypes.h"
#include "platform/QueuedDialogRunner.h"
#include "view/QtDialogRunner.h"
#include "view/SheetView.h"

namespace {

// Opens one dialog through the real commands and saves its picture.
int DialogShot(virlo::Application& app, const std::string& which, const QString& out) {
  virlo::MainWindow* frame = app.MainFrame();
  bool saved = false;
  app.Dialogs().SetShownHook([&](QDialog& dialog) {
    saved = dialog.grab().save(out);
    dialog.reject();
  });
  {
    // The diagram the dialog opens on; its own dialogs are answered from a queue.
    virlo::QueuedDialogRunner script;
    std::string setup;
    if (which == "marker") setup = "tool dot\ndrag 44 40 44 40\nanswer marker 9\nrpress 44 40\n";
    if (which == "text")
      setup = "tool strbox\nanswer text \"ブラウザ\\nbrowser\" center frame\npress 44 40\nrelease 44 40\n";
    virlo::test::PlayScript(*frame, script, setup);
  }
  if (which == "marker") frame->ActiveView()->Controller().OnRButtonDown(2, {44, 40});
  if (which == "text") frame->ActiveView()->Controller().OnRButtonDown(2, {60, 40});
  if (which == "print") frame->Dispatch(57607);
  return saved ? 0 : 1;
}

// Leaves without saving: the pictures are all that is wanted.
class LeaveUnsaved : public virlo::FileQuestions {
 public:
  LeaveUnsaved() : FileQuestions([] { return nullptr; }) {}
  int AskSaveChanges(const QString&) override { return QMessageBox::No; }
};

}  // namespace

int main(int argc, char** argv) {
  LeaveUnsaved unsaved;
  if (argc == 4 && std::string(argv[1]) == "--dialog") {
    virlo::StartStore();
    virlo::Application app(argc, argv);
    if (!app.InitInstance({})) return 1;
    app.SetFileQuestions(&unsaved);
    return DialogShot(app, argv[2], QString::fromLocal8Bit(argv[3]));
  }
  if ((argc == 4 || argc == 6) && std::string(argv[1]) == "--import") {
    virlo::StartStore();
    virlo::Application app(argc, argv);
    if (!app.InitInstance({QString::fromLocal8Bit(argv[2])})) return 1;
    virlo::MainWindow* frame = app.MainFrame();
    if (argc == 6) frame->resize(std::atoi(argv[4]), std::atoi(argv[5]));
    QApplication::processEvents();
    if (!frame->grab().save(QString::fromLocal8Bit(argv[3]))) return 1;
    app.SetFileQuestions(&unsaved);
    return 0;
  }
  if (argc != 3 && argc != 5) {
    std::fputs("usage: virlo-screenshot SCRIPT OUT.png [WIDTH HEIGHT]\n", stderr);
    return 2;
  }
  virlo::StartStore();
  virlo::Application app(argc, argv);
  virlo::QueuedDialogRunner dialogs;
  if (!app.InitInstance({})) return 1;
  virlo::MainWindow* frame = app.MainFrame();
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
  app.SetFileQuestions(&unsaved);
  return 0;
}
