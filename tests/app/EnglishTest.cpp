// The desktop program on a desktop that is not Japanese: menus, prompts,
// tooltips, the status bar, the about box, message boxes and dialogs in
// English, Qt's own buttons too.
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <algorithm>

#include "app/DesktopFixture.h"
#include "control/CommandIds.h"
#include "control/CommandTable.h"
#include "dialogs/MarkerDialog.h"
#include "dialogs/ObjectDialogs.h"
#include "objects/Dot.h"
#include "objects/MarkerTable.h"
#include "store/Store.h"
#include "view/QtDialogRunner.h"
#include "view/Translations.h"

using namespace virlo;

namespace {

// True when text has no character outside ASCII: no Japanese text is left.
bool IsAscii(const QString& text) {
  for (const QChar ch : text) {
    if (ch.unicode() > 0x7F) return false;
  }
  return true;
}

// The texts of a widget's labels and buttons, in the order they were made.
QStringList Texts(const QWidget& widget) {
  QStringList texts;
  for (const QObject* child : widget.findChildren<QObject*>()) {
    if (const auto* label = qobject_cast<const QLabel*>(child); label != nullptr && !label->text().isEmpty()) {
      texts.append(label->text());
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(child)) texts.append(button->text());
  }
  return texts;
}

}  // namespace

class EnglishTest : public QObject, private test::AppFixture {
  Q_OBJECT

 public:
  using AppFixture::AppFixture;

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    QFile::remove(app_.SettingsPath());
    QCOMPARE(Translations::Installed(), UiLanguage::English);
    QVERIFY(app_.InitInstance({}));
    QVERIFY(Frame()->ActiveDocument() != nullptr);
    // Off a Japanese desktop, text is typed on the sheet by default.
    QVERIFY(app_.TypeInPlace());
  }

  // The menus and toolbars with a document and without, and every command's
  // caption, prompt and tooltip, and the status bar, have no Japanese left.
  void menusAndPrompts() {
    const QStringList shown = test::DescribeMenus(*Frame());
    for (const CommandInfo& info : CommandTable::All()) {
      const QAction* action = Frame()->Action(info.id);
      QVERIFY(action != nullptr);
      QVERIFY2(IsAscii(action->text()) && IsAscii(action->statusTip()) && IsAscii(action->toolTip()),
               qPrintable(action->text() + " | " + action->statusTip() + " | " + action->toolTip()));
      if (*info.tooltip != '\0') QVERIFY(!action->toolTip().isEmpty());
    }
    QStringList panes;
    for (const QLabel* label : Frame()->statusBar()->findChildren<QLabel*>()) panes.append(label->text());
    QVERIFY2(panes.contains(QStringLiteral("Ready")) && panes.contains(QStringLiteral("KANA")),
             qPrintable(panes.join('|')));
    AnswerNoAndKeepReports();
    QVERIFY(app_.CloseAllDocuments());
    test::CompareWithGolden(shown + test::DescribeMenus(*Frame()), "menus-en.txt");
    QVERIFY(app_.FileNew() != nullptr);
  }

  void aboutBox() {
    QString title;
    QStringList texts;
    QVERIFY(test::WhileModal([this] { Frame()->Dispatch(CommandId::AppAbout); },
                             [&](QWidget& about) {
                               title = about.windowTitle();
                               texts = Texts(about);
                             }));
    QCOMPARE(title, QStringLiteral("About Plenko"));
    QCOMPARE(texts, (QStringList{"VIRLO Version 1.7", "OK"}));
    QCOMPARE(test::OpenDialogFilters(app_, questions_), QStringList{"VIRLO Files (*.vrl)"});
  }

  // The save question with Qt's own buttons, a message of the core and a
  // message of the program.
  void messageBoxes() {
    Document* doc = NewDocument();
    const QString title = QString::fromStdString(doc->GetTitle());
    QCOMPARE(test::SaveQuestionShown(app_, questions_, doc),
             (QStringList{"Save changes to " + title + "?", "&Yes", "&No", "Cancel"}));
    QVERIFY(Frame()->ActiveDocument() == doc);
    AnswerNoAndKeepReports();

    QString caption;
    QString text;
    app_.Dialogs().SetShownHook([&](QDialog& box) {
      caption = box.windowTitle();
      text = qobject_cast<QMessageBox*>(&box)->text();
      box.accept();
    });
    Frame()->ActiveView()->Controller().PasteArt("");
    app_.Dialogs().SetShownHook(nullptr);
    QCOMPARE(caption, QStringLiteral("Paste as Diagram"));
    QCOMPARE(text, QStringLiteral("There is no diagram on the clipboard"));

    const QString missing = Path(QStringLiteral("missing.vrl"));
    QVERIFY(app_.OpenDocumentFile(missing) == nullptr);
    QCOMPARE(reports_.size(), 1);
    QVERIFY2(reports_.front().startsWith(QStringLiteral("Cannot open %1: ").arg(missing)),
             qPrintable(reports_.front()));
  }

  // The core's dialogs: captions, labels, buttons, the marker list and a refusal.
  void dialogs() {
    QString refusal;
    QStringList labels;
    QString title;
    app_.Dialogs().SetShownHook([&](QDialog& dialog) {
      title = dialog.windowTitle();
      labels = Texts(dialog);
      dialog.findChild<QSpinBox*>(QStringLiteral("columns"))->setValue(5);
      test::WhileModal<QMessageBox>([&dialog] { dialog.findChild<QPushButton*>(QStringLiteral("ok"))->click(); },
                                    [&refusal](QMessageBox& box) {
                                      refusal = box.windowTitle() + ": " + box.text();
                                      box.button(QMessageBox::Ok)->click();
                                    });
      dialog.reject();
    });
    QVERIFY(Frame()->Dispatch(CommandId::FilePrint));
    QCOMPARE(title, QStringLiteral("Print to Text"));
    QCOMPARE(labels, (QStringList{"OK", "Cancel", "Across:", "Down:", "File name:"}));
    QCOMPARE(refusal, QStringLiteral("Print to Text: Enter a whole number from 20 to 256."));

    Document* doc = Frame()->ActiveDocument();
    Dot* dot = store::New<Dot>(doc->GetDatabase(), doc->sheet, 40, 48, 9, nullptr);
    QStringList entries;
    app_.Dialogs().SetShownHook([&](QDialog& dialog) {
      title = dialog.windowTitle();
      const auto* list = dialog.findChild<QListWidget*>(QStringLiteral("markerList"));
      for (int i = 0; i < list->count(); ++i) entries.append(list->item(i)->text());
      dialog.reject();
    });
    QCOMPARE(ObjectDialogs::For(*dot)->DoModal(), DialogResult::Cancel);
    app_.Dialogs().SetShownHook(nullptr);
    QCOMPARE(title, QStringLiteral("End Marker"));
    QCOMPARE(entries.size(), MarkerTable::Count + 1);
    QCOMPARE(entries.at(0), QStringLiteral("+  join"));
    QCOMPARE(entries.at(MarkerTable::Count), QStringLiteral("   character"));
    QCOMPARE(entries.at(9), QStringLiteral("<  left arrow"));
    QCOMPARE(entries.at(14), QStringLiteral("<> aggregation"));
    for (const QString& entry : entries) QVERIFY2(IsAscii(entry), qPrintable(entry));
  }
};

int main(int argc, char** argv) { return test::RunSuite<EnglishTest>(argc, argv); }

#include "EnglishTest.moc"
