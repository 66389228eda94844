// kiv::Display: what the window system needs from the screen it shows
// windows on. The window system defines it; the back ends in
// platform/backend implement it: the headless display (a virtual screen in
// memory, the default, which also keeps the current display) and the SDL2
// display (a real X11 or Wayland screen).
//
// The window system owns all window state; the display only mirrors the
// visible top-level windows, presents their backing stores and feeds raw
// input back through kiv::win::PushInput. Every call except Wake comes from
// the UI thread.
#pragma once

#include <memory>

#include "platform/core/WinUser.h"

namespace kiv {

class Display {
 public:
  virtual ~Display() = default;

  virtual CSize ScreenSize() const = 0;
  // The screen minus the task bar.
  virtual CRect WorkArea() const = 0;

  // A top-level window was created, shown, hidden, moved, resized, restacked,
  // given a region or an opacity, or destroyed (then IsWindow is false).
  virtual void TopLevelChanged(HWND top) {}
  // Pixels of a top-level window's backing store changed (window coordinates).
  virtual void ContentChanged(HWND top, const RECT& area) {}
  // Presents what changed; called before the UI thread goes idle.
  virtual void Flush() {}

  // Displays with their own event source wait in it (and turn native events
  // into input); the others let the UI thread wait on its queue.
  virtual bool WaitsForEvents() const { return false; }
  // Waits at most timeoutMs (negative: no limit) for native events or Wake.
  virtual void WaitForEvents(int timeoutMs) {}
  // Turns pending native events into input without waiting.
  virtual void PollEvents() {}
  // Any thread: ends a WaitForEvents.
  virtual void Wake() {}

  virtual void SetCursorShape(HCURSOR cursor) {}
  // Moves the pointer (screen coordinates).
  virtual void WarpPointer(POINT screen) {}
  // Where the pointer is now (screen coordinates), inside a window of ours
  // or not; false when the display cannot tell, and GetCursorPos then answers
  // the last position the display's input reported (the headless display's
  // scripted pointer).
  virtual bool PointerPosition(POINT* screen) const { return false; }
  // Hands a shown top-level window (a tray icon's) to the desktop's system
  // tray, which then places it; false when the desktop runs none, and the
  // window stays where it is.
  virtual bool DockInSystemTray(HWND top) { return false; }
};

// The display in use; a headless one of 1366 x 768 until another is set.
Display& CurrentDisplay();
// Installs a display (null: a fresh default headless display). Call it on
// the UI thread while no window exists.
void SetDisplay(std::unique_ptr<Display> display);

}  // namespace kiv
