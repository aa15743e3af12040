#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "control/ViewController.h"
#include "document/Document.h"
#include "platform/QueuedDialogRunner.h"
#include "script/HeadlessWindow.h"
#include "script/Script.h"

namespace virlo::script {

// Plays a script on one document in one view, as a user would in the desktop
// program, writing the character art of `show` to out and notes to err.
class ScriptRunner {
 public:
  ScriptRunner(std::FILE* out, std::FILE* err);
  ~ScriptRunner();
  ScriptRunner(const ScriptRunner&) = delete;
  ScriptRunner& operator=(const ScriptRunner&) = delete;

  // Starts on a new document, or on the document file given; false (with a
  // message on err) when it cannot.
  bool Start(const std::string& path = "");
  // Plays every command; false once a file could not be read or written
  // (the script stops there; the message is on err). A command that is
  // disabled or a dialog without an answer is only told, and the script goes on.
  bool Run(const std::vector<ScriptCommand>& commands);

  // Queues the answer an `answer ...` command gives the next dialog (for
  // `stroke` and `corners`, the format dialog's); false for a command that
  // is no answer.
  static bool QueueAnswer(const ScriptCommand& command, QueuedDialogRunner& dialogs);
  // Writes all the bytes and flushes them; false when the file refused any.
  static bool WriteAll(std::FILE* file, const std::string& bytes);

  Document& GetDocument() { return document_; }
  ViewController& View() { return view_; }

 private:
  // One line: the modified mark, the undo and redo steps, the tool, the picked
  // object and the selected ones, each as the dump numbers it (Type#id, with
  // .part for a part of it).
  std::string State();
  bool Execute(const ScriptCommand& command);
  void Note(const std::string& text);
  // Tells how many characters the text print wrote as substitutes.
  void NoteSubstitutes();
  // Tells why the script stops; false.
  bool Fail(const std::string& text);

  std::FILE* out_;
  std::FILE* err_;
  std::int32_t line_ = 0;
  QueuedDialogRunner dialogs_;
  Document document_;
  HeadlessWindow window_;
  ViewController view_;
};

}  // namespace virlo::script
