// make-bad-corpus: writes the damaged documents that virlo-cli must refuse.
// Every file is made from one good document (see make-bad-corpus.sh), either
// byte by byte or by editing its records through SQLite.
//   make-bad-corpus OUTPUT_FOLDER GOOD.vrl
#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "objects/StrBox.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::string;

// Byte offsets of the fields in the records, as file format 3 stores them:
// 4 bytes per integer, 8 per reference (object id, then part number).
namespace DrawObjAt {
constexpr std::size_t sheet = 4;
constexpr std::size_t parent = 12;
}  // namespace DrawObjAt
namespace DotAt {
constexpr std::size_t x = 20;
constexpr std::size_t marker = 28;
constexpr std::size_t character = 32;
constexpr std::size_t size = 36;
}  // namespace DotAt
namespace LinkPointAt {
constexpr std::size_t partner = 36;
constexpr std::size_t hostLine = 44;
constexpr std::size_t gap = 52;
}  // namespace LinkPointAt
// A list's fields, from where the list lies.
namespace ListAt {
constexpr std::size_t head = 0;
constexpr std::size_t tail = 8;
constexpr std::size_t count = 16;
}  // namespace ListAt
namespace LineAt {
constexpr std::size_t start = 20;
constexpr std::size_t end = 76;
constexpr std::size_t attached = 132;
constexpr std::size_t attachedHead = attached + ListAt::head;
constexpr std::size_t attachedTail = attached + ListAt::tail;
constexpr std::size_t attachedCount = attached + ListAt::count;
constexpr std::size_t orientation = 156;
constexpr std::size_t stroke = 160;
constexpr std::size_t size = 164;
constexpr std::uint32_t parts = 4;  // the line, its two ends and its list
}  // namespace LineAt
namespace NodeAt {
constexpr std::size_t next = 0;
constexpr std::size_t prev = 8;
constexpr std::size_t item = 16;
constexpr std::size_t size = 24;
}  // namespace NodeAt
namespace SheetAt {
constexpr std::size_t selected = 8;
constexpr std::size_t objects = 32;
constexpr std::size_t textFileName = 56;
constexpr std::size_t width = 68;
constexpr std::size_t cellWidth = 76;
constexpr std::size_t originX = 84;
constexpr std::uint32_t textFileNamePart = 3;
}  // namespace SheetAt
namespace BoxAt {
constexpr std::size_t corners = 20 + 4 * LineAt::size;  // after the box's four lines
}  // namespace BoxAt
namespace StrBoxAt {
constexpr std::size_t text = BoxAt::corners + 4;  // str.text, after the box's fields
constexpr std::size_t length = text + 8;
constexpr std::size_t frame = length + 4;
constexpr std::size_t restLine = frame + 8;  // after the alignment
}  // namespace StrBoxAt
constexpr std::int32_t MaxCoordinate = 1 << 24;

std::uint32_t GetU32(const Bytes& b, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i)
    v |= static_cast<std::uint32_t>(static_cast<unsigned char>(b.at(at + i))) << (8 * i);
  return v;
}
void PutU32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (std::size_t i = 0; i < 4; ++i) b.at(at + i) = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void PutRef(Bytes& b, std::size_t at, std::uint32_t id, std::uint32_t part) {
  PutU32(b, at, id);
  PutU32(b, at + 4, part);
}
// Copies the reference (8 bytes) at `from` in one record to `to` in another.
void CopyRef(const Bytes& source, std::size_t from, Bytes& b, std::size_t to) { b.replace(to, 8, source, from, 8); }

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
void WriteFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

