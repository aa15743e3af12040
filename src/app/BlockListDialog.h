#pragma once

#include <QDialog>
#include <QList>

#include "app/FileQuestions.h"

class QListWidget;
class QPlainTextEdit;

namespace virlo {

// The diagram blocks of a text file to choose one from: each with its lines,
// kind, prefix and what its art draws, and the art of the one chosen beside
// the list as the file holds it.
class BlockListDialog : public QDialog {
  Q_OBJECT

 public:
  BlockListDialog(const QString& file, const QList<FileQuestions::BlockChoice>& blocks, QWidget* parent = nullptr);

  // The block chosen, counted from 0; -1 when none is.
  int Chosen() const;
  QListWidget* List() const { return list_; }
  QPlainTextEdit* Preview() const { return preview_; }

 private:
  QList<FileQuestions::BlockChoice> blocks_;
  QListWidget* list_;
  QPlainTextEdit* preview_;
};

}  // namespace virlo
