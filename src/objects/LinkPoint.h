#pragma once

#include "objects/Dot.h"

namespace virlo {

// One end of a line. It can be joined to exactly one other end at the same
// place (its partner: a corner of two lines) and can rest on another line (its
// host line: a T-junction).
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

  // Joins two free points, or with null frees this point and its partner. An
  // existing join is never replaced.
  LinkPoint* Join(LinkPoint* other);
  // Leaves the host line and the partner; what the destructor does.
  void Unlink();

  // The persistent layout, in declaration order.
  LinkPoint* partner = nullptr;
  Line* hostLine = nullptr;
};

}  // namespace virlo
