#include "app/DocumentLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include "platform/FileChecks.h"

namespace virlo {
namespace {

// A lock file holds a process number, a program and a host: a few lines.
constexpr std::int64_t MaxLockBytes = 4096;

}  // namespace

DocumentLock::DocumentLock() = default;
DocumentLock::~DocumentLock() = default;
DocumentLock::DocumentLock(DocumentLock&&) noexcept = default;
DocumentLock& DocumentLock::operator=(DocumentLock&&) noexcept = default;

QString DocumentLock::LockPathFor(const QString& document) {
  const QFileInfo info(document);
  // Two names for one file (links to it or to its folder) must find one lock,
  // whether the file exists yet or not.
  QString file = info.canonicalFilePath();
  if (file.isEmpty()) {
    const QString folder = info.absoluteDir().canonicalPath();
    file = folder.isEmpty() ? info.absoluteFilePath() : QDir(folder).filePath(info.fileName());
  }
  const QFileInfo target(file);
  return target.dir().filePath(QStringLiteral(".%1.lock").arg(target.fileName()));
}

DocumentLock::Result DocumentLock::Take(const QString& document) {
  Release();
  const QString path = LockPathFor(document);
  // Looked at before Qt reads it: a pipe or a link to a device in its place
  // would block or never end. Anything but a small file means no lock.
  if (!FileChecks::AbsentOrSmallRegular(QFile::encodeName(path).toStdString(), MaxLockBytes)) {
    return Result::NotPossible;
  }
  auto file = std::make_unique<QLockFile>(path);
  // Never stale by age: only when its process is gone, which tryLock sees.
  file->setStaleLockTime(0);
  if (file->tryLock(0)) {
    file_ = std::move(file);
    lockPath_ = path;
    return Result::Locked;
  }
  if (file->error() != QLockFile::LockFailedError) return Result::NotPossible;
  qint64 pid = 0;
  QString host;
  QString program;
  if (!file->getLockInfo(&pid, &host, &program)) {
    // Gone between the two looks, or unreadable: not a lock anyone holds.
    return Result::NotPossible;
  }
  holder_ = QCoreApplication::translate("DocumentLock", "%1, プロセス %2")
                .arg(host.isEmpty() ? QStringLiteral("?") : host, QString::number(pid));
  return Result::HeldElsewhere;
}

void DocumentLock::Release() {
  file_.reset();
  lockPath_.clear();
  holder_.clear();
}

bool DocumentLock::Holds(const QString& document) const {
  return file_ != nullptr && lockPath_ == LockPathFor(document);
}

}  // namespace virlo
