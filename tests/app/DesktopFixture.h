#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHelpEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolTip>
#include <functional>
#include <string>
#include <type_traits>

#include "app/Application.h"
#include "app/GuiScript.h"
#include "app/MainWindow.h"
#include "control/CommandTable.h"
#include "document/Document.h"
#include "objects/PersistentTypes.h"
#include "objects/Sheet.h"
#include "platform/QueuedDialogRunner.h"
#include "support/ArtRows.h"
#include "view/SheetView.h"

namespace virlo::test {

// Answers the questions about files where a test gave an answer, and asks
// the user (the real message box or file dialog) where it gave none.
class AnsweredQuestions : public FileQuestions {
 public:
  using FileQuestions::FileQuestions;

  std::function<int(const QString& question)> saveQuestion;
  std::function<QString(bool save)> fileQuestion;
  std::function<int(const QString& question)> readOnlyQuestion;
  std::function<ChangedFile(const QString& question)> changedFileQuestion;
  std::function<LockedFile(const QString& question)> lockedFileQuestion;
  std::function<Recovery(const QString& question)> recoveryQuestion;
  std::function<ChangedBlock(const QString& question)> changedBlockQuestion;
  std::function<int(const QString& file, const QList<BlockChoice>& blocks)> blockChoice;
  std::function<void(const QString& message)> report;
  // The details of the last warning with a report function to answer it.
  QString reportDetails;

  int AskSaveChanges(const QString& question) override {
    return saveQuestion ? saveQuestion(question) : FileQuestions::AskSaveChanges(question);
  }
  QString AskFileName(bool save, const QString& proposed, const QString& filter) override {
    return fileQuestion ? fileQuestion(save) : FileQuestions::AskFileName(save, proposed, filter);
  }
  int AskSaveElsewhere(const QString& question) override {
    return readOnlyQuestion ? readOnlyQuestion(question) : FileQuestions::AskSaveElsewhere(question);
  }
  ChangedFile AskChangedFile(const QString& question) override {
    return changedFileQuestion ? changedFileQuestion(question) : FileQuestions::AskChangedFile(question);
  }
  LockedFile AskLockedFile(const QString& question) override {
    return lockedFileQuestion ? lockedFileQuestion(question) : FileQuestions::AskLockedFile(question);
  }
  Recovery AskRecovery(const QString& question) override {
    return recoveryQuestion ? recoveryQuestion(question) : FileQuestions::AskRecovery(question);
  }
  ChangedBlock AskChangedBlock(const QString& question) override {
    return changedBlockQuestion ? changedBlockQuestion(question) : FileQuestions::AskChangedBlock(question);
  }
  int ChooseBlock(const QString& file, const QList<BlockChoice>& blocks) override {
    return blockChoice ? blockChoice(file, blocks) : FileQuestions::ChooseBlock(file, blocks);
  }
  using FileQuestions::Report;
  void Report(const QString& message, const QString& details) override {
    if (report) {
      reportDetails = details;
      report(message);
      return;
    }
    FileQuestions::Report(message, details);
  }
};

// What every suite of the desktop program shares: the application, the
// answers to its questions about files, a folder of its own for files, and
// the warnings the program showed.
class AppFixture {
 public:
  explicit AppFixture(Application& app) : app_(app), questions_([&app]() -> QWidget* { return app.MainFrame(); }) {
    app_.SetFileQuestions(&questions_);
  }
  ~AppFixture() { app_.SetFileQuestions(nullptr); }
  AppFixture(const AppFixture&) = delete;
  AppFixture& operator=(const AppFixture&) = delete;

 protected:
  Application& app_;
  AnsweredQuestions questions_;
  QTemporaryDir dir_;
  QStringList reports_;

  MainWindow* Frame() const { return app_.MainFrame(); }
  SheetView* View() const { return Frame()->ActiveView(); }
  QString Path(const QString& name) const { return QDir(dir_.path()).filePath(name); }
  static std::string Art(const Document* doc) { return doc->sheet->MakeText(); }
  // Row r of a document's art, and its first rows, trailing blanks dropped.
  static std::string Row(const Document* doc, std::size_t r) { return ArtRows(Art(doc)).at(r); }
  static std::vector<std::string> TopRows(const Document* doc, std::size_t count) {
    std::vector<std::string> rows = ArtRows(Art(doc));
    rows.resize(count);
    return rows;
  }
  Document* NewDocument() {
    Document* doc = app_.FileNew();
    QApplication::processEvents();
    return doc;
  }
  // Warnings are written down; questions about saving are answered No.
  void AnswerNoAndKeepReports() {
    reports_.clear();
    questions_.report = [this](const QString& message) { reports_.append(message); };
    questions_.saveQuestion = [](const QString&) { return int(QMessageBox::No); };
  }
};

// The suites that play session scripts, with their answers queued.
class DesktopFixture : public AppFixture {
 public:
  DesktopFixture(Application& app, QueuedDialogRunner& dialogs) : AppFixture(app), dialogs_(dialogs) {}

 protected:
  QueuedDialogRunner& dialogs_;

