// A diagram in the lines of a text file, edited in the desktop program:
// opened as FILE:LINE, from the list of a file's blocks and by a drop; its
// title; Save writing back only the block's lines, and nothing at all when
// nothing changed; the question when its lines changed on disk; a new
// diagram put in at a line.
#include <sys/stat.h>

#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/BlockListDialog.h"
#include "app/DesktopFixture.h"
#include "app/DocumentWindow.h"

using namespace virlo;
using ChangedBlock = FileQuestions::ChangedBlock;

namespace {

const QByteArray Readme =
    "# Queue\n"
    "\n"
    "Requests pass the queue:\n"
    "\n"
    "```text\n"
    "+--------+     +-------+\n"
    "| client |---->| queue |\n"
    "+--------+     +-------+\n"
    "```\n"
    "\n"
    "Nothing else is kept.\n";
// Readme with a box drawn under the others (BoxScript).
const QByteArray Grown =
    "# Queue\n"
    "\n"
    "Requests pass the queue:\n"
    "\n"
    "```text\n"
    "+--------+     +-------+\n"
    "| client |---->| queue |\n"
    "+--------+     +-------+\n"
    "\n"
    "+--------+\n"
    "|        |\n"
    "+--------+\n"
    "```\n"
    "\n"
    "Nothing else is kept.\n";
const char BoxScript[] = "tool box\ndrag 4 72 76 104";
const char DotScript[] = "tool dot\ndrag 150 24 150 24";

// A file's bytes, its inode and its time: a write of any kind changes one.
struct Stamp {
  ino_t inode = 0;
  timespec modified{};
  bool operator==(const Stamp& other) const {
    return inode == other.inode && modified.tv_sec == other.modified.tv_sec &&
           modified.tv_nsec == other.modified.tv_nsec;
  }
};

Stamp StampOf(const QString& path) {
  struct stat info {};
  Stamp stamp;
  if (::stat(QFile::encodeName(path).constData(), &info) == 0) {
    stamp.inode = info.st_ino;
    stamp.modified = info.st_mtim;
  }
  return stamp;
}

QByteArray Bytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

bool Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

}  // namespace

class BlockDocumentTest : public QObject, private test::DesktopFixture {
  Q_OBJECT

 public:
  using DesktopFixture::DesktopFixture;

 private:
  QStringList changedAsked_;

  // Opens FILE:LINE as the command line does.
  Document* Open(const QString& name, int line) {
    Document* doc = app_.OpenOrImport(Path(name) + QStringLiteral(":%1").arg(line));
    QApplication::processEvents();
    return doc;
  }
  QString Title(Document* doc) const {
    Frame()->UpdateCommandUi();
    DocumentWindow* frame = Frame()->ActiveFrame();
    return frame != nullptr && frame->GetDocument() == doc ? frame->Title() : QStringLiteral("(not active)");
  }
  void AnswerChangedBlock(ChangedBlock answer) {
    questions_.changedBlockQuestion = [this, answer](const QString& question) {
      changedAsked_.append(question);
      return answer;
    };
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    QFile::remove(app_.SettingsPath());
    QVERIFY(app_.InitInstance({}));
  }
  void init() {
    AnswerNoAndKeepReports();
    changedAsked_.clear();
    AnswerChangedBlock(ChangedBlock::Cancel);
    questions_.blockChoice = nullptr;
    questions_.fileQuestion = nullptr;
    QVERIFY(Write(Path("README.md"), Readme));
  }
  void cleanup() { QVERIFY(app_.CloseAllDocuments()); }

