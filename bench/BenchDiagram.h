#pragma once

#include <string>

#include "document/Document.h"

namespace virlo::bench {

// The centre of column c and of row r of the standard grid, in drawing units.
constexpr int Cell(int c) { return c * 8 + 4; }
constexpr int Row(int r) { return r * 16 + 8; }

// A document holding about `objects` objects: networks of joined lines with
// T-junctions, boxes, framed and unframed text boxes, and dots resting on
// lines, laid out in a grid of small tiles, 25 a row on a 256 x 256-cell
// sheet up to 1,500 tiles (12,000 objects), else 125 a row on a sheet as
// large as they need (1,250 x 400 cells for 100,000 objects).
struct Diagram {
  explicit Diagram(int objects);
  Document doc;
};

// One diagram of each size, made on first use and kept for the whole run.
Diagram& Shared(int objects);

// What importing a square block of "+" characters `side` a side makes: the
// one-cell boxes between neighbouring corners, (side - 1) x (side - 2) of
// them (127 x 126 = 16,002 for 128, 255 x 254 = 64,770 for 256), on a
// 256 x 256-cell sheet; neighbours' sides lie on each other, unjoined.
struct BoxBlock {
  explicit BoxBlock(int side);
  Document doc;
};

// A text of `rows` rows of `bytes` bytes of code page 932 with CR LF between
// them: words of seven letters and a blank, or kana without a blank (two
// bytes each; `bytes` even).
std::string BlockText(int rows, int bytes, bool kana);

// What a new document's 78 x 64-cell sheet shows of a text in a box at its
// second cell: its first `rows` lines cut to `bytes` bytes each.
std::string ShownPart(const std::string& text, int bytes, int rows);

// A new document holding one framed text box at the sheet's second cell.
struct TextBoxDocument {
  explicit TextBoxDocument(const std::string& text);
  Document doc;
};

}  // namespace virlo::bench

// The sizes every benchmark runs at.
#define VIRLO_SIZES Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)
