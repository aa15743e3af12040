#include "app/GuiScript.h"

#include <QScrollBar>
#include <QTest>

#include "app/CMainFrame.h"
#include "cli/Script.h"
#include "control/CommandIds.h"
#include "control/PrintDialog.h"
#include "objects/CTextDialog.h"
#include "objects/DotSelDialog.h"
#include "platform/QueuedDialogRunner.h"
#include "tools/DrawTool.h"
#include "view/CPlenkoView.h"

namespace virlo::test {
namespace {

Qt::KeyboardModifiers Modifiers(std::uint32_t mods) {
  Qt::KeyboardModifiers result;
  if ((mods & MouseKeys::Shift) != 0) result |= Qt::ShiftModifier;
  if ((mods & MouseKeys::Control) != 0) result |= Qt::ControlModifier;
  return result;
}

QPoint Client(CPlenkoView* view, std::int32_t x, std::int32_t y) {
  return {x - view->horizontalScrollBar()->value(), y - view->verticalScrollBar()->value()};
}

void Move(QWidget* widget, QPoint at, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  // QTest::mouseMove cannot carry held buttons; send the event itself.
  QMouseEvent event(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, buttons, modifiers);
  QApplication::sendEvent(widget, &event);
}

}  // namespace

std::string PlayScript(CMainFrame& frame, QueuedDialogRunner& dialogs, const std::string& source) {
  std::vector<cli::ScriptCommand> commands;
  std::string error;
  if (!cli::Script::Parse(source, commands, error)) return error;
  using Kind = cli::ScriptCommand::Kind;
  for (const cli::ScriptCommand& c : commands) {
    CPlenkoView* view = frame.ActiveView();
    if (view == nullptr) return "line " + std::to_string(c.line) + ": no view";
    QWidget* target = view->viewport();
    const Qt::KeyboardModifiers mods = Modifiers(c.modifiers);
    switch (c.kind) {
      case Kind::Tool:
      case Kind::Edit:
        frame.Dispatch(c.commandId);
        break;
      case Kind::Undo:
        frame.Dispatch(CommandId::EditUndo);
        break;
      case Kind::Redo:
        frame.Dispatch(CommandId::EditRedo);
        break;
      case Kind::Press:
        QTest::mousePress(target, Qt::LeftButton, mods, Client(view, c.x0, c.y0));
        break;
      case Kind::Move:
        Move(target, Client(view, c.x0, c.y0), Qt::LeftButton, mods);
        break;
      case Kind::Release:
        QTest::mouseRelease(target, Qt::LeftButton, mods, Client(view, c.x0, c.y0));
        break;
      case Kind::RightPress:
        QTest::mousePress(target, Qt::RightButton, mods, Client(view, c.x0, c.y0));
        break;
      case Kind::RightRelease:
        QTest::mouseRelease(target, Qt::RightButton, mods, Client(view, c.x0, c.y0));
        break;
      case Kind::Drag:
        QTest::mousePress(target, Qt::LeftButton, mods, Client(view, c.x0, c.y0));
        Move(target, Client(view, c.x1, c.y1), Qt::LeftButton, mods);
        QTest::mouseRelease(target, Qt::LeftButton, mods, Client(view, c.x1, c.y1));
        break;
      case Kind::AnswerOk:
        dialogs.Confirm();
        break;
      case Kind::AnswerCancel:
        dialogs.Cancel();
        break;
      case Kind::AnswerMarker: {
        const std::int32_t marker = c.marker;
        dialogs.Confirm([marker](Dialog& d) { d.Control(DotSelDialog::MarkerList).value = marker; },
                        DotSelDialog::TemplateId);
        break;
      }
      case Kind::AnswerText: {
        const cli::ScriptCommand text = c;
        dialogs.Confirm(
            [text](Dialog& d) {
              d.Control(CTextDialog::TextEdit).text = text.text;
              if (text.alignment) d.Control(CTextDialog::LeftButton).value = *text.alignment;
              if (text.frame) d.Control(CTextDialog::FrameButton).value = *text.frame;
            },
            CTextDialog::TemplateId);
        break;
      }
      case Kind::AnswerPrint: {
        const cli::ScriptCommand print = c;
        dialogs.Confirm(
            [print](Dialog& d) {
              d.Control(PrintDialog::ColumnsEdit).text = std::to_string(print.x0);
              d.Control(PrintDialog::RowsEdit).text = std::to_string(print.y0);
              d.Control(PrintDialog::FileNameEdit).text = print.text;
            },
            PrintDialog::TemplateId);
        break;
      }
      case Kind::TextPrint:
        frame.Dispatch(CommandId::FilePrint);
        break;
      case Kind::Show:
      case Kind::Save:
      case Kind::Open:
        break;
    }
  }
  return {};
}

}  // namespace virlo::test
