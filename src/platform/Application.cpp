#include "platform/Application.h"

namespace virlo {
namespace {
Application* instance = nullptr;
}

Application::Application() { instance = this; }

Application::~Application() {
  if (instance == this) instance = nullptr;
}

Application* Application::Instance() { return instance; }

}  // namespace virlo
