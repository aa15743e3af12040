#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "model/List.h"
#include "platform/Point.h"
#include "platform/Rect.h"
#include "store/Blank.h"
#include "store/FieldVisitor.h"

namespace virlo {

class Canvas;
class DeviceContext;
class Selection;
class Sheet;

// Everything drawn on a sheet. Objects are top-level (listed in their sheet's
// objects) or parts of another object, pointing to it through parent.
// Operations that spread over linked objects carry a Selection: an object acts
// only when it joins the Selection now, so each acts once however many links
// lead to it.
class DrawObj {
 public:
  enum Flag : std::uint32_t { Visible = 1, Highlighted = 2, FreeMove = 4, Filled = 8 };
  // The two rectangles an object answers for: where it is hit (and what a
  // rubber band must hold), and what to repaint when it changes.
  enum class Area : std::int32_t { Hit = 0, Redraw = 1 };

  // A new top-level object (parent null) enters the front of the sheet's objects.
  DrawObj(Sheet* sheet, DrawObj* parent);
  // The copy every Clone makes: flags copied, not listed anywhere.
  DrawObj(const DrawObj& source, Sheet* sheet, DrawObj* parent);
  explicit DrawObj(store::Blank) {}
  virtual ~DrawObj();
  DrawObj(const DrawObj&) = delete;
  DrawObj& operator=(const DrawObj&) = delete;

  static const store::TypeDescription& Type();
  void DescribeFields(store::FieldVisitor& visitor);

  virtual Rect GetRect(Area area) const = 0;
  // True if the object took part in the move.
  virtual bool Move(Selection& selection, std::int32_t dx, std::int32_t dy);
  // True if the object joined the Selection now.
  virtual bool Select(Selection& selection);
  virtual bool SelectAndRedraw(Selection& selection);
  // A copy in the target sheet's memory; null when the store has no memory.
  virtual DrawObj* Clone(Sheet* target) const = 0;
  virtual Point GetPos() const = 0;
  virtual bool HitTest(std::int32_t x, std::int32_t y) const = 0;
  // True if any flag changed.
  virtual bool SetFlag(std::uint32_t bits, bool on) = 0;
  virtual void Draw(DeviceContext& dc) const = 0;
  virtual void RenderText(Canvas& canvas) const = 0;
  // Rectangles that together hold every point where HitTest is true, for
  // the sheet's hit index: how many it wrote, by default the hit rectangle.
  using HitAreaList = std::array<Rect, 4>;
  virtual std::size_t HitAreas(HitAreaList& areas) const;
  // The part of this object at a point, for picking; null by default.
  virtual DrawObj* FindTarget(std::int32_t x, std::int32_t y, const DrawObj* exclude);
  // The top-level object this one is part of: parents are followed up to one
  // without a parent, but not past an object that only rests on its parent
  // (a dot on a line), which is top-level itself.
  DrawObj* Root();
  // True when the parent is a line the object rests on, not its owner.
  virtual bool RestsOnParent() const { return false; }
  // The shared part of every SetFlag; passes a change on to the parent.
  bool UpdateFlags(std::uint32_t bits, bool on);

  bool Has(std::uint32_t bits) const { return (flags & bits) != 0; }

  // The persistent layout, in declaration order.
  std::uint32_t flags = 0;
  Sheet* sheet = nullptr;
  DrawObj* parent = nullptr;
  // The Selection of the operation under way; null between operations.
  Selection* selection = nullptr;

 protected:
  // Joins the Selection without repainting; false if already in one.
  bool Join(Selection& selection);
  // Repaints the redraw area through the Selection.
  void InvalidateRedrawArea(const Selection& selection) const;
};

// The lists of a document hold drawing objects.
template <>
const store::TypeDescription& List<DrawObj*>::Type();

}  // namespace virlo
