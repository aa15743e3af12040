// Typing a text box's text on the sheet: the text box tool's click and the
// select tool's double click open an editor in place, driven here by real
// mouse and key events.
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <functional>

#include "app/CMainFrame.h"
#include "app/CPlenkoApp.h"
#include "app/DesktopFixture.h"
#include "control/CommandIds.h"
#include "document/CPlenkoDoc.h"
#include "model/Sheet.h"
#include "objects/PersistentTypes.h"
#include "view/CPlenkoView.h"
#include "view/QtDialogRunner.h"

using namespace virlo;

class InPlaceTest : public QObject {
  Q_OBJECT

 public:
  explicit InPlaceTest(CPlenkoApp& app) : app_(app) {}

 private:
  CPlenkoApp& app_;
  // What each showing of a dialog does; the names of the dialogs shown.
  std::function<void(QDialog&)> act_;
  QStringList shown_;

  CMainFrame* Frame() const { return app_.MainFrame(); }
  CPlenkoDoc* Doc() const { return Frame()->ActiveDocument(); }
  QWidget* Paper() const { return Frame()->ActiveView()->viewport(); }
  QStringList Rows(int count) const {
    QStringList rows = QString::fromStdString(Doc()->sheet->MakeText()).split(QLatin1Char('\n')).mid(0, count);
    for (QString& row : rows) {
      while (row.endsWith(QLatin1Char(' '))) row.chop(1);
    }
    return rows;
  }
  // Each showing types its text into the editor and ends it with its key.
  void Typing(QStringList texts, QList<QKeyCombination> ends) {
    act_ = [texts, ends](QDialog& dialog) mutable {
      auto* edit = dialog.findChild<QPlainTextEdit*>(QStringLiteral("text"));
      if (edit == nullptr || texts.isEmpty()) {
        dialog.reject();
        return;
      }
      const QStringList lines = texts.takeFirst().split(QLatin1Char('\n'));
      for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClicks(edit, lines[i]);
      }
      const QKeyCombination end = ends.takeFirst();
      QTest::keyClick(edit, end.key(), end.keyboardModifiers());
    };
  }
  void Click(QPoint at) {
    QTest::mousePress(Paper(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(Paper(), Qt::LeftButton, {}, at);
  }

 private slots:
  void initTestCase() {
    QFile::remove(app_.SettingsPath());
    QVERIFY(app_.InitInstance({}));
    app_.Dialogs().SetShownHook([this](QDialog& dialog) {
      shown_.append(dialog.objectName());
      if (act_) act_(dialog);
    });
    // On a Japanese desktop the dialog stays the default.
    QVERIFY(!app_.TypeInPlace());
    QVERIFY(Frame()->Dispatch(CommandId::ViewTypeInPlace));
    QVERIFY(app_.TypeInPlace());
    QSettings ini(app_.SettingsPath(), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("Settings/TypeInPlace")).toBool(), true);
    Frame()->resize(640, 480);
  }
  void init() {
    shown_.clear();
    QVERIFY(app_.FileNew() != nullptr);
    QVERIFY(Frame()->Dispatch(CommandId::ToolStrBox));
  }
  void cleanup() {
    app_.saveQuestion = [](const QString&) { return int(QMessageBox::No); };
    QVERIFY(app_.CloseAllDocuments());
  }

  // Enter breaks the line, Ctrl+Enter commits: one text box, one undo step.
  void clickTypesInPlaceAndCommits() {
    Typing({QStringLiteral("ab\ncd")}, {QKeyCombination(Qt::ControlModifier, Qt::Key_Return)});
    Click({44, 40});
    QCOMPARE(shown_, QStringList{QStringLiteral("inPlaceEditor")});
    QCOMPARE(Rows(4).mid(2, 2), (QStringList{"     ab", "     cd"}));
    QCOMPARE(Doc()->sheet->objects.Count(), 1);
    QVERIFY(Frame()->Dispatch(CommandId::EditUndo));
    QCOMPARE(Doc()->sheet->objects.Count(), 0);
    QVERIFY(!Doc()->CanUndo());
  }
  // Escape leaves nothing behind: no box, no undo step, the art unchanged.
  void escapeCreatesNothing() {
    Typing({QStringLiteral("zz")}, {QKeyCombination(Qt::Key_Escape)});
    Click({44, 40});
    QCOMPARE(shown_.size(), 1);
    QCOMPARE(Doc()->sheet->objects.Count(), 0);
    QVERIFY(!Doc()->CanUndo() && !Doc()->IsModified());
  }
  // A character the document cannot hold is refused where it was typed, and
  // the editing goes on until the text can be taken.
  void refusedTextKeepsEditing() {
    int showings = 0;
    act_ = [&showings](QDialog& dialog) {
      auto* edit = dialog.findChild<QPlainTextEdit*>(QStringLiteral("text"));
      const auto* problem = dialog.findChild<QLabel*>(QStringLiteral("problem"));
      ++showings;
      if (showings == 1) {
        QTest::keyClicks(edit, QStringLiteral("a"));
        edit->insertPlainText(QStringLiteral("\u20AC"));  // the euro sign is not in code page 932
      } else {
        QVERIFY(problem->isVisible() && problem->text().contains(QStringLiteral("シフト JIS")));
        QTest::keyClick(edit, Qt::Key_Backspace);
      }
      QTest::keyClick(edit, Qt::Key_Return, Qt::ControlModifier);
    };
    Click({44, 40});
    QCOMPARE(showings, 2);
    QCOMPARE(Rows(3).at(2), QStringLiteral("     a"));
  }
  // The select tool's double click edits an existing text in place; a click
  // elsewhere commits it. The right button still opens the dialog.
  void doubleClickEditsAndAClickElsewhereCommits() {
    Typing({QStringLiteral("ab")}, {QKeyCombination(Qt::ControlModifier, Qt::Key_Return)});
    Click({44, 40});
    QVERIFY(Frame()->Dispatch(CommandId::ToolSelect));
    shown_.clear();
    QWidget* paper = Paper();
    act_ = [paper](QDialog& dialog) {
      auto* edit = dialog.findChild<QPlainTextEdit*>(QStringLiteral("text"));
      QCOMPARE(edit->toPlainText(), QStringLiteral("ab"));
      QTest::keyClicks(edit, QStringLiteral("c"));
      QTest::mouseClick(paper, Qt::LeftButton, {}, QPoint(400, 300));
      if (dialog.isVisible()) dialog.close();
    };
    QTest::mouseDClick(Paper(), Qt::LeftButton, {}, QPoint(44, 40));
    QCOMPARE(shown_, QStringList{QStringLiteral("inPlaceEditor")});
    QCOMPARE(Rows(3).at(2), QStringLiteral("     abc"));
    // One undo step takes the edit back, the next the box.
    QVERIFY(Frame()->Dispatch(CommandId::EditUndo));
    QCOMPARE(Rows(3).at(2), QStringLiteral("     ab"));

    shown_.clear();
    act_ = [](QDialog& dialog) { dialog.reject(); };
    QTest::mouseClick(Paper(), Qt::RightButton, {}, QPoint(44, 40));
    QCOMPARE(shown_.size(), 1);
    QVERIFY(shown_[0] != QStringLiteral("inPlaceEditor"));
  }
  // With the toggle off, a click opens the text dialog as before.
  void toggleOffBringsTheDialogBack() {
    QVERIFY(Frame()->Dispatch(CommandId::ViewTypeInPlace));
    act_ = [](QDialog& dialog) { dialog.reject(); };
    Click({44, 40});
    QVERIFY(Frame()->Dispatch(CommandId::ViewTypeInPlace));
    QCOMPARE(shown_.size(), 1);
    QVERIFY(shown_[0] != QStringLiteral("inPlaceEditor"));
    // The dialog's Cancel keeps its empty box, as it always has.
    QCOMPARE(Doc()->sheet->objects.Count(), 1);
  }
};

int main(int argc, char** argv) { return test::RunSuite<InPlaceTest>(argc, argv); }

#include "InPlaceTest.moc"
