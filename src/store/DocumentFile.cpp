#include "store/DocumentFile.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/SafeWrite.h"
#include "store/Database.h"
#include "store/FieldVisitor.h"
#include "store/ObjectNumbering.h"
#include "store/Store.h"
#include "store/TypeDescription.h"
#include "store/TypeLayout.h"
#include "store/TypeRegistry.h"

namespace virlo::store {
namespace {

// Bounds that keep a hostile file from asking for unreasonable memory.
constexpr std::int64_t MaxRecords = 10'000'000;
constexpr std::int64_t MaxCharacters = 16 * 1024 * 1024;

// A document file is larger than this only if it is hostile.
constexpr std::int64_t MaxFileBytes = 256 * 1024 * 1024;

// The schema, as SQLite keeps it: what a file must hold, exactly.
constexpr const char* ObjectTable =
    "CREATE TABLE object (id INTEGER PRIMARY KEY, type TEXT NOT NULL, count INTEGER NOT NULL, data BLOB NOT NULL)";
constexpr const char* RootTable =
    "CREATE TABLE root (name TEXT PRIMARY KEY, object INTEGER NOT NULL, part INTEGER NOT NULL)";
struct SchemaEntry {
  const char* type;
  const char* name;
  const char* table;
  const char* sql;  // null for the index SQLite makes for a primary key
};
// In the order of their names.
constexpr SchemaEntry Schema[] = {
    {"table", "object", "object", ObjectTable},
    {"table", "root", "root", RootTable},
    {"index", "sqlite_autoindex_root_1", "root", nullptr},
};

class Connection {
 public:
  Connection() = default;
  ~Connection() {
    if (db_ != nullptr) sqlite3_close(db_);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool Open(const std::string& path, int flags) {
    return sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) == SQLITE_OK;
  }
  bool Close() {
    const bool ok = sqlite3_close(db_) == SQLITE_OK;
    db_ = nullptr;
    return ok;
  }
  bool Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }
  std::string Error() const { return db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory"; }
  sqlite3* Handle() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

class Statement {
 public:
  Statement(Connection& connection, const char* sql) {
    if (sqlite3_prepare_v2(connection.Handle(), sql, -1, &stmt_, nullptr) != SQLITE_OK) stmt_ = nullptr;
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool Ok() const { return stmt_ != nullptr; }
  sqlite3_stmt* operator*() const { return stmt_; }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

void PutU32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::uint32_t GetU32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

bool IsChars(const TypeDescription* type) { return type == &TypeDescription::Char(); }

class Encoder : public FieldVisitor {
 public:
  Encoder(const ObjectNumbering& numbering, std::string& out) : numbering_(numbering), out_(out) {}
  void Int32(const char*, std::int32_t& value) override { PutU32(out_, static_cast<std::uint32_t>(value)); }
  void UInt32(const char*, std::uint32_t& value) override { PutU32(out_, value); }
  void Reference(const char* name, void*& target, const TypeDescription* expected) override {
    std::uint32_t id = 0;
    std::uint32_t part = 0;
    if (!numbering_.Encode(target, expected, id, part)) failed_ = name;
    PutU32(out_, id);
    PutU32(out_, part);
  }
  void TransientReference(const char*, void*&) override {}
  void Embedded(const char*, void* member, const TypeDescription& type) override { type.DescribeFields(member, *this); }
  const std::string& Failed() const { return failed_; }

 private:
  const ObjectNumbering& numbering_;
  std::string& out_;
  std::string failed_;
};

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

// Writes the records into a fresh SQLite file at temp.
bool WriteFile(const Database& db, const ObjectNumbering& numbering, const std::string& temp, std::string& error) {
  Connection out;
  if (!out.Open(temp, SQLITE_OPEN_READWRITE)) {
    error = "cannot write the file: " + out.Error();
    return false;
  }
  const std::string pragmas = "PRAGMA journal_mode=OFF; PRAGMA synchronous=FULL; PRAGMA application_id=" +
                              std::to_string(DocumentFile::ApplicationId) +
                              "; PRAGMA user_version=" + std::to_string(DocumentFile::FormatVersion) + ";";
  if (!out.Exec(pragmas.c_str()) || !out.Exec("BEGIN") || !out.Exec(ObjectTable) || !out.Exec(RootTable)) {
    error = "cannot write the file: " + out.Error();
    return false;
  }
  {
    Statement insert(out, "INSERT INTO object (id, type, count, data) VALUES (?, ?, ?, ?)");
    if (!insert.Ok()) {
      error = "cannot write the file: " + out.Error();
      return false;
    }
    std::string data;
    for (std::size_t i = 0; i < numbering.Order().size(); ++i) {
      const std::uintptr_t begin = numbering.Order()[i];
      const Allocation* allocation = db.Find(reinterpret_cast<const void*>(begin));
      data.clear();
      if (IsChars(allocation->type)) {
        data.assign(reinterpret_cast<const char*>(begin), allocation->count);
      } else {
        Encoder encoder(numbering, data);
        for (std::size_t k = 0; k < allocation->count; ++k) {
          allocation->type->DescribeFields(reinterpret_cast<void*>(begin + k * allocation->size), encoder);
        }
        if (!encoder.Failed().empty()) {
          error = "cannot save a reference of '" + encoder.Failed() + "' in a " + allocation->type->Name();
          return false;
        }
      }
      sqlite3_bind_int64(*insert, 1, static_cast<sqlite3_int64>(i + 1));
      sqlite3_bind_text(*insert, 2, allocation->type->Name().c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int64(*insert, 3, static_cast<sqlite3_int64>(allocation->count));
      sqlite3_bind_blob(*insert, 4, data.data(), static_cast<int>(data.size()), SQLITE_TRANSIENT);
      if (sqlite3_step(*insert) != SQLITE_DONE) {
        error = "cannot write the file: " + out.Error();
        return false;
      }
      sqlite3_reset(*insert);
    }
  }
  {
    Statement insert(out, "INSERT INTO root (name, object, part) VALUES (?, ?, ?)");
    for (const auto& root : db.Roots()) {
      std::uint32_t id = 0;
      std::uint32_t part = 0;
      if (!insert.Ok() || !numbering.Encode(root->GetValue(), nullptr, id, part)) {
        error = "cannot save the root '" + root->Name() + "'";
        return false;
      }
      sqlite3_bind_text(*insert, 1, root->Name().c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int64(*insert, 2, id);
      sqlite3_bind_int64(*insert, 3, part);
      if (sqlite3_step(*insert) != SQLITE_DONE) {
        error = "cannot write the file: " + out.Error();
        return false;
      }
      sqlite3_reset(*insert);
    }
  }
  if (!out.Exec("COMMIT")) {
    error = "cannot write the file: " + out.Error();
    return false;
  }
  if (!out.Close()) {
    error = "cannot finish writing the file";
    return false;
  }
  return true;
}

}  // namespace

bool DocumentFile::Save(const Database& db, const std::string& path, std::string& error, SafeWrite::Refusal* refusal,
                        SafeWrite::Kind kind) {
  ObjectNumbering numbering(db);
  if (!numbering.Run(error)) return false;
  SafeWrite write;
  const bool saved =
      write.Begin(path, kind, error) && WriteFile(db, numbering, write.WritePath(), error) && write.Commit(error);
  if (refusal != nullptr) *refusal = write.Refused();
  return saved;
}

namespace {

// Fills blank-built objects from their records, checking every reference.
class Decoder : public FieldVisitor {
 public:
  Decoder(const std::vector<void*>& addresses, const std::vector<const TypeDescription*>& types,
          const std::vector<std::int64_t>& counts, std::int32_t version)
      : addresses_(addresses), types_(types), counts_(counts), version_(version) {}

  void Start(const unsigned char* data) {
    data_ = data;
    error_.clear();
  }
  const std::string& Error() const { return error_; }

  // A field newer than the file is not in its record; a member newer than
  // it lacks all its fields.
  void Since(std::int32_t version) override { absent_ = version > version_; }
  void Int32(const char*, std::int32_t& value) override { value = Absent() ? 0 : static_cast<std::int32_t>(Next()); }
  void UInt32(const char*, std::uint32_t& value) override { value = Absent() ? 0 : Next(); }
  void Reference(const char* name, void*& target, const TypeDescription* expected) override {
    if (Absent()) {
      target = nullptr;
      return;
    }
    const std::uint32_t id = Next();
    const std::uint32_t part = Next();
    target = nullptr;
    if (!Resolve(id, part, expected, target) && error_.empty()) {
      error_ = "its field '" + prefix_ + name + "' refers to " + Describe(id, part, expected);
    }
  }
  void TransientReference(const char*, void*& target) override { target = nullptr; }
  void Embedded(const char* name, void* member, const TypeDescription& type) override {
    const std::string saved = prefix_;
    const bool outerAbsent = absentMember_;
    absentMember_ = Absent();
    prefix_ += std::string(name) + ".";
    type.DescribeFields(member, *this);
    prefix_ = saved;
    absentMember_ = outerAbsent;
  }

  // Resolves (id, part) to an address of a part that is (or derives from)
  // expected; expected null accepts any part of an object.
  bool Resolve(std::uint32_t id, std::uint32_t part, const TypeDescription* expected, void*& target) const {
    target = nullptr;
    if (id == 0) return part == 0;
    if (id > addresses_.size()) return false;
    const TypeDescription* type = types_[id - 1];
    if (IsChars(type)) {
      if (expected != &TypeDescription::Char() || part >= counts_[id - 1]) return false;
      target = static_cast<char*>(addresses_[id - 1]) + part;
      return true;
    }
    const auto& parts = TypeLayout::Of(*type).Parts();
    if (part >= parts.size()) return false;
    if (expected != nullptr && !parts[part].type->IsA(*expected)) return false;
    if (expected == nullptr && IsChars(parts[part].type)) return false;
    target = static_cast<char*>(addresses_[id - 1]) + parts[part].offset;
    return true;
  }

 private:
  bool Absent() { return std::exchange(absent_, false) || absentMember_; }
  std::uint32_t Next() {
    const std::uint32_t v = GetU32(data_);
    data_ += 4;
    return v;
  }
  std::string Describe(std::uint32_t id, std::uint32_t part, const TypeDescription* expected) const {
    std::string what = "object " + std::to_string(id) + " part " + std::to_string(part);
    if (id > addresses_.size()) return what + ", which does not exist";
    return what + (expected != nullptr ? ", which is not a " + expected->Name() : ", which is not an object");
  }

  const std::vector<void*>& addresses_;
  const std::vector<const TypeDescription*>& types_;
  const std::vector<std::int64_t>& counts_;
  std::int32_t version_;
  bool absent_ = false;
  bool absentMember_ = false;
  const unsigned char* data_ = nullptr;
  std::string prefix_;
  std::string error_;
};

std::uint32_t BigEndian32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

// Where the header of an SQLite file keeps what is checked before SQLite sees it.
namespace HeaderAt {
constexpr std::size_t writeVersion = 18;
constexpr std::size_t readVersion = 19;
constexpr std::size_t textEncoding = 56;
constexpr std::size_t userVersion = 60;
constexpr std::size_t applicationId = 68;
constexpr std::size_t size = 100;
}  // namespace HeaderAt
constexpr unsigned char RollbackJournal = 1;
constexpr unsigned char WriteAheadLog = 2;
constexpr std::uint32_t Utf8Text = 1;
constexpr std::uint32_t NoTextYet = 0;  // a file without tables

// The whole file, read without blocking on anything that is no regular file.
// The buffer is SQLite's, for sqlite3_deserialize.
struct FileBytes {
  unsigned char* data = nullptr;
  std::int64_t size = 0;
  FileBytes() = default;
  ~FileBytes() { sqlite3_free(data); }
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;
  unsigned char* Release() { return std::exchange(data, nullptr); }
};

bool ReadWhole(const std::string& path, FileBytes& bytes, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    error = errno == ENOENT ? "there is no such file" : SystemError("cannot read it");
    return false;
  }
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0;
  if (!ok) {
    error = SystemError("cannot read it");
  } else if (S_ISDIR(info.st_mode)) {
    error = "it is a folder, not a document";
    ok = false;
  } else if (!S_ISREG(info.st_mode)) {
    error = "it is not a regular file";
    ok = false;
  } else if (info.st_size > MaxFileBytes) {
    error = "it is not a VIRLO document: it is larger than any (" + std::to_string(info.st_size) + " bytes)";
    ok = false;
  }
  if (ok) {
    bytes.size = info.st_size;
    bytes.data =
        static_cast<unsigned char*>(sqlite3_malloc64(static_cast<sqlite3_uint64>(std::max<off_t>(1, info.st_size))));
    ok = bytes.data != nullptr;
    if (!ok) error = "there is not enough memory to open it";
  }
  std::int64_t got = 0;
  while (ok) {
    unsigned char extra = 0;
    unsigned char* into = got < bytes.size ? bytes.data + got : &extra;
    const std::size_t room = got < bytes.size ? static_cast<std::size_t>(bytes.size - got) : 1;
    const ssize_t count = ::read(fd, into, room);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      error = SystemError("cannot read it");
      ok = false;
    } else if (count == 0) {
      break;
    } else if (got >= bytes.size) {
      error = "it changed while it was read";
      ok = false;
    } else {
      got += count;
    }
  }
  ::close(fd);
  if (ok && got != bytes.size) {
    error = "it changed while it was read";
    ok = false;
  }
  return ok;
}

// What the header says before SQLite reads anything: an SQLite file, ours,
// a version this program reads (given back), text in UTF-8. A file kept
// with a write-ahead log is read as its main file alone.
bool CheckHeader(FileBytes& bytes, std::int32_t& version, std::string& error) {
  if (bytes.size < static_cast<std::int64_t>(HeaderAt::size) || std::memcmp(bytes.data, "SQLite format 3", 16) != 0 ||
      BigEndian32(bytes.data + HeaderAt::applicationId) != static_cast<std::uint32_t>(DocumentFile::ApplicationId)) {
    error = "it is not a VIRLO document";
    return false;
  }
  version = static_cast<std::int32_t>(BigEndian32(bytes.data + HeaderAt::userVersion));
  if (version > DocumentFile::FormatVersion) {
    error = "it was made by a newer version of VIRLO (file format " + std::to_string(version) +
            "; this version reads format " + std::to_string(DocumentFile::FormatVersion) + ")";
    return false;
  }
  if (version < 1) {
    error = "it has no file format version";
    return false;
  }
  const std::uint32_t encoding = BigEndian32(bytes.data + HeaderAt::textEncoding);
  if (encoding != Utf8Text && encoding != NoTextYet) {
    error = "it is not a VIRLO document: its text is not UTF-8";
    return false;
  }
  for (const std::size_t at : {HeaderAt::writeVersion, HeaderAt::readVersion}) {
    if (bytes.data[at] == WriteAheadLog) bytes.data[at] = RollbackJournal;
  }
  return true;
}

// The schema must be exactly the one a save writes: no other table, column,
// type, index, view, trigger or virtual table, nothing generated or hidden.
bool CheckSchema(Connection& in, std::string& error) {
  Statement rows(in, "SELECT type, name, tbl_name, sql FROM sqlite_schema ORDER BY name");
  if (!rows.Ok()) {
    error = "it is damaged: " + in.Error();
    return false;
  }
  const auto text = [&](int column) {
    const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(*rows, column));
    return value != nullptr ? std::string(value) : std::string();
  };
  std::size_t next = 0;
  int step;
  while ((step = sqlite3_step(*rows)) == SQLITE_ROW) {
    const std::string name = text(1);
    while (next < std::size(Schema) && name > Schema[next].name) {
      error =
          std::string("it is not a VIRLO document: it has no ") + Schema[next].type + " '" + Schema[next].name + "'";
      return false;
    }
    if (next == std::size(Schema) || name != Schema[next].name) {
      error = "it is not a VIRLO document: it holds the " + text(0) + " '" + name + "', which no document has";
      return false;
    }
    const SchemaEntry& entry = Schema[next++];
    const bool sqlMatches = entry.sql == nullptr ? sqlite3_column_type(*rows, 3) == SQLITE_NULL : text(3) == entry.sql;
    if (text(0) != entry.type || text(2) != entry.table || !sqlMatches) {
      error =
          std::string("it is not a VIRLO document: its ") + entry.type + " '" + entry.name + "' is not a document's";
      return false;
    }
  }
  if (step != SQLITE_DONE) {
    error = "it is damaged: " + in.Error();
    return false;
  }
  if (next < std::size(Schema)) {
    error = std::string("it is not a VIRLO document: it has no ") + Schema[next].type + " '" + Schema[next].name + "'";
    return false;
  }
  return true;
}

// SQLite's settings for a file that may be hostile: nothing in its schema
// trusted or run, small limits on what a statement may ask for.
void Defend(Connection& in) {
  sqlite3* db = in.Handle();
  sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  sqlite3_limit(db, SQLITE_LIMIT_LENGTH, static_cast<int>(2 * MaxCharacters));
  sqlite3_limit(db, SQLITE_LIMIT_SQL_LENGTH, 100'000);
  sqlite3_limit(db, SQLITE_LIMIT_COLUMN, 100);
  sqlite3_limit(db, SQLITE_LIMIT_EXPR_DEPTH, 100);
  sqlite3_limit(db, SQLITE_LIMIT_COMPOUND_SELECT, 4);
  sqlite3_limit(db, SQLITE_LIMIT_VDBE_OP, 100'000);
  sqlite3_limit(db, SQLITE_LIMIT_FUNCTION_ARG, 8);
  sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
  sqlite3_limit(db, SQLITE_LIMIT_LIKE_PATTERN_LENGTH, 100);
  sqlite3_limit(db, SQLITE_LIMIT_VARIABLE_NUMBER, 16);
  sqlite3_limit(db, SQLITE_LIMIT_TRIGGER_DEPTH, 1);
}

bool QueryInt(Connection& in, const char* sql, std::int64_t& value) {
  Statement query(in, sql);
  if (!query.Ok() || sqlite3_step(*query) != SQLITE_ROW) return false;
  value = sqlite3_column_int64(*query, 0);
  return true;
}

// The file's bytes handed to SQLite, once the header says they are a
// document of a version this program reads.
bool OpenFile(const std::string& path, Connection& in, std::int32_t& version, std::int64_t& fileSize,
              std::string& error) {
  FileBytes bytes;
  if (!ReadWhole(path, bytes, error) || !CheckHeader(bytes, version, error)) return false;
  if (!in.Open(":memory:", SQLITE_OPEN_READWRITE)) {
    error = "it cannot be opened as a database: " + in.Error();
    return false;
  }
  Defend(in);
  fileSize = bytes.size;
  if (sqlite3_deserialize(in.Handle(), "main", bytes.Release(), fileSize, fileSize,
                          SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_READONLY) != SQLITE_OK) {
    error = "it cannot be opened as a database: " + in.Error();
    return false;
  }
  return true;
}

// SQLite's own check of its pages, and the size they need: a file cut short
// reads as zeros past its end, and only its size gives it away. The message
// names the first problem; details, when given, gets every one, a line each.
bool CheckIntegrity(Connection& in, std::int64_t fileSize, std::string& error, std::string* details) {
  {
    Statement check(in, "PRAGMA quick_check");
    if (!check.Ok() || sqlite3_step(*check) != SQLITE_ROW) {
      error = "it is damaged: " + in.Error();
      return false;
    }
    const auto* result = reinterpret_cast<const char*>(sqlite3_column_text(*check, 0));
    if (result == nullptr || std::strcmp(result, "ok") != 0) {
      // SQLite names the schema on a line of its own, then a problem a row.
      const std::string schemaLine = "*** in database main ***\n";
      std::vector<std::string> problems;
      do {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(*check, 0));
        std::string problem = text != nullptr ? text : "integrity check failed";
        if (problem.compare(0, schemaLine.size(), schemaLine) == 0) problem.erase(0, schemaLine.size());
        problems.push_back(std::move(problem));
      } while (sqlite3_step(*check) == SQLITE_ROW);
      error = "it is damaged: " + problems.front();
      if (problems.size() > 1) error += " (and " + std::to_string(problems.size() - 1) + " more problems)";
      if (details != nullptr) {
        details->clear();
        for (const std::string& problem : problems) *details += problem + "\n";
      }
      return false;
    }
  }
  std::int64_t pageSize = 0;
  std::int64_t pageCount = 0;
  if (!QueryInt(in, "PRAGMA page_size", pageSize) || !QueryInt(in, "PRAGMA page_count", pageCount)) {
    error = "it is damaged: " + in.Error();
    return false;
  }
  if (fileSize != pageSize * pageCount) {
    error = "it is damaged: it is cut short or padded (" + std::to_string(fileSize) + " bytes where its pages need " +
            std::to_string(pageSize * pageCount) + ")";
    return false;
  }
  return true;
}

// A root as the file names it, resolved once the objects exist.
struct RootRow {
  std::string name;
  std::uint32_t id = 0;
  std::uint32_t part = 0;
};

// The roots, in the order of their names. Each name is held once: the
// table's key says so, but only an index no quick check reads keeps it.
bool ReadRoots(Connection& in, std::vector<RootRow>& roots, std::string& error) {
  Statement rows(in, "SELECT name, object, part FROM root ORDER BY name");
  if (!rows.Ok()) {
    error = "it is not a VIRLO document: " + in.Error();
    return false;
  }
  int step;
  while ((step = sqlite3_step(*rows)) == SQLITE_ROW) {
    const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(*rows, 0));
    const std::int64_t id = sqlite3_column_int64(*rows, 1);
    const std::int64_t part = sqlite3_column_int64(*rows, 2);
    if (name == nullptr || id < 0 || id > UINT32_MAX || part < 0 || part > UINT32_MAX) {
      error = "it is damaged: a root refers to nothing it holds";
      return false;
    }
    roots.push_back({name, static_cast<std::uint32_t>(id), static_cast<std::uint32_t>(part)});
  }
  if (step != SQLITE_DONE) {
    error = "it is damaged: " + in.Error();
    return false;
  }
  std::unordered_set<std::string_view> names;
  names.reserve(roots.size());
  for (const RootRow& root : roots) {
    if (!names.insert(root.name).second) {
      error = "it is damaged: two of its roots have the same name";
      return false;
    }
  }
  return true;
}

// One object row as read, before any object is made.
struct Record {
  const TypeDescription* type;
  std::int64_t count;
  std::string data;
};

// Checks one object row (numbered `expectedId`) and gives back its record:
// its number in sequence, a known concrete type, a count and bytes as that
// type has them in this version.
bool ReadRecord(sqlite3_stmt* row, std::int64_t expectedId, std::int32_t version, Record& record, std::string& error) {
  const std::int64_t id = sqlite3_column_int64(row, 0);
  const std::string where = "object " + std::to_string(id);
  if (id != expectedId || id > MaxRecords) {
    error = "it is damaged: the objects are not numbered 1, 2, 3, ...";
    return false;
  }
  const auto* typeName = reinterpret_cast<const char*>(sqlite3_column_text(row, 1));
  const TypeDescription* type = typeName != nullptr && std::strcmp(typeName, "char") == 0
                                    ? &TypeDescription::Char()
                                    : (typeName != nullptr ? TypeRegistry::Find(typeName) : nullptr);
  if (type == nullptr || (type->IsAbstract())) {
    error = "it is damaged: " + where + " has an unknown type '" + (typeName != nullptr ? typeName : "") + "'";
    return false;
  }
  const std::int64_t count = sqlite3_column_int64(row, 2);
  const bool countOk = IsChars(type) ? (count >= 1 && count <= MaxCharacters) : count == 1;
  if (!countOk) {
    error = "it is damaged: " + where + " (" + type->Name() + ") has a count of " + std::to_string(count);
    return false;
  }
  const auto* blob = static_cast<const char*>(sqlite3_column_blob(row, 3));
  const auto size = static_cast<std::size_t>(sqlite3_column_bytes(row, 3));
  const std::size_t expected =
      IsChars(type) ? static_cast<std::size_t>(count) : TypeLayout::Of(*type).EncodedSize(version);
  if (size != expected || (size > 0 && blob == nullptr)) {
    error = "it is damaged: " + where + " (" + type->Name() + ") holds " + std::to_string(size) + " bytes instead of " +
            std::to_string(expected);
    return false;
  }
  record = {type, count, std::string(blob != nullptr ? blob : "", size)};
  return true;
}

bool ReadRecords(Connection& in, std::int32_t version, std::vector<Record>& records, std::string& error) {
  Statement rows(in, "SELECT id, type, count, data FROM object ORDER BY id");
  if (!rows.Ok()) {
    error = "it is not a VIRLO document: " + in.Error();
    return false;
  }
  int step;
  while ((step = sqlite3_step(*rows)) == SQLITE_ROW) {
    Record record;
    if (!ReadRecord(*rows, static_cast<std::int64_t>(records.size()) + 1, version, record, error)) return false;
    records.push_back(std::move(record));
  }
  if (step != SQLITE_DONE) {
    error = "it is damaged: " + in.Error();
    return false;
  }
  return true;
}

// The objects of the records, made blank in the database (texts hold their
// characters already), by record number from 0.
struct Objects {
  std::vector<void*> addresses;
  std::vector<const TypeDescription*> types;
  std::vector<std::int64_t> counts;
};

bool MakeObjects(Database& db, const std::vector<Record>& records, Objects& objects, std::string& error) {
  objects.addresses.reserve(records.size());
  objects.types.reserve(records.size());
  objects.counts.reserve(records.size());
  for (const Record& record : records) {
    void* memory = Allocate(&db, *record.type, static_cast<std::size_t>(record.count));
    if (memory == nullptr) {
      error = "there is not enough memory to open it";
      return false;
    }
    if (IsChars(record.type)) {
      std::memcpy(memory, record.data.data(), record.data.size());
    } else {
      record.type->ConstructBlank(memory);
    }
    objects.addresses.push_back(memory);
    objects.types.push_back(record.type);
    objects.counts.push_back(record.count);
  }
  return true;
}

// Sets every object's fields from its record, checking each reference, then
// points the roots at what they name.
bool Build(Database& db, const std::vector<Record>& records, const Objects& objects, std::vector<RootRow>& roots,
           std::int32_t version, std::string& error) {
  Decoder decoder(objects.addresses, objects.types, objects.counts, version);
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (IsChars(records[i].type)) continue;
    decoder.Start(reinterpret_cast<const unsigned char*>(records[i].data.data()));
    records[i].type->DescribeFields(objects.addresses[i], decoder);
    if (!decoder.Error().empty()) {
      error =
          "it is damaged: object " + std::to_string(i + 1) + " (" + records[i].type->Name() + "): " + decoder.Error();
      return false;
    }
  }
  for (RootRow& root : roots) {
    void* target = nullptr;
    if (!decoder.Resolve(root.id, root.part, nullptr, target)) {
      error = "it is damaged: a root refers to nothing it holds";
      return false;
    }
    db.AddRoot(std::move(root.name))->SetValue(target);
  }
  return true;
}

// Reading in stages: the file and its header, the schema and SQLite's
// checks, the roots, the records, then the objects made and filled, every
// reference checked.
std::unique_ptr<Database> Read(const std::string& path, std::string& error, std::string* details) {
  Connection in;
  std::int32_t version = 0;
  std::int64_t fileSize = 0;
  if (!OpenFile(path, in, version, fileSize, error) || !CheckSchema(in, error) ||
      !CheckIntegrity(in, fileSize, error, details)) {
    return nullptr;
  }
  std::vector<RootRow> roots;
  std::vector<Record> records;
  if (!ReadRoots(in, roots, error) || !ReadRecords(in, version, records, error)) return nullptr;
  auto db = std::make_unique<Database>(path);
  db->SetFileFormat(version);
  Objects objects;
  if (!MakeObjects(*db, records, objects, error) || !Build(*db, records, objects, roots, version, error)) {
    return nullptr;
  }
  return db;
}

}  // namespace

std::unique_ptr<Database> DocumentFile::Open(const std::string& path, std::string& error, std::string* details) {
  if (details != nullptr) details->clear();
  // A save into the file itself that was cut short is finished first.
  std::string unfinished;
  const bool recovered = SafeWrite::Recover(path, unfinished);
  std::unique_ptr<Database> db = Read(path, error, details);
  if (db == nullptr && !recovered) error += " (" + unfinished + ")";
  return db;
}

}  // namespace virlo::store
