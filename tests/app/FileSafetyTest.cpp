// The desktop program and its documents' files: the lock beside an open
// document, the question when another VIRLO holds it, the question before a
// save overwrites what another program wrote, and Save As offered for a file
// that may not be written.
#include <grp.h>
#include <unistd.h>
#include <utime.h>

#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <utility>

#include "DocumentFiles.h"
#include "app/CMainFrame.h"
#include "app/CPlenkoApp.h"
#include "app/GuiScript.h"
#include "control/CommandIds.h"
#include "document/CPlenkoDoc.h"
#include "objects/PersistentTypes.h"
#include "platform/QueuedDialogRunner.h"

using namespace virlo;
using test::ArtOfFile;
using test::Native;
using test::WriteDocument;
using Locked = CPlenkoApp::LockedFileAnswer;
using Changed = CPlenkoApp::ChangedFileAnswer;

namespace {

const char DotScript[] = "tool dot\ndrag 28 120 28 120";
const char BoxScript[] = "tool box\ndrag 20 24 84 72";
const char LineScript[] = "tool line\ndrag 100 40 180 40";

QByteArray Bytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

// The process a document's lock file names; 0 when there is none.
qint64 Holder(const QString& document) {
  qint64 pid = 0;
  QString host;
  QString program;
  return QLockFile(DocumentLock::LockPathFor(document)).getLockInfo(&pid, &host, &program) ? pid : 0;
}

}  // namespace

class FileSafetyTest : public QObject {
  Q_OBJECT

 public:
  explicit FileSafetyTest(CPlenkoApp& app) : app_(app) {}

 private:
  CPlenkoApp& app_;
  QueuedDialogRunner dialogs_;
  QTemporaryDir dir_;
  QStringList asked_;
  QStringList reports_;
  int fileAsks_ = 0;
  const qint64 self_ = QCoreApplication::applicationPid();

  QString Path(const char* name) const { return QDir(dir_.path()).filePath(QString::fromUtf8(name)); }
  // A question's hook that writes the question down and gives one answer.
  template <typename Answer>
  std::function<Answer(const QString&)> Answering(Answer answer) {
    return [this, answer](const QString& question) {
      asked_.append(question);
      return answer;
    };
  }
  // The names the Save As dialog gives, one per question; then it is cancelled.
  void Names(QStringList names) {
    app_.fileQuestion = [this, names](bool) mutable {
      ++fileAsks_;
      return names.isEmpty() ? QString() : names.takeFirst();
    };
  }
  // Opens a document file (written with a dot first) and draws a line in it.
  CPlenkoDoc* OpenAndEdit(const QString& path) {
    CPlenkoDoc* doc = WriteDocument(path, DotScript).empty() ? nullptr : app_.OpenDocumentFile(path);
    if (doc != nullptr && !test::PlayScript(*app_.MainFrame(), dialogs_, LineScript).empty()) return nullptr;
    return doc;
  }

