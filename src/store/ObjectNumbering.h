#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace virlo::store {

class Database;
class TypeDescription;

// Numbers the allocations reachable from a database's roots in a fixed
// order (the roots by name, then breadth first through the references in
// field order), so that files and dumps of equal documents are equal. A
// reference is written as (object number, part): the embedded member it
// points at, or the index of a character.
class ObjectNumbering {
 public:
  explicit ObjectNumbering(const Database& db) : db_(db) {}

  // False when a reference leads outside the database.
  bool Run(std::string& error);

  // The allocations' addresses in number order (number = index + 1).
  const std::vector<std::uintptr_t>& Order() const { return order_; }
  // (0, 0) for null. False when the target is not numbered or not a part of the expected type.
  bool Encode(const void* target, const TypeDescription* expected, std::uint32_t& id, std::uint32_t& part) const;

 private:
  void Reach(const void* target);

  const Database& db_;
  std::vector<std::uintptr_t> order_;
  std::unordered_map<std::uintptr_t, std::uint32_t> ids_;
  std::string error_;
};

}  // namespace virlo::store
