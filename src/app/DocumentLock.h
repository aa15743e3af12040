#pragma once

#include <QString>
#include <memory>

class QLockFile;

namespace virlo {

// Marks a document file as open in this VIRLO with a lock file beside it,
// ".NAME.vrl.lock" (a QLockFile naming the process, its program and host).
// A lock whose process is gone is taken over at once; one that cannot be
// made (a folder the user may not write, something other than a small
// regular file in its place) is simply not there.
class DocumentLock {
 public:
  enum class Result {
    Locked,         // this VIRLO holds it now
    HeldElsewhere,  // another running VIRLO holds it
    NotPossible,    // no lock could be made there; the file is not marked
  };

  DocumentLock();
  ~DocumentLock();
  DocumentLock(DocumentLock&&) noexcept;
  DocumentLock& operator=(DocumentLock&&) noexcept;

  // The lock file of a document: beside the file that links lead to.
  static QString LockPathFor(const QString& document);

  // Locks the document's file, releasing whatever was held before.
  Result Take(const QString& document);
  void Release();
  // Whether this holds the lock of that document's file.
  bool Holds(const QString& document) const;
  // Who holds it, after HeldElsewhere: "host, process N".
  const QString& Holder() const { return holder_; }

 private:
  std::unique_ptr<QLockFile> file_;
  QString lockPath_;
  QString holder_;
};

}  // namespace virlo
