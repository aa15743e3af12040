#include "objects/CTextDialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "objects/StrBox.h"
#include "platform/QueuedDialogRunner.h"
#include "support/SheetFixture.h"

namespace virlo {
namespace {

constexpr std::int32_t kText = 1002;
constexpr std::int32_t kLeft = 1003;
constexpr std::int32_t kCentre = 1004;
constexpr std::int32_t kRight = 1005;
constexpr std::int32_t kFrame = 1009;

class CTextDialogTest : public test::SheetFixture {
 protected:
  StrBox* MakeText(const char* text) { return Make<StrBox>(sheet, 20, 24, 0, 0, String(text), nullptr); }

  static DialogResult Run(StrBox* box) {
    std::unique_ptr<Dialog> dialog = box->Edit();
    return dialog->DoModal();
  }

  QueuedDialogRunner runner;
};

TEST_F(CTextDialogTest, EditGivesTheTextDialogBoundToTheBox) {
  StrBox* box = MakeText("abc");
  std::unique_ptr<Dialog> dialog = box->Edit();
  auto* textDialog = dynamic_cast<CTextDialog*>(dialog.get());
  ASSERT_NE(textDialog, nullptr);
  EXPECT_EQ(textDialog->GetStrBox(), box);
  EXPECT_EQ(dialog->TemplateId(), 135);
  // Building the dialog alone changes nothing.
  EXPECT_EQ(box->GetText(), "abc");
  EXPECT_TRUE(runner.Opened().empty());
}

TEST_F(CTextDialogTest, OpensWithTheBoxValuesImagesAndTextLimit) {
  StrBox* box = MakeText("hello");
  box->alignment = 1;
  box->frame = 1;
  DialogControl text;
  DialogControl left;
  DialogControl centre;
  DialogControl right;
  DialogControl frame;
  runner.Confirm([&](Dialog& d) {
    text = d.Control(kText);
    left = d.Control(kLeft);
    centre = d.Control(kCentre);
    right = d.Control(kRight);
    frame = d.Control(kFrame);
  });
  EXPECT_EQ(Run(box), DialogResult::Ok);
  EXPECT_EQ(runner.Opened(), (std::vector<std::int32_t>{135}));
  EXPECT_EQ(text.text, "hello");
  EXPECT_EQ(text.textLimit, 256);
  EXPECT_EQ(left.value, 1);
  EXPECT_EQ(frame.value, 1);
  EXPECT_EQ(left.image, 136);
  EXPECT_EQ(centre.image, 137);
  EXPECT_EQ(right.image, 138);
  EXPECT_EQ(frame.image, 143);

  // OK without changes keeps everything.
  EXPECT_EQ(box->GetText(), "hello");
  EXPECT_EQ(box->alignment, 1);
  EXPECT_EQ(box->frame, 1);
  EXPECT_TRUE(box->Has(DrawObj::Filled));
  EXPECT_EQ(box->OppositeCorner(), (Point{68, 56}));
}

TEST_F(CTextDialogTest, OkStoresTextAlignmentAndFrame) {
  StrBox* box = MakeText("x");
  box->frame = 1;
  runner.Confirm([](Dialog& d) {
    d.Control(kText).text = "ab\r\ncd";
    d.Control(kLeft).value = 2;
  });
  EXPECT_EQ(Run(box), DialogResult::Ok);
  EXPECT_EQ(box->GetText(), "ab\r\ncd");
  EXPECT_EQ(box->alignment, 2);
  EXPECT_EQ(box->OppositeCorner(), (Point{44, 72}));
  EXPECT_TRUE(box->Has(DrawObj::Filled));
  EXPECT_EQ(Row(2), "  |ab|");
  EXPECT_EQ(Row(3), "  |cd|");

  runner.Confirm([](Dialog& d) { d.Control(kFrame).value = 0; });
  EXPECT_EQ(Run(box), DialogResult::Ok);
  EXPECT_EQ(box->frame, 0);
  EXPECT_EQ(box->flags & DrawObj::Filled, 0u);
  EXPECT_EQ(box->GetText(), "ab\r\ncd");
  EXPECT_EQ(Row(1), "");
  EXPECT_EQ(Row(2), "   ab");
}

TEST_F(CTextDialogTest, CancelKeepsTheValuesButRefitsAndSyncsFilled) {
  StrBox* box = MakeText("abc");
  box->Resize({20, 24, 100, 120});
  box->frame = 1;
  box->alignment = 2;
  ASSERT_FALSE(box->Has(DrawObj::Filled));
  runner.Cancel();
  EXPECT_EQ(Run(box), DialogResult::Cancel);
  EXPECT_EQ(box->GetText(), "abc");
  EXPECT_EQ(box->frame, 1);
  EXPECT_EQ(box->alignment, 2);
  EXPECT_EQ(box->OppositeCorner(), (Point{52, 56}));
  EXPECT_TRUE(box->Has(DrawObj::Filled));

  // Unanswered, the dialog is cancelled after its opening exchange all the same.
  box->frame = 0;
  EXPECT_EQ(Run(box), DialogResult::Cancel);
  EXPECT_FALSE(box->Has(DrawObj::Filled));
}

TEST_F(CTextDialogTest, TextsOverTheByteLimitAreRefused) {
  StrBox* box = MakeText("abc");
  runner.Confirm([](Dialog& d) { d.Control(kText).text = std::string(257, 'x'); });
  EXPECT_EQ(Run(box), DialogResult::Cancel);
  ASSERT_EQ(runner.Refusals().size(), 1u);
  EXPECT_FALSE(runner.Refusals().front().empty());
  EXPECT_EQ(box->GetText(), "abc");
  EXPECT_EQ(box->OppositeCorner(), (Point{52, 56}));

  // The limit counts bytes: 129 double-byte characters are 258 bytes.
  std::string wide;
  for (int i = 0; i < 129; ++i) wide += "\x82\xA0";
  runner.Confirm([&](Dialog& d) { d.Control(kText).text = wide; });
  EXPECT_EQ(Run(box), DialogResult::Cancel);
  EXPECT_EQ(runner.Refusals().size(), 2u);
  EXPECT_EQ(box->GetText(), "abc");

  runner.Confirm([](Dialog& d) { d.Control(kText).text = std::string(256, 'y'); });
  EXPECT_EQ(Run(box), DialogResult::Ok);
  EXPECT_EQ(box->GetText(), std::string(256, 'y'));
  EXPECT_EQ(box->OppositeCorner(), (Point{20 + 8 * 257, 56}));
  EXPECT_EQ(runner.Refusals().size(), 2u);
}

}  // namespace
}  // namespace virlo