  void openLineSaveBack() {
    Document* doc = Open(QStringLiteral("README.md"), 7);
    QVERIFY(doc != nullptr && app_.BlockOrigin(doc) != nullptr);
    QCOMPARE(Title(doc), QStringLiteral("README.md:5-9"));
    QVERIFY(!doc->IsModified());
    QCOMPARE(Row(doc, 1), std::string("| client |---->| queue |"));
    // Saved with nothing changed: the file is not even written.
    const Stamp before = StampOf(Path("README.md"));
    QVERIFY(app_.SaveDocument(doc, false));
    QVERIFY(StampOf(Path("README.md")) == before);

    QVERIFY(Play(BoxScript));
    QVERIFY(doc->IsModified());
    QCOMPARE(Title(doc), QStringLiteral("README.md:5-9 *"));
    QVERIFY(app_.SaveDocument(doc, false));
    QCOMPARE(Bytes(Path("README.md")), Grown);
    QVERIFY(!doc->IsModified());
    QCOMPARE(Title(doc), QStringLiteral("README.md:5-13"));
    QVERIFY(reports_.isEmpty() && changedAsked_.isEmpty());
    // The same art once more: nothing written.
    const Stamp written = StampOf(Path("README.md"));
    QVERIFY(app_.SaveDocument(doc, false));
    QVERIFY(StampOf(Path("README.md")) == written);
    // Opening a line of it again finds the document already open.
    const std::size_t open = app_.Documents().size();
    QCOMPARE(Open(QStringLiteral("README.md"), 12), doc);
    QCOMPARE(app_.Documents().size(), open);
  }

  void lineInNoBlockNamesTheNearest() {
    const std::size_t open = app_.Documents().size();
    QVERIFY(Open(QStringLiteral("README.md"), 11) == nullptr);
    QVERIFY(Open(QStringLiteral("README.md"), 40) == nullptr);
    QCOMPARE(reports_.size(), 2);
    QVERIFY2(reports_[0].contains(QStringLiteral("line 11 is in no diagram block")) &&
                 reports_[0].contains(QStringLiteral("5-9 above")),
             qPrintable(reports_[0]));
    QVERIFY2(reports_[1].contains(QStringLiteral("40")), qPrintable(reports_[1]));
    QCOMPARE(app_.Documents().size(), open);
    QCOMPARE(Bytes(Path("README.md")), Readme);
  }

  void realFileNamedLikeALineWins() {
    Document* made = NewDocument();
    QVERIFY(Play(BoxScript));
    const QString named = Path("plan.vrl:2");
    questions_.fileQuestion = [named](bool) { return named; };
    QVERIFY(app_.SaveDocument(made, false));
    QVERIFY(app_.CloseDocument(made));
    Document* doc = app_.OpenOrImport(named);
    QVERIFY(doc != nullptr && app_.BlockOrigin(doc) == nullptr);
    QCOMPARE(QString::fromStdString(doc->GetPathName()), named);
  }

  // Lines around the block changed: saved where the block now stands,
  // without a question.
  void changedAroundTheBlockIsSavedWhereItIs() {
    Document* doc = Open(QStringLiteral("README.md"), 5);
    QVERIFY(doc != nullptr && Play(BoxScript));
    QVERIFY(Write(Path("README.md"), "Added above.\n" + Readme + "Added below.\n"));
    QVERIFY(app_.SaveDocument(doc, false));
    QCOMPARE(Bytes(Path("README.md")), "Added above.\n" + Grown + "Added below.\n");
    QCOMPARE(Title(doc), QStringLiteral("README.md:6-14"));
    QVERIFY(changedAsked_.isEmpty() && reports_.isEmpty());
  }

