#include "import/ArtBuilder.h"

#include <string>

#include "import/LabelSettler.h"
#include "import/NodeDocker.h"
#include "model/String.h"
#include "objects/Box.h"
#include "objects/Dot.h"
#include "objects/Line.h"
#include "objects/LinkPoint.h"
#include "objects/MarkerTable.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "store/Database.h"
#include "store/Store.h"

namespace virlo {
namespace {

void SetMarker(Dot& point, const ArtPlan::Marker& marker) {
  if (marker.type == MarkerTable::Character && point.SetCharacter(marker.character)) return;
  point.marker = marker.type == MarkerTable::Character ? MarkerTable::Join : marker.type;
  point.character = 0;
}

class Builder {
 public:
  Builder(const ArtPlan& plan, Sheet& sheet, ArtPlan::Cell origin)
      : plan_(plan),
        sheet_(sheet),
        db_(store::Database::Of(&sheet)),
        origin_(origin),
        cw_(sheet.cellWidth),
        ch_(sheet.cellHeight),
        scratch_(sheet.width, sheet.height, sheet.cellWidth, sheet.cellHeight) {}

  std::vector<DrawObj*> Run() {
    // The objects are copies of blank ones made on a sheet of their own, as
    // pasted objects are copies: a new object looks through its sheet's
    // whole list for itself, a copy does not, and the import stays linear.
    store::Database* transient = store::Database::Of(&scratch_);
    line_ = store::New<Line>(transient, &scratch_, 0, 0, 0, 0, nullptr, nullptr);
    box_ = store::New<Box>(transient, &scratch_, 0, 0, 0, 0, nullptr);
    text_ = store::New<StrBox>(transient, &scratch_, 0, 0, 0, 0, String(""), nullptr);
    dot_ = store::New<Dot>(transient, &scratch_, 0, 0, MarkerTable::Join, nullptr);
    if (line_ == nullptr || box_ == nullptr || text_ == nullptr || dot_ == nullptr) return {};

    for (const ArtPlan::Text& text : plan_.texts) {
      if (!text.inFront) MakeText(text);
    }
    boxes_.assign(plan_.boxes.size(), nullptr);
    lines_.assign(plan_.lines.size(), nullptr);
    for (const ArtPlan::Element& element : plan_.order) {
      const auto index = static_cast<std::size_t>(element.index);
      if (element.kind == ArtPlan::Element::Kind::Box) {
        MakeBox(index);
      } else {
        MakeLine(index);
      }
    }
    for (std::size_t i = 0; i < plan_.lines.size(); ++i) LinkLine(i);
    for (const ArtPlan::Dot& dot : plan_.dots) MakeDot(dot);
    for (const ArtPlan::Text& text : plan_.texts) {
      if (text.inFront) MakeText(text);
    }
    for (const ArtPlan::Dot& character : plan_.characters) MakeDot(character);
    LabelSettler(sheet_, boxes_, lines_).Settle(texts_);
    // After the labels: a text an end leads to is a node, no label.
    NodeDocker(sheet_, texts_).Dock(lines_);
    std::vector<DrawObj*> front;
    front.reserve(made_.size());
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) front.push_back(*it);
    return front;
  }

 private:
  std::int32_t X(std::int32_t column) const { return (origin_.column + column) * cw_ + cw_ / 2; }
  std::int32_t Y(std::int32_t row) const { return (origin_.row + row) * ch_ + ch_ / 2; }

