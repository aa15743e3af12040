// The view's character art in place of the shapes, the cell pane, the arrow
// keys on real key events, and the pictures File > Export writes.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include "app/CMainFrame.h"
#include "app/CPlenkoApp.h"
#include "app/DesktopFixture.h"
#include "app/GuiScript.h"
#include "control/CommandIds.h"
#include "document/CPlenkoDoc.h"
#include "model/Sheet.h"
#include "objects/PersistentTypes.h"
#include "platform/QueuedDialogRunner.h"
#include "platform/TextCodec.h"
#include "view/CPlenkoView.h"
#include "view/QtDeviceContext.h"

using namespace virlo;

namespace {

// A box with a line joined to its right side, and a framed Japanese text box.
constexpr char Diagram[] =
    "tool box\ndrag 20 24 100 88\ntool line\ndrag 100 56 196 56\n"
    "tool strbox\nanswer text \"日本語 ok\" left frame\npress 228 120\nrelease 228 120\ntool select";

// Which pixels carry ink, whatever its colour.
QImage Ink(const QImage& image) {
  QImage ink(image.size(), QImage::Format_Mono);
  ink.fill(0);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != qRgb(255, 255, 255)) ink.setPixel(x, y, 1);
    }
  }
  return ink;
}

}  // namespace

class ArtViewTest : public QObject, private test::DesktopFixture {
  Q_OBJECT

 public:
  using DesktopFixture::DesktopFixture;

 private:
  static QImage Grab(const CPlenkoView* view) { return view->viewport()->grab().toImage(); }
  QVariant SavedArtSetting() const {
    return QSettings(app_.SettingsPath(), QSettings::IniFormat).value(QStringLiteral("Settings/ShowArt"));
  }
  // The art as a reader would paint it: each row of the sheet's text as one
  // string in the text font, on white, in a picture the size of the view.
  QImage PaintedText(const CPlenkoDoc* doc) const {
    QImage image(View()->viewport()->size(), QImage::Format_RGB32);
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
    const QStringList rows = QString::fromStdString(TextCodec::Cp932ToUtf8(Art(doc))).split('\n');
    for (int row = 0; row < rows.size(); ++row) {
      const int top = row * doc->sheet->cellHeight;
      painter.drawText(QPointF(0, top + (doc->sheet->cellHeight - metrics.height()) / 2 + metrics.ascent()), rows[row]);
    }
    return image;
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
    QVERIFY(!app_.ArtShown());  // off until chosen
  }
  void init() {
    app_.saveQuestion = [](const QString&) { return int(QMessageBox::No); };
    app_.fileQuestion = [](bool) { return QString(); };
    reports_.clear();
    app_.report = [this](const QString& message) { reports_.append(message); };
    QVERIFY(app_.CloseAllDocuments());
    Frame()->resize(520, 420);
    QApplication::processEvents();
  }
  // The toggle shows the sheet's text in its cells, as a painted text would
  // show it, follows every drag step, marks what is picked, and is kept in
  // the INI file for every window, new ones included.
  void artInPlaceOfTheShapes() {
    CPlenkoDoc* doc = NewDocument();
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
    QCOMPARE(art, PaintedText(doc));

    // A drag of the box's left side: the art of every step, the side picked in red.
    QVERIFY(Play("press 20 40\nmove 36 40"));
    const std::string step = Art(doc);
    const QImage dragged = Grab(View());
    QCOMPARE(Ink(dragged), Ink(PaintedText(doc)));
    QVERIFY(CellsShow(dragged, 4, 2, 1, Hue::Red));  // the side, now in column 4
    QVERIFY(!CellsShow(dragged, 12, 2, 1, Hue::Red));
    QVERIFY(Play("move 44 40\nrelease 44 40"));
    QVERIFY(Art(doc) != step);
    QCOMPARE(Ink(Grab(View())), Ink(PaintedText(doc)));
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
  // The cell pane shows the grid cell of each drag position beside the coordinates.
  void cellPane() {
    NewDocument();
    QVERIFY(Play("press 300 200\nmove 100 47"));
    QCOMPARE(Frame()->PositionText(), QStringLiteral(" 100,  47"));
    QCOMPARE(Frame()->CellText(), QStringLiteral("  12,   2"));
    QVERIFY(Play("move 7 16\nrelease 7 16"));
    QCOMPARE(Frame()->CellText(), QStringLiteral("   0,   1"));
    QCOMPARE(Frame()->findChild<QWidget*>(QStringLiteral("CellPane"))->width(), CMainFrame::CellPaneWidth);
  }
  // Arrows on the view move the selection a cell, Shift+arrows eight, the
  // joined line following as in a drag; each is one step for Ctrl+Z. With
  // nothing selected they change nothing.
  void arrowKeys() {
    CPlenkoDoc* doc = NewDocument();
    QVERIFY(Play(Diagram));
    const std::string drawn = Art(doc);
    QTest::keyClick(View(), Qt::Key_Right);
    QCOMPARE(Art(doc), drawn);
    QVERIFY(Play("drag 4 8 108 100"));  // the band takes the box alone
    QTest::keyClick(View(), Qt::Key_Right);
    const std::string right = Art(doc);
    QCOMPARE(right.substr(3 * 79 + 12, 3), std::string(" +-"));  // the line's end moved with the side
    QTest::keyClick(View(), Qt::Key_Down, Qt::ShiftModifier);
    const std::string down = Art(doc);
    QCOMPARE(down.substr(9 * 79 + 3, 11), std::string("+---------+"));  // the top, eight rows lower
    QTest::keyClick(Frame(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Art(doc), right);
    QTest::keyClick(Frame(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Art(doc), drawn);
    // The same by mouse, from the box's left side.
    QVERIFY(Play("drag 20 56 28 56"));
    QCOMPARE(Art(doc), right);
    QVERIFY(Play("drag 28 56 28 184"));
    QCOMPARE(Art(doc), down);
  }
  // PNG at 1x is the view's own paint, pixel for pixel, at 2x twice the size
  // with the shapes in the same places; SVG is XML holding the text. Exporting
  // ends the selection and leaves the document unmodified; a file that cannot
  // be written is reported.
  void exportPictures() {
    CPlenkoDoc* doc = NewDocument();
    QVERIFY(Play(Diagram));
    QVERIFY(doc->OnSaveDocument(Path(QStringLiteral("pictures.vrl")).toStdString()));
    QVERIFY(Play("drag 4 8 108 100"));
    QVERIFY(!doc->sheet->selected.Empty());
    QString target;
    app_.fileQuestion = [&target](bool save) { return save ? target : QString(); };

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
    QXmlStreamReader xml(&svg);
    QStringList texts;
    bool root = false;
    while (!xml.atEnd()) {
      xml.readNext();
      if (xml.isStartElement() && xml.name() == QStringLiteral("svg")) root = true;
      if (xml.isCharacters() && !xml.isWhitespace()) texts.append(xml.text().toString());
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QVERIFY(root);
    QVERIFY(texts.join(QString()).contains(QStringLiteral("日本語 ok")));
    QVERIFY(reports_.isEmpty());

    target = Path(QStringLiteral("no-folder/picture.png"));
    QVERIFY(Frame()->Dispatch(CommandId::FileExportPng));
    QVERIFY(!QFile::exists(target));
    QCOMPARE(reports_.size(), qsizetype{1});
    QVERIFY(reports_.front().startsWith(target));
  }
};

int main(int argc, char** argv) { return test::RunSuite<ArtViewTest>(argc, argv); }

#include "ArtViewTest.moc"
