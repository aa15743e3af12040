#include "import/LineFinder.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "import/ArtCharacter.h"
#include "import/DottedRun.h"
#include "objects/MarkerTable.h"

namespace virlo {
namespace {

using Marker = ArtPlan::Marker;
using Side = ArtPlan::Side;
using Use = RecognizerGrid::Use;
using Way = ArtCharacter::Way;

// The most lines of words written across a run down that it goes on through.
constexpr std::int32_t MaxLabelRows = 4;
// The longest word down a run that is a branch's label, not a name.
constexpr std::int32_t LongestBranchLabel = 4;
// The most runs down side by side a run across crosses at once.
constexpr std::int32_t MostBarsCrossed = 3;
// A row of this many of one mark a blank apart is text.
constexpr std::int32_t SpacedMarks = 3;
// Short arrows between words in a row, this many or more, chain states.
constexpr std::int32_t ShortestArrowChain = 2;

}  // namespace

void LineFinder::Run() {
  FindLines(true);
  FindLines(false);
  FacingTees();
  // An end on a "|" no run down was read through is the end's own.
  for (const ArtPlan::Line& line : plan_.lines) {
    for (const ArtPlan::End* e : {&line.start, &line.end}) {
      if (cells_.IsFree(e->cell.column, e->cell.row)) cells_.At(e->cell.column, e->cell.row).use = Use::End;
    }
  }
}

void LineFinder::FindLines(bool across) {
  const std::int32_t outer = across ? cells_.Rows() : cells_.Columns();
  const std::int32_t inner = across ? cells_.Columns() : cells_.Rows();
  for (std::int32_t o = 0; o < outer; ++o) {
    std::int32_t i = 0;
    while (i < inner) {
      const ArtPlan::Cell at = across ? ArtPlan::Cell{i, o} : ArtPlan::Cell{o, i};
      std::optional<Stroke> stroke =
          cells_.IsFree(at.column, at.row) ? RunHere(at.column, at.row, across) : std::nullopt;
      // Down, a stem may start at a branch's tee ("├──" over "└──").
      if (!stroke && !across) stroke = StemStart(at);
      if (!stroke) {
        ++i;
        continue;
      }
      Track track = Follow(across, o, i, *stroke);
      // A box side crossed right after the arrowhead the run starts with:
      // the run goes over the side to its head.
      const ArtPlan::Cell side = CellOf(track, track.first - 1);
      const ArtPlan::Cell head = CellOf(track, track.first - 2);
      const char32_t code = cells_.Shape(head.column, head.row);
      if (cells_.At(side.column, side.row).use == Use::BoxSide && Passable(track, track.first - 1) == 1 &&
          cells_.IsFree(head.column, head.row) && code != 0 &&
          ArtCharacter::HeadOf(code) == (across ? Way::Left : Way::Up)) {
        --track.first;
      }
      Keep(track);
      i = track.last + 1;
    }
  }
}

void LineFinder::FacingTees() {
  for (std::int32_t r = 0; r + 1 < cells_.Rows(); ++r) {
    for (std::int32_t c = 0; c < cells_.Columns(); ++c) {
      const RecognizerGrid::Cell& upper = cells_.At(c, r);
      const RecognizerGrid::Cell& lower = cells_.At(c, r + 1);
      const bool sides = upper.use == Use::BoxSide && upper.side == Side::Bottom && lower.use == Use::BoxSide &&
                         lower.side == Side::Top && upper.box != lower.box;
      const std::optional<Stroke> down = StrokeOfArm(ArtCharacter::ArmsOf(cells_.Shape(c, r))[Way::Down]);
      if (!sides || !down || StrokeOfArm(ArtCharacter::ArmsOf(cells_.Shape(c, r + 1))[Way::Up]) != down) continue;
      const Track track{false, c, r, r + 1, *down, 0, 0, 0};
      ArtPlan::End start;
      start.cell = {c, r};
      start.marker = TableMarker(MarkerTable::Join);
      ArtPlan::End end;
      end.cell = {c, r + 1};
      end.marker = TableMarker(MarkerTable::Join);
      AddLine(track, start, end);
    }
  }
}

LineFinder::Track LineFinder::Follow(bool across, std::int32_t fixed, std::int32_t first, Stroke stroke,
                                     std::int32_t limit) const {
  const std::int32_t inner = std::min(across ? cells_.Columns() : cells_.Rows(), limit);
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
    const bool through = !across && StemAt(next, Way::Up) == stroke && StemAt(next, Way::Down) == stroke;
    if ((cells_.IsFree(next.column, next.row) && RunHere(next.column, next.row, across) == stroke) || through) {
      track.last = k;
      ++track.runCells;
      ++track.lastPiece;
      ++k;
      // A head of three characters ("\|/") ends the run down at its "|".
      if (!across && HeadOfThree(next, true)) break;
      continue;
    }
    std::int32_t skip = Passable(track, k);
    const ArtPlan::Cell here = CellOf(track, k);
    const ArtPlan::Cell before = CellOf(track, k - 1);
    const bool fromRun =
        cells_.IsFree(before.column, before.row) && RunHere(before.column, before.row, false) == stroke;
    const bool words = !across && skip > 0 && words_.Word(here.column, here.row);
    // Words across a run down right over a tee a line across leaves from
    // ("split" over "├──"): the run goes on through both.
    const ArtPlan::Cell beyond = CellOf(track, k + skip);
    const bool goesOn = cells_.RunAt(beyond.column, beyond.row + 1, false).has_value();
    if (words && fromRun && goesOn && cells_.Inside(beyond.column, beyond.row) &&
        cells_.At(beyond.column, beyond.row).use == Use::End) {
      skip += Passable(track, k + skip);
    }
    const ArtPlan::Cell after = CellOf(track, k + skip);
    // A label just before a box side the run crosses ("(B)" over "+--|--+"):
    // the run goes through the label and ends on the side.
    if (skip > 0 && k + skip < inner && cells_.At(after.column, after.row).use == Use::BoxSide &&
        RunHere(after.column, after.row, across) == stroke && Passable(track, k + skip) > 0) {
      track.last = k + skip - 1;
      break;
    }
    // A box side crossed right before the arrowhead the run ends in (a run
    // out of a frame): the run goes over the side to its head.
    const char32_t head = cells_.Shape(after.column, after.row);
    if (skip == 1 && cells_.At(here.column, here.row).use == Use::BoxSide && cells_.IsFree(after.column, after.row) &&
        head != 0 && ArtCharacter::HeadOf(head) == (across ? Way::Right : Way::Down)) {
      track.last = k;
      break;
    }
    if (words) {
      const WordsDown meets = AtWords(track, k, after, fromRun);
      if (meets == WordsDown::ToCorner) track.last = k + skip - 1;
      if (meets != WordsDown::Through) break;
    }
    // A label the run's head follows straight after ("tx_remove_output >|").
    if (across && skip > 0 && cells_.At(here.column, here.row).labelled && cells_.IsFree(after.column, after.row) &&
        ArtCharacter::HeadOf(cells_.Shape(after.column, after.row)) == Way::Right) {
      if (track.firstPiece == 0) track.firstPiece = track.lastPiece;
      track.lastPiece = 0;
      track.last = k + skip - 1;
      break;
    }
    // Within the limit: a run cut short before a word ends there.
    if (skip > 0 && k + skip < inner && cells_.IsFree(after.column, after.row) &&
        RunHere(after.column, after.row, across) == stroke) {
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

std::int32_t LineFinder::ArrowsInRow(std::int32_t r) const {
  // "->" or "<-" with a blank either side ("a -> b").
  std::int32_t arrows = 0;
  for (std::int32_t c = 1; c + 2 < cells_.Columns(); ++c) {
    const char32_t first = cells_.Shape(c, r);
    const char32_t second = cells_.Shape(c + 1, r);
    const bool right = first == U'-' && second == U'>';
    const bool left = first == U'<' && second == U'-';
    if ((right || left) && cells_.Shape(c - 1, r) == U' ' && cells_.Shape(c + 2, r) == U' ') ++arrows;
  }
  return arrows;
}

LineFinder::WordsDown LineFinder::AtWords(const Track& track, std::int32_t along, const ArtPlan::Cell& after,
                                          bool fromRun) const {
  const ArtPlan::Cell here = CellOf(track, along);
  // A note written across a lifeline cuts it ("(admit)" with messages
  // ending on the run above and below it); a flow's run down carries the
  // word through as its label.
  if (words_.Note(here.column, here.row)) return WordsDown::Stop;
  // A bar of one cell from a name to a name is a call tree's edge, and the
  // name it reaches a node ("A.Seek" over "│" over "B.Seek" over "│"); a
  // short word is a branch's label ("retry?" over "|" over "no").
  const ArtPlan::Cell above = CellOf(track, track.first - 1);
  if (track.runCells == 1 && cells_.Inside(above.column, above.row) && words_.Word(above.column, above.row) &&
      words_.Length(here.column, here.row) > LongestBranchLabel) {
    return WordsDown::Stop;
  }
  // Words right over the corner the run turns at ("table" over "└────"):
  // the run goes through them to the corner.
  if (fromRun && cells_.Inside(after.column, after.row) && cells_.IsCorner(after.column, after.row)) {
    const char32_t corner = cells_.Shape(after.column, after.row);
    const ArtCharacter::Arms arms = ArtCharacter::ArmsOf(corner);
    const bool up = arms.Any() ? arms[Way::Up] != 0 : corner == U'+';
    const Use use = cells_.At(after.column, after.row).use;
    if (up && (use == Use::Free || use == Use::End)) return WordsDown::ToCorner;
  }
  return WordsDown::Through;
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
  // An end on another line's end (a corner "+" a run across turns at) reaches it.
  auto meets = [&](const ArtPlan::End& e) { return cells_.At(e.cell.column, e.cell.row).use == Use::End; };
  const bool structural = from != track.first || to != track.last || meets(start) || meets(end);
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
  const bool wordAtStart = across && !onBox(start) && worded(start, -1) && track.firstPiece < shortestWorded;
  // A branch from a tree's trunk ("+--2" under "|", "├─name") reaches its
  // entry however short it is.
  const char32_t root = cells_.Shape(start.cell.column, start.cell.row);
  const ArtCharacter::Arms rootArms = ArtCharacter::ArmsOf(root);
  const bool drawnMark = rootArms[Way::Right] != 0 && (rootArms[Way::Up] != 0 || rootArms[Way::Down] != 0);
  const bool branch =
      across && (((root == U'+' || root == U'`') && (cells_.RunAt(start.cell.column, start.cell.row - 1, false) ||
                                                     cells_.RunAt(start.cell.column, start.cell.row + 1, false))) ||
                 drawnMark);
  const bool tooShort = wordAtStart || (across && !branch && !onBox(end) && worded(end, end.marker.Width()) &&
                                        track.lastPiece < shortestWorded);
  // A word's hyphen first or last ("unwind-frame base -------->"): the
  // run goes on from the next piece, or stops at the one before, past what
  // it passed over there.
  auto runCell = [&](std::int32_t k) {
    return cells_.IsFree(k, track.fixed) && RunHere(k, track.fixed, true) == track.stroke;
  };
  if (wordAtStart && track.firstPiece < track.runCells) {
    std::int32_t next = track.first + track.firstPiece;
    while (next <= track.last && !runCell(next)) ++next;
    if (next <= track.last) Keep(Follow(true, track.fixed, next, track.stroke));
    return;
  }
  const bool wordAtEnd =
      across && !branch && !onBox(end) && worded(end, end.marker.Width()) && track.lastPiece < shortestWorded;
  if (wordAtEnd && track.lastPiece < track.runCells) {
    std::int32_t before = track.last - track.lastPiece;
    while (before >= track.first && !runCell(before)) --before;
    // Only a shorter run is read again, so the reading always ends.
    const Track shorter = Follow(true, track.fixed, track.first, track.stroke, before + 1);
    if (before >= track.first && shorter.last < track.last) Keep(shorter);
    return;
  }
  // A box side across the run just beyond an end: the run stops at the box.
  auto beside = [&](const ArtPlan::End& e, std::int32_t outward) {
    const ArtPlan::Cell at = beyond(e, outward);
    if (!cells_.Inside(at.column, at.row)) return false;
    const RecognizerGrid::Cell& there = cells_.At(at.column, at.row);
    const bool sideAcross = there.side == Side::Top || there.side == Side::Bottom;
    return there.use == Use::BoxCorner || (there.use == Use::BoxSide && sideAcross != across);
  };
  // Or, from an arrowhead pointing at it, past one blank ("+-----+ <- sp").
  auto aimed = [&](const ArtPlan::End& e, std::int32_t outward) {
    const std::optional<ArtCharacter::Way> way = ArtCharacter::HeadOf(cells_.Shape(e.cell.column, e.cell.row));
    const Way out = across ? (outward < 0 ? Way::Left : Way::Right) : (outward < 0 ? Way::Up : Way::Down);
    const ArtPlan::Cell gap = beyond(e, outward);
    return way == out && cells_.Shape(gap.column, gap.row) == U' ' && cells_.IsFree(gap.column, gap.row) &&
           beside(e, 2 * outward);
  };
  const bool touches = beside(start, -1) || beside(end, 1) || aimed(start, -1) || aimed(end, 1);
  // A head and a run of one cell between words, blanks either side
  // ("0      <=      readerIndex", "a -> b"), is an operator, no line.
  auto spaced = [&](const ArtPlan::End& e, std::int32_t outward) {
    std::int32_t k = 1;
    ArtPlan::Cell at = beyond(e, outward);
    while (k <= RecognizerGrid::MaxOperatorGap && cells_.Shape(at.column, at.row) == U' ' &&
           cells_.IsFree(at.column, at.row)) {
      ++k;
      at = beyond(e, outward * k);
    }
    return k > 1 && ArtCharacter::IsWordCharacter(cells_.Shape(at.column, at.row));
  };
  if (across && length == 2 && !touches && !onBox(start) && !onBox(end) && spaced(start, -1) &&
      spaced(end, end.marker.Width())) {
    // Two or more such arrows in the row are a chain of states
    // ("CREATED  -> SCHEDULED -> DEPLOYING"): each is an edge.
    if (ArrowsInRow(track.fixed) >= ShortestArrowChain) AddLine(track, start, end);
    return;
  }
  // Single run characters with words between them, reaching nothing, are
  // operators ("K_send = K_recv = application"), no line with a label.
  const bool plainEnds = !HasHeadMarker(start) && !HasHeadMarker(end);
  bool words = false;
  for (std::int32_t k = track.first; k <= track.last && across && !words; ++k) {
    words = ArtCharacter::IsWordCharacter(cells_.At(k, track.fixed).code);
  }
  if (words && !structural && !touches && track.firstPiece < 2 && track.lastPiece < 2 && plainEnds && !onBox(start) &&
      !onBox(end)) {
    return;
  }
  // A run of "." is a line only where it reaches something: "Loading..." is text.
  const bool dots = across && cells_.Shape(track.first, track.fixed) == U'.';
  if (dots && !structural && !touches) return;
  // Dots that go on from a word with no head at either end are the word's
  // ("xxxxxxxx........|", room left after the data; leader dots), though
  // they reach a side.
  if (dots && plainEnds && (worded(start, -1) || worded(end, end.marker.Width()))) return;
  // Dots written over a box side, one of them in the side's own cell, are
  // an ellipsis (a header's rows left out), no line.
  auto dotOnSide = [&](const ArtPlan::End& e) {
    return cells_.At(e.cell.column, e.cell.row).use == Use::BoxSide && cells_.Shape(e.cell.column, e.cell.row) == U'.';
  };
  if (dots && (dotOnSide(start) || dotOnSide(end))) return;
  // One ":" under a box is an ellipsis too ("more boxes like it"), no line.
  if (!across && track.stroke == Stroke::Dotted && track.runCells == 1) return;
  // The ticks of a ruler over a header ("|0       |1" over "+---+---+")
  // are text: numbers between bars, no edges.
  if (!across && cells_.RulerTick(track.fixed, track.first)) return;
  // A run that touches nothing is a line from three cells on, either
  // way; one that reaches or stops at something, from two; a run down
  // from a word to a word, from one (a call tree's "│" between names, a
  // lifeline between two notes that cut it).
  const std::int32_t shortestAlone = 3;
  const bool betweenWords = !across && worded(start, -1) && worded(end, 1);
  if ((length >= shortestAlone || ((structural || touches) && length >= 2) || betweenWords) && !tooShort) {
    AddLine(track, start, end);
  }
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
      // A line across this one that shows here (a dotted message over a
      // lifeline too): they cross.
      return RunHere(c, r, !track.across) ? 1 : 0;
    case Use::Label:
      // A word another run down carries as its label, written across this
      // one too ("msgAppResp(rej=true)", "next_fragment(..packet..)" over two runs).
      return !track.across && cell.code != U' ' && !cells_.RunAt(c, r, false) ? 1 : 0;
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
  // Down a run, words written across it ("(B)" with the run above and
  // below it), a few lines of them.
  if (!track.across && words_.Word(c, r)) {
    // A name an arrow across points at or leaves is a node the run ends at
    // ("------> WAIT_EOED -+"), no label.
    if (words_.Node(c, r)) return 0;
    // On a lifeline, lines of notes cut it.
    std::int32_t rows = 1;
    while (rows < MaxLabelRows && words_.Word(c, r + rows) && !words_.Node(c, r + rows)) ++rows;
    return rows > 1 && words_.MessageAlong(c, r, -1) ? 1 : rows;
  }
  if (cell.text || code == U' ') return 0;
  // Runs down that this one crosses side by side ("--||--"), a junction, a
  // marker on the run.
  if (track.across && cells_.RunAt(c, r, false) && !cells_.RunAt(c, r, true)) {
    std::int32_t bars = 1;
    while (bars < MostBarsCrossed && cells_.IsFree(c + bars, r) && cells_.RunAt(c + bars, r, false) &&
           !cells_.RunAt(c + bars, r, true)) {
      ++bars;
    }
    // A tee right past the bars, the run going on beyond it ("---|+--").
    const bool tee = cells_.IsFree(c + bars, r) && cells_.Shape(c + bars, r) == U'+' &&
                     cells_.IsFree(c + bars + 1, r) && RunHere(c + bars + 1, r, true) == track.stroke;
    return tee ? bars + 1 : bars;
  }
  if (cells_.RunAt(c, r, !track.across) || cells_.IsCorner(c, r)) return 1;
  if (cells_.MarkerAt(c, r)) return track.across ? cells_.MarkerCells(c, r) : 1;
  return 0;
}

bool LineFinder::HasHeadMarker(const ArtPlan::End& end) {
  const std::int32_t type = end.marker.type;
  return (type >= MarkerTable::LeftArrow && type <= MarkerTable::DownArrow) ||
         (type == MarkerTable::Character && ArtCharacter::HeadOf(end.marker.character).has_value());
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
  // A head of three characters ends the run at its "|", pointing on.
  if (!track.across && HeadOfThree(end.cell, !atStart)) return end;
  // A stem that ends at a branch's tee ends there: beyond it lies the name
  // the tree hangs from, or an arrowhead.
  if (cells_.At(end.cell.column, end.cell.row).use == Use::End && cell.use != Use::End && !ArtCharacter::HeadOf(code)) {
    return end;
  }
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
      if (const std::optional<ArtPlan::End> through = ThroughSide(track, end.cell, next, atStart)) return *through;
      // A tee or a marker on the side, or the run's own character over it:
      // the end rests on the side there.
      const bool run = ArtCharacter::Run(code, true) || ArtCharacter::Run(code, false);
      if (marker && !(run && cells_.RunAt(next.column, next.row, !track.across))) {
        end.cell = next;
        end.marker = *marker;
      } else if (RunHere(next.column, next.row, track.across) == track.stroke) {
        end.cell = next;
      }
      return end;
    }
    case Use::Free:
      // A head of two characters, "|>" or "<|" (a message in a sequence
      // diagram): the run crosses the "|", a lifeline or the head's own
      // stroke, and ends at the arrowhead beyond it.
      if (const std::optional<ArtPlan::Cell> head = BarredHead(track, next, atStart)) {
        end.cell = *head;
        end.marker = *cells_.MarkerAt(head->column, head->row);
        return end;
      }
      // A run across that starts or stops on an upright run ("|----->"
      // from a lifeline), or leaves the top of one to the right ("|-- a"
      // at the top of a tree): ASCII has no tee, so the end takes the "|"
      // and rests on the line drawn there, or joins its top.
      if (track.across && code == U'|' && Upright(next, atStart)) {
        // Past a run down it crosses, the corner it turns at ("+|--" where a
        // run comes down to the "+"): the end is that corner.
        const ArtPlan::Cell corner{next.column + (atStart ? -1 : 1), next.row};
        const bool turns =
            cells_.IsFree(corner.column, corner.row) && cells_.Shape(corner.column, corner.row) == U'+' &&
            cells_.RunAt(next.column, next.row - 1, false) &&
            (cells_.RunAt(next.column, next.row + 1, false) || cells_.Shape(next.column, next.row + 1) == U'+') &&
            cells_.RunAt(corner.column, corner.row - 1, false) && !cells_.RunAt(corner.column, corner.row + 1, false);
        end.cell = turns ? corner : next;
        end.marker = TableMarker(turns ? MarkerTable::Join : MarkerTable::VerticalLine);
        return end;
      }
      [[fallthrough]];
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

std::optional<Stroke> LineFinder::StrokeOfArm(std::uint8_t weight) {
  constexpr std::uint8_t Heavy = 2;
  constexpr std::uint8_t Double = 3;
  if (weight == 0) return std::nullopt;
  return weight == Heavy ? Stroke::Heavy : weight == Double ? Stroke::Double : Stroke::Solid;
}

std::optional<Stroke> LineFinder::StemAt(const ArtPlan::Cell& at, Way way) const {
  if (!cells_.Inside(at.column, at.row) || cells_.At(at.column, at.row).use != Use::End) return std::nullopt;
  // A line down holds it already (a trunk of bare marks).
  if (cells_.At(at.column, at.row).down) return std::nullopt;
  const char32_t code = cells_.Shape(at.column, at.row);
  const ArtCharacter::Arms arms = ArtCharacter::ArmsOf(code);
  if (arms.Any()) return StrokeOfArm(arms[way]);
  // ASCII: "+" goes both ways, a tree's last branch ("`--", "\--") up.
  const bool up = code == U'`' || code == U'\\' || code == U'\'';
  return code == U'+' || (way == Way::Up && up) ? std::optional(Stroke::Solid) : std::nullopt;
}

std::optional<Stroke> LineFinder::StemStart(const ArtPlan::Cell& at) const {
  const std::optional<Stroke> stroke = StemAt(at, Way::Down);
  if (!stroke) return std::nullopt;
  const ArtPlan::Cell below{at.column, at.row + 1};
  const bool run = cells_.IsFree(below.column, below.row) && cells_.RunAt(below.column, below.row, false) == stroke;
  // A run down from it is found from the run: only stacked branches start here.
  return !run && StemAt(below, Way::Up) == stroke ? stroke : std::nullopt;
}

std::optional<ArtPlan::Cell> LineFinder::BarredHead(const Track& track, const ArtPlan::Cell& next, bool atStart) const {
  if (!track.across || cells_.Shape(next.column, next.row) != U'|') return std::nullopt;
  const std::int32_t step = atStart ? -1 : 1;
  const ArtPlan::Cell head{next.column + step, next.row};
  const ArtPlan::Cell past{next.column + 2 * step, next.row};
  const Way outward = atStart ? Way::Left : Way::Right;
  const char32_t code = cells_.Shape(head.column, head.row);
  if (!cells_.IsFree(head.column, head.row) || code == 0 || ArtCharacter::HeadOf(code) != outward) return std::nullopt;
  // A mark inside a run ("--|>--") ends nothing; a letter beside it is a word's.
  if (RunHere(past.column, past.row, true) == track.stroke || !cells_.MarkerAt(head.column, head.row)) {
    return std::nullopt;
  }
  return head;
}

bool LineFinder::TailOnSide(const ArtPlan::Cell& head) const {
  const RecognizerGrid::Cell& above = cells_.At(head.column, head.row - 1);
  return above.use == Use::BoxSide || above.use == Use::BoxCorner;
}

bool LineFinder::HeadOfThree(const ArtPlan::Cell& at, bool down) const {
  auto free = [&](std::int32_t dc) { return cells_.IsFree(at.column + dc, at.row); };
  return cells_.Shape(at.column, at.row) == U'|' && free(-1) && free(1) &&
         cells_.Shape(at.column - 1, at.row) == (down ? U'\\' : U'/') &&
         cells_.Shape(at.column + 1, at.row) == (down ? U'/' : U'\\');
}

std::optional<Stroke> LineFinder::RunHere(std::int32_t c, std::int32_t r, bool across) const {
  return across ? DottedRun::Across(cells_, c, r) : cells_.RunAt(c, r, false);
}

bool LineFinder::Upright(const ArtPlan::Cell& at, bool leaving) const {
  auto goesOn = [&](std::int32_t dr) {
    return cells_.RunAt(at.column, at.row + dr, false) || cells_.IsCorner(at.column, at.row + dr);
  };
  // Where the run down stops here, a message arriving at a lifeline's last
  // cell would be joined to it: it docks beside it instead.
  return goesOn(1) && (goesOn(-1) || leaving);
}

Marker LineFinder::OwnMarker(const Track& track, const ArtPlan::Cell& at) const {
  const char32_t own = cells_.Shape(at.column, at.row);
  // A stem's end at a branch's tee or corner joins the branch there.
  if (ArtCharacter::IsBoxDrawing(own) && ArtCharacter::IsCorner(own)) {
    return ArtCharacter::ArmsOf(own).rounded ? *ArtCharacter::MarkerOf(own) : TableMarker(MarkerTable::Join);
  }
  if (own == U'-' || own == U'|' || ArtCharacter::IsBoxDrawing(own)) {
    return TableMarker(track.across ? MarkerTable::HorizontalLine : MarkerTable::VerticalLine);
  }
  return ArtCharacter::MarkerOf(own).value_or(TableMarker(MarkerTable::HorizontalLine));
}

std::optional<ArtPlan::End> LineFinder::ThroughSide(const Track& track, const ArtPlan::Cell& from,
                                                    const ArtPlan::Cell& side, bool atStart) const {
  const Way outward = track.across ? (atStart ? Way::Left : Way::Right) : (atStart ? Way::Up : Way::Down);
  const Way back = track.across ? (atStart ? Way::Right : Way::Left) : (atStart ? Way::Down : Way::Up);
  const char32_t code = cells_.Shape(side.column, side.row);
  // Box drawing says the run crosses ("┼"), and so does the run's own
  // character in the side ("|" in "+---|---+"); an ASCII "+" may be a corner.
  const bool drawing = ArtCharacter::IsBoxDrawing(code);
  const bool ownCharacter = !drawing && cells_.RunAt(side.column, side.row, track.across) == track.stroke;
  if ((!drawing || ArtCharacter::ArmsOf(code)[outward] == 0) && !ownCharacter) return std::nullopt;
  const ArtPlan::Cell beyond{2 * side.column - from.column, 2 * side.row - from.row};
  if (!cells_.Inside(beyond.column, beyond.row)) return std::nullopt;
  const RecognizerGrid::Cell& far = cells_.At(beyond.column, beyond.row);
  const bool farAcross = far.use == Use::BoxSide && (far.side == Side::Top || far.side == Side::Bottom);
  if (far.use != Use::BoxCorner && (far.use != Use::BoxSide || farAcross == track.across)) return std::nullopt;
  // The side beyond shows the run arriving: a tee towards it, or a head
  // the run ends in ("┬" or "▲" over "┼").
  const char32_t farCode = cells_.Shape(beyond.column, beyond.row);
  // In ASCII, a "+" in the side beyond, a tee the run leaves it by.
  const bool asciiTee = ownCharacter && farCode == U'+' && far.use == Use::BoxSide;
  const bool arrives =
      (drawing && ArtCharacter::ArmsOf(farCode)[back] != 0) || asciiTee || ArtCharacter::HeadOf(farCode) == outward;
  const std::optional<Marker> marker = cells_.MarkerAt(beyond.column, beyond.row);
  if (!arrives || !marker) return std::nullopt;
  ArtPlan::End end;
  end.cell = beyond;
  end.marker = *marker;
  return end;
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
  } else if (code != U'v' || outward == Way::Down || TailOnSide(next)) {
    marker = cells_.MarkerAt(next.column, next.row);
  }
  const bool run = ArtCharacter::Run(code, true) || ArtCharacter::Run(code, false);
  if (run && cells_.At(next.column, next.row).use == Use::Free) marker.reset();
  // A letter at a run's end is a head only where it points at something
  // ("A" under a box): with nothing in the two cells past it, or a letter
  // right past it ("Peer" over "A"), it is a name (a lifeline's "A" over its
  // run). A "v" is a head pointing anywhere.
  if (marker && code != 0 && ArtCharacter::IsLetter(code) && code != U'v' && code != U'V') {
    const std::int32_t dc = outward == Way::Left ? -1 : outward == Way::Right ? 1 : 0;
    const std::int32_t dr = outward == Way::Up ? -1 : outward == Way::Down ? 1 : 0;
    auto empty = [&](std::int32_t k) {
      return !cells_.Inside(next.column + dc * k, next.row + dr * k) ||
             cells_.At(next.column + dc * k, next.row + dr * k).code == U' ';
    };
    const bool named = cells_.Inside(next.column + dc, next.row + dr) &&
                       ArtCharacter::IsLetter(cells_.At(next.column + dc, next.row + dr).code);
    if ((empty(1) && empty(2)) || named) marker.reset();
  }
  // One of a row of the same mark a blank apart ("* * * * *", a crontab's
  // fields) is text the line points at, no marker.
  if (marker && code != 0 && !ArtCharacter::HeadOf(code) && !ArtCharacter::IsCorner(code)) {
    std::int32_t same = 1;
    for (const std::int32_t step : {-2, 2}) {
      for (std::int32_t k = next.column + step;
           cells_.Shape(k, next.row) == code && cells_.Shape(k - step / 2, next.row) == U' '; k += step) {
        ++same;
      }
    }
    if (same >= SpacedMarks) marker.reset();
  }
  // A marker wider than a cell ends runs across only.
  if (marker && marker->Width() > 1 && !track.across) marker.reset();
  return marker;
}

void LineFinder::AddLine(const Track& track, const ArtPlan::End& start, const ArtPlan::End& end) {
  const auto index = static_cast<std::int32_t>(plan_.lines.size());
  const std::int32_t from = track.across ? start.cell.column : start.cell.row;
  const std::int32_t to = track.across ? end.cell.column : end.cell.row;
  ClaimRun(track, from, to, index);
  // An end on a "|" leaves it to the run down through it.
  for (const ArtPlan::End* e : {&start, &end}) {
    if (track.across && cells_.Shape(e->cell.column, e->cell.row) == U'|') {
      cells_.At(e->cell.column, e->cell.row).use = Use::Free;
    }
  }
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
    } else if (!track.across && words_.Word(c, r)) {
      // A word written across the run: all of it is the line's label. A lone
      // "V" on the run is no word: it is the run's arrowhead, a dot on it.
      std::int32_t left = c;
      std::int32_t right = c;
      // Punctuation of the word (".into_next()") is the label's too.
      // A copy a lambda may capture: clang 14 captures no structured binding.
      const std::int32_t row = r;
      auto inLabel = [&](std::int32_t w) {
        return cells_.Inside(w, row) && cells_.At(w, row).use == Use::Free && cells_.At(w, row).code != U' ';
      };
      while (inLabel(left - 1)) --left;
      while (inLabel(right + 1)) ++right;
      for (std::int32_t w = left; w <= right; ++w) cells_.At(w, r).use = Use::Label;
    } else if (!cells_.RunAt(c, r, !track.across)) {
      // A crossing stays free for the run across this one.
      cell.use = Use::Line;
    }
  }
}

}  // namespace virlo