// A document file opened for editing its records.
class Doc {
 public:
  explicit Doc(const fs::path& path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) Fail();
    Exec("PRAGMA journal_mode=DELETE");
  }
  ~Doc() { sqlite3_close(db_); }
  Doc(const Doc&) = delete;
  Doc& operator=(const Doc&) = delete;

  void Exec(const std::string& sql) {
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail();
  }
  std::vector<std::uint32_t> Ids(const std::string& sql) {
    std::vector<std::uint32_t> ids;
    Query(sql, {}, [&](sqlite3_stmt* s) { ids.push_back(static_cast<std::uint32_t>(sqlite3_column_int64(s, 0))); });
    if (ids.empty()) throw std::runtime_error("the good document has nothing for: " + sql);
    return ids;
  }
  Bytes Data(std::uint32_t id) {
    Bytes data;
    Query("SELECT data FROM object WHERE id = " + std::to_string(id), {}, [&](sqlite3_stmt* s) {
      data.assign(static_cast<const char*>(sqlite3_column_blob(s, 0)),
                  static_cast<std::size_t>(sqlite3_column_bytes(s, 0)));
    });
    return data;
  }
  void SetData(std::uint32_t id, const Bytes& data) {
    Query("UPDATE object SET data = ? WHERE id = " + std::to_string(id), data, nullptr);
  }
  // Rewrites one record's blob in place.
  void Edit(std::uint32_t id, const std::function<void(Bytes&)>& change) {
    Bytes data = Data(id);
    change(data);
    SetData(id, data);
  }
  // Adds a record after the last one and gives its number.
  std::uint32_t Add(const std::string& type, const Bytes& data) {
    const std::uint32_t id = Ids("SELECT count(*) FROM object").at(0) + 1;
    Query("INSERT INTO object (id, type, count, data) VALUES (" + std::to_string(id) + ", '" + type + "', 1, ?)", data,
          nullptr);
    return id;
  }

 private:
  void Query(const std::string& sql, const Bytes& blob, const std::function<void(sqlite3_stmt*)>& row) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) Fail();
    if (!blob.empty()) sqlite3_bind_blob(s, 1, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT);
    int step;
    while ((step = sqlite3_step(s)) == SQLITE_ROW) row(s);
    sqlite3_finalize(s);
    if (step != SQLITE_DONE) Fail();
  }
  [[noreturn]] void Fail() { throw std::runtime_error(std::string("sqlite: ") + sqlite3_errmsg(db_)); }

  sqlite3* db_ = nullptr;
};

// The objects of the good document the damage is aimed at, found by what they hold.
struct Roles {
  std::uint32_t sheet = 0;
  std::uint32_t count = 0;
  std::uint32_t host = 0;    // a line carrying a line end (the tee's start) and a dot
  std::uint32_t single = 0;  // a line carrying one dot
  std::uint32_t tee = 0;     // the line whose start rests on the host
  std::uint32_t joined = 0;  // a line whose end is joined to the start of partner
  std::uint32_t partner = 0;
  std::uint32_t box = 0;
  std::uint32_t strBox = 0;
  std::uint32_t label = 0;  // a text without a frame resting on the host
  std::vector<std::uint32_t> dots;
};

Roles FindRoles(Doc& doc) {
  Roles r;
  r.sheet = doc.Ids("SELECT object FROM root WHERE name = 'Sheet'").at(0);
  r.count = doc.Ids("SELECT count(*) FROM object").at(0);
  r.dots = doc.Ids("SELECT id FROM object WHERE type = 'Dot'");
  r.box = doc.Ids("SELECT id FROM object WHERE type = 'Box'").at(0);
  r.strBox = doc.Ids("SELECT id FROM object WHERE type = 'StrBox'").at(0);
  for (std::uint32_t text : doc.Ids("SELECT id FROM object WHERE type = 'StrBox'")) {
    if (GetU32(doc.Data(text), StrBoxAt::restLine) != 0) r.label = text;
  }
  for (std::uint32_t line : doc.Ids("SELECT id FROM object WHERE type = 'Line'")) {
    const Bytes data = doc.Data(line);
    if (GetU32(data, LineAt::attachedCount) >= 2) r.host = line;
    if (GetU32(data, LineAt::attachedCount) == 1) r.single = line;
    if (GetU32(data, LineAt::start + LinkPointAt::hostLine) != 0) r.tee = line;
    if (GetU32(data, LineAt::end + LinkPointAt::partner) != 0) {
      r.joined = line;
      r.partner = GetU32(data, LineAt::end + LinkPointAt::partner);
    }
  }
  if (r.dots.size() < 2 || r.host == 0 || r.single == 0 || r.tee == 0 || r.joined == 0 || r.label == 0) {
    throw std::runtime_error("the good document lacks a part");
  }
  return r;
}

