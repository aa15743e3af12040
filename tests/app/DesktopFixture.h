#pragma once

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <string>
#include <type_traits>

#include "app/CMainFrame.h"
#include "app/CPlenkoApp.h"
#include "app/GuiScript.h"
#include "document/CPlenkoDoc.h"
#include "model/Sheet.h"
#include "objects/PersistentTypes.h"
#include "platform/QueuedDialogRunner.h"
#include "view/CPlenkoView.h"

namespace virlo::test {

// What the suites that drive the main window share: the application, the
// runner that answers its dialogs, a folder of their own for files, and the
// warnings the program showed.
class DesktopFixture {
 public:
  DesktopFixture(CPlenkoApp& app, QueuedDialogRunner& dialogs) : app_(app), dialogs_(dialogs) {}

 protected:
  CPlenkoApp& app_;
  QueuedDialogRunner& dialogs_;
  QTemporaryDir dir_;
  QStringList reports_;

  CMainFrame* Frame() const { return app_.MainFrame(); }
  CPlenkoView* View() const { return Frame()->ActiveView(); }
  QString Path(const QString& name) const { return QDir(dir_.path()).filePath(name); }
  static std::string Art(const CPlenkoDoc* doc) { return doc->sheet->MakeText(); }
  CPlenkoDoc* NewDocument() {
    CPlenkoDoc* doc = app_.FileNew();
    QApplication::processEvents();
    return doc;
  }
  // Plays a session script on the active view; false, with the reason, when it does not run.
  bool Play(const std::string& script) {
    const std::string error = PlayScript(*Frame(), dialogs_, script);
    if (!error.empty()) qWarning("%s", error.c_str());
    return error.empty();
  }
};

// The main of a Qt test suite: the offscreen platform unless another is
// named, Qt's test paths (never the user's settings or recent files), the
// application, and the suite built from it (with a dialog runner when it
// takes one).
template <class Suite>
int RunSuite(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  StartStore();
  QStandardPaths::setTestModeEnabled(true);
  CPlenkoApp app(argc, argv);
  if constexpr (std::is_constructible_v<Suite, CPlenkoApp&, QueuedDialogRunner&>) {
    QueuedDialogRunner dialogs;
    Suite suite(app, dialogs);
    return QTest::qExec(&suite, argc, argv);
  } else {
    Suite suite(app);
    return QTest::qExec(&suite, argc, argv);
  }
}

}  // namespace virlo::test
