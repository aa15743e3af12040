#include "model/List.h"

#include "store/TypeDescription.h"

namespace virlo {

template <>
const store::TypeDescription& List<DrawObj*>::Type() {
  static const auto type = store::TypeDescription::Concrete<List<DrawObj*>>("List<DrawObj*>", &ListG::Type());
  return type;
}

}  // namespace virlo
