#include "script/Script.h"

#include <algorithm>
#include <charconv>
#include <map>

#include "control/CommandIds.h"
#include "control/CommandTable.h"
#include "control/ViewController.h"
#include "model/Stroke.h"
#include "objects/Box.h"
#include "objects/MarkerTable.h"
#include "platform/CharacterCell.h"
#include "platform/TextCodec.h"
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

// Reads the words of one command line into a command, with the error of the
// first word that does not fit.
class Parser {
 public:
  Parser(const std::vector<Token>& tokens, ScriptCommand& command, std::string& error)
      : tokens_(tokens), command_(command), error_(error) {}

  ScriptCommand& Command() { return command_; }
  const std::string& Word() const { return tokens_[0].text; }
  std::size_t Count() const { return tokens_.size() - 1; }
  // The argument at i (1 for the first), unquoted; empty when it is quoted or missing.
  std::string_view Bare(std::size_t i) const {
    return i < tokens_.size() && !tokens_[i].quoted ? std::string_view(tokens_[i].text) : std::string_view();
  }
  const Token& Argument(std::size_t i) const { return tokens_[i]; }
  bool Fail(std::string error) {
    error_ = std::move(error);
    return false;
  }

  // count coordinates, then the modifiers shift and ctrl, each at most once.
  bool Coordinates(std::size_t count) {
    std::int32_t* targets[] = {&command_.x0, &command_.y0, &command_.x1, &command_.y1};
    if (Count() < count) return Fail("'" + Word() + "' needs " + std::to_string(count) + " coordinates");
    for (std::size_t i = 0; i < count; ++i) {
      if (!ParseInt(tokens_[i + 1], *targets[i])) {
        return Fail("'" + tokens_[i + 1].text + "' is not a coordinate (an integer)");
      }
      if (*targets[i] < -ViewController::PointerLimit || *targets[i] > ViewController::PointerLimit) {
        return Fail("'" + tokens_[i + 1].text + "' lies outside the coordinates a script may use (" +
                    std::to_string(-ViewController::PointerLimit) + " to " +
                    std::to_string(ViewController::PointerLimit) + ")");
      }
    }
    for (std::size_t i = count + 1; i < tokens_.size(); ++i) {
      if (!Modifier(tokens_[i])) return false;
    }
    return true;
  }

  bool NoArguments() { return Count() == 0 || Fail("'" + Word() + "' takes no arguments"); }

  // One file name in double quotes, in the system's own bytes; empty only where allowed.
  bool FileName(std::size_t i, std::string& name, bool mayBeEmpty) {
    if (i >= tokens_.size() || !tokens_[i].quoted || (tokens_[i].text.empty() && !mayBeEmpty)) return false;
    name = tokens_[i].text;
    return true;
  }

 private:
  bool Modifier(const Token& token) {
    std::uint32_t bit = 0;
    if (!token.quoted && token.text == "shift") bit = MouseKeys::Shift;
    if (!token.quoted && token.text == "ctrl") bit = MouseKeys::Control;
    if (bit == 0) return Fail("'" + token.text + "' is not a modifier (shift or ctrl)");
    if ((command_.modifiers & bit) != 0) return Fail("modifier '" + token.text + "' given twice");
    command_.modifiers |= bit;
    return true;
  }

  const std::vector<Token>& tokens_;
  ScriptCommand& command_;
  std::string& error_;
};

using Kind = ScriptCommand::Kind;

