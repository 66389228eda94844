#include "platform/ui/SystemMenu.h"

#include <map>

#include "platform/core/SystemMenuHooks.h"

namespace {

// UI thread only, like the windows they belong to.
std::map<HWND, HMENU>& Menus() {
  static std::map<HWND, HMENU> menus;
  return menus;
}

void Forget(HWND hwnd) {
  auto found = Menus().find(hwnd);
  if (found == Menus().end()) return;
  ::DestroyMenu(found->second);
  Menus().erase(found);
}

HMENU MakeDefaultMenu(DWORD style) {
  HMENU menu = ::CreatePopupMenu();
  ::AppendMenuA(menu, MF_STRING, SC_MOVE, "移动(&M)");
  if (style & WS_MINIMIZEBOX) ::AppendMenuA(menu, MF_STRING, SC_MINIMIZE, "最小化(&N)");
  if (style & WS_MAXIMIZEBOX) ::AppendMenuA(menu, MF_STRING, SC_MAXIMIZE, "最大化(&X)");
  ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu, MF_STRING, SC_CLOSE, "关闭(&C)\tAlt+F4");
  return menu;
}

void InstallHooks() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  kiv::win::SystemMenuHooks hooks;
  hooks.open = &kiv::ui::OpenSystemMenu;
  hooks.forget = &Forget;
  kiv::win::SetSystemMenuHooks(hooks);
}

}  // namespace

HMENU GetSystemMenu(HWND hwnd, BOOL revert) {
  if (!::IsWindow(hwnd)) return nullptr;
  InstallHooks();
  if (revert) {
    Forget(hwnd);
    return nullptr;
  }
  const DWORD style = static_cast<DWORD>(::GetWindowLong(hwnd, GWL_STYLE));
  if (!(style & WS_SYSMENU)) return nullptr;
  HMENU& menu = Menus()[hwnd];
  if (!menu) menu = MakeDefaultMenu(style);
  return menu;
}

namespace kiv {
namespace ui {

void OpenSystemMenu(HWND hwnd, POINT screen) {
  HMENU menu = ::GetSystemMenu(hwnd, FALSE);
  if (!menu) return;
  const UINT command = static_cast<UINT>(
      ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, screen.x, screen.y, 0, hwnd, nullptr));
  if (command != 0 && ::IsWindow(hwnd)) {
    ::SendMessage(hwnd, WM_SYSCOMMAND, command, MAKELPARAM(screen.x, screen.y));
  }
}

}  // namespace ui
}  // namespace kiv
