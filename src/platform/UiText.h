#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/UiLanguage.h"

// Marks a text of the core for translation without translating it: lupdate
// reads it as QT_TRANSLATE_NOOP, and it stands for the text itself. The Qt
// layer translates it with the same context where it shows it.
#define VIRLO_TR_NOOP(context, text) text
// The same for a UiText: stands for its context and source text.
#define VIRLO_UI_TEXT(context, text) \
  ::virlo::UiText::Source { context, text }

namespace virlo {

// A user-visible text made by the core, kept so that the Qt layer can show it
// in the desktop's language: its translation context, its source text (the
// Japanese the program is written in, "%1" to "%9" for the arguments) and the
// arguments. A text without a context is shown as it is.
class UiText {
 public:
  struct Source {
    const char* context;
    const char* text;
  };

  UiText() = default;
  UiText(Source source, std::vector<std::string> arguments = {});
  // Text that is not translated, such as a message of the system.
  static UiText Plain(std::string text);

  const std::string& Context() const { return context_; }
  const std::string& SourceText() const { return source_; }
  const std::vector<std::string>& Arguments() const { return arguments_; }
  bool Empty() const { return source_.empty(); }
  // The text in the language set for the core, with the arguments in place;
  // the source text when it has no translation.
  std::string Text() const;
  // The same in the language given, whatever the core's.
  std::string In(UiLanguage language) const;

  // The language Text() speaks: Japanese, the source language, until set.
  static void SetLanguage(UiLanguage language);
  static UiLanguage Language();

  // Puts arguments in place of "%1" to "%9" in one pass, so an argument that
  // holds "%2" stays as it is. A marker without its argument stays too.
  static std::string Format(std::string_view pattern, const std::vector<std::string>& arguments);

 private:
  std::string context_;
  std::string source_;
  std::vector<std::string> arguments_;
};

}  // namespace virlo
