#include "app/FileQuestions.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <utility>

#include "app/BlockListDialog.h"

namespace virlo {
namespace {

QString Tr(const char* source) { return QCoreApplication::translate("Application", source); }

}  // namespace

FileQuestions::FileQuestions(std::function<QWidget*()> owner) : owner_(std::move(owner)) {}

FileQuestions::~FileQuestions() = default;

int FileQuestions::AskSaveChanges(const QString& question) {
  return QMessageBox::question(owner_(), QStringLiteral("VIRLO"), question,
                               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
}

QString FileQuestions::AskFileName(bool save, const QString& proposed, const QString& filter) {
  return save ? QFileDialog::getSaveFileName(owner_(), QString(), proposed, filter)
              : QFileDialog::getOpenFileName(owner_(), QString(), proposed, filter);
}

int FileQuestions::AskSaveElsewhere(const QString& question) {
  return QMessageBox::question(owner_(), QStringLiteral("VIRLO"), question, QMessageBox::Yes | QMessageBox::No);
}

// The buttons of each question stand in the order of its answers.
FileQuestions::ChangedFile FileQuestions::AskChangedFile(const QString& question) {
  return static_cast<ChangedFile>(
      Choose(question,
             {Tr(QT_TRANSLATE_NOOP("Application", "保存しない")), Tr(QT_TRANSLATE_NOOP("Application", "上書き保存")),
              Tr(QT_TRANSLATE_NOOP("Application", "名前を付けて保存..."))},
             static_cast<int>(ChangedFile::Keep)));
}

FileQuestions::LockedFile FileQuestions::AskLockedFile(const QString& question) {
  return static_cast<LockedFile>(
      Choose(question,
             {Tr(QT_TRANSLATE_NOOP("Application", "読み取り専用で開く")),
              Tr(QT_TRANSLATE_NOOP("Application", "そのまま開く")), Tr(QT_TRANSLATE_NOOP("Application", "キャンセル"))},
             static_cast<int>(LockedFile::Cancel)));
}

FileQuestions::Recovery FileQuestions::AskRecovery(const QString& question) {
  return static_cast<Recovery>(
      Choose(question,
             {Tr(QT_TRANSLATE_NOOP("Application", "開く")), Tr(QT_TRANSLATE_NOOP("Application", "残す")),
              Tr(QT_TRANSLATE_NOOP("Application", "破棄"))},
             static_cast<int>(Recovery::Keep)));
}

FileQuestions::ChangedBlock FileQuestions::AskChangedBlock(const QString& question) {
  return static_cast<ChangedBlock>(Choose(
      question,
      {Tr(QT_TRANSLATE_NOOP("Application", "図の行を上書き")),
       Tr(QT_TRANSLATE_NOOP("Application", "図をほかに保存...")), Tr(QT_TRANSLATE_NOOP("Application", "キャンセル"))},
      static_cast<int>(ChangedBlock::Cancel)));
}

int FileQuestions::ChooseBlock(const QString& file, const QList<BlockChoice>& blocks) {
  BlockListDialog dialog(file, blocks, owner_());
  return dialog.exec() == QDialog::Accepted ? dialog.Chosen() : -1;
}

void FileQuestions::Report(const QString& message, const QString& details) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("VIRLO"), message, QMessageBox::Ok, owner_());
  box.setDetailedText(details);
  box.exec();
}

int FileQuestions::Choose(const QString& question, const QStringList& buttons, int safe) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("VIRLO"), question, QMessageBox::NoButton, owner_());
  QList<QPushButton*> added;
  for (const QString& text : buttons) added.append(box.addButton(text, QMessageBox::AcceptRole));
  // Enter and Escape both take the answer that loses nothing.
  box.setDefaultButton(added.value(safe));
  box.setEscapeButton(added.value(safe));
  box.exec();
  const qsizetype chosen = added.indexOf(qobject_cast<QPushButton*>(box.clickedButton()));
  return chosen < 0 ? safe : static_cast<int>(chosen);
}

}  // namespace virlo
