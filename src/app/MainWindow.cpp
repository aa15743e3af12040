#include "app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>
#include <vector>

#include "app/AboutDialog.h"
#include "app/Application.h"
#include "app/DocumentWindow.h"
#include "app/Icons.h"
#include "control/CommandIds.h"
#include "control/CommandTable.h"
#include "control/TextOutput.h"
#include "control/ViewController.h"
#include "document/Document.h"
#include "view/SheetView.h"
#include "view/Translations.h"

namespace virlo {
namespace {

QString Tr(const char* source) { return Translations::Of("MainWindow", source); }

// A text of the command table in the program's language.
QString CommandText(const char* source) { return Translations::Of("CommandTable", source); }

// The menus of the menu bar, in their order.
constexpr Menu MenuBar[] = {Menu::File, Menu::Edit, Menu::View, Menu::Window, Menu::Help};

// The commands a menu shows, in order; without a document, only those marked so.
std::vector<const CommandInfo*> MenuItems(Menu menu, bool document) {
  std::vector<const CommandInfo*> items;
  for (const CommandInfo& info : CommandTable::All()) {
    if (info.menu == menu && (document || info.Has(CommandTrait::WithoutDocument))) items.push_back(&info);
  }
  return items;
}

// The buttons of a toolbar, in the order of their places.
std::vector<const CommandInfo*> ToolBarItems(ToolBar bar) {
  std::vector<const CommandInfo*> items;
  for (const CommandInfo& info : CommandTable::All()) {
    if (info.toolBar == bar) items.push_back(&info);
  }
  std::sort(items.begin(), items.end(),
            [](const CommandInfo* a, const CommandInfo* b) { return a->toolBarSlot < b->toolBarSlot; });
  return items;
}

// A command's keys, the first of them the one its caption shows.
QList<QKeySequence> KeysOf(const CommandInfo& info) {
  QList<QKeySequence> keys = QKeySequence::listFromString(QString::fromLatin1(info.keys), QKeySequence::PortableText);
  keys.removeIf([](const QKeySequence& key) { return key.isEmpty(); });
  return keys;
}

// The caption with the key that runs the command, after a tab as menus show it.
QString CaptionOf(const CommandInfo& info, const char* caption) {
  const QList<QKeySequence> keys = KeysOf(info);
  const QString text = CommandText(caption);
  if (keys.isEmpty()) return text;
  return text + QLatin1Char('\t') + keys.front().toString(QKeySequence::PortableText);
}

}  // namespace

MainWindow::MainWindow(Application& app) : app_(app), mdiArea_(new QMdiArea(this)) {
  setWindowTitle(QStringLiteral("VIRLO"));
  setWindowIcon(Icons::Application());
  setCentralWidget(mdiArea_);
  setAcceptDrops(true);
  AddCommands();
  CreateActions();
  CreateToolBars();
  CreateStatusBar();
  CreateAccelerators();
  RebuildMenus();
  connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) {
    if (SheetView* view = ActiveView()) view->Controller().OnActivateView();
    UpdateCommandUi();
  });
  // Menus and toolbars follow the state whenever the program is idle.
  idle_.setInterval(100);
  connect(&idle_, &QTimer::timeout, this, &MainWindow::UpdateCommandUi);
  idle_.start();
}

MainWindow::~MainWindow() {
  // The windows that close with us must not call back into a frame that is going.
  idle_.stop();
  disconnect(mdiArea_, nullptr, this, nullptr);
  for (QMdiSubWindow* window : mdiArea_->subWindowList()) window->blockSignals(true);
}

void MainWindow::CreateActions() {
  for (const CommandInfo& info : CommandTable::All()) {
    auto* action = new QAction(CaptionOf(info, info.caption), this);
    action->setStatusTip(CommandText(info.prompt));
    if (*info.tooltip != '\0') action->setToolTip(CommandText(info.tooltip));
    action->setCheckable(info.Has(CommandTrait::Checkable));
    const int id = info.id;
    connect(action, &QAction::triggered, this, [this, id] { Dispatch(id); });
    actions_.insert(id, action);
  }
}

