#include "app/CPlenkoApp.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>

#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "control/ArtInput.h"
#include "document/CPlenkoDoc.h"
#include "import/ArtGrid.h"
#include "view/CPlenkoView.h"
#include "view/QtDialogRunner.h"

namespace virlo {
namespace {

const QString FileFilter = QStringLiteral("VIRLO Files (*.vrl)");
const QString TextFilter = QStringLiteral("ﾃｷｽﾄ ﾌｧｲﾙ (*.txt);;すべてのﾌｧｲﾙ (*)");

}  // namespace

CPlenkoApp::CPlenkoApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("VIRLO"));
  setOrganizationName(QStringLiteral("VIRLO"));
  // Lets the desktop match the windows to the installed entry and its icon.
  setDesktopFileName(QStringLiteral("virlo"));
  dialogs_ = std::make_unique<QtDialogRunner>([this]() -> QWidget* { return mainFrame_.get(); });
}

CPlenkoApp::~CPlenkoApp() {
  // Windows first, while their documents still exist; then the documents.
  if (mainFrame_ != nullptr) {
    for (auto& doc : documents_) {
      doc->ReleaseViewTools();
      for (CChildFrame* frame : FramesOf(doc.get())) {
        frame->blockSignals(true);
        delete frame;
      }
    }
  }
  mainFrame_.reset();
  for (auto& doc : documents_) doc->OnCloseDocument();
  documents_.clear();
}

bool CPlenkoApp::InitInstance(const QStringList& arguments) {
  mainFrame_ = std::make_unique<CMainFrame>(*this);
  bool ok = true;
  if (arguments.isEmpty()) {
    ok = FileNew() != nullptr;
  } else {
    ok = OpenOrImport(arguments.first()) != nullptr;
  }
  if (!ok) return false;
  mainFrame_->resize(900, 700);
  mainFrame_->show();
  return true;
}

bool CPlenkoApp::PrintDocumentFile(const QString& path) {
  mainFrame_ = std::make_unique<CMainFrame>(*this);
  CPlenkoDoc* doc = OpenDocumentFile(path);
  if (doc == nullptr) return false;
  CPlenkoView* view = mainFrame_->ActiveView();
  QPrinter printer;
  QPrintPreviewDialog preview(&printer, mainFrame_.get());
  connect(&preview, &QPrintPreviewDialog::paintRequested, view, [view](QPrinter* target) { view->Print(*target); });
  return preview.exec() == QDialog::Accepted;
}

void CPlenkoApp::SetStatusPaneText(const QString& text) { mainFrame_->SetPositionText(text); }

QString CPlenkoApp::SettingsPath() const {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  return QDir(folder).filePath(QStringLiteral("VIRLO.ini"));
}

QStringList CPlenkoApp::RecentFiles() const {
  QSettings settings(SettingsPath(), QSettings::IniFormat);
  QStringList files;
  for (int i = 1; i <= RecentFileCount; ++i) {
    const QString file = settings.value(QStringLiteral("Recent File List/File%1").arg(i)).toString();
    if (!file.isEmpty()) files.append(file);
  }
  return files;
}

void CPlenkoApp::AddRecentFile(const QString& path) {
  QStringList files = RecentFiles();
  const QString absolute = QFileInfo(path).absoluteFilePath();
  files.removeAll(absolute);
  files.prepend(absolute);
  WriteRecentFiles(files);
}

void CPlenkoApp::RemoveRecentFile(const QString& path) {
  QStringList files = RecentFiles();
  if (files.removeAll(path) == 0) return;
  WriteRecentFiles(files);
}

void CPlenkoApp::WriteRecentFiles(const QStringList& files) {
  QSettings settings(SettingsPath(), QSettings::IniFormat);
  for (int i = 1; i <= RecentFileCount; ++i) {
    const QString key = QStringLiteral("Recent File List/File%1").arg(i);
    if (i <= files.size()) {
      settings.setValue(key, files[i - 1]);
    } else {
      settings.remove(key);
    }
  }
  settings.sync();
  mainFrame_->RebuildMenus();
}

void CPlenkoApp::Report(const QString& text) {
  if (fileQuestion) return;  // driven by a test: nobody to show it to
  QMessageBox::warning(mainFrame_.get(), QStringLiteral("VIRLO"), text);
}

CPlenkoDoc* CPlenkoApp::FileNew() {
  auto doc = std::make_unique<CPlenkoDoc>();
  doc->SetTitle("Plenko" + std::to_string(++untitledCount_));
  if (!doc->OnNewDocument()) return nullptr;
  CPlenkoDoc* raw = doc.get();
  documents_.push_back(std::move(doc));
  mainFrame_->AddFrame(raw);
  return raw;
}

void CPlenkoApp::FileOpen() {
  const QString path = fileQuestion ? fileQuestion(false)
                                    : QFileDialog::getOpenFileName(mainFrame_.get(), QString(), QString(), FileFilter);
  if (!path.isEmpty()) OpenDocumentFile(path);
}

CPlenkoDoc* CPlenkoApp::OpenOrImport(const QString& path) {
  const bool text = QFileInfo(path).suffix().compare(QStringLiteral("txt"), Qt::CaseInsensitive) == 0;
  return text ? ImportArtFile(path) : OpenDocumentFile(path);
}

void CPlenkoApp::FileImportArt() {
  const QString path = fileQuestion ? fileQuestion(false)
                                    : QFileDialog::getOpenFileName(mainFrame_.get(), QString(), QString(), TextFilter);
  if (!path.isEmpty()) ImportArtFile(path);
}

