#pragma once

namespace virlo {

class Window;

// What a document needs from each view that shows it: the view drops its
// mouse tool before the database or sheet changes, repaints after undo and
// redo, and tells whether a drag holds the mouse (no edit may arrive then).
class DocumentView {
 public:
  virtual ~DocumentView() = default;

  virtual void ReleaseTool() = 0;
  // The document changed under the view: repaint it all.
  virtual void OnUpdate() = 0;
  virtual bool HasCapture() const = 0;
  // Whether a tool or command of the view is running, perhaps waiting for a
  // dialog: the document must not close under it.
  virtual bool IsHandling() const = 0;
  virtual Window* GetWindow() const = 0;
};

}  // namespace virlo
