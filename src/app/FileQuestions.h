#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace virlo {

// The questions the desktop program asks about files, and its warnings about
// them, in one place: the user answers them in message boxes and file
// dialogs. Tests answer them in code, through a subclass.
class FileQuestions {
 public:
  // Another program changed or removed the file since it was opened or saved.
  enum class ChangedFile { Keep, Overwrite, SaveAs };
  // Another VIRLO holds the file.
  enum class LockedFile { ReadOnly, Anyway, Cancel };
  // A recovery copy a VIRLO no longer running left.
  enum class Recovery { Open, Keep, Discard };
  // The lines of a diagram in a text file changed on disk since they were read.
  enum class ChangedBlock { Overwrite, SaveElsewhere, Cancel };
  // A diagram block of a text file, as the list to choose from shows it.
  struct BlockChoice {
    QString lines;    // "5-9"
    QString kind;     // "fence", "comment", ...
    QString prefix;   // quoted, as listings show it
    QString summary;  // what its art draws
    QString art;      // its lines as the file holds them
  };

  // owner: the window the questions stand over.
  explicit FileQuestions(std::function<QWidget*()> owner);
  virtual ~FileQuestions();
  FileQuestions(const FileQuestions&) = delete;
  FileQuestions& operator=(const FileQuestions&) = delete;

  // Whether to save a changed document first: QMessageBox::Yes, No or Cancel.
  virtual int AskSaveChanges(const QString& question);
  // A file to save to (save) or to open, proposed: a name, filter: the types
  // shown. Empty when the user cancels.
  virtual QString AskFileName(bool save, const QString& proposed, const QString& filter);
  // The file may not be written: QMessageBox::Yes saves it under another name.
  virtual int AskSaveElsewhere(const QString& question);
  virtual ChangedFile AskChangedFile(const QString& question);
  virtual LockedFile AskLockedFile(const QString& question);
  virtual Recovery AskRecovery(const QString& question);
  virtual ChangedBlock AskChangedBlock(const QString& question);
  // Which of a text file's diagram blocks to open: its index, or -1 when
  // the user cancels.
  virtual int ChooseBlock(const QString& file, const QList<BlockChoice>& blocks);
  // A warning with an OK button, and a Details button showing details when
  // there are any.
  virtual void Report(const QString& message, const QString& details);
  void Report(const QString& message) { Report(message, QString()); }

 private:
  // A question with buttons of its own; the index of the one chosen, safe's on Escape.
  int Choose(const QString& question, const QStringList& buttons, int safe);

  std::function<QWidget*()> owner_;
};

}  // namespace virlo
