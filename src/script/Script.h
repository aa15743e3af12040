#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace virlo::script {

// One command of a session script.
struct ScriptCommand {
  enum class Kind {
    Tool,     // commandId: the tool command
    Press,    // left button down at (x0, y0)
    Move,     // mouse move with the left button held
    Release,  // left button up
    RightPress,
    RightRelease,
    Drag,     // press (x0, y0), move and release at (x1, y1)
    Command,  // commandId: a command of the table by its word (copy, undo, selectall, ...)
    Save,     // text: the file, as written (UTF-8)
    Open,     // text: the file
    AnswerOk,
    AnswerCancel,
    AnswerMarker,  // marker; for MarkerTable::Character, text: the character (UTF-8)
    AnswerText,    // text, alignment, frame
    AnswerPrint,   // x0: columns, y0: rows, text: the file name
    TextPrint,
    Stroke,   // style: the Format command, its dialog answered with this stroke
    Corners,  // style: the Format command, its dialog answered with these corners
    Key,      // x0: the arrow (ViewController::ArrowKey), modifiers: shift for eight cells
    Show,
    State,  // the modified mark, the history, the tool, what is picked and selected
  };

  std::int32_t line = 0;
  Kind kind = Kind::Show;
  std::string word;  // the command as written, for messages
  std::int32_t commandId = 0;
  std::int32_t x0 = 0;
  std::int32_t y0 = 0;
  std::int32_t x1 = 0;
  std::int32_t y1 = 0;
  std::uint32_t modifiers = 0;
  std::int32_t marker = 0;
  std::int32_t style = 0;
  std::string text;  // UTF-8, a text's line breaks as CR LF
  std::optional<std::int32_t> alignment;
  std::optional<std::int32_t> frame;
};

// A whole script, read and checked before anything runs.
class Script {
 public:
  enum class WordKind { Tools, Commands };
  // The words that name commands in scripts, as the command table has them.
  static std::string Words(WordKind kind, std::string_view separator);
  // The commands, or the first error as "line N: ...".
  static bool Parse(const std::string& source, std::vector<ScriptCommand>& commands, std::string& error);
};

}  // namespace virlo::script
