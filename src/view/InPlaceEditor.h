#pragma once

#include <QDialog>

class QFont;
class QLabel;
class QTextEdit;

namespace virlo {

// The text dialog's face on the sheet: a framed, borderless editor over the
// text box, in the text font, its lines one row of the grid apart and
// aligned as the box aligns them, so the text stands where it will land. It
// grows with its text. Enter breaks the line; Ctrl+Enter or a click
// elsewhere commits; Escape cancels; Tab is refused as it is typed, with a
// word why. Input methods work as in any text field. A problem with the text
// shows under it, as wide as a sentence reads well, the editor growing to
// hold it whole.
class InPlaceEditor : public QDialog {
  Q_OBJECT

 public:
  enum class Outcome { Commit, Cancel };

  // area: where the text lands, in over's coordinates; its size is the least
  // the editor takes. rowPitch: the pixels between the tops of two lines.
  InPlaceEditor(QWidget* over, const QRect& area, const QFont& font, int rowPitch, Qt::Alignment alignment);

  QTextEdit* Edit() const { return edit_; }
  // Sets the text, each line laid out as the sheet lays it out.
  void SetText(const QString& text);
  // Edits until the user commits or cancels.
  Outcome Run();
  // Says, under the text, why it cannot be taken as it is; the editing goes on.
  void ShowProblem(const QString& text);
  void ClearProblem();
  // The message shown under the text, empty when there is none.
  QString Problem() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // Lines one row apart, aligned; a new line takes its format from the one it breaks.
  void FormatLines();
  // Sizes the text to its lines and places the problem under it.
  void FitText();

  QTextEdit* edit_;
  QLabel* problem_;
  QSize least_;
  QPoint origin_;  // the editor's top-left corner on the screen
  int rowPitch_;
  // Moves the text down so its glyphs stand where the sheet puts them.
  double topMargin_ = 0;
  Qt::Alignment alignment_;
  bool cancelled_ = false;
};

}  // namespace virlo
