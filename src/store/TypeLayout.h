#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace virlo::store {

class TypeDescription;

// How a persistent type lies in memory in this build, learned once from a
// blank instance: its parts (the object itself, then every embedded member in
// field order, depth first) and the fields it stores. Files name a place
// inside an object by its part number, never by a byte offset, so they do
// not depend on the compiler's layout.
class TypeLayout {
 public:
  struct Part {
    std::size_t offset = 0;
    const TypeDescription* type = nullptr;
    std::string name;  // "" for the object itself, else a dotted path like "top.start"
  };
  enum class FieldKind { Int32, UInt32, Reference, Transient };
  struct Field {
    FieldKind kind;
    std::string name;  // dotted path, e.g. "start.x"
    const TypeDescription* expected = nullptr;
    std::size_t offset = 0;  // where the field lies in an instance, in this build
    std::int32_t since = 1;  // the first file format version that stores it
  };

  static const TypeLayout& Of(const TypeDescription& type);

  const std::vector<Part>& Parts() const { return parts_; }
  const std::vector<Field>& Fields() const { return fields_; }
  // Bytes one instance takes in a file of the given format version.
  std::size_t EncodedSize(std::int32_t version) const;
  // The part at a byte offset that is, or derives from, expected (null: any); -1 if none.
  long PartAt(std::size_t offset, const TypeDescription* expected) const;

  static constexpr std::size_t IntBytes = 4;
  static constexpr std::size_t ReferenceBytes = 8;

 private:
  explicit TypeLayout(const TypeDescription& type);

  std::vector<Part> parts_;
  std::vector<Field> fields_;
};

}  // namespace virlo::store
