#include <gtest/gtest.h>

#include "control/ScreenArt.h"
#include "model/Sheet.h"
#include "objects/StrBox.h"
#include "platform/TextCodec.h"
#include "store/Store.h"
#include "support/ViewFixture.h"

// The character art a view shows in place of the shapes, with what is picked marked.
namespace virlo {
namespace {

using Mark = ScreenArt::Mark;

class ScreenArtTest : public test::ViewFixture {
 protected:
  // The marks of a row's characters, one letter each: '.' none, 's' selected, 'c' current.
  static std::string Marks(const ScreenArt& art, std::int32_t row, std::int32_t from, std::int32_t to) {
    std::string marks;
    for (const ScreenArt::Cell& cell : art.Row(row)) {
      if (cell.column < from || cell.column >= to) continue;
      marks += cell.mark == Mark::Current ? 'c' : cell.mark == Mark::Selected ? 's' : '.';
    }
    return marks;
  }
};

TEST_F(ScreenArtTest, ShowsTheSheetsTextCellForCellWithDoubleByteCharactersTakingTwo) {
  DrawBox({20, 24}, {100, 88});
  ASSERT_TRUE(view->OnCommand(CommandId::ToolLine));
  Drag({100, 56}, {196, 56});
  // "A" and two double-byte characters (あ, 漢) and a cut-off lead byte at the row's end.
  store::New<StrBox>(doc.GetDatabase(), doc.sheet, 220, 120, 0, 0, String("A\x82\xA0\x8A\xBF"), nullptr);
  store::New<StrBox>(doc.GetDatabase(), doc.sheet, 612, 152, 0, 0, String("\x82\xA0"), nullptr);
  const ScreenArt art(*doc.sheet);
  const std::string text = doc.sheet->MakeText();
  ASSERT_EQ(art.Rows(), 64);
  EXPECT_EQ(art.Text(), TextCodec::Cp932ToUtf8(text));
  for (std::int32_t row = 0; row < art.Rows(); ++row) {
    std::int32_t next = 0;
    for (const ScreenArt::Cell& cell : art.Row(row)) {
      EXPECT_EQ(cell.column, next) << row;
      next += cell.width;
    }
    EXPECT_EQ(next, 78) << row;
  }
  const std::vector<ScreenArt::Cell>& japanese = art.Row(8);
  std::vector<std::pair<std::int32_t, std::string>> written;
  for (const ScreenArt::Cell& cell : japanese) {
    if (cell.text != " ") written.emplace_back(cell.column, cell.text);
  }
  EXPECT_EQ(written, (std::vector<std::pair<std::int32_t, std::string>>{{28, "A"}, {29, "あ"}, {31, "漢"}}));
  EXPECT_EQ(art.Row(10).back().text, "?");  // half a character at the row's end
  EXPECT_EQ(art.Row(10).back().column, 77);
  EXPECT_EQ(art.Row(3).at(12).text, "+");  // the line joined to the box's side
}

TEST_F(ScreenArtTest, MarksWhatTheSelectedSetAndTheCurrentObjectWrite) {
  DrawBox({20, 24}, {60, 56});
  ASSERT_TRUE(view->OnCommand(CommandId::ToolLine));
  Drag({100, 104}, {196, 104});
  ASSERT_TRUE(view->OnCommand(CommandId::ToolSelect));
  EXPECT_EQ(Marks(ScreenArt(*doc.sheet), 1, 0, 30), std::string(30, '.'));
  Drag({4, 8}, {68, 72});  // the band takes the box
  ScreenArt selected(*doc.sheet);
  EXPECT_EQ(Marks(selected, 1, 0, 10), "..ssssss..");
  EXPECT_EQ(Marks(selected, 2, 0, 10), "..s....s..");  // its blank inside stays unmarked
  EXPECT_EQ(Marks(selected, 6, 10, 26), std::string(16, '.'));
  Pick({140, 104});  // the line alone
  ScreenArt current(*doc.sheet);
  EXPECT_EQ(Marks(current, 1, 0, 10), "..........");
  EXPECT_EQ(Marks(current, 6, 11, 26), ".ccccccccccccc.");
}

}  // namespace
}  // namespace virlo
