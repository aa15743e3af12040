#pragma once

#include <array>

#include "objects/Line.h"

namespace virlo {

// A rectangle made of four lines whose ends are joined at the corners. Moving
// a corner or a side resizes it; moving the box moves all four sides freely,
// and what lies inside them when the move carries contents.
class StrBox;

class Box : public DrawObj {
 public:
  // Its corners: "+" in the art, or rounded: "." above and "'" below.
  enum Corners : std::int32_t { Square = 0, Rounded = 1 };

  Box(Sheet* sheet, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, DrawObj* parent);
  Box(const Box& source, Sheet* sheet, DrawObj* parent);
  explicit Box(store::Blank b);
  ~Box() override = default;

  static const store::TypeDescription& Type();
  void DescribeFields(store::FieldVisitor& visitor);

  Rect GetRect(Area area) const override;
  bool Move(Selection& selection, std::int32_t dx, std::int32_t dy) override;
  bool Select(Selection& selection) override;
  bool SelectAndRedraw(Selection& selection) override;
  DrawObj* Clone(Sheet* target) const override;
  Point GetPos() const override;
  bool HitTest(std::int32_t x, std::int32_t y) const override;
  // The four sides, or the whole rectangle when it is filled.
  std::size_t HitAreas(HitAreaList& areas) const override;
  bool SetFlag(std::uint32_t bits, bool on) override;
  void Draw(DeviceContext& dc) const override;
  void RenderText(Canvas& canvas) const override;
  DrawObj* FindTarget(std::int32_t x, std::int32_t y, const DrawObj* exclude) override;
  // The format dialog: the stroke of its sides and its corners.

  // Whether a move of the whole box carries what lies inside its frame.
  virtual bool CarriesContents() const { return true; }

  // Makes the box occupy rect, moving the first corner and then the opposite one.
  void Resize(const Rect& rect);

  // The first corner (start of top) and the opposite corner (start of bottom).
  Point FirstCorner() const { return top.start.GetPos(); }
  Point OppositeCorner() const { return bottom.start.GetPos(); }
  // The rectangle between the two corners, normalised.
  Rect Frame() const;
  // Whether a text without a frame is written over one of the sides: a name
  // in the top or bottom within the frame's columns (" outer "), or across
  // a side down within its rows, the side through its first or last column
  // (a port's "FL" over "|"). The box carries
  // such a text when it moves and keeps it in front of its sides.
  bool WrittenOverSide(const StrBox& text) const;

  // The persistent layout, in declaration order.
  Line top;
  Line left;
  Line bottom;
  Line right;
  std::int32_t corners = Square;

 protected:
  // The sides in clockwise order: top, right, bottom, left.
  std::array<Line*, 4> Clockwise() { return {&top, &right, &bottom, &left}; }
  std::array<const Line*, 4> Clockwise() const { return {&top, &right, &bottom, &left}; }

 private:
  void JoinCorners();
};

}  // namespace virlo
