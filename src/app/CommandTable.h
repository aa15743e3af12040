#pragma once

#include <cstdint>
#include <span>

namespace virlo {

// One command of the menus, keys and toolbars, with its texts as stored:
// the menu caption (the text after a tab is the shortcut text the menu
// shows, which is not always the key that works), the status-bar prompt and
// the tooltip, in UTF-8.
struct CommandInfo {
  std::int32_t id;
  const char* name;
  const char* caption;
  // The caption in the menu of a document window, where it differs.
  const char* documentCaption;
  const char* prompt;
  const char* tooltip;
};

class CommandTable {
 public:
  static std::span<const CommandInfo> All();
  // Null for an id the table does not hold.
  static const CommandInfo* Find(std::int32_t id);
};

// Commands of the application and the frames, beside the view's.
namespace AppCommand {
inline constexpr std::int32_t FileClose = 57602;
inline constexpr std::int32_t FileSave = 57603;
inline constexpr std::int32_t FileSaveAs = 57604;
inline constexpr std::int32_t FileMru1 = 57616;
inline constexpr std::int32_t AppExit = 57665;
inline constexpr std::int32_t AppAbout = 57664;
inline constexpr std::int32_t ViewToolbar = 59392;
inline constexpr std::int32_t ViewStatusBar = 59393;
inline constexpr std::int32_t WindowNew = 57648;
inline constexpr std::int32_t WindowCascade = 57650;
inline constexpr std::int32_t WindowTile = 57651;
inline constexpr std::int32_t WindowArrange = 57649;
inline constexpr std::int32_t NextPane = 57680;
}  // namespace AppCommand

// Texts of the string table that belong to no command.
namespace AppString {
// The prompt of the Window menu's entries for the open windows.
inline constexpr char WindowListPrompt[] = "指定のｳｨﾝﾄﾞｳを表示";
}  // namespace AppString

}  // namespace virlo
