#include "document/DocumentCheck.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "model/ListG.h"
#include "model/String.h"
#include "objects/Box.h"
#include "objects/Dot.h"
#include "objects/KeptRows.h"
#include "objects/Line.h"
#include "objects/LinkPoint.h"
#include "objects/MarkerTable.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "platform/CharacterCell.h"
#include "platform/TextCodec.h"
#include "platform/Utf8.h"
#include "store/Database.h"
#include "store/FormatVersion.h"
#include "store/TypeDescription.h"
#include "store/TypeLayout.h"

namespace virlo {
namespace {

constexpr std::int32_t MaxCells = 4096;
constexpr std::int32_t MaxCellSize = 1024;

// A part of a known drawing type, seen through its own class.
DrawObj* AsDrawObj(void* p, const store::TypeDescription* type) {
  if (type == &StrBox::Type()) return static_cast<StrBox*>(p);
  if (type == &Box::Type()) return static_cast<Box*>(p);
  if (type == &Line::Type()) return static_cast<Line*>(p);
  if (type == &LinkPoint::Type()) return static_cast<LinkPoint*>(p);
  if (type == &Dot::Type()) return static_cast<Dot*>(p);
  return nullptr;
}

struct Part {
  void* address;
  const store::TypeDescription* type;
  void* owner;      // the allocation's own object
  bool whole;       // the part is the allocation itself
  void* container;  // the part that directly holds this one; null for a whole object
};

class Checker {
 public:
  explicit Checker(const store::Database& db) : db_(db) {}

  DocumentCheck::Verdict Run(Sheet*& found, std::string& error) {
    found = nullptr;
    Collect();
    // A database with nothing in it is a document that has no sheet yet.
    if (db_.AllocationCount() == 0 && db_.Roots().empty()) {
      error = "it holds no sheet";
      return DocumentCheck::Verdict::Sheetless;
    }
    Sheet* sheet = FindSheet();
    if (sheet != nullptr && CheckSheet(sheet) && CheckLists() && CheckStrings() && CheckKeptRows(sheet) &&
        CheckObjects(sheet) && CheckSheetLists(sheet)) {
      found = sheet;
      return DocumentCheck::Verdict::Sound;
    }
    error = error_;
    return DocumentCheck::Verdict::Refused;
  }

  // The texts of an older format in UTF-8, once the check has passed.
  std::vector<std::pair<StrBox*, std::string>>& Converted() { return converted_; }

 private:
  bool Fail(const std::string& why) {
    if (error_.empty()) error_ = why;
    return false;
  }

  void Collect() {
    for (const auto& [begin, allocation] : db_.Allocations()) {
      if (allocation.type == &store::TypeDescription::Char()) continue;
      if (allocation.type == &ListG::Node::Type()) ++nodes_;
      const auto& parts = store::TypeLayout::Of(*allocation.type).Parts();
      std::vector<void*> addresses;
      for (const auto& part : parts) {
        void* address = reinterpret_cast<char*>(begin) + part.offset;
        // The container of a part is the nearest earlier part whose name prefixes its own.
        void* container = nullptr;
        for (std::size_t k = addresses.size(); k-- > 0;) {
          const std::string& outer = parts[k].name;
          if (outer.empty() || part.name.compare(0, outer.size() + 1, outer + ".") == 0) {
            container = addresses[k];
            break;
          }
        }
        addresses.push_back(address);
        parts_.push_back({address, part.type, reinterpret_cast<void*>(begin), part.name.empty(), container});
        byAddress_[address] = parts_.size() - 1;
      }
    }
  }

  Sheet* FindSheet() {
    store::Database::Root* root = const_cast<store::Database&>(db_).FindRoot("Sheet");
    if (root == nullptr) {
      Fail("it holds objects but no sheet");
      return nullptr;
    }
    void* value = root->GetValue();
    const store::Allocation* allocation = db_.Find(value);
    const void* begin = nullptr;
    db_.Find(value, &begin);
    if (allocation == nullptr || allocation->type != &Sheet::Type() || begin != value) {
      Fail("its root is not a sheet");
      return nullptr;
    }
    return static_cast<Sheet*>(value);
  }

