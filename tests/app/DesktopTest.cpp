// The desktop program driven through its real windows: mouse events on the
// view, keys on the main window, menus, toolbars, the save prompt and files;
// the character art shown in place of the shapes, and the exported pictures.
#include <QClipboard>
#include <QCloseEvent>
#include <QImage>
#include <QLabel>
#include <QMdiArea>
#include <QMimeData>
#include <QPainter>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSet>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QSvgRenderer>
#include <QTimer>
#include <QWheelEvent>
#include <cmath>
#include <numbers>

#include "app/DesktopFixture.h"
#include "app/DocumentWindow.h"
#include "control/CommandIds.h"
#include "control/CommandTable.h"
#include "control/ScreenArt.h"
#include "dialogs/PrintDialog.h"
#include "export/SvgExport.h"
#include "model/String.h"
#include "objects/DrawObj.h"
#include "platform/Font.h"
#include "platform/TextCodec.h"
#include "store/Database.h"
#include "view/QtDeviceContext.h"
#include "view/Translations.h"

using namespace virlo;

namespace {

// Places in the menu bar while a document window is active.
enum MenuIndex { FileMenu = 0, WindowMenu = 3 };
// The Window menu's own commands, before its list of windows.
constexpr int WindowCommands = 4;
using Answers = QList<QMessageBox::StandardButton>;
const QList<int> ToolIds = {CommandId::ToolSelect, CommandId::ToolDot, CommandId::ToolLine, CommandId::ToolBox,
                            CommandId::ToolStrBox};
const QList<int> EditIds = {CommandId::EditCopy,   CommandId::EditCut,   CommandId::EditDelete, CommandId::BringToFront,
                            CommandId::SendToBack, CommandId::EditPaste, CommandId::EditUndo,   CommandId::EditRedo};

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

// A box with a line joined to its right side, and a framed Japanese text box.
constexpr char Diagram[] =
    "tool box\ndrag 20 24 100 88\ntool line\ndrag 100 56 196 56\n"
    "tool strbox\nanswer text \"日本語 ok\" left frame\npress 228 120\nrelease 228 120\ntool select";

// Whether two drawings carry ink at the same places, whatever its colour,
// give or take a pixel: glyphs drawn at fractions of a pixel land on either
// side of it on different paint devices.
bool SameInkNearly(const QImage& a, const QImage& b) {
  auto inked = [](const QImage& image, int x, int y) {
    return image.rect().contains(x, y) && qGray(image.pixel(x, y)) < 160;
  };
  auto covered = [&inked](const QImage& from, const QImage& to) {
    for (int y = 0; y < from.height(); ++y) {
      for (int x = 0; x < from.width(); ++x) {
        if (!inked(from, x, y)) continue;
        bool near = false;
        for (int dy = -1; dy <= 1 && !near; ++dy) {
          for (int dx = -1; dx <= 1 && !near; ++dx) near = inked(to, x + dx, y + dy);
        }
        if (!near) return false;
      }
    }
    return true;
  };
  return a.size() == b.size() && covered(a, b) && covered(b, a);
}

}  // namespace

class DesktopTest : public QObject, private test::DesktopFixture {
  Q_OBJECT

 public:
  using DesktopFixture::DesktopFixture;

