#pragma once

#include "model/List.h"
#include "model/Stroke.h"
#include "objects/LinkPoint.h"

namespace virlo {

// A straight connection between two ends, in character art a run of "-" or
// "|" between end markers. A line follows a move only across its own direction
// unless it moves freely, and carries what rests on it.
class Line : public DrawObj {
 public:
  enum Orientation : std::int32_t { Horizontal = 0, Vertical = 1 };
  // The pen width of a heavy line, in drawing units.
  static constexpr std::int32_t HeavyWidth = 3;

  // The start is joined to target when that is a line end, or rests on it when
  // it is a line.
  Line(Sheet* sheet, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, DrawObj* parent,
       DrawObj* target);
  Line(const Line& source, Sheet* sheet, DrawObj* parent);
  explicit Line(store::Blank b);
  ~Line() override;

  static const store::TypeDescription& Type();
  void DescribeFields(store::FieldVisitor& visitor);

  Rect GetRect(Area area) const override;
  bool Move(Selection& selection, std::int32_t dx, std::int32_t dy) override;
  bool Select(Selection& selection) override;
  bool SelectAndRedraw(Selection& selection) override;
  DrawObj* Clone(Sheet* target) const override;
  Point GetPos() const override { return end.GetPos(); }
  bool HitTest(std::int32_t px, std::int32_t py) const override;
  bool SetFlag(std::uint32_t bits, bool on) override;
  void Draw(DeviceContext& dc) const override;
  void RenderText(Canvas& canvas) const override;
  DrawObj* FindTarget(std::int32_t x, std::int32_t y, const DrawObj* exclude) override;
  // The format dialog of its whole object: the line, or the box it is a side of.

  // How many cells a cell lies off the line's run, across it, where it lies
  // level with the run (between the ends' cells, both included): 0 on it,
  // NotBeside anywhere else.
  static constexpr std::int32_t NotBeside = -1;
  std::int32_t CellsAcross(Point cell) const;
  // A side of a text box without a frame: shown nowhere, so nothing rests
  // or docks on it.
  bool IsHiddenSide() const;

  // The stroke, Solid for a number no stroke has.
  Stroke GetStroke() const;
  // The radius of the rounded corner a box side's end makes, in drawing
  // units; 0 where the corner is square.
  std::int32_t CornerRadius(const LinkPoint& corner) const;

  // The persistent layout, in declaration order.
  LinkPoint start;
  LinkPoint end;
  // Dots resting on the line and ends of lines meeting it, in arrival order.
  List<DrawObj*> attached;
  std::int32_t orientation = Horizontal;
  // A Stroke.
  std::int32_t stroke = static_cast<std::int32_t>(Stroke::Solid);

 private:
  // The segment and, at a box's rounded corners, the arcs, in the stroke.
  void DrawRun(DeviceContext& dc) const;
};

}  // namespace virlo
