// The window system's side of the system menu: the per-window menu of
// WS_SYSMENU windows, opened by Alt+Space or by a right click on the window
// that no window handles (WM_CONTEXTMENU reaching a top-level window's
// default handling), whose commands reach the window as WM_SYSCOMMAND.
//
// The menu itself (items, the pop-up) lives in platform/ui, above the window
// system; ui installs these hooks once a program asks for a window's system
// menu (GetSystemMenu, platform/ui/SystemMenu.h). Until then the window
// system opens nothing. UI thread only.
#pragma once

#include "platform/core/WinUser.h"

// WM_SYSCOMMAND: the keyboard's way into the system menu (lParam ' ').
constexpr UINT SC_KEYMENU = 0xF100;

namespace kiv {
namespace win {

struct SystemMenuHooks {
  // Shows hwnd's system menu at a screen point and sends the chosen command.
  void (*open)(HWND hwnd, POINT screen) = nullptr;
  // hwnd is being destroyed: its menu goes with it.
  void (*forget)(HWND hwnd) = nullptr;
};

void SetSystemMenuHooks(const SystemMenuHooks& hooks);
const SystemMenuHooks& GetSystemMenuHooks();

}  // namespace win
}  // namespace kiv