CPlenkoDoc* CPlenkoApp::ImportArtFile(const QString& path) {
  std::string bytes;
  std::string error;
  ArtGrid grid;
  if (!ArtInput::ReadFile(path.toStdString(), bytes, error) || !ArtInput::ReadAnyEncoding(bytes, grid, error)) {
    Report(QStringLiteral("%1 を読み込めません: %2").arg(path, QString::fromStdString(error)));
    return nullptr;
  }
  CPlenkoDoc* doc = FileNew();
  if (doc == nullptr) return nullptr;
  if (!ArtInput::IntoNewDocument(grid, *doc, error)) {
    CloseDocumentNow(doc);
    Report(QStringLiteral("%1 を読み込めません: %2").arg(path, QString::fromStdString(error)));
    return nullptr;
  }
  doc->UpdateAllViews();
  mainFrame_->UpdateCommandUi();
  if (grid.UnknownSubstitutes() > 0) {
    constexpr int ShownMilliseconds = 10'000;
    mainFrame_->statusBar()->showMessage(
        QStringLiteral("文書に入らない文字 %1 個を \"?\" にしました").arg(grid.UnknownSubstitutes()),
        ShownMilliseconds);
  }
  return doc;
}

CPlenkoDoc* CPlenkoApp::OpenRecentFile(const QString& path) {
  CPlenkoDoc* doc = OpenDocumentFile(path);
  if (doc == nullptr) RemoveRecentFile(path);
  return doc;
}

CPlenkoDoc* CPlenkoApp::OpenDocumentFile(const QString& path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  for (auto& doc : documents_) {
    if (!doc->IsUntitled() && QFileInfo(QString::fromStdString(doc->GetPathName())).absoluteFilePath() == absolute) {
      std::vector<CChildFrame*> frames = FramesOf(doc.get());
      if (!frames.empty()) mainFrame_->MdiArea()->setActiveSubWindow(frames.front());
      return doc.get();
    }
  }
  auto doc = std::make_unique<CPlenkoDoc>();
  if (!doc->OnOpenDocument(absolute.toStdString())) {
    Report(QStringLiteral("%1 を開けません: %2").arg(path, QString::fromStdString(doc->LastError())));
    return nullptr;
  }
  CPlenkoDoc* raw = doc.get();
  documents_.push_back(std::move(doc));
  mainFrame_->AddFrame(raw);
  AddRecentFile(absolute);
  return raw;
}

bool CPlenkoApp::SaveDocument(CPlenkoDoc* document, bool saveAs) {
  QString path = QString::fromStdString(document->GetPathName());
  if (saveAs || document->IsUntitled()) {
    path = fileQuestion ? fileQuestion(true)
                        : QFileDialog::getSaveFileName(mainFrame_.get(), QString(),
                                                       QString::fromStdString(document->GetTitle()), FileFilter);
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".vrl");
  }
  if (!document->OnSaveDocument(path.toStdString())) {
    Report(QStringLiteral("%1 を保存できません: %2").arg(path, QString::fromStdString(document->LastError())));
    return false;
  }
  AddRecentFile(path);
  mainFrame_->UpdateCommandUi();
  return true;
}

bool CPlenkoApp::SaveModified(CPlenkoDoc* document) {
  if (!document->IsModified()) return true;
  const QString question =
      QStringLiteral("%1 への変更を保存しますか?").arg(QString::fromStdString(document->GetTitle()));
  const int answer = saveQuestion ? saveQuestion(question)
                                  : QMessageBox::question(mainFrame_.get(), QStringLiteral("VIRLO"), question,
                                                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  if (answer == QMessageBox::Cancel) return false;
  if (answer == QMessageBox::Yes) return SaveDocument(document, false);
  return true;
}

std::vector<CChildFrame*> CPlenkoApp::FramesOf(CPlenkoDoc* document) const {
  std::vector<CChildFrame*> frames;
  for (QMdiSubWindow* window : mainFrame_->MdiArea()->subWindowList()) {
    auto* frame = qobject_cast<CChildFrame*>(window);
    if (frame != nullptr && frame->Document() == document) frames.push_back(frame);
  }
  return frames;
}

bool CPlenkoApp::IsOpen(const CPlenkoDoc* document) const {
  for (const auto& doc : documents_) {
    if (doc.get() == document) return true;
  }
  return false;
}

bool CPlenkoApp::CloseDocument(CPlenkoDoc* document) {
  if (!SaveModified(document)) return false;
  CloseDocumentNow(document);
  return true;
}

void CPlenkoApp::CloseDocumentNow(CPlenkoDoc* document) {
  // The views drop their tools before the database goes.
  document->ReleaseViewTools();
  for (CChildFrame* frame : FramesOf(document)) {
    frame->blockSignals(true);
    mainFrame_->MdiArea()->removeSubWindow(frame);
    delete frame;
  }
  document->OnCloseDocument();
  for (auto it = documents_.begin(); it != documents_.end(); ++it) {
    if (it->get() == document) {
      documents_.erase(it);
      break;
    }
  }
  mainFrame_->RebuildMenus();
  mainFrame_->UpdateCommandUi();
}

bool CPlenkoApp::CloseAllDocuments() {
  for (const auto& doc : documents_) {
    if (!SaveModified(doc.get())) return false;
  }
  while (!documents_.empty()) CloseDocumentNow(documents_.front().get());
  return true;
}

bool CPlenkoApp::CanCloseFrame(CChildFrame* frame) {
  CPlenkoDoc* document = frame->Document();
  if (FramesOf(document).size() > 1) return true;
  // The last window closes the document; it is deleted there, not by Qt.
  if (!SaveModified(document)) return false;
  // Answered already; something else may have closed the document meanwhile.
  QMetaObject::invokeMethod(
      this,
      [this, document] {
        if (IsOpen(document)) CloseDocumentNow(document);
      },
      Qt::QueuedConnection);
  return false;
}

}  // namespace virlo
