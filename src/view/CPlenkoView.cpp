#include "view/CPlenkoView.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QSvgGenerator>
#include <QWheelEvent>
#include <algorithm>
#include <optional>

#include "control/ScreenArt.h"
#include "document/CPlenkoDoc.h"
#include "model/Sheet.h"
#include "platform/Application.h"
#include "platform/Font.h"
#include "platform/Pen.h"
#include "tools/DrawTool.h"
#include "view/QtDeviceContext.h"

namespace virlo {

CPlenkoView::CPlenkoView(CPlenkoDoc* document, QWidget* parent)
    : QAbstractScrollArea(parent), document_(document), controller_(document, this) {
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  UpdateScrollBars();
}

CPlenkoView::~CPlenkoView() = default;

void CPlenkoView::SetPositionDisplay(std::function<void(const std::string&)> display) {
  controller_.SetPositionDisplay(std::move(display));
}

bool CPlenkoView::Command(std::int32_t id) {
  const bool delivered = controller_.OnCommand(id);
  if (delivered) RepaintDocument();
  return delivered;
}

void CPlenkoView::RepaintDocument() {
  for (DocumentView* view : document_->Views()) {
    if (Window* window = view->GetWindow()) window->RedrawWindow(Redraw::Invalidate);
  }
}

Point CPlenkoView::ScrollPosition() const { return {horizontalScrollBar()->value(), verticalScrollBar()->value()}; }

Point CPlenkoView::SheetPoint(const QPoint& client) const {
  const Point scroll = ScrollPosition();
  return {client.x() + scroll.x, client.y() + scroll.y};
}

QRect CPlenkoView::ViewportRect(const Rect& sheetArea) const {
  const Point scroll = ScrollPosition();
  const Rect area = sheetArea.Normalized();
  return {area.left - scroll.x, area.top - scroll.y, area.right - area.left, area.bottom - area.top};
}

std::uint32_t CPlenkoView::Flags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  std::uint32_t flags = 0;
  if ((buttons & Qt::LeftButton) != 0) flags |= MouseKeys::LeftButton;
  if ((buttons & Qt::RightButton) != 0) flags |= MouseKeys::RightButton;
  if ((modifiers & Qt::ShiftModifier) != 0) flags |= MouseKeys::Shift;
  if ((modifiers & Qt::ControlModifier) != 0) flags |= MouseKeys::Control;
  return flags;
}

void CPlenkoView::InvalidateRect(const Rect& rect, bool) {
  // A change anywhere may change the characters round it (joins, overwrites).
  if (artShown_) {
    viewport()->update();
    return;
  }
  const Point scroll = ScrollPosition();
  const Rect r = rect.Normalized();
  viewport()->update(QRect(r.left - scroll.x, r.top - scroll.y, r.right - r.left + 1, r.bottom - r.top + 1));
}

void CPlenkoView::UpdateWindow() { viewport()->update(); }

void CPlenkoView::RedrawWindow(unsigned) {
  // Undo, redo and the print dialog may have resized the sheet.
  UpdateScrollBars();
  viewport()->update();
}

void CPlenkoView::DrawDragRect(const Rect& newRect, const Rect&) {
  band_ = newRect == Rect{-1, -1, -1, -1}
              ? QRect()
              : QRect(QPoint(newRect.left, newRect.top), QPoint(newRect.right, newRect.bottom));
  viewport()->update();
}

