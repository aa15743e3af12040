#pragma once

#include "platform/Font.h"

namespace virlo {

// The services the running program offers to the core. The desktop program
// installs one; headless programs have none.
class Application {
 public:
  virtual ~Application();

  // The font text boxes draw their text in, or null while there is none yet.
  virtual const Font* GetTextFont() const = 0;

  // The running application, or null.
  static Application* Instance();

 protected:
  Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;
};

}  // namespace virlo
