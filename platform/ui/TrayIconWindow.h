// TrayIconWindow: the tray icons on the screen. Each icon the program has
// added with Shell_NotifyIcon (platform/sys/TrayIcon.h) shows as a small
// top-most tool window at the screen's bottom right, the newest leftmost,
// that never takes activation; on an X11 screen whose desktop runs a system
// tray it is docked there instead. Mouse events on it (moves, presses,
// releases and double clicks of either button) become the icon's callback
// messages through TrayIconEvent, as the desktop's tray would send them.
//
// Each window keeps its own copy of the icon's picture, taken when the icon
// is added or modified: the caller may destroy its icon handle at once.
//
// ShowTrayIconsOnScreen installs the tray's presenter (and says the display
// has a tray); from then on the windows follow the records: made on
// NIM_ADD, repainted on NIM_MODIFY, destroyed on NIM_DELETE. The window
// objects belong to this file. UI thread only, as Shell_NotifyIcon's
// callers are.
#pragma once

#include <memory>

#include "platform/core/Wnd.h"

namespace kiv {
namespace gdi {
class Surface;
}

namespace ui {

class TrayIconWindow : public CWnd {
 public:
  // Side of an icon's window, in pixels.
  static constexpr int kSize = 32;
  static constexpr COLORREF kBackground = 0x202020;

  TrayIconWindow(HWND owner, UINT id) : owner_(owner), id_(id) {}

  // Makes and shows the window in slot `slot` (0 at the bottom right corner,
  // 1 left of it, ...), docking it into the desktop's tray when there is one.
  BOOL Show(int slot);
  // Moves the window to another slot.
  void Place(int slot);
  // Takes a copy of the icon's picture; an icon that is no icon keeps the
  // picture shown.
  void SetPicture(HICON icon);

  HWND IconOwner() const { return owner_; }
  UINT IconId() const { return id_; }
  bool Docked() const { return docked_; }

 protected:
  void OnPaint() override;
  BOOL OnEraseBkgnd(CDC* dc) override { return TRUE; }
  int OnMouseActivate(CWnd* topParent, UINT hitTest, UINT message) override;
  void OnMouseMove(UINT flags, CPoint point) override;
  void OnLButtonDown(UINT flags, CPoint point) override;
  void OnLButtonUp(UINT flags, CPoint point) override;
  void OnLButtonDblClk(UINT flags, CPoint point) override;
  void OnRButtonDown(UINT flags, CPoint point) override;
  void OnRButtonUp(UINT flags, CPoint point) override;

 private:
  static CRect SlotRect(int slot);
  void Report(UINT mouseMessage);

  HWND owner_;
  UINT id_;
  std::shared_ptr<gdi::Surface> picture_;
  bool docked_ = false;
};

// Shows the recorded icons from now on (those recorded already too), and
// tells the layer the display has a tray. Calling it again shows what is
// not shown yet.
void ShowTrayIconsOnScreen();
// Removes the presenter and destroys the icons' windows (the records stay).
void StopShowingTrayIcons();
// The window showing an icon; null when none does.
TrayIconWindow* TrayIconWindowOf(HWND owner, UINT id);

}  // namespace ui
}  // namespace kiv
