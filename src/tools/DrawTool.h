#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "model/Stroke.h"
#include "objects/Contents.h"
#include "objects/Elbows.h"
#include "objects/Selection.h"
#include "platform/Point.h"
#include "platform/Rect.h"

namespace virlo {

class DrawObj;
class Sheet;
class StrBox;
class Window;

// Key-state bits of a mouse event.
namespace MouseKeys {
inline constexpr std::uint32_t LeftButton = 1;
inline constexpr std::uint32_t RightButton = 2;
inline constexpr std::uint32_t Shift = 4;
// Held at the press, a box moved whole leaves what lies inside it.
inline constexpr std::uint32_t Control = 8;
}  // namespace MouseKeys

// A mouse tool. The view hands it every press, captured move and release in
// sheet coordinates; it snaps them to the grid, drags the sheet's current
// object, draws the rubber band and opens dialogs. Mouse operations return
// true when the document changed. The edit operations (front, back, copy,
// cut, paste, delete) work the same whichever tool is current.
class DrawTool {
 public:
  // The dragRect of a tool that shows no rubber band.
  static constexpr Rect NoBand{-1, -1, -1, -1};

  enum Kind : std::int32_t { SelectKind = 1, DotKind = 2, LineKind = 3, BoxKind = 4, StrBoxKind = 5 };

  DrawTool(Sheet* sheet, Window* view);
  virtual ~DrawTool();
  DrawTool(const DrawTool&) = delete;
  DrawTool& operator=(const DrawTool&) = delete;

  virtual bool LButtonDown(std::uint32_t flags, std::int32_t x, std::int32_t y);
  virtual bool MouseMove(std::uint32_t flags, std::int32_t x, std::int32_t y);
  virtual bool LButtonUp(std::uint32_t flags, std::int32_t x, std::int32_t y);
  // A double click, after the press and release of its first click; false
  // when the tool takes it for nothing but a second press.
  virtual bool LButtonDblClk(std::uint32_t flags, std::int32_t x, std::int32_t y);
  // Opens the dialog of the object under the pointer; true when it ended with OK.
  virtual bool RButtonDown(std::uint32_t flags, std::int32_t x, std::int32_t y);
  virtual bool RButtonUp(std::uint32_t flags, std::int32_t x, std::int32_t y);
  virtual std::int32_t GetKind() const = 0;
  // Snaps the pointer; true when it left the last applied cell with the left button down.
  virtual bool TrackPoint(std::uint32_t flags, std::int32_t x, std::int32_t y);
  // Moves the current object in two passes; true when the second pass moved it.
  virtual bool DragBy(std::int32_t dx, std::int32_t dy);
  virtual void CommitPoint();
  // Deletes the selected set, or else the current object's top-level object.
  virtual std::int32_t DeleteSelected();

  Point GetDelta() const { return {curPoint.x - lastPoint.x, curPoint.y - lastPoint.y}; }
  // The rubber band: it begins at the anchor, follows the pointer, ends.
  enum class BandPhase : std::int32_t { Begin = 0, Follow = 1, End = 2 };
  void DragRect(BandPhase phase);
  // The gesture under way lost the mouse (a modal dialog took it): its
  // rubber band goes, and its release will find none.
  void CancelBand();

  // The edit operations of the view's commands.
  bool BringToFront();
  bool SendToBack();
  std::int32_t Copy();
  std::int32_t Cut();
  std::int32_t Paste();
  // Makes the given top-level objects the selection, in place of what was
  // selected or current.
  void SelectOnly(const std::vector<DrawObj*>& objects);
  // What a format applies to: the whole object of the picked part, or else
  // the selected objects, where they are lines or boxes.
  std::vector<DrawObj*> FormatTargets() const;
  // Opens the format dialog for them; true when it ended with OK.
  bool Format();

  Sheet* GetSheet() const { return sheet; }

 protected:
  // Repaints the whole view at once.
  void Redraw();
  // Runs an object's dialog, offered on the sheet over inPlace when given; a
  // text box it leaves without text goes, in the same undo step. Whether it
  // ended with OK.
  bool RunDialog(DrawObj* obj, const Rect* inPlace);
  // Empties the sheet's selected set, repainting its members without their
  // highlight. A tool that makes an object ends the selection so, so that
  // delete and cut act on the new object the user sees picked.
  void EndSelection();
  // Collects in selection, without moving them, the objects a move of the
  // given objects reaches, and returns the part of the delta that keeps every
  // one of them within the sheet's coordinate limits. The selection is left
  // holding the objects for that delta.
  Point CollectMove(std::span<DrawObj* const> moved, Point delta);
  // A gesture: a press to its release, or one arrow key. Boxes moved whole
  // during it carry what lay inside them when it began (not with
  // frameAlone), and lines it would tear off what holds their ends bend.
  void BeginGesture(bool frameAlone);
  void EndGesture();
  // One step of a move: the moved objects (the current object, or the
  // members of the set) are moved by delta, in two passes, with what they
  // carry, and the lines the step would tear are bent; true when any moved.
  // repaintMembers: each member repaints where it was and where it is.
  bool MoveStep(std::span<DrawObj* const> moved, Point delta, bool repaintMembers);

  Sheet* sheet;
  Window* view;
  Selection selection;
  std::int32_t buttonDown = 0;
  Point curPoint;
  Point lastPoint;
  Point anchorPoint;
  Rect dragRect = NoBand;

 private:
  struct CopyResult {
    std::int32_t copied = 0;
    bool complete = true;
  };
  CopyResult CopyToClipboard();

  Contents contents_;
  Elbows elbows_;
  bool inGesture_ = false;
  bool frameAlone_ = false;
  // Deletes a text box with no text: nothing shows it, yet it catches clicks.
  void DeleteEmptyText(StrBox* box);
  // Moves the current object's top-level object to the front or the back.
  bool Restack(bool toFront);
};

}  // namespace virlo
