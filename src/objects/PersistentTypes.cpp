#include "objects/PersistentTypes.h"

#include <array>

#include "model/List.h"
#include "model/ListG.h"
#include "model/String.h"
#include "objects/Box.h"
#include "objects/Dot.h"
#include "objects/Line.h"
#include "objects/LinkPoint.h"
#include "objects/Sheet.h"
#include "objects/StrBox.h"
#include "store/Store.h"
#include "store/TypeRegistry.h"

namespace virlo {
namespace {

std::array<const store::TypeDescription*, 10> Types() {
  return {&ListG::Type(), &ListG::Node::Type(), &String::Type(), &Sheet::Type(), &List<DrawObj*>::Type(),
          &Dot::Type(),   &LinkPoint::Type(),   &Line::Type(),   &Box::Type(),   &StrBox::Type()};
}

}  // namespace

void RegisterPersistentTypes() {
  // Every list of the program holds drawing objects.
  ListG::SetItemType(DrawObj::Type());
  for (const store::TypeDescription* type : Types()) store::TypeRegistry::Register(*type);
}

void StartStore() {
  store::Initialize();
  RegisterPersistentTypes();
  if (store::WhichProduct() == 1) store::SetMaximumUndoOperations(32);
}

}  // namespace virlo
