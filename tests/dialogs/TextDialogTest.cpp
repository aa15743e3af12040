#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/ObjectDialogs.h"
#include "dialogs/TextDialog.h"
#include "objects/StrBox.h"
#include "platform/QueuedDialogRunner.h"
#include "support/SheetFixture.h"

// The text box dialog, by the named ids of its template.
namespace virlo {
namespace {

using Ids = TextDialog;

class TextDialogTest : public test::SheetFixture {
 protected:
  QueuedDialogRunner runner;
};

TEST_F(TextDialogTest, OpensWithTheBoxValuesAndOkStoresTheEdits) {
  StrBox* box = Text(20, 24, "hello");
  box->alignment = StrBox::AlignCentre;
  box->frame = 1;
  std::vector<DialogControl> seen;
  runner.Confirm([&](Dialog& d) {
    for (std::int32_t id : {Ids::TextEdit, Ids::LeftButton, Ids::CentreButton, Ids::RightButton, Ids::FrameButton})
      seen.push_back(d.Control(id));
    d.Control(Ids::TextEdit).text = "ab\r\ncd";
    d.Control(Ids::LeftButton).value = StrBox::AlignRight;  // the group's first button holds the choice
  });
  EXPECT_EQ(ObjectDialogs::For(*box)->DoModal(), DialogResult::Ok);
  EXPECT_EQ(runner.Opened(), (std::vector<std::int32_t>{Ids::TemplateId}));
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

  runner.Confirm([](Dialog& d) { d.Control(Ids::FrameButton).value = 0; });
  EXPECT_EQ(ObjectDialogs::For(*box)->DoModal(), DialogResult::Ok);
  EXPECT_EQ(box->frame, 0);
  EXPECT_FALSE(box->Has(DrawObj::Filled));
  EXPECT_EQ(Row(3), "   cd");
}

TEST_F(TextDialogTest, CancelRefitsTheBox) {
  StrBox* box = Text(20, 24, "abc");
  box->Resize({20, 24, 100, 120});
  box->frame = 1;
  runner.Cancel();
  EXPECT_EQ(ObjectDialogs::For(*box)->DoModal(), DialogResult::Cancel);
  EXPECT_EQ(box->OppositeCorner(), (Point{52, 56}));
  EXPECT_TRUE(box->Has(DrawObj::Filled));
}

// What OK refuses, with a message, keeping the box's text: more than 256
// characters (a line break counts two), text that is no UTF-8, and
// characters a terminal would act on, which line breaks are not; a refusal
// names the character.
TEST_F(TextDialogTest, OkRefusesTooLongTextAndControlCharacters) {
  std::string wide;
  for (int i = 0; i < 256; ++i) wide += "あ";
  const std::pair<std::string, std::string> rows[] = {{std::string(257, 'x'), "256 文字以内で入力してください。"},
                                                      {wide + "a", "256 文字以内で入力してください。"},
                                                      {std::string(126, 'x') + "\r\n" + std::string(128, 'y'), ""},
                                                      {"bell\a", "文字列に制御文字 U+0007 は使えません。"},
                                                      {"escape\x1B[2J", "文字列に制御文字 U+001B は使えません。"},
                                                      {"csi\u009B2J", "文字列に制御文字 U+009B は使えません。"},
                                                      {"bare\rcarriage", "文字列に制御文字 U+000D は使えません。"},
                                                      {"a\tb", "文字列にタブは使えません。"},
                                                      {"\x82\xA0", "文字列が UTF-8 ではありません。"},
                                                      {std::string(256, 'y'), ""},
                                                      {wide, ""},
                                                      {"Größe café →\r\n•Head•\n日本", ""}};
  StrBox* box = Text(20, 24, "abc");
  for (const auto& [text, refusal] : rows) {
    const bool taken = refusal.empty();
    const std::string before = box->GetText();
    const std::size_t refusals = runner.Refusals().size();
    runner.Confirm([&text](Dialog& d) { d.Control(Ids::TextEdit).text = text; });
    EXPECT_EQ(ObjectDialogs::For(*box)->DoModal(), taken ? DialogResult::Ok : DialogResult::Cancel) << text;
    ASSERT_EQ(runner.Refusals().size(), refusals + (taken ? 0U : 1U)) << text;
    if (!taken) {
      EXPECT_EQ(runner.Refusals().back(), refusal) << text;
    }
    EXPECT_EQ(box->GetText(), taken ? text : before) << text;
  }
}

}  // namespace
}  // namespace virlo
