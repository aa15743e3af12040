#pragma once

#include <QIcon>

namespace virlo {

// The pictures of the toolbar buttons (data/icons/toolbar/, as the command
// table names them), the application icon and the about box.
class Icons {
 public:
  // The button picture of a command; a null icon for commands without one.
  static QIcon ForCommand(int id, QSize size);
  static QIcon Application();
  static QPixmap AboutPicture();
};

}  // namespace virlo
