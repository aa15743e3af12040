#pragma once

#include <string>
#include <vector>

namespace virlo::store {

class TypeDescription;

// The persistent types by their stored names, as documents refer to them.
class TypeRegistry {
 public:
  static void Register(const TypeDescription& type);
  static const TypeDescription* Find(const std::string& name);
  static std::vector<const TypeDescription*> All();
};

}  // namespace virlo::store
