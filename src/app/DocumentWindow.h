#pragma once

#include <QMdiSubWindow>

namespace virlo {

class Document;
class SheetView;

// The window around one view of a document, opened maximised.
class DocumentWindow : public QMdiSubWindow {
  Q_OBJECT

 public:
  DocumentWindow(Document* document, QWidget* parent = nullptr);

  SheetView* View() const { return view_; }
  Document* GetDocument() const;
  // The title: the document's, with ":2" and so on when it has several
  // windows, and " *" while it is modified.
  QString Title() const;
  // Shows the title in the window's title bar; a maximised window shows it
  // in the main window's title only.
  void UpdateTitle();

 signals:
  // Asks whether the window may close; the application answers by closing
  // the document when this is its last window.
  void closeRequested(DocumentWindow* frame, bool* accept);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  SheetView* view_;
};

}  // namespace virlo
