#include "view/InPlaceEditor.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <algorithm>

namespace virlo {

InPlaceEditor::InPlaceEditor(QWidget* over, const QRect& area, const QFont& font)
    : QDialog(over, Qt::Popup | Qt::FramelessWindowHint),
      edit_(new QPlainTextEdit(this)),
      problem_(new QLabel(this)),
      least_(area.size()) {
  setObjectName(QStringLiteral("inPlaceEditor"));
  // The click that ends the editing commits it and goes no further.
  setAttribute(Qt::WA_NoMouseReplay);
  edit_->setObjectName(QStringLiteral("text"));
  edit_->setFont(font);
  edit_->setLineWrapMode(QPlainTextEdit::NoWrap);
  edit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  edit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  edit_->setFrameShape(QFrame::NoFrame);
  edit_->document()->setDocumentMargin(0);
  edit_->installEventFilter(this);
  problem_->setObjectName(QStringLiteral("problem"));
  problem_->setWordWrap(true);
  problem_->hide();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(1, 1, 1, 1);
  layout->setSpacing(0);
  layout->addWidget(edit_);
  layout->addWidget(problem_);
  move(over->mapToGlobal(area.topLeft()));
  connect(edit_, &QPlainTextEdit::textChanged, this, &InPlaceEditor::FitText);
  FitText();
}

InPlaceEditor::Outcome InPlaceEditor::Run() {
  cancelled_ = false;
  edit_->setFocus();
  exec();
  return cancelled_ ? Outcome::Cancel : Outcome::Commit;
}

void InPlaceEditor::ShowProblem(const QString& text) {
  problem_->setText(text);
  problem_->show();
  FitText();
}

void InPlaceEditor::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    cancelled_ = true;
    reject();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool InPlaceEditor::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edit_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter && (key->modifiers() & Qt::ControlModifier) != 0) {
      accept();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void InPlaceEditor::FitText() {
  // Room for the longest line and one more character, never less than the box.
  const QFontMetrics metrics(edit_->font());
  const QStringList lines = edit_->toPlainText().split(QLatin1Char('\n'));
  int width = 0;
  for (const QString& line : lines) width = std::max(width, metrics.horizontalAdvance(line + QLatin1Char('M')));
  const int height = static_cast<int>(lines.size()) * metrics.lineSpacing() + metrics.descent();
  const QMargins margins = layout()->contentsMargins();
  const int textWidth = std::max(width, least_.width()) + margins.left() + margins.right();
  const int problemHeight = problem_->isVisible() ? problem_->heightForWidth(textWidth) : 0;
  edit_->setFixedSize(std::max(width, least_.width()), std::max(height, least_.height()));
  setFixedSize(textWidth, edit_->height() + problemHeight + margins.top() + margins.bottom());
}

}  // namespace virlo
