#include "document/Document.h"

#include <algorithm>
#include <filesystem>

#include "document/DocumentCheck.h"
#include "document/DocumentContent.h"
#include "document/DocumentView.h"
#include "document/RecoveryNote.h"
#include "model/String.h"
#include "objects/Sheet.h"
#include "store/Database.h"
#include "store/DocumentFile.h"
#include "store/Store.h"

namespace virlo {

Document::Document() = default;

Document::~Document() {
  if (database_ != nullptr) OnCloseDocument();
}

namespace {

// Documents are kept under absolute paths, so that their text print lands
// beside them whatever the working folder is later.
std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

}  // namespace

bool Document::OnNewDocument() {
  ReleaseViewTools();
  DeleteContents();
  std::error_code error;
  std::filesystem::path folder = std::filesystem::current_path(error);
  pathName_ = (folder / (title_ + ".vrl")).string();
  database_ = std::make_unique<store::Database>(pathName_);
  untitled_ = true;
  diskIdentity_ = FileIdentity();
  AttachSheet();
  Opened();
  return sheet != nullptr;
}

bool Document::OnOpenDocument(const std::string& path) {
  lastError_.clear();
  const std::string absolute = AbsolutePath(path);
  // A save into the file cut short is finished first, so the file as it
  // then is, with that save in it, is the one later saves compare with.
  std::string unfinished;
  SafeWrite::Recover(absolute, unfinished);
  // Taken before reading: a change while it is read shows at the next save.
  const FileIdentity identity = FileIdentity::Of(absolute);
  std::unique_ptr<store::Database> opened = Read(absolute);
  if (opened == nullptr) return false;
  Attach(std::move(opened));
  pathName_ = absolute;
  title_ = std::filesystem::path(absolute).stem().string();
  untitled_ = false;
  // The text print goes beside the file as it is now, wherever it was saved.
  if (sheet != nullptr) sheet->SetTextFileName(Sheet::TextFileNameFor(String(absolute.c_str())));
  Opened();
  diskIdentity_ = identity;
  return sheet != nullptr;
}

bool Document::OnOpenRecoveryCopy(const std::string& copy, const RecoveryNote& note) {
  lastError_.clear();
  std::unique_ptr<store::Database> opened = Read(AbsolutePath(copy));
  if (opened == nullptr) return false;
  Attach(std::move(opened));
  untitled_ = note.original.empty();
  title_ = note.title;
  if (untitled_) {
    std::error_code error;
    pathName_ = (std::filesystem::current_path(error) / (title_ + ".vrl")).string();
  } else {
    pathName_ = note.original;
  }
  // The text print and its check against the document follow the original, not the copy.
  database_->SetPathName(pathName_);
  if (sheet != nullptr && !untitled_) sheet->SetTextFileName(Sheet::TextFileNameFor(String(pathName_.c_str())));
  Opened();
  // No file holds this content yet: modified until saved, whatever an undo does.
  savedContent_.clear();
  database_->ForgetSaved();
  modified_ = sheet != nullptr;
  diskIdentity_ = note.identity;
  return sheet != nullptr;
}

std::unique_ptr<store::Database> Document::Read(const std::string& path) {
  std::unique_ptr<store::Database> opened = store::DocumentFile::Open(path, lastError_, &lastErrorDetails_);
  if (opened != nullptr) {
    Sheet* found = nullptr;
    if (DocumentCheck::Check(*opened, found, lastError_) == DocumentCheck::Verdict::Refused) opened.reset();
  }
  if (opened != nullptr) lastError_.clear();
  return opened;
}

void Document::Attach(std::unique_ptr<store::Database> opened) {
  ReleaseViewTools();
  DeleteContents();
  database_ = std::move(opened);
  // A root the program does not know could point at something a later edit
  // frees; the diagram hangs from "Sheet" alone.
  database_->KeepOnlyRoot("Sheet");
  AttachSheet();
  // What was picked when the file was saved is no pick of this user's.
  if (sheet != nullptr) sheet->ClearSelection();
}

FileIdentity::Change Document::DiskChange() const {
  if (untitled_) return FileIdentity::Change::None;
  return diskIdentity_.Compare(pathName_);
}

bool Document::OnSaveDocument(const std::string& path) {
  lastError_.clear();
  lastErrorDetails_.clear();
  lastRefusal_ = SafeWrite::Refusal::None;
  if (database_ == nullptr || sheet == nullptr) {
    lastError_ = "there is no document to save";
    return false;
  }
  const std::string absolute = AbsolutePath(path);
  const String previous = sheet->textFileName;
  sheet->SetTextFileName(Sheet::TextFileNameFor(String(absolute.c_str())));
  if (!store::DocumentFile::Save(*database_, absolute, lastError_, &lastRefusal_)) {
    // A failed save changes nothing, not even the text file name.
    sheet->SetTextFileName(previous);
    return false;
  }
  pathName_ = absolute;
  database_->SetPathName(absolute);
  title_ = std::filesystem::path(absolute).stem().string();
  untitled_ = false;
  savedContent_ = DocumentContent::Of(*sheet);
  database_->MarkSaved();
  modified_ = false;
  diskIdentity_ = FileIdentity::Of(absolute);
  return true;
}

void Document::MarkContentSaved() {
  if (database_ == nullptr || sheet == nullptr) return;
  savedContent_ = DocumentContent::Of(*sheet);
  database_->MarkSaved();
  modified_ = false;
}

void Document::Opened() {
  modified_ = false;
  savedContent_.clear();
  if (sheet == nullptr) return;
  savedContent_ = DocumentContent::Of(*sheet);
  // A pick or a selection after an undo leaves the redo steps standing.
  database_->SetContentKey([this] { return sheet != nullptr ? DocumentContent::Of(*sheet) : std::string(); });
  database_->SetContentJudge([this](const store::Database& db, const store::Delta& other) {
    return sheet != nullptr ? DocumentContent::Compare(*sheet, db, other, &contentHint_) : store::Sameness::Unknown;
  });
  database_->MarkSaved();
}

void Document::UpdateModifiedFlag() {
  if (sheet == nullptr) return;
  // What changed since the save mostly tells; else the content is compared.
  switch (savedContent_.empty() ? store::Sameness::Different : database_->CompareWithSaved()) {
    case store::Sameness::Same:
      modified_ = false;
      break;
    case store::Sameness::Different:
      modified_ = true;
      break;
    case store::Sameness::Unknown:
      modified_ = DocumentContent::Of(*sheet) != savedContent_;
      break;
  }
}

void Document::OnCloseDocument() {
  ReleaseViewTools();
  DeleteContents();
  // The sheet and its objects live in the database and go with it.
  database_.reset();
}

void Document::DeleteContents() {
  if (sheet == nullptr) return;
  sheet = nullptr;
}

void Document::AttachSheet() {
  if (store::Database::Root* root = database_->FindRoot("Sheet")) {
    sheet = static_cast<Sheet*>(root->GetValue());
    return;
  }
  sheet = AttachNewSheet(*database_);
}

Sheet* Document::AttachNewSheet(store::Database& db) {
  store::Database::Root* root = db.CreateRoot("Sheet");
  Sheet* created = store::New<Sheet>(&db, NewWidth, NewHeight, NewCellWidth, NewCellHeight);
  root->SetValue(created);
  return created;
}

void Document::SetUndoMarker() {
  if (database_ != nullptr && store::WhichProduct() == 1) database_->SetUndoMarker();
}

// Undo and redo wait until a drag is over: the tool holds pointers into the
// state they would replace.
bool Document::CanUndo() const { return database_ != nullptr && !IsDragging() && database_->IsUndoable(); }

bool Document::CanRedo() const { return database_ != nullptr && !IsDragging() && database_->IsRedoable(); }

bool Document::IsDragging() const {
  return std::any_of(views_.begin(), views_.end(), [](const DocumentView* view) { return view->HasCapture(); });
}

bool Document::IsHandling() const {
  return std::any_of(views_.begin(), views_.end(), [](const DocumentView* view) { return view->IsHandling(); });
}

bool Document::OnEditUndo() { return CanUndo() && Undo(); }

bool Document::OnEditRedo() { return CanRedo() && Redo(); }

bool Document::Undo() {
  return database_ != nullptr && Step([this] { return database_->Undo(); });
}

bool Document::Redo() {
  return database_ != nullptr && Step([this] { return database_->Redo(); });
}

bool Document::Step(const std::function<bool()>& step) {
  // The text print's name follows the file, not the history: an undo past a
  // save must not bring back the name of the unsaved document.
  const String name = sheet->textFileName;
  if (!step()) return false;
  if (sheet->textFileName.View() != name.View()) sheet->SetTextFileName(name);
  UpdateModifiedFlag();
  UpdateAllViews();
  return true;
}

void Document::UpdateAllViews() {
  for (DocumentView* view : views_) view->OnUpdate();
}

void Document::AddView(DocumentView* view) {
  if (std::find(views_.begin(), views_.end(), view) == views_.end()) views_.push_back(view);
}

void Document::RemoveView(DocumentView* view) {
  views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
}

void Document::ReleaseViewTools() {
  for (DocumentView* view : views_) view->ReleaseTool();
}

}  // namespace virlo
