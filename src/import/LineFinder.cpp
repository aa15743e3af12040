#include "import/LineFinder.h"

#include <optional>
#include <utility>

#include "import/ArtCharacter.h"
#include "objects/MarkerTable.h"

namespace virlo {
namespace {

using Marker = ArtPlan::Marker;
using Side = ArtPlan::Side;
using Use = RecognizerGrid::Use;
using Way = ArtCharacter::Way;

}  // namespace

void LineFinder::Run() {
  FindLines(true);
  FindLines(false);
}

void LineFinder::FindLines(bool across) {
  const std::int32_t outer = across ? cells_.Rows() : cells_.Columns();
  const std::int32_t inner = across ? cells_.Columns() : cells_.Rows();
  for (std::int32_t o = 0; o < outer; ++o) {
    std::int32_t i = 0;
    while (i < inner) {
      const ArtPlan::Cell at = across ? ArtPlan::Cell{i, o} : ArtPlan::Cell{o, i};
      const std::optional<Stroke> stroke =
          cells_.IsFree(at.column, at.row) ? cells_.RunAt(at.column, at.row, across) : std::nullopt;
      if (!stroke) {
        ++i;
        continue;
      }
      const Track track = Follow(across, o, i, *stroke);
      Keep(track);
      i = track.last + 1;
    }
  }
}

LineFinder::Track LineFinder::Follow(bool across, std::int32_t fixed, std::int32_t first, Stroke stroke) const {
  const std::int32_t inner = across ? cells_.Columns() : cells_.Rows();
  Track track{across, fixed, first, first, stroke, 1, 0, 1};
  // Runs of the same stroke, and what lies between them, one line.
  std::int32_t k = first + 1;
  if (stroke == Stroke::Solid && Dash(track, k, stroke) && Dash(track, k + 2, stroke)) {
    track.stroke = Stroke::Dashed;
    while (Dash(track, k, stroke)) {
      track.last = k + 1;
      ++track.runCells;
      ++track.lastPiece;
      k += 2;
    }
    k = inner;
  }
  while (k < inner) {
    const ArtPlan::Cell next = CellOf(track, k);
    if (cells_.IsFree(next.column, next.row) && cells_.RunAt(next.column, next.row, across) == stroke) {
      track.last = k;
      ++track.runCells;
      ++track.lastPiece;
      ++k;
      continue;
    }
    const std::int32_t skip = Passable(track, k);
    const ArtPlan::Cell after = CellOf(track, k + skip);
    // A label just before a box side the run crosses ("(B)" over "+--|--+"):
    // the run goes through the label and ends on the side.
    if (skip > 0 && k + skip < inner && cells_.At(after.column, after.row).use == Use::BoxSide &&
        cells_.RunAt(after.column, after.row, across) == stroke && Passable(track, k + skip) > 0) {
      track.last = k + skip - 1;
      break;
    }
    if (skip > 0 && cells_.IsFree(after.column, after.row) && cells_.RunAt(after.column, after.row, across) == stroke) {
      if (track.firstPiece == 0) track.firstPiece = track.lastPiece;
      track.lastPiece = 1;
      track.last = k + skip;
      ++track.runCells;
      k += skip + 1;
      continue;
    }
    break;
  }
  if (track.firstPiece == 0) track.firstPiece = track.lastPiece;
  return track;
}

bool LineFinder::Dash(const Track& track, std::int32_t along, Stroke stroke) const {
  const std::int32_t inner = track.across ? cells_.Columns() : cells_.Rows();
  const ArtPlan::Cell gap = CellOf(track, along);
  const ArtPlan::Cell next = CellOf(track, along + 1);
  return along + 1 < inner && cells_.IsFree(gap.column, gap.row) && cells_.Shape(gap.column, gap.row) == U' ' &&
         !cells_.At(gap.column, gap.row).labelled && cells_.IsFree(next.column, next.row) &&
         cells_.RunAt(next.column, next.row, track.across) == stroke;
}

void LineFinder::Keep(const Track& track) {
  const bool across = track.across;
  const ArtPlan::End start = EndOf(track, true);
  const ArtPlan::End end = EndOf(track, false);
  const std::int32_t from = across ? start.cell.column : start.cell.row;
  const std::int32_t to = across ? end.cell.column : end.cell.row;
  const std::int32_t length = to - from + 1;
  const bool structural = from != track.first || to != track.last;
  auto beyond = [&](const ArtPlan::End& e, std::int32_t outward) {
    return across ? ArtPlan::Cell{e.cell.column + outward, e.cell.row}
                  : ArtPlan::Cell{e.cell.column, e.cell.row + outward};
  };
  // A short run against a word is the word's: "a-b", "--all", "p->next".
  auto worded = [&](const ArtPlan::End& e, std::int32_t outward) {
    const ArtPlan::Cell at = beyond(e, outward);
    return ArtCharacter::IsWordCharacter(cells_.Shape(at.column, at.row));
  };
  // An end on a box or a line is no word's, whatever lies beyond it.
  auto onBox = [&](const ArtPlan::End& e) {
    const Use use = cells_.At(e.cell.column, e.cell.row).use;
    return use == Use::BoxSide || use == Use::BoxCorner || use == Use::Line;
  };
  // Down, a word above or below is a node the run connects.
  const std::int32_t shortestWorded = RecognizerGrid::ShortestWordedRun;
  const bool tooShort =
      across && ((!onBox(start) && worded(start, -1) && track.firstPiece < shortestWorded) ||
                 (!onBox(end) && worded(end, end.marker.Width()) && track.lastPiece < shortestWorded));
  // A box side across the run just beyond an end: the run stops at the box.
  auto beside = [&](const ArtPlan::End& e, std::int32_t outward) {
    const ArtPlan::Cell at = beyond(e, outward);
    if (!cells_.Inside(at.column, at.row)) return false;
    const RecognizerGrid::Cell& there = cells_.At(at.column, at.row);
    const bool sideAcross = there.side == Side::Top || there.side == Side::Bottom;
    return there.use == Use::BoxCorner || (there.use == Use::BoxSide && sideAcross != across);
  };
  const bool touches = beside(start, -1) || beside(end, 1);
  // A run that touches nothing is a line from three cells on, either
  // way; one that reaches or stops at something, from two.
  const std::int32_t shortestAlone = 3;
  if ((length >= shortestAlone || ((structural || touches) && length >= 2)) && !tooShort) AddLine(track, start, end);
}

std::int32_t LineFinder::Passable(const Track& track, std::int32_t along) const {
  const auto [c, r] = CellOf(track, along);
  if (!cells_.Inside(c, r)) return 0;
  const RecognizerGrid::Cell& cell = cells_.At(c, r);
  const char32_t code = cells_.Shape(c, r);
  switch (cell.use) {
    case Use::BoxSide: {
      // A box's side the track crosses, showing the side or the track.
      const bool sideAcross = cell.side == Side::Top || cell.side == Side::Bottom;
      return sideAcross != track.across && (cells_.RunAt(c, r, !track.across) || cells_.RunAt(c, r, track.across)) ? 1
                                                                                                                   : 0;
    }
    case Use::End:
      // The end of a line across this one: it comes to rest on this one.
      return 1;
    case Use::Line:
      // A line across this one that shows here: they cross.
      return cells_.RunAt(c, r, !track.across) ? 1 : 0;
    case Use::Free:
      break;
    default:
      return 0;
  }
  if (track.across && cell.labelled) {
    std::int32_t last = c;
    while (cells_.Inside(last + 1, r) && cells_.At(last + 1, r).labelled && cells_.At(last + 1, r).use == Use::Free) {
      ++last;
    }
    return last - c + 1;
  }
  // Down a run, a word written across it ("(B)" with the run above and below it).
  if (cell.text) return track.across ? 0 : 1;
  if (code == U' ') return 0;
  if (!track.across && ArtCharacter::IsWordCharacter(code)) return 1;
  // A run across this one, a junction, a marker on the run.
  if (cells_.RunAt(c, r, !track.across) || cells_.IsCorner(c, r)) return 1;
  if (cells_.MarkerAt(c, r)) return track.across ? cells_.MarkerCells(c, r) : 1;
  return 0;
}

ArtPlan::End LineFinder::EndOf(const Track& track, bool atStart) const {
  ArtPlan::End end;
  end.cell = CellOf(track, atStart ? track.first : track.last);
  end.marker = OwnMarker(track, end.cell);
  const ArtPlan::Cell next = NextCell(track, atStart);
  if (!cells_.Inside(next.column, next.row)) return end;
  const RecognizerGrid::Cell& cell = cells_.At(next.column, next.row);
  const char32_t code = cells_.Shape(next.column, next.row);
  if (code == 0 || code == U' ') return end;
  // A two-cell marker left of a run ("<>"): the end is its first cell.
  if (const std::optional<Marker> wide = cells_.MarkerAt(next.column - 1, next.row);
      track.across && atStart && wide && wide->Width() == 2 && cell.use == Use::Free) {
    end.cell = {next.column - 1, next.row};
    end.marker = *wide;
    return end;
  }
  const std::optional<Marker> marker = NextMarker(track, next, atStart);
  switch (cell.use) {
    case Use::BoxSide:
    case Use::BoxCorner: {
      const bool sideAcross = cell.use == Use::BoxSide && (cell.side == Side::Top || cell.side == Side::Bottom);
      if (cell.use == Use::BoxSide && sideAcross == track.across) return end;
      // A tee or a marker on the side, or the run's own character over it:
      // the end rests on the side there.
      const bool run = ArtCharacter::Run(code, true) || ArtCharacter::Run(code, false);
      if (marker && !(run && cells_.RunAt(next.column, next.row, !track.across))) {
        end.cell = next;
        end.marker = *marker;
      } else if (cells_.RunAt(next.column, next.row, track.across) == track.stroke) {
        end.cell = next;
      }
      return end;
    }
    case Use::Free:
    case Use::End:
    case Use::Line:
      if (cell.text || !marker) return end;
      end.cell = next;
      end.marker = *marker;
      return end;
    default:
      return end;
  }
}

Marker LineFinder::OwnMarker(const Track& track, const ArtPlan::Cell& at) const {
  const char32_t own = cells_.Shape(at.column, at.row);
  if (own == U'-' || own == U'|' || ArtCharacter::IsBoxDrawing(own)) {
    return TableMarker(track.across ? MarkerTable::HorizontalLine : MarkerTable::VerticalLine);
  }
  return ArtCharacter::MarkerOf(own).value_or(TableMarker(MarkerTable::HorizontalLine));
}

ArtPlan::Cell LineFinder::NextCell(const Track& track, bool atStart) const {
  const std::int32_t step = atStart ? -1 : 1;
  const std::int32_t runEnd = atStart ? track.first : track.last;
  const ArtPlan::Cell next = CellOf(track, runEnd + step);
  // A dashed run leaves a gap before what it ends at, as it does between its
  // dashes.
  if (track.stroke != Stroke::Dashed || cells_.Shape(next.column, next.row) != U' ' ||
      !cells_.IsFree(next.column, next.row)) {
    return next;
  }
  const ArtPlan::Cell beyond = CellOf(track, runEnd + 2 * step);
  const char32_t code = cells_.Inside(beyond.column, beyond.row) ? cells_.Shape(beyond.column, beyond.row) : U' ';
  if (code != U' ' && code != 0 && !cells_.RunAt(beyond.column, beyond.row, track.across) &&
      cells_.MarkerAt(beyond.column, beyond.row)) {
    return beyond;
  }
  return next;
}

std::optional<Marker> LineFinder::NextMarker(const Track& track, const ArtPlan::Cell& next, bool atStart) const {
  const char32_t code = cells_.Shape(next.column, next.row);
  const Way outward = track.across ? (atStart ? Way::Left : Way::Right) : (atStart ? Way::Up : Way::Down);
  // What the next cell shows as this end's marker: a join at a corner or
  // tee, an arrowhead ("v" only at a run's lower end), another marker, or a
  // run's character where another line or a side runs.
  std::optional<Marker> marker;
  if (code == U'+' ||
      (ArtCharacter::IsBoxDrawing(code) && ArtCharacter::IsCorner(code) && !ArtCharacter::ArmsOf(code).rounded)) {
    marker = TableMarker(MarkerTable::Join);
  } else if (code != U'v' || outward == Way::Down) {
    marker = cells_.MarkerAt(next.column, next.row);
  }
  const bool run = ArtCharacter::Run(code, true) || ArtCharacter::Run(code, false);
  if (run && cells_.At(next.column, next.row).use == Use::Free) marker.reset();
  // A marker wider than a cell ends runs across only.
  if (marker && marker->Width() > 1 && !track.across) marker.reset();
  return marker;
}

void LineFinder::AddLine(const Track& track, const ArtPlan::End& start, const ArtPlan::End& end) {
  const auto index = static_cast<std::int32_t>(plan_.lines.size());
  const std::int32_t from = track.across ? start.cell.column : start.cell.row;
  const std::int32_t to = track.across ? end.cell.column : end.cell.row;
  ClaimRun(track, from, to, index);
  // The further cells of a two-cell marker ("<>").
  for (const ArtPlan::End* e : {&start, &end}) {
    for (std::int32_t k = 1; k < e->marker.Width(); ++k) {
      if (cells_.IsFree(e->cell.column + k, e->cell.row)) cells_.At(e->cell.column + k, e->cell.row).use = Use::End;
    }
  }
  ArtPlan::Line line;
  line.horizontal = track.across;
  line.stroke = track.stroke;
  line.start = start;
  line.end = end;
  plan_.lines.push_back(std::move(line));
}

void LineFinder::ClaimRun(const Track& track, std::int32_t from, std::int32_t to, std::int32_t index) {
  for (std::int32_t k = from; k <= to; ++k) {
    const auto [c, r] = CellOf(track, k);
    RecognizerGrid::Cell& cell = cells_.At(c, r);
    const bool atEnd = k == from || k == to;
    ArtPlan::Element& runner = track.across ? cell.across : cell.down;
    if (!atEnd && !runner) runner = ArtPlan::Element::Line(index);
    if (cell.use != Use::Free) continue;
    if (atEnd) {
      cell.use = Use::End;
    } else if (cell.text || (track.across && cell.labelled)) {
      cell.use = Use::Label;
    } else if (!track.across && ArtCharacter::IsWordCharacter(cell.code) &&
               !(ArtCharacter::HeadOf(cell.code) && cells_.MarkerAt(c, r))) {
      // A word written across the run: all of it is the line's label. A lone
      // "V" on the run is no word: it is the run's arrowhead, a dot on it.
      std::int32_t left = c;
      std::int32_t right = c;
      while (cells_.IsFree(left - 1, r) && cells_.Shape(left - 1, r) != U' ') --left;
      while (cells_.IsFree(right + 1, r) && cells_.Shape(right + 1, r) != U' ') ++right;
      for (std::int32_t w = left; w <= right; ++w) cells_.At(w, r).use = Use::Label;
    } else if (!cells_.RunAt(c, r, !track.across)) {
      // A crossing stays free for the run across this one.
      cell.use = Use::Line;
    }
  }
}

}  // namespace virlo
