#include "app/Application.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <csignal>

#include "app/DocumentWindow.h"
#include "app/MainWindow.h"
#include "control/ArtInput.h"
#include "document/Document.h"
#include "hostfile/BlockAddress.h"
#include "hostfile/BlockFinder.h"
#include "hostfile/BlockImport.h"
#include "hostfile/BlockListing.h"
#include "hostfile/BlockWriter.h"
#include "hostfile/HostFile.h"
#include "objects/Sheet.h"
#include "platform/SafeWrite.h"
#include "platform/TextCodec.h"
#include "view/QtDeviceContext.h"
#include "view/QtDialogRunner.h"
#include "view/SheetView.h"
#include "view/Translations.h"

namespace virlo {
namespace {

const QString ArtShownKey = QStringLiteral("Settings/ShowArt");
const QString ZoomKey = QStringLiteral("Settings/Zoom");
const QString PrintStyleKey = QStringLiteral("Settings/PrintStyle");
const QString PrintCropKey = QStringLiteral("Settings/PrintCrop");
const QString PrintPrefixKey = QStringLiteral("Settings/PrintPrefix");

QString TextFilter() { return QCoreApplication::translate("Application", "ﾃｷｽﾄ ﾌｧｲﾙ (*.txt);;すべてのﾌｧｲﾙ (*)"); }

// Why a piece of line art stayed text, in the desktop's language (virlo-cli
// says it in English).
QString ReasonText(ArtPlan::Why why) {
  switch (why) {
    case ArtPlan::Why::GivenUp:
      return QCoreApplication::translate("Application", "線として読むと描いたとおりに戻らない");
    case ArtPlan::Why::TooShort:
      return QCoreApplication::translate("Application", "線には短すぎる");
    case ArtPlan::Why::NoLine:
      return QCoreApplication::translate("Application", "どの線にも読めない");
    case ArtPlan::Why::LoneHead:
      return QCoreApplication::translate("Application", "どの線の端にもない矢じり");
    case ArtPlan::Why::DottedRun:
      return QCoreApplication::translate("Application", "点線は線にしない");
    case ArtPlan::Why::SlantedRun:
      return QCoreApplication::translate("Application", "斜めの線は文字のまま");
    case ArtPlan::Why::UnderscoreRun:
      return QCoreApplication::translate("Application", "下線の並びは線にしない");
    case ArtPlan::Why::RulerTick:
      return QCoreApplication::translate("Application", "目盛りは文字のまま");
    case ArtPlan::Why::SideJog:
      return QCoreApplication::translate("Application", "一文字ずれた枠の辺は文字のまま");
  }
  return {};
}

}  // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("VIRLO"));
  setOrganizationName(QStringLiteral("VIRLO"));
  // Lets the desktop match the windows to the installed entry and its icon.
  setDesktopFileName(QStringLiteral("virlo"));
  // Before any window: the program speaks the desktop's language from its first text on.
  const UiLanguage language = UiLanguageOfEnvironment();
  if (!Translations::Install(language)) {
    qWarning(language == UiLanguage::Japanese ? "virlo: Qt's Japanese translation (qtbase_ja.qm) is not installed"
                                              : "virlo: the English translation is missing from the program");
  }
  dialogs_ = std::make_unique<QtDialogRunner>([this]() -> QWidget* { return mainFrame_.get(); });
  ownQuestions_ = std::make_unique<FileQuestions>([this]() -> QWidget* { return mainFrame_.get(); });
  questions_ = ownQuestions_.get();
  fileSafety_.SetQuestions(questions_);
  dialogs_->SetInPlaceHost(
      [this](const Rect& area, QtDialogRunner::InPlaceSpot& spot) {
        SheetView* view = mainFrame_ != nullptr ? mainFrame_->ActiveView() : nullptr;
        if (view == nullptr) return false;
        spot.over = view->viewport();
        spot.where = view->ViewportRect(area);
        spot.scale = view->Zoom() / double{SheetView::ActualSize};
        return true;
      },
      QtDeviceContext::ToQFont(textFont_));
  dialogs_->SetTypeInPlace(TypeInPlace());
  recoveryTimer_.setInterval(RecoveryInterval);
  connect(&recoveryTimer_, &QTimer::timeout, this, &Application::UpdateRecoveryCopies);
  // A text print into a pipe whose reader left fails and says so; it never
  // ends the program, nor does one nobody reads keep the windows waiting.
  std::signal(SIGPIPE, SIG_IGN);
  SafeWrite::SetPipePatience(PipePatience);
}

