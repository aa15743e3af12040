#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/UiText.h"

namespace virlo {

// What a command is besides its identifier, in the bits of CommandInfo::traits.
namespace CommandTrait {
// A separator goes before it in its menu.
inline constexpr std::uint32_t SeparatorBefore = 1;
// Its menu shows it while no document is open, too.
inline constexpr std::uint32_t WithoutDocument = 2;
// It carries a check mark when its rule says so.
inline constexpr std::uint32_t Checkable = 4;
// A separator goes before its button.
inline constexpr std::uint32_t ToolBarSeparatorBefore = 8;
}  // namespace CommandTrait

// The menu a command stands in, in the order of the menu bar.
enum class Menu : std::int32_t { None, File, Edit, View, Window, Help };
// The toolbar that shows its button.
enum class ToolBar : std::int32_t { None, File, Drawing };
// Who runs it: the view controller (its tool, its sheet, the document's
// history), in both programs and scripts alike; or the main window of the
// desktop program (files, windows, settings).
enum class Handler : std::int32_t { View, Frame };

// One command of the menus, toolbars, keys and scripts. Its texts are the
// source texts of the translations in the context "CommandTable": the menu
// caption (without a key), the status-bar prompt and the tooltip, in UTF-8.
// Its keys are the only place a key is bound: the menu shows the first after
// the caption, and every one of them runs the command.
struct CommandInfo {
  std::int32_t id;
  // Its word in session scripts ("tool WORD" for a tool); "" when scripts have none.
  const char* word;
  const char* caption;
  const char* prompt;
  const char* tooltip;
  // Key sequences in Qt's portable form, separated by "; "; "" for none.
  const char* keys;
  Menu menu;
  std::uint32_t traits;
  ToolBar toolBar;
  // Its place on the toolbar, counted from 1; 0 on none.
  std::int32_t toolBarSlot;
  // The picture of its button: data/icons/toolbar/ICON.svg; "" for none.
  const char* icon;
  Handler handler;
  // The mouse tool it chooses (DrawTool::Kind); 0 for a command that is no tool.
  std::int32_t tool = 0;

  bool Has(std::uint32_t trait) const { return (traits & trait) == trait; }
};

// Every command, in the order of the menus: menus, toolbars, keys, the
// script words and virlo-cli's usage text are made from it.
class CommandTable {
 public:
  static std::span<const CommandInfo> All();
  // Null for an id the table does not hold.
  static const CommandInfo* Find(std::int32_t id);
  // The command a script word names; tool words only after "tool". Null for none.
  static const CommandInfo* FindWord(std::string_view word, bool tool);
  // A menu's title on the menu bar, a source text in the context "CommandTable".
  static const char* MenuTitle(Menu menu);
  // The mouse tool a command chooses (DrawTool::Kind); 0 for other commands.
  static std::int32_t ToolOf(std::int32_t id);
  static bool IsTool(std::int32_t id) { return ToolOf(id) != 0; }
};

// Texts of the string table that belong to no command, in the same context.
namespace AppString {
// The prompt of the Window menu's entries for the open windows.
inline constexpr char WindowListPrompt[] = VIRLO_TR_NOOP("CommandTable", "指定のｳｨﾝﾄﾞｳを表示");
}  // namespace AppString

}  // namespace virlo
