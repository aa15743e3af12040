#include <gtest/gtest.h>

#include "objects/Line.h"
#include "objects/LinkPoint.h"
#include "support/RecordingDeviceContext.h"
#include "support/SheetFixture.h"

namespace virlo {
namespace {

using LinkPointTest = test::SheetFixture;

// A joined end is painted by itself, unless its partner is current: then it
// hides behind the partner's red.
TEST_F(LinkPointTest, AJoinedEndHidesBehindItsCurrentPartner) {
  Line* across = HLine(12, 52, 24);
  Line* down = Make<Line>(sheet, 52, 24, 52, 88, nullptr, &across->end);
  across->end.marker = 9;
  test::RecordingDeviceContext dc;
  across->end.Draw(dc);
  EXPECT_FALSE(dc.Calls().empty());
  dc.Reset();
  sheet->current = &down->start;
  across->end.Draw(dc);
  EXPECT_TRUE(dc.Calls().empty());
  sheet->current = nullptr;
}

}  // namespace
}  // namespace virlo
