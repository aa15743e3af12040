#pragma once

#include <cstdint>
#include <limits>
#include <optional>

#include "import/ArtCharacter.h"
#include "import/ArtPlan.h"
#include "import/RecognizerGrid.h"
#include "import/RunWords.h"
#include "model/Stroke.h"

namespace virlo {

// Finds lines, across then down: runs of one stroke (a dashed run "- - -"
// has its character in every other cell and a gap before what it ends
// at), passing over crossings, junctions, markers and labels; an end takes
// the corner, tee or arrowhead beyond it as its marker. A run touching
// nothing is a line from three cells; one that reaches or stops at a box,
// from two. A short run against a word is the word's ("a-b", "--all",
// "p->next").
class LineFinder {
 public:
  LineFinder(RecognizerGrid& cells, ArtPlan& plan) : cells_(cells), plan_(plan), words_(cells) {}
  void Run();

 private:
  // A run of a line found in a row (across) or a column (down): its run
  // cells from first to last along the way, and what lies between them.
  struct Track {
    bool across = true;
    std::int32_t fixed = 0;
    std::int32_t first = 0;
    std::int32_t last = 0;
    Stroke stroke = Stroke::Solid;
    std::int32_t runCells = 0;
    // The run cells of its first and of its last piece (between labels,
    // junctions and the like).
    std::int32_t firstPiece = 0;
    std::int32_t lastPiece = 1;
  };

  ArtPlan::Cell CellOf(const Track& track, std::int32_t along) const {
    return track.across ? ArtPlan::Cell{along, track.fixed} : ArtPlan::Cell{track.fixed, along};
  }
  void FindLines(bool across);
  // Boxes one over the other joined tee to tee with no run between ("┬" in
  // a bottom over "┴" in a top): a line of two cells, an end on each side.
  void FacingTees();
  // The track of the run starting at the given cell: its cells of the
  // stroke and what it passes over between them.
  // It stops before limit, where a run is cut short.
  Track Follow(bool across, std::int32_t fixed, std::int32_t first, Stroke stroke,
               std::int32_t limit = std::numeric_limits<std::int32_t>::max()) const;
  // The short arrows between blanks in row r ("a -> b", "c <- d").
  std::int32_t ArrowsInRow(std::int32_t r) const;
  // What a run down does at words written across it: goes on through them,
  // stops before them (a note cutting a lifeline, a node of a call chain),
  // or goes through them to the corner it turns at right past them.
  enum class WordsDown : std::uint8_t { Through, Stop, ToCorner };
  WordsDown AtWords(const Track& track, std::int32_t along, const ArtPlan::Cell& after, bool fromRun) const;
  // A dashed run's gap at along, and its next dash after it.
  bool Dash(const Track& track, std::int32_t along, Stroke stroke) const;
  // Makes the track a line unless it is too short for one.
  void Keep(const Track& track);
  // How many cells at along a track may pass over before its run goes on
  // at the cell after them: a junction, a crossing, a side, a dot or a
  // label; 0 for none.
  std::int32_t Passable(const Track& track, std::int32_t along) const;
  // A run that crosses a box side next to its end (from) and arrives at the
  // side of another box right beyond it, a box inside a frame ("┬" over
  // "┼"): its end is on that side.
  std::optional<ArtPlan::End> ThroughSide(const Track& track, const ArtPlan::Cell& from, const ArtPlan::Cell& side,
                                          bool atStart) const;
  // The end shows an arrowhead.
  static bool HasHeadMarker(const ArtPlan::End& end);
  ArtPlan::End EndOf(const Track& track, bool atStart) const;
  // The stroke of a stem down through a line's end that leaves it the given
  // way, up or down: a tee or corner a branch of a tree starts at ("├──",
  // "+--", "`--"); nothing where it goes no such way.
  std::optional<Stroke> StemAt(const ArtPlan::Cell& at, ArtCharacter::Way way) const;
  // The stroke a box-drawing character's arm of this weight draws; none for no arm.
  static std::optional<Stroke> StrokeOfArm(std::uint8_t weight);
  // The stroke of a stem starting at a branch's tee with another branch
  // right under it ("├──" over "└──").
  std::optional<Stroke> StemStart(const ArtPlan::Cell& at) const;
  // The arrowhead a run across ends at past a "|" in the next cell ("--|>",
  // "<|--"), pointing out of the run.
  std::optional<ArtPlan::Cell> BarredHead(const Track& track, const ArtPlan::Cell& next, bool atStart) const;
  // A "v" over a run down stands under a box: the head at the run's tail,
  // drawn the way it goes, and no letter.
  bool TailOnSide(const ArtPlan::Cell& head) const;
  // The "|" between the slanted sides of a head of three characters,
  // pointing down ("\|/") or up ("/|\").
  bool HeadOfThree(const ArtPlan::Cell& at, bool down) const;
  // The stroke of a run at a cell the given way: a run of "." across too.
  std::optional<Stroke> RunHere(std::int32_t c, std::int32_t r, bool across) const;
  // A "|" a run across may take as its end: a run down goes on through it,
  // or starts at it where the run across leaves it.
  bool Upright(const ArtPlan::Cell& at, bool leaving) const;
  // The marker a plain end shows: its run's character.
  ArtPlan::Marker OwnMarker(const Track& track, const ArtPlan::Cell& at) const;
  // The cell after a run's end that it ends at: a dashed run leaves a gap
  // before what it ends at.
  ArtPlan::Cell NextCell(const Track& track, bool atStart) const;
  // The marker the cell after an end shows as the end's, if any.
  std::optional<ArtPlan::Marker> NextMarker(const Track& track, const ArtPlan::Cell& next, bool atStart) const;
  void AddLine(const Track& track, const ArtPlan::End& start, const ArtPlan::End& end);
  // Marks the cells of a line's run from its start to its end.
  void ClaimRun(const Track& track, std::int32_t from, std::int32_t to, std::int32_t index);

  RecognizerGrid& cells_;
  ArtPlan& plan_;
  RunWords words_;
};

}  // namespace virlo
