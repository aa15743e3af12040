#include "app/BlockListDialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace virlo {

BlockListDialog::BlockListDialog(const QString& file, const QList<FileQuestions::BlockChoice>& blocks, QWidget* parent)
    : QDialog(parent), blocks_(blocks), list_(new QListWidget), preview_(new QPlainTextEdit) {
  setWindowTitle(tr("ﾌｧｲﾙの中の図を開く"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(tr("%1 の図:").arg(QFileInfo(file).fileName())));
  for (const FileQuestions::BlockChoice& block : blocks_) {
    list_->addItem(tr("%1 行  %2 %3  %4").arg(block.lines, block.kind, block.prefix, block.summary));
  }
  preview_->setReadOnly(true);
  preview_->setLineWrapMode(QPlainTextEdit::NoWrap);
  preview_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* split = new QSplitter(Qt::Vertical);
  split->addWidget(list_);
  split->addWidget(preview_);
  layout->addWidget(split);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
  layout->addWidget(buttons);
  QPushButton* open = buttons->button(QDialogButtonBox::Open);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(list_, &QListWidget::itemActivated, this, &QDialog::accept);
  connect(list_, &QListWidget::currentRowChanged, this, [this, open](int row) {
    open->setEnabled(row >= 0);
    preview_->setPlainText(row >= 0 && row < blocks_.size() ? blocks_[row].art : QString());
  });
  list_->setCurrentRow(blocks_.isEmpty() ? -1 : 0);
  open->setEnabled(!blocks_.isEmpty());
  resize(640, 480);
}

int BlockListDialog::Chosen() const { return list_->currentRow(); }

}  // namespace virlo
