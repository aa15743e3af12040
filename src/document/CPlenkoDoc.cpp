#include "document/CPlenkoDoc.h"

#include <algorithm>
#include <filesystem>

#include "document/DocumentCheck.h"
#include "document/DocumentView.h"
#include "model/String.h"
#include "store/DocumentFile.h"
#include "model/Sheet.h"
#include "store/Database.h"
#include "store/Store.h"

namespace virlo {

std::int32_t CPlenkoDoc::openDocumentCount = 0;

CPlenkoDoc::CPlenkoDoc() = default;

CPlenkoDoc::~CPlenkoDoc() {
  if (database_ != nullptr) OnCloseDocument();
}

bool CPlenkoDoc::OnNewDocument() {
  ReleaseViewTools();
  DeleteContents();
  std::error_code error;
  std::filesystem::path folder = std::filesystem::current_path(error);
  pathName_ = (folder / (title_ + ".vrl")).string();
  database_ = std::make_unique<store::Database>(pathName_);
  modified_ = false;
  untitled_ = true;
  AttachSheet();
  return sheet != nullptr;
}

bool CPlenkoDoc::OnOpenDocument(const std::string& path) {
  lastError_.clear();
  std::unique_ptr<store::Database> opened = store::DocumentFile::Open(path, lastError_);
  if (opened != nullptr && DocumentCheck::Run(*opened, lastError_) == nullptr) opened.reset();
  if (opened == nullptr) return false;
  ReleaseViewTools();
  DeleteContents();
  database_ = std::move(opened);
  pathName_ = path;
  title_ = std::filesystem::path(path).stem().string();
  modified_ = false;
  untitled_ = false;
  AttachSheet();
  return sheet != nullptr;
}

bool CPlenkoDoc::OnSaveDocument(const std::string& path) {
  lastError_.clear();
  if (database_ == nullptr || sheet == nullptr) {
    lastError_ = "there is no document to save";
    return false;
  }
  const String previous = sheet->textFileName;
  sheet->SetTextFileName(Sheet::TextFileNameFor(String(path.c_str())));
  if (!store::DocumentFile::Save(*database_, path, lastError_)) {
    // A failed save changes nothing, not even the text file name.
    sheet->SetTextFileName(previous);
    return false;
  }
  pathName_ = path;
  database_->SetPathName(path);
  title_ = std::filesystem::path(path).stem().string();
  modified_ = false;
  untitled_ = false;
  return true;
}

void CPlenkoDoc::OnCloseDocument() {
  ReleaseViewTools();
  DeleteContents();
  // The sheet and its objects live in the database and go with it.
  database_.reset();
}

void CPlenkoDoc::DeleteContents() {
  if (sheet == nullptr) return;
  sheet = nullptr;
  if (openDocumentCount > 0) --openDocumentCount;
}

void CPlenkoDoc::AttachSheet() {
  ++openDocumentCount;
  if (store::Database::Root* root = database_->FindRoot("Sheet")) {
    sheet = static_cast<Sheet*>(root->GetValue());
    return;
  }
  store::Database::Root* root = database_->CreateRoot("Sheet");
  sheet = store::New<Sheet>(database_.get(), NewWidth, NewHeight, NewCellWidth, NewCellHeight);
  root->SetValue(sheet);
}

void CPlenkoDoc::SetUndoMarker() {
  if (database_ != nullptr && store::WhichProduct() == 1) database_->SetUndoMarker();
}

// Undo and redo wait until a drag is over: the tool holds pointers into the
// state they would replace.
bool CPlenkoDoc::CanUndo() const { return database_ != nullptr && !IsDragging() && database_->IsUndoable(); }

bool CPlenkoDoc::CanRedo() const { return database_ != nullptr && !IsDragging() && database_->IsRedoable(); }

bool CPlenkoDoc::IsDragging() const {
  return std::any_of(views_.begin(), views_.end(), [](const DocumentView* view) { return view->HasCapture(); });
}

bool CPlenkoDoc::OnEditUndo() {
  if (!CanUndo() || !database_->Undo()) return false;
  UpdateAllViews();
  return true;
}

bool CPlenkoDoc::OnEditRedo() {
  if (!CanRedo() || !database_->Redo()) return false;
  UpdateAllViews();
  return true;
}

void CPlenkoDoc::UpdateAllViews() {
  for (DocumentView* view : views_) view->OnUpdate();
}

void CPlenkoDoc::AddView(DocumentView* view) {
  if (std::find(views_.begin(), views_.end(), view) == views_.end()) views_.push_back(view);
}

void CPlenkoDoc::RemoveView(DocumentView* view) { views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end()); }

void CPlenkoDoc::ReleaseViewTools() {
  for (DocumentView* view : views_) view->ReleaseTool();
}

}  // namespace virlo
