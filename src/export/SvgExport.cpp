#include "export/SvgExport.h"

#include <algorithm>
#include <cstdint>

#include "export/SvgDeviceContext.h"
#include "objects/Sheet.h"

namespace virlo {
namespace {

std::int32_t FloorTo(std::int32_t value, std::int32_t step) {
  const std::int32_t q = value / step;
  return (q * step > value ? q - 1 : q) * step;
}

std::int32_t CeilTo(std::int32_t value, std::int32_t step) {
  const std::int32_t q = value / step;
  return (q * step < value ? q + 1 : q) * step;
}

}  // namespace

bool SvgExport::Write(const Sheet& sheet, Area area, Frame frame, const Sink& sink) {
  const bool grid = sheet.cellWidth > 0 && sheet.cellHeight > 0;
  // The grid's whole cells, as many as the text print writes; with the
  // border, the sheet and the border's line, as the editor shows them.
  Rect page = grid ? Rect{0, 0, sheet.width / sheet.cellWidth * sheet.cellWidth,
                          sheet.height / sheet.cellHeight * sheet.cellHeight}
                   : Rect{};
  if (frame == Frame::Shown) page = Rect{0, 0, std::max(0, sheet.width) + 1, std::max(0, sheet.height) + 1};
  const Font cellFont{"", grid ? sheet.cellHeight : 16, true};
  // Text boxes select the application's text font when there is one.
  auto paint = [&](SvgDeviceContext& dc) {
    // Text beyond the picture is never written, however much a box holds.
    if (grid) dc.CutTextAt(page);
    if (frame == Frame::Shown) {
      sheet.Draw(dc);
    } else {
      sheet.DrawObjects(dc);
    }
  };

  Rect view = page;
  // The border frames the sheet: a picture with it is the sheet's.
  if (area == Area::Drawing && frame == Frame::Hidden) {
    // The picture's size comes first and depends on all that is painted:
    // painted once for it, nothing kept, then again as it is written.
    SvgDeviceContext measure(cellFont);
    measure.WriteTo([](std::string_view) { return true; });
    paint(measure);
    view = Rect{};
    const Rect drawn = measure.Bounds();
    if (measure.Painted() && grid) {
      const Rect cells{FloorTo(std::max(drawn.left, page.left), sheet.cellWidth),
                       FloorTo(std::max(drawn.top, page.top), sheet.cellHeight),
                       CeilTo(std::min(drawn.right, page.right), sheet.cellWidth),
                       CeilTo(std::min(drawn.bottom, page.bottom), sheet.cellHeight)};
      if (cells.left < cells.right && cells.top < cells.bottom) view = cells;
    }
  }
  const std::string x = std::to_string(view.left);
  const std::string y = std::to_string(view.top);
  const std::string width = std::to_string(std::int64_t{view.right} - view.left);
  const std::string height = std::to_string(std::int64_t{view.bottom} - view.top);
  const std::string head =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
      width + "\" height=\"" + height + "\" viewBox=\"" + x + " " + y + " " + width + " " + height + "\" " +
      SvgDeviceContext::FontAttributes(cellFont) + ">\n" + "<rect x=\"" + x + "\" y=\"" + y + "\" width=\"" + width +
      "\" height=\"" + height + "\" fill=\"#ffffff\"/>\n";
  if (!sink(head)) return false;
  SvgDeviceContext dc(cellFont);
  dc.WriteTo(sink);
  paint(dc);
  return dc.Finish() && sink("</svg>\n");
}

std::string SvgExport::Render(const Sheet& sheet, Area area, Frame frame) {
  std::string svg;
  Write(sheet, area, frame, [&svg](std::string_view piece) {
    svg.append(piece);
    return true;
  });
  return svg;
}

}  // namespace virlo
