#pragma once

#include <string>

namespace virlo {

// The system clipboard, for text. The desktop program installs one.
class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Puts UTF-8 text on the clipboard; false with the reason when it cannot.
  virtual bool SetText(const std::string& utf8, std::string& error) = 0;
  // Whether the clipboard holds text, and the text in UTF-8. A clipboard
  // that cannot give text back holds none.
  virtual bool HasText() const { return false; }
  virtual std::string Text() const { return {}; }

  static Clipboard* Current();
  // Installs a clipboard (null: none); returns the one installed before.
  static Clipboard* Install(Clipboard* clipboard);
};

}  // namespace virlo
