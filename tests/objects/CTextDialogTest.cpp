#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "objects/CTextDialog.h"
#include "objects/StrBox.h"
#include "platform/QueuedDialogRunner.h"
#include "support/SheetFixture.h"

// The text box dialog, by the control ids of its template.
namespace virlo {
namespace {

constexpr std::int32_t kText = 1002;
constexpr std::int32_t kAlignment = 1003;  // the radio group's first button holds the choice
constexpr std::int32_t kFrame = 1009;

class CTextDialogTest : public test::SheetFixture {
 protected:
  QueuedDialogRunner runner;
};

TEST_F(CTextDialogTest, OpensWithTheBoxValuesAndOkStoresTheEdits) {
  StrBox* box = Text(20, 24, "hello");
  box->alignment = StrBox::AlignCentre;
  box->frame = 1;
  std::vector<DialogControl> seen;
  runner.Confirm([&](Dialog& d) {
    for (std::int32_t id : {kText, kAlignment, 1004, 1005, kFrame}) seen.push_back(d.Control(id));
    d.Control(kText).text = "ab\r\ncd";
    d.Control(kAlignment).value = StrBox::AlignRight;
  });
  EXPECT_EQ(box->Edit()->DoModal(), DialogResult::Ok);
  EXPECT_EQ(runner.Opened(), (std::vector<std::int32_t>{135}));
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen[0].text, "hello");
  EXPECT_EQ(seen[0].textLimit, 256);
  EXPECT_EQ(seen[1].value, StrBox::AlignCentre);
  EXPECT_EQ(seen[4].value, 1);
  EXPECT_EQ(std::vector<std::int32_t>({seen[1].image, seen[2].image, seen[3].image, seen[4].image}),
            std::vector<std::int32_t>({136, 137, 138, 143}));
  EXPECT_EQ(box->GetText(), "ab\r\ncd");
  EXPECT_EQ(box->alignment, StrBox::AlignRight);
  EXPECT_EQ(box->OppositeCorner(), (Point{44, 72}));
  EXPECT_EQ(Row(3), "  |cd|");

  runner.Confirm([](Dialog& d) { d.Control(kFrame).value = 0; });
  EXPECT_EQ(box->Edit()->DoModal(), DialogResult::Ok);
  EXPECT_EQ(box->frame, 0);
  EXPECT_FALSE(box->Has(DrawObj::Filled));
  EXPECT_EQ(Row(3), "   cd");
}

TEST_F(CTextDialogTest, CancelRefitsAndOverLongTextIsRefused) {
  StrBox* box = Text(20, 24, "abc");
  box->Resize({20, 24, 100, 120});
  box->frame = 1;
  runner.Cancel();
  EXPECT_EQ(box->Edit()->DoModal(), DialogResult::Cancel);
  EXPECT_EQ(box->OppositeCorner(), (Point{52, 56}));
  EXPECT_TRUE(box->Has(DrawObj::Filled));

  // The limit counts bytes: 129 double-byte characters are too many.
  std::string wide;
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
