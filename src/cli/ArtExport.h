#pragma once

#include <cstdint>
#include <string>

namespace virlo {
class Canvas;
class Sheet;
}  // namespace virlo

namespace virlo::cli {

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
  // The same for a canvas already rendered (with a line layer for the Unicode style).
  static std::string Format(const Canvas& canvas, const ArtOptions& options);
  // The box-drawing character for a line's cell, in UTF-8: "-" and "|" become
  // runs, a joined end's "+" the corner, tee or cross its arms call for; empty
  // when the byte stays as it is.
  static const char* Glyph(char ch, unsigned arms);
};

}  // namespace virlo::cli
