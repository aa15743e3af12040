#include "script/Script.h"

#include <charconv>
#include <map>

#include "control/CommandIds.h"
#include "control/CommandTable.h"
#include "control/ViewController.h"
#include "model/Stroke.h"
#include "objects/Box.h"
#include "objects/MarkerTable.h"
#include "platform/CharacterCell.h"
#include "platform/Utf8.h"
#include "tools/DrawTool.h"

namespace virlo::script {
namespace {

struct Token {
  std::string text;
  bool quoted = false;
};

// Splits a line into words and quoted strings; a '#' outside quotes ends it.
bool Tokenize(const std::string& line, std::vector<Token>& tokens, std::string& error) {
  std::size_t i = 0;
  while (i < line.size()) {
    const char ch = line[i];
    if (ch == ' ' || ch == '\t') {
      ++i;
    } else if (ch == '#') {
      break;
    } else if (ch == '"') {
      Token token{"", true};
      ++i;
      bool closed = false;
      while (i < line.size()) {
        const char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c != '\\') {
          token.text.push_back(c);
          continue;
        }
        if (i >= line.size()) break;
        const char escaped = line[i++];
        if (escaped == '"' || escaped == '\\') {
          token.text.push_back(escaped);
        } else if (escaped == 'n') {
          token.text.push_back('\n');
        } else {
          error = std::string("unknown escape '\\") + escaped + "' in a quoted string";
          return false;
        }
      }
      if (!closed) {
        error = "a quoted string is not closed";
        return false;
      }
      if (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '#') {
        error = "a quoted string must be followed by a blank";
        return false;
      }
      tokens.push_back(std::move(token));
    } else {
      Token token;
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '#') {
        if (line[i] == '"') {
          error = "a quote inside a word";
          return false;
        }
        token.text.push_back(line[i++]);
      }
      tokens.push_back(std::move(token));
    }
  }
  return true;
}

bool ParseInt(const Token& token, std::int32_t& value) {
  if (token.quoted || token.text.empty()) return false;
  const char* begin = token.text.data();
  const char* end = begin + token.text.size();
  const auto [ptr, ec] = std::from_chars(begin, end, value);
  return ec == std::errc() && ptr == end;
}

