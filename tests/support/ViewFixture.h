#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "control/CommandIds.h"
#include "control/ViewController.h"
#include "document/Document.h"
#include "objects/PersistentTypes.h"
#include "store/Store.h"
#include "support/RecordingWindow.h"
#include "support/TempFolder.h"
#include "tools/DrawTool.h"

namespace virlo::test {

// A new document shown in one view, driven with the mouse and the commands as
// the desktop program drives it, and a folder for its files.
class ViewFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterPersistentTypes();
    store::SetMaximumUndoOperations(32);
    ASSERT_TRUE(doc.OnNewDocument());
    view = std::make_unique<ViewController>(&doc, &window);
    view->OnActivateView();
  }
  void TearDown() override { view.reset(); }

  // Press, one move and release with the left button.
  void Drag(Point from, Point to) {
    view->OnLButtonDown(MouseKeys::LeftButton, from);
    view->OnMouseMove(MouseKeys::LeftButton, to);
    view->OnLButtonUp(0, to);
  }
  void DrawBox(Point from, Point to) {
    ASSERT_TRUE(view->OnCommand(CommandId::ToolBox));
    Drag(from, to);
  }
  // A click with the select tool.
  void Pick(Point at) {
    ASSERT_TRUE(view->OnCommand(CommandId::ToolSelect));
    Drag(at, at);
  }

  TempFolder folder;
  RecordingWindow window;
  Document doc;
  std::unique_ptr<ViewController> view;
};

}  // namespace virlo::test
