#include "app/GuiScript.h"

#include <QTest>

#include "app/MainWindow.h"
#include "control/CommandIds.h"
#include "platform/QueuedDialogRunner.h"
#include "script/Script.h"
#include "script/ScriptRunner.h"
#include "tools/DrawTool.h"
#include "view/SheetView.h"

namespace virlo::test {
namespace {

Qt::KeyboardModifiers Modifiers(std::uint32_t mods) {
  Qt::KeyboardModifiers result;
  if ((mods & MouseKeys::Shift) != 0) result |= Qt::ShiftModifier;
  if ((mods & MouseKeys::Control) != 0) result |= Qt::ControlModifier;
  return result;
}

QPoint Client(SheetView* view, std::int32_t x, std::int32_t y) { return view->ViewportPoint({x, y}); }

void Move(QWidget* widget, QPoint at, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  // QTest::mouseMove cannot carry held buttons; send the event itself.
  QMouseEvent event(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, buttons, modifiers);
  QApplication::sendEvent(widget, &event);
}

}  // namespace

std::string PlayScript(MainWindow& frame, QueuedDialogRunner& dialogs, const std::string& source) {
  std::vector<script::ScriptCommand> commands;
  std::string error;
  if (!script::Script::Parse(source, commands, error)) return error;
  using Kind = script::ScriptCommand::Kind;
  for (const script::ScriptCommand& c : commands) {
    SheetView* view = frame.ActiveView();
    if (view == nullptr) return "line " + std::to_string(c.line) + ": no view";
    QWidget* target = view->viewport();
    const Qt::KeyboardModifiers mods = Modifiers(c.modifiers);
    const bool right = c.kind == Kind::RightPress || c.kind == Kind::RightRelease;
    const Qt::MouseButton button = right ? Qt::RightButton : Qt::LeftButton;
    switch (c.kind) {
      case Kind::Tool:
      case Kind::Command:
        frame.Dispatch(c.commandId);
        break;
      case Kind::Press:
      case Kind::RightPress:
        QTest::mousePress(target, button, mods, Client(view, c.x0, c.y0));
        break;
      case Kind::Move:
        Move(target, Client(view, c.x0, c.y0), Qt::LeftButton, mods);
        break;
      case Kind::Release:
      case Kind::RightRelease:
        QTest::mouseRelease(target, button, mods, Client(view, c.x0, c.y0));
        break;
      case Kind::Drag:
        QTest::mousePress(target, Qt::LeftButton, mods, Client(view, c.x0, c.y0));
        Move(target, Client(view, c.x1, c.y1), Qt::LeftButton, mods);
        QTest::mouseRelease(target, Qt::LeftButton, mods, Client(view, c.x1, c.y1));
        break;
      case Kind::AnswerOk:
      case Kind::AnswerCancel:
      case Kind::AnswerMarker:
      case Kind::AnswerText:
      case Kind::AnswerPrint:
        script::ScriptRunner::QueueAnswer(c, dialogs);
        break;
      case Kind::TextPrint:
        frame.Dispatch(CommandId::FilePrint);
        break;
      case Kind::Stroke:
      case Kind::Corners:
        // The Format command, its dialog answered with the one choice.
        if (!frame.StateOf(CommandId::Format).enabled) break;
        script::ScriptRunner::QueueAnswer(c, dialogs);
        frame.Dispatch(CommandId::Format);
        break;
      case Kind::Key: {
        static constexpr Qt::Key Arrows[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down};
        QTest::keyClick(view, Arrows[c.x0], mods);
        break;
      }
      case Kind::Show:
      case Kind::State:
      case Kind::Save:
      case Kind::Open:
        break;
    }
  }
  return {};
}

}  // namespace virlo::test