Application::~Application() {
  // Windows first, while their documents still exist; then the documents.
  if (mainFrame_ != nullptr) {
    for (auto& doc : documents_) {
      doc->ReleaseViewTools();
      for (DocumentWindow* frame : FramesOf(doc.get())) {
        frame->blockSignals(true);
        delete frame;
      }
    }
  }
  mainFrame_.reset();
  recoveryTimer_.stop();
  // The program ends normally: the locks go, and so do the recovery copies.
  fileSafety_.ForgetAll();
  recovery_.reset();
  for (auto& doc : documents_) doc->OnCloseDocument();
  documents_.clear();
}

bool Application::InitInstance(const QStringList& arguments, Start start, Opening opening) {
  ReadSettings();
  mainFrame_ = std::make_unique<MainWindow>(*this);
  recovery_ = std::make_unique<RecoveryCopies>(RecoveryCopies::DefaultFolder());
  if (!recovery_->Start()) {
    qWarning("virlo: no recovery copies can be kept in '%s': %s", qPrintable(recovery_->Folder()),
             recovery_->StartError().c_str());
    Report(QCoreApplication::translate("Application",
                                       "復元用のコピーを %1 に保存できません: %2\n"
                                       "変更した文書の復元用のコピーは作られません。")
               .arg(recovery_->Folder(), QString::fromStdString(recovery_->StartError())));
  }
  recoveryTimer_.start();
  if (!arguments.isEmpty()) {
    Document* first = nullptr;
    if (opening == Opening::NewDiagram) {
      const BlockAddress address = BlockAddress::Parse(QFile::encodeName(arguments.first()).toStdString());
      if (address.line) {
        first = NewBlock(QFile::decodeName(QByteArray::fromStdString(address.path)), *address.line);
      } else {
        Report(QCoreApplication::translate("Application", "%1 は行を指していません: ファイル:行 の形で指定してください")
                   .arg(arguments.first()));
      }
    } else {
      first = OpenOrImport(arguments.first());
    }
    if (first == nullptr) return false;
  }
  if (start == Start::OfferRecovery) OfferRecoveredDocuments();
  if (documents_.empty() && FileNew() == nullptr) return false;
  mainFrame_->resize(900, 700);
  mainFrame_->show();
  return true;
}

bool Application::PrintDocumentFile(const QString& path) {
  mainFrame_ = std::make_unique<MainWindow>(*this);
  // Printing writes nothing: it neither locks the file nor asks who has it open.
  Document* doc = OpenDocument(path, Locking::None);
  if (doc == nullptr) return false;
  SheetView* view = mainFrame_->ActiveView();
  QPrinter printer;
  QPrintPreviewDialog preview(&printer, mainFrame_.get());
  connect(&preview, &QPrintPreviewDialog::paintRequested, view, [view](QPrinter* target) { view->Print(*target); });
  return preview.exec() == QDialog::Accepted;
}

void Application::SetStatusPaneText(const QString& text) { mainFrame_->SetPositionText(text); }

QString Application::SettingsPath() const {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  return QDir(folder).filePath(QStringLiteral("VIRLO.ini"));
}

namespace {

constexpr const char* TypeInPlaceKey = "Settings/TypeInPlace";

// The desktop's language as the C library picks it: the first of these set.
bool JapaneseDesktop() {
  for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
    const QByteArray value = qgetenv(variable);
    if (!value.isEmpty()) return value.startsWith("ja");
  }
  return false;
}

}  // namespace

bool Application::TypeInPlace() const {
  QSettings settings(SettingsPath(), QSettings::IniFormat);
  return settings.value(QString::fromLatin1(TypeInPlaceKey), !JapaneseDesktop()).toBool();
}

void Application::SetTypeInPlace(bool on) {
  QSettings settings(SettingsPath(), QSettings::IniFormat);
  settings.setValue(QString::fromLatin1(TypeInPlaceKey), on);
  settings.sync();
  dialogs_->SetTypeInPlace(on);
}

QStringList Application::RecentFiles() const {
  QSettings settings(SettingsPath(), QSettings::IniFormat);
  QStringList files;
  for (int i = 1; i <= RecentFileCount; ++i) {
    const QString file = settings.value(QStringLiteral("Recent File List/File%1").arg(i)).toString();
    if (!file.isEmpty()) files.append(file);
  }
  return files;
}

void Application::AddRecentFile(const QString& path) {
  QStringList files = RecentFiles();
  const QString absolute = QFileInfo(path).absoluteFilePath();
  files.removeAll(absolute);
  files.prepend(absolute);
  WriteRecentFiles(files);
}

