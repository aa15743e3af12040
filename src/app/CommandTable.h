#pragma once

#include <cstdint>
#include <span>

#include "platform/UiText.h"

namespace virlo {

// One command of the menus, keys and toolbars, with its texts as stored:
// the menu caption, the status-bar prompt and the tooltip, in UTF-8. They are
// the source texts of the translations, in the context "CommandTable". Its
// keys are the only place a key is bound: the menu shows the first after the
// caption, and every one of them runs the command.
struct CommandInfo {
  std::int32_t id;
  const char* name;
  const char* caption;
  // The caption in the menu of a document window, where it differs.
  const char* documentCaption;
  const char* prompt;
  const char* tooltip;
  // Key sequences in Qt's portable form, separated by "; "; "" for none.
  const char* keys;
};

class CommandTable {
 public:
  static std::span<const CommandInfo> All();
  // Null for an id the table does not hold.
  static const CommandInfo* Find(std::int32_t id);
};

// Texts of the string table that belong to no command, in the same context.
namespace AppString {
// The prompt of the Window menu's entries for the open windows.
inline constexpr char WindowListPrompt[] = VIRLO_TR_NOOP("CommandTable", "指定のｳｨﾝﾄﾞｳを表示");
}  // namespace AppString

}  // namespace virlo
