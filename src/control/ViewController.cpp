#include "control/ViewController.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "control/ArtInput.h"
#include "control/CommandIds.h"
#include "control/CommandTable.h"
#include "control/TextOutput.h"
#include "document/Document.h"
#include "import/ArtGrid.h"
#include "import/ArtImporter.h"
#include "objects/ClipboardSheet.h"
#include "objects/Sheet.h"
#include "platform/Clipboard.h"
#include "platform/DialogRunner.h"
#include "platform/Window.h"
#include "store/Database.h"
#include "tools/BoxTool.h"
#include "tools/DotTool.h"
#include "tools/LineTool.h"
#include "tools/SelectTool.h"
#include "tools/StrBoxTool.h"

namespace virlo {
namespace {

std::unique_ptr<DrawTool> MakeTool(std::int32_t kind, Sheet* sheet, Window* window) {
  switch (kind) {
    case DrawTool::SelectKind:
      return std::make_unique<SelectTool>(sheet, window);
    case DrawTool::DotKind:
      return std::make_unique<DotTool>(sheet, window);
    case DrawTool::LineKind:
      return std::make_unique<LineTool>(sheet, window);
    case DrawTool::BoxKind:
      return std::make_unique<BoxTool>(sheet, window);
    case DrawTool::StrBoxKind:
      return std::make_unique<StrBoxTool>(sheet, window);
    default:
      return nullptr;
  }
}

Point ClampToPointerLimit(Point p) {
  return {std::clamp(p.x, -ViewController::PointerLimit, ViewController::PointerLimit),
          std::clamp(p.y, -ViewController::PointerLimit, ViewController::PointerLimit)};
}

}  // namespace

class ViewController::Handling {
 public:
  explicit Handling(ViewController& view) : view_(view) { ++view_.handling_; }
  ~Handling() {
    if (--view_.handling_ == 0) view_.retired_.clear();
  }
  Handling(const Handling&) = delete;
  Handling& operator=(const Handling&) = delete;

