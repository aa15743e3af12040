// The marker, text and print dialogs as Qt dialogs, driven through their real
// widgets, with refusals shown as warning boxes while the dialog stays open;
// and a text box's text typed on the sheet, in the editor that the text box
// tool's click and the select tool's double click open in place.
#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <QToolButton>
#include <cmath>

#include "app/DesktopFixture.h"
#include "control/CommandIds.h"
#include "control/CommandTable.h"
#include "dialogs/FormatDialog.h"
#include "dialogs/ObjectDialogs.h"
#include "objects/Box.h"
#include "objects/Dot.h"
#include "objects/MarkerTable.h"
#include "objects/StrBox.h"
#include "store/Store.h"
#include "tools/DrawTool.h"
#include "view/QtDeviceContext.h"
#include "view/QtDialogRunner.h"

using namespace virlo;

class DialogsTest : public QObject, private test::AppFixture {
  Q_OBJECT

 public:
  using AppFixture::AppFixture;

 private:
  // What each showing of a dialog does; the names of the dialogs shown.
  std::function<void(QDialog&)> act_;
  QStringList shown_;

  Document* Doc() const { return Frame()->ActiveDocument(); }
  // The next dialogs shown are handed to act, which checks them as the user
  // sees them and acts; whatever it leaves open is cancelled.
  void OnShown(const std::function<void(QDialog&)>& act) {
    shown_.clear();
    act_ = [act](QDialog& dialog) {
      act(dialog);
      if (dialog.isVisible()) dialog.reject();
    };
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
    test::WhileModal<QMessageBox>([&dialog] { Click(dialog, "ok"); },
                                  [&text](QMessageBox& box) {
                                    text = box.text();
                                    box.button(QMessageBox::Ok)->click();
                                  });
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
  QWidget* Paper() const { return Frame()->ActiveView()->viewport(); }
  // The row of the sheet where the tests type, trailing blanks dropped.
  QString TypedRow(std::size_t row = 2) const {
    return QString::fromStdString(test::ArtRows(Doc()->sheet->MakeUtf8Text()).at(row));
  }
  // Each showing types its text into the editor and ends it with its key.
  void Typing(QStringList texts, QList<QKeyCombination> ends) {
    act_ = [texts, ends](QDialog& dialog) mutable {
      auto* edit = dialog.findChild<QWidget*>(QStringLiteral("text"));
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
    QVERIFY(dir_.isValid());
    QFile::remove(app_.SettingsPath());
    QVERIFY(app_.InitInstance({}));
    app_.Dialogs().SetShownHook([this](QDialog& dialog) {
      shown_.append(dialog.objectName());
      if (act_) act_(dialog);
    });
    Frame()->resize(640, 480);
  }
  // Every test starts on a new document with the text box tool.
  void init() {
    act_ = nullptr;
    AnswerNoAndKeepReports();
    QVERIFY(app_.CloseAllDocuments());
    QVERIFY(NewDocument() != nullptr);
    QVERIFY(Frame()->Dispatch(CommandId::ToolStrBox));
    shown_.clear();
  }

  // The list shows the marker table in order, in a fixed-pitch font, with the
  // dot's marker current; Cancel keeps the marker, a double click takes an entry.
  void markerDialog() {
    Dot* dot = store::New<Dot>(Doc()->GetDatabase(), Doc()->sheet, 40, 48, 9, nullptr);
    OnShown([](QDialog& dialog) {
      auto* list = Child<QListWidget>(dialog, "markerList");
      QCOMPARE(list->count(), MarkerTable::Count + 1);
      for (int i = 0; i < MarkerTable::Count; ++i) {
        QCOMPARE(list->item(i)->text(), QtDeviceContext::ToQString(MarkerTable::Entry(i)));
      }
      QCOMPARE(list->item(9)->text(), QStringLiteral("<  左矢"));
      QCOMPARE(list->item(MarkerTable::Count)->text(), QStringLiteral("   文字"));
      QCOMPARE(list->currentRow(), 9);
      QVERIFY2(QFontInfo(list->font()).fixedPitch(), qPrintable(QFontInfo(list->font()).family()));
      QCOMPARE(dialog.focusWidget(), list);
      QTest::keyClick(dialog.focusWidget(), Qt::Key_Down);
      QCOMPARE(list->currentRow(), 10);
      Click(dialog, "cancel");
    });
    QCOMPARE(ObjectDialogs::For(*dot)->DoModal(), DialogResult::Cancel);
    QCOMPARE(shown_.size(), 1);
    QCOMPARE(dot->marker, 9);
    OnShown([](QDialog& dialog) {
      auto* list = Child<QListWidget>(dialog, "markerList");
      list->scrollToItem(list->item(8));
      const QPoint at = list->visualItemRect(list->item(8)).center();
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
      QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    });
    QCOMPARE(ObjectDialogs::For(*dot)->DoModal(), DialogResult::Ok);
    QCOMPARE(dot->marker, 8);
    // Typing in the character field chooses the last entry; OK refuses two
    // characters on the field, and takes one.
    OnShown([](QDialog& dialog) {
      auto* list = Child<QListWidget>(dialog, "markerList");
      auto* character = Child<QLineEdit>(dialog, "markerCharacter");
      QVERIFY(character->text().isEmpty());
      // The field says what it is for, beside it.
      const auto* label = Child<QLabel>(dialog, "markerCharacterLabel");
      QVERIFY(label != nullptr && label->isVisible() && label->buddy() == character);
      QCOMPARE(label->text(), QStringLiteral("文字:"));
      QVERIFY(label->geometry().right() < character->geometry().left());
      Type(character, QStringLiteral("▼▼"));
      QCOMPARE(list->currentRow(), MarkerTable::Character);
      QVERIFY(ClickOk(dialog).contains(QStringLiteral("1 文字")));
      QCOMPARE(dialog.focusWidget(), character);
      Type(character, QStringLiteral("v"));
      QVERIFY(ClickOk(dialog).isEmpty());
    });
    QCOMPARE(ObjectDialogs::For(*dot)->DoModal(), DialogResult::Ok);
    QCOMPARE(dot->marker, MarkerTable::Character);
    QCOMPARE(dot->character, U'v');
  }
  // The format dialog opens on what the objects share: a box's stroke and
  // corners; for a box and a line of another stroke, no stroke. OK writes the
  // choices made, and only those.
  void formatDialog() {
    Box* box = store::New<Box>(Doc()->GetDatabase(), Doc()->sheet, 20, 24, 100, 88, nullptr);
    OnShown([](QDialog& dialog) {
      QVERIFY(Child<QRadioButton>(dialog, "stroke0")->isChecked());
      QVERIFY(Child<QRadioButton>(dialog, "corners0")->isChecked());
      Click(dialog, "stroke1");
      Click(dialog, "corners1");
      Click(dialog, "ok");
    });
    QCOMPARE(ObjectDialogs::For(*box)->DoModal(), DialogResult::Ok);
    QCOMPARE(box->left.GetStroke(), Stroke::Heavy);
    QCOMPARE(box->corners, static_cast<std::int32_t>(Box::Rounded));
    Line* line = store::New<Line>(Doc()->GetDatabase(), Doc()->sheet, 20, 120, 100, 120, nullptr, nullptr);
    OnShown([](QDialog& dialog) {
      for (int i = 0; i < StrokeCount; ++i)
        QVERIFY(!Child<QRadioButton>(dialog, ("stroke" + std::to_string(i)).c_str())->isChecked());
      QVERIFY(Child<QRadioButton>(dialog, "corners1")->isChecked());
      Click(dialog, "corners0");
      Click(dialog, "ok");
    });
    QCOMPARE(FormatDialog({box, line}).DoModal(), DialogResult::Ok);
    QCOMPARE(box->top.GetStroke(), Stroke::Heavy);
    QCOMPARE(line->GetStroke(), Stroke::Solid);
    QCOMPARE(box->corners, static_cast<std::int32_t>(Box::Square));
    // A line alone has no corners: they are greyed out, its stroke is not.
    OnShown([](QDialog& dialog) {
      QVERIFY(Child<QRadioButton>(dialog, "stroke0")->isEnabled());
      for (const char* name : {"corners0", "corners1"}) QVERIFY(!Child<QRadioButton>(dialog, name)->isEnabled());
      Click(dialog, "stroke3");
      Click(dialog, "ok");
    });
    QCOMPARE(ObjectDialogs::For(*line)->DoModal(), DialogResult::Ok);
    QCOMPARE(line->GetStroke(), Stroke::Dashed);
    OnShown([](QDialog& dialog) { QVERIFY(Child<QRadioButton>(dialog, "corners0")->isEnabled()); });
    QCOMPARE(FormatDialog({line, box}).DoModal(), DialogResult::Cancel);
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
    QCOMPARE(ObjectDialogs::For(*box)->DoModal(), DialogResult::Ok);
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
    QCOMPARE(ObjectDialogs::For(*box)->DoModal(), DialogResult::Cancel);
    QCOMPARE(shown_.size(), 1);
    QCOMPARE(box->GetText(), std::string("abc"));
    QCOMPARE(Corner(box), QPoint(24 + 4 * 8, 32 + 2 * 16));
    QVERIFY(box->frame == 1 && box->Has(DrawObj::Filled));
    OnShown([](QDialog& dialog) {
      Click(dialog, "frame");
      QCOMPARE(ClickOk(dialog), QString());
    });
    QCOMPARE(ObjectDialogs::For(*box)->DoModal(), DialogResult::Ok);
    QVERIFY(box->frame == 0 && !box->Has(DrawObj::Filled));
    QCOMPARE(box->GetText(), std::string("abc"));
  }
  // The text dialog holds its text to what a box takes. Typing and pasting
  // stop at 256 bytes of code page 932, a line break counting as CR LF; what
  // goes beyond is cut from the end of the insertion, never inside a
  // character, and one undo takes the whole paste back. OK refuses, with a
  // warning, a character code page 932 lacks and a text opened longer than the
  // limit (from a file): the dialog stays open and the box keeps its text.
  void textDialogLimits_data() {
    QTest::addColumn<QString>("opened");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("added");
    QTest::addColumn<bool>("paste");
    QTest::addColumn<bool>("atHome");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("warning");
    const QString a257(257, QLatin1Char('a'));
    const QString a255(255, QLatin1Char('a'));
    const QString a254(254, QLatin1Char('a'));
    const QString a250(250, QLatin1Char('a'));
    const QString kana255 = QStringLiteral("a") + QString(254, QChar(0x3042));
    const QString any = QStringLiteral("Gr\u00F6\u00DFe \u2022 \u2192 ab\U0001F600cd");
    const QString none;
    QTest::newRow("typed letters") << none << a255 << QStringLiteral("bc") << false << false << a255 + "b" << none;
    QTest::newRow("typed kana") << none << kana255 << QStringLiteral("\u3044b") << false << false
                                << kana255 + QStringLiteral("\u3044") << none;
    QTest::newRow("typed half-width kana")
        << none << a255 << QStringLiteral("\uFF71") << false << false << a255 + QStringLiteral("\uFF71") << none;
    QTest::newRow("line break too long") << none << a255 << QStringLiteral("\n") << false << false << a255 << none;
    QTest::newRow("line break fits") << none << a254 << QStringLiteral("\n") << false << false << a254 + "\n" << none;
    QTest::newRow("typed at the start") << none << a254 << QStringLiteral("bcd") << false << true << "bc" + a254
                                        << none;
    QTest::newRow("pasted kana") << none << a250 << QStringLiteral("bcd\u3042\u3044\u3046\u3048") << true << false
                                 << a250 + QStringLiteral("bcd\u3042\u3044\u3046") << none;
    QTest::newRow("pasted lines") << none << a250 << QStringLiteral("b\nc\nd") << true << false << a250 + "b\nc\n"
                                  << none;
    QTest::newRow("pasted pair") << none << a254 << QStringLiteral("b\U0001F600c") << true << false
                                 << a254 + QStringLiteral("b\U0001F600") << none;
    QTest::newRow("pasted at the start") << none << a254 << QStringLiteral("xyz") << true << true << "xy" + a254
                                         << none;
    QTest::newRow("any character") << none << none << any << false << false << any << none;
    QTest::newRow("a tab") << none << none << QStringLiteral("a\tb") << true << false << QStringLiteral("a\tb")
                           << QStringLiteral("\u30BF\u30D6");
    QTest::newRow("opened over 256 characters")
        << a257 << none << QStringLiteral("b") << false << false << a257 << QStringLiteral("256");
  }
  void textDialogLimits() {
    QFETCH(QString, opened);
    QFETCH(QString, start);
    QFETCH(QString, added);
    QFETCH(bool, paste);
    QFETCH(bool, atHome);
    QFETCH(QString, kept);
    QFETCH(QString, warning);
    StrBox* box = NewTextBox(opened.toStdString());
    OnShown([&](QDialog& dialog) {
      auto* edit = Child<QPlainTextEdit>(dialog, "text");
      QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
      edit->insertPlainText(start);
      if (atHome) QTest::keyClick(edit, Qt::Key_Home, Qt::ControlModifier);
      if (paste) {
        QApplication::clipboard()->setText(added);
        edit->paste();
      } else {
        Type(edit, added);
      }
      QCOMPARE(edit->toPlainText(), kept);
      // Nothing on the clipboard pastes nothing.
      QApplication::clipboard()->setMimeData(new QMimeData);
      edit->paste();
      QCOMPARE(edit->toPlainText(), kept);
      const QString refusal = ClickOk(dialog);
      QVERIFY2(warning.isEmpty() ? refusal.isEmpty() : refusal.contains(warning), qPrintable(refusal));
      QCOMPARE(dialog.isVisible(), !warning.isEmpty());
      edit->undo();
      if (paste) QCOMPARE(edit->toPlainText(), start);
    });
    QCOMPARE(ObjectDialogs::For(*box)->DoModal(), warning.isEmpty() ? DialogResult::Ok : DialogResult::Cancel);
    QCOMPARE(shown_.size(), 1);
    QCOMPARE(QString::fromStdString(box->GetText()), warning.isEmpty() ? QString(kept).replace("\n", "\r\n") : opened);
    QCOMPARE(box->frame, 1);
  }
  // Text print: the fields show the sheet in their order; 19 columns are
  // refused on their field; 20 x 20 writes 440 bytes.
  void printDialogWritesTheFile() {
    Document* doc = Doc();
    doc->sheet->SetTextFileName(String("shown.txt"));
    const QString path = Path(QStringLiteral("print.txt"));
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
    QVERIFY(Frame()->Dispatch(CommandId::FilePrint));
    QCOMPARE(shown_.size(), 1);
    QCOMPARE(doc->sheet->width, 20 * doc->sheet->cellWidth);
    QCOMPARE(doc->sheet->height, 20 * doc->sheet->cellHeight);
    QCOMPARE(QString::fromStdString(std::string(doc->sheet->textFileName.View())), path);
    QVERIFY(doc->IsModified());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), (QByteArray(20, ' ') + "\r\n").repeated(20));
  }
  // The text print in code page 932 says in the status bar how many
  // characters it wrote as their substitutes ("é", and "→" with no blank
  // after it to take its second byte); the one it can write as itself
  // ("日") is none of them.
  void printCountsSubstitutesInTheStatusBar() {
    NewTextBox("caf\u00E9 \u2192\u65E5");
    const QString path = Path(QStringLiteral("substitutes.txt"));
    OnShown([&path](QDialog& dialog) {
      auto* name = Child<QLineEdit>(dialog, "fileName");
      name->selectAll();
      QTest::keyClicks(name, path);
      QCOMPARE(ClickOk(dialog), QString());
    });
    Frame()->statusBar()->clearMessage();
    QVERIFY(Frame()->Dispatch(CommandId::FilePrint));
    QCOMPARE(shown_.size(), 1);
    const QString message = Frame()->statusBar()->currentMessage();
    QVERIFY2(message.contains(QStringLiteral(" 2 ")), qPrintable(message));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("cafe >\x93\xFA"));
  }
  // Enter breaks the line, Ctrl+Enter commits: one text box, one undo step.
  void clickTypesInPlaceAndCommits() {
    // On a Japanese desktop the dialog stays the default until the toggle.
    QVERIFY(!app_.TypeInPlace());
    QVERIFY(Frame()->Dispatch(CommandId::ViewTypeInPlace));
    QVERIFY(app_.TypeInPlace());
    QCOMPARE(QSettings(app_.SettingsPath(), QSettings::IniFormat).value("Settings/TypeInPlace").toBool(), true);
    Typing({QStringLiteral("ab\ncd")}, {QKeyCombination(Qt::ControlModifier, Qt::Key_Return)});
    Click({44, 40});
    QCOMPARE(shown_, QStringList{QStringLiteral("inPlaceEditor")});
    QCOMPARE(TypedRow(), QStringLiteral("     ab"));
    QCOMPARE(TypedRow(3), QStringLiteral("     cd"));
    QCOMPARE(Doc()->sheet->objects.Count(), 1);
    QVERIFY(Frame()->Dispatch(CommandId::EditUndo));
    QCOMPARE(Doc()->sheet->objects.Count(), 0);
    QVERIFY(!Doc()->CanUndo());
  }
  // A character the document cannot hold (a control character) is named
  // under the text as soon as it is typed, and so is the limit when the text
  // reaches it; the editing goes on until the text can be taken. Any other
  // character is taken.
  void refusedTextIsNamedAtOnce() {
    int showings = 0;
    act_ = [&showings](QDialog& dialog) {
      auto* edit = dialog.findChild<QTextEdit*>(QStringLiteral("text"));
      const auto* problem = dialog.findChild<QLabel*>(QStringLiteral("problem"));
      ++showings;
      QTest::keyClicks(edit, QStringLiteral("a"));
      QVERIFY(!problem->isVisible());
      edit->insertPlainText(QStringLiteral("\u20AC"));  // the euro sign, which code page 932 lacks
      QVERIFY(!problem->isVisible());
      edit->insertPlainText(QStringLiteral("\u001B"));
      QVERIFY(problem->isVisible() && problem->text().contains(QStringLiteral("U+001B")));
      QVERIFY(problem->geometry().top() >= edit->geometry().bottom());
      QTest::keyClick(edit, Qt::Key_Backspace);
      QVERIFY(!problem->isVisible());
      edit->insertPlainText(QString(300, QLatin1Char('b')));
      QVERIFY(problem->isVisible() && problem->text().contains(QStringLiteral("256")));
      QCOMPARE(edit->toPlainText().size(), 256);
      QVERIFY(edit->toPlainText().startsWith(QStringLiteral("a\u20ACbbb")));
      QTest::keyClick(edit, Qt::Key_Return, Qt::ControlModifier);
    };
    Click({44, 40});
    QCOMPARE(showings, 1);
    QCOMPARE(TypedRow().left(12), QStringLiteral("     a\u20ACbbbbb"));
  }
  // A problem stands under the text, whole, on lines of a readable width
  // however narrow the text, and the text keeps its size; so after a refused
  // Ctrl+Enter, when the editor comes back with the problem. Tab is refused
  // as it is typed; a tab pasted is named at once, and refused at Ctrl+Enter.
  void problemsShowWholeUnderTheText() {
    int showings = 0;
    int textHeight = 0;
    const auto shownWhole = [&textHeight](QDialog& dialog, const QString& expected) {
      const auto* edit = dialog.findChild<QTextEdit*>(QStringLiteral("text"));
      const auto* problem = dialog.findChild<QLabel*>(QStringLiteral("problem"));
      QVERIFY(dialog.isVisible() && problem->isVisible());
      QVERIFY2(problem->text().contains(expected), qPrintable(problem->text()));
      QCOMPARE(edit->height(), textHeight);
      QVERIFY(edit->width() > QFontMetrics(edit->font()).horizontalAdvance(edit->toPlainText()));
      QVERIFY(problem->geometry().top() > edit->geometry().bottom());
      QVERIFY(dialog.rect().contains(problem->geometry()));
      QVERIFY(problem->heightForWidth(problem->width()) <= problem->height());
      // Lines of many words: no more lines than a readable measure gives.
      const QFontMetrics words(problem->font());
      const int oneLine = words.horizontalAdvance(problem->text());
      QVERIFY2(problem->width() >= std::min(oneLine, words.averageCharWidth() * 40),
               qPrintable(QStringLiteral("%1 of %2").arg(problem->width()).arg(oneLine)));
    };
    const auto type = [&](QDialog& dialog) {
      auto* edit = dialog.findChild<QTextEdit*>(QStringLiteral("text"));
      ++showings;
      if (showings == 1) {
        QTest::keyClicks(edit, QStringLiteral("a"));
        textHeight = edit->height();
        QTest::keyClick(edit, Qt::Key_Tab);
        QCOMPARE(edit->toPlainText(), QStringLiteral("a"));
        shownWhole(dialog, QStringLiteral("タブ"));
        QTest::keyClicks(edit, QStringLiteral("b"));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("problem"))->isVisible(), false);
        QTest::keyClick(edit, Qt::Key_Backspace);
        edit->insertPlainText(QStringLiteral("\t"));
        shownWhole(dialog, QStringLiteral("タブ"));
        QTest::keyClick(edit, Qt::Key_Return, Qt::ControlModifier);
        return;
      }
      // Back after the refusal: the text as it was, the problem under it.
      QCOMPARE(edit->toPlainText(), QStringLiteral("a\t"));
      shownWhole(dialog, QString());
      QTest::keyClick(edit, Qt::Key_Backspace);
      QTest::keyClick(edit, Qt::Key_Return, Qt::ControlModifier);
    };
    // A check that fails leaves the editor: it must not wait for keys.
    act_ = [&type](QDialog& dialog) {
      type(dialog);
      if (QTest::currentTestFailed() && dialog.isVisible()) dialog.reject();
    };
    app_.SetTypeInPlace(true);
    Click({44, 40});
    QCOMPARE(showings, 2);
    QCOMPARE(TypedRow(), QStringLiteral("     a"));
  }
  // The editor stands where the text will land: each line at the baseline
  // and left edge the sheet gives it, one row apart. A band dragged with the
  // tool gives the editor its size, inside a frame.
  void editorStandsWhereTheTextLands_data() {
    QTest::addColumn<int>("zoom");
    QTest::newRow("actual size") << 100;
    QTest::newRow("200%") << 200;
  }
  void editorStandsWhereTheTextLands() {
    QFETCH(int, zoom);
    Frame()->ActiveView()->SetZoom(zoom);
    Frame()->ActiveView()->horizontalScrollBar()->setValue(0);
    Frame()->ActiveView()->verticalScrollBar()->setValue(0);
    const int pitch = 16 * zoom / 100;
    QRect band;
    act_ = [this, &band, pitch](QDialog& dialog) {
      auto* edit = dialog.findChild<QTextEdit*>(QStringLiteral("text"));
      QTest::keyClicks(edit, QStringLiteral("ab"));
      QTest::keyClick(edit, Qt::Key_Return);
      QTest::keyClicks(edit, QStringLiteral("cd"));
      const auto* box = dynamic_cast<const StrBox*>(Doc()->sheet->current);
      QVERIFY(box != nullptr);
      const QRect text = Frame()->ActiveView()->ViewportRect(box->TextRect());
      const QPoint origin = Paper()->mapToGlobal(text.topLeft());
      const QFontMetricsF metrics(edit->font());
      int row = 0;
      for (QTextBlock block = edit->document()->firstBlock(); block.isValid(); block = block.next()) {
        const QRectF area = edit->document()->documentLayout()->blockBoundingRect(block);
        const QTextLine line = block.layout()->lineAt(0);
        const QPointF at = QPointF(edit->viewport()->mapToGlobal(QPoint())) + area.topLeft() +
                           QPointF(line.x(), line.y() + line.ascent());
        const double sheet = origin.y() + row * pitch + (pitch - metrics.height()) / 2 + metrics.ascent();
        QVERIFY2(std::abs(at.y() - sheet) < 1, qPrintable(QStringLiteral("%1 %2").arg(at.y()).arg(sheet)));
        QCOMPARE(qRound(at.x()), origin.x());
        ++row;
      }
      QCOMPARE(row, 2);
      QCOMPARE(edit->font().pixelSize(), pitch);
      if (!band.isEmpty()) QVERIFY(edit->width() >= band.width() && edit->height() >= band.height());
      QTest::keyClick(edit, Qt::Key_Return, Qt::ControlModifier);
    };
    const QPoint at = Frame()->ActiveView()->ViewportPoint({44, 40});
    QTest::mousePress(Paper(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(Paper(), Qt::LeftButton, {}, at);
    QCOMPARE(TypedRow(3), QStringLiteral("     cd"));
    Frame()->ActiveView()->SetZoom(100);
    if (zoom != 100) return;
    // A band from cell (20, 6) to (40, 12), its frame: the text goes in the cells inside it.
    band = QRect(QPoint(21 * 8, 7 * 16), QPoint(40 * 8 - 1, 12 * 16 - 1));
    QTest::mousePress(Paper(), Qt::LeftButton, {}, QPoint(164, 104));
    QTest::mouseMove(Paper(), QPoint(250, 150));
    QMouseEvent move(QEvent::MouseMove, QPointF(324, 200), Paper()->mapToGlobal(QPointF(324, 200)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Paper(), &move);
    QTest::mouseRelease(Paper(), Qt::LeftButton, {}, QPoint(324, 200));
    QCOMPARE(TypedRow(7).mid(21), QStringLiteral("ab"));
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
      auto* edit = dialog.findChild<QTextEdit*>(QStringLiteral("text"));
      QCOMPARE(edit->toPlainText(), QStringLiteral("ab"));
      QTest::keyClicks(edit, QStringLiteral("c"));
      QTest::mouseClick(paper, Qt::LeftButton, {}, QPoint(400, 300));
      if (dialog.isVisible()) dialog.close();
    };
    QTest::mouseDClick(Paper(), Qt::LeftButton, {}, QPoint(44, 40));
    QCOMPARE(shown_, QStringList{QStringLiteral("inPlaceEditor")});
    QCOMPARE(TypedRow(), QStringLiteral("     abc"));
    // One undo step takes the edit back, the next the box.
    QVERIFY(Frame()->Dispatch(CommandId::EditUndo));
    QCOMPARE(TypedRow(), QStringLiteral("     ab"));

    shown_.clear();
    act_ = [](QDialog& dialog) { dialog.reject(); };
    QTest::mouseClick(Paper(), Qt::RightButton, {}, QPoint(44, 40));
    QCOMPARE(shown_.size(), 1);
    QVERIFY(shown_[0] != QStringLiteral("inPlaceEditor"));
  }
  // Every key of the main window pressed while a text is typed on the sheet,
  // on a new box and on an existing one, then committed or cancelled (Escape
  // leaves no new box): none reaches a command, and the box holds what was
  // typed or what it held.
  void keysWhileTypingInPlaceRunNoCommand() {
    app_.SetTypeInPlace(true);
    QList<int> fired;
    // Dropped however the test ends, as a failed check returns at once.
    QObject scope;
    const QMetaObject::Connection spy =
        connect(Frame(), &MainWindow::commandRequested, &scope, [&fired](int id) { fired.append(id); });
    QStringList keys;
    for (const CommandInfo& info : CommandTable::All()) {
      keys += QString::fromLatin1(info.keys).split(QStringLiteral("; "), Qt::SkipEmptyParts);
    }
    // Nothing on the clipboard: Qt's paste of it crashed the text edits.
    QApplication::clipboard()->setMimeData(new QMimeData);
    auto pressAllThen = [keys](QKeyCombination end) {
      return [keys, end](QDialog& dialog) {
        auto* edit = dialog.findChild<QTextEdit*>(QStringLiteral("text"));
        for (const QString& key : keys) QTest::keySequence(edit, QKeySequence(key, QKeySequence::PortableText));
        edit->setPlainText(QStringLiteral("xyz"));
        QTest::keyClick(edit, end.key(), end.keyboardModifiers());
      };
    };
    const QKeyCombination commit(Qt::ControlModifier, Qt::Key_Return);
    const QKeyCombination cancel(Qt::Key_Escape);
    act_ = pressAllThen(cancel);
    Click({44, 40});
    QCOMPARE(Doc()->sheet->objects.Count(), 0);
    act_ = pressAllThen(commit);
    Click({44, 40});
    QCOMPARE(TypedRow(), QStringLiteral("     xyz"));
    QVERIFY(Frame()->Dispatch(CommandId::ToolSelect));
    Typing({QStringLiteral("ab")}, {commit});
    act_ = pressAllThen(commit);
    QTest::mouseDClick(Paper(), Qt::LeftButton, {}, QPoint(44, 40));
    QCOMPARE(TypedRow(), QStringLiteral("     xyz"));
    act_ = pressAllThen(cancel);
    QTest::mouseDClick(Paper(), Qt::LeftButton, {}, QPoint(44, 40));
    QCOMPARE(TypedRow(), QStringLiteral("     xyz"));
    disconnect(spy);
    QCOMPARE(shown_.size(), 4);
    QCOMPARE(fired, QList<int>{CommandId::ToolSelect});  // the test's own, between the editings
    QCOMPARE(Doc()->sheet->objects.Count(), 1);
    QVERIFY(Frame()->ActiveView()->Controller().CurrentTool()->GetKind() == DrawTool::SelectKind);
  }
  // With the toggle off, a click opens the text dialog as before.
  void toggleOffBringsTheDialogBack() {
    QVERIFY(Frame()->Dispatch(CommandId::ViewTypeInPlace));
    act_ = [](QDialog& dialog) { dialog.reject(); };
    Click({44, 40});
    QVERIFY(Frame()->Dispatch(CommandId::ViewTypeInPlace));
    QCOMPARE(shown_.size(), 1);
    QVERIFY(shown_[0] != QStringLiteral("inPlaceEditor"));
    // A text box given no text is not made, by the dialog either.
    QCOMPARE(Doc()->sheet->objects.Count(), 0);
    QVERIFY(!Doc()->IsModified());
  }
};

int main(int argc, char** argv) { return test::RunSuite<DialogsTest>(argc, argv); }

#include "DialogsTest.moc"