void MainWindow::RebuildMenus() {
  const bool document = ActiveDocument() != nullptr;
  hadDocument_ = document;
  menuBar()->clear();
  recentActions_.clear();
  windowMenu_ = nullptr;
  windowSeparator_ = nullptr;
  windowActions_.clear();
  for (const Menu shown : MenuBar) {
    const std::vector<const CommandInfo*> items = MenuItems(shown, document);
    if (items.empty()) continue;
    QMenu* menu = menuBar()->addMenu(CommandText(CommandTable::MenuTitle(shown)));
    // The Window menu lists the open windows after its commands.
    if (shown == Menu::Window) windowMenu_ = menu;
    for (const CommandInfo* info : items) {
      if (info->Has(CommandTrait::SeparatorBefore) && !menu->isEmpty()) menu->addSeparator();
      if (info->id != CommandId::FileMru1) {
        menu->addAction(actions_[info->id]);
        continue;
      }
      QAction* recentFiles = actions_[info->id];
      const QStringList files = app_.RecentFiles();
      if (files.isEmpty()) {
        QAction* placeholder = menu->addAction(recentFiles->text());
        placeholder->setEnabled(false);
        placeholder->setStatusTip(recentFiles->statusTip());
      }
      for (int i = 0; i < files.size(); ++i) {
        const QString path = files[i];
        QAction* recent = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
        recent->setStatusTip(recentFiles->statusTip());
        connect(recent, &QAction::triggered, this, [this, path] { app_.OpenRecentFile(path); });
        recentActions_.append(recent);
      }
    }
  }
  UpdateWindowList();
}

void MainWindow::UpdateWindowList() {
  if (windowMenu_ == nullptr) return;
  const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
  if (windowActions_.size() != windows.size()) {
    for (QAction* action : windowActions_) delete action;
    windowActions_.clear();
    delete windowSeparator_;
    windowSeparator_ = windows.isEmpty() ? nullptr : windowMenu_->addSeparator();
    for (qsizetype i = 0; i < windows.size(); ++i) {
      auto* action = new QAction(windowMenu_);
      action->setCheckable(true);
      action->setStatusTip(CommandText(AppString::WindowListPrompt));
      // The entry finds its window when chosen, so it never outlives it.
      connect(action, &QAction::triggered, this, [this, i] {
        const QList<QMdiSubWindow*> current = mdiArea_->subWindowList();
        if (i < current.size()) mdiArea_->setActiveSubWindow(current[i]);
        UpdateCommandUi();
      });
      windowMenu_->addAction(action);
      windowActions_.append(action);
    }
  }
  QMdiSubWindow* shown = mdiArea_->currentSubWindow();
  for (qsizetype i = 0; i < windows.size(); ++i) {
    auto* frame = qobject_cast<DocumentWindow*>(windows[i]);
    QAction* action = windowActions_[i];
    const QString text =
        QStringLiteral("&%1 %2").arg(i + 1).arg(frame != nullptr ? frame->Title() : windows[i]->windowTitle());
    if (action->text() != text) action->setText(text);
    action->setChecked(windows[i] == shown);
  }
}

void MainWindow::TileTopToBottom() {
  QList<QMdiSubWindow*> windows;
  for (QMdiSubWindow* window : mdiArea_->subWindowList()) {
    if (window->isVisible() && !window->isMinimized()) windows.append(window);
  }
  if (windows.isEmpty()) return;
  const QRect area = mdiArea_->viewport()->rect();
  const qsizetype count = windows.size();
  int top = area.top();
  for (qsizetype i = 0; i < count; ++i) {
    QMdiSubWindow* window = windows[i];
    if (window->isMaximized()) window->showNormal();
    // The last window takes what the division leaves over.
    const int bottom = area.top() + static_cast<int>(area.height() * (i + 1) / count);
    window->setGeometry(area.left(), top, area.width(), bottom - top);
    top = bottom;
  }
}

