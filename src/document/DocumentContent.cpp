#include "document/DocumentContent.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "model/ListG.h"
#include "objects/Box.h"
#include "objects/Dot.h"
#include "objects/Line.h"
#include "objects/LinkPoint.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "store/Delta.h"
#include "store/TypeDescription.h"
#include "store/TypeLayout.h"

namespace virlo {
namespace {

// The kinds of object, as they are told apart in the content.
enum class Kind : std::uint32_t { Dot = 1, LinkPoint, Line, Box, StrBox };

class ContentWriter {
 public:
  void WriteSheet(const Sheet& sheet) {
    // The text file name is not content: it is set from where the file lies
    // whenever the document is opened or saved.
    for (const std::int32_t value :
         {sheet.width, sheet.height, sheet.cellWidth, sheet.cellHeight, sheet.originX, sheet.originY}) {
      Int(value);
    }
    List<DrawObj*>::Cursor cursor(sheet.objects);
    for (const DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) Object(*obj);
  }

  std::string Take() { return std::move(out_); }

 private:
  void Object(const DrawObj& obj) {
    // A StrBox is a Box and a LinkPoint a Dot: the most derived kind first.
    if (const auto* text = dynamic_cast<const StrBox*>(&obj)) {
      Header(Kind::StrBox, obj);
      BoxSides(*text);
      Text(text->str.View());
      Int(text->frame);
      Int(text->alignment);
      Ref(text->restLine);
    } else if (const auto* box = dynamic_cast<const Box*>(&obj)) {
      Header(Kind::Box, obj);
      BoxSides(*box);
    } else if (const auto* line = dynamic_cast<const Line*>(&obj)) {
      LineBody(*line);
    } else if (const auto* point = dynamic_cast<const LinkPoint*>(&obj)) {
      Header(Kind::LinkPoint, obj);
      DotBody(*point);
      Ref(point->partner);
      Ref(point->hostLine);
      Int(point->gap);
    } else if (const auto* dot = dynamic_cast<const Dot*>(&obj)) {
      Header(Kind::Dot, obj);
      DotBody(*dot);
    }
  }

  void Header(Kind kind, const DrawObj& obj) {
    Int(static_cast<std::uint32_t>(kind));
    Ref(&obj);
    // Being picked or selected is not content.
    Int(obj.flags & ~std::uint32_t{DrawObj::Highlighted | DrawObj::FreeMove});
    Ref(obj.parent);
  }

  void DotBody(const Dot& dot) {
    Int(dot.x);
    Int(dot.y);
    Int(dot.marker);
    Int(dot.character);
  }

  void LineBody(const Line& line) {
    Header(Kind::Line, line);
    Object(line.start);
    Object(line.end);
    Int(line.orientation);
    Int(line.stroke);
    Int(line.attached.Count());
    List<DrawObj*>::Cursor cursor(line.attached);
    for (const DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) Ref(obj);
  }

  void BoxSides(const Box& box) {
    for (const Line* side : {&box.top, &box.left, &box.bottom, &box.right}) LineBody(*side);
    Int(box.corners);
  }

  void Int(std::int64_t value) { out_.append(reinterpret_cast<const char*>(&value), sizeof value); }
  void Ref(const void* target) { Int(static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(target))); }
  void Text(std::string_view text) {
    Int(static_cast<std::int64_t>(text.size()));
    out_.append(text);
  }

  std::string out_;
};

}  // namespace

std::string DocumentContent::Of(const Sheet& sheet) {
  ContentWriter writer;
  writer.WriteSheet(sheet);
  return writer.Take();
}

