#pragma once

#include <QString>

#include "platform/UiLanguage.h"
#include "platform/UiText.h"

namespace virlo {

// The program's texts in the desktop's language. Its texts are written in
// Japanese, so a Japanese program needs no translator of its own: it loads
// only Qt's Japanese for Qt's dialogs and buttons. Any other language gets
// the English translation built into the program.
class Translations {
 public:
  // Installs the translators for a language on the running application;
  // false when one that the language needs could not be loaded. Installing
  // again replaces what an earlier call installed.
  static bool Install(UiLanguage language);
  // The language last installed; Japanese before any.
  static UiLanguage Installed();

  // A text of the core in the installed language, arguments in place.
  static QString Of(const UiText& text);
  // A source text marked with VIRLO_TR_NOOP in the core, translated in its context.
  static QString Of(const char* context, const char* source);
};

}  // namespace virlo
