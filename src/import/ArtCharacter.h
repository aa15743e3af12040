#pragma once

#include <cstdint>
#include <optional>

#include "import/ArtPlan.h"
#include "model/Stroke.h"

namespace virlo {

// What one character of character art can stand for in a diagram: a run of
// a line and its stroke, a corner where runs meet, an arrowhead, a marker.
// Every character the importer reads as a shape is known here, ASCII and
// box drawing alike, so a new shape starts here (docs/developing.md).
class ArtCharacter {
 public:
  // The four ways out of a cell.
  enum class Way : std::uint8_t { Left = 0, Right = 1, Up = 2, Down = 3 };
  // The weight of a box-drawing character's arm, as the canvas's line
  // layer weighs it (Canvas::Weight): 0 none, 1 light, 2 heavy, 3 double.
  struct Arms {
    std::uint8_t weight[4] = {0, 0, 0, 0};
    bool rounded = false;
    std::uint8_t operator[](Way way) const { return weight[static_cast<std::size_t>(way)]; }
    bool Any() const { return weight[0] + weight[1] + weight[2] + weight[3] > 0; }
    // Arms all four ways: a crossing ("┼", "╋", "╬").
    bool Crossing() const { return weight[0] != 0 && weight[1] != 0 && weight[2] != 0 && weight[3] != 0; }
  };

  // The stroke of a run across ("-", "=", "─", "━", "═", "┄") or down ("|",
  // ":", "│", "┃", "║", "┆"); nothing for any other character.
  static std::optional<Stroke> Run(char32_t code, bool across);
  // A box-drawing character's arms; none for any other character.
  static Arms ArmsOf(char32_t code);
  // Where a horizontal and a vertical run may meet at a right angle: "+",
  // the box-drawing corners, tees and crossings, the rounded corners
  // "╭╮╰╯", and ". , ' ` / \".
  static bool IsCorner(char32_t code);
  // A box's rounded corner: "." or "'" in ASCII, "╭╮╰╯".
  static bool IsRoundedCorner(char32_t code);
  // The way an arrowhead points: "<" ">" "^" "v" "V" and the Unicode heads
  // and arrows ("▼ ▲ ◀ ▶ ► ◄ → ← ↑ ↓" and the like).
  static std::optional<Way> HeadOf(char32_t code);
  // A character the marker table has as a marker of its own ("+", "O",
  // "*", "<", "A", ...), "<" of "<>" included.
  static bool IsTableMarker(char32_t code);
  // The marker an end or a dot shows as this character: its marker table
  // type where the table has it as this one character, else the character
  // itself. Nothing for a character that cannot be a marker (a blank).
  static std::optional<ArtPlan::Marker> MarkerOf(char32_t code);
  // Letters and digits, and brackets: a letter beside one is part of a word.
  static bool IsWordCharacter(char32_t code);
  static bool IsLetter(char32_t code);
  static bool IsBoxDrawing(char32_t code) { return code >= 0x2500 && code <= 0x257F; }
};

}  // namespace virlo
