#include "store/TypeDescription.h"

#include "store/FieldVisitor.h"

namespace virlo::store {

TypeDescription::TypeDescription(std::string_view name, std::size_t size, const TypeDescription* base,
                                 ConstructBlankFn constructBlank, DescribeFn describe)
    : name_(name), size_(size), base_(base), constructBlank_(constructBlank), describe_(describe) {}

const TypeDescription& TypeDescription::Char() {
  static const TypeDescription type("char", 1, nullptr, nullptr, nullptr);
  return type;
}

bool TypeDescription::IsA(const TypeDescription& other) const {
  for (const TypeDescription* type = this; type != nullptr; type = type->base_) {
    if (type == &other) return true;
  }
  return false;
}

void TypeDescription::ConstructBlank(void* where) const {
  if (constructBlank_ != nullptr) constructBlank_(where);
}

void TypeDescription::DescribeFields(void* object, FieldVisitor& visitor) const {
  if (describe_ != nullptr) describe_(object, visitor);
}

}  // namespace virlo::store
