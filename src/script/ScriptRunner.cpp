#include "script/ScriptRunner.h"

#include <cerrno>
#include <cstring>

#include "control/CommandIds.h"
#include "control/CommandTable.h"
#include "dialogs/FormatDialog.h"
#include "dialogs/MarkerDialog.h"
#include "dialogs/PrintDialog.h"
#include "dialogs/TextDialog.h"
#include "export/ArtExport.h"
#include "model/Canvas.h"
#include "model/Stroke.h"
#include "objects/Sheet.h"
#include "platform/TerminalText.h"
#include "platform/TextCodec.h"
#include "store/Database.h"
#include "store/ObjectNumbering.h"
#include "tools/DrawTool.h"

namespace virlo::script {

ScriptRunner::ScriptRunner(std::FILE* out, std::FILE* err) : out_(out), err_(err), view_(&document_, &window_) {
  dialogs_.SetNoteHandler([this](const std::string& text) { Note(text); });
}

ScriptRunner::~ScriptRunner() { document_.OnCloseDocument(); }

bool ScriptRunner::Start(const std::string& path) {
  if (path.empty() ? !document_.OnNewDocument() : !document_.OnOpenDocument(path)) {
    if (path.empty()) {
      std::fprintf(err_, "virlo-cli: cannot make a new document\n");
    } else {
      std::fprintf(err_, "virlo-cli: cannot open %s: %s\n", TerminalText::Quoted(path).c_str(),
                   TerminalText::Escaped(document_.LastError()).c_str());
    }
    return false;
  }
  view_.OnActivateView();
  return true;
}

bool ScriptRunner::Run(const std::vector<ScriptCommand>& commands) {
  for (const ScriptCommand& command : commands) {
    line_ = command.line;
    // A file that could not be read or written ends the script: what follows
    // would work on something else than the script means.
    if (!Execute(command)) return false;
  }
  return true;
}

bool ScriptRunner::QueueAnswer(const ScriptCommand& command, QueuedDialogRunner& dialogs) {
  using Kind = ScriptCommand::Kind;
  switch (command.kind) {
    case Kind::AnswerOk:
      dialogs.Confirm();
      return true;
    case Kind::AnswerCancel:
      dialogs.Cancel();
      return true;
    case Kind::AnswerMarker: {
      const std::int32_t marker = command.marker;
      const std::string character = command.text;
      dialogs.Confirm(
          [marker, character](Dialog& dialog) {
            dialog.Control(MarkerDialog::MarkerList).value = marker;
            if (!character.empty()) dialog.Control(MarkerDialog::CharacterEdit).text = character;
          },
          MarkerDialog::TemplateId);
      return true;
    }
    case Kind::AnswerText: {
      const ScriptCommand text = command;
      dialogs.Confirm(
          [text](Dialog& dialog) {
            dialog.Control(TextDialog::TextEdit).text = text.text;
            if (text.alignment) dialog.Control(TextDialog::LeftButton).value = *text.alignment;
            if (text.frame) dialog.Control(TextDialog::FrameButton).value = *text.frame;
          },
          TextDialog::TemplateId);
      return true;
    }
    case Kind::AnswerPrint: {
      const ScriptCommand print = command;
      dialogs.Confirm(
          [print](Dialog& dialog) {
            dialog.Control(PrintDialog::ColumnsEdit).text = std::to_string(print.x0);
            dialog.Control(PrintDialog::RowsEdit).text = std::to_string(print.y0);
            dialog.Control(PrintDialog::FileNameEdit).text = print.text;
          },
          PrintDialog::TemplateId);
      return true;
    }
    case Kind::Stroke:
    case Kind::Corners: {
      const std::int32_t first =
          command.kind == Kind::Stroke ? FormatDialog::StrokeButton : FormatDialog::CornersButton;
      const std::int32_t style = command.style;
      dialogs.Confirm([first, style](Dialog& dialog) { dialog.Control(first).value = style; },
                      FormatDialog::TemplateId);
      return true;
    }
    default:
      return false;
  }
}

void ScriptRunner::NoteSubstitutes() {
  Canvas canvas = document_.sheet->NewCanvas();
  document_.sheet->RenderText(canvas);
  const std::int32_t substitutes = canvas.Substitutes();
  if (substitutes > 0) {
    Note("the text print wrote " + std::to_string(substitutes) +
         " marker characters that code page 932 cannot hold as their substitutes");
  }
}

// Messages may quote what a script or a file gave: nothing in them may act on the terminal.
void ScriptRunner::Note(const std::string& text) {
  std::fprintf(err_, "virlo-cli: line %d: %s\n", line_, TerminalText::Escaped(text).c_str());
}

bool ScriptRunner::Fail(const std::string& text) {
  std::fprintf(err_, "virlo-cli: line %d: %s; the script stops here\n", line_, TerminalText::Escaped(text).c_str());
  return false;
}

bool ScriptRunner::Execute(const ScriptCommand& command) {
  using Kind = ScriptCommand::Kind;
  const std::uint32_t mods = command.modifiers;
  const Point p0{command.x0, command.y0};
  const Point p1{command.x1, command.y1};
  switch (command.kind) {
    case Kind::Tool:
      view_.OnCommand(command.commandId);
      break;
    case Kind::Press:
      view_.OnLButtonDown(mods | MouseKeys::LeftButton, p0);
      break;
    case Kind::Move:
      view_.OnMouseMove(mods | MouseKeys::LeftButton, p0);
      break;
    case Kind::Release:
      view_.OnLButtonUp(mods, p0);
      break;
    case Kind::RightPress:
      view_.OnRButtonDown(mods | MouseKeys::RightButton, p0);
      break;
    case Kind::RightRelease:
      view_.OnRButtonUp(mods, p0);
      break;
    case Kind::Drag:
      view_.OnLButtonDown(mods | MouseKeys::LeftButton, p0);
      view_.OnMouseMove(mods | MouseKeys::LeftButton, p1);
      view_.OnLButtonUp(mods, p1);
      break;
    case Kind::Command:
      if (!view_.OnCommand(command.commandId)) {
        Note("'" + command.word + "' is disabled now: " + view_.WhyDisabled(command.commandId));
      }
      break;
    case Kind::Save:
      // Files are written from a settled document, as the editor's file
      // commands wait for the release: a drag's half-finished move is no state.
      if (document_.IsDragging()) {
        Note("'save' is disabled now: a drag holds the mouse");
        break;
      }
      if (!document_.OnSaveDocument(command.text)) {
        return Fail("cannot save '" + command.text + "': " + document_.LastError());
      }
      break;
    case Kind::Open: {
      if (document_.IsDragging()) {
        Note("'open' is disabled now: a drag holds the mouse");
        break;
      }
      const bool opened = document_.OnOpenDocument(command.text);
      view_.OnActivateView();
      if (!opened) return Fail("cannot open '" + command.text + "': " + document_.LastError());
      break;
    }
    case Kind::AnswerOk:
    case Kind::AnswerCancel:
    case Kind::AnswerMarker:
    case Kind::AnswerText:
    case Kind::AnswerPrint:
      QueueAnswer(command, dialogs_);
      break;
    case Kind::TextPrint:
      if (!view_.OnCommand(CommandId::FilePrint)) {
        Note("'textprint' is disabled now: " + view_.WhyDisabled(CommandId::FilePrint));
        break;
      }
      // The message has told why; a print that could not be written is a failure.
      if (view_.LastTextPrint() == TextOutput::Result::NotWritten) return Fail("the text print was not written");
      if (view_.LastTextPrint() == TextOutput::Result::Written) NoteSubstitutes();
      break;
    case Kind::Stroke:
    case Kind::Corners:
      // The Format command, its dialog answered with the one choice; the
      // answer waits only for a command that will open the dialog.
      if (!view_.UpdateCommand(CommandId::Format).enabled) {
        Note("'" + command.word + "' is disabled now: " + view_.WhyDisabled(CommandId::Format));
        break;
      }
      QueueAnswer(command, dialogs_);
      view_.OnCommand(CommandId::Format);
      break;
    case Kind::Show: {
      // The used part of the sheet: every row down to the last that shows
      // anything, each up to its last character, as render --trim prints it.
      ArtOptions used;
      used.trim = true;
      const std::string art = ArtExport::Render(*document_.sheet, used);
      if (!WriteAll(out_, art)) return Fail("cannot write the art: " + std::string(std::strerror(errno)));
      break;
    }
    case Kind::Key:
      if (!view_.OnArrowKey(static_cast<ViewController::ArrowKey>(command.x0),
                            (command.modifiers & MouseKeys::Shift) != 0,
                            (command.modifiers & MouseKeys::Control) != 0)) {
        Note("'key' moved nothing: nothing picked or selected with the select tool, or a drag holds the mouse");
      }
      break;
    case Kind::State:
      if (!WriteAll(out_, State() + "\n")) return Fail("cannot write the state: " + std::string(std::strerror(errno)));
      break;
  }
  return true;
}

std::string ScriptRunner::State() {
  Document& doc = document_;
  store::Database* db = doc.GetDatabase();
  std::string tool = "none";
  for (const CommandInfo& info : CommandTable::All()) {
    if (info.tool != 0 && view_.UpdateCommand(info.id).checked) tool = info.word;
  }
  store::ObjectNumbering numbering(*db);
  std::string error;
  const bool numbered = numbering.Run(error);
  auto name = [&](const DrawObj* obj) {
    std::uint32_t id = 0;
    std::uint32_t part = 0;
    if (!numbered || !numbering.Encode(obj, nullptr, id, part)) return std::string("?");
    const store::Allocation* allocation = db->Find(reinterpret_cast<const void*>(numbering.Order()[id - 1]));
    std::string text = allocation->type->Name() + "#" + std::to_string(id);
    if (part != 0) text += "." + std::to_string(part);
    return text;
  };
  const Sheet& sheet = *doc.sheet;
  std::string selected;
  List<DrawObj*>::Cursor cursor(sheet.selected);
  for (const DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) {
    if (!selected.empty()) selected += ",";
    selected += name(obj);
  }
  return std::string("state: modified=") + (doc.IsModified() ? "yes" : "no") +
         " undo=" + std::to_string(db->UndoableSteps()) + " redo=" + std::to_string(db->RedoableSteps()) +
         " tool=" + tool + " picked=" + (sheet.current != nullptr ? name(sheet.current) : "none") +
         " selected=" + (selected.empty() ? "none" : selected);
}

bool ScriptRunner::WriteAll(std::FILE* file, const std::string& bytes) {
  errno = 0;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fflush(file) == 0 && written && std::ferror(file) == 0;
}

}  // namespace virlo::script
