#pragma once

#include "import/ArtPlan.h"
#include "import/RecognizerGrid.h"

namespace virlo {

// For art given back in box drawing: a line or a side shows box drawing
// where it runs, so the art's own ASCII there ("-|+=:.'") is kept in front
// of it as text, and both styles come back.
class AsciiCover {
 public:
  AsciiCover(RecognizerGrid& cells, const ArtPlan& plan) : cells_(cells), plan_(plan) {}
  void Run();

 private:
  RecognizerGrid& cells_;
  const ArtPlan& plan_;
};

}  // namespace virlo
