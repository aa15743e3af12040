#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "dialogs/MarkerDialog.h"
#include "dialogs/ObjectDialogs.h"
#include "objects/Dot.h"
#include "objects/MarkerTable.h"
#include "platform/QueuedDialogRunner.h"
#include "platform/TextCodec.h"
#include "support/SheetFixture.h"

// The marker dialog of dots and line ends.
namespace virlo {
namespace {

using MarkerDialogTest = test::SheetFixture;

// The dialog lists every marker with its description in code page 932, written
// here in UTF-8 so a mistyped byte in the table cannot hide behind an equally
// mistyped expectation.
TEST_F(MarkerDialogTest, ListsTheMarkersOpensOnTheDotsAndOkStoresTheChoiceWhileCancelKeepsIt) {
  const std::string_view utf8[] = {"+  結合",   "-  横線", "|  縦線", "/  斜線",     "\\  斜線", ".  横点線",
                                   ":  縦点線", "*  黒丸", "O  白丸", "<  左矢",     ">  右矢",  "^  上矢",
                                   "V  下矢",   "A  派生", "<> 集約", "U  関連属性", "   文字"};
  std::vector<std::string> entries;
  for (std::string_view entry : utf8) entries.push_back(TextCodec::Utf8ToCp932(std::string(entry)).value_or("?"));
  QueuedDialogRunner runner;
  Dot* dot = Make<Dot>(sheet, 20, 24, MarkerTable::LeftArrow, nullptr);
  DialogControl shown;
  runner.Cancel();
  runner.Confirm([&](Dialog& d) {
    shown = d.Control(1016);
    d.Control(1016).value = MarkerTable::WhiteCircle;
  });
  EXPECT_EQ(ObjectDialogs::For(*dot)->DoModal(), DialogResult::Cancel);
  EXPECT_EQ(dot->marker, MarkerTable::LeftArrow);
  EXPECT_EQ(ObjectDialogs::For(*dot)->DoModal(), DialogResult::Ok);
  EXPECT_EQ(runner.Opened(), (std::vector<std::int32_t>{140, 140}));
  EXPECT_EQ(shown.items, entries);
  EXPECT_EQ(shown.value, MarkerTable::LeftArrow);
  EXPECT_EQ(dot->marker, MarkerTable::WhiteCircle);
  EXPECT_EQ(Row(1), "  O");
}

// The last entry takes the character in its field: one that prints, alone; a
// table entry chosen later lets it go.
TEST_F(MarkerDialogTest, TheCharacterEntryTakesOnePrintingCharacterAndATableEntryLetsItGo) {
  Dot* dot = Make<Dot>(sheet, 20, 24, MarkerTable::LeftArrow, nullptr);
  auto answer = [&](std::int32_t entry, std::string text) {
    QueuedDialogRunner runner;
    runner.Confirm([=](Dialog& d) {
      d.Control(MarkerDialog::MarkerList).value = entry;
      d.Control(MarkerDialog::CharacterEdit).text = text;
    });
    return ObjectDialogs::For(*dot)->DoModal() == DialogResult::Ok ? "ok" : runner.Refusals().at(0);
  };
  for (const char* refused : {"", "vv", " ", "\u0301", "\x1b"}) {
    EXPECT_NE(answer(MarkerTable::Character, refused), "ok") << refused;
    EXPECT_EQ(dot->marker, MarkerTable::LeftArrow) << refused;
  }
  EXPECT_EQ(answer(MarkerTable::Character, "\u25BC"), "ok");
  EXPECT_EQ(dot->marker, MarkerTable::Character);
  EXPECT_EQ(dot->character, 0x25BC);
  EXPECT_EQ(answer(MarkerTable::UpArrow, "x"), "ok");
  EXPECT_EQ(dot->marker, MarkerTable::UpArrow);
  EXPECT_EQ(dot->character, 0);
}

}  // namespace
}  // namespace virlo
