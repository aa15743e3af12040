#pragma once

#include "objects/Dot.h"

namespace virlo {

// One end of a line. It can be joined to exactly one other end at the same
// place (its partner: a corner of two lines) and can rest on another line (its
// host line: a T-junction). A free end that points at a line in the next cell
// (an arrow stopping one cell before a box side) is docked on it: the line is
// its host line as for a T-junction, so it follows that line's moves.
class LinkPoint : public Dot {
 public:
  LinkPoint(Sheet* sheet, std::int32_t x, std::int32_t y, Line* line);
  // Copies carry no links.
  LinkPoint(const LinkPoint& source, Sheet* sheet, DrawObj* parent);
  explicit LinkPoint(store::Blank b) : Dot(b) {}
  ~LinkPoint() override;

  static const store::TypeDescription& Type();
  void DescribeFields(store::FieldVisitor& visitor);

  bool Move(Selection& selection, std::int32_t dx, std::int32_t dy) override;
  bool Select(Selection& selection) override;
  bool SelectAndRedraw(Selection& selection) override;
  DrawObj* Clone(Sheet* target) const override;
  bool SetFlag(std::uint32_t bits, bool on) override;
  void Draw(DeviceContext& dc) const override;
  void LinkToLine() override;
  Line* GetLine() const override { return hostLine; }
  void SetLine(Line* line) override;
  // Its parent is the line it ends, which it is part of.
  bool RestsOnParent() const override { return false; }
  // A join at a rounded corner of a box is "." above and "'" below.
  std::string_view ArtText() const override;
  // A wide character docked before a side on its right takes the two cells
  // before the side, not the side's.
  std::int32_t CharacterLead() const override;

  // Joins two free points, or with null frees this point and its partner. An
  // existing join is never replaced.
  LinkPoint* Join(LinkPoint* other);
  // Leaves the host line and the partner; what the destructor does.
  void Unlink();
  // Docks a free end (no partner, no host line) on the line it points at in
  // the next cell; true when it did.
  bool Dock();
  // The line across the next cell in the direction the end's line runs
  // towards it, or null: what the end would dock on.
  Line* Facing();

  // The persistent layout, in declaration order.
  LinkPoint* partner = nullptr;
  Line* hostLine = nullptr;
};

}  // namespace virlo
