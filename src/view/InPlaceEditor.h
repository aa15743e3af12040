#pragma once

#include <QDialog>

class QFont;
class QLabel;
class QPlainTextEdit;

namespace virlo {

// The text dialog's face on the sheet: a borderless editor over the text box,
// in the text font, that grows with its text. Enter breaks the line;
// Ctrl+Enter or a click elsewhere commits; Escape cancels. Input methods work
// as in any text field.
class InPlaceEditor : public QDialog {
  Q_OBJECT

 public:
  enum class Outcome { Commit, Cancel };

  // area: the text box in over's coordinates.
  InPlaceEditor(QWidget* over, const QRect& area, const QFont& font);

  QPlainTextEdit* Edit() const { return edit_; }
  // Edits until the user commits or cancels.
  Outcome Run();
  // Says why the text cannot be taken; the editing goes on.
  void ShowProblem(const QString& text);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FitText();

  QPlainTextEdit* edit_;
  QLabel* problem_;
  QSize least_;
  bool cancelled_ = false;
};

}  // namespace virlo
