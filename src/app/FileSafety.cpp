#include "app/FileSafety.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <utility>

#include "app/FileQuestions.h"
#include "document/Document.h"
#include "platform/SafeWrite.h"

namespace virlo {

QString FileSafety::DocumentFilter() { return QCoreApplication::translate("Application", "VIRLO ﾌｧｲﾙ (*.vrl)"); }

void FileSafety::Keep(const Document* document, OpenFile file) { files_[document] = std::move(file); }

void FileSafety::Forget(const Document* document) { files_.erase(document); }

void FileSafety::ForgetAll() { files_.clear(); }

bool FileSafety::IsReadOnly(const Document* document) const {
  const auto it = files_.find(document);
  return it != files_.end() && it->second.readOnly;
}

bool FileSafety::LockForOpening(const QString& path, OpenFile& file) {
  if (file.lock.Take(path) != DocumentLock::Result::HeldElsewhere) return true;
  const QString question =
      QCoreApplication::translate(
          "Application",
          "%1 はほかの VIRLO (%2) で開かれています。\n"
          "読み取り専用で開くと、保存するときに別の名前を付けます。そのまま開くと、両方で保存したときに一方の変更が"
          "失われることがあります。")
          .arg(path, file.lock.Holder());
  const FileQuestions::LockedFile answer = questions_->AskLockedFile(question);
  file.readOnly = answer == FileQuestions::LockedFile::ReadOnly;
  return answer != FileQuestions::LockedFile::Cancel;
}

QString FileSafety::Save(Document& document, bool saveAs) {
  OpenFile& file = files_[&document];
  const QString own = QFileInfo(QString::fromStdString(document.GetPathName())).absoluteFilePath();
  QString path = own;
  if (saveAs || document.IsUntitled() || file.readOnly) {
    path = questions_->AskFileName(true, QString::fromStdString(document.GetTitle()), DocumentFilter());
    if (path.isEmpty()) return {};
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".vrl");
    path = QFileInfo(path).absoluteFilePath();
  }
  const bool ownFile = !document.IsUntitled() && path == own;
  if (ownFile) {
    const FileIdentity::Change change = document.DiskChange();
    if (change == FileIdentity::Change::Changed || change == FileIdentity::Change::Removed) {
      const QString question =
          (change == FileIdentity::Change::Changed
               ? QCoreApplication::translate(
                     "Application",
                     "%1 は、開いた後か最後に保存した後に、ほかのプログラムで変更されています。\n"
                     "上書きすると、その変更は失われます。")
               : QCoreApplication::translate(
                     "Application",
                     "%1 は、開いた後か最後に保存した後に、ほかのプログラムで削除されたか移動されています。"))
              .arg(path);
      const FileQuestions::ChangedFile answer = questions_->AskChangedFile(question);
      if (answer == FileQuestions::ChangedFile::Keep) return {};
      if (answer == FileQuestions::ChangedFile::SaveAs) return Save(document, true);
    }
  }
  // A file that another window or VIRLO has open is not written over: its
  // lock is taken first. A document opened anyway keeps writing its own file.
  const bool relock = !file.lock.Holds(path) && (!ownFile || file.readOnly);
  DocumentLock next;
  if (relock && next.Take(path) == DocumentLock::Result::HeldElsewhere) {
    questions_->Report(
        QCoreApplication::translate("Application",
                                    "%1 はほかのウィンドウか VIRLO (%2) で開かれているため、保存できません。"
                                    "別の名前を付けてください。")
            .arg(path, next.Holder()));
    return {};
  }
  if (!document.OnSaveDocument(path.toStdString())) {
    const QString reason = QCoreApplication::translate("Application", "%1 を保存できません: %2")
                               .arg(path, QString::fromStdString(document.LastError()));
    if (document.LastRefusal() == SafeWrite::Refusal::ReadOnly) {
      const QString question =
          QCoreApplication::translate("Application", "%1\n別の名前を付けて保存しますか?").arg(reason);
      const int answer = questions_->AskSaveElsewhere(question);
      return answer == QMessageBox::Yes ? Save(document, true) : QString();
    }
    questions_->Report(reason);
    return {};
  }
  if (relock) {
    file.lock = std::move(next);
    file.readOnly = false;
  } else if (!file.lock.Holds(path)) {
    // Opened anyway: the file is ours once the other VIRLO lets go of it.
    file.lock.Take(path);
  }
  return path;
}

}  // namespace virlo