// Parses one command line; false with error set when it is malformed.
bool ParseCommand(const std::vector<Token>& tokens, ScriptCommand& command, std::string& error) {
  const std::string& word = tokens[0].text;
  command.word = word;
  const std::size_t argc = tokens.size() - 1;
  if (tokens[0].quoted) {
    error = "a command cannot be a quoted string";
    return false;
  }

  auto coordinates = [&](std::size_t count) {
    std::int32_t* targets[] = {&command.x0, &command.y0, &command.x1, &command.y1};
    if (argc < count) {
      error = "'" + word + "' needs " + std::to_string(count) + " coordinates";
      return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
      if (!ParseInt(tokens[i + 1], *targets[i])) {
        error = "'" + tokens[i + 1].text + "' is not a coordinate (an integer)";
        return false;
      }
      if (*targets[i] < -ViewController::PointerLimit || *targets[i] > ViewController::PointerLimit) {
        error = "'" + tokens[i + 1].text + "' lies outside the coordinates a script may use (" +
                std::to_string(-ViewController::PointerLimit) + " to " + std::to_string(ViewController::PointerLimit) +
                ")";
        return false;
      }
    }
    for (std::size_t i = count + 1; i < tokens.size(); ++i) {
      std::uint32_t bit = 0;
      if (!tokens[i].quoted && tokens[i].text == "shift") bit = MouseKeys::Shift;
      if (!tokens[i].quoted && tokens[i].text == "ctrl") bit = MouseKeys::Control;
      if (bit == 0) {
        error = "'" + tokens[i].text + "' is not a modifier (shift or ctrl)";
        return false;
      }
      if ((command.modifiers & bit) != 0) {
        error = "modifier '" + tokens[i].text + "' given twice";
        return false;
      }
      command.modifiers |= bit;
    }
    return true;
  };
  auto noArguments = [&] {
    if (argc == 0) return true;
    error = "'" + word + "' takes no arguments";
    return false;
  };

  using Kind = ScriptCommand::Kind;
  static const std::map<std::string, Kind> mouse = {
      {"press", Kind::Press},           {"move", Kind::Move}, {"release", Kind::Release}, {"rpress", Kind::RightPress},
      {"rrelease", Kind::RightRelease},
  };
  if (auto it = mouse.find(word); it != mouse.end()) {
    command.kind = it->second;
    return coordinates(2);
  }
  if (word == "drag") {
    command.kind = Kind::Drag;
    return coordinates(4);
  }
  if (word == "tool") {
    command.kind = Kind::Tool;
    const CommandInfo* tool = argc == 1 && !tokens[1].quoted ? CommandTable::FindWord(tokens[1].text, true) : nullptr;
    if (tool == nullptr) {
      error = "'tool' needs one of " + Script::Words(Script::WordKind::Tools, ", ");
      return false;
    }
    command.commandId = tool->id;
    return true;
  }
  if (const CommandInfo* edit = CommandTable::FindWord(word, false)) {
    // The document's history and the text print report on their own.
    command.kind = edit->id == CommandId::EditUndo    ? Kind::Undo
                   : edit->id == CommandId::EditRedo  ? Kind::Redo
                   : edit->id == CommandId::FilePrint ? Kind::TextPrint
                                                      : Kind::Edit;
    command.commandId = edit->id;
    return noArguments();
  }
  if (word == "key") {
    static const std::map<std::string, ViewController::ArrowKey> arrows = {
        {"left", ViewController::ArrowKey::Left},
        {"right", ViewController::ArrowKey::Right},
        {"up", ViewController::ArrowKey::Up},
        {"down", ViewController::ArrowKey::Down},
    };
    command.kind = Kind::Key;
    const auto arrow = argc >= 1 && !tokens[1].quoted ? arrows.find(tokens[1].text) : arrows.end();
    const bool shift = argc == 2 && !tokens[2].quoted && tokens[2].text == "shift";
    if (arrow == arrows.end() || argc > 2 || (argc == 2 && !shift)) {
      error = "'key' needs left, right, up or down, and may take shift";
      return false;
    }
    command.x0 = static_cast<std::int32_t>(arrow->second);
    if (shift) command.modifiers = MouseKeys::Shift;
    return true;
  }
  if (word == "show") {
    command.kind = Kind::Show;
    return noArguments();
  }
  if (word == "state") {
    command.kind = Kind::State;
    return noArguments();
  }
  if (word == "save" || word == "open") {
    command.kind = word == "save" ? Kind::Save : Kind::Open;
    if (argc != 1 || !tokens[1].quoted || tokens[1].text.empty()) {
      error = "'" + word + "' needs one file name in double quotes";
      return false;
    }
    command.text = tokens[1].text;
    return true;
  }
  if (word == "stroke" || word == "corners") {
    static const std::map<std::string, std::int32_t> strokes = {
        {"solid", static_cast<std::int32_t>(Stroke::Solid)},   {"heavy", static_cast<std::int32_t>(Stroke::Heavy)},
        {"double", static_cast<std::int32_t>(Stroke::Double)}, {"dashed", static_cast<std::int32_t>(Stroke::Dashed)},
        {"dotted", static_cast<std::int32_t>(Stroke::Dotted)},
    };
    static const std::map<std::string, std::int32_t> corners = {{"square", Box::Square}, {"rounded", Box::Rounded}};
    const bool stroke = word == "stroke";
    command.kind = stroke ? Kind::Stroke : Kind::Corners;
    const auto& names = stroke ? strokes : corners;
    const auto it = argc == 1 && !tokens[1].quoted ? names.find(tokens[1].text) : names.end();
    if (it == names.end()) {
      error =
          stroke ? "'stroke' needs one of solid, heavy, double, dashed, dotted" : "'corners' needs square or rounded";
      return false;
    }
    command.style = it->second;
    return true;
  }
  if (word != "answer") {
    error = "unknown command '" + word + "'";
    return false;
  }

  const std::string what = argc >= 1 ? tokens[1].text : "";
  if (argc >= 1 && !tokens[1].quoted && (what == "ok" || what == "cancel")) {
    command.kind = what == "ok" ? Kind::AnswerOk : Kind::AnswerCancel;
    if (argc == 1) return true;
    error = "'answer " + what + "' takes nothing more";
    return false;
  }
  if (argc >= 1 && !tokens[1].quoted && what == "marker") {
    command.kind = Kind::AnswerMarker;
    if (argc == 2 && tokens[2].quoted) {
      // A character of the user's own, as the dialog's last entry takes it.
      const std::optional<char32_t> code = Utf8::Single(tokens[2].text);
      if (!code || CharacterCell::MarkerWidth(*code) == 0) {
        error = "'answer marker' takes one character that prints (no blank, control character or combining mark)";
        return false;
      }
      command.marker = MarkerTable::Character;
      command.text = tokens[2].text;
      return true;
    }
    if (argc != 2 || !ParseInt(tokens[2], command.marker) || !MarkerTable::IsValid(command.marker)) {
      error = "'answer marker' needs one marker number from 0 to 15, or one character in double quotes";
      return false;
    }
    return true;
  }
  if (argc >= 1 && !tokens[1].quoted && what == "text") {
    command.kind = Kind::AnswerText;
    if (argc < 2 || !tokens[2].quoted) {
      error = "'answer text' needs the text in double quotes";
      return false;
    }
    std::string withBreaks;
    for (char ch : tokens[2].text) {
      if (ch == '\n') withBreaks += '\r';
      withBreaks += ch;
    }
    if (!Utf8::IsValid(withBreaks)) {
      error = "the text is not UTF-8";
      return false;
    }
    if (const std::optional<char32_t> control = Utf8::FirstControl(withBreaks)) {
      error = "the text holds the control character " + Utf8::CodeName(*control);
      return false;
    }
    command.text = std::move(withBreaks);
    for (std::size_t i = 3; i < tokens.size(); ++i) {
      const std::string& option = tokens[i].text;
      const bool isAlignment = option == "left" || option == "center" || option == "right";
      const bool isFrame = option == "frame" || option == "noframe";
      if (tokens[i].quoted || (!isAlignment && !isFrame)) {
        error = "'" + option + "' is neither an alignment (left, center, right) nor frame or noframe";
        return false;
      }
      if ((isAlignment && command.alignment) || (isFrame && command.frame)) {
        error = "'" + option + "' repeats what the line already says";
        return false;
      }
      if (isAlignment) command.alignment = option == "left" ? 0 : option == "center" ? 1 : 2;
      if (isFrame) command.frame = option == "frame" ? 1 : 0;
    }
    return true;
  }
  if (argc >= 1 && !tokens[1].quoted && what == "print") {
    command.kind = Kind::AnswerPrint;
    if (argc != 4 || !ParseInt(tokens[2], command.x0) || !ParseInt(tokens[3], command.y0) || !tokens[4].quoted) {
      error = "'answer print' needs the columns, the rows and the file name in double quotes";
      return false;
    }
    // File names stay in the system's own encoding.
    command.text = tokens[4].text;
    return true;
  }
  error = "'answer' needs ok, cancel, marker N, marker \"C\", text \"TEXT\" or print COLS ROWS \"FILE\"";
  return false;
}

}  // namespace

