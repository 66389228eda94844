// The system menu of a window: GetSystemMenu gives a WS_SYSMENU window's own
// menu, made on the first call with the window system's items (移动, and
// 最小化 / 最大化 where the window's style has the box, then 关闭), which the
// program may extend (an About item, say). Alt+Space opens it under the
// window's top-left corner; a right click that no window handles opens it at
// the pointer. The chosen command reaches the window as WM_SYSCOMMAND (a
// program's own command ids keep their low four bits clear, as the window
// system's SC_ values do). The menu goes with its window.
//
// UI thread only.
#pragma once

#include "platform/ui/Menu.h"

// revert FALSE: the window's menu (made on the first call); null for a
// window without WS_SYSMENU. revert TRUE: drops the window's menu (the next
// call makes a fresh one) and returns null.
HMENU GetSystemMenu(HWND hwnd, BOOL revert);

namespace kiv {
namespace ui {

// Shows hwnd's system menu at a screen point and sends the chosen command;
// what Alt+Space and a right click do.
void OpenSystemMenu(HWND hwnd, POINT screen);

}  // namespace ui
}  // namespace kiv