  bool CheckSheet(const Sheet* sheet) {
    if (sheet->cellWidth < 1 || sheet->cellWidth > MaxCellSize || sheet->cellHeight < 1 ||
        sheet->cellHeight > MaxCellSize) {
      return Fail("its sheet has a cell size of " + std::to_string(sheet->cellWidth) + " x " +
                  std::to_string(sheet->cellHeight));
    }
    if (sheet->width < 0 || sheet->height < 0 || sheet->width / sheet->cellWidth > MaxCells ||
        sheet->height / sheet->cellHeight > MaxCells) {
      return Fail("its sheet has a size of " + std::to_string(sheet->width) + " x " + std::to_string(sheet->height));
    }
    if (sheet->originX != 0 || sheet->originY != 0) return Fail("its sheet has a drawing offset");
    return true;
  }

  // Rows kept as read print in place of the sheet's own: they may differ
  // from what it shows only in tabs and blanks.
  bool CheckKeptRows(const Sheet* sheet) {
    std::string why;
    if (!KeptRows::Read(sheet->keptRows.View(), why)) return Fail(why);
    return true;
  }

  bool CheckLists() {
    std::vector<const void*> seen;
    for (const Part& part : parts_) {
      if (!part.type->IsA(ListG::Type())) continue;
      if (!static_cast<const ListG*>(part.address)->IsWellFormed(nodes_, seen)) {
        return Fail("one of its lists is broken");
      }
    }
    std::sort(seen.begin(), seen.end());
    if (std::adjacent_find(seen.begin(), seen.end()) != seen.end()) return Fail("two of its lists share a node");
    return true;
  }

  bool CheckStrings() {
    std::set<const void*> used;
    for (const Part& part : parts_) {
      if (part.type != &String::Type()) continue;
      const auto* string = static_cast<const String*>(part.address);
      if (string->Text() == nullptr) {
        if (string->Length() != 0) return Fail("one of its texts has a length but no characters");
        continue;
      }
      const void* begin = nullptr;
      const store::Allocation* chars = db_.Find(string->Text(), &begin);
      if (chars == nullptr || begin != string->Text() || string->Length() <= 0 ||
          chars->count != static_cast<std::size_t>(string->Length()) + 1 || string->Text()[string->Length()] != '\0') {
        return Fail("one of its texts does not match its length");
      }
      if (!used.insert(begin).second) return Fail("two of its texts share their characters");
    }
    return true;
  }

  // How often each object stands in each line's list of resting objects,
  // counted in one walk of every list (a count per object and line, rather
  // than a walk of the line's list per object: a line may carry very many).
  struct PairHash {
    std::size_t operator()(const std::pair<const void*, const void*>& p) const {
      return std::hash<const void*>()(p.first) * 31 + std::hash<const void*>()(p.second);
    }
  };
  void CountAttached() {
    for (const Part& part : parts_) {
      auto* line = dynamic_cast<Line*>(AsDrawObj(part.address, part.type));
      if (line == nullptr) continue;
      List<DrawObj*>::Cursor cursor(line->attached);
      for (const DrawObj* item = cursor.First(); item != nullptr; item = cursor.Next()) {
        ++attachedCounts_[{static_cast<const void*>(line), static_cast<const void*>(item)}];
      }
    }
  }
  // Occurrences of obj in the line's list of resting objects.
  std::int32_t Occurrences(const Line* line, const DrawObj* obj) const {
    auto it = attachedCounts_.find({static_cast<const void*>(line), static_cast<const void*>(obj)});
    return it != attachedCounts_.end() ? it->second : 0;
  }

  // True when following the parents up from obj ends; each object is
  // walked from once, so every chain together costs one pass.
  bool FiniteAncestry(const DrawObj* obj, std::int64_t limit) {
    std::vector<const DrawObj*> path;
    std::int64_t steps = 0;
    for (const DrawObj* up = obj->parent; up != nullptr && finiteAncestry_.count(up) == 0; up = up->parent) {
      if (++steps > limit) return false;
      path.push_back(up);
    }
    finiteAncestry_.insert(path.begin(), path.end());
    return true;
  }

