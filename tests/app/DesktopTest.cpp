// The desktop program driven through its real windows: mouse events on the
// view, keys on the main window, menus, the save prompt and document files.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/CPlenkoApp.h"
#include "app/GuiScript.h"
#include "control/CommandIds.h"
#include "document/CPlenkoDoc.h"
#include "model/Sheet.h"
#include "objects/PersistentTypes.h"
#include "platform/QueuedDialogRunner.h"
#include "store/Database.h"
#include "view/CPlenkoView.h"
#include "view/QtDeviceContext.h"

using namespace virlo;

namespace {

constexpr int FileClose = 57602, WindowNew = 57648, WindowTile = 57651;
const int ToolIds[] = {CommandId::ToolSelect, CommandId::ToolDot, CommandId::ToolLine, CommandId::ToolBox,
                       CommandId::ToolStrBox};

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override { return paints += event->type() == QEvent::Paint, false; }
};

}  // namespace

class DesktopTest : public QObject {
  Q_OBJECT

 public:
  DesktopTest(CPlenkoApp& app, QueuedDialogRunner& dialogs) : app_(app), dialogs_(dialogs) {}

 private:
  CPlenkoApp& app_;
  QueuedDialogRunner& dialogs_;
  QTemporaryDir dir_;

  CMainFrame* Frame() const { return app_.MainFrame(); }
  CPlenkoView* View() const { return Frame()->ActiveView(); }
  CPlenkoDoc* NewDocument() {
    CPlenkoDoc* doc = app_.FileNew();
    return QApplication::processEvents(), doc;
  }
  std::string Play(const std::string& script) { return test::PlayScript(*Frame(), dialogs_, script); }
  static std::string Art(const CPlenkoDoc* doc) { return doc->sheet->MakeText(); }
  // A real mouse event on the active view's viewport, at a client point:
  // 'p'ress, 'm'ove with the button held, 'r'elease, or 'h'over without a button.
  void Mouse(char kind, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    QWidget* target = View()->viewport();
    const auto type = kind == 'p' ? QEvent::MouseButtonPress : kind == 'r' ? QEvent::MouseButtonRelease : QEvent::MouseMove;
    const Qt::MouseButtons held = kind == 'p' || kind == 'm' ? Qt::MouseButtons(button) : Qt::NoButton;
    QMouseEvent event(type, at, target->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button, held, {});
    QApplication::sendEvent(target, &event);
  }
  // Steps such as "p 20 24;m 20 40;r 20 56".
  static QList<std::pair<char, QPoint>> Steps(const QString& gesture) {
    QList<std::pair<char, QPoint>> steps;
    for (const QString& step : gesture.split(';')) {
      const QStringList part = step.split(' ');
      steps.append({part[0].at(0).toLatin1(), QPoint(part[1].toInt(), part[2].toInt())});
    }
    return steps;
  }
  void Gesture(const QString& gesture) { for (const auto& [kind, at] : Steps(gesture)) Mouse(kind, at); }
  // The letter when the command's rule enables it (checks it, for check), '-' when not, '!' when its action disagrees.
  QChar Mark(int id, char letter, bool check = false) {
    Frame()->UpdateCommandUi();
    const CMainFrame::State state = Frame()->CommandState(id);
    const bool rule = check ? state.checked : state.enabled;
    const bool shown = check ? Frame()->Action(id)->isChecked() : Frame()->Action(id)->isEnabled();
    return rule != shown ? '!' : rule ? letter : '-';
  }
  // Copy, cut, delete, front, back.
  QString EditStates() {
    return QString(Mark(CommandId::EditCopy, 'C')) + Mark(CommandId::EditCut, 'X') + Mark(CommandId::EditDelete, 'D') +
           Mark(CommandId::BringToFront, 'F') + Mark(CommandId::SendToBack, 'B');
  }
  // The check marks of select, dot, line, frame and text frame.
  QString Tools() {
    return QString(Mark(ToolIds[0], 'S', true)) + Mark(ToolIds[1], 'P', true) + Mark(ToolIds[2], 'L', true) +
           Mark(ToolIds[3], 'F', true) + Mark(ToolIds[4], 'T', true);
  }
  // The menu bar's titles (index -1), or the captions of one menu.
  QStringList Menu(int index) const {
    const QList<QAction*> bar = Frame()->menuBar()->actions();
    QStringList texts;
    for (QAction* action : index < 0 ? bar : bar.value(index)->menu()->actions()) texts.append(action->text());
    return texts;
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    QFile::remove(app_.SettingsPath());
    QVERIFY(app_.InitInstance({}));
    QVERIFY(app_.Documents().size() == 1 && app_.Documents().front()->GetTitle() == "Plenko1" && View() != nullptr);
  }
  void init() {
    Frame()->resize(520, 420);
    Frame()->SetPositionText(QStringLiteral("-"));
    QApplication::processEvents();
  }
  void cleanup() {
    app_.saveQuestion = [](const QString&) { return int(QMessageBox::No); };
    app_.fileQuestion = [](bool) { return QString(); };
    QVERIFY(app_.CloseAllDocuments() && app_.Documents().empty());
    QApplication::processEvents();
  }
  // Each tool's gesture in a scrolled view lands at client point + scroll,
  // with an undo marker before every press and the pointer shown only on moves.
  void gestureInScrolledView_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<bool>("modifies");
    QTest::newRow("select") << "tool line\ndrag 20 184 52 184\ntool select" << "p 20 24;m 20 40;m 20 56;r 20 56" << true;
    QTest::newRow("dot") << "tool dot" << "p 12 24;r 12 24;p 36 24;m 60 56;r 60 56" << true;
    QTest::newRow("line") << "tool line" << "p 4 24;m 28 24;m 52 24;r 52 24" << true;
    QTest::newRow("box") << "tool box" << "p 4 24;m 20 40;m 36 56;r 36 56" << true;
    // A new text box alone does not mark the document modified.
    QTest::newRow("strbox") << "tool strbox\nanswer text \"hi\" left frame" << "p 4 24;r 4 24" << false;
  }
  void gestureInScrolledView() {
    QFETCH(QString, setup);
    QFETCH(QString, gesture);
    QFETCH(bool, modifies);
    const QPoint scroll(16, 160);
    // The reference: the same gesture at the sheet points, in an unscrolled view.
    CPlenkoDoc* reference = NewDocument();
    QCOMPARE(Play(setup.toStdString()), std::string());
    const std::string before = Art(reference);
    for (const auto& [kind, at] : Steps(gesture)) Mouse(kind, at + scroll);
    const std::string expected = Art(reference);
    QVERIFY(expected != before && expected.find_first_not_of(" \n") >= std::size_t{10 * 79});  // nothing above row 10
    CPlenkoDoc* doc = NewDocument();
    View()->horizontalScrollBar()->setValue(scroll.x());
    View()->verticalScrollBar()->setValue(scroll.y());
    QCOMPARE(QPoint(View()->horizontalScrollBar()->value(), View()->verticalScrollBar()->value()), scroll);
    QCOMPARE(Play(setup.toStdString()), std::string());
    doc->SetModifiedFlag(false);
    QString pane = Frame()->PositionText();
    for (const auto& [kind, at] : Steps(gesture)) {
      const int markers = doc->GetDatabase()->UndoMarkerCount();
      Mouse(kind, at);
      QCOMPARE(doc->GetDatabase()->UndoMarkerCount(), markers + (kind == 'p' ? 1 : 0));
      if (kind == 'm') pane = QString::asprintf("%4d,%4d", at.x() + scroll.x(), at.y() + scroll.y());
      QCOMPARE(Frame()->PositionText(), pane);
    }
    QCOMPARE(Art(doc), expected);
    QCOMPARE(doc->IsModified(), modifies);
  }
  // The coordinate pane during a drag, in the "  16,  32" form.
  void positionPane() {
    NewDocument();
    QCOMPARE(Play("tool box"), std::string());
    const QString panes[] = {"-", "-", "  16,  32", "   8,  16", "   8,  16", "   8,  16"};
    int i = 0;
    // No button held, press, two moves, release, no button held.
    for (const auto& [kind, at] : Steps("h 40 40;p 8 8;m 16 32;m 8 16;r 120 200;h 60 60")) {
      Mouse(kind, at);
      QCOMPARE(Frame()->PositionText(), panes[i++]);
    }
    // A right press starts no capture.
    Mouse('p', QPoint(60, 60), Qt::RightButton);
    Mouse('r', QPoint(60, 60), Qt::RightButton);
    Mouse('h', QPoint(64, 64));
    QCOMPARE(Frame()->PositionText(), QStringLiteral("   8,  16"));
  }
  // Enabling and check marks after picking a box and after a rubber band.
  void commandStatesAfterSelections() {
    CPlenkoDoc* doc = NewDocument();
    QCOMPARE(Play("tool box\ndrag 20 24 52 56\ntool line\ndrag 100 24 140 24"), std::string());
    for (int i = 0; i < 5; ++i) {
      Frame()->Action(ToolIds[i])->trigger();
      QCOMPARE(Tools(), QString("-----").replace(i, 1, QChar("SPLFT"[i])));
    }
    QCOMPARE(Mark(CommandId::EditPaste, 'V'), QChar('-'));  // nothing copied yet
    QVERIFY(Frame()->Dispatch(CommandId::ToolSelect));
    QCOMPARE(Tools(), QStringLiteral("S----"));
    QCOMPARE(EditStates(), QStringLiteral("-----"));
    Gesture("p 36 24;r 36 24");  // the box's top side
    QVERIFY(doc->sheet->current != nullptr);
    QCOMPARE(EditStates(), QStringLiteral("CXDFB"));
    Gesture("p 8 8;m 100 60;m 200 90;r 200 90");
    QVERIFY(doc->sheet->current == nullptr && !doc->sheet->selected.Empty());
    QCOMPARE(EditStates(), QStringLiteral("CXD--"));
    QCOMPARE(Tools(), QStringLiteral("S----"));
    QVERIFY(Frame()->Dispatch(CommandId::EditCopy));
    QCOMPARE(Mark(CommandId::EditPaste, 'V'), QChar('V'));
  }
  // A repaint of part of the window skips objects far from it; painting the
  // sheet piece by piece must still give exactly the pixels of one full paint,
  // with two-character markers at line ends, Japanese text and selection marks.
  void partialRepaintsMatchAFullPaint() {
    CPlenkoDoc* doc = NewDocument();
    Play("tool box\ndrag 20 24 100 88\n"
         "tool line\ndrag 100 56 180 56\nanswer marker 14\nrpress 180 56\n"
         "drag 140 56 140 136\nanswer marker 14\nrpress 140 136\n"
         "drag 220 24 220 120\nanswer marker 13\nrpress 220 24\n"
         "tool strbox\nanswer text \"日本語の\\nテキスト\" center frame\npress 196 168\nrelease 196 168\n"
         "tool dot\npress 300 40\nrelease 300 40\nanswer marker 14\nrpress 300 40\n"
         "tool select\ndrag 12 16 190 150\n");
    const Sheet* sheet = doc->sheet;
    QVERIFY(sheet->objects.Count() >= 6);
    QImage full(360, 240, QImage::Format_RGB32);
    full.fill(Qt::white);
    {
      QPainter painter(&full);
      QtDeviceContext dc(painter);
      sheet->Draw(dc);
    }
    QImage pieces(full.size(), QImage::Format_RGB32);
    pieces.fill(Qt::white);
    for (int y = 0; y < pieces.height(); y += 23) {
      for (int x = 0; x < pieces.width(); x += 37) {
        QPainter painter(&pieces);
        painter.setClipRect(x, y, 37, 23);
        QtDeviceContext dc(painter);
        sheet->Draw(dc);
      }
    }
    QCOMPARE(pieces, full);
  }

  // Ctrl+S chooses the select tool, Ctrl+U undoes; the shortcuts the menus show do nothing.
  void keys() {
    CPlenkoDoc* doc = NewDocument();
    int fileAsks = 0;
    app_.fileQuestion = [&fileAsks](bool) { return ++fileAsks, QString(); };
    const std::string blank = Art(doc);
    QCOMPARE(Play("tool box\ndrag 20 24 52 56\ntool line"), std::string());
    const std::string drawn = Art(doc);
    QVERIFY(drawn != blank && doc->IsModified());
    QCOMPARE(Tools(), QStringLiteral("--L--"));
    QTest::keyClick(Frame(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(Tools(), QStringLiteral("S----"));
    QVERIFY(doc->IsModified() && doc->IsUntitled());
    for (Qt::Key key : {Qt::Key_Z, Qt::Key_N, Qt::Key_O, Qt::Key_P, Qt::Key_T}) {
      QTest::keyClick(Frame(), key, Qt::ControlModifier);
      QCOMPARE(Art(doc), drawn);
      QCOMPARE(app_.Documents().size(), std::size_t{1});
      QCOMPARE(Tools(), QStringLiteral("S----"));
    }
    QCOMPARE(fileAsks, 0);
    QTest::keyClick(Frame(), Qt::Key_U, Qt::ControlModifier);
    QCOMPARE(Art(doc), blank);
    QTest::keyClick(Frame(), Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(Tools(), QStringLiteral("--L--"));
  }
  // Save, close and open again through the application; the path joins the recent files.
  void saveAndReopen() {
    CPlenkoDoc* doc = NewDocument();
    QCOMPARE(Play("tool box\ndrag 20 24 84 72\ntool line\ndrag 100 40 180 40\ntool dot\ndrag 28 120 28 120"), std::string());
    const std::string art = Art(doc);
    const QString path = QDir(dir_.path()).filePath(QStringLiteral("art.vrl"));
    int fileAsks = 0, saveAsks = 0;
    app_.fileQuestion = [&](bool save) { return ++fileAsks, save ? path : QString(); };
    app_.saveQuestion = [&saveAsks](const QString&) { return ++saveAsks, int(QMessageBox::Cancel); };
    QVERIFY(app_.SaveDocument(doc, false));
    QVERIFY(fileAsks == 1 && QFile::exists(path) && !doc->IsModified());
    QCOMPARE(app_.RecentFiles(), QStringList{QFileInfo(path).absoluteFilePath()});
    QVERIFY(app_.CloseAllDocuments());
    QVERIFY(saveAsks == 0 && View() == nullptr);  // nothing to save
    QVERIFY(Menu(0).contains(QStringLiteral("&1 art.vrl")));
    CPlenkoDoc* reopened = app_.OpenDocumentFile(path);
    QVERIFY(reopened != nullptr && reopened->GetTitle() == "art" && Frame()->ActiveDocument() == reopened);
    QCOMPARE(Art(reopened), art);
    QCOMPARE(app_.RecentFiles(), QStringList{QFileInfo(path).absoluteFilePath()});
  }
  // Closing a modified document asks once; Cancel keeps it, No closes it.
  void savePromptOnClose() {
    CPlenkoDoc* doc = NewDocument();
    QCOMPARE(Play("tool box\ndrag 20 24 52 56"), std::string());
    QVERIFY(doc->IsModified());
    QStringList asked;
    int answer = QMessageBox::Cancel;
    app_.saveQuestion = [&](const QString& text) { return asked.append(text), answer; };
    QVERIFY(Frame()->Dispatch(FileClose));
    QVERIFY(asked.size() == 1 && asked[0].contains(QString::fromStdString(doc->GetTitle())));
    QVERIFY(app_.Documents().size() == 1 && Frame()->ActiveDocument() == doc && doc->IsModified());
    answer = QMessageBox::No;
    Frame()->ActiveFrame()->close();  // the window's own close button
    QTRY_VERIFY(app_.Documents().empty());
    QVERIFY(asked.size() == 2 && View() == nullptr);
  }
  // The menus follow whether a document window is active, with captions as stored.
  void menusSwitch() {
    const QStringList none = {"ﾌｧｲﾙ(&F)", "表示(&V)", "ﾍﾙﾌﾟ(&H)"};
    QCOMPARE(Menu(-1), none);
    QCOMPARE(Menu(2), QStringList{"ﾊﾞｰｼﾞｮﾝ情報(Plenko)(&A)..."});
    NewDocument();
    QCOMPARE(Menu(-1), (QStringList{"ﾌｧｲﾙ(&F)", "編集(&E)", "表示(&V)", "ｳｨﾝﾄﾞｳ(&W)", "ﾍﾙﾌﾟ(&H)"}));
    QCOMPARE(Menu(0).mid(0, 8), (QStringList{"新規作成(&N)\tCtrl+N", "開く(&O)...\tCtrl+O", "閉じる(&C)",
                                            "上書き保存(&S)\tCtrl+S", "名前を付けて保存(&A)...", "",
                                            "テキスト印刷(&P)...\tCtrl+P", "クリップボード印刷（Y)\tCtrl+P"}));
    QCOMPARE(Menu(1), (QStringList{"元に戻す(&U)\tCtrl+Z", "もう一度(&R)\tCtrl+R", "", "切り取り(&X)\tCtrl+X",
                                   "ｺﾋﾟｰ(&C)\tCtrl+C", "貼り付け(&P)\tCtrl+V", "削除(&D)\tCtrl+D", "",
                                   "手前に移動(&T)\tCtrl+T", "奥に移動(&B)\tCtrl+B", "", "選択(&S)\tCtrl+G",
                                   "点(&P)\tCtrl+P", "線(&L)\tCtrl+L", "枠(&F)\tCtrl+F", "文字枠(&S)\tCtrl+S"}));
    QCOMPARE(Menu(3), (QStringList{"新しいｳｨﾝﾄﾞｳを開く(&N)", "重ねて表示(&C)", "並べて表示(&T)", "ｱｲｺﾝの整列(&A)"}));
    QCOMPARE(Menu(4), QStringList{"ﾊﾞｰｼﾞｮﾝ情報(Plenko) (&A)..."});
    QCOMPARE(Frame()->Action(CommandId::EditUndo)->text(), QStringLiteral("元に戻す(&U)\tCtrl+Z"));
    QCOMPARE(Mark(CommandId::EditUndo, 'U'), QChar('-'));
    QVERIFY(app_.CloseAllDocuments());
    QCOMPARE(Menu(-1), none);
    QCOMPARE(Menu(2), QStringList{"ﾊﾞｰｼﾞｮﾝ情報(Plenko)(&A)..."});
  }
  // A second window on one document shows and repaints the same art.
  void secondWindow() {
    CPlenkoDoc* doc = NewDocument();
    CPlenkoView* first = View();
    QVERIFY(Frame()->Dispatch(WindowNew));
    CPlenkoView* second = View();
    QVERIFY(second != first && second->GetDocument() == doc && doc->Views().size() == 2);
    QCOMPARE(Frame()->MdiArea()->subWindowList().size(), qsizetype{2});
    QVERIFY(Frame()->Dispatch(WindowTile));
    QTest::qWait(200);
    QVERIFY(first->viewport()->isVisible() && second->viewport()->isVisible() && View() == second);
    const QImage before = first->viewport()->grab().toImage();
    PaintCounter counter;
    first->viewport()->installEventFilter(&counter);
    QVERIFY(Frame()->Dispatch(CommandId::ToolBox));
    Gesture("p 20 24;m 60 72;r 60 72");
    QApplication::processEvents();
    QVERIFY(counter.paints > 0);
    const QImage after = first->viewport()->grab().toImage();
    QVERIFY(after != before);
    const QRect common = after.rect() & second->viewport()->rect();
    QCOMPARE(after.copy(common), second->viewport()->grab().toImage().copy(common));
    counter.paints = 0;
    QVERIFY(Frame()->Dispatch(CommandId::EditUndo));  // undo repaints every view
    QApplication::processEvents();
    QVERIFY(counter.paints > 0);
    QCOMPARE(first->viewport()->grab().toImage(), before);
  }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  virlo::StartStore();
  QStandardPaths::setTestModeEnabled(true);  // never the user's recent-file list
  CPlenkoApp app(argc, argv);
  QueuedDialogRunner dialogs;
  DesktopTest test(app, dialogs);
  return QTest::qExec(&test, argc, argv);
}

#include "DesktopTest.moc"
