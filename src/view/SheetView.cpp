#include "view/SheetView.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>

#include "control/ScreenArt.h"
#include "document/Document.h"
#include "export/SvgExport.h"
#include "objects/Sheet.h"
#include "platform/AppServices.h"
#include "platform/Font.h"
#include "platform/Pen.h"
#include "tools/DrawTool.h"
#include "view/QtDeviceContext.h"

namespace virlo {

SheetView::SheetView(Document* document, QWidget* parent)
    : QAbstractScrollArea(parent), document_(document), controller_(document, this) {
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  UpdateScrollBars();
}

SheetView::~SheetView() = default;

void SheetView::SetPositionDisplay(std::function<void(const std::string&)> display) {
  controller_.SetPositionDisplay(std::move(display));
}

bool SheetView::Command(std::int32_t id) {
  const bool delivered = controller_.OnCommand(id);
  if (delivered) RepaintDocument();
  return delivered;
}

void SheetView::RepaintDocument() {
  for (DocumentView* view : document_->Views()) {
    if (Window* window = view->GetWindow()) window->RedrawWindow(Redraw::Invalidate);
  }
}

namespace {

std::int32_t FloorOf(double value) { return static_cast<std::int32_t>(std::floor(value)); }
int RoundOf(double value) { return static_cast<int>(std::lround(value)); }

}  // namespace

Point SheetView::ScrollPosition() const {
  return {FloorOf(horizontalScrollBar()->value() / Scale()), FloorOf(verticalScrollBar()->value() / Scale())};
}

Point SheetView::SheetPoint(const QPoint& client) const {
  return {FloorOf((client.x() + horizontalScrollBar()->value()) / Scale()),
          FloorOf((client.y() + verticalScrollBar()->value()) / Scale())};
}

QPoint SheetView::ViewportPoint(Point sheet) const {
  return QPoint(RoundOf(sheet.x * Scale()), RoundOf(sheet.y * Scale())) -
         QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

QRect SheetView::ViewportRect(const Rect& sheetArea) const {
  const Rect area = sheetArea.Normalized();
  const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
  const QPoint topLeft(RoundOf(area.left * Scale()), RoundOf(area.top * Scale()));
  const QPoint bottomRight(RoundOf(area.right * Scale()), RoundOf(area.bottom * Scale()));
  return {topLeft - scroll, QSize(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y())};
}

int SheetView::NextZoom(ZoomStep step) const {
  if (step == ZoomStep::In) {
    for (const int percent : ZoomSteps) {
      if (percent > zoom_) return percent;
    }
    return zoom_;
  }
  int result = zoom_;
  for (const int percent : ZoomSteps) {
    if (percent < zoom_) result = percent;
  }
  return result;
}

void SheetView::SetZoom(int percent, const QPoint* anchor) {
  percent = std::clamp(percent, ZoomSteps[0], ZoomSteps[std::size(ZoomSteps) - 1]);
  if (percent == zoom_) return;
  // Zooming in and out again by the keys comes back to the same place: while
  // the view has not scrolled since, the same sheet point stays at the same
  // place in the viewport, though a scroll bar came or went meanwhile.
  const QPoint pixels(horizontalScrollBar()->value(), verticalScrollBar()->value());
  if (anchor != nullptr || pixels != originPixels_) {
    zoomFixed_ = anchor != nullptr ? *anchor : viewport()->rect().center();
    zoomPoint_ = (QPointF(pixels) + QPointF(zoomFixed_)) / Scale();
  }
  zoom_ = percent;
  UpdateScrollBars();
  const QPointF origin = zoomPoint_ * Scale() - QPointF(zoomFixed_);
  horizontalScrollBar()->setValue(RoundOf(origin.x()));
  verticalScrollBar()->setValue(RoundOf(origin.y()));
  originPixels_ = QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
  viewport()->update();
  emit zoomChanged(zoom_);
}

std::uint32_t SheetView::Flags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  std::uint32_t flags = 0;
  if ((buttons & Qt::LeftButton) != 0) flags |= MouseKeys::LeftButton;
  if ((buttons & Qt::RightButton) != 0) flags |= MouseKeys::RightButton;
  if ((modifiers & Qt::ShiftModifier) != 0) flags |= MouseKeys::Shift;
  if ((modifiers & Qt::ControlModifier) != 0) flags |= MouseKeys::Control;
  return flags;
}

void SheetView::InvalidateRect(const Rect& rect, bool) {
  // A change anywhere may change the characters round it (joins, overwrites).
  if (artShown_) {
    viewport()->update();
    return;
  }
  const Rect r = rect.Normalized();
  // Outward to whole pixels: a magnified unit covers more than one.
  const int left = FloorOf(r.left * Scale()) - horizontalScrollBar()->value();
  const int top = FloorOf(r.top * Scale()) - verticalScrollBar()->value();
  const int right = static_cast<int>(std::ceil((r.right + 1) * Scale())) - horizontalScrollBar()->value();
  const int bottom = static_cast<int>(std::ceil((r.bottom + 1) * Scale())) - verticalScrollBar()->value();
  viewport()->update(QRect(left, top, right - left, bottom - top));
}

void SheetView::UpdateWindow() { viewport()->update(); }

void SheetView::RedrawWindow(unsigned) {
  // Undo, redo and the print dialog may have resized the sheet.
  UpdateScrollBars();
  viewport()->update();
}

void SheetView::DrawDragRect(const Rect& newRect, const Rect&) {
  if (newRect == Rect{-1, -1, -1, -1}) {
    band_ = QRect();
  } else {
    // The tool gives the band less the scroll position in drawing units.
    const Point scroll = ScrollPosition();
    const QPoint pixels(horizontalScrollBar()->value(), verticalScrollBar()->value());
    auto toViewport = [&](std::int32_t x, std::int32_t y) {
      return QPoint(RoundOf((x + scroll.x) * Scale()), RoundOf((y + scroll.y) * Scale())) - pixels;
    };
    band_ = QRect(toViewport(newRect.left, newRect.top), toViewport(newRect.right, newRect.bottom));
  }
  viewport()->update();
}

void SheetView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  // Made explicit so the sheet can skip what lies outside the repainted area.
  painter.setClipRegion(event->region());
  painter.fillRect(viewport()->rect(), Qt::white);
  const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
  painter.translate(-scroll.x(), -scroll.y());
  // Text at actual size is drawn untransformed, as a picture of the sheet draws it.
  if (zoom_ != ActualSize) painter.scale(Scale(), Scale());
  if (artShown_) {
    const QRectF shown = QRectF(event->region().boundingRect().translated(scroll));
    PaintArt(painter, QRectF(shown.topLeft() / Scale(), shown.size() / Scale()).toAlignedRect());
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

void SheetView::PaintSheet(QPainter& painter) const {
  if (document_->sheet == nullptr) return;
  QtDeviceContext dc(painter);
  document_->sheet->Draw(dc);
}

void SheetView::PaintArt(QPainter& painter, const QRect& area) const {
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
  const AppServices* application = AppServices::Instance();
  const Font* textFont = application != nullptr ? application->GetTextFont() : nullptr;
  const QFont font = textFont != nullptr ? QtDeviceContext::ToQFont(*textFont) : painter.font();
  painter.setFont(font);
  const QFontMetrics metrics(font);
  // The characters stand in their cells as a text box's lines stand in its rows,
  // moved by a fraction of a pixel so that line strokes fall on whole pixels.
  const int baseline = (sheet->cellHeight - metrics.height()) / 2 + metrics.ascent();
  const QPointF aligned = GlyphAlignment(font, baseline, Scale());
  painter.translate(aligned);
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

QPointF SheetView::GlyphAlignment(const QFont& font, int baseline, double scale) {
  // A stroke one pixel wide centred between two pixels paints both grey: put
  // the left edge of "|" and the top edge of "-" on pixel boundaries.
  QPainterPath bar;
  bar.addText(0, 0, font, QStringLiteral("|"));
  QPainterPath dash;
  dash.addText(0, baseline, font, QStringLiteral("-"));
  const double left = bar.boundingRect().left() * scale;
  const double top = dash.boundingRect().top() * scale;
  return {(std::round(left) - left) / scale, (std::round(top) - top) / scale};
}

void SheetView::SetArtShown(bool shown) {
  if (shown == artShown_) return;
  artShown_ = shown;
  viewport()->update();
}

QSize SheetView::SheetSize() const {
  const Sheet* sheet = document_->sheet;
  if (sheet == nullptr) return {};
  // The border line lies on the sheet's right and bottom edges.
  return {std::max(0, sheet->width) + 1, std::max(0, sheet->height) + 1};
}

QImage SheetView::SheetImage(int scale) const {
  QImage image(SheetSize() * scale, QImage::Format_RGB32);
  image.fill(Qt::white);
  if (image.isNull()) return image;
  QPainter painter(&image);
  painter.scale(scale, scale);
  PaintSheet(painter);
  return image;
}

QByteArray SheetView::SheetSvg() const {
  const Sheet* sheet = document_->sheet;
  if (sheet == nullptr) return {};
  // The core's picture, so the editor and virlo-cli write the same file.
  const std::string svg = SvgExport::Render(*sheet, SvgExport::Area::Sheet, SvgExport::Frame::Shown);
  return QByteArray(svg.data(), static_cast<qsizetype>(svg.size()));
}

void SheetView::Print(QPrinter& printer) {
  QPainter painter(&printer);
  if (!painter.isActive() || document_->sheet == nullptr) return;
  // The sheet is drawn in screen pixels; scale them to the printer's dots.
  const double scale = printer.resolution() / static_cast<double>(logicalDpiX());
  painter.scale(scale, scale);
  PaintSheet(painter);
}

QSize SheetView::ScrollSize() const {
  const Sheet* sheet = document_->sheet;
  const int width = sheet != nullptr ? std::max(sheet->width, std::int32_t{MinScrollWidth}) : MinScrollWidth;
  const int height = sheet != nullptr ? std::max(sheet->height, std::int32_t{MinScrollHeight}) : MinScrollHeight;
  // The border line lies on the sheet's right and bottom edges.
  return {width + 1, height + 1};
}

void SheetView::UpdateScrollBars() {
  const QSize page = viewport()->size();
  const QSize total(static_cast<int>(std::ceil(ScrollSize().width() * Scale())),
                    static_cast<int>(std::ceil(ScrollSize().height() * Scale())));
  horizontalScrollBar()->setRange(0, std::max(0, total.width() - page.width()));
  verticalScrollBar()->setRange(0, std::max(0, total.height() - page.height()));
  horizontalScrollBar()->setPageStep(page.width());
  verticalScrollBar()->setPageStep(page.height());
  horizontalScrollBar()->setSingleStep(std::max(1, total.width() / 100));
  verticalScrollBar()->setSingleStep(std::max(1, total.height() / 100));
}

void SheetView::wheelEvent(QWheelEvent* event) {
  if ((event->modifiers() & Qt::ControlModifier) != 0) {
    // The point under the pointer stays under it.
    const int turn = event->angleDelta().y();
    const QPoint at = event->position().toPoint();
    if (turn != 0) SetZoom(NextZoom(turn > 0 ? ZoomStep::In : ZoomStep::Out), &at);
    event->accept();
    return;
  }
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

void SheetView::keyPressEvent(QKeyEvent* event) {
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
  // With nothing to move the arrows scroll, as they always have. Ctrl moves
  // a box's frame alone, as it does held at a press.
  const Qt::KeyboardModifiers moving = modifiers & ~Qt::ControlModifier;
  if (arrow.has_value() && (moving == Qt::NoModifier || moving == Qt::ShiftModifier) &&
      controller_.OnArrowKey(*arrow, moving == Qt::ShiftModifier, (modifiers & Qt::ControlModifier) != 0)) {
    RepaintDocument();
    event->accept();
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

void SheetView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void SheetView::scrollContentsBy(int, int) { viewport()->update(); }

void SheetView::focusInEvent(QFocusEvent* event) {
  controller_.OnActivateView();
  QAbstractScrollArea::focusInEvent(event);
}

void SheetView::mousePressEvent(QMouseEvent* event) {
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

void SheetView::mouseMoveEvent(QMouseEvent* event) {
  if (!controller_.HasCapture()) return;
  controller_.OnMouseMove(Flags(event->buttons(), event->modifiers()), SheetPoint(event->position().toPoint()));
  RepaintDocument();
}

void SheetView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    mousePressEvent(event);
    return;
  }
  controller_.OnLButtonDblClk(Flags(event->buttons(), event->modifiers()), SheetPoint(event->position().toPoint()));
  RepaintDocument();
}

void SheetView::mouseReleaseEvent(QMouseEvent* event) {
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
