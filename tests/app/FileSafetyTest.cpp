// The desktop program and its documents' files: recovery copies, private,
// written while a document is modified, removed when it is saved or closed
// or the program ends, offered at the next start when the program was killed
// and when their document is opened, never taken from a VIRLO still running,
// kept only in a folder of the user's alone; the lock beside an open
// document, the question when another VIRLO holds it, the question before a
// save overwrites what another program wrote, Save As offered for a file
// that may not be written, and text prints into pipes that never stop the
// program.
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include <QByteArray>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <utility>

#include "app/DesktopFixture.h"
#include "control/CommandIds.h"
#include "document/DocumentCheck.h"
#include "document/RecoveryNote.h"
#include "platform/RedoCopy.h"
#include "script/Script.h"
#include "script/ScriptRunner.h"
#include "store/Database.h"
#include "store/DocumentFile.h"

using namespace virlo;
using namespace std::chrono_literals;
using Offer = FileQuestions::Recovery;
using Locked = FileQuestions::LockedFile;
using Changed = FileQuestions::ChangedFile;

namespace {

const char DotScript[] = "tool dot\ndrag 28 120 28 120";
const char BoxScript[] = "tool box\ndrag 20 24 84 72";
const char LineScript[] = "tool line\ndrag 100 40 180 40";
// Generous: the machine may be busy with other work.
constexpr int Patience = 60000;

inline std::string Native(const QString& path) { return QFile::encodeName(path).toStdString(); }

// Writes the document a script draws, as another program (or VIRLO) would; an
// empty path only plays it. The art drawn, or "" when the script failed.
inline std::string WriteDocument(const QString& path, const std::string& script) {
  std::vector<script::ScriptCommand> commands;
  std::string error;
  script::ScriptRunner runner(stdout, stderr);
  if (!script::Script::Parse(script, commands, error) || !runner.Start() || !runner.Run(commands)) return {};
  if (!path.isEmpty() && !runner.GetDocument().OnSaveDocument(Native(path))) return {};
  return runner.GetDocument().sheet->MakeText();
}

// The art of a document file as the core reads and checks it, or why it refused it.
inline std::string ArtOfFile(const QString& path) {
  std::string error;
  const std::unique_ptr<store::Database> db = store::DocumentFile::Open(Native(path), error);
  Sheet* sheet = nullptr;
  if (db == nullptr || DocumentCheck::Check(*db, sheet, error) == DocumentCheck::Verdict::Refused) return error;
  return sheet->MakeText();
}

// Leaves at path the lock file a killed VIRLO leaves: a QLockFile of this
// program naming a process that has ended. False when it could not be made.
inline bool LeaveLockOfEndedProcess(const QString& path) {
  QByteArray contents;
  {
    QLockFile lock(path);
    QFile file(path);
    if (!lock.tryLock(0) || !file.open(QIODevice::ReadOnly)) return false;
    contents = file.readAll();
  }
  const pid_t ended = ::fork();
  if (ended == 0) ::_exit(0);
  int status = 0;
  const qsizetype pidEnd = contents.indexOf('\n');
  if (ended < 0 || ::waitpid(ended, &status, 0) != ended || pidEnd <= 0) return false;
  contents = QByteArray::number(ended) + contents.mid(pidEnd);
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(contents) == contents.size();
}

RecoveryNote Note(const QString& original, const std::string& title) {
  RecoveryNote note{Native(original), title, FileIdentity()};
  if (!original.isEmpty()) note.identity = FileIdentity::Of(note.original);
  return note;
}

QByteArray Bytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

unsigned Mode(const QString& path) {
  struct stat info {};
  return ::lstat(Native(path).c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// The process a document's lock file names; 0 when there is none.
qint64 Holder(const QString& document) {
  qint64 pid = 0;
  QString host;
  QString program;
  return QLockFile(DocumentLock::LockPathFor(document)).getLockInfo(&pid, &host, &program) ? pid : 0;
}

}  // namespace

class FileSafetyTest : public QObject, private test::AppFixture {
  Q_OBJECT

 public:
  FileSafetyTest(Application& app, QString dataHome) : AppFixture(app), dataHome_(std::move(dataHome)) {}

 private:
  const QString dataHome_;
  QueuedDialogRunner dialogs_;
  QString folder_;  // where the recovery copies must be
  QStringList asked_;
  int fileAsks_ = 0;
  const qint64 self_ = QCoreApplication::applicationPid();

  std::string Play(const std::string& script) { return test::PlayScript(*Frame(), dialogs_, script); }
  QString InFolder(const QString& name) const { return QDir(folder_).filePath(name); }
  QStringList FolderFiles(const QString& pattern) const {
    return QDir(folder_).entryList({pattern}, QDir::Files | QDir::Hidden, QDir::Name);
  }
  Document* Active() const { return Frame()->ActiveDocument(); }
  // Answers the offers by the title they name (Keep for the others), and writes them down.
  void AnswerOffers(const std::map<QString, Offer>& answers) {
    asked_.clear();
    questions_.recoveryQuestion = [this, answers](const QString& question) {
      asked_.append(question);
      for (const auto& [title, answer] : answers) {
        if (question.contains(QStringLiteral("なかった %1 (").arg(title))) return answer;
      }
      return Offer::Keep;
    };
  }
  // What a VIRLO killed with a modified document leaves: the copy, its note,
  // and unless told otherwise the lock of its ended process.
  bool LeaveOrphan(const QString& name, const std::string& script, const RecoveryNote& note, bool lock = true) {
    std::string error;
    const QString session = name.section(QLatin1Char('-'), 0, 0);
    return !WriteDocument(InFolder(name + QStringLiteral(".vrl")), script).empty() &&
           note.Write(Native(InFolder(name + QStringLiteral(".note"))), error) &&
           (!lock || QFile::exists(InFolder(session + ".lock")) ||
            LeaveLockOfEndedProcess(InFolder(session + ".lock")));
  }
  // Runs the desktop program on its own with a box drawn: killed once its
  // copy appears, or (with end) ending by itself. The copy's path.
  QString RunChild(QProcess& child, const QStringList& end) {
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QStringLiteral(VIRLO_RECOVERY_CHILD), QStringList{QString::fromLatin1(BoxScript)} + end);
    if (!end.isEmpty()) {
      return child.waitForFinished(Patience) ? QString::fromLocal8Bit(child.readAllStandardOutput()).trimmed()
                                             : QString();
    }
    QStringList copies;
    const bool written = QTest::qWaitFor([&] { return !(copies = FolderFiles("*.vrl")).isEmpty(); }, Patience);
    return written ? InFolder(copies.front()) : QString();
  }
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
    questions_.fileQuestion = [this, names](bool) mutable {
      ++fileAsks_;
      return names.isEmpty() ? QString() : names.takeFirst();
    };
  }
  // What a save written into the file in place leaves when killed midway:
  // its whole new content kept beside the file as the redo copy, and the
  // file's first page already the new one.
  static bool LeaveSaveCutShort(const QString& path, const QByteArray& content) {
    constexpr qsizetype Page = 4096;
    const std::string target = Native(path);
    const int file = ::open(target.c_str(), O_RDWR | O_CLOEXEC);
    struct stat info {};
    if (file < 0 || ::fstat(file, &info) != 0 || content.size() <= Page) return false;
    const std::string folder = Native(QFileInfo(path).absolutePath());
    const std::string kept = folder + "/.kept";
    const int copy = ::open(kept.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    std::string error;
    const auto size = static_cast<std::size_t>(content.size());
    bool left = copy >= 0 && ::write(copy, content.constData(), size) == content.size() &&
                RedoCopy::Seal(copy, content.size(), file, error) &&
                ::rename(kept.c_str(), (folder + "/" + RedoCopy::Name(info, ::geteuid())).c_str()) == 0;
    left = left && ::pwrite(file, content.constData(), Page, 0) == Page;
    if (copy >= 0) ::close(copy);
    ::close(file);
    return left;
  }
  // Opens a document file (written with a dot first) and draws a line in it.
  Document* OpenAndEdit(const QString& path) {
    Document* doc = WriteDocument(path, DotScript).empty() ? nullptr : app_.OpenDocumentFile(path);
    if (doc != nullptr && !Play(LineScript).empty()) return nullptr;
    return doc;
  }

 private slots:
  // A VIRLO was killed with an untitled document modified: the start offers
  // it, opens it in place of the empty new document, and later new
  // documents do not take its title.
  void initTestCase() {
    folder_ = QDir(dataHome_).filePath(QStringLiteral("VIRLO/VIRLO/recovery"));
    QCOMPARE(RecoveryCopies::DefaultFolder(), folder_);
    QVERIFY(dir_.isValid() && QDir().mkpath(folder_));
    QVERIFY(LeaveOrphan("00000000000000a1-1", BoxScript, Note({}, "Plenko3")));
    questions_.fileQuestion = [](bool) { return QString(); };
    AnswerOffers({{"Plenko3", Offer::Open}});
    QVERIFY(app_.InitInstance({}, Application::Start::OfferRecovery));
    QVERIFY(asked_.size() == 1 && asked_[0].contains(QStringLiteral("Plenko3 (名前なし)")));
    QCOMPARE(app_.Documents().size(), std::size_t{1});
    QVERIFY(Active()->GetTitle() == "Plenko3" && Active()->IsUntitled() && Active()->IsModified());
    QCOMPARE(Active()->sheet->MakeText(), WriteDocument({}, BoxScript));
    // Its copy is this program's now: nothing of the killed one is left.
    QCOMPARE(QFileInfo(app_.RecoveryCopyOf(Active())).absolutePath(), folder_);
    QCOMPARE(FolderFiles("00000000000000a1*"), QStringList());
    QCOMPARE(app_.FileNew()->GetTitle(), std::string("Plenko4"));
    cleanup();
  }
  void init() {
    asked_.clear();
    AnswerNoAndKeepReports();
    fileAsks_ = 0;
    Names({});
    questions_.lockedFileQuestion = Answering(Locked::Cancel);
    questions_.changedFileQuestion = Answering(Changed::Keep);
    questions_.readOnlyQuestion = Answering(int(QMessageBox::No));
  }
  void cleanup() {
    app_.SetRecoveryInterval(Application::RecoveryInterval);
    questions_.saveQuestion = [](const QString&) { return int(QMessageBox::No); };
    QVERIFY(app_.CloseAllDocuments());
    // Closed without saving: no copy is left.
    QCOMPARE(FolderFiles("*.vrl") + FolderFiles("*.note"), QStringList());
    QFile::setPermissions(Path("ro"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QDir(Path("ro")).removeRecursively();
    for (const QString& name : QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden)) QDir(dir_.path()).remove(name);
  }
  // A modified document has a copy within the interval, which follows its
  // edits and changes nothing of what the document thinks its file is; the
  // copy goes when the document is saved or undone back to its file.
  void copiesFollowTheDocument() {
    app_.SetRecoveryInterval(20ms);
    Document* doc = app_.FileNew();
    const std::string path = doc->GetPathName();
    app_.UpdateRecoveryCopies();
    QVERIFY(app_.RecoveryCopyOf(doc).isEmpty());
    QCOMPARE(Play(BoxScript), std::string());
    QTRY_VERIFY_WITH_TIMEOUT(!app_.RecoveryCopyOf(doc).isEmpty(), Patience);
    const QString copy = app_.RecoveryCopyOf(doc);
    QCOMPARE(ArtOfFile(copy), doc->sheet->MakeText());
    // Private, whatever the umask gives other files.
    QCOMPARE(Mode(copy), 0600u);
    QCOMPARE(Mode(copy.chopped(4) + ".note"), 0600u);
    QVERIFY(doc->IsModified() && doc->IsUntitled() && doc->GetPathName() == path);
    QCOMPARE(doc->GetDatabase()->PathName(), path);
    QCOMPARE(Play(LineScript), std::string());
    QTRY_COMPARE_WITH_TIMEOUT(ArtOfFile(copy), doc->sheet->MakeText(), Patience);

    questions_.fileQuestion = [this](bool) { return Path("saved.vrl"); };
    QVERIFY(app_.SaveDocument(doc, false));
    QVERIFY(!QFile::exists(copy) && app_.RecoveryCopyOf(doc).isEmpty());
    // Changed again: the note names the file as it was saved.
    QCOMPARE(Play("tool dot\ndrag 28 120 28 120"), std::string());
    app_.UpdateRecoveryCopies();
    const QString again = app_.RecoveryCopyOf(doc);
    RecoveryNote note;
    std::string error;
    QVERIFY(RecoveryNote::Read(Native(again.chopped(4) + ".note"), note, error));
    QVERIFY(note == Note(Path("saved.vrl"), "saved") && note.identity.Known());
    QVERIFY(app_.MainFrame()->Dispatch(CommandId::EditUndo) && !doc->IsModified());
    app_.UpdateRecoveryCopies();
    QVERIFY(!QFile::exists(again));
    QCOMPARE(Play(BoxScript), std::string());  // the cleanup closes it modified
  }
  // Each copy of a VIRLO no longer running is offered: opened as its document
  // (titled and saved as the original, after the usual checks), kept for a
  // later start, or discarded.
  void offerOpensKeepsOrDiscards() {
    const QString a = Path("a.vrl");
    const QString c = Path("c.vrl");
    QVERIFY(!WriteDocument(a, LineScript).empty() && !WriteDocument(c, LineScript).empty());
    QVERIFY(LeaveOrphan("00000000000000b2-1", BoxScript, Note(a, "a")));
    QVERIFY(LeaveOrphan("00000000000000b2-2", LineScript, Note({}, "Plenko9")));
    QVERIFY(LeaveOrphan("00000000000000c3-1", BoxScript, Note(c, "c"), false));
    AnswerOffers({{"a", Offer::Open}, {"Plenko9", Offer::Keep}, {"c", Offer::Discard}});
    QCOMPARE(app_.OfferRecoveredDocuments(), 1);
    QVERIFY(asked_.size() == 3 && asked_.filter(a).size() == 1);
    Document* recovered = Active();
    QVERIFY(recovered->GetTitle() == "a" && recovered->GetPathName() == Native(a) && recovered->IsModified());
    QCOMPARE(recovered->sheet->MakeText(), WriteDocument({}, BoxScript));
    // Only the kept copy and its note are left, and no session stays locked.
    QCOMPARE(FolderFiles("00000000000000*"), (QStringList{"00000000000000b2-2.note", "00000000000000b2-2.vrl"}));
    AnswerOffers({{"Plenko9", Offer::Open}});
    QVERIFY(app_.OfferRecoveredDocuments() == 1 && asked_.size() == 1);
    Document* untitled = Active();
    QVERIFY(untitled->GetTitle() == "Plenko9" && untitled->IsUntitled() && untitled->IsModified());
    QCOMPARE(FolderFiles("00000000000000*"), QStringList());

    // The original changed after the VIRLO was killed: saving asks first.
    QVERIFY(!WriteDocument(a, "tool dot\ndrag 28 120 28 120").empty());
    QList<FileQuestions::ChangedFile> answers = {FileQuestions::ChangedFile::Keep,
                                                 FileQuestions::ChangedFile::Overwrite};
    questions_.changedFileQuestion = [&answers](const QString&) { return answers.takeFirst(); };
    questions_.fileQuestion = [this](bool) { return Path("named.vrl"); };
    QVERIFY(!app_.SaveDocument(recovered, false) && recovered->IsModified());
    QVERIFY(app_.SaveDocument(recovered, false) && answers.isEmpty());
    QCOMPARE(ArtOfFile(a), WriteDocument({}, BoxScript));
    // An untitled one asks for a name.
    QVERIFY(app_.SaveDocument(untitled, false) && untitled->GetPathName() == Native(Path("named.vrl")));

    // A copy damaged on disk opens nothing and says why; it stays for a later look.
    QVERIFY(LeaveOrphan("00000000000000d4-1", BoxScript, Note({}, "Plenko8")));
    QFile damaged(InFolder(QStringLiteral("00000000000000d4-1.vrl")));
    QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate) && damaged.write("not a document") > 0);
    damaged.close();
    const std::size_t open = app_.Documents().size();
    reports_.clear();
    AnswerOffers({{"Plenko8", Offer::Open}});
    QCOMPARE(app_.OfferRecoveredDocuments(), 0);
    QCOMPARE(app_.Documents().size(), open);
    QCOMPARE(reports_.size(), 1);
    QVERIFY(reports_[0].contains(QStringLiteral("を復元できません")));
    QVERIFY(FolderFiles("00000000000000d4*").contains(QStringLiteral("00000000000000d4-1.vrl")));
    AnswerOffers({{"Plenko8", Offer::Discard}});
    QCOMPARE(app_.OfferRecoveredDocuments(), 0);
    QCOMPARE(FolderFiles("00000000000000d4*"), QStringList());
  }
  // While the VIRLO that wrote a copy runs, the copy is its own and never
  // offered; once it is killed, the copy holds its last edit and is offered.
  void killedProgramLeavesItsEditInItsCopy() {
    QProcess child;
    const QString copy = RunChild(child, {});
    QVERIFY2(!copy.isEmpty() && child.state() == QProcess::Running, "no copy while the program ran");
    AnswerOffers({{"Plenko1", Offer::Open}});
    QVERIFY(app_.OfferRecoveredDocuments() == 0 && asked_.isEmpty());
    child.kill();
    QVERIFY(child.waitForFinished(Patience) && child.exitStatus() == QProcess::CrashExit);
    QCOMPARE(ArtOfFile(copy), WriteDocument({}, BoxScript));
    QVERIFY(app_.OfferRecoveredDocuments() == 1 && asked_.size() == 1);
    QVERIFY(Active()->IsUntitled() && Active()->IsModified());
    QCOMPARE(Active()->sheet->MakeText(), WriteDocument({}, BoxScript));
  }
  // A program that ends normally takes its copies and its lock with it.
  void normalEndRemovesTheCopies() {
    QProcess child;
    const QString copy = RunChild(child, {QStringLiteral("end")});
    QVERIFY(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0);
    QCOMPARE(QFileInfo(copy).absolutePath(), folder_);
    QCOMPARE(FolderFiles(QFileInfo(copy).fileName().section(QLatin1Char('-'), 0, 0) + "*"), QStringList());
  }
  // A lock left by a killed VIRLO is taken over silently; Save As moves the
  // lock to the new name and closing lets it go. Where no lock can be made
  // (a folder the user may not write), the document still opens, unmarked.
  void locksFollowTheDocument() {
    const QString a = Path("a.vrl");
    QVERIFY(LeaveLockOfEndedProcess(DocumentLock::LockPathFor(a)));
    QVERIFY(Holder(a) > 0 && Holder(a) != self_);
    Document* doc = OpenAndEdit(a);
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
    questions_.lockedFileQuestion = Answering(answer);
    Document* doc = OpenAndEdit(a);
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
    Document* doc = OpenAndEdit(a);
    QVERIFY(doc != nullptr);
    const std::string art = doc->sheet->MakeText();
    if (outside == "changed") QVERIFY(!WriteDocument(a, BoxScript).empty());
    if (outside == "removed") QVERIFY(QFile::remove(a));
    if (outside == "touched") QVERIFY(::utime(Native(a).c_str(), nullptr) == 0);
    if (outside == "copied back") QVERIFY(QFile::copy(a, b) && QFile::remove(a) && QFile::rename(b, a));
    const QByteArray theirs = Bytes(a);
    const bool asks = outside == "changed" || outside == "removed";
    questions_.changedFileQuestion = Answering(answer);
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
    QCOMPARE(Play(DotScript), std::string());
    QCOMPARE(app_.SaveDocument(doc, false), answer != Changed::Keep);
    QCOMPARE(asked_.size(), qsizetype{answer == Changed::Keep ? 2 : 1});
  }
  // A save into the file itself that a kill cut short is finished when the
  // document opens: the file as finished is the one compared, so the next
  // save asks nothing, and the document holds the save's diagram.
  void saveFinishedAtOpenAsksNothingAtTheNextSave() {
    const QString a = Path("a.vrl");
    const std::string old = WriteDocument(a, DotScript);
    const std::string art = WriteDocument(Path("new.vrl"), BoxScript);
    QVERIFY(!old.empty() && !art.empty());
    const QByteArray bytes = Bytes(Path("new.vrl"));
    QVERIFY(LeaveSaveCutShort(a, bytes));
    QVERIFY(Bytes(a) != bytes);
    Document* doc = app_.OpenDocumentFile(a);
    QVERIFY(doc != nullptr);
    QCOMPARE(Bytes(a), bytes);
    QCOMPARE(doc->sheet->MakeText(), art);
    QCOMPARE(doc->DiskChange(), FileIdentity::Change::None);
    QCOMPARE(Play(LineScript), std::string());
    QVERIFY(app_.MainFrame()->Dispatch(CommandId::FileSave));
    QCOMPARE(asked_, QStringList());
    QVERIFY(!doc->IsModified());
    QCOMPARE(ArtOfFile(a), doc->sheet->MakeText());
  }
  // A copy kept at start is offered again when its document is opened, by
  // name or from the recent files: opened in place of the file, kept, or
  // discarded. Copies of other files are not asked about.
  void keptCopyIsOfferedWhenItsDocumentOpens() {
    const QString a = Path("a.vrl");
    QVERIFY(!WriteDocument(a, LineScript).empty() && !WriteDocument(Path("b.vrl"), LineScript).empty());
    QVERIFY(LeaveOrphan("00000000000000f1-1", BoxScript, Note(a, "a")));
    QVERIFY(LeaveOrphan("00000000000000f2-1", DotScript, Note(Path("b.vrl"), "b")));
    AnswerOffers({{"a", Offer::Keep}});
    Document* doc = app_.OpenDocumentFile(a);
    QVERIFY(doc != nullptr && asked_.size() == 1 && asked_[0].contains(a));
    QVERIFY(!doc->IsModified() && doc->sheet->MakeText() == WriteDocument({}, LineScript));
    QVERIFY(app_.CloseDocument(doc));
    AnswerOffers({{"a", Offer::Open}});
    doc = app_.OpenRecentFile(a);
    QVERIFY(doc != nullptr && asked_.size() == 1);
    QVERIFY(doc->IsModified() && doc->GetPathName() == Native(a) && Holder(a) == self_);
    QCOMPARE(doc->sheet->MakeText(), WriteDocument({}, BoxScript));
    QCOMPARE(FolderFiles("00000000000000f1*"), QStringList());
    QVERIFY(app_.CloseDocument(doc));
    QVERIFY(LeaveOrphan("00000000000000f3-1", BoxScript, Note(a, "a")));
    AnswerOffers({{"a", Offer::Discard}});
    doc = app_.OpenDocumentFile(a);
    QVERIFY(doc != nullptr && asked_.size() == 1 && !doc->IsModified());
    QCOMPARE(FolderFiles("00000000000000f3*"), QStringList());
    AnswerOffers({{"b", Offer::Discard}});
    QVERIFY(app_.OfferRecoveredDocuments() == 0 && asked_.size() == 1);
  }
  // Copies are kept only in a folder of the user's alone; in the folder and
  // beside documents, nothing but a small regular file is read as a copy, a
  // note or a lock: a pipe or a link to a device there never blocks.
  void nothingButPlainFilesIsRead() {
    QVERIFY(QDir().mkpath(Path("open")) && QFile::setPermissions(Path("open"), QFileDevice::Permissions(0x7777)));
    QVERIFY(QFile::link(folder_, Path("link")));
    for (const char* name : {"open", "link"}) {
      RecoveryCopies copies(Path(QString::fromLatin1(name)));
      QVERIFY2(!copies.Start() && !copies.StartError().empty(), name);
    }
    QCOMPARE(QDir(Path("open")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    for (const char* name : {"00000000000000e5-1.vrl", "00000000000000e5-1.note", "00000000000000e6.lock"}) {
      QVERIFY(::mkfifo(Native(InFolder(QString::fromLatin1(name))).c_str(), 0600) == 0);
    }
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), InFolder("00000000000000e7.lock")));
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), InFolder("00000000000000e7-1.vrl")));
    AnswerOffers({});
    QVERIFY(app_.OfferRecoveredDocuments() == 0 && asked_.isEmpty());
    for (const QString& name : QDir(folder_).entryList({"00000000000000e*"}, QDir::Files | QDir::System)) {
      QFile::remove(InFolder(name));
    }

    const QString a = Path("a.vrl");
    QVERIFY(!WriteDocument(a, DotScript).empty());
    QVERIFY(::mkfifo(Native(Path(".a.vrl.lock")).c_str(), 0600) == 0);
    Document* doc = app_.OpenDocumentFile(a);
    QVERIFY(doc != nullptr && asked_.isEmpty() && Mode(Path(".a.vrl.lock")) != 0);
    QVERIFY(app_.CloseDocument(doc) && QFile::remove(Path(".a.vrl.lock")));
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), Path(".a.vrl.lock")));
    QVERIFY(app_.OpenDocumentFile(a) != nullptr && asked_.isEmpty());
  }
  // A text print into a pipe fails with a message, and the program goes on:
  // nobody reading, a reader that stops, a reader that goes away.
  void textPrintIntoAPipeNeverStopsTheProgram() {
    const std::string pipe = Native(Path("pipe"));
    QVERIFY(::mkfifo(pipe.c_str(), 0600) == 0);
    app_.FileNew();
    const std::string print = "answer print 256 256 \"" + pipe + "\"\ntextprint";
    const auto printFails = [&](const char* why) {
      const std::size_t before = dialogs_.Messages().size();
      QCOMPARE(Play(print), std::string());
      QCOMPARE(dialogs_.Messages().size(), before + 1);
      QVERIFY2(dialogs_.Messages().back().find(pipe) != std::string::npos, why);
    };
    printFails("nobody reads");
    int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    printFails("a reader that takes nothing");
    ::close(reader);
    reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    std::thread leaving([reader] {
      pollfd wait{reader, POLLIN, 0};
      ::poll(&wait, 1, Patience);
      ::close(reader);
    });
    printFails("a reader that goes away");
    leaving.join();
  }
  // A file the user may not write: the program says why and offers Save As;
  // No saves nothing, Yes asks for a name and saves there.
  void readOnlyFileOffersSaveAs() {
    if (::geteuid() == 0) QSKIP("rights need an ordinary user, and this runs as root");
    const QString a = Path("a.vrl");
    Document* doc = OpenAndEdit(a);
    QVERIFY(doc != nullptr && QFile::setPermissions(a, QFileDevice::ReadOwner));
    const QByteArray before = Bytes(a);
    Names({Path("b.vrl")});
    QVERIFY(!app_.SaveDocument(doc, false));
    QVERIFY(asked_.size() == 1 && asked_[0].contains(a) && asked_[0].contains(QStringLiteral("別の名前")));
    QVERIFY(fileAsks_ == 0 && doc->IsModified() && Bytes(a) == before);
    questions_.readOnlyQuestion = Answering(int(QMessageBox::Yes));
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
  // Home, data and settings of this run alone, whatever the environment
  // names; the programs the test runs inherit them.
  QTemporaryDir home;
  if (!home.isValid()) return 1;
  for (const auto& [variable, folder] : {std::pair{"HOME", ""}, std::pair{"XDG_DATA_HOME", "/data"},
                                         std::pair{"XDG_CONFIG_HOME", "/config"}, std::pair{"XDG_RUNTIME_DIR", ""}}) {
    qputenv(variable, QFile::encodeName(home.path()) + folder);
  }
  // Copies are private whatever the umask; files the test makes are not.
  ::umask(022);
  StartStore();
  Application app(argc, argv);
  FileSafetyTest test(app, home.path() + QStringLiteral("/data"));
  return QTest::qExec(&test, argc, argv);
}

#include "FileSafetyTest.moc"
