#pragma once

#include <cstdint>

namespace virlo::store {

class TypeDescription;

// The field description of a persistent type: each type's DescribeFields walks
// its fields in declaration order and hands each one to a visitor. Saving,
// loading, undo records and consistency checks are visitors, so they can
// never disagree about what a type holds.
class FieldVisitor {
 public:
  virtual ~FieldVisitor() = default;

  virtual void Int32(const char* name, std::int32_t& value) = 0;
  virtual void UInt32(const char* name, std::uint32_t& value) = 0;
  // A reference to persistent memory, possibly into the middle of an
  // allocation. expected is the type the target must be (or derive from);
  // null accepts any persistent object.
  virtual void Reference(const char* name, void*& target, const TypeDescription* expected) = 0;
  // A reference to transient memory; never stored, it reads back as null.
  virtual void TransientReference(const char* name, void*& target) = 0;
  // The same two, told also where the pointer itself lies (a typed pointer
  // is handed over as a copy). Visitors that need the place override these.
  virtual void ReferenceAt(const char* name, void*& target, const TypeDescription* expected, const void* /*field*/) {
    Reference(name, target, expected);
  }
  virtual void TransientReferenceAt(const char* name, void*& target, const void* /*field*/) {
    TransientReference(name, target);
  }
  // A member held by value, itself of a registered type.
  virtual void Embedded(const char* name, void* member, const TypeDescription& type) = 0;
  // The next integer, reference or member (all its fields) is stored from
  // this file format version on (store/FormatVersion.h): files of an older
  // version do not hold it.
  // Only visitors that read or measure files need to know.
  virtual void Since(std::int32_t /*version*/) {}

  template <class T>
  void Ref(const char* name, T*& pointer);
  template <class T>
  void Transient(const char* name, T*& pointer) {
    void* raw = pointer;
    TransientReferenceAt(name, raw, &pointer);
    // Written back only when a visitor changed it: a read-only visit (a save,
    // a check) must not write to the document, whose pages undo watches.
    if (raw != pointer) pointer = static_cast<T*>(raw);
  }
  template <class T>
  void Member(const char* name, T& member) {
    Embedded(name, &member, T::Type());
  }
};

}  // namespace virlo::store

#include "store/TypeDescription.h"

namespace virlo::store {

template <class T>
void FieldVisitor::Ref(const char* name, T*& pointer) {
  void* raw = pointer;
  ReferenceAt(name, raw, &TypeOf<T>(), &pointer);
  if (raw != pointer) pointer = static_cast<T*>(raw);
}

}  // namespace virlo::store
