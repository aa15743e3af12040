#include "app/DocumentWindow.h"

#include <QCloseEvent>

#include "app/Icons.h"
#include "document/Document.h"
#include "view/SheetView.h"

namespace virlo {

DocumentWindow::DocumentWindow(Document* document, QWidget* parent) : QMdiSubWindow(parent) {
  view_ = new SheetView(document, this);
  setWidget(view_);
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowIcon(Icons::Application());
  UpdateTitle();
}

Document* DocumentWindow::GetDocument() const { return view_->GetDocument(); }

QString DocumentWindow::Title() const {
  Document* doc = GetDocument();
  QString title = QString::fromStdString(doc->GetTitle());
  const auto& views = doc->Views();
  if (views.size() > 1) {
    for (std::size_t i = 0; i < views.size(); ++i) {
      if (views[i] == &view_->Controller()) title += QStringLiteral(":%1").arg(i + 1);
    }
  }
  if (doc->IsModified()) title += QStringLiteral(" *");
  return title;
}

void DocumentWindow::UpdateTitle() {
  // Qt adds a maximised window's title to the main window's, which names the
  // document already.
  const QString title = isMaximized() ? QString() : Title();
  if (windowTitle() != title) setWindowTitle(title);
}

void DocumentWindow::closeEvent(QCloseEvent* event) {
  bool accept = true;
  emit closeRequested(this, &accept);
  if (accept) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace virlo