void CPlenkoView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  // Made explicit so the sheet can skip what lies outside the repainted area.
  painter.setClipRegion(event->region());
  painter.fillRect(viewport()->rect(), Qt::white);
  const Point scroll = ScrollPosition();
  painter.translate(-scroll.x, -scroll.y);
  if (artShown_) {
    PaintArt(painter, event->region().boundingRect().translated(scroll.x, scroll.y));
  } else {
    PaintSheet(painter);
  }
  painter.resetTransform();
  if (!band_.isNull()) {
    // The rubber band: a one-pixel frame that shows on any background.
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(QPen(Qt::white, 0, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(band_.normalized().adjusted(0, 0, -1, -1));
  }
}

void CPlenkoView::PaintSheet(QPainter& painter) const {
  if (document_->sheet == nullptr) return;
  QtDeviceContext dc(painter);
  document_->sheet->Draw(dc);
}

void CPlenkoView::PaintArt(QPainter& painter, const QRect& area) const {
  const Sheet* sheet = document_->sheet;
  if (sheet == nullptr) return;
  painter.save();
  {
    // The border as the shapes have it.
    QtDeviceContext dc(painter);
    dc.SelectPen(Pen{1, Color::Green()});
    dc.MoveTo({0, 0});
    dc.LineTo({sheet->width, 0});
    dc.LineTo({sheet->width, sheet->height});
    dc.LineTo({0, sheet->height});
    dc.LineTo({0, 0});
  }
  const Application* application = Application::Instance();
  const Font* textFont = application != nullptr ? application->GetTextFont() : nullptr;
  const QFont font = textFont != nullptr ? QtDeviceContext::ToQFont(*textFont) : painter.font();
  painter.setFont(font);
  const QFontMetrics metrics(font);
  // The characters stand in their cells as a text box's lines stand in its rows.
  const int baseline = (sheet->cellHeight - metrics.height()) / 2 + metrics.ascent();
  const ScreenArt art(*sheet);
  for (std::int32_t row = 0; row < art.Rows(); ++row) {
    const int top = row * sheet->cellHeight;
    if (top + 2 * sheet->cellHeight < area.top() || top - sheet->cellHeight > area.bottom()) continue;
    for (const ScreenArt::Cell& cell : art.Row(row)) {
      if (cell.text == " ") continue;
      const QColor colour = cell.mark == ScreenArt::Mark::Current    ? Qt::red
                            : cell.mark == ScreenArt::Mark::Selected ? Qt::blue
                                                                     : Qt::black;
      painter.setPen(colour);
      painter.drawText(QPointF(cell.column * sheet->cellWidth, top + baseline), QString::fromStdString(cell.text));
    }
  }
  painter.restore();
}

void CPlenkoView::SetArtShown(bool shown) {
  if (shown == artShown_) return;
  artShown_ = shown;
  viewport()->update();
}

QSize CPlenkoView::SheetSize() const {
  const Sheet* sheet = document_->sheet;
  if (sheet == nullptr) return {};
  // The border line lies on the sheet's right and bottom edges.
  return {std::max(0, sheet->width) + 1, std::max(0, sheet->height) + 1};
}

QImage CPlenkoView::SheetImage(int scale) const {
  QImage image(SheetSize() * scale, QImage::Format_RGB32);
  image.fill(Qt::white);
  if (image.isNull()) return image;
  QPainter painter(&image);
  painter.scale(scale, scale);
  PaintSheet(painter);
  return image;
}

QByteArray CPlenkoView::SheetSvg() const {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(SheetSize());
  generator.setViewBox(QRect(QPoint(0, 0), SheetSize()));
  generator.setTitle(QString::fromStdString(document_->GetTitle()));
  QPainter painter;
  if (!painter.begin(&generator)) return {};
  painter.fillRect(QRect(QPoint(0, 0), SheetSize()), Qt::white);
  PaintSheet(painter);
  if (!painter.end()) return {};
  return buffer.data();
}

void CPlenkoView::Print(QPrinter& printer) {
  QPainter painter(&printer);
  if (!painter.isActive() || document_->sheet == nullptr) return;
  // The sheet is drawn in screen pixels; scale them to the printer's dots.
  const double scale = printer.resolution() / static_cast<double>(logicalDpiX());
  painter.scale(scale, scale);
  PaintSheet(painter);
}

QSize CPlenkoView::ScrollSize() const {
  const Sheet* sheet = document_->sheet;
  const int width = sheet != nullptr ? std::max(sheet->width, std::int32_t{MinScrollWidth}) : MinScrollWidth;
  const int height = sheet != nullptr ? std::max(sheet->height, std::int32_t{MinScrollHeight}) : MinScrollHeight;
  // The border line lies on the sheet's right and bottom edges.
  return {width + 1, height + 1};
}

void CPlenkoView::UpdateScrollBars() {
  const QSize page = viewport()->size();
  const QSize total = ScrollSize();
  horizontalScrollBar()->setRange(0, std::max(0, total.width() - page.width()));
  verticalScrollBar()->setRange(0, std::max(0, total.height() - page.height()));
  horizontalScrollBar()->setPageStep(page.width());
  verticalScrollBar()->setPageStep(page.height());
  horizontalScrollBar()->setSingleStep(std::max(1, total.width() / 100));
  verticalScrollBar()->setSingleStep(std::max(1, total.height() / 100));
}

void CPlenkoView::wheelEvent(QWheelEvent* event) {
  if ((event->modifiers() & Qt::ShiftModifier) == 0) {
    QAbstractScrollArea::wheelEvent(event);
    return;
  }
  // Shift turns the wheel sideways. A horizontal bar takes the vertical
  // wheel; without Shift it steps by lines rather than by pages.
  QWheelEvent sideways(event->position(), event->globalPosition(), event->pixelDelta(), event->angleDelta(),
                       event->buttons(), event->modifiers() & ~Qt::ShiftModifier, event->phase(), event->inverted(),
                       event->source());
  QApplication::sendEvent(horizontalScrollBar(), &sideways);
  event->setAccepted(sideways.isAccepted());
}

void CPlenkoView::keyPressEvent(QKeyEvent* event) {
  using Arrow = ViewController::ArrowKey;
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  std::optional<Arrow> arrow;
  switch (event->key()) {
    case Qt::Key_Left:
      arrow = Arrow::Left;
      break;
    case Qt::Key_Right:
      arrow = Arrow::Right;
      break;
    case Qt::Key_Up:
      arrow = Arrow::Up;
      break;
    case Qt::Key_Down:
      arrow = Arrow::Down;
      break;
    default:
      break;
  }
  // With nothing to move the arrows scroll, as they always have.
  if (arrow.has_value() && (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier) &&
      controller_.OnArrowKey(*arrow, modifiers == Qt::ShiftModifier)) {
    RepaintDocument();
    event->accept();
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

void CPlenkoView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void CPlenkoView::scrollContentsBy(int, int) { viewport()->update(); }

void CPlenkoView::focusInEvent(QFocusEvent* event) {
  controller_.OnActivateView();
  QAbstractScrollArea::focusInEvent(event);
}

void CPlenkoView::mousePressEvent(QMouseEvent* event) {
  const std::uint32_t flags = Flags(event->buttons(), event->modifiers());
  const Point p = SheetPoint(event->position().toPoint());
  if (event->button() == Qt::LeftButton) {
    controller_.OnLButtonDown(flags, p);
  } else if (event->button() == Qt::RightButton) {
    controller_.OnRButtonDown(flags, p);
  } else {
    return;
  }
  RepaintDocument();
}

void CPlenkoView::mouseMoveEvent(QMouseEvent* event) {
  if (!controller_.HasCapture()) return;
  controller_.OnMouseMove(Flags(event->buttons(), event->modifiers()), SheetPoint(event->position().toPoint()));
  RepaintDocument();
}

void CPlenkoView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    mousePressEvent(event);
    return;
  }
  controller_.OnLButtonDblClk(Flags(event->buttons(), event->modifiers()), SheetPoint(event->position().toPoint()));
  RepaintDocument();
}

void CPlenkoView::mouseReleaseEvent(QMouseEvent* event) {
  const std::uint32_t flags = Flags(event->buttons(), event->modifiers());
  const Point p = SheetPoint(event->position().toPoint());
  if (event->button() == Qt::LeftButton) {
    controller_.OnLButtonUp(flags, p);
  } else if (event->button() == Qt::RightButton) {
    controller_.OnRButtonUp(flags, p);
  } else {
    return;
  }
  RepaintDocument();
}

}  // namespace virlo
