#include "view/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace virlo {
namespace {

struct State {
  UiLanguage language = UiLanguage::Japanese;
  std::unique_ptr<QTranslator> program;
  std::unique_ptr<QTranslator> qt;
};

State& Current() {
  static State installed;
  return installed;
}

void Remove(std::unique_ptr<QTranslator>& translator) {
  if (translator == nullptr) return;
  QCoreApplication::removeTranslator(translator.get());
  translator.reset();
}

}  // namespace

bool Translations::Install(UiLanguage language) {
  State& installed = Current();
  Remove(installed.program);
  Remove(installed.qt);
  installed.language = language;
  auto translator = std::make_unique<QTranslator>();
  bool loaded = false;
  if (language == UiLanguage::English) {
    // Built into the program, from translations/virlo_en.ts.
    loaded = translator->load(QStringLiteral(":/translations/virlo_en.qm"));
    if (loaded) {
      QCoreApplication::installTranslator(translator.get());
      installed.program = std::move(translator);
    }
  } else {
    // Qt's own dialogs and buttons (file dialogs, Yes and No, the print preview) in Japanese.
    loaded = translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (loaded) {
      QCoreApplication::installTranslator(translator.get());
      installed.qt = std::move(translator);
    }
  }
  return loaded;
}

UiLanguage Translations::Installed() { return Current().language; }

QString Translations::Of(const UiText& text) {
  if (text.Context().empty()) return QString::fromStdString(text.Text());
  const QString pattern = QCoreApplication::translate(text.Context().c_str(), text.SourceText().c_str());
  return QString::fromStdString(UiText::Format(pattern.toStdString(), text.Arguments()));
}

QString Translations::Of(const char* context, const char* source) {
  if (source == nullptr || *source == '\0') return QString();
  return QCoreApplication::translate(context, source);
}

}  // namespace virlo
