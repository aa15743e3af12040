#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/SafeWrite.h"
#include "store/FormatVersion.h"

namespace virlo::store {

class Database;

// Document files: an SQLite database of our own schema holding every
// allocation reachable from the roots, with its fields. See
// docs/file-format.md.
class DocumentFile {
 public:
  static constexpr std::int32_t ApplicationId = 0x5649524C;  // "VIRL"
  static constexpr std::int32_t FormatVersion = CurrentFormat;

  // Writes the file safely (SafeWrite): links followed, the old file's
  // rights kept, nothing of an older database left beside it; a failure
  // leaves the old file as it was. False with the reason in error, and why
  // the file could not be written at all in refusal when asked. A private
  // kind writes a recovery copy.
  static bool Save(const Database& db, const std::string& path, std::string& error,
                   SafeWrite::Refusal* refusal = nullptr, SafeWrite::Kind kind = SafeWrite::Kind::Document);

  // Reads and checks a file of this format version or an older one (whose
  // records lack the fields added since; they read as zero): the format, the
  // schema (exactly ours), the integrity, every record and every reference (in
  // range, of the expected type). The objects come back blank-built with their
  // fields set, no object logic run; the caller checks what the objects mean
  // before using them. Null with the reason in error. The file is read whole
  // into memory and only that is handed to SQLite: no file beside it is read or
  // made. Only a save of it that a kill cut short is finished first
  // (SafeWrite::Recover). The reason is one line; details, when given, gets
  // what more there is to say (every problem SQLite's check found), or nothing.
  static std::unique_ptr<Database> Open(const std::string& path, std::string& error, std::string* details = nullptr);
};

}  // namespace virlo::store