  // A text is UTF-8, or code page 932 in a file of an older format, kept
  // for converting; it reaches terminals, where a control character acts.
  bool CheckText(StrBox* text) {
    const std::string_view bytes = text->str.View();
    if (db_.FileFormat() >= store::HoldsTogetherFormat) {
      if (!Utf8::IsValid(bytes)) return Fail("a text is not UTF-8");
      if (Utf8::FirstControl(bytes)) return Fail("a text holds control characters");
      return true;
    }
    // The converted text keeps the columns the code page gave it.
    std::optional<std::string> utf8 = TextCodec::Cp932TextToUtf8InCells(bytes);
    if (!utf8) return Fail("a text is not code page 932, which its file format holds");
    if (Utf8::FirstControl(*utf8)) return Fail("a text holds control characters");
    converted_.emplace_back(text, std::move(*utf8));
    return true;
  }

  bool CheckObjects(const Sheet* sheet) {
    std::int64_t drawObjects = 0;
    for (const Part& part : parts_) drawObjects += AsDrawObj(part.address, part.type) != nullptr ? 1 : 0;
    CountAttached();
    for (const Part& part : parts_) {
      DrawObj* obj = AsDrawObj(part.address, part.type);
      if (obj == nullptr) continue;
      const std::string what = "a " + part.type->Name();
      if (auto* text = dynamic_cast<StrBox*>(obj); text != nullptr) {
        // More than the editor makes would only slow every paint of it.
        if (text->str.Length() > StrBox::MaxText) {
          return Fail("a text box holds " + std::to_string(text->str.Length()) + " bytes of text, more than the " +
                      std::to_string(StrBox::MaxText) + " any can");
        }
        if (!CheckText(text)) return false;
      }
      if (obj->sheet != sheet) return Fail(what + " belongs to no sheet of the document");
      if (!FiniteAncestry(obj, drawObjects)) return Fail(what + " is its own ancestor");
      if (!part.whole) {
        DrawObj* container = nullptr;
        if (auto it = byAddress_.find(part.container); it != byAddress_.end()) {
          container = AsDrawObj(parts_[it->second].address, parts_[it->second].type);
        }
        if (container == nullptr || obj->parent != container) return Fail(what + " is not part of its owner");
      } else if (obj->parent != nullptr &&
                 !(part.type == &Dot::Type() && dynamic_cast<Line*>(obj->parent) != nullptr)) {
        return Fail(what + " has a parent it cannot have");
      }
      if (auto* box = dynamic_cast<Box*>(obj);
          box != nullptr && box->corners != Box::Square && box->corners != Box::Rounded) {
        return Fail("a box has unknown corners");
      }
      if (auto* dot = dynamic_cast<Dot*>(obj)) {
        const bool character = dot->HasCharacter() && dot->character != 0;
        if (!character && (!MarkerTable::IsValid(dot->marker) || dot->character != 0)) {
          return Fail(what + " has an unknown marker");
        }
        // Its character reaches terminals and fonts: one that prints, in a cell or two.
        if (character && CharacterCell::MarkerWidth(static_cast<char32_t>(dot->character)) == 0) {
          return Fail(what + " has a marker character that cannot be shown");
        }
        if (std::abs(std::int64_t{dot->x}) > Sheet::MaxCoordinate ||
            std::abs(std::int64_t{dot->y}) > Sheet::MaxCoordinate) {
          return Fail(what + " lies too far outside the sheet");
        }
        if (part.type == &Dot::Type()) {
          if (auto* line = dynamic_cast<Line*>(dot->parent); line != nullptr && Occurrences(line, dot) != 1) {
            return Fail("a dot rests on a line that does not carry it");
          }
        }
      }
      if (auto* point = dynamic_cast<LinkPoint*>(obj)) {
        if (point->partner == point || (point->partner != nullptr && point->partner->partner != point)) {
          return Fail("a line end is joined one way only");
        }
        if (point->hostLine != nullptr && Occurrences(point->hostLine, point) != 1) {
          return Fail("a line end rests on a line that does not carry it");
        }
        if (point->gap < 0 || point->gap > LinkPoint::MaxGap) return Fail("a line end has an unknown gap");
        if (point->gap != 0 && point->hostLine == nullptr) return Fail("a line end keeps a gap to no line");
      }
      if (auto* text = dynamic_cast<StrBox*>(obj); text != nullptr && text->restLine != nullptr) {
        // Only a text without a frame rests, and only on a line of its own.
        if (text->frame != 0) return Fail("a framed text box rests on a line");
        if (text->restLine->parent != nullptr) return Fail("a text box rests on a part of another object");
        if (Occurrences(text->restLine, text) != 1) return Fail("a text box rests on a line that does not carry it");
      }
      if (auto* line = dynamic_cast<Line*>(obj)) {
        if (line->orientation != Line::Horizontal && line->orientation != Line::Vertical) {
          return Fail("a line has an unknown direction");
        }
        if (line->stroke < 0 || line->stroke >= StrokeCount) return Fail("a line has an unknown stroke");
        List<DrawObj*>::Cursor cursor(line->attached);
        for (DrawObj* item = cursor.First(); item != nullptr; item = cursor.Next()) {
          auto* point = dynamic_cast<LinkPoint*>(item);
          auto* dot = dynamic_cast<Dot*>(item);
          auto* text = dynamic_cast<StrBox*>(item);
          const bool rests = point != nullptr  ? point->hostLine == line
                             : text != nullptr ? text->restLine == line
                                               : (dot != nullptr && dot->parent == line);
          if (!rests || Occurrences(line, item) != 1) return Fail("a line carries what does not rest on it");
        }
      }
    }
    return true;
  }

