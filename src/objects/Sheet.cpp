#include "objects/Sheet.h"

#include <memory>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "model/Canvas.h"
#include "objects/Box.h"
#include "objects/DrawObj.h"
#include "objects/HitIndex.h"
#include "objects/KeptRows.h"
#include "objects/StrBox.h"
#include "platform/DeviceContext.h"
#include "store/Database.h"
#include "store/FormatVersion.h"
#include "store/Store.h"

namespace virlo {

const store::TypeDescription& Sheet::Type() {
  static const auto type = store::TypeDescription::Concrete<Sheet>("Sheet");
  return type;
}

void Sheet::DescribeFields(store::FieldVisitor& visitor) {
  visitor.Ref("current", current);
  visitor.Member("selected", selected);
  visitor.Member("objects", objects);
  visitor.Member("textFileName", textFileName);
  visitor.Int32("width", width);
  visitor.Int32("height", height);
  visitor.Int32("cellWidth", cellWidth);
  visitor.Int32("cellHeight", cellHeight);
  visitor.Int32("originX", originX);
  visitor.Int32("originY", originY);
  visitor.Since(store::KeptRowsFormat);
  visitor.Member("keptRows", keptRows);
}

Sheet::Sheet(std::int32_t width, std::int32_t height, std::int32_t cellWidth, std::int32_t cellHeight)
    : width(width), height(height), cellWidth(cellWidth), cellHeight(cellHeight) {
  const String path(store::Database::Of(this)->PathName().c_str());
  textFileName.Assign(TextFileNameFor(path));
}

Sheet::Sheet(store::Blank)
    : selected(store::blank), objects(store::blank), textFileName(store::blank), keptRows(store::blank) {}

Sheet::~Sheet() {
  DeleteObjects();
  textFileName.Clear();
  keptRows.Clear();
  if (hitIndex_ != nullptr) {
    objects.Watch(nullptr);
    hitIndex_ = nullptr;
    store::Database::Of(this)->Detach(this);
  }
}

HitIndex& Sheet::Index() const {
  if (hitIndex_ == nullptr) {
    auto* self = const_cast<Sheet*>(this);
    hitIndex_ = static_cast<HitIndex*>(store::Database::Of(this)->Attach(this, std::make_unique<HitIndex>(*self)));
    self->objects.Watch(hitIndex_);
  }
  return *hitIndex_;
}

bool Sheet::Lists(const DrawObj* obj) const { return Index().Lists(obj); }

void Sheet::Moved(DrawObj* obj) const {
  if (hitIndex_ != nullptr) hitIndex_->Moved(obj->Root());
}

void Sheet::Draw(DeviceContext& dc) const {
  const Pen previous = dc.SelectPen(Pen{1, Color::Green()});
  dc.MoveTo({0, 0});
  dc.LineTo({width, 0});
  dc.LineTo({width, height});
  dc.LineTo({0, height});
  dc.LineTo({0, 0});
  dc.SelectPen(previous);
  DrawObjects(dc);
}

void Sheet::DrawObjects(DeviceContext& dc) const {
  // A repaint of part of a window skips what lies well outside it. Objects
  // may paint a little beyond their rectangle (a two-character marker at a
  // line's end, selection handles, glyphs), so the margin is two cells.
  const Rect clip = dc.ClipBox();
  const std::int64_t mx = 2 * std::int64_t{cellWidth} + 8;
  const std::int64_t my = 2 * std::int64_t{cellHeight} + 8;
  auto outside = [&](const DrawObj* obj) {
    const Rect r = obj->GetRect(DrawObj::Area::Hit).Normalized();
    return r.right + mx <= clip.left || r.left - mx >= clip.right || r.bottom + my <= clip.top ||
           r.top - my >= clip.bottom;
  };
  List<DrawObj*>::Cursor cursor(objects);
  for (DrawObj* obj = cursor.Last(); obj != nullptr; obj = cursor.Prev()) {
    if (!outside(obj)) obj->Draw(dc);
  }
}

namespace {

// The canvas's rows, each ended by a line feed, in the encoding given; a
// kept row that shows what it showed gives back the bytes it was read from.
std::string TextOf(const Canvas& canvas, const String& keptRows, KeptRows::Encoding encoding) {
  const KeptRows kept = KeptRows::ReadChecked(keptRows.View());
  const bool utf8 = encoding == KeptRows::Encoding::Utf8;
  if (kept.Empty()) return utf8 ? canvas.Utf8Text() : canvas.Text();
  std::string text;
  for (std::int32_t row = 0; row < canvas.Rows(); ++row) {
    text += kept.Line(row, utf8 ? canvas.RowUtf8(row) : canvas.RowCp932(row), {}, encoding);
    text += '\n';
  }
  return text;
}

}  // namespace

std::string Sheet::MakeText() const {
  Canvas canvas = NewCanvas();
  RenderText(canvas);
  return TextOf(canvas, keptRows, KeptRows::Encoding::Cp932);
}

std::string Sheet::MakeUtf8Text() const {
  Canvas canvas = NewCanvas();
  RenderText(canvas);
  return TextOf(canvas, keptRows, KeptRows::Encoding::Utf8);
}

Canvas Sheet::NewCanvas(bool lineLayer) const {
  // A sheet without a usable grid has no rows.
  if (cellWidth <= 0 || cellHeight <= 0) return Canvas(0, 0, lineLayer);
  return Canvas(width / cellWidth, height / cellHeight, lineLayer);
}

void Sheet::RenderText(Canvas& canvas) const {
  if (canvas.Rows() == 0) return;
  List<DrawObj*>::Cursor cursor(objects);
  for (DrawObj* obj = cursor.Last(); obj != nullptr; obj = cursor.Prev()) obj->RenderText(canvas);
}

void Sheet::ClearSelection() {
  constexpr std::uint32_t SelectionFlags = DrawObj::Highlighted | DrawObj::FreeMove;
  if (current != nullptr) current->SetFlag(SelectionFlags, false);
  current = nullptr;
  while (DrawObj* obj = selected.PopFront()) obj->SetFlag(SelectionFlags, false);
}

String Sheet::TextFileNameFor(const String& path) {
  // Only the file name counts: a '.' in a folder's name is no extension, and
  // a name that starts with '.' has none there either.
  const std::string_view whole = path.View();
  const std::size_t slash = whole.rfind('/');
  const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  const std::size_t dot = whole.rfind('.');
  const std::size_t stemEnd = dot != std::string_view::npos && dot > nameStart ? dot : whole.size();
  std::string name = std::string(whole.substr(0, stemEnd)) + ".txt";
  if (name == whole) name += ".txt";
  return String(name.c_str());
}

DrawObj* Sheet::HitObject(std::int32_t x, std::int32_t y, const DrawObj* exclude) const {
  return Index().Hit(x, y, exclude);
}

DrawObj* Sheet::PickObject(std::int32_t x, std::int32_t y, const DrawObj* exclude) const {
  DrawObj* obj = HitObject(x, y, exclude);
  if (obj == nullptr) return nullptr;
  DrawObj* target = obj->FindTarget(x, y, exclude);
  return target != exclude ? target : obj;
}

List<DrawObj*>& Sheet::CollectInRect(const Rect& rect) {
  List<DrawObj*>::Cursor cursor(objects);
  for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
    const Rect hit = obj->GetRect(DrawObj::Area::Hit);
    if (rect.Contains(hit.left, hit.top) && rect.Contains(hit.right, hit.bottom)) selected.PushBack(obj);
  }
  return selected;
}

