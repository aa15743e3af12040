#pragma once

#include "objects/Dot.h"

namespace virlo {

// One end of a line. It can be joined to exactly one other end at the same
// place (its partner: a corner of two lines) and can rest on another line (its
// host line: a T-junction). A free end that points at a line in the next cell
// (an arrow stopping one cell before a box side) is docked on it: the line is
// its host line as for a T-junction, so it follows that line's moves. A
// docked end may stand a blank cell or two short of its host (its gap), as
// published art draws `---->  |`.
class LinkPoint : public Dot {
 public:
  // The most blank cells a docked end stands short of its host.
  static constexpr std::int32_t MaxGap = 2;

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
  // Whether the host line still holds the end where it lies: the end's cell
  // on the host's run, or, docked, gap + 1 cells off it across the end's own
  // line. Settling keeps a link that holds, so an end whose box moved stays
  // on that box whatever else now lies at its cell or beside it.
  bool Holds() const;
  // The same for a place the end may be put at.
  bool HoldsAt(Point position) const;

  // The persistent layout, in declaration order.
  LinkPoint* partner = nullptr;
  Line* hostLine = nullptr;
  // The blank cells between a docked end and its host, 0 to MaxGap; 0 for
  // an end that is not docked.
  std::int32_t gap = 0;
};

}  // namespace virlo
