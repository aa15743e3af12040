#include "platform/AppServices.h"

namespace virlo {
namespace {
AppServices* instance = nullptr;
}

AppServices::AppServices() { instance = this; }

AppServices::~AppServices() {
  if (instance == this) instance = nullptr;
}

AppServices* AppServices::Instance() { return instance; }

}  // namespace virlo
