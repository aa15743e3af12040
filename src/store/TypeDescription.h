#pragma once

#include <cstddef>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>

#include "store/Blank.h"

namespace virlo::store {

class FieldVisitor;

// What the store knows of a persistent type: its stored name, size, base type,
// how to build a blank instance and how to walk its fields.
class TypeDescription {
 public:
  using ConstructBlankFn = void (*)(void* where);
  using DescribeFn = void (*)(void* object, FieldVisitor& visitor);

  TypeDescription(std::string_view name, std::size_t size, const TypeDescription* base, ConstructBlankFn constructBlank,
                  DescribeFn describe);
  TypeDescription(const TypeDescription&) = delete;
  TypeDescription& operator=(const TypeDescription&) = delete;

  // A concrete type T (built blank with T(store::blank), fields walked by
  // T::DescribeFields).
  template <class T>
  static TypeDescription Concrete(std::string_view name, const TypeDescription* base = nullptr) {
    return TypeDescription(
        name, sizeof(T), base, [](void* where) { ::new (where) T(blank); },
        [](void* object, FieldVisitor& visitor) { static_cast<T*>(object)->DescribeFields(visitor); });
  }
  // An abstract base: never allocated, used only as the expected type of references.
  static TypeDescription Abstract(std::string_view name, const TypeDescription* base = nullptr) {
    return TypeDescription(name, 0, base, nullptr, nullptr);
  }

  // The single characters of strings.
  static const TypeDescription& Char();

  const std::string& Name() const { return name_; }
  std::size_t Size() const { return size_; }
  const TypeDescription* Base() const { return base_; }
  bool IsAbstract() const { return constructBlank_ == nullptr && this != &Char(); }
  // True when this type is other or derives from it.
  bool IsA(const TypeDescription& other) const;

  void ConstructBlank(void* where) const;
  void DescribeFields(void* object, FieldVisitor& visitor) const;

 private:
  std::string name_;
  std::size_t size_;
  const TypeDescription* base_;
  ConstructBlankFn constructBlank_;
  DescribeFn describe_;
};

// The description of a type: T::Type() for classes, Char() for characters.
template <class T>
const TypeDescription& TypeOf() {
  if constexpr (std::is_same_v<T, char>) {
    return TypeDescription::Char();
  } else {
    return T::Type();
  }
}

}  // namespace virlo::store