  // The block's own lines changed: each answer, and never a silent loss.
  void changedBlockAsks() {
    QByteArray theirs = Readme;
    theirs.replace("client", "CLIENT");
    Document* doc = Open(QStringLiteral("README.md"), 6);
    QVERIFY(doc != nullptr && Play(BoxScript));
    QVERIFY(Write(Path("README.md"), theirs));
    const Stamp before = StampOf(Path("README.md"));

    QVERIFY(!app_.SaveDocument(doc, false));
    QCOMPARE(changedAsked_.size(), 1);
    QVERIFY2(changedAsked_[0].contains(Path("README.md")) && changedAsked_[0].contains(QStringLiteral("5")),
             qPrintable(changedAsked_[0]));
    QVERIFY(StampOf(Path("README.md")) == before && Bytes(Path("README.md")) == theirs);
    QVERIFY(doc->IsModified() && app_.BlockOrigin(doc) != nullptr);

    // Elsewhere, as a document file of its own; the text file as it was.
    AnswerChangedBlock(ChangedBlock::SaveElsewhere);
    const QString elsewhere = Path("queue.vrl");
    questions_.fileQuestion = [elsewhere](bool save) { return save ? elsewhere : QString(); };
    QVERIFY(app_.SaveDocument(doc, false));
    QCOMPARE(changedAsked_.size(), 2);
    QVERIFY(QFile::exists(elsewhere) && Bytes(Path("README.md")) == theirs);
    QVERIFY(app_.BlockOrigin(doc) == nullptr && !doc->IsModified() && !doc->IsUntitled());
    QCOMPARE(Title(doc), QStringLiteral("queue"));

    // Overwritten: the block holds the diagram, their change is gone by choice.
    QVERIFY(Write(Path("README.md"), Readme));
    doc = Open(QStringLiteral("README.md"), 6);
    QVERIFY(doc != nullptr && Play(BoxScript));
    QVERIFY(Write(Path("README.md"), theirs));
    AnswerChangedBlock(ChangedBlock::Overwrite);
    QVERIFY(app_.SaveDocument(doc, false));
    QCOMPARE(changedAsked_.size(), 3);
    QCOMPARE(Bytes(Path("README.md")), Grown);
    QVERIFY(!doc->IsModified() && reports_.isEmpty());
  }

  // A file gone: the edit stays, with the reason shown.
  void fileGoneKeepsTheEdit() {
    Document* doc = Open(QStringLiteral("README.md"), 6);
    QVERIFY(doc != nullptr && Play(BoxScript));
    QVERIFY(QFile::remove(Path("README.md")));
    QVERIFY(!app_.SaveDocument(doc, false));
    QVERIFY(doc->IsModified() && !QFile::exists(Path("README.md")));
    QCOMPARE(reports_.size(), 1);
  }

  void saveAsMakesAnOrdinaryDocument() {
    Document* doc = Open(QStringLiteral("README.md"), 6);
    QVERIFY(doc != nullptr && Play(BoxScript));
    questions_.fileQuestion = [this](bool) { return Path("copy"); };
    QVERIFY(app_.SaveDocument(doc, true));
    QVERIFY(QFile::exists(Path("copy.vrl")) && Bytes(Path("README.md")) == Readme);
    QVERIFY(app_.BlockOrigin(doc) == nullptr);
    // Saved again: the document file, never the text file.
    QVERIFY(Play(DotScript));
    QVERIFY(app_.SaveDocument(doc, false));
    QCOMPARE(Bytes(Path("README.md")), Readme);
  }

  void newDiagramIsPutInAtTheLine() {
    const QByteArray notes = "# Notes\nSome text.\n";
    QVERIFY(Write(Path("notes.md"), notes));
    Document* doc = app_.NewBlock(Path("notes.md"), 2);
    QApplication::processEvents();
    QVERIFY(doc != nullptr);
    QCOMPARE(Title(doc), QStringLiteral("notes.md:2"));
    const Stamp before = StampOf(Path("notes.md"));
    QVERIFY(app_.SaveDocument(doc, false));
    QVERIFY(StampOf(Path("notes.md")) == before);
    QVERIFY(Play("tool box\ndrag 4 8 76 40"));
    QVERIFY(app_.SaveDocument(doc, false));
    QCOMPARE(Bytes(Path("notes.md")),
             QByteArray("# Notes\n```\n+--------+\n|        |\n+--------+\n```\nSome text.\n"));
    QCOMPARE(Title(doc), QStringLiteral("notes.md:2-6"));
    // From then on it is the block: a second save puts in no second block.
    QVERIFY(Play(DotScript));
    QVERIFY(app_.SaveDocument(doc, false));
    QVERIFY(Bytes(Path("notes.md")).count("```") == 2);
    QVERIFY(app_.NewBlock(Path("notes.md"), 99) == nullptr && reports_.size() == 1);
  }