 private slots:
  void initTestCase() { QVERIFY(dir_.isValid() && app_.InitInstance({})); }
  void init() {
    asked_.clear();
    reports_.clear();
    app_.report = [this](const QString& message) { reports_.append(message); };
    fileAsks_ = 0;
    Names({});
    app_.lockedFileQuestion = Answering(Locked::Cancel);
    app_.changedFileQuestion = Answering(Changed::Keep);
    app_.readOnlyQuestion = Answering(int(QMessageBox::No));
    app_.saveQuestion = [](const QString&) { return int(QMessageBox::No); };
  }
  void cleanup() {
    QVERIFY(app_.CloseAllDocuments());
    QFile::setPermissions(Path("ro"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QDir(Path("ro")).removeRecursively();
    for (const QString& name : QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden)) QDir(dir_.path()).remove(name);
  }

  // A lock left by a killed VIRLO is taken over silently; Save As moves the
  // lock to the new name and closing lets it go. Where no lock can be made
  // (a folder the user may not write), the document still opens, unmarked.
  void locksFollowTheDocument() {
    const QString a = Path("a.vrl");
    QVERIFY(test::LeaveLockOfEndedProcess(DocumentLock::LockPathFor(a)));
    QVERIFY(Holder(a) > 0 && Holder(a) != self_);
    CPlenkoDoc* doc = OpenAndEdit(a);
    QVERIFY(doc != nullptr && asked_.isEmpty());
    QCOMPARE(DocumentLock::LockPathFor(a), Path(".a.vrl.lock"));
    QCOMPARE(Holder(a), self_);
    Names({Path("b.vrl")});
    QVERIFY(app_.SaveDocument(doc, true));
    QVERIFY(Holder(a) == 0 && !QFile::exists(Path(".a.vrl.lock")) && Holder(Path("b.vrl")) == self_);
    QVERIFY(app_.CloseDocument(doc));
    QVERIFY(Holder(Path("b.vrl")) == 0 && !QFile::exists(Path(".b.vrl.lock")));

    if (::geteuid() == 0) QSKIP("rights need an ordinary user, and this runs as root");
    const QString shared = QDir(Path("ro")).filePath(QStringLiteral("a.vrl"));
    QVERIFY(QDir().mkpath(Path("ro")) && !WriteDocument(shared, DotScript).empty());
    QVERIFY(QFile::setPermissions(Path("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    QVERIFY(app_.OpenDocumentFile(shared) != nullptr && asked_.isEmpty());
    QCOMPARE(QDir(Path("ro")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"a.vrl"});
  }
  // A document another running VIRLO holds opens read-only (Save then asks
  // for another name and never writes the held file), anyway, or not at all.
  void heldDocumentAsksHowToOpen_data() {
    QTest::addColumn<Locked>("answer");
    QTest::newRow("read-only") << Locked::ReadOnly;
    QTest::newRow("anyway") << Locked::Anyway;
    QTest::newRow("cancel") << Locked::Cancel;
  }
  void heldDocumentAsksHowToOpen() {
    QFETCH(Locked, answer);
    const QString a = Path("a.vrl");
    QVERIFY(!WriteDocument(a, DotScript).empty());
    QLockFile other(DocumentLock::LockPathFor(a));
    QVERIFY(other.tryLock(0));
    app_.lockedFileQuestion = Answering(answer);
    CPlenkoDoc* doc = OpenAndEdit(a);
    QCOMPARE(asked_.size(), qsizetype{1});
    QVERIFY(asked_[0].contains(a) && asked_[0].contains(QStringLiteral("プロセス %1").arg(self_)));
    QCOMPARE(doc != nullptr, answer != Locked::Cancel);
    if (doc == nullptr) return;
    QCOMPARE(app_.IsReadOnly(doc), answer == Locked::ReadOnly);
    const QByteArray before = Bytes(a);
    const std::string art = doc->sheet->MakeText();
    Names({a, Path("b.vrl")});
    QCOMPARE(app_.SaveDocument(doc, false), answer == Locked::Anyway);
    if (answer == Locked::Anyway) {
      QVERIFY(fileAsks_ == 0 && ArtOfFile(a) == art);
      return;
    }
    // Read-only: the held file is refused even when named; another name is saved and locked.
    QVERIFY(fileAsks_ == 1 && Bytes(a) == before);
    QCOMPARE(reports_.size(), 1);
    QVERIFY(reports_[0].startsWith(a + QStringLiteral(" はほかのウィンドウか VIRLO")));
    QVERIFY(app_.SaveDocument(doc, false));
    QVERIFY(ArtOfFile(Path("b.vrl")) == art && Bytes(a) == before && !app_.IsReadOnly(doc));
    QCOMPARE(Holder(Path("b.vrl")), self_);
  }
  // Before a save writes over the document's own file, the file is compared
  // with the one opened or last saved: when another program changed or
  // removed it, the user keeps it, overwrites it or saves under another name.
  // Only touching it, or copying the same bytes back, asks nothing.
  void outsideChangeAsksBeforeOverwriting_data() {
    QTest::addColumn<QString>("outside");
    QTest::addColumn<Changed>("answer");
    QTest::newRow("changed, keep") << "changed" << Changed::Keep;
    QTest::newRow("changed, overwrite") << "changed" << Changed::Overwrite;
    QTest::newRow("changed, save as") << "changed" << Changed::SaveAs;
    QTest::newRow("removed, keep") << "removed" << Changed::Keep;
    QTest::newRow("removed, overwrite") << "removed" << Changed::Overwrite;
    QTest::newRow("touched") << "touched" << Changed::Keep;
    QTest::newRow("copied back") << "copied back" << Changed::Keep;
  }
  void outsideChangeAsksBeforeOverwriting() {
    QFETCH(QString, outside);
    QFETCH(Changed, answer);
    const QString a = Path("a.vrl");
    const QString b = Path("b.vrl");
    CPlenkoDoc* doc = OpenAndEdit(a);
    QVERIFY(doc != nullptr);
    const std::string art = doc->sheet->MakeText();
    if (outside == "changed") QVERIFY(!WriteDocument(a, BoxScript).empty());
    if (outside == "removed") QVERIFY(QFile::remove(a));
    if (outside == "touched") QVERIFY(::utime(Native(a).c_str(), nullptr) == 0);
    if (outside == "copied back") QVERIFY(QFile::copy(a, b) && QFile::remove(a) && QFile::rename(b, a));
    const QByteArray theirs = Bytes(a);
    const bool asks = outside == "changed" || outside == "removed";
    app_.changedFileQuestion = Answering(answer);
    Names({b});
    QVERIFY(app_.MainFrame()->Dispatch(CommandId::FileSave));
    QCOMPARE(asked_.size(), qsizetype{asks ? 1 : 0});
    QCOMPARE(doc->IsModified(), answer == Changed::Keep && asks);
    QCOMPARE(fileAsks_, answer == Changed::SaveAs ? 1 : 0);
    if (answer == Changed::SaveAs) QCOMPARE(ArtOfFile(b), art);
    if (!asks || answer == Changed::Overwrite) {
      QCOMPARE(ArtOfFile(a), art);
    } else {
      QCOMPARE(Bytes(a), theirs);
    }
    if (!asks) return;
    QVERIFY(asked_[0].contains(a));
    QCOMPARE(asked_[0].contains(QStringLiteral("削除")), outside == "removed");
    // Once saved, the file as written is the one compared: no question.
    QCOMPARE(test::PlayScript(*app_.MainFrame(), dialogs_, DotScript), std::string());
    QCOMPARE(app_.SaveDocument(doc, false), answer != Changed::Keep);
    QCOMPARE(asked_.size(), qsizetype{answer == Changed::Keep ? 2 : 1});
  }
  // A file the user may not write: the program says why and offers Save As;
  // No saves nothing, Yes asks for a name and saves there.
  void readOnlyFileOffersSaveAs() {
    if (::geteuid() == 0) QSKIP("rights need an ordinary user, and this runs as root");
    const QString a = Path("a.vrl");
    CPlenkoDoc* doc = OpenAndEdit(a);
    QVERIFY(doc != nullptr && QFile::setPermissions(a, QFileDevice::ReadOwner));
    const QByteArray before = Bytes(a);
    Names({Path("b.vrl")});
    QVERIFY(!app_.SaveDocument(doc, false));
    QVERIFY(asked_.size() == 1 && asked_[0].contains(a) && asked_[0].contains(QStringLiteral("別の名前")));
    QVERIFY(fileAsks_ == 0 && doc->IsModified() && Bytes(a) == before);
    app_.readOnlyQuestion = Answering(int(QMessageBox::Yes));
    QVERIFY(app_.SaveDocument(doc, false));
    QVERIFY(asked_.size() == 2 && fileAsks_ == 1 && !doc->IsModified() && Bytes(a) == before);
    QVERIFY(doc->GetPathName() == Native(Path("b.vrl")) && Holder(Path("b.vrl")) == self_ && Holder(a) == 0);
  }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Rights matter only for an ordinary user: started as root, run as nobody.
  if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
    std::fputs("file_safety_tests: cannot become an ordinary user; the cases about rights are skipped\n", stderr);
  }
  // Home, data and settings of this run alone, whatever the environment names.
  QTemporaryDir home;
  if (!home.isValid()) return 1;
  for (const auto& [variable, folder] : {std::pair{"HOME", ""}, std::pair{"XDG_DATA_HOME", "/data"},
                                         std::pair{"XDG_CONFIG_HOME", "/config"}, std::pair{"XDG_RUNTIME_DIR", ""}}) {
    qputenv(variable, QFile::encodeName(home.path()) + folder);
  }
  StartStore();
  CPlenkoApp app(argc, argv);
  FileSafetyTest test(app);
  return QTest::qExec(&test, argc, argv);
}

#include "FileSafetyTest.moc"
