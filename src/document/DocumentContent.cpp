#include "document/DocumentContent.h"

#include <cstdint>
#include <string_view>

#include "model/Sheet.h"
#include "objects/Box.h"
#include "objects/Dot.h"
#include "objects/Line.h"
#include "objects/LinkPoint.h"
#include "objects/StrBox.h"

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
  }

  void LineBody(const Line& line) {
    Header(Kind::Line, line);
    Object(line.start);
    Object(line.end);
    Int(line.orientation);
    Int(line.attached.Count());
    List<DrawObj*>::Cursor cursor(line.attached);
    for (const DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) Ref(obj);
  }

  void BoxSides(const Box& box) {
    for (const Line* side : {&box.top, &box.left, &box.bottom, &box.right}) LineBody(*side);
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

}  // namespace virlo