namespace {

// What a stored field is to the content, by its place in the type (the
// writer above is the reference; a test holds the two together).
enum class Role : std::uint8_t {
  Neutral,  // not in the content: picks, selections, the text print's name, transient links
  Content,  // written as it is: a difference is a different content
  Flags,    // written without the pick bits
  Links,    // where a list begins and ends: the lists' orders are compared on their own
  Unknown,  // in the content only through what it leads to (text characters)
};

struct FieldRole {
  std::size_t offset;
  std::size_t bytes;
  Role role;
};

Role RoleOf(const store::TypeLayout::Field& field, bool sheet) {
  if (field.kind == store::TypeLayout::FieldKind::Transient) return Role::Neutral;
  const std::string& path = field.name;
  const std::size_t dot = path.rfind('.');
  const std::string_view last =
      dot == std::string::npos ? std::string_view(path) : std::string_view(path).substr(dot + 1);
  const std::string_view prefix = dot == std::string::npos ? std::string_view() : std::string_view(path).substr(0, dot);
  if (sheet) {
    if (path == "current" || prefix == "textFileName" || path == "objects.reserved" ||
        (prefix == "selected" && last != "head" && last != "tail")) {
      return Role::Neutral;
    }
    if (path == "width" || path == "height" || path == "cellWidth" || path == "cellHeight" || path == "originX" ||
        path == "originY" || path == "objects.count") {
      return Role::Content;
    }
    if (last == "head" || last == "tail") return Role::Links;
    return Role::Unknown;
  }
  if (last == "flags") return Role::Flags;
  if (last == "parent" || last == "x" || last == "y" || last == "marker" || last == "character" || last == "partner" ||
      last == "hostLine" || last == "orientation" || last == "stroke" || last == "corners" || last == "frame" ||
      last == "alignment" || last == "gap" || last == "restLine") {
    return Role::Content;
  }
  if (last == "sheet" || last == "reserved") return Role::Neutral;
  // A line's resting objects are written with their count, in their order;
  // a text with its length.
  const bool attached = prefix == "attached" || prefix.ends_with(".attached");
  if (attached && last == "count") return Role::Content;
  if (attached && (last == "head" || last == "tail")) return Role::Links;
  if (last == "length" && prefix == "str") return Role::Content;
  return Role::Unknown;
}

const std::vector<FieldRole>& RolesOf(const store::TypeDescription& type) {
  static std::map<const store::TypeDescription*, std::unique_ptr<std::vector<FieldRole>>> roles;
  auto& found = roles[&type];
  if (found == nullptr) {
    found = std::make_unique<std::vector<FieldRole>>();
    for (const auto& field : store::TypeLayout::Of(type).Fields()) {
      const std::size_t bytes = field.kind == store::TypeLayout::FieldKind::Reference
                                    ? store::TypeLayout::ReferenceBytes
                                : field.kind == store::TypeLayout::FieldKind::Transient ? 0
                                                                                        : store::TypeLayout::IntBytes;
      found->push_back({field.offset, bytes, RoleOf(field, &type == &Sheet::Type())});
    }
  }
  return *found;
}

// The lists a type holds: where each one's first node is written, and
// whether its order is content (a line's resting objects, the sheet's
// objects) or not (the selection).
struct ListHead {
  std::size_t offset;
  bool content;
};

const std::vector<ListHead>& ListsOf(const store::TypeDescription& type) {
  static std::map<const store::TypeDescription*, std::unique_ptr<std::vector<ListHead>>> lists;
  auto& found = lists[&type];
  if (found == nullptr) {
    found = std::make_unique<std::vector<ListHead>>();
    for (const auto& field : store::TypeLayout::Of(type).Fields()) {
      const std::string_view path = field.name;
      if (!path.ends_with("head")) continue;
      if (&type == &Sheet::Type() && (path == "objects.head" || path == "selected.head")) {
        found->push_back({field.offset, path == "objects.head"});
      } else if (path == "attached.head" || path.ends_with(".attached.head")) {
        found->push_back({field.offset, true});
      }
    }
  }
  return *found;
}

std::uintptr_t ReadAddress(const char* bytes, std::size_t offset) {
  std::uintptr_t value;
  std::memcpy(&value, bytes + offset, sizeof value);
  return value;
}

// Compares two versions of one object (or of the sheet) by the roles of
// their fields.
store::Sameness CompareFields(const char* a, const char* b, const store::TypeDescription& type) {
  bool unknown = false;
  for (const FieldRole& field : RolesOf(type)) {
    if (field.role == Role::Neutral || field.role == Role::Links ||
        std::memcmp(a + field.offset, b + field.offset, field.bytes) == 0) {
      continue;
    }
    if (field.role == Role::Content) return store::Sameness::Different;
    if (field.role == Role::Flags) {
      std::uint32_t x;
      std::uint32_t y;
      std::memcpy(&x, a + field.offset, sizeof x);
      std::memcpy(&y, b + field.offset, sizeof y);
      constexpr std::uint32_t Picks = DrawObj::Highlighted | DrawObj::FreeMove;
      if ((x & ~Picks) != (y & ~Picks)) return store::Sameness::Different;
      continue;
    }
    unknown = true;
  }
  return unknown ? store::Sameness::Unknown : store::Sameness::Same;
}

std::size_t FieldOffset(const store::TypeDescription& type, std::string_view name) {
  for (const auto& field : store::TypeLayout::Of(type).Fields()) {
    if (field.name == name) return field.offset;
  }
  return 0;
}

// One state of the database as the judge reads it: the present's memory, or
// the other state's records where it differs.
class StateView {
 public:
  StateView(const store::Database& db, const store::Delta* other) : db_(db), other_(other) {}

