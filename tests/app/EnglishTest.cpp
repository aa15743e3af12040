// The desktop program on a desktop that is not Japanese: menus, prompts,
// tooltips, the status bar, the about box, message boxes and dialogs in
// English, Qt's own buttons too.
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "app/CMainFrame.h"
#include "app/CPlenkoApp.h"
#include "app/CommandTable.h"
#include "app/DesktopFixture.h"
#include "control/CommandIds.h"
#include "document/CPlenkoDoc.h"
#include "model/Sheet.h"
#include "objects/Dot.h"
#include "objects/DotSelDialog.h"
#include "objects/MarkerTable.h"
#include "objects/PersistentTypes.h"
#include "store/Store.h"
#include "view/CPlenkoView.h"
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

class EnglishTest : public QObject {
  Q_OBJECT

 public:
  explicit EnglishTest(CPlenkoApp& app) : app_(app) {}

 private:
  CPlenkoApp& app_;
  QTemporaryDir dir_;

  CMainFrame* Frame() const { return app_.MainFrame(); }
  QStringList MenuTitles() const {
    QStringList titles;
    for (QAction* action : Frame()->menuBar()->actions()) titles.append(action->text());
    return titles;
  }
  QStringList Menu(int index) const {
    QStringList texts;
    for (QAction* action : Frame()->menuBar()->actions().at(index)->menu()->actions()) texts.append(action->text());
    return texts;
  }
  // Runs show, which opens a modal window, and hands that window to act once it is up.
  static void WhileModal(const std::function<void()>& show, const std::function<void(QWidget&)>& act) {
    bool acted = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr || acted) return;
      acted = true;
      act(*modal);
      if (modal->isVisible()) modal->close();
    });
    poll.start(10);
    show();
    QVERIFY(acted);
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    QCOMPARE(Translations::Installed(), UiLanguage::English);
    QVERIFY(app_.InitInstance({}));
    QVERIFY(Frame()->ActiveDocument() != nullptr);
    // Off a Japanese desktop, text is typed on the sheet by default.
    QVERIFY(app_.TypeInPlace());
  }

  // A caption from every menu, with and without a document; every command's
  // caption, prompt and tooltip, and the status bar, have no Japanese left.
  void menusAndPrompts() {
    QCOMPARE(MenuTitles(), (QStringList{"&File", "&Edit", "&View", "&Window", "&Help"}));
    QCOMPARE(Menu(0).first(), QStringLiteral("&New\tCtrl+N"));
    QCOMPARE(Menu(0).last(), QStringLiteral("E&xit"));
    QCOMPARE(Menu(1).first(), QStringLiteral("&Undo\tCtrl+Z"));
    QVERIFY(Menu(1).contains(QStringLiteral("Te&xt Box\tCtrl+S")));
    QCOMPARE(Menu(2), (QStringList{"&Toolbar", "&Status Bar", "", "Show as &Characters", "Type T&ext in Place"}));
    QCOMPARE(Menu(3).mid(0, 4), (QStringList{"&New Window", "&Cascade", "&Tile", "&Arrange Icons"}));
    QCOMPARE(Menu(4), QStringList{"&About Plenko..."});
    for (const CommandInfo& info : CommandTable::All()) {
      const QAction* action = Frame()->Action(info.id);
      QVERIFY(action != nullptr);
      QVERIFY2(IsAscii(action->text()) && IsAscii(action->statusTip()) && IsAscii(action->toolTip()),
               qPrintable(action->text() + " | " + action->statusTip() + " | " + action->toolTip()));
      if (*info.tooltip != '\0') QVERIFY(!action->toolTip().isEmpty());
    }
    QCOMPARE(Frame()->Action(CommandId::EditCopy)->statusTip(),
             QStringLiteral("Copy the selection and put it on the clipboard"));
    QCOMPARE(Frame()->Action(CommandId::ToolStrBox)->toolTip(), QStringLiteral("Text Box"));
    // The Window menu's entries for the windows.
    QVERIFY(Frame()->menuBar()->actions().at(3)->menu()->actions().last()->statusTip() ==
            QStringLiteral("Show this window"));
    QStringList panes;
    for (const QLabel* label : Frame()->statusBar()->findChildren<QLabel*>()) panes.append(label->text());
    QVERIFY2(panes.contains(QStringLiteral("Ready")) && panes.contains(QStringLiteral("KANA")),
             qPrintable(panes.join('|')));
    app_.saveQuestion = [](const QString&) { return int(QMessageBox::No); };
    QVERIFY(app_.CloseAllDocuments());
    QApplication::processEvents();
    QCOMPARE(MenuTitles(), (QStringList{"&File", "&View", "&Help"}));
    QCOMPARE(Menu(0).at(4), QStringLiteral("Recent File"));
    QVERIFY(app_.FileNew() != nullptr);
  }

  void aboutBox() {
    WhileModal([this] { Frame()->Dispatch(CommandId::AppAbout); },
               [](QWidget& about) {
                 QCOMPARE(about.windowTitle(), QStringLiteral("About Plenko"));
                 QCOMPARE(Texts(about), (QStringList{"VIRLO Version 1.7", "OK"}));
               });
  }

  // The save question with Qt's own buttons, a message of the core and a
  // message of the program.
  void messageBoxes() {
    CPlenkoDoc* doc = app_.FileNew();
    QVERIFY(doc != nullptr);
    doc->sheet->width += doc->sheet->cellWidth;
    doc->UpdateModifiedFlag();
    QVERIFY(doc->IsModified());
    app_.saveQuestion = nullptr;
    WhileModal([this, doc] { QVERIFY(!app_.CloseDocument(doc)); },
               [doc](QWidget& window) {
                 auto* box = qobject_cast<QMessageBox*>(&window);
                 QVERIFY(box != nullptr);
                 QCOMPARE(box->text(),
                          QStringLiteral("Save changes to %1?").arg(QString::fromStdString(doc->GetTitle())));
                 QCOMPARE(box->button(QMessageBox::Yes)->text(), QStringLiteral("&Yes"));
                 QCOMPARE(box->button(QMessageBox::No)->text(), QStringLiteral("&No"));
                 QCOMPARE(box->button(QMessageBox::Cancel)->text(), QStringLiteral("Cancel"));
                 box->button(QMessageBox::Cancel)->click();
               });
    QCOMPARE(std::count_if(app_.Documents().begin(), app_.Documents().end(),
                           [doc](const auto& open) { return open.get() == doc; }),
             1);
    app_.saveQuestion = [](const QString&) { return int(QMessageBox::No); };

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

    QStringList reports;
    app_.report = [&reports](const QString& message) { reports.append(message); };
    const QString missing = dir_.filePath(QStringLiteral("missing.vrl"));
    QVERIFY(app_.OpenDocumentFile(missing) == nullptr);
    app_.report = nullptr;
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.front().startsWith(QStringLiteral("Cannot open %1: ").arg(missing)), qPrintable(reports.front()));
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
      QTimer poll;
      QObject::connect(&poll, &QTimer::timeout, [&refusal] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || box->icon() != QMessageBox::Warning) return;
        refusal = box->windowTitle() + ": " + box->text();
        box->button(QMessageBox::Ok)->click();
      });
      poll.start(10);
      dialog.findChild<QPushButton*>(QStringLiteral("ok"))->click();
      dialog.reject();
    });
    QVERIFY(Frame()->Dispatch(CommandId::FilePrint));
    QCOMPARE(title, QStringLiteral("Print to Text"));
    QCOMPARE(labels, (QStringList{"OK", "Cancel", "Across:", "Down:", "File name:"}));
    QCOMPARE(refusal, QStringLiteral("Print to Text: Enter a whole number from 20 to 256."));

    CPlenkoDoc* doc = Frame()->ActiveDocument();
    Dot* dot = store::New<Dot>(doc->GetDatabase(), doc->sheet, 40, 48, 9, nullptr);
    QStringList entries;
    app_.Dialogs().SetShownHook([&](QDialog& dialog) {
      title = dialog.windowTitle();
      const auto* list = dialog.findChild<QListWidget*>(QStringLiteral("markerList"));
      for (int i = 0; i < list->count(); ++i) entries.append(list->item(i)->text());
      dialog.reject();
    });
    QCOMPARE(dot->Edit()->DoModal(), DialogResult::Cancel);
    app_.Dialogs().SetShownHook(nullptr);
    QCOMPARE(title, QStringLiteral("End Marker"));
    QCOMPARE(entries.size(), MarkerTable::Count);
    QCOMPARE(entries.at(0), QStringLiteral("+  join"));
    QCOMPARE(entries.at(9), QStringLiteral("<  left arrow"));
    QCOMPARE(entries.at(14), QStringLiteral("<> aggregation"));
    for (const QString& entry : entries) QVERIFY2(IsAscii(entry), qPrintable(entry));
  }
};

int main(int argc, char** argv) { return test::RunSuite<EnglishTest>(argc, argv); }

#include "EnglishTest.moc"
