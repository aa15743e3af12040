#include "store/TypeRegistry.h"

#include <algorithm>

#include "store/TypeDescription.h"

namespace virlo::store {
namespace {

std::vector<const TypeDescription*>& Registered() {
  static auto* types = new std::vector<const TypeDescription*>();
  return *types;
}

}  // namespace

void TypeRegistry::Register(const TypeDescription& type) {
  auto& types = Registered();
  if (std::find(types.begin(), types.end(), &type) == types.end()) types.push_back(&type);
}

const TypeDescription* TypeRegistry::Find(const std::string& name) {
  for (const TypeDescription* type : Registered()) {
    if (type->Name() == name) return type;
  }
  return nullptr;
}

std::vector<const TypeDescription*> TypeRegistry::All() { return Registered(); }

}  // namespace virlo::store
