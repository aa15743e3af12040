#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileIdentity.h"
#include "platform/SafeWrite.h"

namespace virlo {

class DocumentView;
class Sheet;
struct RecoveryNote;
namespace store {
class Database;
}

// A diagram document: a database of the store holding the root "Sheet", the
// views that show it, and the modified flag.
class Document {
 public:
  Document();
  virtual ~Document();
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  // Sheet size and grid of a new document.
  static constexpr std::int32_t NewWidth = 624;
  static constexpr std::int32_t NewHeight = 1024;
  static constexpr std::int32_t NewCellWidth = 8;
  static constexpr std::int32_t NewCellHeight = 16;
  // Makes a sheet of the new-document size the database's root "Sheet".
  static Sheet* AttachNewSheet(store::Database& db);

  // A new database named after the title in the current folder, with its sheet.
  virtual bool OnNewDocument();
  // Reads and checks a document file; on failure the document is unchanged
  // and LastError says why.
  virtual bool OnOpenDocument(const std::string& path);
  // Reads and checks a recovery copy as the document its note names: the
  // original's path, title and file as last seen, so that Save goes there
  // after the usual checks (an untitled one asks for a name). It stays
  // modified until saved. On failure the document is unchanged.
  bool OnOpenRecoveryCopy(const std::string& copy, const RecoveryNote& note);
  // Takes the text file name from the path, then saves; on failure the old
  // file is untouched, the document stays modified and LastError says why.
  virtual bool OnSaveDocument(const std::string& path);
  virtual void OnCloseDocument();
  const std::string& LastError() const { return lastError_; }
  // What more there is to say about the last failure, shown on request (the
  // problems a damaged file holds, a line each); often nothing.
  const std::string& LastErrorDetails() const { return lastErrorDetails_; }
  // Why the last save could not write its file at all (ReadOnly: the user
  // may not replace it; saving under another name may help).
  SafeWrite::Refusal LastRefusal() const { return lastRefusal_; }
  virtual void DeleteContents();

  void SetTitle(std::string title) { title_ = std::move(title); }
  const std::string& GetTitle() const { return title_; }
  const std::string& GetPathName() const { return pathName_; }
  // True until the document is saved or was opened from a file.
  bool IsUntitled() const { return untitled_; }
  // The file as opened or last saved; unknown for an untitled document.
  const FileIdentity& DiskIdentity() const { return diskIdentity_; }
  // How the file on disk differs from it: whether another program changed,
  // replaced or removed it since. None for an untitled document.
  FileIdentity::Change DiskChange() const;

  // Modified means the content differs from the file as last saved or
  // opened (for a new document: from the empty sheet).
  bool IsModified() const { return modified_; }
  void SetModifiedFlag(bool modified = true) { modified_ = modified; }
  // Compares the content with the file's again; after every edit and step.
  void UpdateModifiedFlag();
  // The content now is what its file holds, though no document file does
  // (a diagram read from or written into the lines of a text file): not modified.
  void MarkContentSaved();

  store::Database* GetDatabase() const { return database_.get(); }
  // Marks the start of an edit, when the store keeps an undo history.
  void SetUndoMarker();

  // Undo and Redo with their rules: enabled exactly when the store can do
  // them and no drag holds the document. A step done repaints every view.
  // False when disabled.
  bool CanUndo() const;
  bool CanRedo() const;
  bool OnEditUndo();
  bool OnEditRedo();
  // One step back or forth when the history has one, for a caller that has
  // checked the rules (the view's Undo and Redo commands).
  bool Undo();
  bool Redo();
  void UpdateAllViews();

  void AddView(DocumentView* view);
  void RemoveView(DocumentView* view);
  const std::vector<DocumentView*>& Views() const { return views_; }
  // True while a drag in one of the views holds the mouse.
  bool IsDragging() const;
  // True while a tool or command of one of the views runs, perhaps waiting for a dialog.
  bool IsHandling() const;
  // Every view drops its tool before the database or sheet changes.
  void ReleaseViewTools();

  // The root sheet; null while no database is attached.
  Sheet* sheet = nullptr;

 protected:
  // Finds the root "Sheet" of the database, or makes a new one there.
  void AttachSheet();

 private:
  // The state just made or read is the file's: not modified.
  void Opened();
  // Reads and checks a document file; null with LastError.
  std::unique_ptr<store::Database> Read(const std::string& path);
  // Puts a database just read in place of the present one and finds its sheet.
  void Attach(std::unique_ptr<store::Database> opened);
  // An undo or redo step, keeping what is not part of the history.
  bool Step(const std::function<bool()>& step);

  std::unique_ptr<store::Database> database_;
  std::string title_ = "Plenko1";
  std::string pathName_;
  std::string lastError_;
  std::string lastErrorDetails_;
  SafeWrite::Refusal lastRefusal_ = SafeWrite::Refusal::None;
  bool modified_ = false;
  std::string savedContent_;
  // The last object found to differ between two states (DocumentContent::Compare).
  std::uintptr_t contentHint_ = 0;
  bool untitled_ = true;
  FileIdentity diskIdentity_;
  std::vector<DocumentView*> views_;
};

}  // namespace virlo