  // The bytes of the allocation beginning at the address, and its type; null
  // when the state has none there.
  const char* At(std::uintptr_t address, const store::TypeDescription** type) const {
    if (other_ != nullptr) {
      if (const store::Record* record = other_->Find(address)) {
        *type = record->allocation.type;
        return record->Present() ? record->bytes.data() : nullptr;
      }
    }
    auto it = db_.Allocations().find(address);
    if (it == db_.Allocations().end()) return nullptr;
    *type = it->second.type;
    return reinterpret_cast<const char*>(address);
  }

 private:
  const store::Database& db_;
  const store::Delta* other_;
};

// Whether every list holds the same items in the same order in two states,
// told from the nodes that differ between them. A node that is the same in
// both (same address, same links, same item) has the same neighbours in
// both; so every stretch of differing nodes is bounded, in both states, by
// the same unchanged nodes (or by a list's ends), and it is enough to
// compare the items of each such stretch as the two states have it. Where
// they differ, the list is found by following the links back to its first
// node: a different order of the selection is no different content.
class ListOrders {
 public:
  ListOrders(const Sheet& sheet, const store::Delta& other, const StateView& present, const StateView& then,
             std::int64_t budget)
      : sheet_(reinterpret_cast<std::uintptr_t>(&sheet)), other_(other), states_{&present, &then}, budget_(budget) {}

  // A list whose first node differs between the states.
  void AddChangedHead(std::uintptr_t headNow, std::uintptr_t headThen, bool content) {
    heads_.push_back({headNow, headThen, content});
  }

  store::Sameness Judge(const std::vector<std::uintptr_t>& nodes) {
    bool unknown = false;
    auto verdict = [&](std::optional<bool> content, std::size_t state, std::uintptr_t node) {
      if (!content.has_value()) content = InContentList(state, node);
      if (!content.has_value()) unknown = true;
      return content.value_or(false);
    };
    for (const Head& head : heads_) {
      std::vector<std::uintptr_t> now;
      std::vector<std::uintptr_t> then;
      const std::uintptr_t endNow = Stretch(0, head.now, now);
      const std::uintptr_t endThen = Stretch(1, head.then, then);
      if (budget_ < 0) return store::Sameness::Unknown;
      if ((now != then || endNow != endThen) && verdict(head.content, 0, 0)) return store::Sameness::Different;
    }
    for (std::size_t state = 0; state < 2; ++state) {
      for (std::uintptr_t node : nodes) {
        if (visited_[state].count(node) != 0 || Read(state, node) == nullptr) continue;
        // Back to the start of the stretch of differing nodes.
        std::uintptr_t start = node;
        for (;;) {
          const std::uintptr_t prev = Prev(state, start);
          if (prev == 0 || other_.Find(prev) == nullptr || Read(state, prev) == nullptr || --budget_ < 0) break;
          start = prev;
          if (start == node) return store::Sameness::Unknown;  // a ring, not a list
        }
        if (budget_ < 0) return store::Sameness::Unknown;
        // The stretch begins at the same node in both states: after the
        // same unchanged node, or first in a list whose start is unchanged
        // (lists whose start changed were compared above).
        std::vector<std::uintptr_t> here;
        std::vector<std::uintptr_t> there;
        const std::uintptr_t endHere = Stretch(state, start, here);
        const std::uintptr_t endThere = Stretch(1 - state, start, there);
        if (budget_ < 0) return store::Sameness::Unknown;
        if ((here != there || endHere != endThere) && verdict(std::nullopt, state, start)) {
          return store::Sameness::Different;
        }
      }
    }
    return unknown ? store::Sameness::Unknown : store::Sameness::Same;
  }

 private:
  struct Head {
    std::uintptr_t now;
    std::uintptr_t then;
    bool content;
  };

  const char* Read(std::size_t state, std::uintptr_t node) const {
    const store::TypeDescription* type = nullptr;
    const char* bytes = states_[state]->At(node, &type);
    return bytes != nullptr && type == &ListG::Node::Type() ? bytes : nullptr;
  }
  std::uintptr_t Prev(std::size_t state, std::uintptr_t node) const {
    static const std::size_t offset = FieldOffset(ListG::Node::Type(), "prev");
    const char* bytes = Read(state, node);
    return bytes != nullptr ? ReadAddress(bytes, offset) : 0;
  }

