#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace virlo {

// What an edit's length limit counts: bytes of the text, or characters of
// UTF-8 text (a line break, CR LF, counts two).
enum class TextUnit : std::int32_t { Bytes, Characters };

// The state of one control of a dialog as the user sees it. The core dialogs
// read and write it through their data exchange; the desktop program shows it
// in real widgets and the headless runner edits it directly.
struct DialogControl {
  // Check box state (0 or 1), the selected index of a radio group (kept on its
  // first button), or the selected item of a list box (-1: none).
  std::int32_t value = 0;
  // Edit text, in UTF-8 with CR LF line breaks.
  std::string text;
  // The most the edit accepts, counted in textUnit; 0 for no limit.
  std::int32_t textLimit = 0;
  TextUnit textUnit = TextUnit::Bytes;
  // List box items (the marker picker's in code page 932).
  std::vector<std::string> items;
  // The bitmap resource shown on a button; 0 for none.
  std::int32_t image = 0;
  // Whether the user may change it; a choice that would change nothing is greyed out.
  bool enabled = true;
};

}  // namespace virlo
