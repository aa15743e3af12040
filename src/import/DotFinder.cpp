#include "import/DotFinder.h"

#include <optional>

#include "import/ArtCharacter.h"
#include "import/DottedRun.h"
#include "objects/MarkerTable.h"

namespace virlo {
namespace {

using Marker = ArtPlan::Marker;
using Side = ArtPlan::Side;
using Use = RecognizerGrid::Use;

}  // namespace

void DotFinder::Run() {
  std::vector<std::uint8_t> taken = EndCells();
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(plan_.lines.size()); ++i) {
    OnLine(i, taken);
    SlantedSides(i);
  }
  OnSides(taken);
}

void DotFinder::SlantedSides(std::int32_t i) {
  const ArtPlan::Line& line = plan_.lines[static_cast<std::size_t>(i)];
  if (line.horizontal) return;
  const bool downward = line.end.cell.row > line.start.cell.row;
  for (const bool atEnd : {false, true}) {
    const ArtPlan::Cell at = atEnd ? line.end.cell : line.start.cell;
    if (cells_.Shape(at.column, at.row) != U'|' || at == (atEnd ? line.start.cell : line.end.cell)) continue;
    // The head's sides: "\|/" at a run's lower end, "/|\" at its upper one.
    const bool down = atEnd == downward;
    const char32_t left = down ? U'\\' : U'/';
    const char32_t right = down ? U'/' : U'\\';
    if (!cells_.IsFree(at.column - 1, at.row) || !cells_.IsFree(at.column + 1, at.row) ||
        cells_.Shape(at.column - 1, at.row) != left || cells_.Shape(at.column + 1, at.row) != right) {
      continue;
    }
    for (const std::int32_t dc : {-1, 1}) {
      const ArtPlan::Cell side{at.column + dc, at.row};
      const std::optional<Marker> marker = ArtCharacter::MarkerOf(cells_.Shape(side.column, side.row));
      plan_.dots.push_back({side, *marker, {ArtPlan::Element::Line(i), Side::Top}});
      cells_.At(side.column, side.row).use = Use::Line;
    }
  }
}

std::vector<std::uint8_t> DotFinder::EndCells() const {
  std::vector<std::uint8_t> ends(static_cast<std::size_t>(cells_.Columns()) * static_cast<std::size_t>(cells_.Rows()),
                                 0);
  for (const ArtPlan::Line& line : plan_.lines) {
    for (const ArtPlan::End* end : {&line.start, &line.end}) {
      for (std::int32_t k = 0; k < end->marker.Width(); ++k) {
        if (cells_.Inside(end->cell.column + k, end->cell.row))
          ends[cells_.Index(end->cell.column + k, end->cell.row)] = 1;
      }
    }
  }
  return ends;
}

void DotFinder::OnLine(std::int32_t i, std::vector<std::uint8_t>& taken) {
  // Markers, junctions and crossings no line ends at, inside a line's run:
  // dots resting on the line.
  const ArtPlan::Line& line = plan_.lines[static_cast<std::size_t>(i)];
  const std::int32_t from = line.horizontal ? line.start.cell.column : line.start.cell.row;
  const std::int32_t to = line.horizontal ? line.end.cell.column : line.end.cell.row;
  const std::int32_t fixed = line.horizontal ? line.start.cell.row : line.start.cell.column;
  for (std::int32_t k = from + 1; k < to; ++k) {
    const ArtPlan::Cell at = line.horizontal ? ArtPlan::Cell{k, fixed} : ArtPlan::Cell{fixed, k};
    const RecognizerGrid::Cell& cell = cells_.At(at.column, at.row);
    if (taken[cells_.Index(at)] != 0 || cell.text || cell.use == Use::Label) continue;
    const std::optional<Stroke> run =
        line.horizontal ? DottedRun::Across(cells_, at.column, at.row) : cells_.RunAt(at.column, at.row, false);
    if (run == line.stroke || (run && line.stroke == Stroke::Dashed)) continue;
    if (cell.use == Use::BoxSide || cell.use == Use::BoxCorner) continue;
    // A run across this one that shows here is that line's, where there is one.
    const std::optional<Stroke> crossing =
        line.horizontal ? cells_.RunAt(at.column, at.row, false) : DottedRun::Across(cells_, at.column, at.row);
    if (crossing && (line.horizontal ? cell.down : cell.across)) continue;
    const std::optional<Marker> marker = cells_.MarkerAt(at.column, at.row);
    const char32_t code = cells_.Shape(at.column, at.row);
    if (!marker) continue;
    const Marker shown = code == U'+' || ArtCharacter::ArmsOf(code).Any() ? TableMarker(MarkerTable::Join) : *marker;
    plan_.dots.push_back({at, shown, {ArtPlan::Element::Line(i), Side::Top}});
    taken[cells_.Index(at)] = 1;
    // A "|" a run across crosses with no line down through it is the dot's.
    if (cells_.IsFree(at.column, at.row)) cells_.At(at.column, at.row).use = Use::Line;
    k += marker->Width() - 1;
  }
}

void DotFinder::OnSides(const std::vector<std::uint8_t>& taken) {
  // Junctions and markers on a box's side that no line ends at: dots on the side.
  for (std::int32_t r = 0; r < cells_.Rows(); ++r) {
    for (std::int32_t c = 0; c < cells_.Columns(); ++c) {
      const RecognizerGrid::Cell& cell = cells_.At(c, r);
      if (cell.use != Use::BoxSide || taken[cells_.Index(c, r)] != 0) continue;
      const ArtPlan::Box& box = plan_.boxes[static_cast<std::size_t>(cell.box)];
      const bool across = cell.side == Side::Top || cell.side == Side::Bottom;
      const Stroke stroke = box.strokes[static_cast<std::size_t>(cell.side)];
      if (cells_.RunAt(c, r, across) == stroke || (stroke == Stroke::Dashed && cells_.RunAt(c, r, across))) continue;
      if (stroke == Stroke::Dotted && across && cells_.Shape(c, r) == U'.') continue;
      // A line across the side that shows here.
      if (cells_.RunAt(c, r, !across) && (across ? cell.down : cell.across)) continue;
      const char32_t code = cells_.Shape(c, r);
      std::optional<Marker> marker = cells_.MarkerAt(c, r);
      if (!marker && code != 0 && code != U' ') marker = ArtCharacter::MarkerOf(code);
      if (!marker) continue;
      // A tee no line leaves shows as itself: a join would draw the cross.
      const Marker shown = code == U'+' ? TableMarker(MarkerTable::Join) : *marker;
      plan_.dots.push_back({{c, r}, shown, {ArtPlan::Element::Box(cell.box), cell.side}});
      c += marker->Width() - 1;
    }
  }
}

}  // namespace virlo
