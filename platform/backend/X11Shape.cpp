#include "platform/backend/X11Shape.h"

#include <SDL.h>
#include <SDL_syswm.h>

#if KIV_HAVE_XSHAPE
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#endif

#include <algorithm>
#include <climits>

namespace kiv {

bool ApplyX11WindowShape(SDL_Window* window, const std::vector<RECT>* rects) {
#if KIV_HAVE_XSHAPE && defined(SDL_VIDEO_DRIVER_X11)
  if (window == nullptr) return false;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
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
  if (window == nullptr) return 0;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
  return static_cast<unsigned long>(info.info.x11.window);
#else
  (void)window;
  return 0;
#endif
}

}  // namespace kiv
