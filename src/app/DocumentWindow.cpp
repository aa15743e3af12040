#include "app/DocumentWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeySequence>
#include <QMenu>

#include "app/Icons.h"
#include "document/Document.h"
#include "view/SheetView.h"

namespace virlo {

DocumentWindow::DocumentWindow(Document* document, QWidget* parent) : QMdiSubWindow(parent) {
  view_ = new SheetView(document, this);
  setWidget(view_);
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowIcon(Icons::Application());
  // Qt gives the window menu's Close the key of File > Close (Ctrl+W): two
  // owners of one key, and neither runs. The key is the command table's.
  if (QMenu* menu = systemMenu()) {
    for (QAction* action : menu->actions()) {
      if (action->shortcuts() == QKeySequence::keyBindings(QKeySequence::Close)) action->setShortcuts({});
    }
  }
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
