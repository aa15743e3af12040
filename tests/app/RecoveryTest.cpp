// Recovery copies of the desktop program: written while a document is
// modified, removed when it is saved or closed or the program ends, offered
// at the next start when the program was killed, and never taken from a
// VIRLO still running.
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>

#include "DocumentFiles.h"
#include "app/CMainFrame.h"
#include "app/CPlenkoApp.h"
#include "app/GuiScript.h"
#include "control/CommandIds.h"
#include "document/CPlenkoDoc.h"
#include "document/RecoveryNote.h"
#include "objects/PersistentTypes.h"
#include "platform/QueuedDialogRunner.h"

using namespace virlo;
using namespace std::chrono_literals;
using test::ArtOfFile;
using test::Native;
using test::WriteDocument;
using Offer = CPlenkoApp::RecoveryAnswer;

namespace {

const char BoxScript[] = "tool box\ndrag 20 24 84 72";
const char LineScript[] = "tool line\ndrag 100 40 180 40";
// Generous: the machine may be busy with other work.
constexpr int Patience = 60000;

RecoveryNote Note(const QString& original, const std::string& title) {
  RecoveryNote note{Native(original), title, FileIdentity()};
  if (!original.isEmpty()) note.identity = FileIdentity::Of(note.original);
  return note;
}

}  // namespace

class RecoveryTest : public QObject {
  Q_OBJECT

 public:
  RecoveryTest(CPlenkoApp& app, QString dataHome) : app_(app), dataHome_(std::move(dataHome)) {}

 private:
  CPlenkoApp& app_;
  const QString dataHome_;
  QueuedDialogRunner dialogs_;
  QTemporaryDir dir_;
  QString folder_;  // where the copies must be
  QStringList asked_;
  QStringList reports_;  // the warnings the program showed

  QString Path(const char* name) const { return QDir(dir_.path()).filePath(QString::fromUtf8(name)); }
  QString InFolder(const QString& name) const { return QDir(folder_).filePath(name); }
  QStringList FolderFiles(const QString& pattern) const {
    return QDir(folder_).entryList({pattern}, QDir::Files | QDir::Hidden, QDir::Name);
  }
  CPlenkoDoc* Active() const { return app_.MainFrame()->ActiveDocument(); }
  std::string Play(const std::string& script) { return test::PlayScript(*app_.MainFrame(), dialogs_, script); }
  // Answers the offers by the title they name (Keep for the others), and writes them down.
  void AnswerOffers(const std::map<QString, Offer>& answers) {
    asked_.clear();
    app_.recoveryQuestion = [this, answers](const QString& question) {
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
            test::LeaveLockOfEndedProcess(InFolder(session + ".lock")));
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

 private slots:
  // A VIRLO was killed with an untitled document modified: the start offers
  // it, opens it in place of the empty new document, and later new
  // documents do not take its title.
  void initTestCase() {
    folder_ = QDir(dataHome_).filePath(QStringLiteral("VIRLO/VIRLO/recovery"));
    QCOMPARE(RecoveryCopies::DefaultFolder(), folder_);
    QVERIFY(dir_.isValid() && QDir().mkpath(folder_));
    QVERIFY(LeaveOrphan("00000000000000a1-1", BoxScript, Note({}, "Plenko3")));
    app_.fileQuestion = [](bool) { return QString(); };
    app_.report = [this](const QString& message) { reports_.append(message); };
    AnswerOffers({{"Plenko3", Offer::Open}});
    QVERIFY(app_.InitInstance({}, CPlenkoApp::Start::OfferRecovery));
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
  void cleanup() {
    app_.SetRecoveryInterval(CPlenkoApp::RecoveryInterval);
    app_.saveQuestion = [](const QString&) { return int(QMessageBox::No); };
    QVERIFY(app_.CloseAllDocuments());
    // Closed without saving: no copy is left.
    QCOMPARE(FolderFiles("*.vrl") + FolderFiles("*.note"), QStringList());
  }
  // A modified document has a copy within the interval, which follows its
  // edits and changes nothing of what the document thinks its file is; the
  // copy goes when the document is saved or undone back to its file.
  void copiesFollowTheDocument() {
    app_.SetRecoveryInterval(20ms);
    CPlenkoDoc* doc = app_.FileNew();
    const std::string path = doc->GetPathName();
    app_.UpdateRecoveryCopies();
    QVERIFY(app_.RecoveryCopyOf(doc).isEmpty());
    QCOMPARE(Play(BoxScript), std::string());
    QTRY_VERIFY_WITH_TIMEOUT(!app_.RecoveryCopyOf(doc).isEmpty(), Patience);
    const QString copy = app_.RecoveryCopyOf(doc);
    QCOMPARE(ArtOfFile(copy), doc->sheet->MakeText());
    QVERIFY(doc->IsModified() && doc->IsUntitled() && doc->GetPathName() == path);
    QCOMPARE(doc->GetDatabase()->PathName(), path);
    QCOMPARE(Play(LineScript), std::string());
    QTRY_COMPARE_WITH_TIMEOUT(ArtOfFile(copy), doc->sheet->MakeText(), Patience);

    app_.fileQuestion = [this](bool) { return Path("saved.vrl"); };
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
    CPlenkoDoc* recovered = Active();
    QVERIFY(recovered->GetTitle() == "a" && recovered->GetPathName() == Native(a) && recovered->IsModified());
    QCOMPARE(recovered->sheet->MakeText(), WriteDocument({}, BoxScript));
    // Only the kept copy and its note are left, and no session stays locked.
    QCOMPARE(FolderFiles("00000000000000*"), (QStringList{"00000000000000b2-2.note", "00000000000000b2-2.vrl"}));
    AnswerOffers({{"Plenko9", Offer::Open}});
    QVERIFY(app_.OfferRecoveredDocuments() == 1 && asked_.size() == 1);
    CPlenkoDoc* untitled = Active();
    QVERIFY(untitled->GetTitle() == "Plenko9" && untitled->IsUntitled() && untitled->IsModified());
    QCOMPARE(FolderFiles("00000000000000*"), QStringList());

    // The original changed after the VIRLO was killed: saving asks first.
    QVERIFY(!WriteDocument(a, "tool dot\ndrag 28 120 28 120").empty());
    QList<CPlenkoApp::ChangedFileAnswer> answers = {CPlenkoApp::ChangedFileAnswer::Keep,
                                                    CPlenkoApp::ChangedFileAnswer::Overwrite};
    app_.changedFileQuestion = [&answers](const QString&) { return answers.takeFirst(); };
    app_.fileQuestion = [this](bool) { return Path("named.vrl"); };
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
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Data and settings of this run alone, whatever the environment names; the
  // programs the test runs inherit them.
  QTemporaryDir home;
  if (!home.isValid()) return 1;
  const QByteArray path = QFile::encodeName(home.path());
  qputenv("XDG_DATA_HOME", path + "/data");
  qputenv("XDG_CONFIG_HOME", path + "/config");
  qputenv("XDG_RUNTIME_DIR", path);
  StartStore();
  CPlenkoApp app(argc, argv);
  RecoveryTest test(app, home.path() + QStringLiteral("/data"));
  return QTest::qExec(&test, argc, argv);
}

#include "RecoveryTest.moc"