// Whether a file name holds a byte a terminal would act on (C0, DEL; a
// line break too: no file a script means has one).
bool HasControlBytes(std::string_view name) {
  return std::any_of(name.begin(), name.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

// A file name a script gives must not carry what a terminal acts on.
bool CheckedFileName(Parser& p, std::size_t i, const std::string& needs, bool mayBeEmpty = false) {
  std::string name;
  if (!p.FileName(i, name, mayBeEmpty) || p.Count() != i) return p.Fail(needs);
  if (HasControlBytes(name)) return p.Fail("the file name holds control characters");
  p.Command().text = std::move(name);
  return true;
}

bool ParseMouse(Parser& p, Kind kind) {
  p.Command().kind = kind;
  return p.Coordinates(kind == Kind::Drag ? 4 : 2);
}

bool ParseTool(Parser& p) {
  p.Command().kind = Kind::Tool;
  const CommandInfo* tool = p.Count() == 1 ? CommandTable::FindWord(p.Bare(1), true) : nullptr;
  if (tool == nullptr) return p.Fail("'tool' needs one of " + Script::Words(Script::WordKind::Tools, ", "));
  p.Command().commandId = tool->id;
  return true;
}

bool ParseKey(Parser& p) {
  static const std::map<std::string_view, ViewController::ArrowKey> arrows = {
      {"left", ViewController::ArrowKey::Left},
      {"right", ViewController::ArrowKey::Right},
      {"up", ViewController::ArrowKey::Up},
      {"down", ViewController::ArrowKey::Down},
  };
  p.Command().kind = Kind::Key;
  const auto arrow = arrows.find(p.Bare(1));
  // Shift and Ctrl, each at most once.
  bool known = arrow != arrows.end() && p.Count() <= 3;
  for (std::size_t i = 2; known && i <= p.Count(); ++i) {
    const std::string_view modifier = p.Bare(i);
    const std::uint32_t bit = modifier == "shift" ? MouseKeys::Shift : modifier == "ctrl" ? MouseKeys::Control : 0;
    known = bit != 0 && (p.Command().modifiers & bit) == 0;
    p.Command().modifiers |= bit;
  }
  if (!known) return p.Fail("'key' needs left, right, up or down, and may take shift and ctrl");
  p.Command().x0 = static_cast<std::int32_t>(arrow->second);
  return true;
}

bool ParseFile(Parser& p, Kind kind) {
  p.Command().kind = kind;
  return CheckedFileName(p, 1, "'" + p.Word() + "' needs one file name in double quotes");
}

bool ParseStroke(Parser& p) {
  static const std::map<std::string_view, Stroke> strokes = {
      {"solid", Stroke::Solid},   {"heavy", Stroke::Heavy},   {"double", Stroke::Double},
      {"dashed", Stroke::Dashed}, {"dotted", Stroke::Dotted},
  };
  p.Command().kind = Kind::Stroke;
  const auto it = p.Count() == 1 ? strokes.find(p.Bare(1)) : strokes.end();
  if (it == strokes.end()) return p.Fail("'stroke' needs one of solid, heavy, double, dashed, dotted");
  p.Command().style = static_cast<std::int32_t>(it->second);
  return true;
}

bool ParseCorners(Parser& p) {
  static const std::map<std::string_view, std::int32_t> corners = {{"square", Box::Square}, {"rounded", Box::Rounded}};
  p.Command().kind = Kind::Corners;
  const auto it = p.Count() == 1 ? corners.find(p.Bare(1)) : corners.end();
  if (it == corners.end()) return p.Fail("'corners' needs square or rounded");
  p.Command().style = it->second;
  return true;
}

bool ParseAnswerMarker(Parser& p) {
  ScriptCommand& command = p.Command();
  command.kind = Kind::AnswerMarker;
  if (p.Count() == 2 && p.Argument(2).quoted) {
    // A character of the user's own, as the dialog's last entry takes it.
    const std::optional<char32_t> code = Utf8::Single(p.Argument(2).text);
    if (!code || CharacterCell::MarkerWidth(*code) == 0) {
      return p.Fail("'answer marker' takes one character that prints (no blank, control character or combining mark)");
    }
    command.marker = MarkerTable::Character;
    command.text = p.Argument(2).text;
    return true;
  }
  if (p.Count() != 2 || !ParseInt(p.Argument(2), command.marker) || !MarkerTable::IsValid(command.marker)) {
    return p.Fail("'answer marker' needs one marker number from 0 to 15, or one character in double quotes");
  }
  return true;
}

// The options after a text: one alignment and one frame switch, each at most once.
bool ParseTextOptions(Parser& p) {
  ScriptCommand& command = p.Command();
  for (std::size_t i = 3; i <= p.Count(); ++i) {
    const std::string& option = p.Argument(i).text;
    const bool isAlignment = option == "left" || option == "center" || option == "right";
    const bool isFrame = option == "frame" || option == "noframe";
    if (p.Argument(i).quoted || (!isAlignment && !isFrame)) {
      return p.Fail("'" + option + "' is neither an alignment (left, center, right) nor frame or noframe");
    }
    if ((isAlignment && command.alignment) || (isFrame && command.frame)) {
      return p.Fail("'" + option + "' repeats what the line already says");
    }
    if (isAlignment) command.alignment = option == "left" ? 0 : option == "center" ? 1 : 2;
    if (isFrame) command.frame = option == "frame" ? 1 : 0;
  }
  return true;
}

bool ParseAnswerText(Parser& p) {
  ScriptCommand& command = p.Command();
  command.kind = Kind::AnswerText;
  if (p.Count() < 2 || !p.Argument(2).quoted) return p.Fail("'answer text' needs the text in double quotes");
  std::string withBreaks;
  for (const char ch : p.Argument(2).text) {
    if (ch == '\n') withBreaks += '\r';
    withBreaks += ch;
  }
  if (TextCodec::HasControlCharacters(withBreaks)) return p.Fail("the text holds control characters");
  std::optional<std::string> bytes = TextCodec::Utf8ToCp932(withBreaks);
  if (!bytes) return p.Fail("the text holds characters that a diagram cannot hold (code page 932)");
  command.text = std::move(*bytes);
  return ParseTextOptions(p);
}

bool ParseAnswerPrint(Parser& p) {
  ScriptCommand& command = p.Command();
  command.kind = Kind::AnswerPrint;
  const std::string needs = "'answer print' needs the columns, the rows and the file name in double quotes";
  if (p.Count() != 4 || !ParseInt(p.Argument(2), command.x0) || !ParseInt(p.Argument(3), command.y0)) {
    return p.Fail(needs);
  }
  // An empty name is the dialog's to refuse, as a user's would be.
  return CheckedFileName(p, 4, needs, true);
}

bool ParseAnswer(Parser& p) {
  using Answer = bool (*)(Parser&);
  static const std::map<std::string_view, Answer> answers = {
      {"ok",
       [](Parser& q) {
         q.Command().kind = Kind::AnswerOk;
         return q.Count() == 1 || q.Fail("'answer ok' takes nothing more");
       }},
      {"cancel",
       [](Parser& q) {
         q.Command().kind = Kind::AnswerCancel;
         return q.Count() == 1 || q.Fail("'answer cancel' takes nothing more");
       }},
      {"marker", ParseAnswerMarker},
      {"text", ParseAnswerText},
      {"print", ParseAnswerPrint},
  };
  const auto it = answers.find(p.Bare(1));
  if (it == answers.end()) {
    return p.Fail("'answer' needs ok, cancel, marker N, marker \"C\", text \"TEXT\" or print COLS ROWS \"FILE\"");
  }
  return it->second(p);
}

// The words of the language besides the command table's, each with its reader.
using Reader = bool (*)(Parser&);
const std::map<std::string_view, Reader>& Readers() {
  static const std::map<std::string_view, Reader> readers = {
      {"press", [](Parser& p) { return ParseMouse(p, Kind::Press); }},
      {"move", [](Parser& p) { return ParseMouse(p, Kind::Move); }},
      {"release", [](Parser& p) { return ParseMouse(p, Kind::Release); }},
      {"rpress", [](Parser& p) { return ParseMouse(p, Kind::RightPress); }},
      {"rrelease", [](Parser& p) { return ParseMouse(p, Kind::RightRelease); }},
      {"drag", [](Parser& p) { return ParseMouse(p, Kind::Drag); }},
      {"tool", ParseTool},
      {"key", ParseKey},
      {"show",
       [](Parser& p) {
         p.Command().kind = Kind::Show;
         return p.NoArguments();
       }},
      {"state",
       [](Parser& p) {
         p.Command().kind = Kind::State;
         return p.NoArguments();
       }},
      {"save", [](Parser& p) { return ParseFile(p, Kind::Save); }},
      {"open", [](Parser& p) { return ParseFile(p, Kind::Open); }},
      {"stroke", ParseStroke},
      {"corners", ParseCorners},
      {"answer", ParseAnswer},
  };
  return readers;
}

// Parses one command line; false with error set when it is malformed.
bool ParseCommand(const std::vector<Token>& tokens, ScriptCommand& command, std::string& error) {
  command.word = tokens[0].text;
  Parser parser(tokens, command, error);
  if (tokens[0].quoted) return parser.Fail("a command cannot be a quoted string");
  if (const auto reader = Readers().find(command.word); reader != Readers().end()) return reader->second(parser);
  // Every other command of the menus with a word runs as the menu runs it.
  const CommandInfo* info = CommandTable::FindWord(command.word, false);
  if (info == nullptr) return parser.Fail("unknown command '" + command.word + "'");
  command.kind = info->id == CommandId::FilePrint ? Kind::TextPrint : Kind::Command;
  command.commandId = info->id;
  return parser.NoArguments();
}

}  // namespace

std::string Script::Words(WordKind kind, std::string_view separator) {
  std::string words;
  for (const CommandInfo& info : CommandTable::All()) {
    if (*info.word == '\0' || (info.tool != 0) != (kind == WordKind::Tools)) continue;
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