  // Follows the list from `start` while its nodes differ between the
  // states, noting their items; returns the first node that does not (0 at
  // the end of the list).
  std::uintptr_t Stretch(std::size_t state, std::uintptr_t start, std::vector<std::uintptr_t>& items) {
    static const std::size_t next = FieldOffset(ListG::Node::Type(), "next");
    static const std::size_t item = FieldOffset(ListG::Node::Type(), "item");
    std::uintptr_t node = start;
    while (node != 0 && other_.Find(node) != nullptr) {
      const char* bytes = Read(state, node);
      if (bytes == nullptr || !visited_[state].insert(node).second || --budget_ < 0) {
        budget_ = -1;  // a broken list: nothing to tell
        return 0;
      }
      items.push_back(ReadAddress(bytes, item));
      node = ReadAddress(bytes, next);
    }
    return node;
  }

  // Whether the list holding the node is one whose order is content: any
  // list but the selection. Unknown when it is too far to its first node.
  std::optional<bool> InContentList(std::size_t state, std::uintptr_t node) {
    static const std::size_t selectedHead = FieldOffset(Sheet::Type(), "selected.head");
    std::uintptr_t first = node;
    for (std::uintptr_t prev = Prev(state, first); prev != 0; prev = Prev(state, first)) {
      if (--budget_ < 0) return std::nullopt;
      first = prev;
    }
    const store::TypeDescription* type = nullptr;
    const char* sheet = states_[state]->At(sheet_, &type);
    if (sheet == nullptr || type != &Sheet::Type()) return std::nullopt;
    return first != ReadAddress(sheet, selectedHead);
  }

  std::uintptr_t sheet_;
  const store::Delta& other_;
  const StateView* states_[2];
  std::int64_t budget_;
  std::vector<Head> heads_;
  std::unordered_set<std::uintptr_t> visited_[2];
};

}  // namespace

store::Sameness DocumentContent::Compare(const Sheet& sheet, const store::Database& db, const store::Delta& other,
                                         std::uintptr_t* hint) {
  const auto sheetAddress = reinterpret_cast<std::uintptr_t>(&sheet);
  const StateView present(db, nullptr);
  const StateView then(db, &other);
  // Walking lists costs at most about a walk of the sheet's objects.
  ListOrders lists(sheet, other, present, then,
                   static_cast<std::int64_t>(8 * other.Size()) + 2 * std::int64_t{sheet.objects.Count()} + 1024);

  // One object, or the sheet, as both states have it: Different, Same
  // (every difference neutral, lists aside) or Unknown.
  auto judge = [&](std::uintptr_t address, bool noteLists) {
    const store::TypeDescription* nowType = nullptr;
    const store::TypeDescription* thenType = nullptr;
    const char* now = present.At(address, &nowType);
    const char* before = then.At(address, &thenType);
    const store::TypeDescription* type = now != nullptr ? nowType : thenType;
    if (type == nullptr) return store::Sameness::Same;
    const bool drawObj = type->IsA(DrawObj::Type());
    if (now == nullptr || before == nullptr) {
      // An object of its own is listed by the sheet in every sound state:
      // here in one state only, it is content in one only.
      return drawObj ? store::Sameness::Different : store::Sameness::Unknown;
    }
    if (nowType != thenType) {
      // Listed in both, as different kinds.
      return drawObj && thenType->IsA(DrawObj::Type()) ? store::Sameness::Different : store::Sameness::Unknown;
    }
    if (!drawObj && !(type == &Sheet::Type() && address == sheetAddress)) return store::Sameness::Unknown;
    const store::Sameness verdict = CompareFields(now, before, *type);
    if (noteLists && verdict != store::Sameness::Different) {
      for (const ListHead& list : ListsOf(*type)) {
        const std::uintptr_t headNow = ReadAddress(now, list.offset);
        const std::uintptr_t headThen = ReadAddress(before, list.offset);
        if (headNow != headThen) lists.AddChangedHead(headNow, headThen, list.content);
      }
    }
    return verdict;
  };

  if (hint != nullptr && *hint != 0 && other.Find(*hint) != nullptr &&
      judge(*hint, false) == store::Sameness::Different) {
    return store::Sameness::Different;
  }
  bool unknown = other.Roots().has_value();
  std::vector<std::uintptr_t> nodes;
  for (const auto& [address, record] : other.Records()) {
    const store::TypeDescription* type = record->Present() ? record->allocation.type : nullptr;
    if (type == nullptr) {
      auto it = db.Allocations().find(address);
      type = it != db.Allocations().end() ? it->second.type : nullptr;
    }
    if (type == &ListG::Node::Type()) {
      nodes.push_back(address);
      continue;
    }
    const store::Sameness verdict = judge(address, true);
    if (verdict == store::Sameness::Different) {
      if (hint != nullptr) *hint = address;
      return verdict;
    }
    unknown = unknown || verdict == store::Sameness::Unknown;
  }
  if (unknown) return store::Sameness::Unknown;
  return lists.Judge(nodes);
}

}  // namespace virlo
