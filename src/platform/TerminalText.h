#pragma once

#include <string>
#include <string_view>

namespace virlo {

// Text from outside (a file name, a message that quotes one) made safe to
// print on a terminal: a control character would act there (retitle the
// window, clear the screen, ring), not show.
class TerminalText {
 public:
  // Control characters (C0, DEL, and C1 in UTF-8) written as \n, \t, \r,
  // \e or \xHH, and a backslash as two; everything else as it is.
  static std::string Escaped(std::string_view text);
  // A file name in single quotes, escaped.
  static std::string Quoted(std::string_view path);
};

}  // namespace virlo
