#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "control/ScreenArt.h"
#include "dialogs/TextDialog.h"
#include "objects/Box.h"
#include "objects/Dot.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "platform/DialogRunner.h"
#include "platform/TextCodec.h"
#include "store/Store.h"
#include "support/RecordingWindow.h"
#include "support/ViewFixture.h"

// The view's handling of mouse input and commands, and the art it shows, on a new document.
namespace virlo {
namespace {

using namespace CommandId;
constexpr std::uint32_t kLeft = MouseKeys::LeftButton;

class ViewControllerTest : public test::ViewFixture {
 protected:
  std::int32_t Markers() const { return doc.GetDatabase()->UndoMarkerCount(); }
};

// The sheet point and the cell of a press and of each drag step are shown,
// not those of a release, of a right press or of moves without a press.
TEST_F(ViewControllerTest, ThePointAndCellOfThePressAndEachDragStepAreShown) {
  std::vector<std::string> shown;
  view->SetPositionDisplay([&](const std::string& text) { shown.push_back(text); });
  view->SetCellDisplay([&](const std::string& text) { shown.push_back(text); });
  view->OnMouseMove(kLeft, {50, 50});
  view->OnRButtonDown(0, {100, 100});
  EXPECT_FALSE(view->HasCapture());
  view->OnLButtonDown(kLeft, {300, 300});
  EXPECT_TRUE(view->HasCapture());
  view->OnMouseMove(kLeft, {100, 47});
  view->OnMouseMove(kLeft, {-1, -17});
  view->OnLButtonUp(0, {-1, -17});
  view->OnMouseMove(kLeft, {7, 16});
  EXPECT_FALSE(view->HasCapture());
  EXPECT_EQ(shown,
            (std::vector<std::string>{" 300, 300", "  37,  18", " 100,  47", "  12,   2", "  -1, -17", "  -1,  -2"}));
  EXPECT_EQ(ViewController::FormatPosition({1000, 5}), "1000,   5");
  EXPECT_EQ(ViewController::CellOf({-8, -16}, 8, 16), (Point{-1, -1}));
  EXPECT_EQ(ViewController::CellOf({5, 5}, 0, 0), (Point{0, 0}));  // a sheet without a grid
}

// A runner that types text boxes in place, as the desktop does when asked:
// it records what was offered and answers as told.
// While it is open, during runs: a dialog opened meanwhile is noted and cancelled.
struct InPlaceRunner : DialogRunner {
  DialogResult Run(Dialog& dialog) override {
    if (open) {
      nested = true;
      return DialogResult::Cancel;
    }
    offered.push_back(dialog.InPlaceOffered());
    open = true;
    if (during) during();
    open = false;
    if (answer == DialogResult::Ok) {
      dialog.Control(TextDialog::TextEdit).text = text;
      dialog.UpdateData(true);
    }
    return answer;
  }
  void Message(const UiText&, const UiText&) override {}
  std::vector<bool> offered;
  DialogResult answer = DialogResult::Cancel;
  std::string text = "ab";
  std::function<void()> during;
  bool open = false;
  bool nested = false;
};

// While a tool's text dialog is open, typed in place or not, nothing else
// reaches the document: every command of its view and of a second view is
// off and refused, and so are undo, their mouse and keys; the tool lives on,
// and the answer is taken. A cancelled new box leaves nothing; the select
// tool's double click opens the text under it, as one undo step, and the
// release that ends the click belongs to no drag.
TEST_F(ViewControllerTest, NothingOvertakesATextDialogAndADoubleClickEditsTheTextUnderIt) {
  InPlaceRunner runner;
  DialogRunner* const previous = DialogRunner::Install(&runner);
  test::RecordingWindow otherWindow;
  ViewController other(&doc, &otherWindow);
  other.OnActivateView();
  ASSERT_TRUE(other.OnCommand(ToolDot));
  const std::int32_t commands[] = {ToolSelect,   ToolDot,    ToolLine,  ToolBox,        ToolStrBox,
                                   EditCopy,     EditCut,    EditPaste, EditDelete,     EditSelectAll,
                                   BringToFront, SendToBack, FilePrint, ClipboardPrint, Format};
  int dialogs = 0;
  runner.during = [&] {
    ++dialogs;
    for (ViewController* each : {view.get(), &other}) {
      for (const std::int32_t id : commands) {
        EXPECT_FALSE(each->UpdateCommand(id).enabled) << id;
        EXPECT_FALSE(each->OnCommand(id)) << id;
      }
      EXPECT_FALSE(each->OnArrowKey(ViewController::ArrowKey::Left, false));
    }
    EXPECT_FALSE(doc.CanUndo() || doc.OnEditUndo());
    other.OnLButtonDown(kLeft, {300, 300});
    other.OnLButtonUp(0, {300, 300});
    view->OnRButtonDown(0, {44, 40});
  };
  ASSERT_TRUE(view->OnCommand(ToolStrBox));
  Drag({44, 40}, {44, 40});  // a new box, cancelled
  EXPECT_EQ(doc.sheet->objects.Count(), 0);
  EXPECT_FALSE(doc.CanUndo());
  runner.answer = DialogResult::Ok;
  Drag({44, 40}, {44, 40});  // a new box, taken
  ASSERT_TRUE(view->OnCommand(ToolSelect));
  runner.text = "cd";
  const std::int32_t markers = Markers();
  view->OnLButtonDblClk(kLeft, {44, 40});  // the box again, taken
  EXPECT_EQ(Markers(), markers + 1);
  EXPECT_FALSE(view->HasCapture());
  view->OnLButtonUp(0, {44, 40});
  runner.answer = DialogResult::Cancel;
  view->OnLButtonDblClk(kLeft, {44, 40});  // and cancelled
  view->OnLButtonUp(0, {44, 40});
  EXPECT_EQ(runner.offered, (std::vector<bool>{true, true, true, true}));
  EXPECT_FALSE(runner.nested);
  ASSERT_EQ(doc.sheet->objects.Count(), 1);
  auto* box = dynamic_cast<StrBox*>(doc.sheet->objects.Front());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->GetText(), "cd");
  // Elsewhere, and with any other tool, a double click is a second press.
  view->OnLButtonDblClk(kLeft, {300, 300});
  EXPECT_TRUE(view->HasCapture());
  view->OnLButtonUp(0, {300, 300});
  ASSERT_TRUE(view->OnCommand(ToolBox));
  view->OnLButtonDblClk(kLeft, {200, 200});
  view->OnMouseMove(kLeft, {240, 232});
  view->OnLButtonUp(0, {240, 232});
  EXPECT_EQ(doc.sheet->objects.Count(), 2);
  EXPECT_EQ(dialogs, 4);
  DialogRunner::Install(previous);
}

// A replaced tool takes its rubber band off the screen (a golden session shows
// a dialog ending the drag).
TEST_F(ViewControllerTest, AReplacedToolTakesItsBandAlong) {
  view->OnLButtonDown(kLeft, {200, 200});
  view->OnMouseMove(kLeft, {260, 280});
  ASSERT_FALSE(window.dragRects.empty());
  EXPECT_NE(window.dragRects.back().newRect, DrawTool::NoBand);
  ASSERT_TRUE(view->OnCommand(ToolLine));
  EXPECT_EQ(window.dragRects.back().newRect, DrawTool::NoBand);
  EXPECT_FALSE(view->HasCapture());
}

// The character art a view shows in place of the shapes (the desktop suite
// checks how what is picked is marked in it).
using ScreenArtTest = test::ViewFixture;

TEST_F(ScreenArtTest, ShowsTheSheetsTextCellForCellWithDoubleByteCharactersTakingTwo) {
  DrawBox({20, 24}, {100, 88});
  ASSERT_TRUE(view->OnCommand(CommandId::ToolLine));
  Drag({100, 56}, {196, 56});
  // "A" and two double-byte characters (あ, 漢), and one cut at the row's end.
  store::New<StrBox>(doc.GetDatabase(), doc.sheet, 220, 120, 0, 0, String("Aあ漢"), nullptr);
  store::New<StrBox>(doc.GetDatabase(), doc.sheet, 612, 152, 0, 0, String("あ"), nullptr);
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
  EXPECT_EQ(art.Row(10).back().text, " ");  // a character cut at the row's end leaves a blank
  EXPECT_EQ(art.Row(10).back().column, 77);
  EXPECT_EQ(art.Row(3).at(12).text, "+");  // the line joined to the box's side
  // A marker's own character that code page 932 lacks shows as itself.
  ASSERT_TRUE(store::New<Dot>(doc.GetDatabase(), doc.sheet, 500, 200, 0, nullptr)->SetCharacter(U'\u256D'));
  EXPECT_EQ(ScreenArt(*doc.sheet).Row(12).at(62).text, "\u256D");
}

}  // namespace
}  // namespace virlo
