#pragma once

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QLockFile>
#include <QString>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Script.h"
#include "cli/ScriptRunner.h"
#include "document/DocumentCheck.h"
#include "model/Sheet.h"
#include "store/Database.h"
#include "store/DocumentFile.h"

// Document files as other programs leave them, for the tests of what the
// desktop program finds on disk.
namespace virlo::test {

inline std::string Native(const QString& path) { return QFile::encodeName(path).toStdString(); }

// Writes the document a script draws, as another program (or VIRLO) would; an
// empty path only plays it. The art drawn, or "" when the script failed.
inline std::string WriteDocument(const QString& path, const std::string& script) {
  std::vector<cli::ScriptCommand> commands;
  std::string error;
  cli::ScriptRunner runner(stdout, stderr);
  if (!cli::Script::Parse(script, commands, error) || !runner.Start() || !runner.Run(commands)) return {};
  if (!path.isEmpty() && !runner.Document().OnSaveDocument(Native(path))) return {};
  return runner.Document().sheet->MakeText();
}

// The art of a document file as the core reads and checks it, or why it refused it.
inline std::string ArtOfFile(const QString& path) {
  std::string error;
  const std::unique_ptr<store::Database> db = store::DocumentFile::Open(Native(path), error);
  Sheet* sheet = nullptr;
  if (db == nullptr || DocumentCheck::Check(*db, sheet, error) == DocumentCheck::Verdict::Refused) return error;
  return sheet->MakeText();
}

// Leaves at path the lock file a killed VIRLO leaves: a QLockFile of this
// program naming a process that has ended. False when it could not be made.
inline bool LeaveLockOfEndedProcess(const QString& path) {
  QByteArray contents;
  {
    QLockFile lock(path);
    QFile file(path);
    if (!lock.tryLock(0) || !file.open(QIODevice::ReadOnly)) return false;
    contents = file.readAll();
  }
  const pid_t ended = ::fork();
  if (ended == 0) ::_exit(0);
  int status = 0;
  const qsizetype pidEnd = contents.indexOf('\n');
  if (ended < 0 || ::waitpid(ended, &status, 0) != ended || pidEnd <= 0) return false;
  contents = QByteArray::number(ended) + contents.mid(pidEnd);
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(contents) == contents.size();
}

}  // namespace virlo::test
