#pragma once

#include <string>

namespace virlo {
namespace store {
class Database;
}

// A document as stable, readable JSON: the roots, then every object in the
// fixed order of the file numbering, each with its type and its fields in
// declaration order (dotted paths for embedded members), references as
// [object, part]. Equal documents give equal dumps.
class DocumentDump {
 public:
  // False with the reason in error when a reference leads outside the database.
  static bool Write(const store::Database& db, std::string& json, std::string& error);
};

}  // namespace virlo
