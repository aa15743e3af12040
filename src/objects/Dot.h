#pragma once

#include <cstdint>
#include <string_view>

#include "objects/DrawObj.h"
#include "objects/MarkerTable.h"

namespace virlo {

class Line;

// A point of the diagram carrying an endpoint marker. Alone it is a free
// marker; put down on a line it rests on it (the line is its parent) and moves
// with it. Dots are also the base of line ends.
class Dot : public DrawObj {
 public:
  // A negative type gives the white circle.
  Dot(Sheet* sheet, std::int32_t x, std::int32_t y, std::int32_t type, DrawObj* parent);
  Dot(const Dot& source, Sheet* sheet, DrawObj* parent);
  explicit Dot(store::Blank b) : DrawObj(b) {}
  ~Dot() override;

  static const store::TypeDescription& Type();
  void DescribeFields(store::FieldVisitor& visitor);

  Rect GetRect(Area area) const override;
  bool Move(Selection& selection, std::int32_t dx, std::int32_t dy) override;
  bool Select(Selection& selection) override;
  DrawObj* Clone(Sheet* target) const override;
  Point GetPos() const override { return {x, y}; }
  bool HitTest(std::int32_t px, std::int32_t py) const override;
  bool SetFlag(std::uint32_t bits, bool on) override;
  void Draw(DeviceContext& dc) const override;
  void RenderText(Canvas& canvas) const override;
  // A dot's parent is the line it rests on.
  bool RestsOnParent() const override { return parent != nullptr; }

  // Leaves any line, then rests on the line picked at the dot's position.
  virtual void LinkToLine();
  // The line the dot rests on, or null.
  virtual Line* GetLine() const;
  virtual void SetLine(Line* line);

  // Moves the dot to a position by the difference to where it is.
  bool PlaceAt(std::int32_t px, std::int32_t py, Selection& selection);
  static std::string_view MarkerText(std::int32_t type);
  // A character as the marker (MarkerTable::Character), in place of a
  // table entry; false, changing nothing, for one that cannot be a marker.
  bool SetCharacter(char32_t code);
  bool HasCharacter() const { return marker == MarkerTable::Character; }
  // In a canvas with a line layer, marks the dot's marker as a piece of line
  // while its cell still shows it: a "-" or "|", and for a line's end also the
  // join "+" (which can become a corner or a tee) or a rounded corner.
  void MarkAsLine(Canvas& canvas, bool isLineEnd) const;
  // What the marker writes in the art, in code page 932, when it is no
  // character of the dot's own: its table entry's characters.
  virtual std::string_view ArtText() const { return MarkerText(marker); }
  // The cells a wide character of the dot's own stands left of the dot's
  // cell: 0, it takes that cell and the next.
  virtual std::int32_t CharacterLead() const { return 0; }

  // The persistent layout, in declaration order.
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t marker = 0;
  // The marker's character (a Unicode code point) while marker is
  // MarkerTable::Character, else 0.
  std::int32_t character = 0;

 protected:
  // The Dot's own SetLine, which a line end's destructor still needs.
  void SetDotLine(Line* line);
};

}  // namespace virlo
