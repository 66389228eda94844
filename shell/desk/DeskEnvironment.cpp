#include "shell/desk/DeskEnvironment.h"

namespace {

DeskEnvironment& EnvironmentSlot() {
  static DeskEnvironment environment;
  return environment;
}

}  // namespace

void SetDeskEnvironment(const DeskEnvironment& environment) { EnvironmentSlot() = environment; }

const DeskEnvironment& GetDeskEnvironment() { return EnvironmentSlot(); }
