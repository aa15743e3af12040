#include "objects/DotSelDialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "objects/Dot.h"
#include "objects/Line.h"
#include "platform/QueuedDialogRunner.h"
#include "support/SheetFixture.h"

namespace virlo {
namespace {

constexpr std::int32_t kMarkerList = 1016;

// The picker's lines, in code page 932: marker characters, blanks, description.
const std::vector<std::string> kEntries = {
    "+  \x8C\x8B\x8D\x87",         "-  \x89\xA1\x90\xFC",         "|  \x8F\x63\x90\xFC",
    "/  \x8E\xCE\x90\xFC",         "\\  \x8E\xCE\x90\xFC",        ".  \x89\xA1\x93\x5F\x90\xFC",
    ":  \x8F\x63\x93\x5F\x90\xFC", "*  \x8D\x95\x8A\xDB",         "O  \x94\x92\x8A\xDB",
    "<  \x8D\xB6\x96\xEE",         ">  \x89\x45\x96\xEE",         "^  \x8F\xE3\x96\xEE",
    "V  \x89\xBA\x96\xEE",         "A  \x94\x68\x90\xB6",         "<> \x8F\x57\x96\xF1",
    "U  \x8A\xD6\x98\x41\x91\xAE\x90\xAB",
};

class DotSelDialogTest : public test::SheetFixture {};

TEST_F(DotSelDialogTest, EditOfADotOrALineEndGivesTheMarkerPicker) {
  Dot* dot = Make<Dot>(sheet, 20, 24, 9, nullptr);
  std::unique_ptr<Dialog> dialog = dot->Edit();
  auto* picker = dynamic_cast<DotSelDialog*>(dialog.get());
  ASSERT_NE(picker, nullptr);
  EXPECT_EQ(picker->GetDot(), dot);
  EXPECT_EQ(dialog->TemplateId(), 140);

  Line* line = Make<Line>(sheet, 20, 56, 52, 56, nullptr, nullptr);
  std::unique_ptr<Dialog> endDialog = line->end.Edit();
  auto* endPicker = dynamic_cast<DotSelDialog*>(endDialog.get());
  ASSERT_NE(endPicker, nullptr);
  EXPECT_EQ(endPicker->GetDot(), &line->end);
  EXPECT_EQ(endDialog->TemplateId(), 140);
  // A line itself has no dialog.
  EXPECT_EQ(line->Edit().get(), nullptr);
}

TEST_F(DotSelDialogTest, OpensWithTheTableAndTheDotsMarkerSelected) {
  Dot* dot = Make<Dot>(sheet, 20, 24, 9, nullptr);
  std::unique_ptr<Dialog> dialog = dot->Edit();
  QueuedDialogRunner runner;
  std::vector<std::string> shown;
  std::int32_t selected = -1;
  runner.Confirm([&](Dialog& d) {
    shown = d.Control(kMarkerList).items;
    selected = d.Control(kMarkerList).value;
  });
  EXPECT_EQ(dialog->DoModal(), DialogResult::Ok);
  EXPECT_EQ(shown, kEntries);
  EXPECT_EQ(selected, 9);
  EXPECT_EQ(dot->marker, 9);
  EXPECT_EQ(runner.Opened(), (std::vector<std::int32_t>{140}));
}

TEST_F(DotSelDialogTest, OkStoresTheChosenMarkerAndCancelKeepsTheOldOne) {
  Dot* dot = Make<Dot>(sheet, 20, 24, 9, nullptr);
  QueuedDialogRunner runner;
  runner.Cancel();
  {
    std::unique_ptr<Dialog> dialog = dot->Edit();
    EXPECT_EQ(dialog->DoModal(), DialogResult::Cancel);
  }
  EXPECT_EQ(dot->marker, 9);

  runner.Confirm([](Dialog& d) { d.Control(kMarkerList).value = 8; });
  {
    std::unique_ptr<Dialog> dialog = dot->Edit();
    EXPECT_EQ(dialog->DoModal(), DialogResult::Ok);
  }
  EXPECT_EQ(dot->marker, 8);
  EXPECT_EQ(Row(1), "  O");

  // A line end takes the chosen marker into the character art.
  Line* line = Make<Line>(sheet, 20, 56, 52, 56, nullptr, nullptr);
  runner.Confirm([](Dialog& d) { d.Control(kMarkerList).value = 10; });
  {
    std::unique_ptr<Dialog> dialog = line->end.Edit();
    EXPECT_EQ(dialog->DoModal(), DialogResult::Ok);
  }
  EXPECT_EQ(line->end.marker, 10);
  EXPECT_EQ(line->start.marker, 0);
  EXPECT_EQ(Row(3), "  +--->");
  EXPECT_EQ(runner.Pending(), 0u);
}

}  // namespace
}  // namespace virlo
