#include "objects/LinkPoint.h"

#include "objects/Box.h"
#include "objects/Line.h"
#include "objects/MarkerTable.h"
#include "objects/Selection.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "platform/CharacterCell.h"
#include "store/FormatVersion.h"
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
  visitor.Since(store::HoldsTogetherFormat);
  visitor.Int32("gap", gap);
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
  // Box corners are joined to each other and to nothing else.
  const bool corner = dynamic_cast<Box*>(Root()) != nullptr;
  if (!corner) {
    if (!Holds()) {
      gap = 0;
      Dot::LinkToLine();
    } else if (hostLine->CellsAcross(sheet->CellOf(x, y)) == 0) {
      // Resting on its host now, not short of it.
      gap = 0;
    }
  }
  DrawObj* hit = sheet->PickObject(x, y, Root());
  if (partner == nullptr || partner->GetPos() != GetPos()) Join(dynamic_cast<LinkPoint*>(hit));
  if (!corner) Dock();
}

bool LinkPoint::Dock() {
  if (partner != nullptr || hostLine != nullptr) return false;
  Line* host = Facing();
  if (host == nullptr) return false;
  SetLine(host);
  return true;
}

Line* LinkPoint::Facing() {
  const auto* line = dynamic_cast<const Line*>(parent);
  if (line == nullptr) return nullptr;
  const LinkPoint& other = this == &line->start ? line->end : line->start;
  const Point here = sheet->CellOf(x, y);
  const Point there = sheet->CellOf(other.x, other.y);
  auto sign = [](std::int32_t v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); };
  const std::int32_t dx = line->orientation == Line::Horizontal ? sign(here.x - there.x) : 0;
  const std::int32_t dy = line->orientation == Line::Vertical ? sign(here.y - there.y) : 0;
  // A line of one cell points nowhere.
  if (dx == 0 && dy == 0) return nullptr;
  DrawObj* hit = sheet->PickObject(x + dx * sheet->cellWidth, y + dy * sheet->cellHeight, Root());
  // A dot resting on the line there (a marker on a box side) stands for its line.
  Line* facing = dynamic_cast<Line*>(hit);
  if (auto* dot = dynamic_cast<Dot*>(hit); dot != nullptr) facing = dot->GetLine();
  // Only a line across the end's own is pointed at: `--->|`, not `---> ---`;
  // and a side that shows: not the frame of a text box without one.
  if (facing == nullptr || facing->orientation == line->orientation || facing->IsHiddenSide()) return nullptr;
  return facing;
}

bool LinkPoint::Holds() const { return HoldsAt({x, y}); }

bool LinkPoint::HoldsAt(Point position) const {
  // The frame of a text box without one holds an end put there (a line
  // drawn from it, an arrow an import found at a state's name); no end
  // settles onto it by itself.
  if (hostLine == nullptr) return false;
  const Point cell = sheet->CellOf(position.x, position.y);
  const std::int32_t across = hostLine->CellsAcross(cell);
  if (across == 0) {
    if (hostLine->parent != nullptr) return true;
    // At a free line's end cell the end meets that end rather than the run,
    // unless a run the same way is joined on there: the run goes on through
    // the cell (a divider that changes its stroke at a tee).
    const bool atStart = cell == sheet->CellOf(hostLine->start.x, hostLine->start.y);
    const bool atEnd = cell == sheet->CellOf(hostLine->end.x, hostLine->end.y);
    if (!atStart && !atEnd) return true;
    const LinkPoint* joined = (atStart ? hostLine->start : hostLine->end).partner;
    const auto* through = joined != nullptr ? dynamic_cast<const Line*>(joined->parent) : nullptr;
    return through != nullptr && through != hostLine && through->orientation == hostLine->orientation;
  }
  // Docked: beside the host, the end's own line running across it.
  const auto* own = dynamic_cast<const Line*>(parent);
  return own != nullptr && own->orientation != hostLine->orientation && across == gap + 1;
}

std::string_view LinkPoint::ArtText() const {
  const auto* side = dynamic_cast<const Line*>(parent);
  const auto* box = side != nullptr ? dynamic_cast<const Box*>(side->parent) : nullptr;
  if (marker != MarkerTable::Join || box == nullptr || box->corners != Box::Rounded) return Dot::ArtText();
  return y == box->Frame().top ? "." : "'";
}

std::int32_t LinkPoint::CharacterLead() const {
  if (hostLine == nullptr || !HasCharacter() || CharacterCell::MarkerWidth(static_cast<char32_t>(character)) < 2) {
    return 0;
  }
  const auto* line = dynamic_cast<const Line*>(parent);
  if (line == nullptr || line->orientation != Line::Horizontal || hostLine->orientation != Line::Vertical) return 0;
  const Point here = sheet->CellOf(x, y);
  const Point side = sheet->CellOf(hostLine->start.x, hostLine->start.y);
  return side.x == here.x + 1 ? 1 : 0;
}

void LinkPoint::SetLine(Line* line) {
  if (hostLine != nullptr) hostLine->attached.Remove(this);
  hostLine = nullptr;
  if (line == nullptr) return;
  // Without memory for the line's entry, the end rests on nothing.
  const std::int32_t count = line->attached.Count();
  line->attached.PushBack(this);
  if (line->attached.Count() != count) hostLine = line;
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