  // The list of a file's blocks, in the real dialog: the preview follows the
  // choice, and the block chosen opens.
  void listOfBlocks() {
    QVERIFY(Write(Path("two.md"), Readme + "\n    +--+\n    |  |\n    +--+\n\nEnd.\n"));
    questions_.fileQuestion = [this](bool) { return Path("two.md"); };
    QStringList rows;
    QStringList previews;
    const bool shown = test::WhileModal<BlockListDialog>([this] { app_.FileOpenBlock(); },
                                                         [&](BlockListDialog& dialog) {
                                                           for (int i = 0; i < dialog.List()->count(); ++i) {
                                                             rows.append(dialog.List()->item(i)->text());
                                                           }
                                                           previews.append(dialog.Preview()->toPlainText());
                                                           dialog.List()->setCurrentRow(1);
                                                           previews.append(dialog.Preview()->toPlainText());
                                                           dialog.accept();
                                                         });
    QVERIFY(shown);
    QCOMPARE(rows.size(), 2);
    QVERIFY2(rows[0].startsWith(QStringLiteral("5-9")) && rows[0].contains(QStringLiteral("fence")) &&
                 rows[1].startsWith(QStringLiteral("13-15")) && rows[1].contains(QStringLiteral("indented")),
             qPrintable(rows.join(QLatin1Char('|'))));
    QVERIFY2(previews[0].contains(QStringLiteral("| client |")) && previews[1] == "    +--+\n    |  |\n    +--+",
             qPrintable(previews.join(QLatin1Char('|'))));
    Document* doc = Frame()->ActiveDocument();
    QVERIFY(doc != nullptr && app_.BlockOrigin(doc) != nullptr);
    QCOMPARE(Title(doc), QStringLiteral("two.md:13-15"));
    QCOMPARE(Row(doc, 0), std::string("+--+"));
  }

  // A drop offers the list; a file that is all one diagram comes in whole.
  void dropOffersTheBlocks() {
    QVERIFY(Write(Path("README.md"), Readme));
    int offered = -1;
    questions_.blockChoice = [&offered](const QString&, const QList<FileQuestions::BlockChoice>& blocks) {
      offered = static_cast<int>(blocks.size());
      return 0;
    };
    Document* doc = app_.OpenDropped(Path("README.md"));
    QVERIFY(doc != nullptr && app_.BlockOrigin(doc) != nullptr);
    QCOMPARE(offered, 1);
    QCOMPARE(Title(doc), QStringLiteral("README.md:5-9"));

    offered = -1;
    QVERIFY(Write(Path("art.txt"), "+--+\n|  |\n+--+\n"));
    doc = app_.OpenDropped(Path("art.txt"));
    QVERIFY(doc != nullptr && app_.BlockOrigin(doc) == nullptr && doc->IsUntitled());
    QCOMPARE(offered, -1);
    QCOMPARE(Row(doc, 1), std::string("|  |"));
    // Cancelled: nothing opens.
    questions_.blockChoice = [](const QString&, const QList<FileQuestions::BlockChoice>&) { return -1; };
    const std::size_t open = app_.Documents().size();
    QVERIFY(app_.OpenDropped(Path("README.md")) == nullptr || app_.Documents().size() == open);
  }

  // A modified diagram of a text file keeps a recovery copy named after its block.
  void recoveryCopyNamesTheBlock() {
    Document* doc = Open(QStringLiteral("README.md"), 6);
    QVERIFY(doc != nullptr && Play(BoxScript));
    app_.UpdateRecoveryCopies();
    const QString copy = app_.RecoveryCopyOf(doc);
    QVERIFY(!copy.isEmpty() && QFile::exists(copy));
    QString note = copy;
    note.replace(QStringLiteral(".vrl"), QStringLiteral(".note"));
    QVERIFY2(Bytes(note).contains("title=README.md:5-9"), Bytes(note).constData());
    QVERIFY(app_.SaveDocument(doc, false));
    QVERIFY(app_.RecoveryCopyOf(doc).isEmpty() && !QFile::exists(copy));
  }
};

int main(int argc, char** argv) { return test::RunSuite<BlockDocumentTest>(argc, argv); }

#include "BlockDocumentTest.moc"