  bool CheckSheetLists(const Sheet* sheet) {
    std::set<const DrawObj*> listed;
    List<DrawObj*>::Cursor objects(sheet->objects);
    for (const DrawObj* obj = objects.First(); obj != nullptr; obj = objects.Next()) {
      auto it = byAddress_.find(const_cast<DrawObj*>(obj));
      if (it == byAddress_.end() || !parts_[it->second].whole) return Fail("its sheet lists a part of an object");
      if (!listed.insert(obj).second) return Fail("its sheet lists an object twice");
    }
    for (const Part& part : parts_) {
      const DrawObj* obj = AsDrawObj(part.address, part.type);
      if (obj != nullptr && part.whole && listed.count(obj) == 0)
        return Fail("it holds an object its sheet does not list");
    }
    std::set<const DrawObj*> selected;
    List<DrawObj*>::Cursor cursor(sheet->selected);
    for (const DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
      if (listed.count(obj) == 0 || !selected.insert(obj).second) return Fail("its selection is broken");
    }
    return true;
  }

  const store::Database& db_;
  std::vector<Part> parts_;
  std::map<void*, std::size_t> byAddress_;
  std::unordered_map<std::pair<const void*, const void*>, std::int32_t, PairHash> attachedCounts_;
  std::unordered_set<const DrawObj*> finiteAncestry_;  // objects whose parents are known to end
  std::int64_t nodes_ = 0;
  std::vector<std::pair<StrBox*, std::string>> converted_;
  std::string error_;
};

}  // namespace

DocumentCheck::Verdict DocumentCheck::Check(store::Database& db, Sheet*& sheet, std::string& error) {
  Checker checker(db);
  const Verdict verdict = checker.Run(sheet, error);
  if (verdict == Verdict::Refused) return verdict;
  for (auto& [text, utf8] : checker.Converted()) {
    text->str.Assign(utf8.data(), static_cast<std::int32_t>(utf8.size()));
    // Out of memory the text would be lost: refuse the document instead.
    if (text->str.View() != utf8) {
      sheet = nullptr;
      error = "there is not enough memory to open it";
      return Verdict::Refused;
    }
  }
  db.SetFileFormat(store::CurrentFormat);
  return verdict;
}

Sheet* DocumentCheck::Run(store::Database& db, std::string& error) {
  Sheet* sheet = nullptr;
  Check(db, sheet, error);
  return sheet;
}

}  // namespace virlo
