#include "control/CommandDocs.h"

#include <optional>
#include <string_view>
#include <vector>

#include "control/CommandTable.h"
#include "platform/UiText.h"
#include "platform/Utf8.h"

namespace virlo {
namespace {

// A caption as a menu shows it: the accelerator's "&" gone ("&&" stays one "&").
std::string Shown(std::string_view caption) {
  std::string shown;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size() && caption[i + 1] != '&') continue;
    if (caption[i] == '&') ++i;
    shown += caption[i];
  }
  return shown;
}

std::string In(const char* source, UiLanguage language) {
  return Shown(UiText(UiText::Source{"CommandTable", source}).In(language));
}

// "Ctrl+Z; Ctrl+U" as "Ctrl+Z, Ctrl+U".
std::string Keys(std::string_view keys) {
  std::string shown;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (keys[i] == ';') {
      shown += ',';
      continue;
    }
    shown += keys[i];
  }
  return shown;
}

// A character of a manual page beyond ASCII, as groff names it.
std::string ManCharacter(char32_t code) {
  static constexpr char Digits[] = "0123456789ABCDEF";
  std::string hex;
  for (char32_t rest = code; rest != 0 || hex.size() < 4; rest >>= 4) hex.insert(hex.begin(), Digits[rest & 0xF]);
  return "\\[u" + hex + "]";
}

// Table cells may not hold the table's own separators; a manual page holds
// ASCII alone, so groff reads it whatever the locale.
std::string Cell(std::string_view text, CommandDocs::Format format) {
  std::string escaped;
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (format == CommandDocs::Format::Man && static_cast<unsigned char>(c) >= 0x80) {
      if (const std::optional<char32_t> code = Utf8::Decode(text, i)) {
        escaped += ManCharacter(*code);
        continue;
      }
    }
    if (format == CommandDocs::Format::Markdown && c == '|') escaped += '\\';
    if (format == CommandDocs::Format::Man && c == '\\') escaped += '\\';
    escaped += c;
    ++i;
  }
  if (format == CommandDocs::Format::Man && !escaped.empty() && (escaped[0] == '.' || escaped[0] == '\'')) {
    escaped.insert(0, "\\&");
  }
  return escaped;
}

// Markdown tables, or for a manual page one tagged paragraph a row: its
// first cell the tag, the others after it.
class Writer {
 public:
  explicit Writer(CommandDocs::Format format) : format_(format) {}

  void Heading(const std::string& text) {
    out_ += format_ == CommandDocs::Format::Markdown ? "\n**" + text + "**\n\n" : ".SS " + Cell(text, format_) + "\n";
  }
  void Header(const std::vector<std::string>& cells) {
    if (format_ == CommandDocs::Format::Man) return;
    Row(cells);
    for (std::size_t i = 0; i < cells.size(); ++i) out_ += "|---";
    out_ += "|\n";
  }
  void Row(const std::vector<std::string>& cells) {
    if (format_ == CommandDocs::Format::Man) {
      out_ += ".TP\n.B " + Cell(cells[0], format_) + "\n";
      for (std::size_t i = 1; i < cells.size(); ++i) {
        if (!cells[i].empty()) out_ += Cell(cells[i], format_) + (i + 1 < cells.size() ? ";\n" : "\n");
      }
      return;
    }
    for (const std::string& cell : cells) out_ += "| " + Cell(cell, format_) + " ";
    out_ += "|\n";
  }
  std::string Take() { return std::move(out_); }

 private:
  CommandDocs::Format format_;
  std::string out_;
};

std::string OrNone(std::string text) { return text.empty() ? "none" : text; }

void Menus(Writer& writer, bool man) {
  for (const Menu menu : {Menu::File, Menu::Edit, Menu::View, Menu::Window, Menu::Help}) {
    const char* title = CommandTable::MenuTitle(menu);
    writer.Heading(In(title, UiLanguage::English) + " (" + In(title, UiLanguage::Japanese) + ")");
    writer.Header({"Command", "Japanese caption", "Keys", "Script word", "What it does"});
    for (const CommandInfo& info : CommandTable::All()) {
      if (info.menu != menu) continue;
      const std::string word = *info.word == '\0' ? "" : (info.tool != 0 ? "tool " : "") + std::string(info.word);
      const std::string keys = Keys(info.keys);
      if (man) {
        writer.Row({In(info.caption, UiLanguage::English), In(info.caption, UiLanguage::Japanese),
                    keys.empty() ? "" : "keys " + keys, word.empty() ? "" : "script: " + word,
                    In(info.prompt, UiLanguage::English)});
      } else {
        writer.Row({In(info.caption, UiLanguage::English), In(info.caption, UiLanguage::Japanese), OrNone(keys),
                    OrNone(word), In(info.prompt, UiLanguage::English)});
      }
    }
  }
}

void KeyTable(Writer& writer) {
  writer.Heading("Keys");
  writer.Header({"Key", "Command"});
  for (const CommandInfo& info : CommandTable::All()) {
    if (*info.keys == '\0') continue;
    const std::string what =
        *info.caption != '\0' ? In(info.caption, UiLanguage::English) : In(info.prompt, UiLanguage::English);
    writer.Row({Keys(info.keys), what});
  }
}

}  // namespace

std::string CommandDocs::Tables(Format format) {
  Writer writer(format);
  Menus(writer, format == Format::Man);
  KeyTable(writer);
  return writer.Take();
}

}  // namespace virlo
