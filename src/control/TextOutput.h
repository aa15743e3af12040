#pragma once

#include <string>

namespace virlo {

class CPlenkoDoc;
class Window;

// The two ways a diagram leaves as text: text print (the print dialog, then
// the art into the sheet's text file with CR LF line ends) and clipboard
// print (the art on the system clipboard).
class TextOutput {
 public:
  // True when the dialog was confirmed (the sheet's size and text file name
  // are then stored, whether or not the file could be written).
  static bool TextPrint(CPlenkoDoc& document, Window* window);
  static void ClipboardPrint(CPlenkoDoc& document);

  // The file's bytes: every line feed of the art becomes CR LF.
  static std::string FileBytes(const std::string& art);
};

}  // namespace virlo
