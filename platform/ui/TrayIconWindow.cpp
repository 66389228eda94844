#include "platform/ui/TrayIconWindow.h"

#include <algorithm>
#include <vector>

#include "platform/core/Display.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/IconRecord.h"
#include "platform/sys/TrayIcon.h"

namespace kiv {
namespace ui {

namespace {

// The icons' windows, oldest first; slot i belongs to trayWindows[i].
// Never destroyed: a window still shown at exit is the window system's to
// end, not a static destructor's.
std::vector<std::unique_ptr<TrayIconWindow>>& TrayWindows() {
  static auto* windows = new std::vector<std::unique_ptr<TrayIconWindow>>();
  return *windows;
}

// Forgets windows that went without us (the window system reset by a test,
// or the program's windows torn down at exit).
void DropDeadTrayWindows() {
  auto& windows = TrayWindows();
  windows.erase(std::remove_if(windows.begin(), windows.end(),
                               [](const std::unique_ptr<TrayIconWindow>& w) { return !::IsWindow(w->m_hWnd); }),
                windows.end());
}

void PlaceTrayWindows() {
  auto& windows = TrayWindows();
  for (size_t i = 0; i < windows.size(); ++i) windows[i]->Place(static_cast<int>(i));
}

void PresentTrayChange(DWORD message, const TrayIconRecord& icon) {
  DropDeadTrayWindows();
  auto& windows = TrayWindows();
  auto it = std::find_if(windows.begin(), windows.end(), [&](const std::unique_ptr<TrayIconWindow>& w) {
    return w->IconOwner() == icon.window && w->IconId() == icon.id;
  });
  switch (message) {
    case NIM_ADD: {
      if (it != windows.end()) return;
      auto window = std::make_unique<TrayIconWindow>(icon.window, icon.id);
      window->SetPicture(icon.icon);
      if (!window->Show(static_cast<int>(windows.size()))) return;
      windows.push_back(std::move(window));
      break;
    }
    case NIM_MODIFY:
      if (it != windows.end()) (*it)->SetPicture(icon.icon);
      break;
    case NIM_DELETE:
      if (it == windows.end()) return;
      (*it)->DestroyWindow();
      windows.erase(it);
      PlaceTrayWindows();
      break;
    default:
      break;
  }
}

}  // namespace

CRect TrayIconWindow::SlotRect(int slot) {
  const CSize screen = CurrentDisplay().ScreenSize();
  const int right = screen.cx - slot * kSize;
  return CRect(right - kSize, screen.cy - kSize, right, screen.cy);
}

BOOL TrayIconWindow::Show(int slot) {
  if (!CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, "KivTrayIcon", "", WS_POPUP, SlotRect(slot),
                nullptr, 0)) {
    return FALSE;
  }
  ShowWindow(SW_SHOWNA);
  docked_ = CurrentDisplay().DockInSystemTray(m_hWnd);
  return TRUE;
}

void TrayIconWindow::Place(int slot) {
  const CRect r = SlotRect(slot);
  SetWindowPos(nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TrayIconWindow::SetPicture(HICON icon) {
  const gdi::IconRecord* record = gdi::IconRecordOf(icon);
  if (!record || !record->image) return;
  picture_ = record->image;  // pictures never change once made: sharing is a copy
  if (m_hWnd) Invalidate(FALSE);
}

void TrayIconWindow::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  dc.FillSolidRect(&client, kBackground);
  if (picture_) dc.DrawSurface(0, 0, *picture_, client.Width(), client.Height());
}

int TrayIconWindow::OnMouseActivate(CWnd*, UINT, UINT) { return MA_NOACTIVATE; }

void TrayIconWindow::Report(UINT mouseMessage) { TrayIconEvent(owner_, id_, mouseMessage); }

void TrayIconWindow::OnMouseMove(UINT, CPoint) { Report(WM_MOUSEMOVE); }
void TrayIconWindow::OnLButtonDown(UINT, CPoint) { Report(WM_LBUTTONDOWN); }
void TrayIconWindow::OnLButtonUp(UINT, CPoint) { Report(WM_LBUTTONUP); }
void TrayIconWindow::OnLButtonDblClk(UINT, CPoint) { Report(WM_LBUTTONDBLCLK); }
void TrayIconWindow::OnRButtonDown(UINT, CPoint) { Report(WM_RBUTTONDOWN); }
void TrayIconWindow::OnRButtonUp(UINT, CPoint) { Report(WM_RBUTTONUP); }

void ShowTrayIconsOnScreen() {
  SetDisplayHasTray(true);
  SetTrayPresenter(PresentTrayChange);
  for (const TrayIconRecord& icon : TrayIcons()) PresentTrayChange(NIM_ADD, icon);
}

void StopShowingTrayIcons() {
  SetTrayPresenter(nullptr);
  SetDisplayHasTray(false);
  for (auto& window : TrayWindows()) {
    if (::IsWindow(window->m_hWnd)) window->DestroyWindow();
  }
  TrayWindows().clear();
}

TrayIconWindow* TrayIconWindowOf(HWND owner, UINT id) {
  DropDeadTrayWindows();
  for (auto& window : TrayWindows()) {
    if (window->IconOwner() == owner && window->IconId() == id) return window.get();
  }
  return nullptr;
}

}  // namespace ui
}  // namespace kiv
