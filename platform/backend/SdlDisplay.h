// The SDL2 display: the real screen (X11 or Wayland). Each shown top-level
// window becomes one borderless SDL window at its screen place; its backing
// store is presented when the UI thread goes idle; SDL events become raw
// input (text input gives input-method results as committed text); layered
// alpha becomes window opacity where the window manager supports it.
//
// A window's region is its shape on an X11 screen (the SHAPE extension,
// X11Shape.h): outside it the screen beneath shows and the pointer passes
// through. Elsewhere (Wayland) the window shows its bounding box, which one
// trace line says; the region still clips painting and hit-testing.
//
// A top-level window's WM_SETICON icon (the big one, else the small one)
// becomes its window icon, and GetCursorPos reads the real pointer, also
// outside every window of ours.
#pragma once

#include <memory>

#include "platform/core/Display.h"

struct SDL_Window;

namespace kiv {

class SdlDisplay : public Display {
 public:
  // Opens SDL's video subsystem on the screen named by the environment;
  // null when there is none.
  static std::unique_ptr<SdlDisplay> Open();
  ~SdlDisplay() override;

  CSize ScreenSize() const override;
  CRect WorkArea() const override;
  void TopLevelChanged(HWND top) override;
  void ContentChanged(HWND top, const RECT& area) override;
  void Flush() override;
  bool WaitsForEvents() const override { return true; }
  void WaitForEvents(int timeoutMs) override;
  void PollEvents() override;
  void Wake() override;
  void SetCursorShape(HCURSOR cursor) override;
  void WarpPointer(POINT screen) override;
  // The X pointer wherever it is: over one of our windows where that
  // window's pointer events put it, elsewhere SDL's global mouse state;
  // false on a driver that knows the pointer only inside its windows
  // (Wayland).
  bool PointerPosition(POINT* screen) const override;
  // Docks through the freedesktop system-tray protocol (X11 only).
  bool DockInSystemTray(HWND top) override;

  // The SDL window showing a top-level window (iconified ones included);
  // null when none does.
  SDL_Window* WindowOf(HWND top) const;

 private:
  SdlDisplay();
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Installs the SDL2 display when a screen is available (DISPLAY or
// WAYLAND_DISPLAY is set, and KIV_DISPLAY is not "headless"), the headless
// one otherwise. Returns true for SDL2. Call it before the first window.
bool UseBestDisplay();

}  // namespace kiv