void Application::RemoveRecentFile(const QString& path) {
  QStringList files = RecentFiles();
  if (files.removeAll(path) == 0) return;
  WriteRecentFiles(files);
}

void Application::WriteRecentFiles(const QStringList& files) {
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

void Application::ReadSettings() {
  QSettings settings(SettingsPath(), QSettings::IniFormat);
  artShown_ = settings.value(ArtShownKey, false).toBool();
  if (mainFrame_ == nullptr) return;
  for (auto& doc : documents_) {
    for (DocumentWindow* frame : FramesOf(doc.get())) frame->View()->SetArtShown(artShown_);
  }
}

ArtOptions Application::OutputOptions() const {
  QSettings settings(SettingsPath(), QSettings::IniFormat);
  ArtOptions options;
  if (settings.value(PrintStyleKey).toString() == QStringLiteral("unicode")) options.style = ArtOptions::Style::Unicode;
  options.crop = settings.value(PrintCropKey, false).toBool();
  options.trim = options.crop;
  options.prefix = settings.value(PrintPrefixKey).toString().toStdString();
  return options;
}

void Application::SetOutputOptions(const ArtOptions& options) {
  QSettings settings(SettingsPath(), QSettings::IniFormat);
  settings.setValue(PrintStyleKey,
                    options.style == ArtOptions::Style::Unicode ? QStringLiteral("unicode") : QStringLiteral("ascii"));
  settings.setValue(PrintCropKey, options.crop);
  settings.setValue(PrintPrefixKey, QString::fromStdString(options.prefix));
  settings.sync();
  for (auto& doc : documents_) {
    for (DocumentWindow* frame : FramesOf(doc.get())) frame->View()->Controller().SetOutputOptions(options);
  }
}

int Application::Zoom() const {
  QSettings settings(SettingsPath(), QSettings::IniFormat);
  return settings.value(ZoomKey, SheetView::ActualSize).toInt();
}

void Application::SetZoom(int percent) {
  QSettings settings(SettingsPath(), QSettings::IniFormat);
  settings.setValue(ZoomKey, percent);
  settings.sync();
}

void Application::SetArtShown(bool shown) {
  artShown_ = shown;
  QSettings settings(SettingsPath(), QSettings::IniFormat);
  settings.setValue(ArtShownKey, shown);
  settings.sync();
  for (auto& doc : documents_) {
    for (DocumentWindow* frame : FramesOf(doc.get())) frame->View()->SetArtShown(shown);
  }
}

QString Application::PictureName(const Document& document, Picture picture) {
  const QString stem = document.IsUntitled()
                           ? QString::fromStdString(document.GetTitle())
                           : QFileInfo(QString::fromStdString(document.GetPathName())).completeBaseName();
  switch (picture) {
    case Picture::Svg:
      return stem + QStringLiteral(".svg");
    case Picture::Png:
      return stem + QStringLiteral(".png");
    case Picture::Png2x:
      // The name screens and sites take for a picture of twice the pixels.
      return stem + QStringLiteral("@2x.png");
  }
  return stem;
}

bool Application::ExportPicture(SheetView* view, Picture picture) {
  if (view == nullptr || view->GetDocument()->sheet == nullptr || view->Controller().HasCapture()) return false;
  const bool svg = picture == Picture::Svg;
  const QString suffix = svg ? QStringLiteral("svg") : QStringLiteral("png");
  Document* document = view->GetDocument();
  const QString filter = svg ? QCoreApplication::translate("Application", "SVG ﾌｧｲﾙ (*.svg)")
                             : QCoreApplication::translate("Application", "PNG ﾌｧｲﾙ (*.png)");
  QString path = questions_->AskFileName(true, PictureName(*document, picture), filter);
  if (path.isEmpty()) return false;
  if (QFileInfo(path).suffix().isEmpty()) path += '.' + suffix;
  document->sheet->ClearSelection();
  view->RepaintDocument();
  QByteArray bytes;
  if (svg) {
    bytes = view->SheetSvg();
  } else {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!view->SheetImage(picture == Picture::Png2x ? 2 : 1).save(&buffer, "PNG")) bytes.clear();
  }
  std::string error;
  if (bytes.isEmpty()) {
    error = QCoreApplication::translate("Application", "画像を作れません").toStdString();
  } else {
    SafeWrite write;
    if (write.Begin(path.toStdString(), SafeWrite::Kind::Document, error) &&
        write.Write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), error) &&
        write.Commit(error)) {
      return true;
    }
  }
  Report(
      QCoreApplication::translate("Application", "%1 に書き出せません: %2").arg(path, QString::fromStdString(error)));
  return false;
}

