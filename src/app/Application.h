#pragma once

#include <QApplication>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/BlockDocuments.h"
#include "app/FileQuestions.h"
#include "app/FileSafety.h"
#include "app/RecoveryCopies.h"
#include "export/ArtExport.h"
#include "import/ArtImporter.h"
#include "platform/AppServices.h"
#include "platform/Font.h"

namespace virlo {

class DocumentWindow;
class MainWindow;
class Document;
class SheetView;
class QtDialogRunner;

// The application: the main window, the open documents (titled Plenko1,
// Plenko2, ... until saved), the recent-file list of 4 and the view settings
// in an INI file, and the font text boxes draw in. It keeps every open document's file locked
// (DocumentLock), a recovery copy of every modified document
// (RecoveryCopies), and asks before a save would overwrite what another
// program wrote.
class Application : public QApplication, public AppServices {
  Q_OBJECT

 public:
  static constexpr int RecentFileCount = 4;
  static constexpr std::chrono::milliseconds RecoveryInterval{30000};
  // How long a text print waits for a pipe's reader to take what it writes.
  static constexpr std::chrono::milliseconds PipePatience{2000};

  // What the start does with the recovery copies of a VIRLO that was killed.
  enum class Start { Plain, OfferRecovery };
  // What the start does with FILE:LINE: opens the diagram there, or a new
  // one whose save puts it in before that line.
  enum class Opening { Open, NewDiagram };
  // The pictures a document exports: its shapes as SVG, or as PNG at one or
  // two pixels per drawing unit.
  enum class Picture { Svg, Png, Png2x };

  Application(int& argc, char** argv);
  ~Application() override;

  // Creates the main window and the first documents: the file named on the
  // command line, then the recovered documents the user chooses to open
  // (with OfferRecovery), or else a new one. False when that file cannot be opened.
  bool InitInstance(const QStringList& arguments, Start start = Start::Plain, Opening opening = Opening::Open);
  // The print request: opens the file and shows it in the print preview,
  // from where it prints through its view. False when it could not be opened
  // or the preview was closed without printing.
  bool PrintDocumentFile(const QString& path);
  MainWindow* MainFrame() const { return mainFrame_.get(); }

  // Application
  const Font* GetTextFont() const override { return &textFont_; }
  void SetStatusPaneText(const QString& text);

  Document* FileNew();
  void FileOpen();
  Document* OpenDocumentFile(const QString& path);
  // Asks for a text file and brings its character art in as a new document.
  void FileImportArt();
  // A new, unsaved document holding the art of a text file; null, with the
  // reason shown, when the file cannot be read as art.
  Document* ImportArtFile(const QString& path);
  // Shows in the status bar what an import or a paste of art made, and how
  // many characters became "?" or others like them.
  void ShowImportSummary(const ArtImporter::Report& report);
  // FILE:LINE is a diagram in a text file to open (a file of that very name
  // wins); a text file (".txt") is art to bring in; anything else should be a document.
  Document* OpenOrImport(const QString& path);
  // A file dropped on the window: a text file with several diagram blocks,
  // or one that is not the whole file, offers them to choose from; any other
  // is opened as OpenOrImport opens it.
  Document* OpenDropped(const QString& path);
  // Opens the diagram block of a text file that holds the line (counted
  // from 1) as a document whose Save writes it back into those lines; null,
  // with the reason shown, when the line is in no block.
  Document* OpenBlock(const QString& path, std::size_t line);
  // An empty diagram whose first Save puts it into the text file as a new
  // block before the line (counted from 1).
  Document* NewBlock(const QString& path, std::size_t line);
  // Asks for a text file, then which of its diagram blocks to open.
  void FileOpenBlock();
  // Offers the diagram blocks of a text file; the one chosen opened, null
  // when there is none or the user cancels.
  Document* ChooseBlockOf(const QString& path);
  // Where a document standing for a diagram of a text file came from; null
  // for any other document.
  const BlockDocuments::Origin* BlockOrigin(const Document* document) const { return blocks_.Find(document); }
  // Opens an entry of the recent-file list; one that no longer opens leaves the list.
  Document* OpenRecentFile(const QString& path);
  // Saves under its own name, or asks for one (always with saveAs, and for a
  // document opened read-only). Asks first when another program changed or
  // removed the file since it was opened or saved, and offers Save As when
  // the file may not be written. False when not saved.
  bool SaveDocument(Document* document, bool saveAs);
  // Offers to save a modified document; false when the user cancels.
  bool SaveModified(Document* document);
  bool CloseDocument(Document* document);
  // Asks about every modified document before it closes any: a Cancel
  // anywhere leaves them all open. False then.
  bool CloseAllDocuments();
  // A window may close when it is not its document's last, or the document may close.
  bool CanCloseFrame(DocumentWindow* frame);
  const std::vector<std::unique_ptr<Document>>& Documents() const { return documents_; }

