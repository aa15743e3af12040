#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "control/CommandState.h"
#include "control/TextOutput.h"
#include "document/DocumentView.h"
#include "import/ArtImporter.h"
#include "platform/Point.h"

namespace virlo {

class Document;
class DrawTool;
class Window;

// What a view does with mouse input and commands, apart from showing them:
// it owns the current tool, sets an undo marker before every press, captures
// the mouse from a left press to its release, passes moves to the tool only
// while captured, brings the document's modified mark up to date after every
// gesture and command, and delivers a command only when its rule enables it.
// The desktop view and the headless view of virlo-cli share it.
class ViewController : public DocumentView {
 public:
  // Pointer positions reach the tools within this distance of the origin on
  // either axis; a tool never builds beyond what the sheet's limits allow.
  static constexpr std::int32_t PointerLimit = 1'000'000;
  // Cells an arrow key moves the selection with Shift held.
  static constexpr std::int32_t LargeArrowStep = 8;

  enum class ArrowKey : std::int32_t { Left, Right, Up, Down };

  ViewController(Document* document, Window* window);
  ~ViewController() override;
  ViewController(const ViewController&) = delete;
  ViewController& operator=(const ViewController&) = delete;

  Document* GetDocument() const { return document_; }
  Window* GetWindow() const override { return window_; }
  DrawTool* CurrentTool() const { return currentTool_.get(); }
  void ReleaseTool() override;
  // Activation gives a view without a tool the select tool.
  void OnActivateView();
  // The document changed under the view (undo, redo): repaint it all.
  void OnUpdate() override;

  // Mouse input at sheet points, with the key-state flags of MouseKeys.
  void OnLButtonDown(std::uint32_t flags, Point p);
  void OnMouseMove(std::uint32_t flags, Point p);
  void OnLButtonUp(std::uint32_t flags, Point p);
  // The second press of a double click: the tool's double click, or a plain
  // press when the tool has none there.
  void OnLButtonDblClk(std::uint32_t flags, Point p);
  void OnRButtonDown(std::uint32_t flags, Point p);
  void OnRButtonUp(std::uint32_t flags, Point p);
  // A tool's handler that runs a dialog holds the document as a drag does:
  // the tool keeps pointers into it until the handler returns.
  bool HasCapture() const override { return capture_ || handling_ > 0; }
  bool IsHandling() const override { return handling_ > 0; }
  // Moves what a drag from the selection would move by one cell (large:
  // LargeArrowStep cells), as one undo step; frameAlone (Ctrl): a box moved
  // whole leaves what lies inside it. False, changing nothing, when the
  // select tool has nothing picked or selected or holds the mouse.
  bool OnArrowKey(ArrowKey key, bool large, bool frameAlone = false);

  // Receives the pointer position shown at a press and during a drag, e.g. "  16,  32".
  void SetPositionDisplay(std::function<void(const std::string&)> display) { positionDisplay_ = std::move(display); }
  static std::string FormatPosition(Point p);
  // Receives the grid cell of that position, as "column,row" in FormatPosition's form.
  void SetCellDisplay(std::function<void(const std::string&)> display) { cellDisplay_ = std::move(display); }
  // The cell holding a sheet point: cells count from 0, and a point left of
  // or above the sheet lies in a negative one.
  static Point CellOf(Point p, std::int32_t cellWidth, std::int32_t cellHeight);

  // The view's commands: their state, and delivery when enabled. False when
  // the command is unknown to the view or disabled.
  CommandState UpdateCommand(std::int32_t id) const;
  bool OnCommand(std::int32_t id);
  // Why a command is disabled now, for a script's note, in English.
  std::string WhyDisabled(std::int32_t id) const;
  static bool Handles(std::int32_t id);
  // How text print and clipboard print shape the art.
  void SetOutputOptions(const ArtOptions& options) { outputOptions_ = options; }
  const ArtOptions& OutputOptions() const { return outputOptions_; }
  // The print options a paste of art took on since last asked (its style,
  // cropped, its comment prefix), for the program to keep; nothing when none.
  std::optional<ArtOptions> TakePastedOptions() { return std::exchange(pastedOptions_, std::nullopt); }
  // What the last paste of art made, since last asked, for the program to show.
  std::optional<ArtImporter::Report> TakePastedReport() { return std::exchange(pastedReport_, std::nullopt); }
  // How the last text print ended.
  TextOutput::Result LastTextPrint() const { return lastTextPrint_; }

  // Brings character art in as objects at the top-left of the visible area,
  // selected, in one undo step; false, with the reason shown, when it cannot.
  bool PasteArt(const std::string& utf8);

 private:
  // Counts a tool's handler (or a command) under way for as long as it lives.
  class Handling;
  // A command of the view besides the tools: its rule and what it does.
  struct ViewCommand {
    std::int32_t id;
    bool (*enabled)(const ViewController& view);
    void (*run)(ViewController& view);
    const char* whyDisabled;
  };
  // Null for a command the view does not run (the tools are not listed).
  static const ViewCommand* FindCommand(std::int32_t id);
  // PasteArt, once the view knows it may.
  bool PasteArtNow(const std::string& utf8);

  void ChooseTool(std::int32_t kind);
  // Shows a pointer position and its cell.
  void ShowPosition(Point p);
  // Makes every object of the sheet the selection, with the select tool.
  void SelectAll();
  // Ends the current tool; a tool whose handler is still running is only
  // put aside, and goes when the handler returns.
  void RetireTool();
  // Input and commands wait while a handler of this view runs, or while
  // another view of the document holds it.
  bool Blocked() const;
  // The document is modified exactly when it differs from its file.
  void UpdateModified();
  // Ends the capture when a modal dialog or message was shown since before.
  void EndCaptureIfDialogShown(std::uint64_t before);
  bool HasSelection() const;
  bool HasCurrent() const;

  Document* document_;
  Window* window_;
  std::unique_ptr<DrawTool> currentTool_;
  bool capture_ = false;
  std::int32_t handling_ = 0;
  std::vector<std::unique_ptr<DrawTool>> retired_;
  // The release of a double click the tool took belongs to no press.
  bool dropRelease_ = false;
  TextOutput::Result lastTextPrint_ = TextOutput::Result::Cancelled;
  ArtOptions outputOptions_;
  std::optional<ArtOptions> pastedOptions_;
  std::optional<ArtImporter::Report> pastedReport_;
  std::function<void(const std::string&)> positionDisplay_;
  std::function<void(const std::string&)> cellDisplay_;
};

}  // namespace virlo
