#include "app/RecoveryCopies.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <set>

#include "document/Document.h"
#include "document/DocumentContent.h"
#include "platform/FileChecks.h"
#include "store/DocumentFile.h"

namespace virlo {
namespace {

constexpr int SessionDigits = 16;
constexpr int SessionAttempts = 4;
// A session's lock names a process, a program and a host: a few lines.
constexpr std::int64_t MaxLockBytes = 4096;

const QRegularExpression& CopyName() {
  static const QRegularExpression name(QStringLiteral("^([0-9a-f]{16})-([1-9][0-9]{0,8})\\.vrl$"));
  return name;
}

const QRegularExpression& SessionLockName() {
  static const QRegularExpression name(QStringLiteral("^([0-9a-f]{16})\\.lock$"));
  return name;
}

std::string Native(const QString& path) { return QFile::encodeName(path).toStdString(); }

bool IsRegularFile(const QFileInfo& entry) {
  struct stat info {};
  return ::lstat(Native(entry.absoluteFilePath()).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The lock of a session, when no running VIRLO holds it: a lock whose
// process is gone is taken over, whatever its age.
std::unique_ptr<QLockFile> LockSession(const QString& path) {
  // Nothing but a small file of its own is read as a lock: a pipe would block.
  if (!FileChecks::AbsentOrSmallRegular(Native(path), MaxLockBytes)) return nullptr;
  auto lock = std::make_unique<QLockFile>(path);
  lock->setStaleLockTime(0);
  if (!lock->tryLock(0)) return nullptr;
  return lock;
}

}  // namespace

RecoveryCopies::RecoveryCopies(QString folder) : folder_(std::move(folder)) {}

RecoveryCopies::~RecoveryCopies() {
  while (!copies_.empty()) Remove(copies_.begin()->first);
  orphanLocks_.clear();
  lock_.reset();
}

QString RecoveryCopies::DefaultFolder() {
  const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  return data.isEmpty() ? QString() : QDir(data).filePath(QStringLiteral("recovery"));
}

bool RecoveryCopies::Start() {
  if (Started()) return true;
  startError_.clear();
  // Diagrams may be private: their copies live only in a folder of the
  // user's alone, which nobody else can read or plant anything in.
  if (folder_.isEmpty()) {
    startError_ = "there is no folder for user data";
    return false;
  }
  if (!FileChecks::OwnFolder(Native(folder_), startError_)) return false;
  const QDir dir(folder_);
  for (int attempt = 0; attempt < SessionAttempts && lock_ == nullptr; ++attempt) {
    const QString session =
        QString::number(QRandomGenerator::system()->generate64(), 16).rightJustified(SessionDigits, QLatin1Char('0'));
    // A name that copies left behind already use is an orphan's, not ours.
    if (!dir.entryList({session + QStringLiteral("*")}, QDir::Files | QDir::Hidden | QDir::System).isEmpty()) continue;
    lock_ = LockSession(dir.filePath(session + QStringLiteral(".lock")));
    if (lock_ != nullptr) session_ = session;
  }
  if (!Started()) startError_ = "no session of its own can be locked there";
  return Started();
}

QString RecoveryCopies::CopyPath(const QString& session, int number) const {
  return QDir(folder_).filePath(QStringLiteral("%1-%2.vrl").arg(session).arg(number));
}

QString RecoveryCopies::NotePath(const QString& session, int number) const {
  return QDir(folder_).filePath(QStringLiteral("%1-%2.note").arg(session).arg(number));
}

RecoveryCopies::Copy& RecoveryCopies::CopyFor(const Document* document) {
  auto it = copies_.find(document);
  if (it == copies_.end()) {
    it = copies_.emplace(document, Copy{}).first;
    it->second.number = nextNumber_++;
  }
  return it->second;
}

RecoveryNote RecoveryCopies::NoteOf(const Document& document) {
  RecoveryNote note;
  note.title = document.GetTitle();
  if (!document.IsUntitled()) {
    note.original = document.GetPathName();
    note.identity = document.DiskIdentity();
  }
  return note;
}

void RecoveryCopies::Update(const Document& document) {
  if (!Started()) return;
  if (!document.IsModified() || document.sheet == nullptr || document.GetDatabase() == nullptr) {
    Remove(&document);
    return;
  }
  // The end of a drag is the change worth keeping; its middle may not even be a valid diagram.
  if (document.IsDragging()) return;
  std::string content = DocumentContent::Of(*document.sheet);
  const RecoveryNote note = NoteOf(document);
  Copy& copy = CopyFor(&document);
  if (copy.written && copy.content == content && copy.note == note) return;
  // The note first, so that a copy never stands without it.
  if (!copy.written || copy.note != note) {
    if (!note.Write(Native(NotePath(session_, copy.number)), lastError_)) return;
    copy.note = note;
  }
  // The database only: the document keeps its own file, name and modified mark.
  if (!store::DocumentFile::Save(*document.GetDatabase(), Native(CopyPath(session_, copy.number)), lastError_, nullptr,
                                 SafeWrite::Kind::Private)) {
    return;  // tried again at the next update
  }
  lastError_.clear();
  copy.written = true;
  copy.content = std::move(content);
}

void RecoveryCopies::Remove(const Document* document) {
  const auto it = copies_.find(document);
  if (it == copies_.end()) return;
  QFile::remove(CopyPath(session_, it->second.number));
  QFile::remove(NotePath(session_, it->second.number));
  copies_.erase(it);
}

QString RecoveryCopies::CopyOf(const Document* document) const {
  const auto it = copies_.find(document);
  if (it == copies_.end() || !it->second.written) return {};
  return CopyPath(session_, it->second.number);
}

std::vector<RecoveryCopies::Orphan> RecoveryCopies::FindOrphans(const std::string& original) {
  std::vector<Orphan> orphans;
  if (folder_.isEmpty()) return orphans;
  QDir dir(folder_);
  std::set<QString> running;
  const auto held = [&](const QString& session) {
    if (session == session_ || running.count(session) != 0) return false;
    if (orphanLocks_.count(session) != 0) return true;
    std::unique_ptr<QLockFile> lock = LockSession(dir.filePath(session + QStringLiteral(".lock")));
    if (lock == nullptr) {
      running.insert(session);
      return false;
    }
    orphanLocks_.emplace(session, std::move(lock));
    return true;
  };
  const QFileInfoList entries =
      dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Time | QDir::Reversed);
  std::set<QString> withCopies;
  for (const QFileInfo& entry : entries) {
    const QRegularExpressionMatch match = CopyName().match(entry.fileName());
    // Only a regular file is a copy of ours: a link is never followed, a pipe never opened.
    if (!match.hasMatch() || !IsRegularFile(entry)) continue;
    const QString session = match.captured(1);
    withCopies.insert(session);
    if (!held(session)) continue;
    Orphan orphan;
    orphan.copy = entry.absoluteFilePath();
    orphan.notePath = NotePath(session, match.captured(2).toInt());
    std::string error;
    orphan.noteRead = RecoveryNote::Read(Native(orphan.notePath), orphan.note, error);
    if (!original.empty() && (!orphan.noteRead || orphan.note.original != original)) continue;
    orphans.push_back(std::move(orphan));
  }
  // Sessions that ended without a copy left only their lock and notes: tidy them away.
  for (const QFileInfo& entry : entries) {
    const QRegularExpressionMatch match = SessionLockName().match(entry.fileName());
    if (!match.hasMatch() || withCopies.count(match.captured(1)) != 0) continue;
    if (!held(match.captured(1))) continue;
    for (const QString& note : dir.entryList({match.captured(1) + QStringLiteral("-*.note")}, QDir::Files)) {
      dir.remove(note);
    }
    orphanLocks_.erase(match.captured(1));
  }
  return orphans;
}

void RecoveryCopies::Adopt(const Orphan& orphan, const Document& document) {
  // Without a session of our own the orphan stays where it is, for the next start.
  if (!Started() || document.sheet == nullptr) return;
  Copy& copy = CopyFor(&document);
  const RecoveryNote note = NoteOf(document);
  if (!note.Write(Native(NotePath(session_, copy.number)), lastError_)) return;
  copy.note = note;
  // Moved, not copied: there is no moment without a copy on disk.
  if (!QFile::rename(orphan.copy, CopyPath(session_, copy.number))) return;
  copy.written = true;
  copy.content = DocumentContent::Of(*document.sheet);
  QFile::remove(orphan.notePath);
}

void RecoveryCopies::Discard(const Orphan& orphan) {
  QFile::remove(orphan.copy);
  QFile::remove(orphan.notePath);
}

void RecoveryCopies::ReleaseOrphans() {
  QDir dir(folder_);
  for (const auto& [session, lock] : orphanLocks_) {
    if (!dir.entryList({session + QStringLiteral("-*.vrl")}, QDir::Files).isEmpty()) continue;
    for (const QString& note : dir.entryList({session + QStringLiteral("-*.note")}, QDir::Files)) dir.remove(note);
  }
  // Unlocking removes the lock files; what is left is offered at a later start.
  orphanLocks_.clear();
}

}  // namespace virlo
