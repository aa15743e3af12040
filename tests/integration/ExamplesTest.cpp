#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "objects/Box.h"
#include "objects/PersistentTypes.h"
#include "objects/Selection.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "script/Script.h"
#include "script/ScriptRunner.h"
#include "support/TempFolder.h"

// The examples are drawn as people draw: every line end on a box's side, or
// stopping one cell before a side it points at, rests or is docked there, so
// a move of any box keeps its lines.
namespace virlo {
namespace {

class ExampleTest : public ::testing::TestWithParam<std::string> {};

TEST_P(ExampleTest, EveryLineEndAtABoxSideFollowsTheBox) {
  RegisterPersistentTypes();
  const test::TempFolder folder(true);
  // The example's save and text print land in the folder.
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.Folder());
  std::ifstream in(std::string(VIRLO_EXAMPLES_DIR "/") + GetParam() + ".script", std::ios::binary);
  std::vector<script::ScriptCommand> commands;
  std::string error;
  ASSERT_TRUE(script::Script::Parse({std::istreambuf_iterator<char>(in), {}}, commands, error)) << error;
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> sink(std::tmpfile(), &std::fclose);
  script::ScriptRunner runner(sink.get(), sink.get());
  ASSERT_TRUE(runner.Start());
  ASSERT_TRUE(runner.Run(commands));
  std::filesystem::current_path(previous);

  Sheet& sheet = *runner.GetDocument().sheet;
  std::vector<Box*> boxes;
  std::vector<Line*> lines;
  List<DrawObj*>::Cursor cursor(sheet.objects);
  for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
    auto* text = dynamic_cast<StrBox*>(obj);
    if (auto* box = dynamic_cast<Box*>(obj); box != nullptr && (text == nullptr || text->frame != 0)) {
      boxes.push_back(box);
    }
    if (auto* line = dynamic_cast<Line*>(obj)) lines.push_back(line);
  }
  for (Line* line : lines) {
    for (LinkPoint* end : {&line->start, &line->end}) {
      for (Box* box : boxes) {
        for (Line* side : {&box->top, &box->left, &box->bottom, &box->right}) {
          if (side->HitTest(end->x, end->y) || end->Facing() == side) {
            EXPECT_EQ(end->hostLine, side) << "the end at (" << end->x << ", " << end->y << ")";
          }
        }
      }
    }
  }
  // Each box moved a cell right and down takes the ends linked to it along;
  // a line from side to side of one box (a class's compartment) is part of
  // the box's drawing and only follows it across itself.
  for (Box* box : boxes) {
    std::vector<std::pair<LinkPoint*, Point>> linked;
    for (Line* line : lines) {
      auto on = [box](const LinkPoint& end) { return end.hostLine != nullptr && end.hostLine->parent == box; };
      if (on(line->start) && on(line->end)) continue;
      for (LinkPoint* end : {&line->start, &line->end}) {
        if (on(*end)) linked.push_back({end, end->GetPos()});
      }
    }
    Selection selection;
    selection.moving = Selection::Moving::Shift;
    box->Move(selection, sheet.cellWidth, sheet.cellHeight);
    selection.Clear();
    for (const auto& [end, was] : linked) {
      EXPECT_EQ(end->GetPos(), (Point{was.x + sheet.cellWidth, was.y + sheet.cellHeight}));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleTest,
                         ::testing::Values("architecture", "class_diagram", "flowchart", "japanese"));

}  // namespace
}  // namespace virlo
