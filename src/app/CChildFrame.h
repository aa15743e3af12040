#pragma once

#include <QMdiSubWindow>

namespace virlo {

class CPlenkoDoc;
class CPlenkoView;

// The window around one view of a document, opened maximised.
class CChildFrame : public QMdiSubWindow {
  Q_OBJECT

 public:
  CChildFrame(CPlenkoDoc* document, QWidget* parent = nullptr);

  CPlenkoView* View() const { return view_; }
  CPlenkoDoc* Document() const;
  // The title: the document's, with ":2" and so on when it has several
  // windows, and " *" while it is modified.
  QString Title() const;
  // Shows the title in the window's title bar; a maximised window shows it
  // in the main window's title only.
  void UpdateTitle();

 signals:
  // Asks whether the window may close; the application answers by closing
  // the document when this is its last window.
  void closeRequested(CChildFrame* frame, bool* accept);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  CPlenkoView* view_;
};

}  // namespace virlo
