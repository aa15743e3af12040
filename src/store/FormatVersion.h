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
  // Adds a text box's rest on a line and the gap a docked end keeps.
  HoldsTogetherFormat = 3,
};

inline constexpr FormatVersion CurrentFormat = HoldsTogetherFormat;

}  // namespace virlo::store
