#include "platform/backend/X11Shape.h"

#include <SDL.h>
#include <SDL_syswm.h>

#if KIV_HAVE_XSHAPE
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#endif

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

namespace kiv {

#if defined(SDL_VIDEO_DRIVER_X11)
namespace {

// The X11 side of an SDL window: false for no window or another video
// driver.
bool X11InfoOf(SDL_Window* window, SDL_SysWMinfo* info) {
  if (window == nullptr) return false;
  SDL_VERSION(&info->version);
  return SDL_GetWindowWMInfo(window, info) && info->subsystem == SDL_SYSWM_X11;
}

}  // namespace
#endif

bool ApplyX11WindowShape(SDL_Window* window, const std::vector<RECT>* rects) {
#if KIV_HAVE_XSHAPE && defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  if (!X11InfoOf(window, &info)) return false;
  ::Display* display = info.info.x11.display;
  const ::Window xwindow = info.info.x11.window;
  int eventBase = 0, errorBase = 0;
  if (display == nullptr || !XShapeQueryExtension(display, &eventBase, &errorBase)) return false;
  if (rects == nullptr) {
    XShapeCombineMask(display, xwindow, ShapeBounding, 0, 0, None, ShapeSet);
  } else {
    // X rectangles are 16-bit: a window's own coordinates always fit.
    auto clampShort = [](long v) { return static_cast<short>(std::clamp<long>(v, SHRT_MIN, SHRT_MAX)); };
    auto clampSize = [](long v) { return static_cast<unsigned short>(std::clamp<long>(v, 0, USHRT_MAX)); };
    std::vector<XRectangle> shape;
    shape.reserve(rects->size());
    for (const RECT& r : *rects) {
      if (r.right <= r.left || r.bottom <= r.top) continue;
      shape.push_back(XRectangle{clampShort(r.left), clampShort(r.top), clampSize(r.right - r.left),
                                 clampSize(r.bottom - r.top)});
    }
    XShapeCombineRectangles(display, xwindow, ShapeBounding, 0, 0, shape.data(), static_cast<int>(shape.size()),
                            ShapeSet, Unsorted);
  }
  XFlush(display);
  return true;
#else
  (void)window;
  (void)rects;
  return false;
#endif
}

unsigned long X11WindowOf(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  if (!X11InfoOf(window, &info)) return 0;
  return static_cast<unsigned long>(info.info.x11.window);
#else
  (void)window;
  return 0;
#endif
}

bool RaiseX11WindowQuietly(SDL_Window* window) {
#if KIV_HAVE_XSHAPE && defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  if (!X11InfoOf(window, &info)) return false;
  if (info.info.x11.display == nullptr) return false;
  XRaiseWindow(info.info.x11.display, info.info.x11.window);
  XFlush(info.info.x11.display);
  return true;
#else
  (void)window;
  return false;
#endif
}

bool DockX11WindowInSystemTray(SDL_Window* window) {
#if KIV_HAVE_XSHAPE && defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  if (!X11InfoOf(window, &info)) return false;
  ::Display* display = info.info.x11.display;
  const ::Window xwindow = info.info.x11.window;
  if (display == nullptr) return false;
  const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(display));
  const Atom trayAtom = XInternAtom(display, selection.c_str(), False);
  const ::Window tray = XGetSelectionOwner(display, trayAtom);
  if (tray == None) return false;
  // XEmbed: protocol version 0, mapped once embedded.
  const Atom embedInfo = XInternAtom(display, "_XEMBED_INFO", False);
  const long embed[2] = {0, 1};
  XChangeProperty(display, xwindow, embedInfo, embedInfo, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(embed), 2);
  XEvent request;
  std::memset(&request, 0, sizeof request);
  request.xclient.type = ClientMessage;
  request.xclient.window = tray;
  request.xclient.message_type = XInternAtom(display, "_NET_SYSTEM_TRAY_OPCODE", False);
  request.xclient.format = 32;
  request.xclient.data.l[0] = CurrentTime;
  request.xclient.data.l[1] = 0;  // SYSTEM_TRAY_REQUEST_DOCK
  request.xclient.data.l[2] = static_cast<long>(xwindow);
  XSendEvent(display, tray, False, NoEventMask, &request);
  XSync(display, False);
  return true;
#else
  (void)window;
  return false;
#endif
}

}  // namespace kiv
