// The notification-area ("tray") icon, in the shape of Shell_NotifyIconA.
//
// This file keeps a record of the icons the program has added; it draws
// nothing itself. The window system shows them when the program asks it to
// (kiv::ui::ShowTrayIconsOnScreen, platform/ui/TrayIconWindow.h): it
// installs a presenter that hears of every change, keeps its own copy of
// each icon's picture (a caller may destroy its icon handle right after
// NIM_ADD, as it may on Windows), and reports mouse events on the icons with
// TrayIconEvent, which delivers the icon's callback message to its window
// through the sink the program installs. Tests install their own sink and
// observer.
//
// DisplayHasTray() says whether icons are shown at all; without them (no
// presenter, a display without a status area) the program minimises its
// window instead of hiding it into the tray, so that it stays reachable.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/sys/WinTypes.h"

struct HWND__;
typedef HWND__* HWND;
struct HCURSOR__;
typedef HCURSOR__* HCURSOR;
typedef HCURSOR HICON;

constexpr DWORD NIM_ADD = 0x00000000u;
constexpr DWORD NIM_MODIFY = 0x00000001u;
constexpr DWORD NIM_DELETE = 0x00000002u;

constexpr UINT NIF_MESSAGE = 0x00000001u;
constexpr UINT NIF_ICON = 0x00000002u;
constexpr UINT NIF_TIP = 0x00000004u;

struct NOTIFYICONDATAA {
  DWORD cbSize = sizeof(NOTIFYICONDATAA);
  HWND hWnd = nullptr;
  UINT uID = 0;
  UINT uFlags = 0;
  UINT uCallbackMessage = 0;
  HICON hIcon = nullptr;
  char szTip[128] = {};  // GBK, zero-terminated
};
typedef NOTIFYICONDATAA NOTIFYICONDATA;

// NIM_ADD records a new icon (FALSE when the window already has one with
// that id); NIM_MODIFY changes the fields named by uFlags of an existing
// one; NIM_DELETE removes it. An icon is keyed by window and id.
BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data);
inline BOOL Shell_NotifyIcon(DWORD message, NOTIFYICONDATAA* data) { return Shell_NotifyIconA(message, data); }

namespace kiv {

// One recorded icon.
struct TrayIconRecord {
  HWND window = nullptr;
  UINT id = 0;
  UINT callbackMessage = 0;  // 0 until NIF_MESSAGE gave one
  HICON icon = nullptr;
  std::string tip;  // GBK
};

// The icons recorded now, in the order they were added.
std::vector<TrayIconRecord> TrayIcons();

// Whether the display shows a tray. The display back end sets it; false by
// default.
bool DisplayHasTray();
void SetDisplayHasTray(bool hasTray);

// Where callback messages go: the window system installs a sink that posts
// (message, wParam = icon id, lParam = mouse message) to the window.
using TrayMessageSink =
    std::function<void(HWND window, UINT message, WPARAM wParam, LPARAM lParam)>;
void SetTrayMessageSink(TrayMessageSink sink);

// A mouse event on an icon (WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_RBUTTONDOWN,
// ...), from the back end or a test. False when no such icon is recorded or
// it has no callback message.
bool TrayIconEvent(HWND window, UINT id, UINT mouseMessage);

// Shows the records: called after every successful Shell_NotifyIconA, on
// the caller's thread, outside the records' lock, with the message and the
// icon's record as it stands (as it stood, for NIM_DELETE). The window
// system installs it; the program calls Shell_NotifyIconA on the UI thread.
// Empty clears.
using TrayPresenter = std::function<void(DWORD message, const TrayIconRecord& icon)>;
void SetTrayPresenter(TrayPresenter presenter);

// Called after every successful Shell_NotifyIconA (after the presenter)
// with the message and the icon's record. Empty clears.
void SetTrayObserverForTesting(
    std::function<void(DWORD message, const TrayIconRecord& icon)> observer);
// Forgets every icon, the sink, the presenter and the observer.
void ResetTrayForTesting();

}  // namespace kiv