void MainWindow::CreateToolBars() {
  fileBar_ = addToolBar(QStringLiteral("File"));
  fileBar_->setObjectName(QStringLiteral("FileToolBar"));
  drawingBar_ = new QToolBar(QStringLiteral("Drawing"), this);
  drawingBar_->setObjectName(QStringLiteral("DrawingToolBar"));
  addToolBar(Qt::LeftToolBarArea, drawingBar_);
  const std::pair<ToolBar, QToolBar*> bars[] = {{ToolBar::File, fileBar_}, {ToolBar::Drawing, drawingBar_}};
  for (const auto& [place, bar] : bars) {
    const QSize size = place == ToolBar::File ? QSize(16, 15) : QSize(15, 15);
    bar->setIconSize(size);
    for (const CommandInfo* info : ToolBarItems(place)) {
      if (info->Has(CommandTrait::ToolBarSeparatorBefore)) bar->addSeparator();
      QAction* action = actions_[info->id];
      action->setIcon(Icons::ForCommand(info->id, size));
      bar->addAction(action);
    }
  }
}

void MainWindow::ShowLongMessage(const QString& text, int milliseconds) {
  longMessage_->setText(text);
  readyPane_->hide();
  longMessage_->show();
  longMessageShown_.start(milliseconds);
}

void MainWindow::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  readyPane_ = new QLabel(Tr(QT_TRANSLATE_NOOP("MainWindow", "ﾚﾃﾞｨ")), bar);
  bar->addWidget(readyPane_, 1);
  longMessage_ = new QLabel(bar);
  longMessage_->setObjectName(QStringLiteral("LongMessage"));
  longMessage_->setWordWrap(true);
  longMessage_->hide();
  bar->addWidget(longMessage_, 1);
  longMessageShown_.setSingleShot(true);
  connect(&longMessageShown_, &QTimer::timeout, this, [this] {
    longMessage_->hide();
    readyPane_->show();
  });
  positionPane_ = new QLabel(Tr(QT_TRANSLATE_NOOP("MainWindow", "座標")), bar);
  positionPane_->setFixedWidth(PositionPaneWidth);
  // Digits of one width, small enough that "1000,1000" fits the pane.
  QFont paneFont(QStringLiteral("Noto Sans Mono CJK JP"));
  paneFont.setPixelSize(10);
  paneFont.setStyleHint(QFont::Monospace);
  positionPane_->setFont(paneFont);
  positionPane_->setObjectName(QStringLiteral("PositionPane"));
  bar->addPermanentWidget(positionPane_);
  cellPane_ = new QLabel(Tr(QT_TRANSLATE_NOOP("MainWindow", "ｾﾙ")), bar);
  cellPane_->setFixedWidth(CellPaneWidth);
  cellPane_->setFont(paneFont);
  cellPane_->setObjectName(QStringLiteral("CellPane"));
  bar->addPermanentWidget(cellPane_);
  // The keyboard lock states are not told by every platform; they stay as labels.
  for (const char* text : {QT_TRANSLATE_NOOP("MainWindow", "ｶﾅ"), "CAP", "NUM", "SCRL"}) {
    auto* pane = new QLabel(Tr(text), bar);
    pane->setEnabled(false);
    bar->addPermanentWidget(pane);
  }
}

void MainWindow::CreateAccelerators() {
  // Keys work while the main window is the active one, so never past a
  // dialog or the text typed on the sheet.
  for (const CommandInfo& info : CommandTable::All()) {
    for (const QKeySequence& key : KeysOf(info)) {
      auto* shortcut = new QShortcut(key, this);
      shortcut->setContext(Qt::WindowShortcut);
      const int id = info.id;
      connect(shortcut, &QShortcut::activated, this, [this, id] { Dispatch(id); });
    }
  }
}

DocumentWindow* MainWindow::ActiveFrame() const {
  // The current window stays current while the program is inactive, when
  // the area reports no active one.
  QMdiSubWindow* active = mdiArea_->currentSubWindow();
  if (active == nullptr && !mdiArea_->subWindowList().isEmpty()) active = mdiArea_->subWindowList().last();
  return qobject_cast<DocumentWindow*>(active);
}