  // Plays a session script on the active view; false, with the reason, when it does not run.
  bool Play(const std::string& script) {
    const std::string error = PlayScript(*Frame(), dialogs_, script);
    if (!error.empty()) qWarning("%s", error.c_str());
    return error.empty();
  }
};

// Runs show and hands act the first modal window of kind W that comes up
// meanwhile, closing it when act leaves it open; whether one came up.
template <class W = QWidget>
bool WhileModal(const std::function<void()>& show, const std::function<void(std::type_identity_t<W>&)>& act) {
  bool acted = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* modal = qobject_cast<W*>(QApplication::activeModalWidget());
    if (modal == nullptr || acted) return;
    acted = true;
    act(*modal);
    if (modal->isVisible()) modal->close();
  });
  poll.start(10);
  show();
  return acted;
}

// Widens a document's sheet and closes it with the real save question up,
// answered Cancel: the question and its Yes, No and Cancel buttons as shown.
// The document stays open.
inline QStringList SaveQuestionShown(Application& app, AnsweredQuestions& questions, Document* doc) {
  doc->sheet->width += doc->sheet->cellWidth;
  doc->UpdateModifiedFlag();
  questions.saveQuestion = nullptr;
  QStringList seen;
  WhileModal<QMessageBox>(
      [&app, doc] { QVERIFY(!app.CloseDocument(doc)); },
      [&seen](QMessageBox& box) {
        for (const QMessageBox::StandardButton button : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}) {
          seen.append(box.button(button)->text());
        }
        seen.prepend(box.text());
        box.button(QMessageBox::Cancel)->click();
      });
  return seen;
}

// The file types the real open dialog offers; it is then cancelled.
inline QStringList OpenDialogFilters(Application& app, AnsweredQuestions& questions) {
  const auto answer = questions.fileQuestion;
  questions.fileQuestion = nullptr;
  QStringList filters;
  WhileModal<QFileDialog>([&app] { app.FileOpen(); },
                          [&filters](QFileDialog& dialog) {
                            filters = dialog.nameFilters();
                            dialog.reject();
                          });
  questions.fileQuestion = answer;
  return filters;
}

// The tooltip a toolbar button shows under the mouse, "" when none.
inline QString ShownTooltip(QWidget* button) {
  const QPoint centre = button->rect().center();
  // A stand-in that only the button's own tooltip replaces.
  QToolTip::showText(button->mapToGlobal(centre), QStringLiteral("?"), button);
  QHelpEvent help(QEvent::ToolTip, centre, button->mapToGlobal(centre));
  QApplication::sendEvent(button, &help);
  const QString shown = QToolTip::text() == QStringLiteral("?") ? QString() : QToolTip::text();
  QToolTip::hideText();
  return shown;
}

// The menus and toolbars as the user finds them once the idle update has
// run: each menu's title, then its items in order (caption with its key, "-"
// for a separator, the other keys it takes, whether it is off or checked, its
// status tip), then each toolbar's buttons with their tooltips.
inline QStringList DescribeMenus(MainWindow& frame) {
  QApplication::processEvents();
  frame.UpdateCommandUi();
  QStringList lines;
  const auto moreKeys = [&frame](const QAction* action) {
    for (const CommandInfo& info : CommandTable::All()) {
      if (frame.Action(info.id) == action) return QString::fromLatin1(info.keys).section(QStringLiteral("; "), 1);
    }
    return QString();
  };
  const auto describe = [&lines, &moreKeys](const QAction* action, const QString& tip) {
    QString line = QStringLiteral("  ") + (action->isSeparator() ? QStringLiteral("-") : action->text());
    if (!moreKeys(action).isEmpty()) line += QStringLiteral(" [also ") + moreKeys(action) + QLatin1Char(']');
    if (!action->isEnabled()) line += QStringLiteral(" [off]");
    if (action->isChecked()) line += QStringLiteral(" [checked]");
    if (!tip.isEmpty()) line += QStringLiteral(" | ") + tip;
    lines.append(line);
  };
  for (QAction* title : frame.menuBar()->actions()) {
    lines.append(title->text());
    for (QAction* item : title->menu()->actions()) describe(item, item->statusTip());
  }
  for (QToolBar* bar : {frame.FileToolBar(), frame.DrawingToolBar()}) {
    lines.append(QStringLiteral("toolbar"));
    for (QAction* button : bar->actions()) {
      describe(button, button->isSeparator() ? QString() : ShownTooltip(bar->widgetForAction(button)));
    }
  }
  return lines;
}

// Compares lines with those of a file in tests/app/golden; with
// VIRLO_UPDATE_GOLDEN set, writes them there instead.
inline void CompareWithGolden(const QStringList& lines, const char* name) {
  QFile file(QStringLiteral(VIRLO_APP_GOLDEN "/") + QString::fromLatin1(name));
  if (qEnvironmentVariableIsSet("VIRLO_UPDATE_GOLDEN")) {
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(file.fileName()));
    file.write(lines.join(QLatin1Char('\n')).toUtf8() + '\n');
    return;
  }
  QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
  QCOMPARE(lines, QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts));
}

// The main of a Qt test suite: the offscreen platform unless another is
// named, Qt's test paths (never the user's settings or recent files), the
// application, and the suite built from it (with a dialog runner when it
// takes one).
template <class Suite>
int RunSuite(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  StartStore();
  QStandardPaths::setTestModeEnabled(true);
  Application app(argc, argv);
  if constexpr (std::is_constructible_v<Suite, Application&, QueuedDialogRunner&>) {
    QueuedDialogRunner dialogs;
    Suite suite(app, dialogs);
    return QTest::qExec(&suite, argc, argv);
  } else {
    Suite suite(app);
    return QTest::qExec(&suite, argc, argv);
  }
}

}  // namespace virlo::test