void Application::Report(const QString& text, const QString& details) { questions_->Report(text, details); }

void Application::SetFileQuestions(FileQuestions* questions) {
  questions_ = questions != nullptr ? questions : ownQuestions_.get();
  fileSafety_.SetQuestions(questions_);
}

Document* Application::FileNew() {
  auto doc = std::make_unique<Document>();
  doc->SetTitle("Plenko" + std::to_string(++untitledCount_));
  if (!doc->OnNewDocument()) return nullptr;
  return AddDocument(std::move(doc), FileSafety::OpenFile());
}

Document* Application::AddDocument(std::unique_ptr<Document> document, FileSafety::OpenFile file) {
  Document* raw = document.get();
  documents_.push_back(std::move(document));
  fileSafety_.Keep(raw, std::move(file));
  mainFrame_->AddFrame(raw);
  return raw;
}

void Application::FileOpen() {
  const QString path = questions_->AskFileName(false, QString(), FileSafety::DocumentFilter());
  // A text file named here is art to bring in, as on the command line or dropped.
  if (!path.isEmpty()) OpenOrImport(path);
}

Document* Application::OpenOrImport(const QString& path) {
  // A file of that very name wins over the FILE:LINE form.
  const BlockAddress address = BlockAddress::Parse(QFile::encodeName(path).toStdString());
  if (address.line) return OpenBlock(QFile::decodeName(QByteArray::fromStdString(address.path)), *address.line);
  const bool text = QFileInfo(path).suffix().compare(QStringLiteral("txt"), Qt::CaseInsensitive) == 0;
  return text ? ImportArtFile(path) : OpenDocumentFile(path);
}

void Application::FileImportArt() {
  const QString path = questions_->AskFileName(false, QString(), TextFilter());
  if (!path.isEmpty()) ImportArtFile(path);
}

Document* Application::ImportArtFile(const QString& path) {
  std::string bytes;
  std::string error;
  ArtInput::Art art;
  // The one reading of art: a comment block's prefix left out, as virlo-cli
  // import and a paste leave it out.
  if (!ArtInput::ReadFile(path.toStdString(), bytes, error) || !ArtInput::Read(bytes, {}, art, error)) {
    Report(
        QCoreApplication::translate("Application", "%1 を読み込めません: %2").arg(path, QString::fromStdString(error)));
    return nullptr;
  }
  Document* doc = FileNew();
  if (doc == nullptr) return nullptr;
  ArtImporter::Report report;
  if (!ArtInput::Build(art, *doc->sheet, 0, 0, report, error)) {
    CloseDocumentNow(doc);
    Report(
        QCoreApplication::translate("Application", "%1 を読み込めません: %2").arg(path, QString::fromStdString(error)));
    return nullptr;
  }
  doc->UpdateModifiedFlag();
  doc->UpdateAllViews();
  // Printed again, the art goes back as the file held it: behind its
  // prefix, in its style.
  SetOutputOptions(art.print);
  mainFrame_->UpdateCommandUi();
  ShowImportSummary(report);
  return doc;
}

void Application::ShowImportSummary(const ArtImporter::Report& report) {
  // Characters that changed come first, where they are read first.
  QStringList parts;
  if (report.unknownSubstitutes > 0) {
    parts.append(QCoreApplication::translate("Application", "文書に入らない文字 %1 個を \"?\" にしました")
                     .arg(report.unknownSubstitutes));
  }
  if (report.lookalikeSubstitutes > 0) {
    parts.append(QCoreApplication::translate("Application", "文書に入らない文字 %1 個を似た文字にしました")
                     .arg(report.lookalikeSubstitutes));
  }
  if (report.expandedTabs > 0) {
    parts.append(QCoreApplication::translate(
                     "Application", "図の中のタブ %1 個を空白にしました (読んだままの行はタブごと書き出します)")
                     .arg(report.expandedTabs));
  }
  // The counts virlo-cli import reports.
  parts.append(QCoreApplication::translate("Application",
                                           "箱 %1、枠付き文字列 %2、線 %3 (つないだ端 %4、載せた端 %5、"
                                           "寄せた端 %6)、矢じり %7、点 %8、文字列 %9、文字のままの線 %10")
                   .arg(report.boxes)
                   .arg(report.framedTexts)
                   .arg(report.lines)
                   .arg(report.joins * 2)
                   .arg(report.rests)
                   .arg(report.docks)
                   .arg(report.arrowheads)
                   .arg(report.dots)
                   .arg(report.texts + report.labels)
                   .arg(static_cast<int>(report.leftAsText.size())));
  // Each piece as virlo-cli import lists it: row:column, characters, why.
  for (const ArtPlan::Piece& piece : report.leftAsText) {
    parts.append(QStringLiteral("%1:%2 %3 (%4)")
                     .arg(piece.First().row + 1)
                     .arg(piece.First().column + 1)
                     .arg(QString::fromStdString(piece.text), ReasonText(piece.why)));
  }
  const QString summary = parts.join(QStringLiteral("; "));
  constexpr int ShownMilliseconds = 10'000;
  mainFrame_->ShowLongMessage(summary, ShownMilliseconds);
}

