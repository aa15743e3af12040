#pragma once

#include <cstdint>
#include <string>

#include "model/Canvas.h"
#include "objects/KeptRows.h"

namespace virlo {
class Sheet;
}  // namespace virlo

namespace virlo {

// How `render` writes the art.
struct ArtOptions {
  enum class Style { Ascii, Unicode };
  Style style = Style::Ascii;
  // UTF-8 text; otherwise the code page 932 bytes as the sheet holds them.
  bool utf8 = true;
  // No blanks at the end of a line and no empty lines at the end.
  bool trim = false;
  // As trim, and no empty lines at the start nor the blank columns that
  // every line starts with: the art ready to paste.
  bool crop = false;
  // Written before every line, in the output's encoding.
  std::string prefix;
};

// The character art in the forms `virlo-cli render` offers. The plain form is
// byte for byte the sheet's own text; the others only rewrite it.
class ArtExport {
 public:
  // Each line ends with a line feed. The Unicode style needs UTF-8; with code
  // page 932 output it is drawn as the plain style would be, and a marker's
  // character the code page cannot hold as its substitute, counted in
  // substitutes when given.
  static std::string Render(const Sheet& sheet, const ArtOptions& options, std::int32_t* substitutes = nullptr);
  // The same for a canvas already rendered (with a line layer for the
  // Unicode style); a row kept gives back its bytes where it shows what it
  // showed and the crop took no columns (a tab's width hangs on its column).
  static std::string Format(const Canvas& canvas, const ArtOptions& options, const KeptRows& kept = KeptRows());
  // The box-drawing character for a line's cell, in UTF-8: a run's byte
  // becomes the run of its stroke, a joined end's "+" (or a rounded corner)
  // the corner, tee or cross its arms call for, in their weights; empty when
  // the byte stays as it is.
  static std::string Glyph(char ch, const Canvas::LineCell& cell);
  // The same for light arms (Canvas::Arm bits) and a solid run.
  static std::string Glyph(char ch, unsigned arms);
  // A run's character across or down, a straight join of two arms, and the
  // corner, tee or cross of four (the nearest Unicode has).
  static char32_t Run(Stroke stroke, bool across);
  static char32_t Straight(Canvas::Weight a, Canvas::Weight b, bool across);
  static char32_t Joint(Canvas::Weight left, Canvas::Weight right, Canvas::Weight up, Canvas::Weight down);
};

}  // namespace virlo
