#include "platform/core/SystemMenuHooks.h"

namespace kiv {
namespace win {

namespace {

SystemMenuHooks& Hooks() {
  static SystemMenuHooks hooks;
  return hooks;
}

}  // namespace

void SetSystemMenuHooks(const SystemMenuHooks& hooks) { Hooks() = hooks; }

const SystemMenuHooks& GetSystemMenuHooks() { return Hooks(); }

}  // namespace win
}  // namespace kiv
