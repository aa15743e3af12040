#pragma once

#include "platform/Point.h"
#include "platform/Rect.h"

namespace virlo {

// Flags of RedrawWindow.
namespace Redraw {
inline constexpr unsigned Invalidate = 0x0001;
inline constexpr unsigned Erase = 0x0004;
inline constexpr unsigned UpdateNow = 0x0100;
}  // namespace Redraw

// The window a sheet is shown in, as the core needs it.
class Window {
 public:
  virtual ~Window() = default;

  // Marks a rectangle of drawing units for repainting; the window applies its
  // own scroll position.
  virtual void InvalidateRect(const Rect& rect, bool erase) = 0;
  // Paints what is invalid now.
  virtual void UpdateWindow() = 0;
  // Redraws the whole client area with the Redraw flags.
  virtual void RedrawWindow(unsigned flags) = 0;
  // Moves the one-pixel XOR rubber band from oldRect to newRect, both in client
  // coordinates; (-1, -1, -1, -1) stands for no band.
  virtual void DrawDragRect(const Rect& newRect, const Rect& oldRect) = 0;
  // The drawing-unit position shown at the client area's top-left corner.
  virtual Point ScrollPosition() const = 0;
};

}  // namespace virlo