SheetView* MainWindow::ActiveView() const {
  DocumentWindow* frame = ActiveFrame();
  return frame != nullptr ? frame->View() : nullptr;
}

Document* MainWindow::ActiveDocument() const {
  DocumentWindow* frame = ActiveFrame();
  return frame != nullptr ? frame->GetDocument() : nullptr;
}

DocumentWindow* MainWindow::AddFrame(Document* document) {
  auto* frame = new DocumentWindow(document);
  connect(frame, &DocumentWindow::closeRequested, this,
          [this](DocumentWindow* closing, bool* accept) { *accept = app_.CanCloseFrame(closing); });
  frame->View()->SetPositionDisplay(
      [this](const std::string& text) { app_.SetStatusPaneText(QString::fromStdString(text)); });
  frame->View()->Controller().SetCellDisplay(
      [this](const std::string& text) { cellPane_->setText(QString::fromStdString(text)); });
  frame->View()->SetArtShown(app_.ArtShown());
  frame->View()->SetZoom(app_.Zoom());
  frame->View()->Controller().SetOutputOptions(app_.OutputOptions());
  connect(frame->View(), &SheetView::zoomChanged, this, [this](int percent) {
    app_.SetZoom(percent);
    UpdateCommandUi();
  });
  // A maximised window gives its title up to the main window's: follow it at once.
  connect(frame, &QMdiSubWindow::windowStateChanged, this, [this] { UpdateCommandUi(); });
  mdiArea_->addSubWindow(frame);
  frame->showMaximized();
  mdiArea_->setActiveSubWindow(frame);
  frame->View()->Controller().OnActivateView();
  frame->View()->setFocus();
  RebuildMenus();
  UpdateCommandUi();
  return frame;
}

void MainWindow::RemoveFrame(DocumentWindow* frame) {
  const bool maximised = frame->isMaximized();
  frame->blockSignals(true);
  mdiArea_->removeSubWindow(frame);
  delete frame;
  // The area forgets how the window it lost was shown: the next one keeps
  // the room it had.
  DocumentWindow* next = ActiveFrame();
  if (maximised && next != nullptr && !next->isMaximized()) next->showMaximized();
}

