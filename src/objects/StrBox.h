#pragma once

#include <string>

#include "model/String.h"
#include "objects/Box.h"

namespace virlo {

// A text box: a box holding multi-line text (UTF-8, lines separated by CR
// LF) with an alignment and a frame switch. Its characters take the cells
// CharacterCell gives them. It sizes itself to its text from its first corner.
class StrBox : public Box {
 public:
  enum Alignment : std::int32_t { AlignLeft = 0, AlignCentre = 1, AlignRight = 2 };

  StrBox(Sheet* sheet, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, const String& text,
         DrawObj* parent);
  StrBox(const StrBox& source, Sheet* sheet, DrawObj* parent);
  explicit StrBox(store::Blank b) : Box(b), str(b) {}
  ~StrBox() override;

  static const store::TypeDescription& Type();
  void DescribeFields(store::FieldVisitor& visitor);

  bool SelectAndRedraw(Selection& selection) override;
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

  // The persistent layout, after the box's, in declaration order.
  String str;
  std::int32_t frame = 0;
  std::int32_t alignment = AlignLeft;
};

}  // namespace virlo
