#pragma once

#include <QString>
#include <map>

#include "app/DocumentLock.h"

namespace virlo {

class Document;
class FileQuestions;

// How the desktop program keeps documents' files safe: each open file is
// locked against other VIRLOs, a file another VIRLO holds opens read-only if
// the user wishes, and a save asks first when another program changed the
// file, never writes over a file another window or VIRLO holds, and offers
// another name when the file may not be written. The questions go through
// FileQuestions.
class FileSafety {
 public:
  // What is kept about a document's file while it is open.
  struct OpenFile {
    DocumentLock lock;
    bool readOnly = false;
  };

  explicit FileSafety(FileQuestions* questions) : questions_(questions) {}
  void SetQuestions(FileQuestions* questions) { questions_ = questions; }

  // Locks a file about to open; when another VIRLO holds it, asks how to
  // open it. False when the user cancels.
  bool LockForOpening(const QString& path, OpenFile& file);
  // The document opened with its file; it keeps the file's lock until Forget.
  void Keep(const Document* document, OpenFile file);
  void Forget(const Document* document);
  void ForgetAll();
  // Opened read-only because another VIRLO held it: saving asks for another name.
  bool IsReadOnly(const Document* document) const;

  // Saves under its own name, or under one asked for (always with saveAs,
  // for an untitled document and for one opened read-only). The path saved
  // to; empty when the document was not saved.
  QString Save(Document& document, bool saveAs);

  // The file dialogs' filter for documents, in the program's language.
  static QString DocumentFilter();

 private:
  FileQuestions* questions_;
  std::map<const Document*, OpenFile> files_;
};

}  // namespace virlo
