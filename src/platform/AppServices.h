#pragma once

#include "platform/Font.h"

namespace virlo {

// The services the running program offers to the core. The desktop program
// installs one; headless programs have none.
class AppServices {
 public:
  virtual ~AppServices();

  // The font text boxes draw their text in, or null while there is none yet.
  virtual const Font* GetTextFont() const = 0;

  // The running application, or null.
  static AppServices* Instance();

 protected:
  AppServices();
  AppServices(const AppServices&) = delete;
  AppServices& operator=(const AppServices&) = delete;
};

}  // namespace virlo