std::string Script::Words(WordKind kind, std::string_view separator) {
  std::string words;
  for (const CommandInfo& info : CommandTable::All()) {
    if (*info.word == '\0' || CommandTable::IsTool(info.id) != (kind == WordKind::Tools)) continue;
    if (!words.empty()) words += separator;
    words += info.word;
  }
  return words;
}

bool Script::Parse(const std::string& source, std::vector<ScriptCommand>& commands, std::string& error) {
  commands.clear();
  std::size_t start = 0;
  // A byte order mark at the start is not part of the first command.
  if (source.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;
  std::int32_t lineNumber = 0;
  while (start <= source.size()) {
    std::size_t end = source.find('\n', start);
    if (end == std::string::npos) end = source.size();
    std::string line = source.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ++lineNumber;
    start = end + 1;

    std::vector<Token> tokens;
    std::string problem;
    if (!Tokenize(line, tokens, problem)) {
      error = "line " + std::to_string(lineNumber) + ": " + problem;
      return false;
    }
    if (tokens.empty()) continue;
    ScriptCommand command;
    command.line = lineNumber;
    if (!ParseCommand(tokens, command, problem)) {
      error = "line " + std::to_string(lineNumber) + ": " + problem;
      return false;
    }
    commands.push_back(std::move(command));
  }
  return true;
}

}  // namespace virlo::script
