#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace virlo {

class Sheet;

// A diagram as an SVG picture, painted by its objects through the same
// drawing calls the desktop view makes. What is picked or selected is drawn
// as the view draws it (red, blue, handles): clear the selection first for a
// clean picture.
class SvgExport {
 public:
  enum class Area {
    // The sheet's grid, the area the text print covers.
    Sheet,
    // The whole cells of that grid that the painted objects touch.
    Drawing,
  };
  enum class Frame {
    // The paper alone.
    Hidden,
    // The sheet's green border as the editor shows it, on the sheet's right and
    // bottom edges: the sheet's picture grows by its line, and the picture is
    // the sheet's whatever the area.
    Shown,
  };

  // A UTF-8 SVG document: a white page, the objects back to front (not the
  // sheet's border, which only marks the paper's edge on screen), text in a
  // fixed-pitch Japanese face as high as a cell (text boxes in the running
  // application's text font, when it has one). An empty drawing cropped is
  // 0 x 0.
  static std::string Render(const Sheet& sheet, Area area, Frame frame = Frame::Hidden);

  // The same picture handed to the sink piece by piece as it is painted, so
  // that it never lies whole in memory; false as soon as the sink refuses
  // a piece. A cropped picture is painted twice: its size comes first.
  using Sink = std::function<bool(std::string_view)>;
  static bool Write(const Sheet& sheet, Area area, Frame frame, const Sink& sink);
};

}  // namespace virlo
