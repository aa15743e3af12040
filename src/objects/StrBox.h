#pragma once

#include <functional>
#include <string>

#include "model/String.h"
#include "objects/Box.h"

namespace virlo {

// A text box: a box holding multi-line text (UTF-8, lines separated by CR
// LF) with an alignment and a frame switch. Its characters take the cells
// CharacterCell gives them. It sizes itself to its text from its first
// corner. A text box without a frame may rest on a line it touches, as a
// dot does: a label, carried when the line moves.
class StrBox : public Box {
 public:
  enum Alignment : std::int32_t { AlignLeft = 0, AlignCentre = 1, AlignRight = 2 };

  // The limits of a box's text. Typed (the text dialog, typing in place):
  // at most this many characters, a line break (CR LF) counting two.
  static constexpr std::int32_t MaxTypedText = 256;
  // Held, in bytes of UTF-8, its NUL aside: what an import makes of the
  // largest art it reads, 256 rows of 256 cells, each a character of up to
  // four bytes, with CR LF between them. The most an older document's code
  // page 932 text (a byte a cell) becomes stays within it. Documents holding
  // more are refused, so that no paint or export of a text takes longer.
  static constexpr std::int32_t MaxText = 4 * 256 * 256 + 255 * 2;

  StrBox(Sheet* sheet, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, const String& text,
         DrawObj* parent);
  StrBox(const StrBox& source, Sheet* sheet, DrawObj* parent);
  explicit StrBox(store::Blank b) : Box(b), str(b) {}
  ~StrBox() override;

  static const store::TypeDescription& Type();
  void DescribeFields(store::FieldVisitor& visitor);

  // Settles the rest on a line as a dot settles: what joins now looks again.
  bool Select(Selection& selection) override;
  bool SelectAndRedraw(Selection& selection) override;
  // Only a framed text box carries what lies inside its frame.
  bool CarriesContents() const override { return frame != 0; }
  DrawObj* Clone(Sheet* target) const override;
  bool HitTest(std::int32_t x, std::int32_t y) const override;
  std::size_t HitAreas(HitAreaList& areas) const override { return DrawObj::HitAreas(areas); }
  void Draw(DeviceContext& dc) const override;
  // Where the text is drawn: half a cell inside the corners.
  Rect TextRect() const;
  void RenderText(Canvas& canvas) const override;

  // The line starting at pos; pos moves on to the next line. After the last
  // line every call gives an empty line.
  String GetTextLine(std::int32_t& pos) const;
  // The same line as a view of the text, without making a String.
  std::string_view TextLineAt(std::int32_t& pos) const;
  // Resizes the box to its text, keeping the first corner.
  void FitToText();
  std::string GetText() const { return std::string(str.View()); }
  void SetText(const char* chars);
  // No text, or only blanks and line breaks: nothing to see, so nothing to keep.
  bool IsEmpty() const;
  // Sets or clears Filled in the box's own flags to match the frame switch.
  void SyncFilled();

  // Rests the text on a line it touches, keeping the line it rests on while
  // it touches it, or lets go of one it no longer touches. Only a free line
  // is rested on, never a box's side, and a framed text box rests on none.
  // A line `allowed` refuses is passed over.
  void SettleRest(const std::function<bool(const Line&)>& allowed = {});
  // Rests on the line (null: on none), standing in its list of what rests on it.
  void SetRest(Line* line);
  // The cells the text is written in: the frame's inside, in cell columns
  // and rows (right and bottom outside, as for every Rect).
  Rect TextCells() const;
  // How the text lies by the line: 0 when the line runs through its cells,
  // 1 when it runs in the row just above or below them (a horizontal line)
  // or the column just left or right of them (a vertical one), within their
  // span; Line::NotBeside otherwise.
  std::int32_t Touching(const Line& line) const;

  // The persistent layout, after the box's, in declaration order.
  String str;
  std::int32_t frame = 0;
  std::int32_t alignment = AlignLeft;
  // The line the text rests on, or null.
  Line* restLine = nullptr;
};

}  // namespace virlo