void MainWindow::AddCommands() {
  const auto always = [] { return CommandState{true, false}; };
  const auto withDocument = [this] { return CommandState{ActiveDocument() != nullptr, false}; };
  // Files are written from a settled document: not while a drag holds it.
  const auto settledDocument = [this] {
    const Document* document = ActiveDocument();
    return CommandState{document != nullptr && !document->IsDragging(), false};
  };
  const auto noDrag = [this] {
    const auto& documents = app_.Documents();
    return CommandState{std::none_of(documents.begin(), documents.end(),
                                     [](const std::unique_ptr<Document>& document) { return document->IsDragging(); }),
                        false};
  };
  const auto zoomTo = [this](SheetView::ZoomStep step) {
    return [this, step] {
      SheetView* view = ActiveView();
      return CommandState{view != nullptr && view->NextZoom(step) != view->Zoom(), false};
    };
  };
  const auto picture = [this](Application::Picture kind) {
    return [this, kind] { app_.ExportPicture(ActiveView(), kind); };
  };
  const auto output = [this](std::int32_t id) { return [this, id] { ChangeOutputOptions(id); }; };
  commands_ = {
      {CommandId::FileNew, {always, [this] { app_.FileNew(); }}},
      {CommandId::FileOpen, {always, [this] { app_.FileOpen(); }}},
      {CommandId::FileImportArt, {always, [this] { app_.FileImportArt(); }}},
      {CommandId::FileOpenBlock, {always, [this] { app_.FileOpenBlock(); }}},
      {CommandId::FileClose, {settledDocument, [this] { app_.CloseDocument(ActiveDocument()); }}},
      {CommandId::FileSave, {settledDocument, [this] { app_.SaveDocument(ActiveDocument(), false); }}},
      {CommandId::FileSaveAs, {settledDocument, [this] { app_.SaveDocument(ActiveDocument(), true); }}},
      {CommandId::FileExportSvg, {settledDocument, picture(Application::Picture::Svg)}},
      {CommandId::FileExportPng, {settledDocument, picture(Application::Picture::Png)}},
      {CommandId::FileExportPng2x, {settledDocument, picture(Application::Picture::Png2x)}},
      // Only places the recent files in the menu: each entry opens its file.
      {CommandId::FileMru1, {[] { return CommandState{}; }, [] {}}},
      {CommandId::AppExit, {noDrag, [this] { close(); }}},
      {CommandId::AppAbout,
       {always,
        [this] {
          AboutDialog about(this);
          about.exec();
        }}},
      {CommandId::ViewToolbar,
       {[this] {
          return CommandState{true, fileBar_->isVisible()};
        },
        [this] {
          const bool show = !fileBar_->isVisible();
          fileBar_->setVisible(show);
          drawingBar_->setVisible(show);
        }}},
      {CommandId::ViewStatusBar,
       {[this] {
          return CommandState{true, statusBar()->isVisible()};
        },
        [this] { statusBar()->setVisible(!statusBar()->isVisible()); }}},
      {CommandId::ViewArt,
       {[this] {
          return CommandState{true, app_.ArtShown()};
        },
        [this] { app_.SetArtShown(!app_.ArtShown()); }}},
      {CommandId::ViewTypeInPlace,
       {[this] {
          return CommandState{true, app_.TypeInPlace()};
        },
        [this] { app_.SetTypeInPlace(!app_.TypeInPlace()); }}},
      {CommandId::PrintUnicodeLines,
       {[this] {
          return CommandState{ActiveDocument() != nullptr, app_.OutputOptions().style == ArtOptions::Style::Unicode};
        },
        output(CommandId::PrintUnicodeLines)}},
      {CommandId::PrintCropped,
       {[this] {
          return CommandState{ActiveDocument() != nullptr, app_.OutputOptions().crop};
        },
        output(CommandId::PrintCropped)}},
      {CommandId::PrintAsComment,
       {[this] {
          return CommandState{ActiveDocument() != nullptr, !app_.OutputOptions().prefix.empty()};
        },
        output(CommandId::PrintAsComment)}},
      {CommandId::ViewZoomIn,
       {zoomTo(SheetView::ZoomStep::In),
        [this] { ActiveView()->SetZoom(ActiveView()->NextZoom(SheetView::ZoomStep::In)); }}},
      {CommandId::ViewZoomOut,
       {zoomTo(SheetView::ZoomStep::Out),
        [this] { ActiveView()->SetZoom(ActiveView()->NextZoom(SheetView::ZoomStep::Out)); }}},
      {CommandId::ViewZoomActual,
       {[this] {
          const SheetView* view = ActiveView();
          return CommandState{view != nullptr && view->Zoom() != SheetView::ActualSize, false};
        },
        [this] { ActiveView()->SetZoom(SheetView::ActualSize); }}},
      {CommandId::WindowNew, {withDocument, [this] { AddFrame(ActiveDocument()); }}},
      {CommandId::WindowCascade, {withDocument, [this] { mdiArea_->cascadeSubWindows(); }}},
      {CommandId::WindowTile, {withDocument, [this] { TileTopToBottom(); }}},
      {CommandId::WindowArrange, {withDocument, [] {}}},
      {CommandId::NextPane, {withDocument, [this] { mdiArea_->activateNextSubWindow(); }}},
  };
}

CommandState MainWindow::StateOf(int id) const {
  if (RunsInView(id)) {
    SheetView* view = ActiveView();
    if (view == nullptr) return {};
    return view->Controller().UpdateCommand(id);
  }
  const auto command = commands_.find(id);
  return command != commands_.end() ? command->second.state() : CommandState{};
}

bool MainWindow::RunsInView(int id) {
  const CommandInfo* info = CommandTable::Find(id);
  return info != nullptr && info->handler == Handler::View;
}

bool MainWindow::Runs(int id) const { return RunsInView(id) ? ViewController::Handles(id) : commands_.contains(id); }

