#include "view/InPlaceEditor.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

#include "platform/CharacterCell.h"
#include "view/TextPaste.h"

namespace virlo {
namespace {

// The frame round the editor, in pixels; the text stands just inside it.
constexpr int FrameWidth = 1;
// Room round the words of a problem, in pixels.
constexpr int ProblemMargin = 3;
// A problem's lines hold at most about this many characters: read at a glance.
constexpr int ReadableCharacters = 50;

// Where a text layout with lines of a fixed height puts the first baseline,
// measured on a document of its own: the editor's is laid out only once shown.
double BaselineInRow(const QFont& font, int rowPitch) {
  QTextDocument document;
  document.setDefaultFont(font);
  document.setDocumentMargin(0);
  document.setTextWidth(1000);
  QTextCursor cursor(&document);
  QTextBlockFormat format;
  format.setLineHeight(rowPitch, QTextBlockFormat::FixedHeight);
  cursor.setBlockFormat(format);
  cursor.insertText(QStringLiteral("M"));
  const QTextBlock block = document.firstBlock();
  const QRectF area = document.documentLayout()->blockBoundingRect(block);
  const QTextLine line = block.layout()->lineAt(0);
  return area.top() + (line.isValid() ? line.y() + line.ascent() : QFontMetricsF(font).ascent());
}

}  // namespace

InPlaceEditor::InPlaceEditor(QWidget* over, const QRect& area, const QFont& font, int rowPitch, Qt::Alignment alignment)
    : QDialog(over, Qt::Popup | Qt::FramelessWindowHint),
      edit_(new TextPaste<QTextEdit>(this)),
      problem_(new QLabel(this)),
      least_(area.size()),
      rowPitch_(std::max(1, rowPitch)),
      alignment_(alignment) {
  setObjectName(QStringLiteral("inPlaceEditor"));
  // The click that ends the editing commits it and goes no further.
  setAttribute(Qt::WA_NoMouseReplay);
  edit_->setObjectName(QStringLiteral("text"));
  edit_->setAcceptRichText(false);
  edit_->setFont(font);
  edit_->setWordWrapMode(QTextOption::NoWrap);
  edit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  edit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  edit_->setFrameShape(QFrame::NoFrame);
  edit_->document()->setDocumentMargin(0);
  edit_->installEventFilter(this);
  problem_->setObjectName(QStringLiteral("problem"));
  problem_->setWordWrap(true);
  problem_->setAutoFillBackground(true);
  problem_->setBackgroundRole(QPalette::ToolTipBase);
  problem_->setForegroundRole(QPalette::ToolTipText);
  problem_->setContentsMargins(ProblemMargin, ProblemMargin, ProblemMargin, ProblemMargin);
  problem_->hide();
  // Placed by hand: the text keeps the size it fits, the problem goes under it.
  edit_->move(FrameWidth, FrameWidth);
  FormatLines();
  // The sheet puts a line's glyphs in the middle of its row; the editor's
  // layout puts them elsewhere in a row of the same height: move the text by
  // the difference.
  const QFontMetricsF metrics(font);
  const double sheetBaseline = (rowPitch_ - metrics.height()) / 2 + metrics.ascent();
  const double editorBaseline = BaselineInRow(font, rowPitch_);
  const double shift = sheetBaseline - editorBaseline;
  topMargin_ = std::max(0.0, shift);
  FormatLines();
  const int above = static_cast<int>(std::lround(std::min(0.0, shift)));
  origin_ = over->mapToGlobal(area.topLeft()) - QPoint(FrameWidth, FrameWidth - above);
  connect(edit_, &QTextEdit::textChanged, this, &InPlaceEditor::FitText);
  FitText();
}

void InPlaceEditor::SetText(const QString& text) {
  edit_->setPlainText(text);
  FormatLines();
  edit_->moveCursor(QTextCursor::End);
}

void InPlaceEditor::FormatLines() {
  QTextCursor cursor(edit_->document());
  cursor.select(QTextCursor::Document);
  QTextBlockFormat format;
  format.setLineHeight(rowPitch_, QTextBlockFormat::FixedHeight);
  format.setAlignment(alignment_);
  cursor.mergeBlockFormat(format);
  // Setting the text resets the frame of the whole document.
  QTextFrameFormat frame = edit_->document()->rootFrame()->frameFormat();
  frame.setTopMargin(topMargin_);
  edit_->document()->rootFrame()->setFrameFormat(frame);
  // Typing goes on in the same format.
  QTextCursor at = edit_->textCursor();
  at.mergeBlockFormat(format);
  edit_->setTextCursor(at);
}

InPlaceEditor::Outcome InPlaceEditor::Run() {
  cancelled_ = false;
  edit_->setFocus();
  exec();
  return cancelled_ ? Outcome::Cancel : Outcome::Commit;
}

void InPlaceEditor::ShowProblem(const QString& text) {
  if (problem_->text() == text && !problem_->isHidden()) return;
  problem_->setText(text);
  problem_->show();
  FitText();
}

void InPlaceEditor::ClearProblem() {
  if (problem_->isHidden()) return;
  problem_->hide();
  problem_->clear();
  FitText();
}

QString InPlaceEditor::Problem() const { return problem_->isHidden() ? QString() : problem_->text(); }

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
    // A tab would only be refused when the text is taken; it is refused now.
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
      ShowProblem(QCoreApplication::translate("InPlaceEditor", "図の文字にタブは使えません。空白を使ってください。"));
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void InPlaceEditor::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  // Framed, so the room for the text shows against the sheet.
  QPainter painter(this);
  painter.setPen(QPen(palette().color(QPalette::Highlight), 0));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void InPlaceEditor::FitText() {
  // Room for the longest line and one more character, never less than the
  // area. A line is as long as its cells on the sheet, a cell half as wide as
  // the font is high; a face that draws it wider must not break it.
  const QFontMetricsF metrics(edit_->font());
  const double cell = edit_->font().pixelSize() > 0 ? edit_->font().pixelSize() / 2.0 : metrics.averageCharWidth();
  const QStringList lines = edit_->toPlainText().split(QLatin1Char('\n'));
  double longest = 0;
  for (const QString& line : lines) {
    const double cells = CharacterCell::Cells(line.toStdString()) * cell;
    longest = std::max({longest, cells, metrics.horizontalAdvance(line)});
  }
  const QTextFrameFormat frame = edit_->document()->rootFrame()->frameFormat();
  const int width =
      std::max(static_cast<int>(std::ceil(longest + metrics.horizontalAdvance(QLatin1Char('M')))), least_.width());
  const int height =
      std::max(static_cast<int>(
                   std::ceil(frame.topMargin() + static_cast<double>(lines.size() - 1) * rowPitch_ + metrics.height())),
               least_.height());
  // Lines align within the longest, as the box, fitted to its text, aligns them.
  edit_->setLineWrapMode(QTextEdit::FixedPixelWidth);
  edit_->setLineWrapColumnOrWidth(static_cast<int>(std::ceil(longest)) + 1);
  edit_->setFixedSize(width, height);
  QSize problem(0, 0);
  if (!problem_->isHidden()) {
    // On one line when it is short; else broken into lines of a readable
    // width, or the text's when that is wider.
    const QFontMetrics words(problem_->font());
    const QMargins margins = problem_->contentsMargins();
    const int room = margins.left() + margins.right();
    const int readable = std::max(width, words.averageCharWidth() * ReadableCharacters + room);
    const int oneLine = words.horizontalAdvance(problem_->text()) + room + 1;
    problem.setWidth(std::max(width, std::min(oneLine, readable)));
    problem.setHeight(problem_->heightForWidth(problem.width()));
    problem_->setGeometry(QRect(QPoint(FrameWidth, FrameWidth + height), problem));
  }
  // The client area itself goes there: a window not yet shown may guess a frame round it.
  setFixedSize(std::max(width, problem.width()) + 2 * FrameWidth, height + problem.height() + 2 * FrameWidth);
  setGeometry(QRect(origin_, size()));
}

}  // namespace virlo
