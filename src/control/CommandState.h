#pragma once

namespace virlo {

// How a command shows in the menus and toolbars: whether it may be chosen
// now, and whether it carries a check mark.
struct CommandState {
  bool enabled = false;
  bool checked = false;
};

}  // namespace virlo
