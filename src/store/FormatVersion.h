#pragma once

#include <cstdint>

namespace virlo::store {

// The versions of the document file format (PRAGMA user_version). A field
// added in a version is described with FieldVisitor::Since; files of an
// older version lack it, and it reads as zero.
enum FormatVersion : std::int32_t {
  // Dots, lines, boxes and text boxes as first saved.
  FirstFormat = 1,
  // Adds character markers, line strokes and rounded corners.
  StrokesFormat = 2,
  // Adds a text box's rest on a line and the gap a docked end keeps; text
  // boxes hold UTF-8 (before, code page 932 bytes).
  HoldsTogetherFormat = 3,
  // Adds the rows of imported art kept as they were read (tabs, blanks at
  // a line's end).
  KeptRowsFormat = 4,
};

inline constexpr FormatVersion CurrentFormat = KeptRowsFormat;

}  // namespace virlo::store
