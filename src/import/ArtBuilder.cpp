#include "import/ArtBuilder.h"

#include <string>

#include "model/String.h"
#include "objects/Box.h"
#include "objects/Dot.h"
#include "objects/Line.h"
#include "objects/LinkPoint.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "store/Database.h"
#include "store/Store.h"

namespace virlo {
namespace {

class Builder {
 public:
  Builder(const ArtPlan& plan, Sheet& sheet, ArtPlan::Cell origin)
      : plan_(plan),
        sheet_(sheet),
        db_(store::Database::Of(&sheet)),
        origin_(origin),
        cw_(sheet.cellWidth),
        ch_(sheet.cellHeight) {}

  std::vector<DrawObj*> Run() {
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
    // An end left free that points at a line in the next cell docks on it,
    // as the line tool docks it.
    for (Line* line : lines_) {
      if (line == nullptr) continue;
      line->start.Dock();
      line->end.Dock();
    }
    for (const ArtPlan::Dot& dot : plan_.dots) MakeDot(dot);
    for (const ArtPlan::Text& text : plan_.texts) {
      if (text.inFront) MakeText(text);
    }
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

  void MakeText(const ArtPlan::Text& text) {
    // A text box's text starts one cell right of and below its first corner.
    auto* box = store::New<StrBox>(db_, &sheet_, X(text.first.column - 1), Y(text.first.row - 1), 0, 0,
                                   String(Joined(text.lines).c_str()), nullptr);
    if (box == nullptr) return;
    box->alignment = static_cast<std::int32_t>(text.alignment);
    box->SyncFilled();
    box->SetFlag(DrawObj::Visible, true);
    made_.push_back(box);
  }

  void MakeBox(std::size_t index) {
    const ArtPlan::Box& plan = plan_.boxes[index];
    const std::int32_t x0 = X(plan.topLeft.column);
    const std::int32_t y0 = Y(plan.topLeft.row);
    const std::int32_t x1 = X(plan.bottomRight.column);
    const std::int32_t y1 = Y(plan.bottomRight.row);
    Box* box = nullptr;
    if (plan.framedText) {
      auto* text = store::New<StrBox>(db_, &sheet_, x0, y0, x1, y1, String(Joined(plan.lines).c_str()), nullptr);
      if (text != nullptr) {
        // The box may be larger than its text: set its frame after the fit.
        text->Resize({x0, y0, x1, y1});
        text->frame = 1;
        text->alignment = static_cast<std::int32_t>(plan.alignment);
        text->SyncFilled();
      }
      box = text;
    } else {
      box = store::New<Box>(db_, &sheet_, x0, y0, x1, y1, nullptr);
    }
    boxes_[index] = box;
    if (box == nullptr) return;
    // Both points of a corner carry its marker: the side drawn later shows it.
    LinkPoint* const corners[4][2] = {{&box->top.start, &box->left.end},
                                      {&box->top.end, &box->right.start},
                                      {&box->right.end, &box->bottom.start},
                                      {&box->bottom.end, &box->left.start}};
    for (int k = 0; k < 4; ++k) {
      for (LinkPoint* point : corners[k]) point->marker = plan.corners[k];
    }
    box->SetFlag(DrawObj::Visible, true);
    made_.push_back(box);
  }

  void MakeLine(std::size_t i) {
    const ArtPlan::Line& plan = plan_.lines[i];
    auto* line = store::New<Line>(db_, &sheet_, X(plan.start.cell.column), Y(plan.start.cell.row),
                                  X(plan.end.cell.column), Y(plan.end.cell.row), nullptr, nullptr);
    lines_[i] = line;
    if (line == nullptr) return;
    line->orientation = plan.horizontal ? Line::Horizontal : Line::Vertical;
    line->start.marker = plan.start.marker;
    line->end.marker = plan.end.marker;
    line->flags |= DrawObj::Visible;
    made_.push_back(line);
  }

  Line* HostLine(const ArtPlan::Host& host) const {
    switch (host.kind) {
      case ArtPlan::Host::Kind::Line:
        return lines_[static_cast<std::size_t>(host.index)];
      case ArtPlan::Host::Kind::BoxSide: {
        Box* box = boxes_[static_cast<std::size_t>(host.index)];
        if (box == nullptr) return nullptr;
        Line* sides[] = {&box->top, &box->left, &box->bottom, &box->right};
        return sides[static_cast<std::size_t>(host.side)];
      }
      case ArtPlan::Host::Kind::None:
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
      if (Line* host = HostLine(end.host)) point.SetLine(host);
      if (end.joinLine >= 0) {
        Line* other = lines_[static_cast<std::size_t>(end.joinLine)];
        if (other != nullptr) point.Join(end.joinAtEnd ? &other->end : &other->start);
      }
    }
  }

  void MakeDot(const ArtPlan::Dot& plan) {
    auto* dot = store::New<Dot>(db_, &sheet_, X(plan.cell.column), Y(plan.cell.row), plan.marker, nullptr);
    if (dot == nullptr) return;
    dot->flags |= DrawObj::Visible;
    if (Line* host = HostLine(plan.host)) dot->SetLine(host);
    made_.push_back(dot);
  }

  const ArtPlan& plan_;
  Sheet& sheet_;
  store::Database* db_;
  ArtPlan::Cell origin_;
  std::int32_t cw_;
  std::int32_t ch_;
  std::vector<Box*> boxes_;
  std::vector<Line*> lines_;
  std::vector<DrawObj*> made_;
};

}  // namespace

std::vector<DrawObj*> ArtBuilder::Build(const ArtPlan& plan, Sheet& sheet, ArtPlan::Cell origin) {
  return Builder(plan, sheet, origin).Run();
}

}  // namespace virlo