void Sheet::PlaceInFront(DrawObj* obj) { objects.PushFront(obj->Root()); }

void Sheet::PlaceAtBack(DrawObj* obj) { objects.PushBack(obj->Root()); }

void Sheet::Raise(DrawObj* obj) {
  DrawObj* root = obj->Root();
  // Front first, as the index finds them, so they keep their order.
  std::vector<DrawObj*> titles;
  const auto* box = dynamic_cast<const Box*>(root);
  const auto* ownText = dynamic_cast<const StrBox*>(root);
  if (box != nullptr && (ownText == nullptr || ownText->frame != 0)) {
    const Rect frame = box->Frame();
    for (DrawObj* near : Index().Near({frame.left, frame.top, frame.right + 1, frame.bottom + 1})) {
      const auto* text = dynamic_cast<const StrBox*>(near);
      if (text != nullptr && box->WrittenOverSide(*text)) titles.push_back(near);
    }
  }
  RemoveObject(root);
  PlaceInFront(root);
  for (auto title = titles.rbegin(); title != titles.rend(); ++title) {
    RemoveObject(*title);
    PlaceInFront(*title);
  }
}

namespace {
const std::unordered_set<const void*>* unlistedObjects = nullptr;
}

Sheet::Unlisted::Unlisted(const std::unordered_set<const void*>& objects) : previous_(unlistedObjects) {
  unlistedObjects = &objects;
}

Sheet::Unlisted::~Unlisted() { unlistedObjects = previous_; }

bool Sheet::Unlisted::Contains(const void* obj) { return unlistedObjects != nullptr && unlistedObjects->contains(obj); }

namespace {
const Sheet::PickOnly* pickOnly = nullptr;
}

Sheet::PickOnly::PickOnly(const Sheet& sheet, const std::unordered_set<const void*>& objects)
    : sheet_(&sheet), objects_(&objects), previous_(pickOnly) {
  pickOnly = this;
}

Sheet::PickOnly::~PickOnly() { pickOnly = previous_; }

bool Sheet::PickOnly::Allows(const Sheet& sheet, const void* obj) {
  for (const PickOnly* only = pickOnly; only != nullptr; only = only->previous_) {
    if (only->sheet_ == &sheet && !only->objects_->contains(obj)) return false;
  }
  return true;
}

void Sheet::DeleteObjects() {
  // The list is emptied in one walk first, so that no destructor walks what
  // is left of it looking for further entries of itself.
  std::vector<DrawObj*> order;
  std::unordered_set<const void*> listed;
  while (DrawObj* obj = objects.PopFront()) {
    if (listed.insert(obj).second) order.push_back(obj);
  }
  const Unlisted unlisted(listed);
  for (DrawObj* obj : order) store::Delete(obj);
}

std::int32_t Sheet::RemoveObject(DrawObj* obj) {
  // The index knows the nodes: no walk of the list.
  const std::vector<ListG::Node*> nodes = Index().NodesOf(obj);
  for (ListG::Node* node : nodes) objects.Erase(node);
  return static_cast<std::int32_t>(nodes.size());
}

Point Sheet::SnapToGrid(std::int32_t x, std::int32_t y) const {
  // C++ division and remainder truncate towards zero, as the grid wants.
  return {x + cellWidth / 2 - x % cellWidth, y + cellHeight / 2 - y % cellHeight};
}

Point Sheet::CellOf(std::int32_t x, std::int32_t y) const {
  auto floorDiv = [](std::int32_t value, std::int32_t size) {
    if (size <= 0) return 0;
    const std::int32_t quotient = value / size;
    return (value % size != 0 && value < 0) ? quotient - 1 : quotient;
  };
  return {floorDiv(x, cellWidth), floorDiv(y, cellHeight)};
}

}  // namespace virlo
