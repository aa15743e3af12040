#include "objects/LinkPoint.h"

#include "model/Selection.h"
#include "model/Sheet.h"
#include "objects/Box.h"
#include "objects/Line.h"
#include "objects/MarkerTable.h"
#include "store/Store.h"

namespace virlo {

const store::TypeDescription& LinkPoint::Type() {
  static const auto type = store::TypeDescription::Concrete<LinkPoint>("LinkPoint", &Dot::Type());
  return type;
}

void LinkPoint::DescribeFields(store::FieldVisitor& visitor) {
  Dot::DescribeFields(visitor);
  visitor.Ref("partner", partner);
  visitor.Ref("hostLine", hostLine);
}

LinkPoint::LinkPoint(Sheet* sheet, std::int32_t x, std::int32_t y, Line* line)
    : Dot(sheet, x, y, MarkerTable::Join, line) {}

LinkPoint::LinkPoint(const LinkPoint& source, Sheet* sheet, DrawObj* parent) : Dot(source, sheet, parent) {}

LinkPoint::~LinkPoint() { Unlink(); }

void LinkPoint::Unlink() {
  SetLine(nullptr);
  Join(nullptr);
}

bool LinkPoint::Move(Selection& s, std::int32_t dx, std::int32_t dy) {
  if (!Dot::Move(s, dx, dy)) return false;
  if (partner != nullptr) partner->Move(s, dx, dy);
  if (parent != nullptr) parent->Move(s, dx, dy);
  InvalidateRedrawArea(s);
  return true;
}

bool LinkPoint::Select(Selection& s) {
  if (!Dot::Select(s)) return false;
  if (partner != nullptr) partner->Select(s);
  if (parent != nullptr) parent->Select(s);
  return true;
}

bool LinkPoint::SelectAndRedraw(Selection& s) {
  if (!DrawObj::SelectAndRedraw(s)) return false;
  if (partner != nullptr) partner->SelectAndRedraw(s);
  if (parent != nullptr) parent->SelectAndRedraw(s);
  return true;
}

DrawObj* LinkPoint::Clone(Sheet* target) const {
  return store::New<LinkPoint>(store::Database::Of(target), *this, target, nullptr);
}

bool LinkPoint::SetFlag(std::uint32_t bits, bool on) {
  if (!Dot::SetFlag(bits, on)) return false;
  if (partner != nullptr) partner->SetFlag(bits, on);
  return true;
}

void LinkPoint::Draw(DeviceContext& dc) const {
  // The current partner is painted red on top; do not cover it.
  if (partner != nullptr && sheet->current == partner) return;
  Dot::Draw(dc);
}

void LinkPoint::LinkToLine() {
  if (dynamic_cast<Box*>(Root()) == nullptr) Dot::LinkToLine();
  DrawObj* hit = sheet->PickObject(x, y, Root());
  if (partner != nullptr && partner->GetPos() == GetPos()) return;
  Join(dynamic_cast<LinkPoint*>(hit));
}

void LinkPoint::SetLine(Line* line) {
  if (hostLine != nullptr) hostLine->attached.Remove(this);
  hostLine = line;
  if (line != nullptr) line->attached.PushBack(this);
}

LinkPoint* LinkPoint::Join(LinkPoint* other) {
  if (other == this) return other;
  if (other != nullptr && (other->partner != nullptr || partner != nullptr)) return other;
  if (partner != nullptr) partner->partner = nullptr;
  partner = other;
  if (other != nullptr) other->partner = this;
  return other;
}

}  // namespace virlo