Document* Application::OpenRecentFile(const QString& path) {
  Document* doc = OpenDocumentFile(path);
  if (doc == nullptr) RemoveRecentFile(path);
  return doc;
}

Document* Application::OpenDocumentFile(const QString& path) { return OpenDocument(path, Locking::Lock); }

Document* Application::OpenDocument(const QString& path, Locking locking) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  for (auto& doc : documents_) {
    if (!doc->IsUntitled() && QFileInfo(QString::fromStdString(doc->GetPathName())).absoluteFilePath() == absolute) {
      std::vector<DocumentWindow*> frames = FramesOf(doc.get());
      if (!frames.empty()) mainFrame_->MdiArea()->setActiveSubWindow(frames.front());
      return doc.get();
    }
  }
  if (locking == Locking::Lock) {
    if (Document* recovered = OfferRecoveredCopiesOf(absolute)) return recovered;
  }
  auto doc = std::make_unique<Document>();
  if (!doc->OnOpenDocument(absolute.toStdString())) {
    Report(QCoreApplication::translate("Application", "%1 を開けません: %2")
               .arg(path, QString::fromStdString(doc->LastError())),
           QString::fromStdString(doc->LastErrorDetails()));
    return nullptr;
  }
  FileSafety::OpenFile file;
  if (locking == Locking::Lock && !fileSafety_.LockForOpening(absolute, file)) return nullptr;
  Document* raw = AddDocument(std::move(doc), std::move(file));
  AddRecentFile(absolute);
  return raw;
}

bool Application::SaveDocument(Document* document, bool saveAs) {
  if (blocks_.Find(document) != nullptr) return SaveBlock(document, saveAs);
  const QString path = fileSafety_.Save(*document, saveAs);
  if (path.isEmpty()) return false;
  if (recovery_ != nullptr) recovery_->Remove(document);
  AddRecentFile(path);
  mainFrame_->UpdateCommandUi();
  return true;
}

int Application::OfferRecoveredDocuments() {
  if (recovery_ == nullptr) return 0;
  int opened = 0;
  for (const RecoveryCopies::Orphan& orphan : recovery_->FindOrphans()) {
    if (OfferCopy(orphan) != nullptr) ++opened;
  }
  recovery_->ReleaseOrphans();
  return opened;
}

Document* Application::OfferRecoveredCopiesOf(const QString& path) {
  if (recovery_ == nullptr) return nullptr;
  Document* recovered = nullptr;
  for (const RecoveryCopies::Orphan& orphan : recovery_->FindOrphans(QFile::encodeName(path).toStdString())) {
    recovered = OfferCopy(orphan);
    if (recovered != nullptr) break;
  }
  recovery_->ReleaseOrphans();
  return recovered;
}

Document* Application::OfferCopy(const RecoveryCopies::Orphan& orphan) {
  const bool titled = orphan.noteRead && !orphan.note.original.empty();
  const QString title = orphan.noteRead ? QString::fromStdString(orphan.note.title) : QFileInfo(orphan.copy).fileName();
  const QString question =
      QCoreApplication::translate(
          "Application",
          "VIRLO が終了する前に保存されなかった %1 (%2) の変更が残っています。\n"
          "開く: 変更した文書として開きます。残す: 次に起動するときか、この文書を開くときにまた尋ねます。破棄: "
          "変更を捨てます。")
          .arg(title, titled ? QString::fromStdString(orphan.note.original)
                             : QCoreApplication::translate("Application", "名前なし"));
  const FileQuestions::Recovery answer = questions_->AskRecovery(question);
  switch (answer) {
    case FileQuestions::Recovery::Open:
      return OpenRecovered(orphan);
    case FileQuestions::Recovery::Discard:
      recovery_->Discard(orphan);
      break;
    case FileQuestions::Recovery::Keep:
      break;
  }
  return nullptr;
}