  // Offers each recovery copy that a VIRLO no longer running left: open it
  // as a modified document, keep it for a later start (or until its file is
  // opened, which offers it again), or discard it. Returns how many were opened.
  int OfferRecoveredDocuments();
  // Writes or removes the recovery copies as the documents now need; runs
  // every RecoveryInterval.
  void UpdateRecoveryCopies();
  void SetRecoveryInterval(std::chrono::milliseconds interval) { recoveryTimer_.setInterval(interval); }
  // The folder of the recovery copies, and a document's copy (empty while it has none).
  QString RecoveryFolder() const;
  QString RecoveryCopyOf(const Document* document) const;
  // Opened read-only because another VIRLO held it: saving asks for another name.
  bool IsReadOnly(const Document* document) const;

  // Whether the views show the character art in place of the shapes; kept in the INI file.
  bool ArtShown() const { return artShown_; }
  void SetArtShown(bool shown);
  // How text print and clipboard print shape the art, for every view; kept in the INI file.
  ArtOptions OutputOptions() const;
  void SetOutputOptions(const ArtOptions& options);
  // The zoom a new window starts at: the one last chosen in any, kept in the INI file.
  int Zoom() const;
  void SetZoom(int percent);
  // Reads the settings of the INI file that the views follow.
  void ReadSettings();
  // Asks for a file and writes the view's document there as a picture; the
  // selection ends first, so no mark of it lands in the picture. False when
  // nothing was written.
  bool ExportPicture(SheetView* view, Picture picture);
  // The name the export proposes: the document's, with "@2x" for the picture of twice the size.
  static QString PictureName(const Document& document, Picture picture);

  QtDialogRunner& Dialogs() { return *dialogs_; }
  // Whether a text box's text is typed on the sheet rather than in the text
  // dialog, as kept in the INI file; by default in place, but the dialog on a
  // Japanese desktop.
  bool TypeInPlace() const;
  void SetTypeInPlace(bool on);
  QStringList RecentFiles() const;
  QString SettingsPath() const;

  // Who answers the questions about files and reads the warnings: the user,
  // in message boxes and file dialogs, unless another is set (null: the user).
  void SetFileQuestions(FileQuestions* questions);

 private:
  enum class Locking { Lock, None };

  Document* OpenDocument(const QString& path, Locking locking);
  // Saves a diagram of a text file back into its lines, or with saveAs as a
  // document of its own; asks when its lines changed on disk.
  bool SaveBlock(Document* document, bool saveAs);
  // The diagram becomes a document file of its own, asked for.
  bool SaveBlockElsewhere(Document* document);
  // A new document for a diagram of a text file, with its title.
  Document* AddBlockDocument(std::unique_ptr<Document> document, BlockDocuments::Origin origin);
  // Adds an opened document with its window.
  Document* AddDocument(std::unique_ptr<Document> document, FileSafety::OpenFile file);
  // Opens a recovery copy as its document; null when it cannot be read or
  // the user cancels, the copy then kept.
  Document* OpenRecovered(const RecoveryCopies::Orphan& orphan);
  // Offers the copies kept of the document file about to be opened; the
  // recovered document when the user opens one.
  Document* OfferRecoveredCopiesOf(const QString& path);
  // Asks what to do with a copy, and does it; the document when it was opened.
  Document* OfferCopy(const RecoveryCopies::Orphan& orphan);
  void AddRecentFile(const QString& path);
  void RemoveRecentFile(const QString& path);
  void WriteRecentFiles(const QStringList& files);
  // Closes without asking; the views drop their tools before the database goes.
  void CloseDocumentNow(Document* document);
  bool IsOpen(const Document* document) const;
  // A warning; details, when there are any, behind its Details button.
  void Report(const QString& text, const QString& details = QString());
  std::vector<DocumentWindow*> FramesOf(Document* document) const;

  std::unique_ptr<QtDialogRunner> dialogs_;
  std::unique_ptr<FileQuestions> ownQuestions_;
  FileQuestions* questions_;
  std::unique_ptr<MainWindow> mainFrame_;
  std::vector<std::unique_ptr<Document>> documents_;
  FileSafety fileSafety_{nullptr};
  std::unique_ptr<RecoveryCopies> recovery_;
  BlockDocuments blocks_;
  QTimer recoveryTimer_;
  // Made at once, so that text boxes never paint in another font.
  const Font textFont_{"ＭＳ　明朝", 16, true};
  int untitledCount_ = 0;
  bool artShown_ = false;
};

}  // namespace virlo