 private:
  ViewController& view_;
};

ViewController::ViewController(Document* document, Window* window) : document_(document), window_(window) {
  document_->AddView(this);
}

ViewController::~ViewController() {
  if (document_->GetDatabase() != nullptr) ReleaseTool();
  retired_.clear();
  document_->RemoveView(this);
}

void ViewController::ReleaseTool() {
  RetireTool();
  capture_ = false;
}

void ViewController::RetireTool() {
  if (currentTool_ == nullptr) return;
  if (handling_ > 0) {
    retired_.push_back(std::move(currentTool_));
  } else {
    currentTool_.reset();
  }
}

bool ViewController::Blocked() const { return handling_ > 0 || (!capture_ && document_->IsDragging()); }

void ViewController::OnActivateView() {
  if (document_->GetDatabase() != nullptr && document_->sheet != nullptr && currentTool_ == nullptr) {
    currentTool_ = MakeTool(DrawTool::SelectKind, document_->sheet, window_);
  }
}

void ViewController::OnUpdate() {
  // A drag cannot go on over a document that changed under it.
  capture_ = false;
  if (window_ != nullptr) window_->RedrawWindow(Redraw::Invalidate | Redraw::Erase);
}

void ViewController::EndCaptureIfDialogShown(std::uint64_t before) {
  // A modal window took the mouse: the release of the drag goes to it.
  if (DialogRunner::ModalCount() == before || !capture_) return;
  capture_ = false;
  if (currentTool_ != nullptr) currentTool_->CancelBand();
}

void ViewController::UpdateModified() { document_->UpdateModifiedFlag(); }

void ViewController::OnLButtonDown(std::uint32_t flags, Point pointer) {
  const Point p = ClampToPointerLimit(pointer);
  dropRelease_ = false;
  if (currentTool_ == nullptr || Blocked()) return;
  const Handling handling(*this);
  ShowPosition(p);
  document_->SetUndoMarker();
  currentTool_->LButtonDown(flags, p.x, p.y);
  capture_ = true;
  UpdateModified();
}

void ViewController::OnLButtonDblClk(std::uint32_t flags, Point pointer) {
  const Point p = ClampToPointerLimit(pointer);
  dropRelease_ = false;
  if (currentTool_ == nullptr || capture_ || Blocked()) return;
  const Handling handling(*this);
  document_->SetUndoMarker();
  if (currentTool_->LButtonDblClk(flags, p.x, p.y)) {
    dropRelease_ = true;
  } else {
    currentTool_->LButtonDown(flags, p.x, p.y);
    capture_ = true;
  }
  UpdateModified();
}

void ViewController::OnMouseMove(std::uint32_t flags, Point pointer) {
  const Point p = ClampToPointerLimit(pointer);
  if (!capture_ || handling_ > 0) return;
  // The modified mark follows at the release: comparing on every step costs.
  if (currentTool_ != nullptr) currentTool_->MouseMove(flags, p.x, p.y);
  ShowPosition(p);
}

void ViewController::ShowPosition(Point p) {
  if (positionDisplay_) positionDisplay_(FormatPosition(p));
  if (cellDisplay_ && document_->sheet != nullptr) {
    cellDisplay_(FormatPosition(CellOf(p, document_->sheet->cellWidth, document_->sheet->cellHeight)));
  }
}

void ViewController::OnLButtonUp(std::uint32_t flags, Point pointer) {
  const Point p = ClampToPointerLimit(pointer);
  if (std::exchange(dropRelease_, false) || currentTool_ == nullptr || Blocked()) return;
  capture_ = false;
  const Handling handling(*this);
  currentTool_->LButtonUp(flags, p.x, p.y);
  UpdateModified();
}

void ViewController::OnRButtonDown(std::uint32_t flags, Point pointer) {
  const Point p = ClampToPointerLimit(pointer);
  if (currentTool_ == nullptr || Blocked()) return;
  const Handling handling(*this);
  document_->SetUndoMarker();
  const std::uint64_t dialogs = DialogRunner::ModalCount();
  currentTool_->RButtonDown(flags, p.x, p.y);
  EndCaptureIfDialogShown(dialogs);
  UpdateModified();
}

void ViewController::OnRButtonUp(std::uint32_t flags, Point pointer) {
  const Point p = ClampToPointerLimit(pointer);
  if (currentTool_ == nullptr || Blocked()) return;
  const Handling handling(*this);
  currentTool_->RButtonUp(flags, p.x, p.y);
  UpdateModified();
}

bool ViewController::OnArrowKey(ArrowKey key, bool large, bool frameAlone) {
  auto* tool = dynamic_cast<SelectTool*>(currentTool_.get());
  if (capture_ || Blocked() || tool == nullptr || !HasSelection()) return false;
  const Sheet* sheet = tool->GetSheet();
  const std::int32_t cells = large ? LargeArrowStep : 1;
  Point delta;
  switch (key) {
    case ArrowKey::Left:
      delta.x = -cells * sheet->cellWidth;
      break;
    case ArrowKey::Right:
      delta.x = cells * sheet->cellWidth;
      break;
    case ArrowKey::Up:
      delta.y = -cells * sheet->cellHeight;
      break;
    case ArrowKey::Down:
      delta.y = cells * sheet->cellHeight;
      break;
  }
  document_->SetUndoMarker();
  tool->MoveSelectionBy(delta.x, delta.y, frameAlone);
  UpdateModified();
  return true;
}

Point ViewController::CellOf(Point p, std::int32_t cellWidth, std::int32_t cellHeight) {
  auto floorDiv = [](std::int32_t value, std::int32_t size) {
    if (size <= 0) return 0;
    const std::int32_t quotient = value / size;
    return (value % size != 0 && value < 0) ? quotient - 1 : quotient;
  };
  return {floorDiv(p.x, cellWidth), floorDiv(p.y, cellHeight)};
}

std::string ViewController::FormatPosition(Point p) {
  char text[32];
  std::snprintf(text, sizeof text, "%4d,%4d", p.x, p.y);
  return text;
}

bool ViewController::HasSelection() const {
  if (currentTool_ == nullptr) return false;
  const Sheet* sheet = currentTool_->GetSheet();
  return !sheet->selected.Empty() || sheet->current != nullptr;
}

bool ViewController::HasCurrent() const {
  return currentTool_ != nullptr && currentTool_->GetSheet()->current != nullptr;
}

bool ViewController::Handles(std::int32_t id) {
  const CommandInfo* info = CommandTable::Find(id);
  return info != nullptr && info->handler == Handler::View && (info->tool != 0 || FindCommand(id) != nullptr);
}

// The view's commands besides the tools: the rule of each, what it does, and
// why it is disabled when its rule says no. None may arrive while a tool holds
// the mouse (the tool keeps pointers to what it is dragging, and a file
// written then would hold a half-finished move): UpdateCommand says so first.
const ViewController::ViewCommand* ViewController::FindCommand(std::int32_t id) {
  using Self = ViewController;
  static const ViewCommand Commands[] = {
      {CommandId::EditUndo, [](const Self& view) { return view.document_->CanUndo(); },
       [](Self& view) { view.document_->Undo(); }, "nothing to undo"},
      {CommandId::EditRedo, [](const Self& view) { return view.document_->CanRedo(); },
       [](Self& view) { view.document_->Redo(); }, "nothing to redo"},
      {CommandId::EditCopy, [](const Self& view) { return view.HasSelection(); },
       [](Self& view) { view.currentTool_->Copy(); }, "nothing is picked or selected"},
      {CommandId::EditCut, [](const Self& view) { return view.HasSelection(); },
       [](Self& view) {
         view.document_->SetUndoMarker();
         view.currentTool_->Cut();
       },
       "nothing is picked or selected"},
      {CommandId::EditDelete, [](const Self& view) { return view.HasSelection(); },
       [](Self& view) {
         view.document_->SetUndoMarker();
         view.currentTool_->DeleteSelected();
       },
       "nothing is picked or selected"},
      {CommandId::BringToFront, [](const Self& view) { return view.HasCurrent(); },
       [](Self& view) { view.currentTool_->BringToFront(); }, "nothing is picked"},
      {CommandId::SendToBack, [](const Self& view) { return view.HasCurrent(); },
       [](Self& view) { view.currentTool_->SendToBack(); }, "nothing is picked"},
      {CommandId::EditPaste,
       [](const Self& view) { return view.currentTool_ != nullptr && !clipboardSheet->objects.Empty(); },
       [](Self& view) {
         view.document_->SetUndoMarker();
         view.currentTool_->Paste();
       },
       "nothing was copied"},
      {CommandId::EditSelectAll,
       [](const Self& view) { return view.document_->sheet != nullptr && !view.document_->sheet->objects.Empty(); },
       [](Self& view) { view.SelectAll(); }, "the sheet is empty"},
      {CommandId::EditPasteArt,
       [](const Self& view) {
         return view.currentTool_ != nullptr && Clipboard::Current() != nullptr && Clipboard::Current()->HasText();
       },
       [](Self& view) { view.PasteArtNow(Clipboard::Current()->Text()); }, "the clipboard holds no text"},
      {CommandId::FilePrint, [](const Self&) { return true; },
       [](Self& view) {
         const std::uint64_t dialogs = DialogRunner::ModalCount();
         view.lastTextPrint_ = TextOutput::TextPrint(*view.document_, view.window_, view.outputOptions_);
         view.EndCaptureIfDialogShown(dialogs);
       },
       ""},
      {CommandId::ClipboardPrint, [](const Self&) { return true; },
       [](Self& view) { TextOutput::ClipboardPrint(*view.document_, view.outputOptions_); }, ""},
      {CommandId::Format,
       [](const Self& view) { return view.currentTool_ != nullptr && !view.currentTool_->FormatTargets().empty(); },
       [](Self& view) {
         // One undo step, as a right press opens it.
         view.document_->SetUndoMarker();
         const std::uint64_t dialogs = DialogRunner::ModalCount();
         view.currentTool_->Format();
         view.EndCaptureIfDialogShown(dialogs);
       },
       "nothing picked or selected is a line or a box"},
  };
  const auto* found = std::find_if(std::begin(Commands), std::end(Commands),
                                   [id](const ViewCommand& command) { return command.id == id; });
  return found != std::end(Commands) ? found : nullptr;
}

std::string ViewController::WhyDisabled(std::int32_t id) const {
  if (capture_ || document_->IsDragging()) return "a drag holds the mouse";
  if (handling_ > 0) return "a dialog is open";
  const ViewCommand* command = FindCommand(id);
  if (command == nullptr) return "the view does not run it";
  return command->whyDisabled;
}

CommandState ViewController::UpdateCommand(std::int32_t id) const {
  if (const std::int32_t kind = CommandTable::ToolOf(id); kind != 0) {
    return {!Blocked(), currentTool_ != nullptr && currentTool_->GetKind() == kind};
  }
  // A dialog a tool or command runs may not be overtaken by another command,
  // nor a drag under way.
  if (Blocked() || capture_) return {};
  const ViewCommand* command = FindCommand(id);
  return {command != nullptr && command->enabled(*this), false};
}

bool ViewController::OnCommand(std::int32_t id) {
  if (!Handles(id) || !UpdateCommand(id).enabled) return false;
  const Handling handling(*this);
  if (const std::int32_t kind = CommandTable::ToolOf(id); kind != 0) {
    ChooseTool(kind);
    return true;
  }
  const ViewCommand* command = FindCommand(id);
  if (command == nullptr) return false;
  command->run(*this);
  UpdateModified();
  return true;
}

bool ViewController::PasteArt(const std::string& utf8) {
  if (capture_ || Blocked() || currentTool_ == nullptr || document_->sheet == nullptr) return false;
  const Handling handling(*this);
  return PasteArtNow(utf8);
}

bool ViewController::PasteArtNow(const std::string& utf8) {
  if (currentTool_ == nullptr || document_->sheet == nullptr) return false;
  const UiText caption(VIRLO_UI_TEXT("ViewController", "図として貼り付け"));
  // Art copied out of source code: its comment prefix and indentation go,
  // and come back when the art is printed; the comment's opening and
  // closing lines are no part of it.
  ArtInput::Request request;
  request.encoding = ArtGrid::Encoding::Utf8;
  request.placement = ArtInput::Placement::AtCell;
  ArtInput::Art art;
  std::string error;
  if (!ArtInput::Read(utf8, request, art, error)) {
    DialogRunner::ShowMessage(
        UiText(VIRLO_UI_TEXT("ViewController", "クリップボードの文字を図にできません: %1"), {error}), caption);
    return false;
  }
  if (art.grid.Rows() == 0) {
    DialogRunner::ShowMessage(UiText(VIRLO_UI_TEXT("ViewController", "クリップボードに図がありません")), caption);
    return false;
  }
  Sheet& sheet = *document_->sheet;
  // The first cell wholly in view, moved back where the art would reach
  // past the largest sheet.
  const Point scroll = window_ != nullptr ? window_->ScrollPosition() : Point{0, 0};
  auto firstCell = [](std::int32_t position, std::int32_t cell, std::int32_t cells, std::int32_t size) {
    const std::int32_t first = std::max(0, (position + cell - 1) / cell);
    return std::min(first, std::max(0, cells - size));
  };
  const std::int32_t columns = std::max(ArtGrid::MaxColumns, sheet.width / std::max(1, sheet.cellWidth));
  const std::int32_t rows = std::max(ArtGrid::MaxRows, sheet.height / std::max(1, sheet.cellHeight));
  const std::int32_t column = firstCell(scroll.x, sheet.cellWidth, columns, art.grid.Columns());
  const std::int32_t row = firstCell(scroll.y, sheet.cellHeight, rows, art.grid.Rows());
  document_->SetUndoMarker();
  std::vector<DrawObj*> made;
  ArtImporter::Report report;
  if (!ArtInput::Build(art, sheet, column, row, report, error, &made)) {
    DialogRunner::ShowMessage(
        UiText(VIRLO_UI_TEXT("ViewController", "クリップボードの文字を図にできません: %1"), {error}), caption);
    return false;
  }
  currentTool_->SelectOnly(made);
  document_->UpdateAllViews();
  UpdateModified();
  // Printed again, the art goes back where it came from: cropped, behind
  // its prefix, in the style it was drawn in.
  outputOptions_.style = art.print.style;
  outputOptions_.crop = art.print.crop;
  outputOptions_.trim = art.print.trim;
  outputOptions_.prefix = art.print.prefix;
  pastedOptions_ = outputOptions_;
  pastedReport_ = std::move(report);
  if (art.grid.UnknownSubstitutes() > 0) {
    DialogRunner::ShowMessage(UiText(VIRLO_UI_TEXT("ViewController", "文書に入らない文字 %1 個を \"?\" にしました"),
                                     {std::to_string(art.grid.UnknownSubstitutes())}),
                              caption);
  }
  return true;
}

void ViewController::SelectAll() {
  // What is selected is there to be moved, which the select tool does.
  if (currentTool_ == nullptr || currentTool_->GetKind() != DrawTool::SelectKind) ChooseTool(DrawTool::SelectKind);
  if (currentTool_ == nullptr) return;
  std::vector<DrawObj*> all;
  List<DrawObj*>::Cursor cursor(document_->sheet->objects);
  for (DrawObj* obj = cursor.First(); obj != nullptr; obj = cursor.Next()) all.push_back(obj);
  currentTool_->SelectOnly(all);
}

void ViewController::ChooseTool(std::int32_t kind) {
  // The old tool goes first: its end releases the sheet's current object.
  RetireTool();
  capture_ = false;
  if (document_->sheet != nullptr) currentTool_ = MakeTool(kind, document_->sheet, window_);
}

}  // namespace virlo