Document* Application::OpenRecovered(const RecoveryCopies::Orphan& orphan) {
  RecoveryNote note = orphan.note;
  if (!orphan.noteRead) {
    // Whose it was is lost with its note: it opens as a new, untitled document.
    note = RecoveryNote();
    note.title = "Plenko" + std::to_string(++untitledCount_);
  }
  auto doc = std::make_unique<Document>();
  if (!doc->OnOpenRecoveryCopy(QFile::encodeName(orphan.copy).toStdString(), note)) {
    Report(QCoreApplication::translate("Application", "%1 を復元できません: %2")
               .arg(orphan.copy, QString::fromStdString(doc->LastError())),
           QString::fromStdString(doc->LastErrorDetails()));
    return nullptr;
  }
  FileSafety::OpenFile file;
  if (doc->IsUntitled()) {
    // New documents made later do not take its name.
    static const QRegularExpression untitled(QStringLiteral("^Plenko([0-9]{1,6})$"));
    const QRegularExpressionMatch match = untitled.match(QString::fromStdString(note.title));
    if (match.hasMatch()) untitledCount_ = std::max(untitledCount_, match.captured(1).toInt());
  } else {
    const QString original = QString::fromStdString(note.original);
    // The recovered edits take the place of the same file opened unchanged here.
    Document* same = nullptr;
    for (const auto& open : documents_) {
      if (!open->IsUntitled() && !open->IsModified() &&
          QFileInfo(QString::fromStdString(open->GetPathName())).absoluteFilePath() == original) {
        same = open.get();
      }
    }
    if (same != nullptr) CloseDocumentNow(same);
    if (!fileSafety_.LockForOpening(original, file)) return nullptr;
  }
  Document* raw = AddDocument(std::move(doc), std::move(file));
  recovery_->Adopt(orphan, *raw);
  return raw;
}

void Application::UpdateRecoveryCopies() {
  if (recovery_ == nullptr) return;
  for (const auto& doc : documents_) recovery_->Update(*doc);
}

QString Application::RecoveryFolder() const { return recovery_ != nullptr ? recovery_->Folder() : QString(); }

QString Application::RecoveryCopyOf(const Document* document) const {
  return recovery_ != nullptr ? recovery_->CopyOf(document) : QString();
}

bool Application::IsReadOnly(const Document* document) const { return fileSafety_.IsReadOnly(document); }

bool Application::SaveModified(Document* document) {
  if (!document->IsModified()) return true;
  const QString question = QCoreApplication::translate("Application", "%1 への変更を保存しますか?")
                               .arg(QString::fromStdString(document->GetTitle()));
  const int answer = questions_->AskSaveChanges(question);
  if (answer == QMessageBox::Cancel) return false;
  if (answer == QMessageBox::Yes) return SaveDocument(document, false);
  return true;
}

std::vector<DocumentWindow*> Application::FramesOf(Document* document) const {
  std::vector<DocumentWindow*> frames;
  for (QMdiSubWindow* window : mainFrame_->MdiArea()->subWindowList()) {
    auto* frame = qobject_cast<DocumentWindow*>(window);
    if (frame != nullptr && frame->GetDocument() == document) frames.push_back(frame);
  }
  return frames;
}

bool Application::IsOpen(const Document* document) const {
  for (const auto& doc : documents_) {
    if (doc.get() == document) return true;
  }
  return false;
}

bool Application::CloseDocument(Document* document) {
  // A tool of one of its views is running a dialog over the document.
  if (document->IsHandling()) return false;
  if (!SaveModified(document)) return false;
  CloseDocumentNow(document);
  return true;
}

