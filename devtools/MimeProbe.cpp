// Asks the shared MIME database, as Qt reads it from XDG_DATA_DIRS, what it
// makes of a file, so the install test sees what desktop programs will see.
//   virlo_mime_probe content FILE   the type by the file's bytes alone
//   virlo_mime_probe name FILE      the type by the file name alone
//   virlo_mime_probe type NAME      the type's comment and its parents
//   virlo_mime_probe xml FILE       exit 0 only when FILE is well-formed XML
#include <QCoreApplication>
#include <QFile>
#include <QMimeDatabase>
#include <QXmlStreamReader>
#include <cstdio>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  if (args.size() != 3) {
    std::fputs("usage: virlo_mime_probe content|name|type|xml ARGUMENT\n", stderr);
    return 2;
  }
  const QString mode = args[1];
  const QString argument = args[2];
  QMimeDatabase db;
  if (mode == QStringLiteral("content")) {
    std::printf("%s\n", qPrintable(db.mimeTypeForFile(argument, QMimeDatabase::MatchContent).name()));
  } else if (mode == QStringLiteral("name")) {
    std::printf("%s\n", qPrintable(db.mimeTypeForFile(argument, QMimeDatabase::MatchExtension).name()));
  } else if (mode == QStringLiteral("type")) {
    const QMimeType type = db.mimeTypeForName(argument);
    if (!type.isValid()) {
      std::fprintf(stderr, "virlo_mime_probe: no type '%s'\n", qPrintable(argument));
      return 1;
    }
    std::printf("comment: %s\nparents: %s\n", qPrintable(type.comment()),
                qPrintable(type.parentMimeTypes().join(QLatin1Char(' '))));
  } else if (mode == QStringLiteral("xml")) {
    QFile file(argument);
    if (!file.open(QIODevice::ReadOnly)) {
      std::fprintf(stderr, "virlo_mime_probe: cannot read '%s'\n", qPrintable(argument));
      return 1;
    }
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) xml.readNext();
    if (xml.hasError()) {
      std::fprintf(stderr, "%s:%lld: %s\n", qPrintable(argument), static_cast<long long>(xml.lineNumber()),
                   qPrintable(xml.errorString()));
      return 1;
    }
  } else {
    std::fprintf(stderr, "virlo_mime_probe: unknown mode '%s'\n", qPrintable(mode));
    return 2;
  }
  return 0;
}
