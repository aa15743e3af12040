#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QMap>
#include <QTimer>
#include <functional>
#include <map>

#include "control/CommandState.h"

class QAction;
class QMenu;
class QMdiArea;
class QToolBar;

namespace virlo {

class DocumentWindow;
class Application;
class Document;
class SheetView;

// The main window: document windows in an MDI area, the menus of "no
// document" and "a document window active", the file and drawing toolbars,
// the status bar with the coordinate and cell panes, and the accelerator keys. Every
// command goes through Dispatch, which asks its rule first.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // The coordinate pane's width in pixels.
  static constexpr int PositionPaneWidth = 54;
  // The cell pane's width in pixels, for "column,row" up to "1000,1000".
  static constexpr int CellPaneWidth = 54;

  explicit MainWindow(Application& app);
  ~MainWindow() override;

  QMdiArea* MdiArea() const { return mdiArea_; }
  DocumentWindow* ActiveFrame() const;
  SheetView* ActiveView() const;
  Document* ActiveDocument() const;
  DocumentWindow* AddFrame(Document* document);
  // Takes a window out and deletes it; the window shown next is maximised
  // when the one taken out was.
  void RemoveFrame(DocumentWindow* frame);

  // Runs a command when its rule enables it; false when it was not delivered.
  bool Dispatch(int id);
  // Whether a command may run now and whether it is checked, by its rule.
  CommandState StateOf(int id) const;
  // Whether the view or the frames have a handler for the command.
  bool Runs(int id) const;
  // Whether the table gives the command to the view controller to run.
  static bool RunsInView(int id);
  // Brings menus, toolbars and titles in line with the present state.
  void UpdateCommandUi();
  void RebuildMenus();

  void SetPositionText(const QString& text) { positionPane_->setText(text); }
  QString PositionText() const { return positionPane_->text(); }
  QString CellText() const { return cellPane_->text(); }
  // A message in the status bar for a while, wrapped to the bar's width so
  // that a long one shows whole; the bar's own text comes back after it.
  void ShowLongMessage(const QString& text, int milliseconds);
  QAction* Action(int id) const { return actions_.value(id); }
  QToolBar* FileToolBar() const { return fileBar_; }
  QToolBar* DrawingToolBar() const { return drawingBar_; }
  // Answers the question for the comment prefix, so tests can drive it: null asks the user.
  std::function<QString()> prefixQuestion;

 signals:
  // A command asked for by a menu, a button or a key, before its rule is asked.
  void commandRequested(int id);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // A command the frames run: its rule and what it does, side by side.
  struct FrameCommand {
    std::function<CommandState()> state;
    std::function<void()> run;
  };
  // Every command the frames handle, one entry each (the view's are the
  // view controller's).
  void AddCommands();
  void CreateActions();
  void CreateToolBars();
  void CreateStatusBar();
  void CreateAccelerators();
  // The Window menu's entries for the open windows, after its commands.
  void UpdateWindowList();
  // Turns one of the print options over; the comment prefix is asked for.
  void ChangeOutputOptions(int id);
  // After a text print, how many characters it wrote as their code page 932
  // substitutes, in the status bar.
  void ShowSubstitutes(SheetView& view);
  // Stacks the windows top to bottom, each as wide as the area.
  void TileTopToBottom();

  Application& app_;
  QMdiArea* mdiArea_;
  std::map<std::int32_t, FrameCommand> commands_;
  QMap<int, QAction*> actions_;
  QToolBar* fileBar_ = nullptr;
  QToolBar* drawingBar_ = nullptr;
  QLabel* positionPane_ = nullptr;
  QLabel* cellPane_ = nullptr;  // the grid cell of the position
  QLabel* readyPane_ = nullptr;
  QLabel* longMessage_ = nullptr;
  QTimer longMessageShown_;
  QList<QAction*> recentActions_;
  QMenu* windowMenu_ = nullptr;
  QAction* windowSeparator_ = nullptr;
  QList<QAction*> windowActions_;  // one per window, in the area's order
  QTimer idle_;
  bool hadDocument_ = false;
};

}  // namespace virlo