// Takes the node that holds item (object, part) out of the list at `at` in
// record owner; the node itself stays, unreferenced.
void Unlist(Doc& doc, std::uint32_t owner, std::size_t at, std::uint32_t item, std::uint32_t part) {
  Bytes list = doc.Data(owner);
  for (std::uint32_t node = GetU32(list, at + ListAt::head); node != 0;) {
    const Bytes data = doc.Data(node);
    const std::uint32_t next = GetU32(data, NodeAt::next);
    const std::uint32_t prev = GetU32(data, NodeAt::prev);
    if (GetU32(data, NodeAt::item) == item && GetU32(data, NodeAt::item + 4) == part) {
      if (prev != 0) doc.Edit(prev, [&](Bytes& b) { CopyRef(data, NodeAt::next, b, NodeAt::next); });
      if (next != 0) doc.Edit(next, [&](Bytes& b) { CopyRef(data, NodeAt::prev, b, NodeAt::prev); });
      if (prev == 0) CopyRef(data, NodeAt::next, list, at + ListAt::head);
      if (next == 0) CopyRef(data, NodeAt::prev, list, at + ListAt::tail);
      PutU32(list, at + ListAt::count, GetU32(list, at + ListAt::count) - 1);
      doc.SetData(owner, list);
      return;
    }
    node = next;
  }
  throw std::runtime_error("no list node holds object " + std::to_string(item));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: make-bad-corpus OUTPUT_FOLDER GOOD.vrl\n", stderr);
    return 2;
  }
  try {
    const fs::path out = argv[1];
    const Bytes good = ReadFile(argv[2]);
    fs::create_directories(out);
    const auto raw = [&](const std::string& name, const Bytes& bytes) { WriteFile(out / name, bytes); };
    // A copy of the good document, changed through SQLite.
    const auto edited = [&](const std::string& name, const std::function<void(Doc&, const Roles&)>& change) {
      fs::remove(out / name);
      raw(name, good);
      Doc doc(out / name);
      const Roles roles = FindRoles(doc);
      change(doc, roles);
    };
    // A new SQLite file made by the given statements.
    const auto made = [&](const std::string& name, const std::string& sql) {
      fs::remove(out / name);
      Doc(out / name).Exec(sql);
    };

    // Not documents at all.
    raw("empty.vrl", "");
    raw("text.vrl", "This is a plain text file,\nnot a drawing.\n");
    made("other_application.vrl",
         "PRAGMA application_id = 1179402827; PRAGMA user_version = 1;"
         "CREATE TABLE note (id INTEGER PRIMARY KEY, body TEXT); INSERT INTO note VALUES (1, 'hello');");
    made("no_tables.vrl", "PRAGMA application_id = 1447645772; PRAGMA user_version = 1;");
    edited("newer_version.vrl", [](Doc& d, const Roles&) { d.Exec("PRAGMA user_version = 5"); });
    edited("no_version.vrl", [](Doc& d, const Roles&) { d.Exec("PRAGMA user_version = 0"); });

    // Hostile schemas: the records are a good document's, the tables are not.
    // Each table rebuilt keeps the rows that fit it.
    const auto rebuilt = [&](const std::string& name, const std::string& table, const std::string& columns) {
      edited(name, [=](Doc& d, const Roles&) {
        d.Exec("CREATE TABLE rebuilt " + table + "; INSERT INTO rebuilt (" + columns + ") SELECT " + columns +
               " FROM object; DROP TABLE object; ALTER TABLE rebuilt RENAME TO object");
      });
    };
    // Reading this data column the old way asks for 100 MB a row.
    rebuilt("schema_generated_column.vrl",
            "(id INTEGER PRIMARY KEY, type TEXT NOT NULL, count INTEGER NOT NULL,"
            " data BLOB GENERATED ALWAYS AS (zeroblob(100000000)) VIRTUAL)",
            "id, type, count");
    rebuilt("schema_without_rowid.vrl",
            "(id INTEGER PRIMARY KEY, type TEXT NOT NULL, count INTEGER NOT NULL, data BLOB NOT NULL) WITHOUT ROWID",
            "id, type, count, data");
    rebuilt("schema_column_type.vrl", "(id INTEGER PRIMARY KEY, type TEXT NOT NULL, count INTEGER NOT NULL, data TEXT)",
            "id, type, count, data");
    edited("schema_extra_column.vrl",
           [](Doc& d, const Roles&) { d.Exec("ALTER TABLE object ADD COLUMN extra INTEGER DEFAULT 7"); });
    edited("schema_extra_table.vrl", [](Doc& d, const Roles&) { d.Exec("CREATE TABLE note (body TEXT)"); });
    edited("schema_index.vrl", [](Doc& d, const Roles&) { d.Exec("CREATE INDEX by_type ON object (type)"); });
    edited("schema_view.vrl", [](Doc& d, const Roles&) { d.Exec("CREATE VIEW objects AS SELECT * FROM object"); });
    edited("schema_trigger.vrl", [](Doc& d, const Roles&) {
      d.Exec("CREATE TRIGGER grow AFTER INSERT ON root BEGIN INSERT INTO root VALUES ('x', 0, 0); END");
    });
    edited("schema_virtual_table.vrl",
           [](Doc& d, const Roles&) { d.Exec("CREATE VIRTUAL TABLE about USING fts5(x)"); });
    // The tables exactly, empty (which a document may be), in UTF-16.
    made("schema_utf16.vrl",
         "PRAGMA encoding = 'UTF-16le'; PRAGMA application_id = 1447645772; PRAGMA user_version = 1;"
         "CREATE TABLE object (id INTEGER PRIMARY KEY, type TEXT NOT NULL, count INTEGER NOT NULL, data BLOB NOT NULL);"
         "CREATE TABLE root (name TEXT PRIMARY KEY, object INTEGER NOT NULL, part INTEGER NOT NULL);");

    // Damaged bytes.
    const std::pair<std::string, std::size_t> cuts[] = {
        {"100", 100}, {"1000", 1000}, {"half", good.size() / 2}, {"minus_1", good.size() - 1}};
    for (const auto& [name, length] : cuts) raw("truncated_" + name + ".vrl", good.substr(0, length));
    // Header: the magic string, the page size, the read format, the page count, the B-tree header of page 1;
    // page data: the text of the schema, the cell pointers of the later pages.
    constexpr std::size_t flips[] = {3, 16, 19, 31, 101, 3970, 4096 + 8, 2 * 4096 + 8, 3 * 4096 + 3};
    for (const std::size_t offset : flips) {
      Bytes bytes = good;
      bytes.at(offset) = static_cast<char>(bytes.at(offset) ^ 0xFF);
      raw("flipped_" + std::to_string(offset) + ".vrl", bytes);
    }

    // Records that do not hold together.
    edited("dangling_reference.vrl", [](Doc& d, const Roles& r) {
      d.Edit(r.host, [&](Bytes& b) { PutRef(b, LineAt::start + LinkPointAt::partner, r.count + 5, 0); });
    });
    edited("partner_is_sheet.vrl", [](Doc& d, const Roles& r) {
      d.Edit(r.host, [&](Bytes& b) { PutRef(b, LineAt::start + LinkPointAt::partner, r.sheet, 0); });
    });
    edited("list_item_is_string.vrl", [](Doc& d, const Roles& r) {
      const std::uint32_t head = GetU32(d.Data(r.host), LineAt::attachedHead);
      d.Edit(head, [&](Bytes& b) { PutRef(b, NodeAt::item, r.sheet, SheetAt::textFileNamePart); });
    });
    // The two dots rest on each other: their lines list them no more, so the
    // cycle is all that is wrong, whichever object is looked at first.
    edited("parent_cycle.vrl", [](Doc& d, const Roles& r) {
      for (const std::uint32_t dot : {r.dots[0], r.dots[1]}) {
        const std::uint32_t line = GetU32(d.Data(dot), DrawObjAt::parent);
        if (line != 0) Unlist(d, line, LineAt::attached, dot, 0);
      }
      d.Edit(r.dots[0], [&](Bytes& b) { PutRef(b, DrawObjAt::parent, r.dots[1], 0); });
      d.Edit(r.dots[1], [&](Bytes& b) { PutRef(b, DrawObjAt::parent, r.dots[0], 0); });
    });
    // The host's list has two nodes: the last one leads back to the first.
    for (const std::uint32_t count : {2u, 3u}) {
      edited("attached_loop_count_" + std::to_string(count) + ".vrl", [count](Doc& d, const Roles& r) {
        const Bytes host = d.Data(r.host);
        const std::uint32_t head = GetU32(host, LineAt::attachedHead), tail = GetU32(host, LineAt::attachedTail);
        d.Edit(tail, [&](Bytes& b) { PutRef(b, NodeAt::next, head, 0); });
        d.Edit(r.host, [&](Bytes& b) { PutU32(b, LineAt::attachedCount, count); });
      });
    }
    edited("attached_self_loop.vrl", [](Doc& d, const Roles& r) {
      const std::uint32_t head = GetU32(d.Data(r.host), LineAt::attachedHead);
      d.Edit(head, [&](Bytes& b) { PutRef(b, NodeAt::next, head, 0); });
    });
    edited("one_way_join.vrl", [](Doc& d, const Roles& r) {
      d.Edit(r.partner, [&](Bytes& b) { PutRef(b, LineAt::start + LinkPointAt::partner, 0, 0); });
    });
    edited("no_sheet_root.vrl", [](Doc& d, const Roles&) { d.Exec("UPDATE root SET name = 'Page'"); });
    edited("root_not_sheet.vrl",
           [](Doc& d, const Roles& r) { d.Exec("UPDATE root SET object = " + std::to_string(r.host)); });
    edited("root_dangling.vrl",
           [](Doc& d, const Roles& r) { d.Exec("UPDATE root SET object = " + std::to_string(r.count + 1)); });
    // The root table and its index hold the sheet's row twice: their trees
    // are swapped with those of a twin table without a key, which SQLite's
    // quick check does not tell apart.
    edited("root_names_repeat.vrl", [](Doc& d, const Roles&) {
      d.Exec(
          "CREATE TABLE twin (name TEXT, object INTEGER NOT NULL, part INTEGER NOT NULL);"
          "CREATE INDEX twin_name ON twin (name);"
          "INSERT INTO twin SELECT * FROM root; INSERT INTO twin SELECT * FROM root");
      const auto page = [&d](const std::string& name) {
        return std::to_string(d.Ids("SELECT rootpage FROM sqlite_schema WHERE name = '" + name + "'").at(0));
      };
      const std::string table = page("root"), index = page("sqlite_autoindex_root_1");
      const std::string twinTable = page("twin"), twinIndex = page("twin_name");
      const std::uint32_t version = d.Ids("PRAGMA schema_version").at(0);
      d.Exec(
          "PRAGMA writable_schema = ON;"
          "UPDATE sqlite_schema SET rootpage = " +
          twinTable +
          " WHERE name = 'root';"
          "UPDATE sqlite_schema SET rootpage = " +
          twinIndex +
          " WHERE name = 'sqlite_autoindex_root_1';"
          "UPDATE sqlite_schema SET rootpage = " +
          table +
          " WHERE name = 'twin';"
          "UPDATE sqlite_schema SET rootpage = " +
          index +
          " WHERE name = 'twin_name';"
          "PRAGMA schema_version = " +
          std::to_string(version + 1) + "; PRAGMA writable_schema = OFF;");
      d.Exec("DROP TABLE twin");
    });
    edited("cell_size_zero.vrl",
           [](Doc& d, const Roles& r) { d.Edit(r.sheet, [](Bytes& b) { PutU32(b, SheetAt::cellWidth, 0); }); });
    edited("string_length_mismatch.vrl", [](Doc& d, const Roles& r) {
      d.Edit(r.strBox, [](Bytes& b) { PutU32(b, StrBoxAt::length, GetU32(b, StrBoxAt::length) - 2); });
    });
    edited("unknown_type.vrl", [](Doc& d, const Roles& r) {
      d.Exec("UPDATE object SET type = 'Ellipse' WHERE id = " + std::to_string(r.dots[0]));
    });
    edited("abstract_type.vrl", [](Doc& d, const Roles& r) {
      d.Exec("UPDATE object SET type = 'DrawObj' WHERE id = " + std::to_string(r.dots[0]));
    });
    edited("wrong_count.vrl", [](Doc& d, const Roles& r) {
      d.Exec("UPDATE object SET count = 2 WHERE id = " + std::to_string(r.dots[0]));
    });
    edited("wrong_blob_length.vrl",
           [](Doc& d, const Roles& r) { d.Edit(r.dots[0], [](Bytes& b) { b.resize(DotAt::size - 4); }); });
    edited("ids_gap.vrl", [](Doc& d, const Roles& r) {
      d.Exec("UPDATE object SET id = " + std::to_string(r.count + 10) + " WHERE id = " + std::to_string(r.count));
    });
    edited("ids_from_zero.vrl", [](Doc& d, const Roles&) { d.Exec("UPDATE object SET id = id - 1"); });
    raw("padded.vrl", good + Bytes(1024, '\0'));
    edited("no_root_table.vrl", [](Doc& d, const Roles&) { d.Exec("DROP TABLE root"); });
    edited("part_past_end.vrl", [](Doc& d, const Roles& r) {
      d.Edit(r.host, [&](Bytes& b) { PutRef(b, LineAt::start + LinkPointAt::partner, r.host, LineAt::parts); });
    });
    edited("text_past_end.vrl", [](Doc& d, const Roles& r) {
      d.Edit(r.strBox, [](Bytes& b) { PutU32(b, StrBoxAt::text + 4, GetU32(b, StrBoxAt::length) + 1); });
    });

    // Records that read well but mean nothing a document can hold.
    edited("sheet_size_negative.vrl", [](Doc& d, const Roles& r) {
      d.Edit(r.sheet, [](Bytes& b) { PutU32(b, SheetAt::width, static_cast<std::uint32_t>(-8)); });
    });
    edited("sheet_offset.vrl",
           [](Doc& d, const Roles& r) { d.Edit(r.sheet, [](Bytes& b) { PutU32(b, SheetAt::originX, 3); }); });
    // The sheet's selection takes the single node of a line's list.
    edited("lists_share_node.vrl", [](Doc& d, const Roles& r) {
      const Bytes single = d.Data(r.single);
      d.Edit(r.sheet, [&](Bytes& b) { b.replace(SheetAt::selected, 24, single, LineAt::attached, 24); });
    });
    edited("text_without_characters.vrl",
           [](Doc& d, const Roles& r) { d.Edit(r.strBox, [](Bytes& b) { PutRef(b, StrBoxAt::text, 0, 0); }); });
    edited("text_with_control_character.vrl", [](Doc& d, const Roles& r) {
      const std::uint32_t text = GetU32(d.Data(r.strBox), StrBoxAt::text);
      d.Edit(text, [](Bytes& b) { b.at(0) = '\x1B'; });  // ESC: a terminal would obey it
    });
    // CSI as one character, which some terminals obey as they do ESC [.
    edited("text_with_c1_control.vrl", [](Doc& d, const Roles& r) {
      const std::uint32_t text = GetU32(d.Data(r.strBox), StrBoxAt::text);
      d.Edit(text, [](Bytes& b) { b.replace(1, 2, "\xC2\x9B"); });
    });
    edited("text_not_utf8.vrl", [](Doc& d, const Roles& r) {
      const std::uint32_t text = GetU32(d.Data(r.strBox), StrBoxAt::text);
      d.Edit(text, [](Bytes& b) { b.at(1) = '\xFF'; });
    });
    // One byte more than the longest text a box holds.
    edited("text_too_long.vrl", [](Doc& d, const Roles& r) {
      const std::uint32_t length = virlo::StrBox::MaxText + 1;
      const std::uint32_t text = GetU32(d.Data(r.strBox), StrBoxAt::text);
      d.Exec("UPDATE object SET count = " + std::to_string(length + 1) + " WHERE id = " + std::to_string(text));
      d.SetData(text, Bytes(length, 'x') + '\0');
      d.Edit(r.strBox, [&](Bytes& b) { PutU32(b, StrBoxAt::length, length); });
    });
    edited("texts_share_characters.vrl", [](Doc& d, const Roles& r) {
      const Bytes sheet = d.Data(r.sheet);
      d.Edit(r.strBox, [&](Bytes& b) { b.replace(StrBoxAt::text, 12, sheet, SheetAt::textFileName, 12); });
    });
    edited("dot_without_sheet.vrl",
           [](Doc& d, const Roles& r) { d.Edit(r.dots[0], [](Bytes& b) { PutRef(b, DrawObjAt::sheet, 0, 0); }); });
    edited("end_not_part_of_line.vrl", [](Doc& d, const Roles& r) {
      d.Edit(r.tee, [&](Bytes& b) { PutRef(b, LineAt::start + DrawObjAt::parent, r.host, 0); });
    });
    edited("box_with_parent.vrl",
           [](Doc& d, const Roles& r) { d.Edit(r.box, [&](Bytes& b) { PutRef(b, DrawObjAt::parent, r.strBox, 0); }); });
    edited("unknown_marker.vrl",
           [](Doc& d, const Roles& r) { d.Edit(r.dots[0], [](Bytes& b) { PutU32(b, DotAt::marker, 17); }); });
    // The marker is a character of the dot's own: an escape, which would act in a terminal.
    edited("marker_character_control.vrl", [](Doc& d, const Roles& r) {
      d.Edit(r.dots[0], [](Bytes& b) {
        PutU32(b, DotAt::marker, 16);
        PutU32(b, DotAt::character, 0x1B);
      });
    });
    edited("unknown_stroke.vrl",
           [](Doc& d, const Roles& r) { d.Edit(r.host, [](Bytes& b) { PutU32(b, LineAt::stroke, 5); }); });
    edited("unknown_corners.vrl",
           [](Doc& d, const Roles& r) { d.Edit(r.box, [](Bytes& b) { PutU32(b, BoxAt::corners, 2); }); });
    edited("dot_too_far.vrl",
           [](Doc& d, const Roles& r) { d.Edit(r.dots[0], [](Bytes& b) { PutU32(b, DotAt::x, MaxCoordinate + 1); }); });
    edited("dot_not_carried.vrl", [](Doc& d, const Roles& r) {
      d.Edit(r.single, [](Bytes& b) {
        PutRef(b, LineAt::attachedHead, 0, 0);
        PutRef(b, LineAt::attachedTail, 0, 0);
        PutU32(b, LineAt::attachedCount, 0);
      });
    });
    edited("end_not_carried.vrl", [](Doc& d, const Roles& r) { Unlist(d, r.host, LineAt::attached, r.tee, 1); });
    edited("unknown_direction.vrl",
           [](Doc& d, const Roles& r) { d.Edit(r.host, [](Bytes& b) { PutU32(b, LineAt::orientation, 7); }); });
    // The dot on the single line no longer rests there, yet the line still lists it.
    edited("carries_loose_dot.vrl", [](Doc& d, const Roles& r) {
      const Bytes single = d.Data(r.single);
      const std::uint32_t dot = GetU32(d.Data(GetU32(single, LineAt::attachedHead)), NodeAt::item);
      d.Edit(dot, [](Bytes& b) { PutRef(b, DrawObjAt::parent, 0, 0); });
    });
    // A docked end stands a blank cell or two short of its line, never more,
    // and only an end that rests or docks keeps a gap.
    edited("gap_unknown.vrl", [](Doc& d, const Roles& r) {
      d.Edit(r.tee, [](Bytes& b) { PutU32(b, LineAt::start + LinkPointAt::gap, 3); });
    });
    edited("gap_without_line.vrl", [](Doc& d, const Roles& r) {
      d.Edit(r.tee, [](Bytes& b) { PutU32(b, LineAt::end + LinkPointAt::gap, 1); });
    });
    // The label rests on the host line: the host no longer lists it, it rests
    // on a box's side, it has a frame, or the host lists it resting on nothing.
    edited("rest_not_carried.vrl", [](Doc& d, const Roles& r) { Unlist(d, r.host, LineAt::attached, r.label, 0); });
    edited("rest_on_box_side.vrl",
           [](Doc& d, const Roles& r) { d.Edit(r.label, [&](Bytes& b) { PutRef(b, StrBoxAt::restLine, r.box, 1); }); });
    edited("framed_text_rests.vrl",
           [](Doc& d, const Roles& r) { d.Edit(r.label, [](Bytes& b) { PutU32(b, StrBoxAt::frame, 1); }); });
    edited("carries_loose_label.vrl",
           [](Doc& d, const Roles& r) { d.Edit(r.label, [](Bytes& b) { PutRef(b, StrBoxAt::restLine, 0, 0); }); });
    edited("sheet_lists_a_part.vrl", [](Doc& d, const Roles& r) {
      const std::uint32_t head = GetU32(d.Data(r.sheet), SheetAt::objects + ListAt::head);
      d.Edit(head, [&](Bytes& b) { PutRef(b, NodeAt::item, r.host, 1); });
    });
    edited("sheet_lists_twice.vrl", [](Doc& d, const Roles& r) {
      const Bytes head = d.Data(GetU32(d.Data(r.sheet), SheetAt::objects + ListAt::head));
      d.Edit(GetU32(head, NodeAt::next), [&](Bytes& b) { CopyRef(head, NodeAt::item, b, NodeAt::item); });
    });
    edited("unlisted_object.vrl", [](Doc& d, const Roles& r) { Unlist(d, r.sheet, SheetAt::objects, r.box, 0); });
    // A new node lists a line end, which is no object of the sheet, as selected.
    edited("selection_broken.vrl", [](Doc& d, const Roles& r) {
      Bytes node(NodeAt::size, '\0');
      PutRef(node, NodeAt::item, r.host, 1);
      const std::uint32_t id = d.Add("ListG::Node", node);
      d.Edit(r.sheet, [&](Bytes& b) {
        PutRef(b, SheetAt::selected + ListAt::head, id, 0);
        PutRef(b, SheetAt::selected + ListAt::tail, id, 0);
        PutU32(b, SheetAt::selected + ListAt::count, 1);
      });
    });
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make-bad-corpus: %s\n", e.what());
    return 1;
  }
  return 0;
}
