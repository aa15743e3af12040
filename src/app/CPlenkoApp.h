#pragma once

#include <QApplication>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Application.h"
#include "platform/Font.h"

namespace virlo {

class CChildFrame;
class CMainFrame;
class CPlenkoDoc;
class QtDialogRunner;

// The application: the main window, the open documents (titled Plenko1,
// Plenko2, ... until saved), the recent-file list of 4 in an INI file, and the
// font text boxes draw in.
class CPlenkoApp : public QApplication, public Application {
  Q_OBJECT

 public:
  static constexpr int RecentFileCount = 4;

  CPlenkoApp(int& argc, char** argv);
  ~CPlenkoApp() override;

  // Creates the main window and the first document: the file named on the
  // command line, or a new one. False when that file cannot be opened.
  bool InitInstance(const QStringList& arguments);
  // The print request: opens the file and shows it in the print preview,
  // from where it prints through its view. False when it could not be opened
  // or the preview was closed without printing.
  bool PrintDocumentFile(const QString& path);
  CMainFrame* MainFrame() const { return mainFrame_.get(); }

  // Application
  const Font* GetTextFont() const override { return &textFont_; }
  void SetStatusPaneText(const QString& text);

  CPlenkoDoc* FileNew();
  void FileOpen();
  CPlenkoDoc* OpenDocumentFile(const QString& path);
  // Asks for a text file and brings its character art in as a new document.
  void FileImportArt();
  // A new, unsaved document holding the art of a text file; null, with the
  // reason shown, when the file cannot be read as art.
  CPlenkoDoc* ImportArtFile(const QString& path);
  // A text file (".txt") is art to bring in; anything else should be a document.
  CPlenkoDoc* OpenOrImport(const QString& path);
  // Opens an entry of the recent-file list; one that no longer opens leaves the list.
  CPlenkoDoc* OpenRecentFile(const QString& path);
  // Saves under its own name, or asks for one (always with saveAs). False when not saved.
  bool SaveDocument(CPlenkoDoc* document, bool saveAs);
  // Offers to save a modified document; false when the user cancels.
  bool SaveModified(CPlenkoDoc* document);
  bool CloseDocument(CPlenkoDoc* document);
  // Asks about every modified document before it closes any: a Cancel
  // anywhere leaves them all open. False then.
  bool CloseAllDocuments();
  // A window may close when it is not its document's last, or the document may close.
  bool CanCloseFrame(CChildFrame* frame);
  const std::vector<std::unique_ptr<CPlenkoDoc>>& Documents() const { return documents_; }

  QtDialogRunner& Dialogs() { return *dialogs_; }
  QStringList RecentFiles() const;
  QString SettingsPath() const;

  // Answers for the modal questions, so tests can drive them: null asks the user.
  std::function<int(const QString& question)> saveQuestion;
  std::function<QString(bool save)> fileQuestion;

 private:
  void AddRecentFile(const QString& path);
  void RemoveRecentFile(const QString& path);
  void WriteRecentFiles(const QStringList& files);
  // Closes without asking; the views drop their tools before the database goes.
  void CloseDocumentNow(CPlenkoDoc* document);
  bool IsOpen(const CPlenkoDoc* document) const;
  void Report(const QString& text);
  std::vector<CChildFrame*> FramesOf(CPlenkoDoc* document) const;

  std::unique_ptr<QtDialogRunner> dialogs_;
  std::unique_ptr<CMainFrame> mainFrame_;
  std::vector<std::unique_ptr<CPlenkoDoc>> documents_;
  // Made at once, so that text boxes never paint in another font.
  const Font textFont_{"ＭＳ　明朝", 16, true};
  int untitledCount_ = 0;
};

}  // namespace virlo
