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
  // The next dialogs shown are handed to act; whatever act leaves open is cancelled.
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
  // Clicks OK and answers the warning box that comes up; its text, or "" when none came.
  static QString OkRefused(QDialog& dialog) {
    QString text;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&text] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        text = box->text() + QLatin1Char('|') + QString::number(int(box->icon()));
        box->button(QMessageBox::Ok)->click();
      }
    });
    poll.start(10);
    Click(dialog, "ok");
    return text;
  }
  StrBox* NewTextBox(const char* text) {
    StrBox* box = store::New<StrBox>(Doc()->GetDatabase(), Doc()->sheet, 24, 32, 0, 0, String(text), nullptr);
    box->alignment = StrBox::AlignCentre, box->frame = 1;
    box->Resize({24, 32, 120, 128});  // larger than its text until something refits it
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

  // The list shows the table in order with the dot's marker current; OK takes the clicked entry.
  void markerDialogOkTakesTheClickedEntry() {
    Dot* dot = store::New<Dot>(Doc()->GetDatabase(), Doc()->sheet, 40, 48, 9, nullptr);
    QStringList items;
    int current = -1;
    QString pitch;
    OnShown([&](QDialog& dialog) {
      auto* list = Child<QListWidget>(dialog, "markerList");
      QVERIFY(list != nullptr);
      for (int i = 0; i < list->count(); ++i) items.append(list->item(i)->text());
      current = list->currentRow();
      pitch = QFontInfo(list->font()).family() + (QFontInfo(list->font()).fixedPitch() ? " fixed" : " proportional");
      list->scrollToItem(list->item(8));
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(8)).center());
      QCOMPARE(list->currentRow(), 8);
      Click(dialog, "ok");
    });
    QCOMPARE(dot->Edit()->DoModal(), DialogResult::Ok);
    QCOMPARE(shown_, 1);
    QStringList table;
    for (std::int32_t t = 0; t < MarkerTable::Count; ++t)
      table.append(QtDeviceContext::ToQString(MarkerTable::Entry(t)));
    QCOMPARE(items, table);
    QCOMPARE(items.value(9), QStringLiteral("<  左矢"));
    QCOMPARE(current, 9);
    QCOMPARE(dot->marker, 8);
    QVERIFY2(pitch.endsWith(QStringLiteral(" fixed")), qPrintable(pitch));
  }
  void markerDialogCancelKeepsTheMarker() {
    Dot* dot = store::New<Dot>(Doc()->GetDatabase(), Doc()->sheet, 40, 96, 9, nullptr);
    OnShown([](QDialog& d) { Child<QListWidget>(d, "markerList")->setCurrentRow(8), Click(d, "cancel"); });
    QCOMPARE(dot->Edit()->DoModal(), DialogResult::Cancel);
    QCOMPARE(shown_, 1);
    QCOMPARE(dot->marker, 9);
  }
  // The centred framed box opens with centre and frame pressed; Enter breaks the line.
  void textDialogTwoLines() {
    StrBox* box = NewTextBox("hello");
    QString checked;
    bool openAfterEnter = false;
    OnShown([&](QDialog& dialog) {
      for (const char* name : {"align1003", "align1004", "align1005", "frame"})
        checked += Child<QToolButton>(dialog, name)->isChecked() ? '1' : '0';
      auto* edit = Child<QPlainTextEdit>(dialog, "text");
      QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
      QTest::keyClick(edit, Qt::Key_Return);
      openAfterEnter = dialog.isVisible() && dialog.result() == 0;
      QTest::keyClicks(edit, QStringLiteral("world!"));
      Click(dialog, "ok");
    });
    QCOMPARE(box->Edit()->DoModal(), DialogResult::Ok);
    QCOMPARE(checked, QStringLiteral("0101"));
    QVERIFY(openAfterEnter);
    QCOMPARE(box->GetText(), std::string("hello\r\nworld!"));
    QCOMPARE(Corner(box), QPoint(24 + 7 * 8, 32 + 3 * 16));  // two lines of at most six characters
    QCOMPARE(box->alignment, std::int32_t{StrBox::AlignCentre});
    QCOMPARE(box->frame, 1);
    QVERIFY(box->Has(DrawObj::Filled));
  }
  void textDialogFrameOffClearsFilled() {
    StrBox* box = NewTextBox("hello");
    OnShown([](QDialog& d) { Click(d, "frame"), Click(d, "ok"); });
    QCOMPARE(box->Edit()->DoModal(), DialogResult::Ok);
    QCOMPARE(box->frame, 0);
    QVERIFY(!box->Has(DrawObj::Filled));
    QCOMPARE(box->GetText(), std::string("hello"));
  }
  // A character code page 932 lacks is refused; the dialog stays open.
  void textDialogRefusesWhatCodePage932Lacks() {
    const QString typed = QStringLiteral("ab\U0001F600cd");
    StrBox* box = NewTextBox("hello");
    QString warning, kept;
    bool open = false;
    OnShown([&](QDialog& dialog) {
      auto* edit = Child<QPlainTextEdit>(dialog, "text");
      QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
      for (int i = 0; i < typed.size(); ++i) {
        const bool pair = typed.at(i).isHighSurrogate();
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, typed.mid(i, pair ? 2 : 1), Qt::NoModifier);
        i += pair ? 1 : 0;
      }
      warning = OkRefused(dialog);
      open = dialog.isVisible() && dialog.result() == 0;
      kept = edit->toPlainText();
      Click(dialog, "cancel");
    });
    QCOMPARE(box->Edit()->DoModal(), DialogResult::Cancel);
    QVERIFY2(warning.endsWith(QLatin1Char('|') + QString::number(int(QMessageBox::Warning))), qPrintable(warning));
    QVERIFY(open);
    QCOMPARE(kept, typed);  // nothing dropped
    QCOMPARE(box->GetText(), std::string("hello"));
    QCOMPARE(box->frame, 1);
  }
  // The dialog opens with the focus in the text, first in the tab order:
  // typing goes there at once, and Enter starts a new line.
  void textDialogOpensOnTheText() {
    StrBox* box = NewTextBox("");
    QString focused;
    QStringList tabOrder;
    OnShown([&](QDialog& dialog) {
      QVERIFY(QTest::qWaitForWindowActive(&dialog));
      QWidget* focus = QApplication::focusWidget();
      QVERIFY(focus != nullptr);
      focused = focus->objectName();
      for (QWidget* w = dialog.nextInFocusChain(); w != &dialog; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) != 0 && !w->objectName().isEmpty()) tabOrder.append(w->objectName());
      }
      QTest::keyClicks(focus, QStringLiteral("ab"));
      QTest::keyClick(focus, Qt::Key_Return);
      QTest::keyClicks(focus, QStringLiteral("cd"));
      Click(dialog, "ok");
    });
    QCOMPARE(box->Edit()->DoModal(), DialogResult::Ok);
    QCOMPARE(focused, QStringLiteral("text"));
    QCOMPARE(tabOrder, (QStringList{"text", "align1003", "align1004", "align1005", "frame", "ok", "cancel"}));
    QCOMPARE(box->GetText(), std::string("ab\r\ncd"));
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
    QString shown;
    QString undone;
    OnShown([&](QDialog& dialog) {
      auto* edit = Child<QPlainTextEdit>(dialog, "text");
      edit->insertPlainText(start);
      if (atHome) QTest::keyClick(edit, Qt::Key_Home, Qt::ControlModifier);
      if (paste) {
        QApplication::clipboard()->setText(added);
        edit->paste();
      } else {
        for (const QChar ch : added) {
          if (ch == QLatin1Char('\n')) {
            QTest::keyClick(edit, Qt::Key_Return);
          } else {
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
          }
        }
      }
      shown = edit->toPlainText();
      if (shown != kept) return;  // left open, and so cancelled: OK would only warn
      Click(dialog, "ok");
      if (paste) {
        edit->undo();
        undone = edit->toPlainText();
      }
    });
    QCOMPARE(box->Edit()->DoModal(), DialogResult::Ok);
    QCOMPARE(shown, kept);
    QCOMPARE(QtDeviceContext::ToQString(box->GetText()), QString(kept).replace("\n", "\r\n"));
    if (paste) QCOMPARE(undone, start);
  }
  // A text opened longer than the limit (from a file) takes nothing more and is refused on OK.
  void textDialogRefusesAnOverlongText() {
    const std::string overlong(257, 'a');
    StrBox* box = NewTextBox(overlong.c_str());
    QString warning;
    QString kept;
    bool open = false;
    OnShown([&](QDialog& dialog) {
      auto* edit = Child<QPlainTextEdit>(dialog, "text");
      QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
      QTest::keyClicks(edit, QStringLiteral("b"));
      kept = edit->toPlainText();
      warning = OkRefused(dialog);
      open = dialog.isVisible() && dialog.result() == 0;
      Click(dialog, "cancel");
    });
    QCOMPARE(box->Edit()->DoModal(), DialogResult::Cancel);
    QCOMPARE(kept, QString::fromStdString(overlong));
    QVERIFY2(warning.contains(QStringLiteral("256")), qPrintable(warning));
    QVERIFY(open);
    QCOMPARE(box->GetText(), overlong);
  }
  void textDialogCancelRefits() {
    StrBox* box = NewTextBox("abc");
    box->flags &= ~std::uint32_t{DrawObj::Filled};
    OnShown([](QDialog& d) { QTest::keyClicks(Child<QPlainTextEdit>(d, "text"), "xyz"), Click(d, "cancel"); });
    QCOMPARE(box->Edit()->DoModal(), DialogResult::Cancel);
    QCOMPARE(shown_, 1);
    QCOMPARE(box->GetText(), std::string("abc"));
    QCOMPARE(Corner(box), QPoint(24 + 4 * 8, 32 + 2 * 16));
    QVERIFY(box->Has(DrawObj::Filled));  // in line with the frame switch again
  }
  // Text print: the fields show the sheet; 19 is refused on the columns field; 20 x 20 writes 440 bytes.
  void printDialogWritesTheFile() {
    CPlenkoDoc* doc = app_.FileNew();  // a blank sheet
    QApplication::processEvents();
    QVERIFY(doc != nullptr && Doc() == doc);
    doc->sheet->SetTextFileName(String("shown.txt"));
    const QString path = QDir(dir_.path()).filePath(QStringLiteral("print.txt"));
    QString opened, warning;
    bool open = false, columnsFocused = false;
    OnShown([&](QDialog& dialog) {
      auto* columns = Child<QSpinBox>(dialog, "columns");
      auto* rows = Child<QSpinBox>(dialog, "rows");
      auto* name = Child<QLineEdit>(dialog, "fileName");
      opened = columns->text() + '/' + rows->text() + '/' + name->text();
      columns->selectAll();
      QTest::keyClicks(columns, QStringLiteral("19"));
      warning = OkRefused(dialog);
      open = dialog.isVisible() && dialog.result() == 0;
      columnsFocused = dialog.focusWidget() == columns || dialog.focusWidget() == columns->findChild<QLineEdit*>();
      QTest::keyClicks(columns, QStringLiteral("20"));  // the refused entry is selected
      rows->selectAll();
      QTest::keyClicks(rows, QStringLiteral("20"));
      name->selectAll();
      QTest::keyClicks(name, path);
      Click(dialog, "ok");
    });
    QVERIFY(app_.MainFrame()->Dispatch(CommandId::FilePrint));
    QCOMPARE(shown_, 1);
    QCOMPARE(opened, QStringLiteral("78/64/shown.txt"));
    QVERIFY2(warning.contains(QStringLiteral("20")) && warning.contains(QStringLiteral("256")), qPrintable(warning));
    QVERIFY(open && columnsFocused);
    QCOMPARE(doc->sheet->width, 20 * doc->sheet->cellWidth);
    QCOMPARE(doc->sheet->height, 20 * doc->sheet->cellHeight);
    QCOMPARE(QString::fromStdString(std::string(doc->sheet->textFileName.View())), path);
    QVERIFY(doc->IsModified());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.size(), qint64{440});
    QCOMPARE(file.readAll(), (QByteArray(20, ' ') + "\r\n").repeated(20));
  }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  virlo::StartStore();
  QStandardPaths::setTestModeEnabled(true);  // never the user's recent-file list
  CPlenkoApp app(argc, argv);
  DialogsTest test(app);
  return QTest::qExec(&test, argc, argv);
}

#include "DialogsTest.moc"