bool MainWindow::Dispatch(int id) {
  emit commandRequested(id);
  // Nothing reaches the documents past an open dialog or the text being
  // typed on the sheet: what they run holds pointers into the document.
  if (QApplication::activeModalWidget() != nullptr || QApplication::activePopupWidget() != nullptr) return false;
  if (!StateOf(id).enabled) return false;
  if (RunsInView(id)) {
    SheetView* view = ActiveView();
    view->Command(id);
    // Pasted art's own print options are kept for every window, and shown in the menu.
    if (std::optional<ArtOptions> pasted = view->Controller().TakePastedOptions()) app_.SetOutputOptions(*pasted);
    if (std::optional<ArtImporter::Report> made = view->Controller().TakePastedReport()) {
      app_.ShowImportSummary(*made);
    }
    if (id == CommandId::FilePrint) ShowSubstitutes(*view);
  } else {
    const auto command = commands_.find(id);
    if (command == commands_.end()) return false;
    command->second.run();
  }
  UpdateCommandUi();
  return true;
}

void MainWindow::ShowSubstitutes(SheetView& view) {
  const ViewController& controller = view.Controller();
  if (controller.LastTextPrint() != TextOutput::Result::Written || view.GetDocument()->sheet == nullptr) return;
  const std::int32_t substitutes = TextOutput::Substitutes(*view.GetDocument()->sheet, controller.OutputOptions());
  if (substitutes == 0) return;
  constexpr int ShownMilliseconds = 10'000;
  statusBar()->showMessage(
      QCoreApplication::translate("MainWindow", "シフト JIS にない文字 %1 個を代わりの文字で書きました")
          .arg(substitutes),
      ShownMilliseconds);
}

void MainWindow::ChangeOutputOptions(int id) {
  ArtOptions options = app_.OutputOptions();
  if (id == CommandId::PrintUnicodeLines) {
    const bool unicode = options.style == ArtOptions::Style::Unicode;
    options.style = unicode ? ArtOptions::Style::Ascii : ArtOptions::Style::Unicode;
  } else if (id == CommandId::PrintCropped) {
    options.crop = !options.crop;
    options.trim = options.crop;
  } else if (!options.prefix.empty()) {
    options.prefix.clear();
  } else {
    // What a line of a comment block starts with, such as "// " or " * ".
    bool ok = true;
    const QString prefix = prefixQuestion
                               ? prefixQuestion()
                               : QInputDialog::getText(this, Tr(QT_TRANSLATE_NOOP("MainWindow", "コメントとして印刷")),
                                                       Tr(QT_TRANSLATE_NOOP("MainWindow", "各行の頭に付ける文字:")),
                                                       QLineEdit::Normal, QStringLiteral("// "), &ok);
    if (!ok || prefix.isEmpty() || prefix.contains(QLatin1Char('\n'))) return;
    options.prefix = prefix.toStdString();
  }
  app_.SetOutputOptions(options);
}

void MainWindow::UpdateCommandUi() {
  if ((ActiveDocument() != nullptr) != hadDocument_) RebuildMenus();
  for (auto it = actions_.begin(); it != actions_.end(); ++it) {
    const CommandState state = StateOf(it.key());
    it.value()->setEnabled(state.enabled);
    if (it.value()->isCheckable()) it.value()->setChecked(state.checked);
  }
  for (QMdiSubWindow* window : mdiArea_->subWindowList()) {
    if (auto* frame = qobject_cast<DocumentWindow*>(window)) frame->UpdateTitle();
  }
  DocumentWindow* frame = ActiveFrame();
  const QString title = frame != nullptr ? QStringLiteral("VIRLO - %1").arg(frame->Title()) : QStringLiteral("VIRLO");
  if (windowTitle() != title) setWindowTitle(title);
  UpdateWindowList();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (app_.CloseAllDocuments()) {
    event->accept();
  } else {
    event->ignore();
  }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) app_.OpenDropped(url.toLocalFile());
  }
  event->acceptProposedAction();
}

}  // namespace virlo
