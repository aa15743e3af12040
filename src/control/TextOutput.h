#pragma once

#include <string>

#include "export/ArtExport.h"

namespace virlo {

class Document;
class Sheet;
class Window;

// The two ways a diagram leaves as text: text print (the print dialog, then
// the art into the sheet's text file with CR LF line ends) and clipboard
// print (the art on the system clipboard). With the plain options the text
// print writes the sheet's own bytes (code page 932); the Unicode style
// writes UTF-8, and crop and a comment prefix shape the lines as `render`
// does. The clipboard always holds UTF-8.
class TextOutput {
 public:
  enum class Result { Cancelled, Written, NotWritten };
  // Confirming the dialog stores the sheet's size and text file name,
  // whether or not the file can be written; a file that cannot is told in a
  // message.
  static Result TextPrint(Document& document, Window* window, const ArtOptions& options = {});
  static void ClipboardPrint(Document& document, const ArtOptions& options = {});
  // Whether options print the art as the sheet holds it, untouched.
  static bool IsPlain(const ArtOptions& options);
  // How many characters the text print writes with these options as their
  // code page 932 substitutes; none when it writes UTF-8.
  static std::int32_t Substitutes(const Sheet& sheet, const ArtOptions& options = {});

  // The file's bytes: every line feed of the art becomes CR LF.
  static std::string FileBytes(const std::string& art);
};

}  // namespace virlo
