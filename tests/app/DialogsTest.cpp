// The marker, text and print dialogs as Qt dialogs, driven through their real
// widgets, with refusals shown as warning boxes while the dialog stays open.
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
  static W* Child(QDialog& dialog, const char* name) { return dialog.findChild<W*>(QString::fromLatin1(name)); }
  static void Click(QDialog& d, const char* name) { QTest::mouseClick(Child<QAbstractButton>(d, name), Qt::LeftButton); }
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
    for (std::int32_t t = 0; t < MarkerTable::Count; ++t) table.append(QtDeviceContext::ToQString(MarkerTable::Entry(t)));
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
  // Too long a text and a character code page 932 lacks are refused; the dialog stays open.
  void textDialogRefusals_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("named");
    QTest::newRow("257 bytes") << QString(257, QLatin1Char('a')) << QStringLiteral("256");
    QTest::newRow("emoji") << QStringLiteral("ab\U0001F600cd") << QString();
  }
  void textDialogRefusals() {
    QFETCH(QString, typed);
    QFETCH(QString, named);
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
    QVERIFY2(warning.contains(named), qPrintable(warning));
    QVERIFY(open);
    QCOMPARE(kept, typed);  // nothing dropped
    QCOMPARE(box->GetText(), std::string("hello"));
    QCOMPARE(box->frame, 1);
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
