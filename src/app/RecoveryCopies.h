#pragma once

#include <QString>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "document/RecoveryNote.h"

class QLockFile;

namespace virlo {

class Document;

// Recovery copies of the modified documents of this VIRLO, in one folder of
// the user's data (never beside a document) that is the user's alone: one
// that belongs to another user or that others may write is not used. Copies
// and notes are private (0600); nothing in the folder but regular files is
// ever opened, and no link is followed. Each running VIRLO is a session
// with a random name of 16 hexadecimal digits and holds SESSION.lock (a
// QLockFile) while it runs; its copies are SESSION-N.vrl, each with
// SESSION-N.note (a RecoveryNote: which document it belongs to). Copies are
// written with the same safe write as documents, and only the documents'
// databases are read: a copy changes nothing of what a document thinks its
// file is. Copies whose session lock can be taken belong to a VIRLO that
// ended without removing them (killed, crashed): orphans, offered at start.
class RecoveryCopies {
 public:
  // A copy left by a session that is no longer running.
  struct Orphan {
    QString copy;
    QString notePath;
    RecoveryNote note;
    bool noteRead = false;  // false: no note, or a damaged one
  };

  explicit RecoveryCopies(QString folder);
  // Removes this session's copies: the program ends normally.
  ~RecoveryCopies();
  RecoveryCopies(const RecoveryCopies&) = delete;
  RecoveryCopies& operator=(const RecoveryCopies&) = delete;

  // The recovery folder in the user's data, from QStandardPaths::AppDataLocation.
  static QString DefaultFolder();

  // Makes the folder (private to the user) and takes this session's lock;
  // false, writing nothing ever, when that is not possible (StartError says why).
  bool Start();
  bool Started() const { return lock_ != nullptr; }
  const std::string& StartError() const { return startError_; }
  const QString& Folder() const { return folder_; }

  // Writes the document's copy when it is modified and differs from its last
  // copy (not in the middle of a drag); removes the copy once it is not modified.
  void Update(const Document& document);
  // Removes the document's copy: it was saved or closed.
  void Remove(const Document* document);
  // The document's copy, empty while it has none.
  QString CopyOf(const Document* document) const;
  // Why the last copy could not be written; empty when it was.
  const std::string& LastError() const { return lastError_; }

  // The copies of sessions that are no longer running, oldest first; with an
  // original, only the copies of that document file. Their sessions stay
  // locked here until ReleaseOrphans, so that a VIRLO started meanwhile does
  // not offer them too.
  std::vector<Orphan> FindOrphans(const std::string& original = {});
  // Makes an orphan the copy of a document just opened from it.
  void Adopt(const Orphan& orphan, const Document& document);
  void Discard(const Orphan& orphan);
  // Lets go of the orphans' sessions; the copies still there stay for a later start.
  void ReleaseOrphans();

 private:
  struct Copy {
    int number = 0;
    bool written = false;
    std::string content;  // the document's content as last copied
    RecoveryNote note;
  };

  QString CopyPath(const QString& session, int number) const;
  QString NotePath(const QString& session, int number) const;
  Copy& CopyFor(const Document* document);
  static RecoveryNote NoteOf(const Document& document);

  QString folder_;
  QString session_;
  std::unique_ptr<QLockFile> lock_;
  std::map<const Document*, Copy> copies_;
  int nextNumber_ = 1;
  std::string lastError_;
  std::string startError_;
  // The locks of orphaned sessions, held while their copies are offered.
  std::map<QString, std::unique_ptr<QLockFile>> orphanLocks_;
};

}  // namespace virlo