void Application::CloseDocumentNow(Document* document) {
  // The views drop their tools before the database goes.
  document->ReleaseViewTools();
  for (DocumentWindow* frame : FramesOf(document)) mainFrame_->RemoveFrame(frame);
  // Closed without saving, or saved: its lock and its recovery copy go.
  fileSafety_.Forget(document);
  blocks_.Forget(document);
  if (recovery_ != nullptr) recovery_->Remove(document);
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

bool Application::CloseAllDocuments() {
  for (const auto& doc : documents_) {
    if (doc->IsHandling()) return false;
  }
  for (const auto& doc : documents_) {
    // The user sees the document the question is about.
    const std::vector<DocumentWindow*> frames = FramesOf(doc.get());
    if (doc->IsModified() && !frames.empty()) mainFrame_->MdiArea()->setActiveSubWindow(frames.front());
    if (!SaveModified(doc.get())) return false;
  }
  while (!documents_.empty()) CloseDocumentNow(documents_.front().get());
  return true;
}

bool Application::CanCloseFrame(DocumentWindow* frame) {
  Document* document = frame->GetDocument();
  if (document->IsHandling()) return false;
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

// ---- Diagrams in the lines of text files -----------------------------------

namespace {

// Reads a text file that may hold diagrams; false with the reason.
bool ReadHostFile(const QString& path, HostFile& file, QString& error) {
  std::string reason;
  if (HostFile::Read(QFile::encodeName(path).toStdString(), file, reason)) return true;
  error = QString::fromStdString(reason);
  return false;
}

QString CannotRead(const QString& path, const QString& reason) {
  return QCoreApplication::translate("Application", "%1 を読み込めません: %2").arg(path, reason);
}

}  // namespace

Document* Application::AddBlockDocument(std::unique_ptr<Document> document, BlockDocuments::Origin origin) {
  document->SetTitle(BlockDocuments::Title(origin).toStdString());
  // The sheet holds what the file's lines hold: nothing to save yet.
  document->MarkContentSaved();
  Document* raw = AddDocument(std::move(document), FileSafety::OpenFile());
  blocks_.Add(raw, std::move(origin));
  mainFrame_->UpdateCommandUi();
  return raw;
}

Document* Application::OpenBlock(const QString& path, std::size_t line) {
  HostFile file;
  QString error;
  if (!ReadHostFile(path, file, error)) {
    Report(CannotRead(path, error));
    return nullptr;
  }
  if (line == 0 || line > file.LineCount()) {
    Report(QCoreApplication::translate("Application", "%1 は %2 行です。%3 行目はありません。")
               .arg(path)
               .arg(file.LineCount())
               .arg(line));
    return nullptr;
  }
  const std::vector<DiagramBlock> blocks = BlockFinder::Find(file);
  const DiagramBlock* block = BlockFinder::At(blocks, line - 1);
  if (block == nullptr) {
    Report(QCoreApplication::translate("Application", "%1 を開けません: %2")
               .arg(path, QString::fromStdString(BlockFinder::NoBlockMessage(blocks, line - 1))));
    return nullptr;
  }
  // One document per block: two would write over each other's edits.
  if (const Document* open = blocks_.Holding(path, line - 1)) {
    for (const auto& doc : documents_) {
      if (doc.get() != open) continue;
      const std::vector<DocumentWindow*> frames = FramesOf(doc.get());
      if (!frames.empty()) mainFrame_->MdiArea()->setActiveSubWindow(frames.front());
      return doc.get();
    }
  }
  auto doc = std::make_unique<Document>();
  if (!doc->OnNewDocument()) return nullptr;
  BlockDocuments::Origin origin;
  ArtImporter::Report report;
  std::string reason;
  if (!BlockImport::Import(file, *block, *doc->sheet, origin.source, report, reason)) {
    Report(CannotRead(path, QString::fromStdString(reason)));
    doc->OnCloseDocument();
    return nullptr;
  }
  Document* raw = AddBlockDocument(std::move(doc), std::move(origin));
  ShowImportSummary(report);
  return raw;
}

Document* Application::NewBlock(const QString& path, std::size_t line) {
  HostFile file;
  QString error;
  if (!ReadHostFile(path, file, error)) {
    Report(CannotRead(path, error));
    return nullptr;
  }
  if (line == 0 || line > file.LineCount() + 1) {
    Report(QCoreApplication::translate("Application", "%1 は %2 行です。%3 行目の前には入れられません。")
               .arg(path)
               .arg(file.LineCount())
               .arg(line));
    return nullptr;
  }
  auto doc = std::make_unique<Document>();
  if (!doc->OnNewDocument()) return nullptr;
  BlockDocuments::Origin origin;
  origin.source.path = file.Path();
  origin.insertAt = line - 1;
  return AddBlockDocument(std::move(doc), std::move(origin));
}

void Application::FileOpenBlock() {
  const QString path = questions_->AskFileName(false, QString(), TextFilter());
  if (!path.isEmpty()) ChooseBlockOf(path);
}

Document* Application::ChooseBlockOf(const QString& path) {
  HostFile file;
  QString error;
  if (!ReadHostFile(path, file, error)) {
    Report(CannotRead(path, error));
    return nullptr;
  }
  const std::vector<BlockListing::Entry> entries = BlockListing::Of(file, false, BlockListing::Depth::Census);
  if (entries.empty()) {
    Report(QCoreApplication::translate("Application", "%1 には図がありません。").arg(path));
    return nullptr;
  }
  QList<FileQuestions::BlockChoice> choices;
  for (const BlockListing::Entry& entry : entries) {
    const DiagramBlock& block = entry.block;
    FileQuestions::BlockChoice choice;
    choice.lines = QStringLiteral("%1-%2").arg(block.outerFirst + 1).arg(block.outerLast + 1);
    choice.kind = QString::fromLatin1(DiagramBlock::KindName(block.kind));
    choice.prefix = QString::fromStdString(BlockListing::Quoted(block.prefix));
    // The listing's line after its lines, kind and prefix: style and what it draws.
    const std::string line = BlockListing::Line(entry);
    const std::size_t colon = line.find(": ");
    choice.summary = QString::fromStdString(colon == std::string::npos ? line : line.substr(colon + 2));
    QStringList art;
    for (std::size_t at = block.outerFirst; at <= block.outerLast && at < file.LineCount(); ++at) {
      const std::string_view text = file.Text(at);
      art.append(QString::fromStdString(file.GetEncoding() == HostFile::Encoding::Utf8 ? std::string(text)
                                                                                       : TextCodec::Cp932ToUtf8(text)));
    }
    choice.art = art.join(QLatin1Char('\n'));
    choices.append(choice);
  }
  const int chosen = questions_->ChooseBlock(path, choices);
  if (chosen < 0 || chosen >= static_cast<int>(entries.size())) return nullptr;
  return OpenBlock(path, entries[static_cast<std::size_t>(chosen)].block.outerFirst + 1);
}

Document* Application::OpenDropped(const QString& path) {
  const bool document = QFileInfo(path).suffix().compare(QStringLiteral("vrl"), Qt::CaseInsensitive) == 0;
  HostFile file;
  QString error;
  if (document || !ReadHostFile(path, file, error)) return OpenOrImport(path);
  const std::vector<BlockListing::Entry> entries = BlockListing::Of(file, false, BlockListing::Depth::Census);
  // A file that is one diagram, or holds none, comes in whole as before.
  const bool whole = entries.size() == 1 && entries.front().block.outerFirst == 0 &&
                     entries.front().block.outerLast + 1 >= file.LineCount();
  if (entries.empty() || whole) return OpenOrImport(path);
  return ChooseBlockOf(path);
}

bool Application::SaveBlock(Document* document, bool saveAs) {
  if (saveAs) return SaveBlockElsewhere(document);
  BlockDocuments::Origin* origin = blocks_.Find(document);
  const QString path = QFile::decodeName(QByteArray::fromStdString(origin->source.path));
  BlockWriter::Result result;
  if (origin->insertAt) {
    result = BlockWriter::Insert(origin->source.path, *origin->insertAt, *document->sheet, origin->source);
    if (result.outcome == BlockWriter::Outcome::Written) origin->insertAt.reset();
  } else {
    result = BlockWriter::Save(origin->source, *document->sheet, BlockWriter::Policy::Refuse);
  }
  if (result.outcome == BlockWriter::Outcome::BlockChanged) {
    const QString question =
        QCoreApplication::translate("Application",
                                    "%1 の %2 行目からの図は、開いた後か最後に保存した後に、ほかのプログラムで変更され"
                                    "ています。\n上書きすると、その変更は失われます。")
            .arg(path)
            .arg(origin->source.block.outerFirst + 1);
    switch (questions_->AskChangedBlock(question)) {
      case FileQuestions::ChangedBlock::Cancel:
        return false;
      case FileQuestions::ChangedBlock::SaveElsewhere:
        return SaveBlockElsewhere(document);
      case FileQuestions::ChangedBlock::Overwrite:
        result = BlockWriter::Save(origin->source, *document->sheet, BlockWriter::Policy::Overwrite);
        break;
    }
  }
  if (result.outcome != BlockWriter::Outcome::Written && result.outcome != BlockWriter::Outcome::Unchanged) {
    Report(QCoreApplication::translate("Application", "%1 に保存できません: %2")
               .arg(path, QString::fromStdString(result.error)));
    return false;
  }
  document->MarkContentSaved();
  document->SetTitle(BlockDocuments::Title(*origin).toStdString());
  if (recovery_ != nullptr) recovery_->Remove(document);
  mainFrame_->UpdateCommandUi();
  return true;
}

bool Application::SaveBlockElsewhere(Document* document) {
  const BlockDocuments::Origin* origin = blocks_.Find(document);
  const std::string title = document->GetTitle();
  // The file dialog proposes the text file's name, not its lines.
  document->SetTitle(BlockDocuments::Stem(*origin).toStdString());
  const QString path = fileSafety_.Save(*document, true);
  if (path.isEmpty()) {
    document->SetTitle(title);
    return false;
  }
  // From now on an ordinary document of its own file.
  blocks_.Forget(document);
  if (recovery_ != nullptr) recovery_->Remove(document);
  AddRecentFile(path);
  mainFrame_->UpdateCommandUi();
  return true;
}

}  // namespace virlo
