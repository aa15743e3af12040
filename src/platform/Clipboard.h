#pragma once

#include <string>

namespace virlo {

// The system clipboard, for text. The desktop program installs one.
class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Puts UTF-8 text on the clipboard; false with the reason when it cannot.
  virtual bool SetText(const std::string& utf8, std::string& error) = 0;

  static Clipboard* Current();
  // Installs a clipboard (null: none); returns the one installed before.
  static Clipboard* Install(Clipboard* clipboard);
};

}  // namespace virlo