 private:
  static QString Title(const Document* doc) { return QString::fromStdString(doc->GetTitle()); }
  QString WriteFile(const QString& name, const QByteArray& bytes) {
    QFile file(Path(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return QString();
    return file.fileName();
  }
  // Menus, buttons and titles as the idle update brings them in line.
  void Settle() {
    QApplication::processEvents();
    Frame()->UpdateCommandUi();
  }
  QString MainTitle() {
    Settle();
    return Frame()->windowTitle();
  }
  // One letter per command as its menu item and button show it: its own when
  // enabled (checked, with check), '-' when not.
  QString Marks(const QList<int>& ids, const char* letters, bool check = false) {
    Settle();
    QString marks;
    for (qsizetype i = 0; i < ids.size(); ++i) {
      const QAction* action = Frame()->Action(ids[i]);
      marks += (check ? action->isChecked() : action->isEnabled()) ? letters[i] : '-';
    }
    return marks;
  }
  QString Tools() { return Marks(ToolIds, "SPLFT", true); }
  QString Edits() { return Marks(EditIds, "CXDFBVUR"); }
  // The items of one menu, and their captions.
  QList<QAction*> MenuActions(int index) const { return Frame()->menuBar()->actions().value(index)->menu()->actions(); }
  QStringList Menu(int index) {
    Settle();
    QStringList texts;
    for (QAction* action : MenuActions(index)) texts.append(action->text());
    return texts;
  }
  // The Window menu's entries for the windows, after its commands and a separator.
  QList<QAction*> WindowEntries() const { return MenuActions(WindowMenu).mid(WindowCommands + 1); }
  QString WindowChecks() {
    Settle();
    QString checks;
    for (QAction* action : WindowEntries()) checks += action->isChecked() ? '1' : '0';
    return checks;
  }
  // A document window, in the order they were opened.
  QMdiSubWindow* Window(int index) const { return Frame()->MdiArea()->subWindowList().value(index); }
  static QImage Grab(const SheetView* view) { return view->viewport()->grab().toImage(); }
  // Whether the view scrolls exactly over a sheet of this size and its border.
  bool Reaches(int width, int height) const {
    QApplication::processEvents();
    const QSize page = View()->viewport()->size();
    return View()->horizontalScrollBar()->maximum() == std::max(0, width + 1 - page.width()) &&
           View()->verticalScrollBar()->maximum() == std::max(0, height + 1 - page.height());
  }

  QVariant SavedArtSetting() const {
    return QSettings(app_.SettingsPath(), QSettings::IniFormat).value(QStringLiteral("Settings/ShowArt"));
  }
  // The art as a reader would paint it: each row of the sheet's text as one
  // string in the text font, on white, in a picture the size of the view.
  QImage PaintedText(const Document* doc) const {
    QImage image(View()->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    QtDeviceContext dc(painter);
    dc.SelectPen(Pen{1, Color::Green()});
    dc.MoveTo({0, 0});
    dc.LineTo({doc->sheet->width, 0});
    dc.LineTo({doc->sheet->width, doc->sheet->height});
    dc.LineTo({0, doc->sheet->height});
    dc.LineTo({0, 0});
    const QFont font = QtDeviceContext::ToQFont(*app_.GetTextFont());
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetrics metrics(font);
    const int baseline = (doc->sheet->cellHeight - metrics.height()) / 2 + metrics.ascent();
    painter.translate(SheetView::GlyphAlignment(font, baseline, 1.0));
    // Each character in its cell, as the view draws them.
    const ScreenArt cells(*doc->sheet);
    for (std::int32_t row = 0; row < cells.Rows(); ++row) {
      for (const ScreenArt::Cell& cell : cells.Row(row)) {
        const QPointF at(cell.column * doc->sheet->cellWidth, row * doc->sheet->cellHeight + baseline);
        painter.drawText(at, QString::fromStdString(cell.text));
      }
    }
    painter.end();
    return image.convertToFormat(QImage::Format_RGB32);
  }
  // Whether a cell holds a stroke of black pixels at least half its length,
  // whole pixels wide: one column (or row) dark, with no grey on both sides.
  static bool SolidRun(const QImage& image, const QRect& cell, Qt::Orientation along) {
    const bool vertical = along == Qt::Vertical;
    const int lines = vertical ? cell.width() : cell.height();
    const int length = vertical ? cell.height() : cell.width();
    for (int line = 0; line < lines; ++line) {
      int dark = 0;
      for (int step = 0; step < length; ++step) {
        const QPoint at = vertical ? cell.topLeft() + QPoint(line, step) : cell.topLeft() + QPoint(step, line);
        if (qGray(image.pixel(at)) < 64) ++dark;
      }
      if (dark * 2 >= length) return true;
    }
    return false;
  }
  // Whether ink joins two inked pixels without a break (pixels touching at a corner count).
  static bool Connected(const QImage& image, QPoint from, QPoint to) {
    const auto inked = [&image](QPoint at) { return image.rect().contains(at) && qGray(image.pixel(at)) < 128; };
    if (!inked(from) || !inked(to)) return false;
    QSet<std::pair<int, int>> seen{{from.x(), from.y()}};
    QList<QPoint> next{from};
    while (!next.isEmpty()) {
      const QPoint at = next.takeLast();
      if (at == to) return true;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          const QPoint near = at + QPoint(dx, dy);
          if (!inked(near) || seen.contains({near.x(), near.y()})) continue;
          seen.insert({near.x(), near.y()});
          next.append(near);
        }
      }
    }
    return false;
  }
  enum class Hue { Red, Blue, Grey };
  // Whether any pixel of the cells from a column on one row is of this hue
  // (text is smoothed, so its pixels are shades of its colour).
  static bool CellsShow(const QImage& image, int column, int row, int cells, Hue hue) {
    for (int y = row * 16; y < row * 16 + 16; ++y) {
      for (int x = column * 8; x < (column + cells) * 8; ++x) {
        const QColor c = image.pixelColor(x, y);
        const bool match = hue == Hue::Red    ? c.red() > c.green() + 80 && c.red() > c.blue() + 80
                           : hue == Hue::Blue ? c.blue() > c.red() + 80 && c.blue() > c.green() + 80
                                              : c.red() == c.green() && c.green() == c.blue() && c.red() < 160;
        if (match) return true;
      }
    }
    return false;
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    QFile::remove(app_.SettingsPath());
    QVERIFY(app_.InitInstance({}));
    QCOMPARE(app_.Documents().size(), std::size_t{1});
    QVERIFY(app_.Documents().front()->GetTitle() == "Plenko1" && View() != nullptr);
    QVERIFY(!app_.ArtShown());  // off until chosen
  }
  // Nothing stays open, or locked, in the folder that goes with the test.
  void cleanupTestCase() {
    questions_.saveQuestion = [](const QString&) { return int(QMessageBox::No); };
    QVERIFY(app_.CloseAllDocuments());
  }
  // Every test starts from no document, in a window of one size.
  void init() {
    app_.SetZoom(SheetView::ActualSize);
    questions_.saveQuestion = [](const QString&) { return int(QMessageBox::No); };
    questions_.fileQuestion = [](bool) { return QString(); };
    reports_.clear();
    questions_.report = [this](const QString& message) { reports_.append(message); };
    dialogs_.Clear();
    QVERIFY(app_.CloseAllDocuments());
    Frame()->resize(520, 420);
    Frame()->SetPositionText(QStringLiteral("-"));
    QApplication::processEvents();
  }
  // The menus and toolbars with no document and with a new one (nothing to
  // undo): captions, keys, states and tips as stored. The menus switch back
  // when the document closes.
  void menusAndToolbars() {
    const QStringList none = test::DescribeMenus(*Frame());
    NewDocument();
    test::CompareWithGolden(none + test::DescribeMenus(*Frame()), "menus-ja.txt");
    QVERIFY(app_.CloseAllDocuments());
    QCOMPARE(test::DescribeMenus(*Frame()), none);
  }
  // Text boxes paint in the text font from the first paint on, not only once
  // a drag has shown a position; this runs before any other test drags. A
  // rubber band that a tool change ends leaves nothing on screen.
  void textFontBeforeTheFirstDrag() {
    QVERIFY(NewDocument() != nullptr);
    QVERIFY(Play("tool strbox\nanswer text \"Hello, VIRLO\\nWWW iii\" left frame\npress 20 24\nrelease 20 24"));
    QVERIFY(Play("tool select"));
    const QImage before = Grab(View());
    QVERIFY(Play("press 300 200\nmove 319 247"));
    QCOMPARE(Frame()->PositionText(), QStringLiteral(" 319, 247"));
    QCOMPARE(Frame()->CellText(), QStringLiteral("  39,  15"));
    QCOMPARE(Frame()->findChild<QWidget*>(QStringLiteral("PositionPane"))->width(), 54);
    QCOMPARE(Frame()->findChild<QWidget*>(QStringLiteral("CellPane"))->width(), MainWindow::CellPaneWidth);
    QVERIFY(Grab(View()) != before);
    QTest::keyClick(Frame(), Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(Tools(), QStringLiteral("--L--"));
    QCOMPARE(Grab(View()), before);
    QVERIFY(app_.GetTextFont() != nullptr);
    QVERIFY(*app_.GetTextFont() == (Font{"ＭＳ　明朝", 16, true}));
  }
  // Gestures in a scrolled view (presses, drag moves, releases, hovering, a
  // right press on a line end) land at client point + scroll; every left or
  // right press sets an undo marker; the pane shows the point of each left
  // press and drag move, not of releases, hovering or right presses.
  void gestureInScrolledView_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("gesture");
    QTest::newRow("dot")
        << "tool dot"
        << "move 56 200;press 28 184;release 28 184;press 52 184;move 76 216;release 80 220;move 86 230";
    QTest::newRow("line") << "tool line"
                          << "press 20 184;move 44 184;move 68 184;release 68 184;"
                             "answer marker 10;rpress 68 184;rrelease 68 184;move 1 1";
  }
  void gestureInScrolledView() {
    QFETCH(QString, setup);
    QFETCH(QString, gesture);
    // The reference: the same gesture in an unscrolled view.
    Document* reference = NewDocument();
    QVERIFY(Play(setup.toStdString()));
    const std::string before = Art(reference);
    QVERIFY(Play(QString(gesture).replace(';', '\n').toStdString()));
    const std::string expected = Art(reference);
    QVERIFY(expected != before);
    const std::vector<std::string> rows = test::ArtRows(expected);
    QVERIFY(std::all_of(rows.begin(), rows.begin() + 10, [](const std::string& row) { return row.empty(); }));
    Document* doc = NewDocument();
    View()->horizontalScrollBar()->setValue(16);
    View()->verticalScrollBar()->setValue(160);
    QCOMPARE(QPoint(View()->horizontalScrollBar()->value(), View()->verticalScrollBar()->value()), QPoint(16, 160));
    QVERIFY(Play(setup.toStdString()));
    doc->SetModifiedFlag(false);
    QString pane = Frame()->PositionText();
    bool held = false;
    for (const QString& step : gesture.split(';')) {
      const QStringList words = step.split(' ');
      const int markers = doc->GetDatabase()->UndoMarkerCount();
      QVERIFY(Play(step.toStdString()));
      QCOMPARE(doc->GetDatabase()->UndoMarkerCount(), markers + (words[0].endsWith("press") ? 1 : 0));
      held = words[0] == "press" || (held && words[0] != "release");
      if (held && words[0] != "release") pane = words[1].rightJustified(4) + ',' + words[2].rightJustified(4);
      QCOMPARE(Frame()->PositionText(), pane);
    }
    QCOMPARE(Art(doc), expected);
    QVERIFY(doc->IsModified());
    QCOMPARE(dialogs_.Pending(), std::size_t{0});  // every dialog came up and took its answer
  }
  // Menus and buttons show the view's rules (the golden sessions hold the
  // rules themselves): the tool checked, the edit commands on for what is
  // picked and copied; while a left drag holds the mouse, no edit or undo
  // reaches the document by menu, toolbar or key. Runs before anything is
  // copied.
  void editCommandStates() {
    Document* doc = NewDocument();
    QVERIFY(Play("tool box\ndrag 20 24 52 56\ntool line\ndrag 100 24 140 24"));
    for (int i = 4; i >= 0; --i) {
      Frame()->Action(ToolIds[i])->trigger();
      QCOMPARE(Tools(), QString("-----").replace(i, 1, QChar("SPLFT"[i])));
    }
    QCOMPARE(Edits(), QStringLiteral("------U-"));
    QVERIFY(Play("drag 36 24 36 24\ncopy"));  // the box's top side
    QVERIFY(doc->sheet->current != nullptr);
    QCOMPARE(Edits(), QStringLiteral("CXDFBVU-"));
    QVERIFY(Play("press 36 24\nmove 36 40"));  // the box's top side, held
    QCOMPARE(Edits(), QStringLiteral("--------"));
    const std::string held = Art(doc);
    for (QKeySequence key :
         {QKeySequence(Qt::CTRL | Qt::Key_G), QKeySequence(Qt::Key_Delete), QKeySequence(Qt::CTRL | Qt::Key_X),
          QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::CTRL | Qt::Key_U)}) {
      QTest::keySequence(Frame(), key);
    }
    QCOMPARE(Art(doc), held);
    QCOMPARE(doc->sheet->objects.Count(), 2);
    QVERIFY(Play("release 36 40"));
    QCOMPARE(Edits(), QStringLiteral("CXDFBVU-"));
    QTest::keySequence(Frame(), QKeySequence(Qt::Key_Delete));
    QCOMPARE(doc->sheet->objects.Count(), 1);
    QVERIFY(Frame()->Dispatch(CommandId::EditUndo));
    QCOMPARE(Edits(), QStringLiteral("CXDFBVUR"));
  }
  // A repaint of part of the window skips objects far from it; painting the
  // sheet piece by piece must still give exactly the pixels of one full paint,
  // with two-character markers at line ends, Japanese text and selection marks.
  void partialRepaintsMatchAFullPaint() {
    Document* doc = NewDocument();
    QVERIFY(
        Play("tool box\ndrag 20 24 100 88\n"
             "tool line\ndrag 100 56 180 56\nanswer marker 14\nrpress 180 56\n"
             "drag 140 56 140 136\nanswer marker 14\nrpress 140 136\n"
             "drag 220 24 220 120\nanswer marker 13\nrpress 220 24\n"
             "tool strbox\nanswer text \"日本語の\\nテキスト\" center frame\npress 196 168\nrelease 196 168\n"
             "tool dot\npress 300 40\nrelease 300 40\nanswer marker 14\nrpress 300 40\n"
             "tool select\ndrag 12 16 190 150\n"));
    QVERIFY(doc->sheet->objects.Count() >= 6);
    QImage full(360, 240, QImage::Format_RGB32);
    full.fill(Qt::white);
    QImage pieces = full;
    {
      QPainter painter(&full);
      QtDeviceContext dc(painter);
      doc->sheet->Draw(dc);
    }
    for (int y = 0; y < pieces.height(); y += 23) {
      for (int x = 0; x < pieces.width(); x += 37) {
        QPainter painter(&pieces);
        painter.setClipRect(x, y, 37, 23);
        QtDeviceContext dc(painter);
        doc->sheet->Draw(dc);
      }
    }
    QCOMPARE(pieces, full);
  }
  // Every command of the table has its handler. Every key of the table reaches the main window as its command
  // and no other, whichever state the command is in; the caption shows the
  // first of them; no key is bound twice. What the commands do is the
  // golden sessions' to show, and which keys there are the menus' golden's.
  void keys() {
    Document* doc = NewDocument();
    QVERIFY(Play("tool box\ndrag 20 24 52 56"));
    // Modified, so Exit and Close ask and are cancelled; file dialogs answer nothing.
    questions_.saveQuestion = [](const QString&) { return int(QMessageBox::Cancel); };
    int fileAsks = 0;
    questions_.fileQuestion = [&fileAsks](bool) {
      ++fileAsks;
      return QString();
    };
    QList<int> fired;
    // Dropped however the test ends: a failed check returns at once, and a
    // connection left behind would write into this frame in the next test.
    QObject scope;
    connect(Frame(), &MainWindow::commandRequested, &scope, [&fired](int id) { fired.append(id); });
    QStringList bound;
    for (const CommandInfo& info : CommandTable::All()) {
      QVERIFY2(Frame()->Runs(info.id), info.caption);
      const QStringList keys = QString::fromLatin1(info.keys).split(QStringLiteral("; "), Qt::SkipEmptyParts);
      if (!keys.isEmpty() && Frame()->Action(info.id) != nullptr && *info.caption != '\0') {
        QCOMPARE(Frame()->Action(info.id)->text().section(QLatin1Char('\t'), 1), keys.front());
      }
      for (const QString& key : keys) {
        QVERIFY2(!bound.contains(key), qPrintable(key));
        bound.append(key);
        if (info.id == CommandId::FilePrint) dialogs_.Cancel();
        fired.clear();
        QTest::keySequence(Frame(), QKeySequence(key, QKeySequence::PortableText));
        QVERIFY2(fired == QList<int>{info.id}, qPrintable(key));
        if (info.id == CommandId::FileNew) QVERIFY(app_.CloseDocument(app_.Documents().back().get()));
      }
    }
    QVERIFY(bound.size() >= 30);
    QCOMPARE(app_.Documents().size(), std::size_t{1});
    QCOMPARE(View()->GetDocument(), doc);
    QCOMPARE(dialogs_.Pending(), std::size_t{0});
    QVERIFY(fileAsks >= 3);  // open, save, save as
    // Shift with the mouse takes the whole box: it moves a row down, not its top side alone.
    Document* shifted = NewDocument();
    QVERIFY(Play("tool box\ndrag 20 24 52 56\ntool select\ndrag 300 300 300 300\ndrag 36 24 36 40 shift"));
    QCOMPARE(Row(shifted, 4), std::string("  +---+"));
  }
  // Saving an untitled document asks for a name, adds .vrl and lists the file
  // first among the recent files, which keep the last four, newest first, in
  // the menu and the INI file. A saved file opens again with its art; one that
  // no longer opens leaves the list, one that opens comes first.
  void saveReopenAndRecentFiles() {
    QString name;
    questions_.fileQuestion = [&name, this](bool save) { return save ? Path(name) : QString(); };
    questions_.saveQuestion = [](const QString&) { return int(QMessageBox::Cancel); };
    QStringList paths;
    for (const char* stem : {"r1", "r2", "r3", "kept", "gone"}) {
      name = QString::fromLatin1(stem);
      Document* doc = NewDocument();
      QVERIFY(Play("tool box\ndrag 20 24 84 72\ntool line\ndrag 100 40 180 40\ntool dot\ndrag 28 120 28 120"));
      const std::string art = Art(doc);
      QVERIFY(Frame()->Dispatch(CommandId::FileSave));
      paths.prepend(Path(name + ".vrl"));
      QCOMPARE(app_.RecentFiles().value(0), paths.front());
      QVERIFY(app_.CloseAllDocuments());  // saved, so not asked and not cancelled
      Document* reopened = app_.OpenDocumentFile(paths.front());
      QVERIFY(reopened != nullptr && Title(reopened) == name && Frame()->ActiveDocument() == reopened);
      QCOMPARE(Art(reopened), art);
      QVERIFY(app_.CloseAllDocuments());
    }
    paths.removeLast();  // the oldest fell off
    QCOMPARE(app_.RecentFiles(), paths);
    QVERIFY(QFile::remove(paths.front()));
    QCOMPARE(Menu(FileMenu), (QStringList{"新規作成(&N)\tCtrl+N", "開く(&O)...\tCtrl+O", "テキストから読み込み(&I)...",
                                          "ﾌｧｲﾙの中の図を開く(&D)...", "", "&1 gone.vrl", "&2 kept.vrl", "&3 r3.vrl",
                                          "&4 r2.vrl", "", "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)\tCtrl+Q"}));
    MenuActions(FileMenu).value(5)->trigger();
    QVERIFY(app_.Documents().empty());
    paths.removeFirst();
    QCOMPARE(app_.RecentFiles(), paths);
    QSettings ini(app_.SettingsPath(), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("Recent File List/File1")).toString(), paths.front());
    QCOMPARE(Menu(FileMenu).mid(5, 4), (QStringList{"&1 kept.vrl", "&2 r3.vrl", "&3 r2.vrl", ""}));
    MenuActions(FileMenu).value(6)->trigger();
    QCOMPARE(Frame()->ActiveDocument()->GetPathName(), paths[1].toStdString());
    QCOMPARE(app_.RecentFiles(), (QStringList{paths[1], paths[0], paths[2]}));
  }
  // Character art comes in three ways: the File menu's import and a dropped
  // text file each make a new untitled document that is modified, and pasting
  // as a diagram puts the clipboard's art on the shown sheet as one undo step.
  // What cannot be read says why and makes nothing.
  void importArt() {
    const std::vector<std::string> art = {"+--+", "|ab+--->", "+--+"};
    // Out of a comment block: the prefix is left out, as virlo-cli import leaves it out.
    // Its fourth line holds a wave dash the document holds only as one like it;
    // a slanted line below stays text, and the summary says why in its language.
    const QString text =
        WriteFile(QStringLiteral("art.txt"), "# +--+\n# |ab+--->\n# +--+\n# \xE3\x80\x9C\n#    \\\n#     \\\n");
    QVERIFY(!text.isEmpty());
    questions_.fileQuestion = [text](bool) { return text; };
    QVERIFY(Frame()->Dispatch(CommandId::FileImportArt));
    Document* imported = Frame()->ActiveDocument();
    QVERIFY(imported != nullptr && imported->IsUntitled() && imported->IsModified());
    QVERIFY(TopRows(imported, 3) == art);
    // The status bar says what the art became, whole, in a window 900
    // pixels wide, though one line of it would be wider.
    Frame()->resize(900, 420);
    Settle();
    const auto* message = Frame()->statusBar()->findChild<QLabel*>(QStringLiteral("LongMessage"));
    QVERIFY(message != nullptr && message->isVisible());
    QCOMPARE(message->text(),
             QStringLiteral("文書に入らない文字 1 個を似た文字にしました; 箱 0、枠付き文字列 1、線 1 "
                            "(つないだ端 0、載せた端 1、寄せた端 0)、矢じり 1、点 0、文字列 3、文字のままの線 1; "
                            "5:4 \\\\ (斜めの線は文字のまま)"));
    const int wide = message->fontMetrics().horizontalAdvance(message->text());
    QVERIFY(wide > message->width());
    // As many lines high as the text needs at its width, at least.
    QVERIFY(message->height() >= (wide / message->width() + 1) * message->fontMetrics().height());
    QVERIFY(message->height() >= message->heightForWidth(message->width()));
    QVERIFY(message->geometry().right() < Frame()->statusBar()->findChild<QLabel*>("PositionPane")->geometry().left());

    // Dropped: a text file is imported, a document still opens as one.
    const QString document = Path(QStringLiteral("dropped.vrl"));
    questions_.fileQuestion = [document](bool) { return document; };
    QVERIFY(app_.SaveDocument(imported, true));
    QVERIFY(app_.CloseAllDocuments());
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(text), QUrl::fromLocalFile(document)});
    // A drop goes where the drag entered and was accepted.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Frame(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Frame(), &drop);
    QCOMPARE(app_.Documents().size(), std::size_t{2});
    QVERIFY(app_.Documents()[0]->IsUntitled() && app_.Documents()[0]->IsModified());
    QVERIFY(app_.Documents()[1]->GetPathName() == document.toStdString() && !app_.Documents()[1]->IsModified());
    QVERIFY(TopRows(app_.Documents()[0].get(), 3) == art);
    QVERIFY(reports_.isEmpty());
    // Named to File > Open: imported too, where a document opens as one.
    questions_.fileQuestion = [text](bool) { return text; };
    QVERIFY(Frame()->Dispatch(CommandId::FileOpen));
    QCOMPARE(app_.Documents().size(), std::size_t{3});
    QVERIFY(Frame()->ActiveDocument() == app_.Documents()[2].get() && Frame()->ActiveDocument()->IsUntitled());
    QVERIFY(TopRows(Frame()->ActiveDocument(), 3) == art);
    QVERIFY(reports_.isEmpty());

    // Pasted on the shown document, at the top left of the view, selected.
    Document* doc = NewDocument();
    QVERIFY(Play("tool line\ndrag 4 120 60 120"));
    const std::string before = Art(doc);
    QGuiApplication::clipboard()->setText(QStringLiteral("*---*\n"));
    Settle();
    QVERIFY(Frame()->Action(CommandId::EditPasteArt)->isEnabled());
    QVERIFY(Frame()->Dispatch(CommandId::EditPasteArt));
    QCOMPARE(Row(doc, 0), std::string("*---*"));
    QCOMPARE(doc->sheet->selected.Count(), 1);
    QVERIFY(Frame()->Dispatch(CommandId::EditUndo));
    QCOMPARE(Art(doc), before);
    // From a comment, it goes back into the comment: every window prints it so, the menu says so.
    const QString commented = QStringLiteral("// +--+\n// |  |--->\n// +--+\n");
    NewDocument();
    QGuiApplication::clipboard()->setText(commented);
    Settle();
    QVERIFY(Frame()->Dispatch(CommandId::EditPasteArt));
    QCOMPARE(app_.OutputOptions().prefix, std::string("// "));
    QVERIFY(Frame()->Action(CommandId::PrintAsComment)->isChecked());
    QVERIFY(Frame()->Action(CommandId::PrintCropped)->isChecked());
    QVERIFY(Frame()->Dispatch(CommandId::ClipboardPrint));
    QCOMPARE(QGuiApplication::clipboard()->text(), commented);
    QVERIFY(Frame()->Dispatch(CommandId::PrintAsComment));
    QVERIFY(Frame()->Dispatch(CommandId::PrintCropped));
    QVERIFY(Frame()->Dispatch(CommandId::EditUndo));
    QGuiApplication::clipboard()->clear();
    Settle();
    QVERIFY(!Frame()->Action(CommandId::EditPasteArt)->isEnabled());

    // Nothing readable: a message, no document.
    const std::size_t open = app_.Documents().size();
    questions_.fileQuestion = [this](bool) { return Path(QStringLiteral("missing.txt")); };
    QVERIFY(Frame()->Dispatch(CommandId::FileImportArt));
    QCOMPARE(app_.Documents().size(), open);
    QCOMPARE(reports_.size(), 1);
    QVERIFY(reports_[0].startsWith(Path(QStringLiteral("missing.txt")) + QStringLiteral(" を読み込めません: ")));
  }
  // Exit and the main window's close button ask about every modified document
  // before closing any; a Cancel, or a Yes whose save does not happen, keeps
  // every document open with its edits. Closing one document asks about it
  // alone: Cancel keeps it, No closes it.
  void savePrompts() {
    Document* first = NewDocument();
    QVERIFY(Play("tool box\ndrag 20 24 52 56"));
    Document* second = NewDocument();
    QVERIFY(Play("tool box\ndrag 60 24 92 56"));
    const std::string arts = Art(first) + Art(second);
    QStringList asked;
    Answers answers;
    // Each question is asked with its document in front.
    questions_.saveQuestion = [&](const QString& question) {
      asked.append(question);
      if (!question.contains(Title(Frame()->ActiveDocument()))) asked.append(QStringLiteral("behind"));
      return int(answers.isEmpty() ? QMessageBox::Cancel : answers.takeFirst());
    };
    questions_.fileQuestion = [](bool) { return QString(); };  // the file dialog of a Yes is cancelled
    const QList<Answers> refusals = {{QMessageBox::No, QMessageBox::Cancel},
                                     {QMessageBox::Cancel},
                                     {QMessageBox::Yes},
                                     {QMessageBox::No, QMessageBox::Yes}};
    for (const Answers& refusal : refusals) {
      asked.clear();
      answers = refusal;
      QVERIFY(Frame()->Dispatch(CommandId::AppExit));
      QCOMPARE(asked.size(), refusal.size());
      QCOMPARE(app_.Documents().size(), std::size_t{2});
      QVERIFY(asked[0].contains(Title(first)));
      QVERIFY(Frame()->isVisible() && first->IsModified() && second->IsModified());
      QCOMPARE(Art(first) + Art(second), arts);
    }
    answers = {QMessageBox::No, QMessageBox::Cancel};
    QCloseEvent refused;
    QApplication::sendEvent(Frame(), &refused);
    QVERIFY(!refused.isAccepted());
    QCOMPARE(app_.Documents().size(), std::size_t{2});
    asked.clear();
    answers = {QMessageBox::Cancel};
    QVERIFY(Frame()->Dispatch(CommandId::FileClose));
    QCOMPARE(asked.size(), qsizetype{1});
    QVERIFY(asked[0].contains(Title(second)));
    QVERIFY(app_.Documents().size() == 2 && Frame()->ActiveDocument() == second && second->IsModified());
    answers = {QMessageBox::No};
    Frame()->ActiveFrame()->close();  // the window's own close button
    QTRY_COMPARE(app_.Documents().size(), std::size_t{1});
    QCOMPARE(asked.size(), qsizetype{2});
    answers = {QMessageBox::No};
    QCloseEvent close;
    QApplication::sendEvent(Frame(), &close);
    QVERIFY(close.isAccepted());
    QCOMPARE(asked.size(), qsizetype{3});
    QVERIFY(app_.Documents().empty() && View() == nullptr);
  }
  // On a Japanese desktop the program speaks its own Japanese, with no
  // translator of its own, and Qt's dialogs and buttons follow in Japanese:
  // the save question, the about box.
  void japaneseDesktop() {
    QCOMPARE(Translations::Installed(), UiLanguage::Japanese);
    Document* doc = NewDocument();
    QCOMPARE(test::SaveQuestionShown(app_, questions_, doc),
             (QStringList{Title(doc) + " への変更を保存しますか?", "はい(&Y)", "いいえ(&N)", "キャンセル"}));
    QStringList seen;
    const auto title = [&seen](QWidget& about) { seen = QStringList{about.windowTitle()}; };
    QVERIFY(test::WhileModal([this] { QVERIFY(Frame()->Dispatch(CommandId::AppAbout)); }, title));
    QCOMPARE(seen, QStringList{"ﾊﾞｰｼﾞｮﾝ情報(Plenko)"});
    QCOMPARE(test::OpenDialogFilters(app_, questions_), QStringList{"VIRLO ﾌｧｲﾙ (*.vrl)"});
  }
  // The main window names the document shown, once, also while the program is
  // inactive. The Window menu lists the windows, checks the one shown and
  // shows the one chosen; tiling stacks them top to bottom, and every window
  // on a document repaints with it.
  void windows() {
    Document* first = NewDocument();
    Document* second = NewDocument();
    QVERIFY(Play("tool box\ndrag 20 24 52 56"));
    QCOMPARE(MainTitle(), "VIRLO - " + Title(second) + " *");
    Frame()->MdiArea()->setActiveSubWindow(Window(0));
    QCOMPARE(MainTitle(), "VIRLO - " + Title(first));
    QVERIFY(Window(0)->isMaximized());
    // In the background (another window has the focus and the application is
    // told it is inactive) the area reports no active window.
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
    QEvent deactivate(QEvent::ApplicationDeactivate);
    QApplication::sendEvent(qApp, &deactivate);
    QVERIFY(Frame()->MdiArea()->activeSubWindow() == nullptr);
    QCOMPARE(MainTitle(), "VIRLO - " + Title(first));
    QVERIFY(Frame()->ActiveDocument() == first);
    elsewhere.close();
    Frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Frame()));
    QEvent activate(QEvent::ApplicationActivate);
    QApplication::sendEvent(qApp, &activate);
    QTRY_COMPARE(Frame()->MdiArea()->activeSubWindow(), Window(0));

    QVERIFY(Frame()->Dispatch(CommandId::WindowNew));  // a second window on the first document
    const QString one = "&1 " + Title(first) + ":1";
    const QString three = "&3 " + Title(first) + ":2";
    QCOMPARE(Menu(WindowMenu).mid(WindowCommands), (QStringList{"", one, "&2 " + Title(second) + " *", three}));
    QCOMPARE(WindowChecks(), QStringLiteral("001"));
    for (QAction* entry : WindowEntries()) QCOMPARE(entry->statusTip(), QStringLiteral("指定のｳｨﾝﾄﾞｳを表示"));
    QCOMPARE(MainTitle(), "VIRLO - " + Title(first) + ":2");

    QVERIFY(Frame()->Dispatch(CommandId::WindowTile));
    const QRect area = Frame()->MdiArea()->viewport()->rect();
    int top = area.top();
    for (int i = 0; i < 3; ++i) {
      QVERIFY(Window(i)->isVisible() && !Window(i)->isMaximized());
      const QRect place = Window(i)->geometry();
      QCOMPARE(place, QRect(area.left(), top, area.width(), place.height()));
      QVERIFY(place.height() >= area.height() / 3 - 1);
      top = place.bottom() + 1;
    }
    QCOMPARE(top, area.bottom() + 1);
    // A tiled window shows its own title, which a maximised one leaves to the main window.
    QCOMPARE(Window(1)->windowTitle(), Title(second) + " *");

    // A box drawn in the first document's second window shows in its first.
    auto* other = qobject_cast<DocumentWindow*>(Window(0))->View();
    QVERIFY(View() == qobject_cast<DocumentWindow*>(Window(2))->View() && other->viewport()->isVisible());
    QApplication::processEvents();  // no paint left over from the tiling
    const QImage before = Grab(other);
    PaintCounter counter;
    other->viewport()->installEventFilter(&counter);
    QVERIFY(Play("tool box\ndrag 20 24 60 72"));
    QApplication::processEvents();
    QVERIFY(counter.paints > 0);
    const QImage after = Grab(other);
    QVERIFY(after != before);
    const QRect common = after.rect() & View()->viewport()->rect();
    QCOMPARE(after.copy(common), Grab(View()).copy(common));
    QCOMPARE(Menu(WindowMenu).value(WindowCommands + 1), one + " *");
    counter.paints = 0;
    QVERIFY(Frame()->Dispatch(CommandId::EditUndo));  // undo repaints every view
    QApplication::processEvents();
    QVERIFY(counter.paints > 0);
    QCOMPARE(Grab(other), before);

    WindowEntries().value(1)->trigger();
    QCOMPARE(WindowChecks(), QStringLiteral("010"));
    QTest::keyClick(Frame(), Qt::Key_F6);  // the next window
    QTRY_COMPARE(WindowChecks(), QStringLiteral("001"));
    WindowEntries().value(0)->trigger();
    QCOMPARE(MainTitle(), "VIRLO - " + Title(first) + ":1");
    QCOMPARE(WindowChecks(), QStringLiteral("100"));
    // Closing a document takes its window out of the list.
    QVERIFY(app_.CloseDocument(second));
    QCOMPARE(Menu(WindowMenu).mid(WindowCommands), (QStringList{"", one, "&2 " + Title(first) + ":2"}));
    QCOMPARE(WindowChecks(), QStringLiteral("10"));
  }
  // Closing the document shown, by menu, key or the window's own button,
  // leaves the one shown next maximised as it was; so does closing one in
  // the background.
  void closingADocumentKeepsTheNextMaximised_data() {
    QTest::addColumn<QString>("how");
    for (const char* how : {"menu", "key", "button", "background"}) QTest::newRow(how) << how;
  }
  void closingADocumentKeepsTheNextMaximised() {
    QFETCH(QString, how);
    Document* first = NewDocument();
    NewDocument();
    Document* third = NewDocument();
    QVERIFY(Window(2)->isMaximized());
    if (how == "menu") QVERIFY(Frame()->Dispatch(CommandId::FileClose));
    if (how == "key") QTest::keyClick(Frame(), Qt::Key_W, Qt::ControlModifier);
    if (how == "button") Frame()->ActiveFrame()->close();
    if (how == "background") QVERIFY(app_.CloseDocument(first));
    QTRY_COMPARE(app_.Documents().size(), std::size_t{2});
    QVERIFY(Frame()->ActiveFrame() != nullptr);
    QVERIFY(Frame()->ActiveFrame()->isMaximized());
    QCOMPARE(Frame()->ActiveDocument() == third, how == "background");
    QCOMPARE(MainTitle(), "VIRLO - " + Title(Frame()->ActiveDocument()));
  }
  // A damaged document is refused in one sentence naming its first problem;
  // the message box holds every problem behind its Details button.
  void damagedDocumentSaysOneSentence() {
    const QString path = Path(QStringLiteral("damaged.vrl"));
    QVERIFY(QFile::copy(QStringLiteral(VIRLO_APP_GOLDEN "/../../data/bad/flipped_4104.vrl"), path));
    QVERIFY(app_.OpenDocumentFile(path) == nullptr);
    QCOMPARE(reports_.size(), 1);
    QCOMPARE(reports_[0], path + QStringLiteral(" を開けません: it is damaged: On tree page 2 cell 0: Offset 61579 out "
                                                "of range 637..4092 (and 3 more problems)"));
    const QStringList problems = questions_.reportDetails.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(problems.size(), 4);
    QCOMPARE(problems[0], QStringLiteral("On tree page 2 cell 0: Offset 61579 out of range 637..4092"));
    // The real message box, answered as soon as it shows.
    questions_.report = nullptr;
    QString shown;
    QString details;
    QTimer::singleShot(0, [&shown, &details]() {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      shown = box->text();
      details = box->detailedText();
      box->accept();
    });
    QVERIFY(app_.OpenDocumentFile(path) == nullptr);
    QCOMPARE(shown, reports_[0]);
    QCOMPARE(details, questions_.reportDetails);
    QVERIFY(app_.Documents().empty());
  }
  // Ctrl+W closes the document shown, asking once about its changes: the
  // menu's command, never the window's own close as well.
  void ctrlWClosesOnce() {
    Document* kept = NewDocument();
    NewDocument();
    QVERIFY(Play("tool box\ndrag 20 24 52 56"));
    QCOMPARE(Frame()->Action(CommandId::FileClose)->text(), QStringLiteral("閉じる(&C)\tCtrl+W"));
    int asked = 0;
    QMessageBox::StandardButton answer = QMessageBox::Cancel;
    questions_.saveQuestion = [&asked, &answer](const QString&) {
      ++asked;
      return int(answer);
    };
    QList<int> fired;
    const QMetaObject::Connection spy =
        connect(Frame(), &MainWindow::commandRequested, this, [&fired](int id) { fired.append(id); });
    // Nothing that outlives the test calls back into it, however it ends.
    const auto done = qScopeGuard([this, spy] {
      disconnect(spy);
      questions_.saveQuestion = [](const QString&) { return int(QMessageBox::No); };
    });
    QTest::keyClick(View(), Qt::Key_W, Qt::ControlModifier);
    QApplication::processEvents();
    QCOMPARE(asked, 1);
    QCOMPARE(app_.Documents().size(), std::size_t{2});
    answer = QMessageBox::No;
    QTest::keyClick(View(), Qt::Key_W, Qt::ControlModifier);
    QApplication::processEvents();
    QCOMPARE(asked, 2);
    QCOMPARE(fired, (QList<int>{CommandId::FileClose, CommandId::FileClose}));
    QVERIFY(app_.Documents().size() == 1 && Frame()->ActiveDocument() == kept);
  }
  // Rounded corners are quarter circles running on from the sides, on the
  // screen at 100% to 400% and in the SVG picture drawn at 300%: every point
  // of the arc (of both arcs of a double stroke) is inked, and the ink runs
  // unbroken from the left side round to the top; a dashed corner shows a
  // dash along the arc, not a dot.
  void roundedCornersAreQuarterCircles_data() {
    QTest::addColumn<QString>("stroke");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<int>("scale");
    for (const char* stroke : {"solid", "heavy", "double", "dashed"}) {
      for (const int scale : {1, 2, 3, 4})
        QTest::addRow("%s, screen %d00%%", stroke, scale) << stroke << "screen" << scale;
      QTest::addRow("%s, svg 300%%", stroke) << stroke << "svg" << 3;
    }
  }
  void roundedCornersAreQuarterCircles() {
    QFETCH(QString, stroke);
    QFETCH(QString, picture);
    QFETCH(int, scale);
    NewDocument();
    QVERIFY(Play("tool box\ndrag 20 24 100 88\ntool select\npress 20 56\nrelease 20 56\nstroke " +
                 stroke.toStdString() + "\ncorners rounded\ndrag 300 300 300 300"));
    // The corner's cells, and the sheet's top left at the scale.
    const QSize part(48 * scale, 48 * scale);
    QImage image;
    if (picture == "screen") {
      View()->SetZoom(100 * scale);
      View()->horizontalScrollBar()->setValue(0);
      View()->verticalScrollBar()->setValue(0);
      QApplication::processEvents();
      image = Grab(View()).copy(QRect(QPoint(0, 0), part));
      View()->SetZoom(SheetView::ActualSize);
    } else {
      QSvgRenderer svg(View()->SheetSvg());
      svg.setViewBox(QRectF(0, 0, 48, 48));
      image = QImage(part, QImage::Format_RGB32);
      image.fill(Qt::white);
      QPainter painter(&image);
      svg.render(&painter);
    }
    // A one-pixel pen in the picture runs through the middle of its pixels.
    const double middle = picture == "svg" && stroke != "heavy" ? 0.5 : 0;
    const auto inkedNear = [&image, scale, middle](double x, double y) {
      const QPoint at(static_cast<int>(std::floor((x + middle) * scale)),
                      static_cast<int>(std::floor((y + middle) * scale)));
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          const QPoint near = at + QPoint(dx, dy);
          if (image.rect().contains(near) && qGray(image.pixel(near)) < 128) return true;
        }
      }
      return false;
    };
    // The top-left corner turns about (24, 28), radius 4, from the left side
    // at (20, 28) to the top side at (24, 24); a double's two lines lie one
    // unit either side.
    const std::vector<double> radii = stroke == "double" ? std::vector<double>{3, 5} : std::vector<double>{4};
    constexpr int Samples = 90;
    for (const double radius : radii) {
      int run = 0;
      int longest = 0;
      for (int i = 0; i <= Samples; ++i) {
        const double angle = std::numbers::pi / 2 * i / Samples;
        const bool inked = inkedNear(24 - radius * std::cos(angle), 28 - radius * std::sin(angle));
        run = inked ? run + 1 : 0;
        longest = std::max(longest, run);
      }
      // A dash is 4 units long: at least half the arc's 6.
      const int wanted = stroke == "dashed" ? Samples / 3 : Samples + 1;
      QVERIFY2(longest >= wanted,
               qPrintable(QStringLiteral("radius %1: %2 of %3").arg(radius).arg(longest).arg(wanted)));
    }
    if (stroke == "dashed") return;
    // One stroke of ink from the left side, well below the corner, to the top side well right of it.
    const double outer = 28 - radii.back();
    const auto toPixel = [scale, middle](double x, double y) {
      return QPoint(static_cast<int>(std::floor((x + middle) * scale)),
                    static_cast<int>(std::floor((y + middle) * scale)));
    };
    QVERIFY(Connected(image, toPixel(outer - 4, 40), toPixel(36, outer)));
  }
  // The view scrolls over the whole sheet with its border, following its size
  // through the print dialog, undo, redo and open; a press at the far cells
  // reaches the tool at their sheet point, and Shift turns the wheel sideways.
  void viewScrollsOverTheWholeSheet() {
    Document* doc = NewDocument();
    QVERIFY(Reaches(624, 1024));
    // A dot and the new size in one undo step; the print keeps the text file's name.
    const QString text = Path(QStringLiteral("large.txt"));
    doc->sheet->SetTextFileName(String(text.toStdString().c_str()));
    QVERIFY(Play("tool dot\ndrag 100 100 100 100\nanswer print 256 256 \"" + text.toStdString() + "\"\ntextprint"));
    QVERIFY(doc->sheet->width == 2048 && doc->sheet->height == 4096);
    QVERIFY(Reaches(2048, 4096));
    QVERIFY(Frame()->Dispatch(CommandId::EditUndo));
    QVERIFY(doc->sheet->width == 624 && Reaches(624, 1024));
    QVERIFY(Frame()->Dispatch(CommandId::EditRedo));
    QVERIFY(doc->sheet->width == 2048 && Reaches(2048, 4096));
    // The last cell, in the bottom-right corner of the scrolled view.
    QScrollBar* across = View()->horizontalScrollBar();
    QScrollBar* down = View()->verticalScrollBar();
    across->setValue(across->maximum());
    down->setValue(down->maximum());
    QVERIFY(View()->viewport()->rect().contains(QPoint(255 * 8 + 4, 255 * 16 + 8) -
                                                QPoint(across->value(), down->value())));
    QVERIFY(Play("tool dot\ndrag 2044 4088 2044 4088"));
    const std::vector<std::string> rows = test::ArtRows(Art(doc));
    QCOMPARE(rows.size(), std::size_t{256});
    QCOMPARE(rows.back(), std::string(255, ' ') + "O");
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
    QVERIFY(doc->OnSaveDocument(Path(QStringLiteral("large.vrl")).toStdString()));
    QVERIFY(app_.CloseDocument(doc));
    QVERIFY(app_.OpenDocumentFile(Path(QStringLiteral("large.vrl"))) != nullptr);
    QVERIFY(Reaches(2048, 4096));
  }
  // The toggle shows the sheet's text in its cells, as a painted text would
  // show it, follows every drag step, marks what is picked, and is kept in
  // the INI file for every window, new ones included.
  void artInPlaceOfTheShapes() {
    Document* doc = NewDocument();
    QVERIFY(Play(Diagram));
    const QImage shapes = Grab(View());
    QAction* toggle = Frame()->Action(CommandId::ViewArt);
    QVERIFY(toggle != nullptr && toggle->isCheckable() && !toggle->isChecked());
    toggle->trigger();
    Frame()->UpdateCommandUi();
    QVERIFY(toggle->isChecked() && View()->ArtShown());
    QCOMPARE(SavedArtSetting(), QVariant(true));
    const QImage art = Grab(View());
    QVERIFY(art != shapes);
    QVERIFY(SameInkNearly(art, PaintedText(doc)));
    // The box's left side, "|" in column 2, is one column of solid pixels, as "-" is one row.
    QVERIFY(SolidRun(art, QRect(2 * 8, 2 * 16, 8, 16), Qt::Vertical));
    QVERIFY(SolidRun(art, QRect(3 * 8, 1 * 16, 8, 16), Qt::Horizontal));

    // A drag of the box's left side: the art of every step, the side picked in red.
    QVERIFY(Play("press 20 40\nmove 36 40"));
    const std::string step = Art(doc);
    const QImage dragged = Grab(View());
    QVERIFY(SameInkNearly(dragged, PaintedText(doc)));
    QVERIFY(CellsShow(dragged, 4, 2, 1, Hue::Red));  // the side, now in column 4
    QVERIFY(!CellsShow(dragged, 12, 2, 1, Hue::Red));
    QVERIFY(Play("move 44 40\nrelease 44 40"));
    QVERIFY(Art(doc) != step);
    QVERIFY(SameInkNearly(Grab(View()), PaintedText(doc)));
    // A band round the box and its line: both in blue, the text box not.
    QVERIFY(Play("drag 300 300 300 300\ndrag 4 8 204 100"));
    const QImage selected = Grab(View());
    QVERIFY(CellsShow(selected, 5, 1, 8, Hue::Blue));
    QVERIFY(CellsShow(selected, 13, 3, 10, Hue::Blue));
    QVERIFY(!CellsShow(selected, 28, 8, 10, Hue::Blue));
    QVERIFY(CellsShow(selected, 28, 8, 10, Hue::Grey));

    // Kept for new windows, and read back from the INI file.
    QVERIFY(Frame()->Dispatch(CommandId::WindowNew));
    QVERIFY(View()->ArtShown());
    QVERIFY(Frame()->Dispatch(CommandId::ViewArt));
    QCOMPARE(SavedArtSetting(), QVariant(false));
    QVERIFY(!View()->ArtShown());
    QCOMPARE(Grab(View()).size(), shapes.size());
    {
      QSettings settings(app_.SettingsPath(), QSettings::IniFormat);
      settings.setValue(QStringLiteral("Settings/ShowArt"), true);
    }
    app_.ReadSettings();
    Frame()->UpdateCommandUi();
    QVERIFY(View()->ArtShown() && toggle->isChecked());
    QVERIFY(Frame()->Dispatch(CommandId::ViewArt));
    QVERIFY(!app_.ArtShown());
  }
  // Zoom steps from 50% to 400% by menu, keys and Ctrl+wheel, per window,
  // the last chosen kept in the INI file for new windows. Gestures land on
  // the sheet point under the pointer at any zoom, and the picture scales.
  void zoom() {
    Document* doc = NewDocument();
    const char* drawing = "tool box\ndrag 20 24 52 56\ntool line\ndrag 52 40 100 40";
    QVERIFY(Play(drawing));
    const std::string actual = Art(doc);
    QList<int> zooms;
    for (int i = 0; i < 6; ++i) {
      Frame()->Dispatch(CommandId::ViewZoomIn);
      zooms.append(View()->Zoom());
    }
    QCOMPARE(zooms, (QList<int>{125, 150, 200, 300, 400, 400}));
    QVERIFY(!Frame()->StateOf(CommandId::ViewZoomIn).enabled && Frame()->StateOf(CommandId::ViewZoomOut).enabled);
    QTest::keyClick(Frame(), Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(View()->Zoom(), 100);
    // Back where it started, though a scroll bar came and went.
    QCOMPARE(QPoint(View()->horizontalScrollBar()->value(), View()->verticalScrollBar()->value()), QPoint(0, 0));
    QVERIFY(!Frame()->StateOf(CommandId::ViewZoomActual).enabled);
    for (const int expected : {75, 50, 50}) {
      QTest::keyClick(Frame(), Qt::Key_Minus, Qt::ControlModifier);
      QCOMPARE(View()->Zoom(), expected);
    }
    QTest::keyClick(Frame(), Qt::Key_Equal, Qt::ControlModifier);
    QCOMPARE(View()->Zoom(), 75);
    QCOMPARE(QSettings(app_.SettingsPath(), QSettings::IniFormat).value("Settings/Zoom").toInt(), 75);
    // Ctrl+wheel keeps the sheet point under the pointer where it is.
    const QPoint at(150, 90);
    const Point under = View()->SheetPoint(at);
    QWheelEvent wheel(at, View()->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(View()->viewport(), &wheel);
    QCOMPARE(View()->Zoom(), 100);
    QVERIFY(std::abs(View()->SheetPoint(at).x - under.x) <= 1 && std::abs(View()->SheetPoint(at).y - under.y) <= 1);
    // At 200% the same gestures draw the same art, and a line of the box's
    // left side covers two pixels where it covered one.
    QVERIFY(Frame()->Dispatch(CommandId::WindowNew));
    QCOMPARE(View()->Zoom(), 100);
    Document* zoomed = NewDocument();
    View()->SetZoom(200);
    View()->horizontalScrollBar()->setValue(0);
    View()->verticalScrollBar()->setValue(0);
    QVERIFY(Play(drawing));
    QCOMPARE(Art(zoomed), actual);
    QVERIFY(Play("tool select\ndrag 300 300 300 300"));
    const QImage picture = Grab(View());
    QVERIFY(qGray(picture.pixel(39, 70)) < 128 && qGray(picture.pixel(40, 70)) < 128);
    QVERIFY(qGray(picture.pixel(38, 70)) > 200 && qGray(picture.pixel(41, 70)) > 200);
    QCOMPARE(Frame()->Action(CommandId::ViewZoomActual)->isEnabled(), true);
    QCOMPARE(app_.Zoom(), 200);
  }
  // Arrows on the view reach the controller, whose tests tell the rest:
  // Right moves the selection a cell, Shift+Down eight rows, each one step
  // for Ctrl+Z.
  void arrowKeys() {
    Document* doc = NewDocument();
    QVERIFY(Play(Diagram));
    QVERIFY(Play("drag 4 8 108 100"));  // the band takes the box alone
    QTest::keyClick(View(), Qt::Key_Right);
    const std::string right = Art(doc);
    QCOMPARE(Row(doc, 3).substr(12, 3), std::string(" +-"));  // the line's end moved with the side
    QTest::keyClick(View(), Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(Row(doc, 9).substr(3, 11), std::string("+---------+"));  // the top, eight rows lower
    QTest::keyClick(Frame(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Art(doc), right);
  }
  // The print options (box-drawing lines, no margins, a comment prefix) shape
  // both the clipboard print and the text print, are kept in the INI file and
  // reach every window; off again, the art is the sheet's own.
  void printOptions() {
    Document* doc = NewDocument();
    QVERIFY(Play("tool box\ndrag 20 24 52 56"));
    Frame()->prefixQuestion = [] { return QStringLiteral("// "); };
    for (const int id : {CommandId::PrintUnicodeLines, CommandId::PrintCropped, CommandId::PrintAsComment}) {
      QVERIFY(Frame()->Dispatch(id));
      QVERIFY(Frame()->StateOf(id).checked);
    }
    const QString shaped =
        QStringLiteral("// \u250C\u2500\u2500\u2500\u2510\n// \u2502   \u2502\n// \u2514\u2500\u2500\u2500\u2518\n");
    QVERIFY(Frame()->Dispatch(CommandId::ClipboardPrint));
    QCOMPARE(QApplication::clipboard()->text(), shaped);
    const QString path = Path(QStringLiteral("shaped.txt"));
    dialogs_.Confirm([&path](Dialog& dialog) { dialog.Control(PrintDialog::FileNameEdit).text = path.toStdString(); });
    QVERIFY(Frame()->Dispatch(CommandId::FilePrint));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), QString(shaped).replace(QStringLiteral("\n"), QStringLiteral("\r\n")));
    QCOMPARE(QSettings(app_.SettingsPath(), QSettings::IniFormat).value("Settings/PrintPrefix").toString(),
             QStringLiteral("// "));
    QVERIFY(Frame()->Dispatch(CommandId::WindowNew));
    QCOMPARE(View()->Controller().OutputOptions().prefix, std::string("// "));
    for (const int id : {CommandId::PrintUnicodeLines, CommandId::PrintCropped, CommandId::PrintAsComment}) {
      QVERIFY(Frame()->Dispatch(id));
      QVERIFY(!Frame()->StateOf(id).checked);
    }
    QVERIFY(Frame()->Dispatch(CommandId::ClipboardPrint));
    QCOMPARE(QApplication::clipboard()->text().toStdString(), TextCodec::Cp932ToUtf8(Art(doc)));
    Frame()->prefixQuestion = nullptr;
  }
  // PNG at 1x is the view's own paint, pixel for pixel, at 2x twice the size
  // with the shapes in the same places; SVG is the core's picture with the
  // sheet's border. Exporting ends the selection and leaves the document
  // unmodified; a file that cannot be written is reported.
  void exportPictures() {
    Document* doc = NewDocument();
    QVERIFY(Play(Diagram));
    QVERIFY(doc->OnSaveDocument(Path(QStringLiteral("pictures.vrl")).toStdString()));
    QVERIFY(Play("drag 4 8 108 100"));
    QVERIFY(!doc->sheet->selected.Empty());
    QString target;
    questions_.fileQuestion = [&target](bool save) { return save ? target : QString(); };

    QCOMPARE(Application::PictureName(*doc, Application::Picture::Png2x), QStringLiteral("pictures@2x.png"));
    QCOMPARE(Application::PictureName(*doc, Application::Picture::Png), QStringLiteral("pictures.png"));
    target = Path(QStringLiteral("one"));
    QVERIFY(Frame()->Dispatch(CommandId::FileExportPng));
    QVERIFY(doc->sheet->selected.Empty() && doc->sheet->current == nullptr);
    QVERIFY(!doc->IsModified());
    const QImage one(Path(QStringLiteral("one.png")));
    QCOMPARE(one.size(), QSize(625, 1025));
    QApplication::processEvents();
    const QImage view = Grab(View()).convertToFormat(QImage::Format_RGB32);
    QVERIFY(view.width() < one.width() && view.height() < one.height());
    QCOMPARE(one.convertToFormat(QImage::Format_RGB32).copy(QRect(QPoint(0, 0), view.size())), view);

    target = Path(QStringLiteral("two.png"));
    QVERIFY(Frame()->Dispatch(CommandId::FileExportPng2x));
    const QImage two(target);
    QCOMPARE(two.size(), QSize(1250, 2050));
    // Every black pixel of the lines at 1x is black somewhere in its 2x2 block.
    int blocks = 0;
    for (int y = 0; y < 200; ++y) {
      for (int x = 0; x < 220; ++x) {
        if (one.pixel(x, y) != qRgb(0, 0, 0)) continue;
        ++blocks;
        bool found = false;
        for (int dy = 0; dy < 2; ++dy) {
          for (int dx = 0; dx < 2; ++dx) found = found || two.pixel(2 * x + dx, 2 * y + dy) == qRgb(0, 0, 0);
        }
        QVERIFY2(found, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
      }
    }
    QVERIFY(blocks > 200);

    target = Path(QStringLiteral("shapes.svg"));
    QVERIFY(Frame()->Dispatch(CommandId::FileExportSvg));
    QFile svg(target);
    QVERIFY(svg.open(QIODevice::ReadOnly));
    // The file virlo-cli writes, as large as the PNG.
    const std::string picture = svg.readAll().toStdString();
    QCOMPARE(picture, SvgExport::Render(*doc->sheet, SvgExport::Area::Sheet, SvgExport::Frame::Shown));
    QVERIFY(picture.find("width=\"625\" height=\"1025\"") != std::string::npos);
    QVERIFY(picture.find("日本語") != std::string::npos);
    QVERIFY(reports_.isEmpty());

    target = Path(QStringLiteral("no-folder/picture.png"));
    QVERIFY(Frame()->Dispatch(CommandId::FileExportPng));
    QVERIFY(!QFile::exists(target));
    QCOMPARE(reports_.size(), qsizetype{1});
    QVERIFY(reports_.front().startsWith(target));
  }
};

int main(int argc, char** argv) { return test::RunSuite<DesktopTest>(argc, argv); }

#include "DesktopTest.moc"
