// The marker, text and print dialogs as Qt dialogs, driven through their real
// widgets, with refusals shown as warning boxes while the dialog stays open.
#include <QClipboard>
#include <QDir>
#include <QFontInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "app/CMainFrame.h"
#include "app/CPlenkoApp.h"
#include "app/DesktopFixture.h"
#include "control/CommandIds.h"
#include "document/CPlenkoDoc.h"
#include "model/Sheet.h"
#include "objects/Dot.h"
#include "objects/MarkerTable.h"
#include "objects/PersistentTypes.h"
#include "objects/StrBox.h"
#include "store/Store.h"
#include "view/QtDeviceContext.h"
#include "view/QtDialogRunner.h"

using namespace virlo;

class DialogsTest : public QObject {
  Q_OBJECT

 public:
  explicit DialogsTest(CPlenkoApp& app) : app_(app) {}

 private:
  CPlenkoApp& app_;
  QTemporaryDir dir_;
  int shown_ = 0;

  CPlenkoDoc* Doc() const { return app_.MainFrame()->ActiveDocument(); }
  // The next dialogs shown are handed to act, which checks them as the user
  // sees them and acts; whatever it leaves open is cancelled.
  void OnShown(std::function<void(QDialog&)> act) {
    shown_ = 0;
    app_.Dialogs().SetShownHook([this, act](QDialog& dialog) {
      ++shown_;
      act(dialog);
      if (dialog.isVisible()) dialog.reject();
    });
  }
  template <class W>
  static W* Child(QDialog& dialog, const char* name) {
    return dialog.findChild<W*>(QString::fromLatin1(name));
  }
  static void Click(QDialog& d, const char* name) {
    QTest::mouseClick(Child<QAbstractButton>(d, name), Qt::LeftButton);
  }
  // Types text key by key: a line break as Return, a surrogate pair as one key.
  static void Type(QWidget* edit, const QString& text) {
    for (qsizetype i = 0; i < text.size(); i += text.at(i).isHighSurrogate() ? 2 : 1) {
      if (text.at(i) == QLatin1Char('\n')) {
        QTest::keyClick(edit, Qt::Key_Return);
      } else {
        const QString key = text.mid(i, text.at(i).isHighSurrogate() ? 2 : 1);
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, key, Qt::NoModifier);
      }
    }
  }
  // The named widgets that Tab reaches, in order.
  static QStringList TabOrder(QDialog& dialog) {
    QStringList names;
    for (QWidget* w = dialog.nextInFocusChain(); w != &dialog; w = w->nextInFocusChain()) {
      if ((w->focusPolicy() & Qt::TabFocus) != 0 && !w->objectName().startsWith(QLatin1String("qt_")) &&
          !w->objectName().isEmpty()) {
        names.append(w->objectName());
      }
    }
    return names;
  }
  // Clicks OK and answers the warning that comes up; its text, or "" when none came.
  static QString ClickOk(QDialog& dialog) {
    QString text;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&text] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box != nullptr && box->icon() == QMessageBox::Warning) {
        text = box->text();
        box->button(QMessageBox::Ok)->click();
      }
    });
    poll.start(10);
    Click(dialog, "ok");
    return text;
  }
  // A centred, framed text box, larger than its text until something refits it.
  StrBox* NewTextBox(const std::string& text) {
    StrBox* box = store::New<StrBox>(Doc()->GetDatabase(), Doc()->sheet, 24, 32, 0, 0, String(text.c_str()), nullptr);
    box->alignment = StrBox::AlignCentre;
    box->frame = 1;
    box->Resize({24, 32, 120, 128});
    return box;
  }
  static QPoint Corner(const StrBox* box) { return {box->OppositeCorner().x, box->OppositeCorner().y}; }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    QVERIFY(app_.InitInstance({}));
    QVERIFY(Doc() != nullptr && Doc()->sheet != nullptr);
  }
  void cleanup() { app_.Dialogs().SetShownHook(nullptr); }

  // The list shows the marker table in order, in a fixed-pitch font, with the
  // dot's marker current; Cancel keeps the marker, a double click takes an entry.
  void markerDialog() {
    Dot* dot = store::New<Dot>(Doc()->GetDatabase(), Doc()->sheet, 40, 48, 9, nullptr);
    OnShown([](QDialog& dialog) {
      auto* list = Child<QListWidget>(dialog, "markerList");
      QCOMPARE(list->count(), MarkerTable::Count);
      for (int i = 0; i < list->count(); ++i) {
        QCOMPARE(list->item(i)->text(), QtDeviceContext::ToQString(MarkerTable::Entry(i)));
      }
      QCOMPARE(list->item(9)->text(), QStringLiteral("<  左矢"));
      QCOMPARE(list->currentRow(), 9);
      QVERIFY2(QFontInfo(list->font()).fixedPitch(), qPrintable(QFontInfo(list->font()).family()));
      list->setCurrentRow(8);
      Click(dialog, "cancel");
    });
    QCOMPARE(dot->Edit()->DoModal(), DialogResult::Cancel);
    QCOMPARE(shown_, 1);
    QCOMPARE(dot->marker, 9);
    OnShown([](QDialog& dialog) {
      auto* list = Child<QListWidget>(dialog, "markerList");
      list->scrollToItem(list->item(8));
      const QPoint at = list->visualItemRect(list->item(8)).center();
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
      QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    });
    QCOMPARE(dot->Edit()->DoModal(), DialogResult::Ok);
    QCOMPARE(dot->marker, 8);
  }
  // A centred framed box opens with centre and frame pressed and the focus in
  // its text, first in the tab order: typing goes there at once, Enter starts
  // a new line, Tab leaves for the buttons, and OK keeps alignment and frame
  // and refits the box.
  void textDialogOpensOnTheText() {
    StrBox* box = NewTextBox("hello");
    OnShown([](QDialog& dialog) {
      QString checked;
      for (const char* name : {"align1003", "align1004", "align1005", "frame"}) {
        checked += Child<QToolButton>(dialog, name)->isChecked() ? '1' : '0';
      }
      QCOMPARE(checked, QStringLiteral("0101"));
      QCOMPARE(TabOrder(dialog), (QStringList{"text", "align1003", "align1004", "align1005", "frame", "ok", "cancel"}));
      QVERIFY(QTest::qWaitForWindowActive(&dialog));
      QWidget* focus = QApplication::focusWidget();
      QVERIFY(focus != nullptr);
      QCOMPARE(focus->objectName(), QStringLiteral("text"));
      QTest::keyClick(focus, Qt::Key_End, Qt::ControlModifier);
      Type(focus, QStringLiteral("\n"));
      QVERIFY(dialog.isVisible() && dialog.result() == 0);
      Type(focus, QStringLiteral("world!"));
      QTest::keyClick(focus, Qt::Key_Tab);  // on to the buttons, not into the text
      QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("align1003"));
      QCOMPARE(ClickOk(dialog), QString());
    });
    QCOMPARE(box->Edit()->DoModal(), DialogResult::Ok);
    QCOMPARE(box->GetText(), std::string("hello\r\nworld!"));
    QCOMPARE(Corner(box), QPoint(24 + 7 * 8, 32 + 3 * 16));  // two lines of at most six characters
    QCOMPARE(box->alignment, std::int32_t{StrBox::AlignCentre});
    QCOMPARE(box->frame, 1);
    QVERIFY(box->Has(DrawObj::Filled));
  }
  // Cancel keeps text and frame, but opening has refitted the box and its
  // filled flag; the frame switched off and OK clear both.
  void textDialogFrameAndCancel() {
    StrBox* box = NewTextBox("abc");
    box->flags &= ~std::uint32_t{DrawObj::Filled};
    OnShown([](QDialog& dialog) {
      Type(Child<QPlainTextEdit>(dialog, "text"), QStringLiteral("xyz"));
      Click(dialog, "frame");
      Click(dialog, "cancel");
    });
    QCOMPARE(box->Edit()->DoModal(), DialogResult::Cancel);
    QCOMPARE(shown_, 1);
    QCOMPARE(box->GetText(), std::string("abc"));
    QCOMPARE(Corner(box), QPoint(24 + 4 * 8, 32 + 2 * 16));
    QVERIFY(box->frame == 1 && box->Has(DrawObj::Filled));
    OnShown([](QDialog& dialog) {
      Click(dialog, "frame");
      QCOMPARE(ClickOk(dialog), QString());
    });
    QCOMPARE(box->Edit()->DoModal(), DialogResult::Ok);
    QVERIFY(box->frame == 0 && !box->Has(DrawObj::Filled));
    QCOMPARE(box->GetText(), std::string("abc"));
  }
  // OK refuses, with a warning, a character code page 932 lacks, and a text
  // opened longer than the limit (from a file), which takes nothing more; the
  // dialog stays open with what was typed, and the box keeps its text.
  void textDialogRefuses_data() {
    QTest::addColumn<QString>("opened");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("warning");
    const QString emoji = QStringLiteral("ab\U0001F600cd");
    const QString overlong(257, QLatin1Char('a'));
    QTest::newRow("not in code page 932") << QString() << emoji << emoji << QStringLiteral("JIS");
    QTest::newRow("over 256 bytes") << overlong << QStringLiteral("b") << overlong << QStringLiteral("256");
  }
  void textDialogRefuses() {
    QFETCH(QString, opened);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QFETCH(QString, warning);
    StrBox* box = NewTextBox(opened.toStdString());
    OnShown([&](QDialog& dialog) {
      auto* edit = Child<QPlainTextEdit>(dialog, "text");
      QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
      Type(edit, typed);
      QCOMPARE(edit->toPlainText(), kept);
      const QString refusal = ClickOk(dialog);
      QVERIFY2(refusal.contains(warning), qPrintable(refusal));
      QVERIFY(dialog.isVisible() && dialog.result() == 0);
    });
    QCOMPARE(box->Edit()->DoModal(), DialogResult::Cancel);
    QCOMPARE(shown_, 1);
    QCOMPARE(QString::fromStdString(box->GetText()), opened);
    QCOMPARE(box->frame, 1);
  }
  // Typing and pasting stop at 256 bytes of code page 932, a line break
  // counting as CR LF; what goes beyond is cut from the end of the insertion,
  // never inside a character, and one undo takes the whole paste back.
  void textDialogTakesAtMost256Bytes_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("added");
    QTest::addColumn<bool>("paste");
    QTest::addColumn<bool>("atHome");
    QTest::addColumn<QString>("kept");
    const QString a255(255, QLatin1Char('a'));
    const QString a254(254, QLatin1Char('a'));
    const QString a250(250, QLatin1Char('a'));
    const QString kana255 = QStringLiteral("a") + QString(127, QChar(0x3042));  // 1 + 127 x 2 bytes
    QTest::newRow("typed letters") << a255 << QStringLiteral("bc") << false << false << a255 + "b";
    QTest::newRow("typed kana") << kana255 << QStringLiteral("\u3044b") << false << false << kana255 + "b";
    QTest::newRow("typed half-width kana")
        << a255 << QStringLiteral("\uFF71") << false << false << a255 + QStringLiteral("\uFF71");
    QTest::newRow("line break too long") << a255 << QStringLiteral("\n") << false << false << a255;
    QTest::newRow("line break fits") << a254 << QStringLiteral("\n") << false << false << a254 + "\n";
    QTest::newRow("typed at the start") << a254 << QStringLiteral("bcd") << false << true << "bc" + a254;
    QTest::newRow("pasted kana") << a250 << QStringLiteral("bcd\u3042\u3044\u3046") << true << false
                                 << a250 + QStringLiteral("bcd\u3042");
    QTest::newRow("pasted lines") << a250 << QStringLiteral("b\nc\nd") << true << false << a250 + "b\nc\n";
    QTest::newRow("pasted pair") << a254 << QStringLiteral("b\U0001F600") << true << false << a254 + "b";
    QTest::newRow("pasted at the start") << a254 << QStringLiteral("xyz") << true << true << "xy" + a254;
  }
  void textDialogTakesAtMost256Bytes() {
    QFETCH(QString, start);
    QFETCH(QString, added);
    QFETCH(bool, paste);
    QFETCH(bool, atHome);
    QFETCH(QString, kept);
    StrBox* box = NewTextBox("");
    OnShown([&](QDialog& dialog) {
      auto* edit = Child<QPlainTextEdit>(dialog, "text");
      edit->insertPlainText(start);
      if (atHome) QTest::keyClick(edit, Qt::Key_Home, Qt::ControlModifier);
      if (paste) {
        QApplication::clipboard()->setText(added);
        edit->paste();
      } else {
        Type(edit, added);
      }
      QCOMPARE(edit->toPlainText(), kept);
      QCOMPARE(ClickOk(dialog), QString());
      edit->undo();
      if (paste) QCOMPARE(edit->toPlainText(), start);
    });
    QCOMPARE(box->Edit()->DoModal(), DialogResult::Ok);
    QCOMPARE(QtDeviceContext::ToQString(box->GetText()), QString(kept).replace("\n", "\r\n"));
  }
  // Text print: the fields show the sheet in their order; 19 columns are
  // refused on their field; 20 x 20 writes 440 bytes.
  void printDialogWritesTheFile() {
    CPlenkoDoc* doc = app_.FileNew();  // a blank sheet
    QApplication::processEvents();
    QVERIFY(doc != nullptr && Doc() == doc);
    doc->sheet->SetTextFileName(String("shown.txt"));
    const QString path = QDir(dir_.path()).filePath(QStringLiteral("print.txt"));
    OnShown([&path](QDialog& dialog) {
      auto* columns = Child<QSpinBox>(dialog, "columns");
      auto* rows = Child<QSpinBox>(dialog, "rows");
      auto* name = Child<QLineEdit>(dialog, "fileName");
      QCOMPARE(columns->text() + '/' + rows->text() + '/' + name->text(), QStringLiteral("78/64/shown.txt"));
      QCOMPARE(TabOrder(dialog), (QStringList{"ok", "cancel", "columns", "rows", "fileName"}));
      columns->selectAll();
      QTest::keyClicks(columns, QStringLiteral("19"));
      const QString warning = ClickOk(dialog);
      QVERIFY2(warning.contains(QStringLiteral("20")) && warning.contains(QStringLiteral("256")), qPrintable(warning));
      QVERIFY(dialog.isVisible() && dialog.result() == 0);
      QVERIFY(dialog.focusWidget() == columns || dialog.focusWidget() == columns->findChild<QLineEdit*>());
      QTest::keyClicks(columns, QStringLiteral("20"));  // the refused entry is selected
      rows->selectAll();
      QTest::keyClicks(rows, QStringLiteral("20"));
      name->selectAll();
      QTest::keyClicks(name, path);
      QCOMPARE(ClickOk(dialog), QString());
    });
    QVERIFY(app_.MainFrame()->Dispatch(CommandId::FilePrint));
    QCOMPARE(shown_, 1);
    QCOMPARE(doc->sheet->width, 20 * doc->sheet->cellWidth);
    QCOMPARE(doc->sheet->height, 20 * doc->sheet->cellHeight);
    QCOMPARE(QString::fromStdString(std::string(doc->sheet->textFileName.View())), path);
    QVERIFY(doc->IsModified());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), (QByteArray(20, ' ') + "\r\n").repeated(20));
  }
};

int main(int argc, char** argv) { return test::RunSuite<DialogsTest>(argc, argv); }

#include "DialogsTest.moc"
