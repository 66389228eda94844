// Window regions on the real screen: the region of a top-level window
// becomes the bounding shape of its X window (the X SHAPE extension), so
// that what lies outside it shows the screen beneath and takes no pointer
// input. Also the system tray: a window docked into the desktop's tray
// (the freedesktop system-tray protocol over XEmbed). This file is the SDL
// display's only contact with Xlib, kept apart
// (and out of the unity batches) because Xlib's headers define macros
// such as None, Bool and Status. UI thread only, as the display.
#pragma once

#include <vector>

#include "platform/gdi/Geometry.h"

struct SDL_Window;

namespace kiv {

// Applies rects (window coordinates) as the window's shape; null removes
// the shape (the whole window shows again). False, with nothing changed,
// when the window is not an X11 window or the X server has no SHAPE
// extension; the window then shows its bounding box.
bool ApplyX11WindowShape(SDL_Window* window, const std::vector<RECT>* rects);

// The X window behind an SDL window; 0 when it is none. SDL makes the X
// window anew when the window's surface is first asked for, which drops
// the shape: a shape applied to another X window than this one must be
// applied again.
unsigned long X11WindowOf(SDL_Window* window);

// Asks the desktop's system tray (the owner of the selection
// _NET_SYSTEM_TRAY_S<screen>) to dock the window, which then becomes the
// tray's child at a place and size the tray chooses. False, with nothing
// asked, when the window is no X11 window or no tray runs.
bool DockX11WindowInSystemTray(SDL_Window* window);

// Raises the window to the top of the X stacking order without asking for
// the input focus (SDL's raise also activates). False when it is no X11
// window.
bool RaiseX11WindowQuietly(SDL_Window* window);

}  // namespace kiv
