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
  enum class Result { Cancelled, Written, NotWritten };
  // Confirming the dialog stores the sheet's size and text file name,
  // whether or not the file can be written; a file that cannot is told in a
  // message.
  static Result TextPrint(CPlenkoDoc& document, Window* window);
  static void ClipboardPrint(CPlenkoDoc& document);

  // The file's bytes: every line feed of the art becomes CR LF.
  static std::string FileBytes(const std::string& art);
};

}  // namespace virlo