  static std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (i > 0) text += "\r\n";
      text += lines[i];
    }
    return text;
  }

  // Lists a new top-level object in front of what the sheet holds.
  void Made(DrawObj* obj) {
    obj->SetFlag(DrawObj::Visible, true);
    sheet_.PlaceInFront(obj);
    made_.push_back(obj);
  }

  static void Place(Box& box, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) {
    const std::pair<LinkPoint*, Point> points[] = {
        {&box.top.start, {x0, y0}},   {&box.top.end, {x1, y0}},      {&box.left.start, {x0, y1}},
        {&box.left.end, {x0, y0}},    {&box.bottom.start, {x1, y1}}, {&box.bottom.end, {x0, y1}},
        {&box.right.start, {x1, y0}}, {&box.right.end, {x1, y1}},
    };
    for (const auto& [point, at] : points) {
      point->x = at.x;
      point->y = at.y;
    }
  }

  StrBox* NewText(std::int32_t x, std::int32_t y, const std::vector<std::string>& lines) {
    auto* box = store::New<StrBox>(db_, *text_, &sheet_, nullptr);
    if (box == nullptr) return nullptr;
    Place(*box, x, y, x, y);
    box->SetText(Joined(lines).c_str());
    return box;
  }

  void MakeText(const ArtPlan::Text& text) {
    // A text box's text starts one cell right of and below its first corner.
    StrBox* box = NewText(X(text.first.column - 1), Y(text.first.row - 1), text.lines);
    if (box == nullptr) return;
    box->alignment = static_cast<std::int32_t>(text.alignment);
    box->SyncFilled();
    Made(box);
    texts_.push_back(box);
  }

  void MakeBox(std::size_t index) {
    const ArtPlan::Box& plan = plan_.boxes[index];
    const std::int32_t x0 = X(plan.topLeft.column);
    const std::int32_t y0 = Y(plan.topLeft.row);
    const std::int32_t x1 = X(plan.bottomRight.column);
    const std::int32_t y1 = Y(plan.bottomRight.row);
    Box* box = nullptr;
    if (plan.framedText) {
      StrBox* text = NewText(x0, y0, plan.lines);
      if (text != nullptr) {
        // The box may be larger than its text: set its frame after the fit.
        text->Resize({x0, y0, x1, y1});
        text->frame = 1;
        text->alignment = static_cast<std::int32_t>(plan.alignment);
        text->SyncFilled();
      }
      box = text;
    } else {
      box = store::New<Box>(db_, *box_, &sheet_, nullptr);
      if (box != nullptr) Place(*box, x0, y0, x1, y1);
    }
    boxes_[index] = box;
    if (box == nullptr) return;
    box->corners = plan.rounded ? Box::Rounded : Box::Square;
    Line* const sides[] = {&box->top, &box->left, &box->bottom, &box->right};
    for (std::size_t k = 0; k < 4; ++k) sides[k]->stroke = static_cast<std::int32_t>(plan.strokes[k]);
    // Both points of a corner carry its marker: the side drawn later shows it.
    LinkPoint* const corners[4][2] = {{&box->top.start, &box->left.end},
                                      {&box->top.end, &box->right.start},
                                      {&box->right.end, &box->bottom.start},
                                      {&box->bottom.end, &box->left.start}};
    for (std::size_t k = 0; k < 4; ++k) {
      for (LinkPoint* point : corners[k]) SetMarker(*point, plan.corners[k]);
    }
    Made(box);
  }

  void MakeLine(std::size_t i) {
    const ArtPlan::Line& plan = plan_.lines[i];
    auto* line = store::New<Line>(db_, *line_, &sheet_, nullptr);
    lines_[i] = line;
    if (line == nullptr) return;
    line->start.x = X(plan.start.cell.column);
    line->start.y = Y(plan.start.cell.row);
    line->end.x = X(plan.end.cell.column);
    line->end.y = Y(plan.end.cell.row);
    line->orientation = plan.horizontal ? Line::Horizontal : Line::Vertical;
    line->stroke = static_cast<std::int32_t>(plan.stroke);
    SetMarker(line->start, plan.start.marker);
    SetMarker(line->end, plan.end.marker);
    Made(line);
  }

  Line* HostLine(const ArtPlan::Host& host) const {
    switch (host.element.kind) {
      case ArtPlan::Element::Kind::Line:
        return lines_[static_cast<std::size_t>(host.element.index)];
      case ArtPlan::Element::Kind::Box: {
        Box* box = boxes_[static_cast<std::size_t>(host.element.index)];
        if (box == nullptr) return nullptr;
        Line* sides[] = {&box->top, &box->left, &box->bottom, &box->right};
        return sides[static_cast<std::size_t>(host.side)];
      }
      case ArtPlan::Element::Kind::None:
        break;
    }
    return nullptr;
  }

  void LinkLine(std::size_t i) {
    Line* line = lines_[i];
    if (line == nullptr) return;
    const ArtPlan::Line& plan = plan_.lines[i];
    for (const bool atEnd : {false, true}) {
      const ArtPlan::End& end = atEnd ? plan.end : plan.start;
      LinkPoint& point = atEnd ? line->end : line->start;
      // Resting on the host, or docked on it from the next cell: the host
      // carries the end either way, and the geometry tells which.
      if (Line* host = HostLine(end.host)) point.SetLine(host);
      point.gap = end.gap;
      if (end.joinLine >= 0) {
        Line* other = lines_[static_cast<std::size_t>(end.joinLine)];
        if (other != nullptr) point.Join(end.joinAtEnd ? &other->end : &other->start);
      }
    }
  }

  void MakeDot(const ArtPlan::Dot& plan) {
    auto* dot = store::New<Dot>(db_, *dot_, &sheet_, nullptr);
    if (dot == nullptr) return;
    dot->x = X(plan.cell.column);
    dot->y = Y(plan.cell.row);
    SetMarker(*dot, plan.marker);
    // Listed while it rests on nothing, as the dot tool lists its dots.
    Made(dot);
    if (Line* host = HostLine(plan.host)) dot->SetLine(host);
  }

  const ArtPlan& plan_;
  Sheet& sheet_;
  store::Database* db_;
  ArtPlan::Cell origin_;
  std::int32_t cw_;
  std::int32_t ch_;
  // The blank objects the built ones are copies of.
  Sheet scratch_;
  Line* line_ = nullptr;
  Box* box_ = nullptr;
  StrBox* text_ = nullptr;
  Dot* dot_ = nullptr;
  std::vector<Box*> boxes_;
  std::vector<Line*> lines_;
  std::vector<DrawObj*> made_;
  std::vector<StrBox*> texts_;
};

}  // namespace

std::vector<DrawObj*> ArtBuilder::Build(const ArtPlan& plan, Sheet& sheet, ArtPlan::Cell origin) {
  return Builder(plan, sheet, origin).Run();
}

}  // namespace virlo
