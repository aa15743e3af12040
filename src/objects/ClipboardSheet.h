#pragma once

namespace virlo {

class Sheet;

// The object clipboard: one transient 1024 x 1024 sheet with 8 x 16 cells for
// the whole run, shared by every document. Cut and Copy fill it, Paste copies
// from it.
extern Sheet* const clipboardSheet;

}  // namespace virlo
