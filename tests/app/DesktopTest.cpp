// The desktop program driven through its real windows: mouse events on the
// view, keys on the main window, menus, the save prompt and document files.
#include <QCloseEvent>
#include <QDir>
#include <QImage>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QWheelEvent>

#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/CPlenkoApp.h"
#include "app/CommandTable.h"
#include "app/GuiScript.h"
#include "control/CommandIds.h"
#include "document/CPlenkoDoc.h"
#include "model/Sheet.h"
#include "model/String.h"
#include "objects/PersistentTypes.h"
#include "platform/Font.h"
#include "platform/QueuedDialogRunner.h"
#include "store/Database.h"
#include "view/CPlenkoView.h"
#include "view/QtDeviceContext.h"

using namespace virlo;

namespace {

// The Window menu's own commands, before its list of windows.
constexpr int WindowCommands = 4;
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
    const auto type = kind == 'p'   ? QEvent::MouseButtonPress
                      : kind == 'r' ? QEvent::MouseButtonRelease
                                    : QEvent::MouseMove;
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
  void Gesture(const QString& gesture) {
    for (const auto& [kind, at] : Steps(gesture)) Mouse(kind, at);
  }
  // The letter when the command's rule enables it (checks it, for check), '-' when not, '!' when its action disagrees.
  QChar Mark(int id, char letter, bool check = false) {
    Frame()->UpdateCommandUi();
    const CommandState state = Frame()->StateOf(id);
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
  // The entry of a menu with this caption, or null.
  QAction* MenuEntry(int index, const QString& caption) const {
    for (QAction* action : Frame()->menuBar()->actions().value(index)->menu()->actions()) {
      if (action->text() == caption) return action;
    }
    return nullptr;
  }
  // The Window menu's entries for the windows, without the separator before them.
  QList<QAction*> WindowEntries() const {
    return Frame()->menuBar()->actions().value(3)->menu()->actions().mid(WindowCommands + 1);
  }
  // Which entries carry the check mark, as '1' and '0'.
  QString WindowChecks() const {
    QString checks;
    for (QAction* action : WindowEntries()) checks += action->isChecked() ? '1' : '0';
    return checks;
  }
  static QString Title(const CPlenkoDoc* doc) { return QString::fromStdString(doc->GetTitle()); }
  CChildFrame* FrameOf(const CPlenkoDoc* doc, int index = 0) const {
    QList<CChildFrame*> frames;
    for (QMdiSubWindow* window : Frame()->MdiArea()->subWindowList()) {
      auto* frame = qobject_cast<CChildFrame*>(window);
      if (frame != nullptr && frame->Document() == doc) frames.append(frame);
    }
    return frames.value(index);
  }
  QImage Grab() const { return View()->viewport()->grab().toImage(); }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    QFile::remove(app_.SettingsPath());
    QVERIFY(app_.InitInstance({}));
    QVERIFY(app_.Documents().size() == 1 && app_.Documents().front()->GetTitle() == "Plenko1" && View() != nullptr);
  }
  // Text boxes paint in the text font from the first paint on, not only once
  // a drag has shown a position; this runs before any other test drags.
  void textFontBeforeTheFirstDrag() {
    CPlenkoDoc* doc = NewDocument();
    QCOMPARE(Play("tool strbox\nanswer text \"Hello, VIRLO\\nWWW iii\" left frame\npress 20 24\nrelease 20 24\n"
                  "tool select"),
             std::string());
    QCOMPARE(doc->sheet->objects.Count(), 1);
    const QImage before = Grab();
    // A rubber band over empty paper shows the first position and changes nothing.
    Gesture("p 300 200;m 320 240;r 320 240");
    QCOMPARE(Frame()->PositionText(), QStringLiteral(" 320, 240"));
    QCOMPARE(Grab(), before);
    QVERIFY(app_.GetTextFont() != nullptr);
    QVERIFY(*app_.GetTextFont() == (Font{"ＭＳ　明朝", 16, true}));
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
    QTest::newRow("select") << "tool line\ndrag 20 184 52 184\ntool select"
                            << "p 20 24;m 20 40;m 20 56;r 20 56" << true;
    QTest::newRow("dot") << "tool dot"
                         << "p 12 24;r 12 24;p 36 24;m 60 56;r 60 56" << true;
    QTest::newRow("line") << "tool line"
                          << "p 4 24;m 28 24;m 52 24;r 52 24" << true;
    QTest::newRow("box") << "tool box"
                         << "p 4 24;m 20 40;m 36 56;r 36 56" << true;
    // The new text box makes the content differ from the empty sheet.
    QTest::newRow("strbox") << "tool strbox\nanswer text \"hi\" left frame"
                            << "p 4 24;r 4 24" << true;
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
    Play(
        "tool box\ndrag 20 24 100 88\n"
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
    QCOMPARE(Play("tool box\ndrag 20 24 84 72\ntool line\ndrag 100 40 180 40\ntool dot\ndrag 28 120 28 120"),
             std::string());
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
    QVERIFY(Frame()->Dispatch(CommandId::FileClose));
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
    QCOMPARE(Menu(3).mid(0, WindowCommands),
             (QStringList{"新しいｳｨﾝﾄﾞｳを開く(&N)", "重ねて表示(&C)", "並べて表示(&T)", "ｱｲｺﾝの整列(&A)"}));
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
    QVERIFY(Frame()->Dispatch(CommandId::WindowNew));
    CPlenkoView* second = View();
    QVERIFY(second != first && second->GetDocument() == doc && doc->Views().size() == 2);
    QCOMPARE(Frame()->MdiArea()->subWindowList().size(), qsizetype{2});
    QVERIFY(Frame()->Dispatch(CommandId::WindowTile));
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
  // Exit and the main window's close button ask about every modified document
  // before closing any; a Cancel, or a Yes whose save does not happen, keeps
  // every document open with its edits.
  void exitAsksAboutEveryDocumentFirst() {
    CPlenkoDoc* first = NewDocument();
    QCOMPARE(Play("tool box\ndrag 20 24 52 56"), std::string());
    CPlenkoDoc* second = NewDocument();
    QCOMPARE(Play("tool box\ndrag 60 24 92 56"), std::string());
    const std::string firstArt = Art(first);
    const std::string secondArt = Art(second);
    QStringList asked;
    QList<int> answers;
    app_.saveQuestion = [&](const QString& question) {
      asked.append(question);
      return answers.isEmpty() ? int(QMessageBox::Cancel) : answers.takeFirst();
    };
    app_.fileQuestion = [](bool) { return QString(); };  // the file dialog of a Yes is cancelled
    const int No = QMessageBox::No;
    const int Yes = QMessageBox::Yes;
    const int Cancel = QMessageBox::Cancel;
    const QList<QList<int>> refusals = {{No, Cancel}, {Cancel}, {Yes}, {No, Yes}};
    for (bool byExit : {true, false}) {
      for (const QList<int>& refusal : refusals) {
        asked.clear();
        answers = refusal;
        if (byExit) {
          QVERIFY(Frame()->Dispatch(CommandId::AppExit));
        } else {
          QCloseEvent close;
          QApplication::sendEvent(Frame(), &close);
          QVERIFY(!close.isAccepted());
        }
        QCOMPARE(asked.size(), refusal.size());
        QVERIFY(asked[0].contains(Title(first)));
        QCOMPARE(app_.Documents().size(), std::size_t{2});
        QVERIFY(Frame()->isVisible() && first->IsModified() && second->IsModified());
        QVERIFY(FrameOf(first) != nullptr && FrameOf(second) != nullptr);
        QCOMPARE(Art(first), firstArt);
        QCOMPARE(Art(second), secondArt);
      }
    }
    asked.clear();
    answers = {No, No};
    QCloseEvent close;
    QApplication::sendEvent(Frame(), &close);
    QVERIFY(close.isAccepted());
    QCOMPARE(asked.size(), qsizetype{2});
    QVERIFY(app_.Documents().empty() && View() == nullptr);
  }
  // A recent file that no longer opens leaves the menu and the INI file; the others stay.
  void recentFileThatNoLongerOpensIsDropped() {
    app_.fileQuestion = [](bool) { return QString(); };  // no message box in the way
    const QString kept = QDir(dir_.path()).filePath(QStringLiteral("kept.vrl"));
    const QString gone = QDir(dir_.path()).filePath(QStringLiteral("gone.vrl"));
    for (const QString& path : {kept, gone}) {
      CPlenkoDoc* doc = NewDocument();
      QVERIFY(doc->OnSaveDocument(path.toStdString()));
      QVERIFY(app_.CloseDocument(doc));
      QVERIFY(app_.OpenDocumentFile(path) != nullptr);  // joins the list
      QVERIFY(app_.CloseAllDocuments());
    }
    QVERIFY(QFile::remove(gone));
    const QStringList before = app_.RecentFiles();
    QCOMPARE(before.mid(0, 2), (QStringList{gone, kept}));
    QAction* entry = MenuEntry(0, QStringLiteral("&1 gone.vrl"));
    QVERIFY(entry != nullptr);
    entry->trigger();
    QVERIFY(app_.Documents().empty());
    QStringList after = before;
    after.removeAll(gone);
    QCOMPARE(app_.RecentFiles(), after);
    QSettings ini(app_.SettingsPath(), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("Recent File List/File1")).toString(), kept);
    QVERIFY(!ini.allKeys().join('\n').contains(QStringLiteral("gone.vrl")));
    QVERIFY(Menu(0).contains(QStringLiteral("&1 kept.vrl")));
    QVERIFY(!Menu(0).join('\n').contains(QStringLiteral("gone.vrl")));
    // A recent file that opens stays, at the front.
    entry = MenuEntry(0, QStringLiteral("&1 kept.vrl"));
    QVERIFY(entry != nullptr);
    entry->trigger();
    QVERIFY(Frame()->ActiveDocument() != nullptr && Frame()->ActiveDocument()->GetPathName() == kept.toStdString());
    QCOMPARE(app_.RecentFiles(), after);
  }
  // The Window menu lists the windows after its commands, checks the one shown
  // and shows the one chosen.
  void windowMenuListsTheWindows() {
    CPlenkoDoc* first = NewDocument();
    CPlenkoDoc* second = NewDocument();
    QVERIFY(Frame()->Dispatch(CommandId::WindowNew));
    QApplication::processEvents();
    Frame()->UpdateCommandUi();
    QCOMPARE(Menu(3).mid(WindowCommands),
             (QStringList{"", "&1 " + Title(first), "&2 " + Title(second) + ":1", "&3 " + Title(second) + ":2"}));
    QCOMPARE(WindowChecks(), QStringLiteral("001"));
    for (QAction* entry : WindowEntries()) QCOMPARE(entry->statusTip(), QStringLiteral("指定のｳｨﾝﾄﾞｳを表示"));
    WindowEntries().value(0)->trigger();
    QApplication::processEvents();
    QVERIFY(Frame()->ActiveDocument() == first && Frame()->ActiveFrame() == FrameOf(first));
    QCOMPARE(WindowChecks(), QStringLiteral("100"));
    WindowEntries().value(1)->trigger();
    QApplication::processEvents();
    QVERIFY(Frame()->ActiveFrame() == FrameOf(second, 0));
    QCOMPARE(WindowChecks(), QStringLiteral("010"));
    // Titles follow the documents; closing a document takes its windows out.
    QCOMPARE(Play("tool box\ndrag 20 24 52 56"), std::string());
    Frame()->UpdateCommandUi();
    QCOMPARE(Menu(3).value(WindowCommands + 2), "&2 " + Title(second) + ":1 *");
    app_.saveQuestion = [](const QString&) { return int(QMessageBox::No); };
    QVERIFY(app_.CloseDocument(second));
    QCOMPARE(Menu(3).mid(WindowCommands), (QStringList{"", "&1 " + Title(first)}));
    QCOMPARE(WindowChecks(), QStringLiteral("1"));
  }
  // Tiling stacks the windows top to bottom, each as wide as the area.
  void tileStacksTheWindowsTopToBottom() {
    NewDocument();
    NewDocument();
    QVERIFY(Frame()->Dispatch(CommandId::WindowNew));
    QVERIFY(Frame()->Dispatch(CommandId::WindowTile));
    QApplication::processEvents();
    const QRect area = Frame()->MdiArea()->viewport()->rect();
    const QList<QMdiSubWindow*> windows = Frame()->MdiArea()->subWindowList();
    QCOMPARE(windows.size(), qsizetype{3});
    int top = area.top();
    for (QMdiSubWindow* window : windows) {
      QVERIFY(window->isVisible() && !window->isMaximized());
      const QRect place = window->geometry();
      QCOMPARE(place.left(), area.left());
      QCOMPARE(place.width(), area.width());
      QCOMPARE(place.top(), top);
      QVERIFY(place.height() >= area.height() / 3 - 1);
      top = place.bottom() + 1;
    }
    QCOMPARE(top, area.bottom() + 1);
    // A tiled window shows its own title, which a maximised one leaves to the main window.
    QCOMPARE(windows[0]->windowTitle(), Title(qobject_cast<CChildFrame*>(windows[0])->Document()));
  }
  // Each toolbar button shows its command's own tooltip; one without shows none.
  void toolbarTooltips() {
    NewDocument();
    int untipped = 0;
    for (QToolBar* bar : {Frame()->FileToolBar(), Frame()->DrawingToolBar()}) {
      for (QAction* action : bar->actions()) {
        if (action->isSeparator()) continue;
        const CommandInfo* info = nullptr;
        for (const CommandInfo& command : CommandTable::All()) {
          if (Frame()->Action(command.id) == action) info = &command;
        }
        QVERIFY(info != nullptr);
        const QString tooltip = QString::fromUtf8(info->tooltip);
        if (tooltip.isEmpty()) {
          ++untipped;
          QToolTip::hideText();
          QTRY_VERIFY(!QToolTip::isVisible());
        }
        QWidget* button = bar->widgetForAction(action);
        const QPoint centre = button->rect().center();
        QHelpEvent help(QEvent::ToolTip, centre, button->mapToGlobal(centre));
        QApplication::sendEvent(button, &help);
        QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(), tooltip);
      }
    }
    QCOMPARE(untipped, 1);  // clipboard print
    QToolTip::hideText();
  }
  // The main window names the document shown, once, also while the program is inactive.
  void mainTitleNamesTheShownDocumentOnce() {
    CPlenkoDoc* first = NewDocument();
    CPlenkoDoc* second = NewDocument();
    QCOMPARE(Play("tool box\ndrag 20 24 52 56"), std::string());
    Frame()->UpdateCommandUi();
    QCOMPARE(Frame()->windowTitle(), "VIRLO - " + Title(second) + " *");
    Frame()->MdiArea()->setActiveSubWindow(FrameOf(first));
    QApplication::processEvents();
    Frame()->UpdateCommandUi();
    QVERIFY(FrameOf(first)->isMaximized());
    QCOMPARE(Frame()->windowTitle(), "VIRLO - " + Title(first));
    // The program goes into the background (another window takes the focus,
    // then the application is told it is inactive): the area then reports no
    // active window.
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
    QEvent deactivate(QEvent::ApplicationDeactivate);
    QApplication::sendEvent(qApp, &deactivate);
    QVERIFY(Frame()->MdiArea()->activeSubWindow() == nullptr);
    Frame()->UpdateCommandUi();
    QCOMPARE(Frame()->windowTitle(), "VIRLO - " + Title(first));
    QVERIFY(Frame()->ActiveDocument() == first);
    elsewhere.close();
    Frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Frame()));
    QEvent activate(QEvent::ApplicationActivate);
    QApplication::sendEvent(qApp, &activate);
    QTRY_COMPARE(Frame()->MdiArea()->activeSubWindow(), FrameOf(first));
  }
  // The view scrolls over the whole sheet with its border, following its size
  // through the print dialog, undo, redo and open; a press at the far cells
  // reaches the tool at their sheet point, and Shift turns the wheel sideways.
  void viewScrollsOverTheWholeSheet() {
    CPlenkoDoc* doc = NewDocument();
    auto reaches = [this](int width, int height) {
      QApplication::processEvents();
      const QSize page = View()->viewport()->size();
      return View()->horizontalScrollBar()->maximum() == std::max(0, width + 1 - page.width()) &&
             View()->verticalScrollBar()->maximum() == std::max(0, height + 1 - page.height());
    };
    QVERIFY(reaches(624, 1024));
    // A dot and the new size in one undo step; the print keeps the text file's name.
    const QString text = QDir(dir_.path()).filePath(QStringLiteral("large.txt"));
    doc->sheet->SetTextFileName(String(text.toStdString().c_str()));
    QCOMPARE(Play("tool dot\ndrag 100 100 100 100\nanswer print 256 256 \"" + text.toStdString() + "\"\ntextprint"),
             std::string());
    QVERIFY(doc->sheet->width == 2048 && doc->sheet->height == 4096);
    QVERIFY(reaches(2048, 4096));
    QVERIFY(Frame()->Dispatch(CommandId::EditUndo));
    QVERIFY(doc->sheet->width == 624 && reaches(624, 1024));
    QVERIFY(Frame()->Dispatch(CommandId::EditRedo));
    QVERIFY(doc->sheet->width == 2048 && reaches(2048, 4096));
    // The last cell, in the bottom-right corner of the scrolled view.
    QVERIFY(Frame()->Dispatch(CommandId::ToolDot));
    QScrollBar* across = View()->horizontalScrollBar();
    QScrollBar* down = View()->verticalScrollBar();
    across->setValue(across->maximum());
    down->setValue(down->maximum());
    const QPoint cell(255 * 8 + 4, 255 * 16 + 8);
    const QPoint client = cell - QPoint(across->value(), down->value());
    QVERIFY(View()->viewport()->rect().contains(client));
    Mouse('p', client);
    Mouse('r', client);
    const std::string art = Art(doc);
    QCOMPARE(art.size(), std::size_t{256 * 257});
    QCOMPARE(art[255 * 257 + 255], 'O');
    QCOMPARE(art.find('O', 7 * 257), std::size_t{255 * 257 + 255});  // after the dot of row 6
    // Shift and the wheel: sideways by lines, not by pages.
    across->setValue(0);
    const int row = down->value();
    const QPointF at(20, 20);
    QWheelEvent wheel(at, View()->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::ShiftModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(View()->viewport(), &wheel);
    QVERIFY(across->value() > 0 && across->value() < across->pageStep());
    QCOMPARE(down->value(), row);
    // A document opened with a large sheet scrolls over all of it at once.
    const QString path = QDir(dir_.path()).filePath(QStringLiteral("large.vrl"));
    QVERIFY(doc->OnSaveDocument(path.toStdString()));
    QVERIFY(app_.CloseDocument(doc));
    QVERIFY(app_.OpenDocumentFile(path) != nullptr);
    QVERIFY(reaches(2048, 4096));
  }
  // While a left drag holds the mouse, no edit, undo or redo reaches the
  // document by menu, toolbar or key; after the release they follow their rules.
  void editCommandsWaitForTheRelease() {
    CPlenkoDoc* doc = NewDocument();
    QCOMPARE(Play("tool box\ndrag 20 24 52 56\ntool select\ndrag 36 24 36 24\ncopy"), std::string());
    auto states = [this] {
      return EditStates() + Mark(CommandId::EditPaste, 'V') + Mark(CommandId::EditUndo, 'U') +
             Mark(CommandId::EditRedo, 'R');
    };
    const int edits[] = {CommandId::EditCut,      CommandId::EditCopy,   CommandId::EditPaste, CommandId::EditDelete,
                         CommandId::BringToFront, CommandId::SendToBack, CommandId::EditUndo,  CommandId::EditRedo};
    QCOMPARE(states(), QStringLiteral("CXDFBVU-"));
    Gesture("p 36 24;m 36 40");  // the box's top side, held
    QCOMPARE(states(), QStringLiteral("--------"));
    for (int id : edits) {
      for (QToolBar* bar : {Frame()->FileToolBar(), Frame()->DrawingToolBar()}) {
        if (QWidget* button = bar->widgetForAction(Frame()->Action(id))) QVERIFY(!button->isEnabled());
      }
    }
    const std::string held = Art(doc);
    const std::int32_t objects = doc->sheet->objects.Count();
    for (QKeySequence key :
         {QKeySequence(Qt::CTRL | Qt::Key_G), QKeySequence(Qt::Key_Delete), QKeySequence(Qt::CTRL | Qt::Key_X),
          QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::CTRL | Qt::Key_U)}) {
      QTest::keySequence(Frame(), key);
      QCOMPARE(Art(doc), held);
      QCOMPARE(doc->sheet->objects.Count(), objects);
    }
    for (int id : edits) QVERIFY(!Frame()->Dispatch(id));
    Mouse('r', QPoint(36, 40));
    QCOMPARE(states(), QStringLiteral("CXDFBVU-"));
    QTest::keySequence(Frame(), QKeySequence(Qt::Key_Delete));
    QCOMPARE(doc->sheet->objects.Count(), objects - 1);
    // Redo, too, waits for a drag on empty paper to end.
    QCOMPARE(Mark(CommandId::EditRedo, 'R'), QChar('-'));
    QVERIFY(Frame()->Dispatch(CommandId::EditUndo));
    QCOMPARE(Mark(CommandId::EditRedo, 'R'), QChar('R'));
    Gesture("p 300 200;m 340 240");
    QCOMPARE(Mark(CommandId::EditRedo, 'R'), QChar('-'));
    QTest::keySequence(Frame(), QKeySequence(Qt::CTRL | Qt::Key_R));
    QCOMPARE(doc->sheet->objects.Count(), objects);
    Mouse('r', QPoint(340, 240));
    QCOMPARE(Mark(CommandId::EditRedo, 'R'), QChar('R'));
  }
  // A right press during a left drag that opens the marker dialog ends the
  // drag: hovering then shows no position, and Undo is back.
  void markerDialogEndsTheDrag() {
    CPlenkoDoc* doc = NewDocument();
    QCOMPARE(Play("tool dot\ndrag 44 40 44 40\ntool line"), std::string());
    Gesture("p 204 200;m 244 200");
    QCOMPARE(Frame()->PositionText(), QStringLiteral(" 244, 200"));
    QCOMPARE(Mark(CommandId::EditUndo, 'U'), QChar('-'));
    QCOMPARE(Play("answer marker 10"), std::string());
    Mouse('p', QPoint(44, 40), Qt::RightButton);
    QCOMPARE(dialogs_.Pending(), std::size_t{0});
    QCOMPARE(Art(doc).substr(2 * 79 + 5, 1), std::string(">"));
    Mouse('r', QPoint(44, 40), Qt::RightButton);
    Mouse('h', QPoint(300, 260));
    QCOMPARE(Frame()->PositionText(), QStringLiteral(" 244, 200"));
    QCOMPARE(Mark(CommandId::EditUndo, 'U'), QChar('U'));
  }
  // Choosing another tool in the middle of a rubber band leaves no band on screen.
  void toolChangeErasesTheRubberBand() {
    NewDocument();
    QCOMPARE(Play("tool box\ndrag 20 24 52 56\ntool select"), std::string());
    const QImage before = Grab();
    Gesture("p 120 120;m 200 180");
    QVERIFY(Grab() != before);
    QTest::keyClick(Frame(), Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(Tools(), QStringLiteral("--L--"));
    QCOMPARE(Grab(), before);
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
