#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DeviceContext.h"
#include "platform/GridText.h"

namespace virlo {

// Paints what the objects ask as SVG elements, pixel for pixel where the
// desktop view puts them: one-pixel pens cover the same pixels (LineTo leaves
// out its last point, rectangles their right and bottom edges), and text
// stands on the character grid, each character at its own column, so it
// keeps its cells whatever face the viewer finds (CharacterCell's, as the
// art gives them). Text comes and leaves as UTF-8.
class SvgDeviceContext : public DeviceContext {
 public:
  // Text is drawn in defaultFont while no font is selected.
  explicit SvgDeviceContext(const Font& defaultFont);

  Pen SelectPen(const Pen& pen) override;
  Brush SelectBrush(const Brush& brush) override;
  const Font* SelectFont(const Font* font) override;
  void MoveTo(Point p) override;
  void LineTo(Point p) override;
  void Arc(Point from, Point centre, Point to) override;
  void Ellipse(const Rect& bounds) override;
  void Polygon(std::span<const Point> points) override;
  PolygonFillMode SetPolygonFillMode(PolygonFillMode mode) override;
  void FillRect(const Rect& rect, Color color) override;
  Color SetTextColor(Color color) override;
  BackgroundMode SetBackgroundMode(BackgroundMode mode) override;
  void TextOut(Point p, std::string_view text) override;
  void TextOutUtf8(Point p, std::string_view utf8) override;
  void DrawText(std::string_view text, const Rect& rect, unsigned format) override;

  // Text is written only as far as it shows within the area: rows that
  // begin below it and characters past its left or right edge are left out,
  // so a text far larger than the picture costs what the picture shows.
  void CutTextAt(const Rect& area) { textArea_ = area; }

  // Takes the elements as they are painted, in pieces of many; false stops
  // it being called again.
  using Sink = std::function<bool(std::string_view)>;
  // From now on the elements go to the sink as they are painted, and only
  // those not handed on yet are kept.
  void WriteTo(Sink sink) { sink_ = std::move(sink); }
  // Hands on what is kept; false when the sink refused a piece.
  bool Finish();

  // The elements painted so far and kept, one a line, back to front.
  const std::string& Elements() const { return elements_; }
  // Whether anything was painted, and the smallest rectangle holding it all.
  bool Painted() const { return painted_; }
  Rect Bounds() const { return bounds_; }

  // Text for XML content or a quoted attribute: markup characters escaped,
  // control characters (which XML cannot hold) as '?'.
  static std::string Escape(std::string_view utf8);
  // The attributes that set a core font's family and size; fixed-pitch faces
  // become a fixed-pitch Japanese face, as on screen. Text in the default
  // font goes without them: give them to an enclosing element.
  static std::string FontAttributes(const Font& font);

 private:
  using Glyph = GridText::Glyph;
  using GlyphRow = GridText::GlyphRow;

  const Font& CurrentFont() const { return font_ != nullptr ? *font_ : defaultFont_; }
  double CellAdvance() const;
  void WriteText(const GlyphRow& row, double left, std::int64_t top);
  // One text element for the glyphs [from, to) of a row, one position each.
  void WriteRun(const GlyphRow& row, std::size_t from, std::size_t to, double left, std::int64_t top);
  // A glyph of one character of the first plane: one position in every viewer.
  static bool IsSimple(std::string_view utf8);
  // A row at a reference point, on a white box unless the background is transparent.
  void PlaceRow(const GlyphRow& row, Point p);
  // Hands the kept elements on once they are many.
  void Spill();
  std::string StrokeAttributes() const;
  std::string FillAttribute() const;
  void Include(double left, double top, double right, double bottom);

  Font defaultFont_;
  const Font* font_ = nullptr;
  Pen pen_{1, Color::Black()};
  Brush brush_ = Brush::Solid(Color::White());
  Point position_;
  PolygonFillMode fillMode_ = PolygonFillMode::Alternate;
  Color textColor_ = Color::Black();
  BackgroundMode background_ = BackgroundMode::Opaque;
  std::string elements_;
  Sink sink_;
  bool failed_ = false;
  std::optional<Rect> textArea_;
  int clipPaths_ = 0;
  bool painted_ = false;
  Rect bounds_;
};

}  // namespace virlo
