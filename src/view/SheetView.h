#pragma once

#include <QAbstractScrollArea>

class QByteArray;
class QImage;
class QPrinter;
#include <functional>

#include "control/ViewController.h"
#include "platform/Window.h"

namespace virlo {

class Document;

// The scrolling view of one document's sheet. It paints the sheet and hands
// every mouse event and view command to its ViewController, in sheet
// coordinates; as the Window of the core it repaints what the objects report.
class SheetView : public QAbstractScrollArea, public Window {
  Q_OBJECT

 public:
  // The scrolled area is the sheet, never smaller than a new one.
  static constexpr int MinScrollWidth = 624;
  static constexpr int MinScrollHeight = 1024;
  // The zooms the view steps through, in percent.
  static constexpr int ZoomSteps[] = {50, 75, 100, 125, 150, 200, 300, 400};
  static constexpr int ActualSize = 100;
  enum class ZoomStep { In, Out };

  explicit SheetView(Document* document, QWidget* parent = nullptr);
  ~SheetView() override;

  Document* GetDocument() const { return document_; }
  ViewController& Controller() { return controller_; }

  // Where the pointer position goes during a drag.
  void SetPositionDisplay(std::function<void(const std::string&)> display);
  // Runs a view command when its rule allows, then repaints every view of the document.
  bool Command(std::int32_t id);
  // Repaints every view of this view's document.
  void RepaintDocument();
  // Paints the sheet onto a printer's pages; one drawing unit is one screen pixel.
  void Print(QPrinter& printer);

  // The zoom in percent; drawing units show as zoom/100 pixels.
  int Zoom() const { return zoom_; }
  // Sets the zoom (held to the steps' range), keeping the sheet point under
  // the anchor, a viewport position, where it is; without one, the middle.
  void SetZoom(int percent, const QPoint* anchor = nullptr);
  // The next zoom step in or out from the present one; the present one at the end of the range.
  int NextZoom(ZoomStep step) const;

  // Shows the sheet as its character art, in the text font, in place of the shapes.
  void SetArtShown(bool shown);
  // How far the characters of the art move, in drawing units, so that the
  // strokes of "|", "-" and "+" cover whole pixels at the given scale;
  // baseline: where a row's characters stand below its top.
  static QPointF GlyphAlignment(const QFont& font, int baseline, double scale);
  bool ArtShown() const { return artShown_; }
  // The sheet with its border as shapes, at scale pixels per drawing unit,
  // on white: what an exported picture holds.
  QImage SheetImage(int scale) const;
  // The same as an SVG picture; empty when it cannot be made.
  QByteArray SheetSvg() const;
  // The size SheetImage has at scale 1: the sheet and its border line.
  QSize SheetSize() const;

  // Window
  void InvalidateRect(const Rect& rect, bool erase) override;
  void UpdateWindow() override;
  void RedrawWindow(unsigned flags) override;
  void DrawDragRect(const Rect& newRect, const Rect& oldRect) override;
  Point ScrollPosition() const override;

  QSize sizeHint() const override { return {MinScrollWidth, MinScrollHeight}; }
  // The drawing units the view scrolls over: the sheet with its border line.
  QSize ScrollSize() const;
  // The sheet point under a viewport position, and the viewport position of a sheet point.
  Point SheetPoint(const QPoint& client) const;
  QPoint ViewportPoint(Point sheet) const;
  // Where an area of the sheet lies in the viewport, in pixels at the zoom.
  QRect ViewportRect(const Rect& sheetArea) const;

 signals:
  void zoomChanged(int percent);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  static std::uint32_t Flags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
  void UpdateScrollBars();
  // Paints the sheet's border and its character art cell by cell.
  void PaintArt(QPainter& painter, const QRect& area) const;
  // Paints the shapes as the view shows them.
  void PaintSheet(QPainter& painter) const;

  double Scale() const { return zoom_ / 100.0; }

  Document* document_;
  ViewController controller_;
  int zoom_ = ActualSize;
  // The sheet point the last zoom held in place, where in the viewport it
  // held it, and the scroll bar values that zoom left.
  QPointF zoomPoint_;
  QPoint zoomFixed_;
  QPoint originPixels_{-1, -1};
  QRect band_;  // the rubber band in client coordinates; empty when none
  bool artShown_ = false;
};

}  // namespace virlo
