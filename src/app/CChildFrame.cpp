#include "app/CChildFrame.h"

#include <QCloseEvent>

#include "app/Icons.h"
#include "document/CPlenkoDoc.h"
#include "view/CPlenkoView.h"

namespace virlo {

CChildFrame::CChildFrame(CPlenkoDoc* document, QWidget* parent) : QMdiSubWindow(parent) {
  view_ = new CPlenkoView(document, this);
  setWidget(view_);
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowIcon(Icons::Application());
  UpdateTitle();
}

CPlenkoDoc* CChildFrame::Document() const { return view_->GetDocument(); }

QString CChildFrame::Title() const {
  CPlenkoDoc* doc = Document();
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

void CChildFrame::UpdateTitle() {
  // Qt adds a maximised window's title to the main window's, which names the
  // document already.
  const QString title = isMaximized() ? QString() : Title();
  if (windowTitle() != title) setWindowTitle(title);
}

void CChildFrame::closeEvent(QCloseEvent* event) {
  bool accept = true;
  emit closeRequested(this, &accept);
  if (accept) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace virlo
