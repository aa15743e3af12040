#include "objects/DrawObj.h"

#include "objects/Selection.h"
#include "objects/Sheet.h"
#include "store/Database.h"

namespace virlo {

const store::TypeDescription& DrawObj::Type() {
  static const auto type = store::TypeDescription::Abstract("DrawObj");
  return type;
}

void DrawObj::DescribeFields(store::FieldVisitor& visitor) {
  visitor.UInt32("flags", flags);
  visitor.Ref("sheet", sheet);
  visitor.Ref("parent", parent);
  visitor.Transient("selection", selection);
}

DrawObj::DrawObj(Sheet* sheet, DrawObj* parent) : sheet(sheet), parent(parent) {
  if (parent == nullptr && !sheet->Lists(this)) sheet->PlaceInFront(this);
}

DrawObj::DrawObj(const DrawObj& source, Sheet* sheet, DrawObj* parent)
    : flags(source.flags), sheet(sheet), parent(parent) {}

DrawObj::~DrawObj() {
  // Only an object with memory of its own can stand in the sheet's list; a
  // part held inside another object (a line's end, a box's side) never does,
  // so it spares the walk through the whole list, as does an object the
  // caller took out already.
  const void* begin = nullptr;
  const bool ownMemory = store::Database::Of(this)->Find(this, &begin) != nullptr && begin == this;
  if (sheet != nullptr && ownMemory && !Sheet::Unlisted::Contains(this)) sheet->RemoveObject(this);
  if (selection != nullptr) {
    selection->list.Remove(this);
    selection = nullptr;
  }
}

bool DrawObj::Join(Selection& s) {
  if (selection != nullptr) return false;
  // Short of memory it is not listed, and must not point at the selection:
  // nothing would take it out, and it would outlive the selection.
  if (!s.list.PushBack(this)) return false;
  selection = &s;
  return true;
}

void DrawObj::InvalidateRedrawArea(const Selection& s) const { s.Invalidate(GetRect(Area::Redraw), true); }

bool DrawObj::Move(Selection& s, std::int32_t dx, std::int32_t dy) {
  InvalidateRedrawArea(s);
  if (selection != nullptr) return false;
  if (dx == 0 && dy == 0) return false;
  return Join(s);
}

bool DrawObj::Select(Selection& s) { return Join(s); }

bool DrawObj::SelectAndRedraw(Selection& s) {
  InvalidateRedrawArea(s);
  return Join(s);
}

std::size_t DrawObj::HitAreas(HitAreaList& areas) const {
  areas[0] = GetRect(Area::Hit);
  return 1;
}

DrawObj* DrawObj::FindTarget(std::int32_t, std::int32_t, const DrawObj*) { return nullptr; }

DrawObj* DrawObj::Root() {
  DrawObj* obj = this;
  while (obj->parent != nullptr && !obj->RestsOnParent()) obj = obj->parent;
  return obj;
}

bool DrawObj::UpdateFlags(std::uint32_t bits, bool on) {
  // Switching on stops at any bit already on; switching off clears them all.
  if (Has(bits) == on) return false;
  if (on) {
    flags |= bits;
  } else {
    flags &= ~bits;
  }
  if (parent != nullptr) parent->SetFlag(bits, on);
  return true;
}

template <>
const store::TypeDescription& List<DrawObj*>::Type() {
  static const auto type = store::TypeDescription::Concrete<List<DrawObj*>>("List<DrawObj*>", &ListG::Type());
  return type;
}

}  // namespace virlo
