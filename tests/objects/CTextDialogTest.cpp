#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "objects/CTextDialog.h"
#include "objects/Dot.h"
#include "objects/DotSelDialog.h"
#include "objects/StrBox.h"
#include "platform/QueuedDialogRunner.h"
#include "support/SheetFixture.h"

// The text box dialog, and the marker dialog of dots and line ends.
namespace virlo {
namespace {

constexpr std::int32_t kText = 1002;
constexpr std::int32_t kAlignment = 1003;  // the radio group's first button holds the choice
constexpr std::int32_t kFrame = 1009;
constexpr std::int32_t kMarkerList = 1016;

class ObjectDialogTest : public test::SheetFixture {
 protected:
  QueuedDialogRunner runner;
};

TEST_F(ObjectDialogTest, MarkerDialogListsTheMarkersAndOkStoresTheChoiceWhileCancelKeepsIt) {
  // Marker character, blanks, description in code page 932.
  const std::vector<std::string> entries = {"+  \x8C\x8B\x8D\x87",         "-  \x89\xA1\x90\xFC",
                                            "|  \x8F\x63\x90\xFC",         "/  \x8E\xCE\x90\xFC",
                                            "\\  \x8E\xCE\x90\xFC",        ".  \x89\xA1\x93\x5F\x90\xFC",
                                            ":  \x8F\x63\x93\x5F\x90\xFC", "*  \x8D\x95\x8A\xDB",
                                            "O  \x94\x92\x8A\xDB",         "<  \x8D\xB6\x96\xEE",
                                            ">  \x89\x45\x96\xEE",         "^  \x8F\xE3\x96\xEE",
                                            "V  \x89\xBA\x96\xEE",         "A  \x94\x68\x90\xB6",
                                            "<> \x8F\x57\x96\xF1",         "U  \x8A\xD6\x98\x41\x91\xAE\x90\xAB"};
  Dot* dot = Make<Dot>(sheet, 20, 24, 9, nullptr);
  DialogControl shown;
  runner.Cancel();
  runner.Confirm([&](Dialog& d) {
    shown = d.Control(kMarkerList);
    d.Control(kMarkerList).value = 8;
  });
  EXPECT_EQ(dot->Edit()->DoModal(), DialogResult::Cancel);
  EXPECT_EQ(dot->marker, 9);
  EXPECT_EQ(dot->Edit()->DoModal(), DialogResult::Ok);
  EXPECT_EQ(shown.items, entries);
  EXPECT_EQ(shown.value, 9);
  EXPECT_EQ(dot->marker, 8);
  EXPECT_EQ(Row(1), "  O");
  EXPECT_EQ(runner.Opened(), (std::vector<std::int32_t>{140, 140}));
}

TEST_F(ObjectDialogTest, TextDialogOpensWithTheBoxValuesAndOkStoresTheEdits) {
  StrBox* box = Make<StrBox>(sheet, 20, 24, 0, 0, String("hello"), nullptr);
  box->alignment = 1;
  box->frame = 1;
  std::vector<DialogControl> seen;
  runner.Confirm([&](Dialog& d) {
    for (std::int32_t id : {kText, kAlignment, 1004, 1005, kFrame}) seen.push_back(d.Control(id));
    d.Control(kText).text = "ab\r\ncd";
    d.Control(kAlignment).value = 2;
  });
  EXPECT_EQ(box->Edit()->DoModal(), DialogResult::Ok);
  EXPECT_EQ(runner.Opened(), (std::vector<std::int32_t>{135}));
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen[0].text + "/" + std::to_string(seen[0].textLimit), "hello/256");
  EXPECT_TRUE(seen[1].value == 1 && seen[4].value == 1);
  EXPECT_EQ(std::vector<std::int32_t>({seen[1].image, seen[2].image, seen[3].image, seen[4].image}),
            std::vector<std::int32_t>({136, 137, 138, 143}));
  EXPECT_EQ(box->GetText(), "ab\r\ncd");
  EXPECT_EQ(box->alignment, 2);
  EXPECT_EQ(box->OppositeCorner(), (Point{44, 72}));
  EXPECT_EQ(Row(3), "  |cd|");

  runner.Confirm([](Dialog& d) { d.Control(kFrame).value = 0; });
  EXPECT_EQ(box->Edit()->DoModal(), DialogResult::Ok);
  EXPECT_EQ(box->frame, 0);
  EXPECT_FALSE(box->Has(DrawObj::Filled));
  EXPECT_EQ(Row(3), "   cd");
}

TEST_F(ObjectDialogTest, TextDialogCancelRefitsAndOverLongTextIsRefused) {
  StrBox* box = Make<StrBox>(sheet, 20, 24, 0, 0, String("abc"), nullptr);
  box->Resize({20, 24, 100, 120});
  box->frame = 1;
  runner.Cancel();
  EXPECT_EQ(box->Edit()->DoModal(), DialogResult::Cancel);
  EXPECT_EQ(box->OppositeCorner(), (Point{52, 56}));
  EXPECT_TRUE(box->Has(DrawObj::Filled));

  std::string wide;  // 129 double-byte characters: 258 bytes
  for (int i = 0; i < 129; ++i) wide += "\x82\xA0";
  for (const std::string& text : {std::string(257, 'x'), wide, std::string(256, 'y')}) {
    runner.Confirm([&](Dialog& d) { d.Control(kText).text = text; });
    EXPECT_EQ(box->Edit()->DoModal(), text.size() > 256 ? DialogResult::Cancel : DialogResult::Ok);
    EXPECT_EQ(box->GetText(), text.size() > 256 ? "abc" : text);
  }
  ASSERT_EQ(runner.Refusals().size(), 2u);
  EXPECT_FALSE(runner.Refusals().front().empty());
}

}  // namespace
}  // namespace virlo
